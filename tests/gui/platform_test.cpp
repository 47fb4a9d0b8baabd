// The desktop's side of the platform: file-dialog filters and default extensions,
// message boxes with their buttons, settings under "HALVERN STUDIO/Marquetta", the
// printer's paper, the rendering-context check and its messages, key events in the
// core's terms, pointers, and the dialog that shows any dialog model.
#include <sys/inotify.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "gui/file_filter.h"
#include "gui/gl_context_check.h"
#include "gui/key_translation.h"
#include "gui/main_frame.h"
#include "gui/model_dialog.h"
#include "gui/view_widget.h"
#include "gui_session.h"
#include "gui_tests.h"
#include "platform/dialog_model.h"
#include "platform/keys.h"

namespace marquetta {
namespace {

CoreKeyPress Press(int key, Qt::KeyboardModifiers mods, const QString& text) {
    const QKeyEvent event(QEvent::KeyPress, key, mods, text);
    return TranslateKeyEvent(event);
}

// A two-field model: a combo box with presets, and an edit box that refuses "bad".
class TwoFieldModel : public DialogModel {
  public:
    TwoFieldModel() {
        DialogField combo;
        combo.kind = DialogField::Kind::ComboBox;
        combo.label = "ピッチ";
        combo.text = "910";
        combo.choices = {"455", "910", "1000"};
        DialogField edit;
        edit.label = "名前";
        edit.text = "壁";
        edit.maxLength = 4;
        fields_ = {combo, edit};
    }
    std::string Title() const override { return "グリッド"; }
    std::vector<DialogField>& Fields() override { return fields_; }
    std::optional<DialogRefusal> Validate() override {
        ++validations;
        if (fields_[1].text == "bad") {
            return DialogRefusal{"名前が違います", 1};
        }
        return std::nullopt;
    }
    int validations = 0;

  private:
    std::vector<DialogField> fields_;
};

}  // namespace

class PlatformTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { QSettings().clear(); }

    void fileFiltersInQtsForm() {
        QCOMPARE(ToQtFileFilter("Marquetta Files (*.trn)|*.trn||"),
                 std::string("Marquetta Files (*.trn)"));
        QCOMPARE(ToQtFileFilter("DXF (*.dxf)|*.dxf|All Files (*.*)|*.*||"),
                 std::string("DXF (*.dxf);;All Files (*)"));
        QCOMPARE(ToQtFileFilter("Text|*.txt;*.csv||"), std::string("Text (*.txt *.csv)"));
        // The patterns that filter win over the ones the description shows.
        QCOMPARE(ToQtFileFilter("Drawings (*.trn)|*.trn;*.TRN||"),
                 std::string("Drawings (*.trn *.TRN)"));
        QCOMPARE(ToQtFileFilter(""), std::string());
    }

    void patternsFilterAndEveryFileComesNext() {
        const QtFileFilters none = QtFiltersFor("Marquetta Files (*.trn)|*.trn||", "plan.trn");
        QCOMPARE(none.filters, std::string("Marquetta Files (*.trn)"));
        QCOMPARE(none.selected, std::string("Marquetta Files (*.trn)"));
        const QtFileFilters bare = QtFiltersFor("", "*.dxf");
        QCOMPARE(bare.filters, std::string("*.dxf;;すべてのﾌｧｲﾙ (*)"));
        QCOMPARE(bare.selected, std::string("*.dxf"));
        // The filter with the pattern comes first; a list that offers every file already
        // gets no second such choice.
        const QtFileFilters listed =
            QtFiltersFor("Other (*.txt)|*.txt|Text (*.txt;*.csv)|*.txt;*.csv|All|*.*||", "*.csv");
        QCOMPARE(listed.filters, std::string("Text (*.txt *.csv);;Other (*.txt);;All (*)"));
        QCOMPARE(listed.selected, std::string("Text (*.txt *.csv)"));
    }

    void fileDialogsNeverOpenTheFilesTheyList() {
        TempFolder folder;
        // A name that says nothing of its contents, which look like a picture.
        QVERIFY(WriteFileBytes(folder.Path("plain"),
                               std::string("\x89PNG\r\n\x1A\n", 8) + std::string(64, '\0')));
        QVERIFY(WriteFileBytes(folder.Path("site.dxf"), "0\nEOF\n"));
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(watch >= 0);
        QVERIFY(inotify_add_watch(watch, folder.Path("").c_str(), IN_OPEN | IN_ACCESS) >= 0);

        QtPlatform platform;
        FileDialogRequest request;
        request.save = true;
        request.folder = folder.Path("");
        bool listed = false;
        const auto shown = WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog == nullptr) {
                return false;
            }
            auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
            listed = QTest::qWaitFor(
                [&] { return list->model()->rowCount(list->rootIndex()) == 2; }, 3000);
            // A path typed in, as the user would: the dialog looks it up as it grows.
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QTest::keyClicks(name, QString::fromStdString(folder.Path("plain")));
            QTest::qWait(300);
            dialog->reject();
            return true;
        });
        QVERIFY(!platform.AskFileName(request).has_value());
        QVERIFY(*shown);
        QVERIFY(listed);

        QStringList opened;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;) {
            for (char* p = buffer; p < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                if ((event->mask & IN_ISDIR) == 0 && event->len > 0) {
                    opened << QString::fromUtf8(event->name);
                }
                p += sizeof(inotify_event) + event->len;
            }
        }
        close(watch);
        QCOMPARE(opened, QStringList());
    }

    void messageBoxShowsTextsAndReturnsTheButton() {
        QtPlatform platform;
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int buttons = 0;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->buttons().size();
            box->button(QMessageBox::No)->click();
        });
        const MessageAnswer answer =
            platform.MessageBox("無題 への変更を保存しますか？", "Marquetta",
                                MessageIcon::Exclamation, MessageButtons::YesNoCancel);
        QCOMPARE(answer, MessageAnswer::No);
        QCOMPARE(title, QStringLiteral("Marquetta"));
        QCOMPARE(text, QStringLiteral("無題 への変更を保存しますか？"));
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(buttons, 3);
    }

    void settingsUnderTheOrganisationAndApplication() {
        QtPlatform platform;
        platform.WriteSetting("Recent File List", "File1", "/home/u/図面.trn");
        QSettings settings(QStringLiteral("HALVERN STUDIO"), QStringLiteral("Marquetta"));
        QCOMPARE(settings.value(QStringLiteral("Recent File List/File1")).toString(),
                 QStringLiteral("/home/u/図面.trn"));
        settings.setValue(QStringLiteral("Settings/PreviewPages"), 2);
        settings.sync();
        QCOMPARE(platform.ReadSetting("Settings", "PreviewPages"), std::string("2"));
        QCOMPARE(platform.ReadSetting("Settings", "Missing"), std::string());
    }

    void paperOfThePrinterOrA4() {
        QtPlatform platform;
        const std::optional<PrinterPaper> paper = platform.DefaultPrinterPaper();
        QVERIFY(paper.has_value());
        QVERIFY(paper->dotsPerInchX > 0);
        const double widthMm = paper->printableWidthPixels * 25.4 / paper->dotsPerInchX;
        const double heightMm = paper->printableHeightPixels * 25.4 / paper->dotsPerInchY;
        if (QPrinterInfo::defaultPrinter().isNull()) {
            // Qt's PDF printer on A4, less its margins.
            QVERIFY2(widthMm > 180 && widthMm <= 210.01, qPrintable(QString::number(widthMm)));
            QVERIFY2(heightMm > 260 && heightMm <= 297.01, qPrintable(QString::number(heightMm)));
        } else {
            QVERIFY(widthMm > 0 && heightMm > 0);
        }
    }

    void renderingContextCheckAndItsMessages() {
        QCOMPARE(CheckGlContext(ViewSurfaceFormat()), GlContextCheck::Ok);
        const QSurfaceFormat format = ViewSurfaceFormat();
        QCOMPARE(format.profile(), QSurfaceFormat::CompatibilityProfile);
        QCOMPARE(format.swapBehavior(), QSurfaceFormat::DoubleBuffer);
        QVERIFY(format.depthBufferSize() >= 24);
        QCOMPARE(format.redBufferSize(), 8);

        HeadlessPlatform headless;
        ReportGlContextCheck(GlContextCheck::Ok, headless);
        QVERIFY(headless.Calls().empty());
        ReportGlContextCheck(GlContextCheck::NoFormat, headless);
        ReportGlContextCheck(GlContextCheck::CannotUseFormat, headless);
        const auto boxes = headless.CallsOf(PlatformCall::Kind::MessageBox);
        QCOMPARE(boxes.size(), size_t{2});
        QCOMPARE(boxes[0].text, std::string("その値ではフレームバッファを初期化できません"));
        QCOMPARE(boxes[0].caption, std::string("OpenGL:致命的例外１"));
        QCOMPARE(boxes[1].text, std::string("フレームバッファの初期化に失敗しました。"));
        QCOMPARE(boxes[1].caption, std::string("OpenGL:致命的例外２"));
        QCOMPARE(boxes[0].buttons, MessageButtons::Ok);
        QCOMPARE(boxes[1].icon, MessageIcon::None);
    }

    void keyEventsInTheCoresTerms() {
        CoreKeyPress p = Press(Qt::Key_S, Qt::NoModifier, QStringLiteral("s"));
        QCOMPARE(p.key, int('S'));
        QCOMPARE(p.modifiers, 0);
        QCOMPARE(p.character, int('s'));
        p = Press(Qt::Key_S, Qt::ControlModifier, QString(QChar(0x13)));
        QCOMPARE(p.modifiers, int(MOD_CTRL));
        QCOMPARE(p.character, 0);
        p = Press(Qt::Key_E, Qt::ShiftModifier, QStringLiteral("E"));
        QCOMPARE(p.key, int('E'));
        QCOMPARE(p.modifiers, int(MOD_SHIFT));
        p = Press(Qt::Key_At, Qt::ShiftModifier, QStringLiteral("@"));
        QCOMPARE(p.key, 0);
        QCOMPARE(p.character, int('@'));
        p = Press(Qt::Key_Backspace, Qt::AltModifier, QString(QChar(0x08)));
        QCOMPARE(p.key, int(KEY_BACKSPACE));
        QCOMPARE(p.modifiers, int(MOD_ALT));
        QCOMPARE(p.character, 0);
        QCOMPARE(Press(Qt::Key_Enter, Qt::KeypadModifier, QStringLiteral("\r")).key,
                 int(KEY_RETURN));
        QCOMPARE(Press(Qt::Key_Delete, Qt::NoModifier, QString()).key, int(KEY_DELETE));
        QCOMPARE(Press(Qt::Key_F6, Qt::ShiftModifier, QString()).key, int(KEY_F6));
        QCOMPARE(Press(Qt::Key_Insert, Qt::ControlModifier, QString()).key, int(KEY_INSERT));
        QCOMPARE(Press(Qt::Key_7, Qt::NoModifier, QStringLiteral("7")).key, int('7'));
        QCOMPARE(Press(Qt::Key_F1, Qt::NoModifier, QString()).key, 0);
        QCOMPARE(Press(Qt::Key_A, Qt::NoModifier, QStringLiteral("ア")).character, 0x30A2);
    }

    void pointersAndPromptGoToTheWindow() {
        GuiSession s;
        QVERIFY(s.started);
        s.platform.SetCursor(CursorShape::SizeVertical);
        QCOMPARE(s.View().cursor().shape(), Qt::SizeVerCursor);
        s.platform.SetCursor(CursorShape::SizeDiagonal);
        QCOMPARE(s.View().cursor().shape(), Qt::SizeBDiagCursor);
        s.platform.SetCursor(CursorShape::Arrow);
        QCOMPARE(s.View().cursor().shape(), Qt::ArrowCursor);
        s.platform.CaptureMouse();
        QCOMPARE(QWidget::mouseGrabber(), static_cast<QWidget*>(&s.View()));
        s.platform.ReleaseMouse();
        QVERIFY(QWidget::mouseGrabber() == nullptr);
    }

    void modelDialogWritesBackAndKeepsRefusals() {
        TestPlatform platform;
        TwoFieldModel model;
        CModelDialog dialog(model, platform);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("グリッド"));
        QComboBox* combo = dialog.FieldCombo(0);
        QVERIFY(combo != nullptr);
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(2), QStringLiteral("1000"));
        QCOMPARE(combo->currentText(), QStringLiteral("910"));
        QVERIFY(dialog.FieldCombo(1) == nullptr);
        QCOMPARE(dialog.FieldEdit(1)->text(), QStringLiteral("壁"));
        QCOMPARE(dialog.FieldEdit(1)->maxLength(), 4);

        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        combo->setCurrentIndex(0);
        dialog.FieldEdit(1)->setText(QStringLiteral("bad"));
        dialog.accept();
        QCOMPARE(model.validations, 1);
        QCOMPARE(platform.messages.size(), size_t{1});
        QCOMPARE(platform.messages[0].text, std::string("名前が違います"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(dialog.FieldEdit(1)));

        QTest::keyClicks(dialog.FieldEdit(1), QStringLiteral("ok"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(model.Fields()[0].text, std::string("455"));
        QCOMPARE(model.Fields()[1].text, std::string("ok"));
    }
};

std::unique_ptr<QObject> MakePlatformTest() {
    return std::make_unique<PlatformTest>();
}

}  // namespace marquetta

#include "platform_test.moc"
