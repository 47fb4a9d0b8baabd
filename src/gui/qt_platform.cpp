#include "gui/qt_platform.h"

#include <QApplication>
#include <QBitmap>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "app/app_controller.h"
#include "app/command_table.h"
#include "exchange/render_command.h"
#include "gui/file_filter.h"
#include "gui/list_dialog.h"
#include "gui/main_frame.h"
#include "gui/model_dialog.h"
#include "gui/picture_window.h"
#include "gui/print_dialogs.h"
#include "gui/print_painter.h"
#include "gui/print_preview.h"
#include "gui/program_runner.h"
#include "gui/status_dialog_bar.h"
#include "gui/view_widget.h"
#include "model/binary_file.h"

namespace marquetta {
namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MessageButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

MessageAnswer FromQtButton(int button, MessageButtons buttons) {
    switch (button) {
        case QMessageBox::Ok:
            return MessageAnswer::Ok;
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        default:
            // Closed with the window's close button: Cancel where there is one.
            return buttons == MessageButtons::OkCancel || buttons == MessageButtons::YesNoCancel
                       ? MessageAnswer::Cancel
                       : DefaultAnswer(buttons);
    }
}

QString SettingsKey(std::string_view section, std::string_view key) {
    return FromUtf8(section) + QLatin1Char('/') + FromUtf8(key);
}

std::optional<PrinterPaper> PaperOf(const QPrinter& printer) {
    if (!printer.isValid()) {
        return std::nullopt;
    }
    const int dpi = printer.resolution();
    const QRect area = printer.pageLayout().paintRectPixels(dpi);
    PrinterPaper paper;
    paper.printableWidthPixels = area.width();
    paper.printableHeightPixels = area.height();
    paper.dotsPerInchX = dpi;
    paper.dotsPerInchY = dpi;
    return paper;
}

QCursor ToQtCursor(CursorShape shape) {
    switch (shape) {
        case CursorShape::SizeAll:
            return QCursor(Qt::SizeAllCursor);
        case CursorShape::SizeVertical:
            return QCursor(Qt::SizeVerCursor);
        case CursorShape::SizeDiagonal:
            return QCursor(Qt::SizeBDiagCursor);
        case CursorShape::Wait:
            return QCursor(Qt::WaitCursor);
        case CursorShape::Arrow:
            break;
    }
    return QCursor(Qt::ArrowCursor);
}

// Icons and types of regular files from their names alone: the file dialogs never open
// a file, so a special file (one under /proc that blocks when read) cannot hang the
// program. Folders and other entries keep the desktop's icons, which need no reading.
class NameOnlyIconProvider : public QFileIconProvider {
  public:
    QIcon icon(const QFileInfo& info) const override {
        return info.isFile() ? QFileIconProvider::icon(QAbstractFileIconProvider::File)
                             : QFileIconProvider::icon(info);
    }
    QString type(const QFileInfo& info) const override {
        if (!info.isFile()) {
            return QFileIconProvider::type(info);
        }
        const QMimeType mime =
            QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
        return mime.comment().isEmpty() ? mime.name() : mime.comment();
    }
};

// One for the life of the program: a dialog's file-information thread may still ask it
// while the dialog is being destroyed.
NameOnlyIconProvider* NameOnlyIcons() {
    static auto* icons = new NameOnlyIconProvider;
    return icons;
}

}  // namespace

// The program's own file dialog, the same on every desktop: the widgets of Qt rather
// than the desktop's native dialog, which may read files to preview or classify them.
class CFileDialog : public QFileDialog {
  public:
    CFileDialog(const FileDialogRequest& request, QWidget* parent)
        : QFileDialog(parent, QString::fromStdString(request.title)),
          askBeforeReplacing_(request.askBeforeReplacing),
          offeredName_(QString::fromStdString(request.initialName)) {
        for (const std::string& extension : request.foreignExtensions) {
            foreignExtensions_ << QString::fromStdString(extension);
        }
        setOption(QFileDialog::DontUseNativeDialog);
        setOption(QFileDialog::DontUseCustomDirectoryIcons);
        setIconProvider(NameOnlyIcons());
        setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        // The dialog appends the extension itself, so that its question about replacing
        // a file is asked for the name that will be written.
        setDefaultSuffix(QString::fromStdString(request.defaultExtension));
        const QtFileFilters filters = QtFiltersFor(request.filter, request.initialName);
        if (!filters.filters.empty()) {
            setNameFilter(QString::fromStdString(filters.filters));
            selectNameFilter(QString::fromStdString(filters.selected));
        }
        if (!request.folder.empty()) {
            setDirectory(QString::fromStdString(request.folder));
        }
        if (!request.initialName.empty()) {
            selectFile(QString::fromStdString(request.initialName));
        }
    }

    void accept() override {
        if (acceptMode() == QFileDialog::AcceptSave) {
            AddSuffixToForeignName();
            if (!askBeforeReplacing_) {
                // The offered name was not typed: replacing a file under it is asked about.
                setOption(QFileDialog::DontConfirmOverwrite,
                          !GainsDefaultSuffix() && !OfferedNameKept());
            }
        }
        QFileDialog::accept();
    }

  private:
    QLineEdit* NameBox() const { return findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

    // A name whose extension belongs to another format gains the default extension in
    // the name box, before the dialog asks about replacing a file of that name.
    void AddSuffixToForeignName() {
        QLineEdit* nameBox = NameBox();
        if (nameBox == nullptr || defaultSuffix().isEmpty() || foreignExtensions_.isEmpty()) {
            return;
        }
        const QString name = nameBox->text().trimmed();
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot > name.lastIndexOf(QLatin1Char('/')) + 1 &&
            foreignExtensions_.contains(name.mid(dot + 1).toLower())) {
            nameBox->setText(name + QLatin1Char('.') + defaultSuffix());
        }
    }

    // Whether the name box still holds the name offered, untyped by the user.
    bool OfferedNameKept() const {
        const QLineEdit* nameBox = NameBox();
        return nameBox != nullptr && !offeredName_.isEmpty() && !nameBox->isModified() &&
               nameBox->text() == offeredName_;
    }

    // Whether the name in the name box gets the default extension appended: it has no
    // extension of its own (the dialog's rule). Without a name box to read, it counts
    // as one that does, so that the question is asked.
    bool GainsDefaultSuffix() const {
        const QLineEdit* nameBox = NameBox();
        if (nameBox == nullptr || defaultSuffix().isEmpty()) {
            return nameBox == nullptr;
        }
        const QString name = nameBox->text().section(QLatin1Char('/'), -1);
        return !name.isEmpty() && !name.contains(QLatin1Char('.'));
    }

    bool askBeforeReplacing_;
    QString offeredName_;
    QStringList foreignExtensions_;
};

QtPlatform::QtPlatform() : prompt_(QString::fromUtf8(kInitialPromptText)) {}

QtPlatform::~QtPlatform() {
    delete picture_.data();
}

void QtPlatform::SetMainFrame(CMainFrame* frame) {
    frame_ = frame;
}

QWidget* QtPlatform::DialogParent() const {
    // Messages before the window shows (a drawing that will not open at start-up) stand
    // on their own.
    return frame_ != nullptr && frame_->isVisible() ? frame_ : nullptr;
}

MessageAnswer QtPlatform::MessageBox(std::string_view text, std::string_view caption,
                                     MessageIcon icon, MessageButtons buttons) {
    QMessageBox box(ToQtIcon(icon), FromUtf8(caption), FromUtf8(text), ToQtButtons(buttons),
                    DialogParent());
    return FromQtButton(box.exec(), buttons);
}

void QtPlatform::Beep(BeepKind) {
    QApplication::beep();
}

void QtPlatform::SetPrompt(std::string_view text) {
    prompt_ = FromUtf8(text);
    if (frame_ != nullptr) {
        frame_->StatusDialogBar()->SetPrompt(prompt_);
    }
}

void QtPlatform::InvalidateView() {
    if (frame_ != nullptr) {
        frame_->View()->update();
    }
}

QPrinter& QtPlatform::Printer() {
    if (printer_ == nullptr) {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (!info.isNull()) {
            printer_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        }
        if (printer_ == nullptr || !printer_->isValid()) {
            // Without a system printer the program prints to PDF files on A4.
            printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer_->setOutputFormat(QPrinter::PdfFormat);
            printer_->setPageSize(QPageSize(QPageSize::A4));
        }
        // Not the full sheet: the painter's origin is then the printable area's corner,
        // where the printed page puts its own.
        printer_->setFullPage(false);
    }
    return *printer_;
}

std::optional<PrinterPaper> QtPlatform::DefaultPrinterPaper() {
    return PaperOf(Printer());
}

bool QtPlatform::AskPrint(QPrinter& printer) {
    QPrintDialog dialog(&printer, DialogParent());
    ConfigurePrintDialog(dialog);
    return dialog.exec() == QDialog::Accepted;
}

bool QtPlatform::AskPrinterSetup(QPrinter& printer) {
    QPrintDialog dialog(&printer, DialogParent());
    ConfigurePrinterSetupDialog(dialog);
    return dialog.exec() == QDialog::Accepted;
}

PrintResult QtPlatform::PrintPage(bool askFirst, const PageDrawing& drawPage) {
    QPrinter& printer = Printer();
    if (askFirst) {
        if (!AskPrint(printer)) {
            return PrintResult::Cancelled;
        }
    } else if (printer.outputFormat() == QPrinter::PdfFormat) {
        // Printing straight to PDF still needs a file to print into.
        FileDialogRequest request;
        request.save = true;
        request.filter = "PDF (*.pdf)|*.pdf||";
        request.defaultExtension = "pdf";
        request.initialName = QFileInfo(printer.outputFileName()).fileName().toStdString();
        const std::optional<std::string> path = AskFileNameFrom(
            *this, request, frame_ != nullptr ? frame_->App().Document().GetPathName() : "");
        if (!path) {
            return PrintResult::Cancelled;
        }
        printer.setOutputFileName(QString::fromStdString(*path));
    }
    return PrintPages(printer, drawPage) ? PrintResult::Printed : PrintResult::Failed;
}

int QtPlatform::PreviewPage(int pages, const PageDrawing& drawPage) {
    CPrintPreview preview(Printer(), drawPage, pages, DialogParent());
    preview.exec();
    return preview.PagesShown();
}

void QtPlatform::PrinterSetup() {
    AskPrinterSetup(Printer());
}

void QtPlatform::TerminateProcess() {
    std::_Exit(EXIT_FAILURE);
}

std::optional<std::string> QtPlatform::AskFileName(const FileDialogRequest& request) {
    CFileDialog dialog(request, DialogParent());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst().toStdString();
}

std::string QtPlatform::ReadSetting(std::string_view section, std::string_view key) {
    QSettings settings(kSettingsOrganization, kSettingsApplication);
    return settings.value(SettingsKey(section, key)).toString().toStdString();
}

bool QtPlatform::WriteSettings(std::string_view section,
                               const std::vector<std::pair<std::string, std::string>>& values) {
    // Qt replaces a settings file with whatever it managed to write, unaware of a failed
    // write: on a full disk the user's settings become an empty file. So Qt writes the
    // new settings into a scratch file, which is read back, and the program's own
    // writer, which checks every call, puts them in place of the old file.
    QSettings current(kSettingsOrganization, kSettingsApplication);
    current.setFallbacksEnabled(false);  // the user's own file only
    if (current.status() != QSettings::NoError) {
        return false;  // a file that cannot be read is not overwritten
    }
    std::map<QString, QVariant> wanted;
    for (const QString& key : current.allKeys()) {
        wanted[key] = current.value(key);
    }
    for (const auto& [key, value] : values) {
        wanted[SettingsKey(section, key)] = FromUtf8(value);
    }
    const QTemporaryDir scratchFolder;
    if (!scratchFolder.isValid()) {
        return false;
    }
    const QString scratch = scratchFolder.filePath(QStringLiteral("settings.conf"));
    {
        QSettings out(scratch, QSettings::IniFormat);
        for (const auto& [key, value] : wanted) {
            out.setValue(key, value);
        }
        out.sync();
        if (out.status() != QSettings::NoError) {
            return false;
        }
    }
    const QSettings written(scratch, QSettings::IniFormat);
    if (written.status() != QSettings::NoError ||
        written.allKeys().size() != static_cast<qsizetype>(wanted.size())) {
        return false;
    }
    for (const auto& [key, value] : wanted) {
        if (written.value(key) != value) {
            return false;
        }
    }
    QFile file(scratch);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = file.readAll();
    const std::filesystem::path target = current.fileName().toStdString();
    std::error_code ignored;
    std::filesystem::create_directories(target.parent_path(), ignored);
    return WriteFileSafely(target.string(), [&](SafeFileWriter& writer) {
               writer.Write(bytes.constData(), static_cast<size_t>(bytes.size()));
           }).ok();
}

void QtPlatform::CloseMainWindow() {
    if (frame_ != nullptr) {
        frame_->CloseApproved();
    }
}

void QtPlatform::SetCursor(CursorShape shape) {
    if (frame_ != nullptr) {
        frame_->View()->setCursor(ToQtCursor(shape));
    }
}

void QtPlatform::CaptureMouse() {
    if (frame_ != nullptr) {
        frame_->View()->grabMouse();
    }
}

void QtPlatform::ReleaseMouse() {
    if (frame_ != nullptr) {
        frame_->View()->releaseMouse();
    }
}

bool QtPlatform::OpenWithDesktop(const std::string& path, ProgramEnded ended) {
    const char* searchPath = std::getenv("PATH");
    const std::string opener =
        searchPath != nullptr ? FindProgramOnPath(searchPath, "xdg-open") : std::string();
    if (opener.empty()) {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)))) {
            return false;
        }
        if (ended) {
            ended(ProgramEnd{});
        }
        return true;
    }
    if (runner_ == nullptr) {
        runner_ = std::make_unique<CProgramRunner>();
    }
    // The path is absolute: the opener may run anywhere, also when the current folder
    // is gone.
    const auto started = std::chrono::steady_clock::now();
    return runner_->Start(
        ProgramLaunch{opener, {path}, "/"},
        [started, ended = std::move(ended)](const ProgramEnd& end) {
            if (!ended) {
                return;
            }
            const bool answered = std::chrono::steady_clock::now() - started <
                                  std::chrono::seconds(kOpenerAnswerSeconds);
            ended(answered ? end : ProgramEnd{});
        });
}

bool QtPlatform::RunDialog(DialogModel& model) {
    // A double click in a list opens a dialog before the list was shown again: the
    // list behind it shows the model as it is now (a layer's box as it was before).
    if (auto* list = qobject_cast<CListDialog*>(QApplication::activeModalWidget())) {
        list->Refresh();
    }
    CModelDialog dialog(model, *this, DialogParent());
    return dialog.exec() == QDialog::Accepted;
}

bool QtPlatform::RunListDialog(ListDialogModel& model) {
    CListDialog dialog(model, DialogParent());
    return dialog.exec() == QDialog::Accepted;
}

std::optional<RgbColor> QtPlatform::ChooseColor(RgbColor initial) {
    // Over the dialog that asked for it, where there is one.
    QWidget* parent = QApplication::activeModalWidget();
    const QColor chosen = QColorDialog::getColor(QColor(initial.red, initial.green, initial.blue),
                                                 parent != nullptr ? parent : DialogParent());
    if (!chosen.isValid()) {
        return std::nullopt;
    }
    return RgbColor{chosen.red(), chosen.green(), chosen.blue()};
}

bool QtPlatform::StartProgram(const ProgramLaunch& launch, ProgramEnded ended) {
    if (runner_ == nullptr) {
        runner_ = std::make_unique<CProgramRunner>();
    }
    return runner_->Start(launch, std::move(ended));
}

bool QtPlatform::ShowPicture(const std::string& path) {
    if (picture_ == nullptr) {
        // Its own window, closed with the main one.
        picture_ = new CPictureWindow(frame_);
        picture_->setAttribute(Qt::WA_DeleteOnClose);
    }
    return picture_->ShowFile(QString::fromStdString(path));
}

CPictureWindow* QtPlatform::PictureWindow() const {
    return picture_.data();
}

}  // namespace marquetta
