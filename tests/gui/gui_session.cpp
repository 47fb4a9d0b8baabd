#include "gui_session.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/app_controller.h"
#include "gui/main_frame.h"
#include "gui/model_dialog.h"
#include "gui/view_widget.h"
#include "platform/dialog_model.h"
#include "view/camera.h"

namespace marquetta {

MessageAnswer TestPlatform::MessageBox(std::string_view text, std::string_view caption,
                                       MessageIcon icon, MessageButtons buttons) {
    messages.push_back({std::string(text), std::string(caption), icon, buttons});
    if (answers.empty()) {
        return DefaultAnswer(buttons);
    }
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> TestPlatform::AskFileName(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (showFileDialogs) {
        return QtPlatform::AskFileName(request);
    }
    if (fileNames.empty()) {
        return std::nullopt;
    }
    std::optional<std::string> name = fileNames.front();
    fileNames.pop_front();
    return name;
}

bool TestPlatform::RunDialog(DialogModel& model) {
    dialogTitles.push_back(model.Title());
    return showDialogs && QtPlatform::RunDialog(model);
}

bool TestPlatform::RunListDialog(ListDialogModel& model) {
    dialogTitles.push_back(model.Title());
    return showDialogs && QtPlatform::RunListDialog(model);
}

std::optional<RgbColor> TestPlatform::ChooseColor(RgbColor) {
    if (colors.empty()) {
        return std::nullopt;
    }
    const std::optional<RgbColor> color = colors.front();
    colors.pop_front();
    return color;
}

namespace {
bool Answer(std::deque<TestPlatform::PrinterAnswer>& answers, QPrinter& printer) {
    if (answers.empty()) {
        return false;
    }
    const TestPlatform::PrinterAnswer answer = std::move(answers.front());
    answers.pop_front();
    return answer(printer);
}
}  // namespace

bool TestPlatform::AskPrint(QPrinter& printer) {
    ++printDialogsShown;
    return Answer(printAnswers, printer);
}

bool TestPlatform::AskPrinterSetup(QPrinter& printer) {
    ++setupDialogsShown;
    return Answer(setupAnswers, printer);
}

TestPlatform::PrinterAnswer ChoosePdfPrinter(std::string path, bool landscape) {
    return [path, landscape](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        if (!path.empty()) {
            printer.setOutputFileName(QString::fromStdString(path));
        }
        return true;
    };
}

std::shared_ptr<bool> WhenModal(std::function<bool(QWidget*)> step) {
    auto done = std::make_shared<bool>(false);
    auto* timer = new QTimer(qApp);
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, done, elapsed, step] {
        // Not offered again while a step runs the loop of a window it opened.
        timer->stop();
        QWidget* modal = QApplication::activeModalWidget();
        if (*done) {
            // Stopped from outside.
        } else if (modal != nullptr && modal->isVisible() && step(modal)) {
            *done = true;
        } else if (elapsed->elapsed() < 5000) {
            timer->start();
            return;
        } else if (modal != nullptr) {
            modal->close();
        }
        timer->deleteLater();
    });
    timer->start(20);
    return done;
}

GuiSession::GuiSession(const std::vector<std::string>& args) {
    program_ = std::make_unique<ProgramInstance>(platform);
    started = program_->Start(args);
    if (started) {
        if (!QTest::qWaitForWindowExposed(&Frame())) {
            started = false;
        }
    }
}

GuiSession::~GuiSession() {
    program_.reset();
}

AppController& GuiSession::App() {
    return program_->Controller();
}
CMainFrame& GuiSession::Frame() {
    return program_->MainFrame();
}
CViewWidget& GuiSession::View() {
    return *Frame().View();
}

QImage GuiSession::Grab() {
    return View().grabFramebuffer();
}

QColor PixelFromBottom(const QImage& image, int x, int y) {
    return image.pixelColor(x, image.height() - 1 - y);
}

bool IsBackground(const QColor& c) {
    return c.red() == 0 && (c.green() == 76 || c.green() == 77) &&
           (c.blue() == 76 || c.blue() == 77);
}

bool IsWhite(const QColor& c) {
    return c.red() == 255 && c.green() == 255 && c.blue() == 255;
}

bool WhitePointAt(const QImage& image, double wx, double wy) {
    constexpr double kBorder = 1e-3;
    const int xs[2] = {static_cast<int>(std::floor(wx - kBorder)),
                       static_cast<int>(std::floor(wx + kBorder))};
    const int ys[2] = {static_cast<int>(std::floor(wy - kBorder)),
                       static_cast<int>(std::floor(wy + kBorder))};
    for (int x : xs) {
        for (int y : ys) {
            if (x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
                IsWhite(PixelFromBottom(image, x, y))) {
                return true;
            }
        }
    }
    return false;
}

QPointF Project(double x, double y, double z) {
    double wx = 0, wy = 0, wz = 0;
    if (!ProjectCaptured(x, y, z, wx, wy, wz)) {
        return QPointF(-1, -1);
    }
    return QPointF(wx, wy);
}

QColor PixelAt(const QImage& image, QPointF window) {
    return PixelFromBottom(image, static_cast<int>(std::floor(window.x())),
                           static_cast<int>(std::floor(window.y())));
}

bool ColourNear(const QImage& image, QPointF window, bool (*isColour)(const QColor&)) {
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            const int x = static_cast<int>(std::floor(window.x())) + dx;
            const int y = static_cast<int>(std::floor(window.y())) + dy;
            if (x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
                isColour(PixelFromBottom(image, x, y))) {
                return true;
            }
        }
    }
    return false;
}

bool WhiteNear(const QImage& image, QPointF window) {
    return ColourNear(image, window, IsWhite);
}

bool IsRed(const QColor& c) {
    return c.red() == 255 && c.green() == 0 && c.blue() == 0;
}

bool IsMagenta(const QColor& c) {
    return c.red() == 255 && c.green() == 0 && c.blue() == 255;
}

QPoint WidgetPoint(double x, double y, double z) {
    const QPointF window = Project(x, y, z);
    return QPoint(static_cast<int>(std::lround(window.x())),
                  static_cast<int>(std::lround(g_viewHeight - window.y())));
}

void ClickAt(QWidget* view, QPoint p) {
    QTest::mouseMove(view, p);
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, p);
}

void TypeIntoNextDialog(QObject* context, Typing& typing, QString keys, Qt::Key finish) {
    QTimer::singleShot(0, context, [&typing, keys, finish] {
        auto* dialog = qobject_cast<CModelDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            if (QWidget* other = QApplication::activeModalWidget()) {
                other->close();
            }
            return;
        }
        typing.seen = true;
        typing.title = dialog->windowTitle();
        QLineEdit* edit = dialog->FieldEdit(0);
        typing.textAtFirst = edit->text();
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            typing.labels << label->text();
        }
        if (QComboBox* combo = dialog->FieldCombo(0)) {
            for (int i = 0; i < combo->count(); ++i) {
                typing.presets << combo->itemText(i);
            }
        }
        QTest::keyClicks(edit, keys);
        QTest::keyClick(edit, finish);
        // A dialog still open after OK has refused; close it so the test goes on.
        if (dialog->isVisible()) {
            typing.seen = false;
            dialog->reject();
        }
    });
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

TempFolder::TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "marquetta-gui-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
        path_ = pattern;
    }
}

TempFolder::~TempFolder() {
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
}

}  // namespace marquetta

// Xlib's macros collide with Qt's names: it comes last, used by one function.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

bool marquetta::SetCapsLock(bool on) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 != nullptr ? x11->display() : nullptr;
    if (display == nullptr) {
        return false;
    }
    const bool sent = XkbLockModifiers(display, XkbUseCoreKbd, LockMask, on ? LockMask : 0);
    XSync(display, False);
    return sent;
}
