// Help and the manual's pictures in the window: the Help menu item hands the manual (or
// the help file of the working folder) to the desktop's browser, a stand-in first on
// the PATH, and says so when that opener answers that it failed; the About box names the version and the manual; the screenshot steps play
// commands, clicks and dialogs into the real window.
#include "ui/help.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <memory>

#include "app/app_controller.h"
#include "gui/main_frame.h"
#include "gui/screenshot_run.h"
#include "gui_session.h"
#include "gui_tests.h"

namespace marquetta {

class HelpTest : public QObject {
    Q_OBJECT

  private:
    TempFolder bin_;
    QString previousFolder_;

    // What the stand-in browser was given, as a local path; empty until it has run.
    QString Opened() const {
        QFile file(QString::fromStdString(bin_.Path("opened")));
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        const QString argument = QString::fromUtf8(file.readAll()).trimmed();
        return argument.startsWith(QStringLiteral("file:")) ? QUrl(argument).toLocalFile()
                                                            : argument;
    }

    // The Help menu item, and what the browser was handed (empty when it got nothing).
    QString RunHelp(GuiSession& s) {
        std::filesystem::remove(bin_.Path("opened"));
        s.Frame().Action(ID_HELP)->trigger();
        return QTest::qWaitFor([this] { return !Opened().isEmpty(); }, 5000) ? Opened() : QString();
    }

  private slots:
    void initTestCase() {
        // The desktop opens documents with xdg-open: ours writes down what it was given.
        const std::string opener = bin_.Path("xdg-open");
        QVERIFY(
            WriteFileBytes(opener,
                           "#!/bin/sh\nprintf '%s\\n' \"$1\" > \"$(dirname \"$0\")/opened.part\"\n"
                           "mv \"$(dirname \"$0\")/opened.part\" \"$(dirname \"$0\")/opened\"\n"));
        std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
        qputenv("PATH", QByteArray::fromStdString(bin_.Path("")) + ":" + qgetenv("PATH"));
        previousFolder_ = QDir::currentPath();
    }

    void cleanup() { QDir::setCurrent(previousFolder_); }

    void helpOpensTheManualOrTheHelpFileOfTheFolder() {
        TempFolder work;
        QVERIFY(QDir::setCurrent(QString::fromStdString(work.Path(""))));
        GuiSession s;
        QVERIFY(s.started);
        const QString manual = QString::fromStdString(
            std::filesystem::canonical(std::filesystem::path(MARQUETTA_SOURCE_DIR) /
                                       "doc/manual/index.html")
                .string());
        QCOMPARE(RunHelp(s), manual);

        QVERIFY(WriteFileBytes(work.Path(kHelpFileName), "help"));
        QCOMPARE(RunHelp(s), QString::fromStdString(
                                 std::filesystem::canonical(work.Path(kHelpFileName)).string()));
        QVERIFY(s.platform.messages.empty());
    }

    void helpWithoutABrowserSaysSoWhenTheOpenerFails() {
        // xdg-open as it answers on a desktop without a browser.
        TempFolder failing;
        const std::string opener = failing.Path("xdg-open");
        QVERIFY(WriteFileBytes(opener, "#!/bin/sh\nsleep 0.3\n"
                                       "echo \"xdg-open: no method available for opening '$1'\" >&2\n"
                                       "exit 3\n"));
        std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(failing.Path("")) + ":" + path);
        const std::shared_ptr<void> restore(nullptr, [&](void*) { qputenv("PATH", path); });

        GuiSession s;
        QVERIFY(s.started);
        s.Frame().Action(ID_HELP)->trigger();
        // The command came back before the opener answered.
        QVERIFY(s.platform.messages.empty());
        QTRY_COMPARE_WITH_TIMEOUT(s.platform.messages.size(), size_t{1}, 10000);
        const std::string manual = ManualIndexPath();
        QCOMPARE(s.platform.messages[0].text,
                 "マニュアルをブラウザで開けませんでした。\n" + manual +
                     "\nをブラウザで開いてください。\n\n"
                     "xdg-open: no method available for opening '" + manual + "'");
    }

    void aboutBoxSaysTheVersionAndWhereTheManualIs() {
        GuiSession s;
        QVERIFY(s.started);
        s.Frame().Action(ID_APP_ABOUT)->trigger();
        QCOMPARE(s.platform.messages.size(), size_t{1});
        const QString text = QString::fromStdString(s.platform.messages[0].text);
        QVERIFY(
            text.contains(QStringLiteral("バージョン ") + QCoreApplication::applicationVersion()));
        QVERIFY(text.contains(QString::fromStdString("マニュアル: " + ManualIndexPath())));
    }

    void screenshotStepsDrawAndPictureTheOpenDialog() {
        GuiSession s;
        QVERIFY(s.started);
        s.platform.showDialogs = true;
        s.Grab();
        std::string error;
        bool done = false;
        QPixmap picture;
        // A line on grid points, the next segment following the mouse, then the grid
        // dialog, which is what the picture shows.
        RunScreenshotSteps(s.Frame(),
                           *ParseScreenshotSteps(
                               "cmd:32791;click:0,0;click:1820,0;move:1820,1820;cmd:32805", error),
                           [&] {
                               picture = ScreenshotPicture(s.Frame());
                               QWidget* dialog = QApplication::activeModalWidget();
                               QVERIFY(dialog != nullptr);
                               QCOMPARE(picture.size(), dialog->size());
                               dialog->close();
                               done = true;
                           });
        QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
        CZorader_ezDoc& doc = s.App().Document();
        QCOMPARE(doc.m_shapes.size(), size_t{1});
        QVERIFY(doc.m_shapes.front()->m_pt[1] == (Float3{1820, 0, 0}));
        // The segment that follows the mouse is drawn red up the plan from the last point.
        QVERIFY(ColourNear(s.Grab(), Project(1820, 0, -910), IsRed));
        QCOMPARE(ScreenshotPicture(s.Frame()).size(), s.Frame().size());
    }
};

std::unique_ptr<QObject> MakeHelpTest() {
    return std::make_unique<HelpTest>();
}

}  // namespace marquetta

#include "help_test.moc"
