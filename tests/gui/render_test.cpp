// Rendering from the window: the render command with a stand-in "povray" first on the
// PATH, which records its arguments and folder and leaves a picture that then opens in
// its own window; a failing renderer's last lines in a message; a running render on the
// status line, and a second one refused meanwhile; a render that goes on after the
// program has closed; the rendering settings dialog with its arrows in the
// "太陽の位置" box.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

#include "gui/main_frame.h"
#include "gui/model_dialog.h"
#include "gui/picture_window.h"
#include "gui/view_widget.h"
#include "gui_session.h"
#include "gui_tests.h"
#include "model/render_settings.h"
#include "platform/command_ids.h"
#include "ui/render_settings_dialog.h"

namespace marquetta {
namespace {

// For one test: `bin` first on the PATH and `folder` the current folder; both as they
// were afterwards.
class RenderPlace {
  public:
    RenderPlace() : path_(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "") {
        setenv("PATH", (bin.Path("") + ":" + path_).c_str(), 1);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(folder.Path(""));
    }
    ~RenderPlace() {
        std::filesystem::current_path(previous_);
        setenv("PATH", path_.c_str(), 1);
    }
    // Puts an executable "povray" running `script` (sh) into bin.
    void StandIn(const std::string& script) {
        const std::string program = bin.Path("povray");
        WriteFileBytes(program, "#!/bin/sh\n" + script);
        ::chmod(program.c_str(), 0755);
    }
    std::string Folder() { return std::filesystem::canonical(folder.Path("")).string(); }

    TempFolder bin;
    TempFolder folder;

  private:
    std::string path_;
    std::filesystem::path previous_;
};

}  // namespace

class RenderTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { QSettings().clear(); }

    void renderStartsTheRendererAndShowsItsPicture() {
        RenderPlace place;
        QImage picture(32, 24, QImage::Format_RGB32);
        picture.fill(QColor(200, 40, 90));
        QVERIFY(picture.save(QString::fromStdString(place.bin.Path("picture.png"))));
        place.StandIn("{ pwd; for a in \"$@\"; do echo \"$a\"; done; } >'" +
                      place.bin.Path("record.txt") + "'\ncp '" + place.bin.Path("picture.png") +
                      "' TEMP.png\n");

        GuiSession s;
        QVERIFY(s.started);
        s.Grab();
        s.Frame().Action(ID_RENDER)->trigger();

        QTRY_VERIFY_WITH_TIMEOUT(s.platform.PictureWindow() != nullptr &&
                                     s.platform.PictureWindow()->isVisible(),
                                 10000);
        const std::optional<std::string> record = ReadFileBytes(place.bin.Path("record.txt"));
        QVERIFY(record.has_value());
        const std::string size = "+W" + std::to_string(s.View().width()) + "\n+H" +
                                 std::to_string(s.View().height()) + "\n";
        QCOMPARE(*record, place.Folder() + "\n+ITEMP.pov\n+OTEMP.png\n+FN\n" + size);
        const std::optional<std::string> scene = ReadFileBytes(place.folder.Path("TEMP.pov"));
        QVERIFY(scene.has_value());
        QCOMPARE(scene->substr(0, 25), std::string("//Created by Tarno_IIILT\n"));

        CPictureWindow* window = s.platform.PictureWindow();
        QCOMPARE(window->windowTitle(), QStringLiteral("TEMP.png"));
        const QImage shown = window->Picture()->grab().toImage();
        QCOMPARE(shown.size(), QSize(32, 24));
        QCOMPARE(shown.pixelColor(16, 12), QColor(200, 40, 90));
        QVERIFY(s.platform.messages.empty());
    }

    void failingRendererShowsItsLastLines() {
        RenderPlace place;
        place.StandIn(
            "echo 'Parsing 1K tokens'\necho \"File 'TEMP.pov' line 40:\" >&2\n"
            "echo \"Parse Error: No matching } in 'texture'\" >&2\nexit 3\n");
        GuiSession s;
        QVERIFY(s.started);
        s.Frame().Action(ID_RENDER)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!s.platform.messages.empty(), 10000);
        const TestPlatform::Message& message = s.platform.messages.front();
        QCOMPARE(message.caption, std::string("ワーニング"));
        QCOMPARE(message.text, std::string("POV-Ray がエラーで終了しました（終了コード 3）\n\n"
                                           "Parsing 1K tokens\nFile 'TEMP.pov' line 40:\n"
                                           "Parse Error: No matching } in 'texture'"));
        QVERIFY(s.platform.PictureWindow() == nullptr);
    }

    void aRunningRenderIsOnTheStatusLineAndRefusesASecond() {
        RenderPlace place;
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        QVERIFY(picture.save(QString::fromStdString(place.bin.Path("picture.png"))));
        // Each start is counted; the renderer waits for "go" before it writes its picture.
        place.StandIn("echo started >>'" + place.bin.Path("starts.txt") + "'\n" +
                      "while [ ! -e '" + place.bin.Path("go") + "' ]; do sleep 0.05; done\n" +
                      "cp '" + place.bin.Path("picture.png") + "' TEMP.png\n");
        GuiSession s;
        QVERIFY(s.started);
        s.Grab();
        QLabel* status = s.Frame().MessagePane();
        QCOMPARE(status->text(), QStringLiteral("ﾚﾃﾞｨ"));

        s.Frame().Action(ID_RENDER)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("POV-Ray でレンダリング中です"),
                                  5000);
        s.Frame().Action(ID_RENDER)->trigger();
        QCOMPARE(s.platform.messages.size(), size_t{1});
        QCOMPARE(s.platform.messages[0].text,
                 std::string("POV-Ray がレンダリング中です。終わってからもう一度"
                             "レンダリングしてください。"));

        WriteFileBytes(place.bin.Path("go"), "");
        QTRY_VERIFY_WITH_TIMEOUT(s.platform.PictureWindow() != nullptr &&
                                     s.platform.PictureWindow()->isVisible(),
                                 10000);
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("ﾚﾃﾞｨ"), 5000);
        QCOMPARE(ReadFileBytes(place.bin.Path("starts.txt")).value_or(""),
                 std::string("started\n"));
        QCOMPARE(s.platform.messages.size(), size_t{1});
    }

    void aRenderGoesOnWhenTheProgramCloses() {
        RenderPlace place;
        const std::string marker = place.folder.Path("finished");
        place.StandIn("sleep 1\necho done >finished\n");
        {
            GuiSession s;
            QVERIFY(s.started);
            s.Frame().Action(ID_RENDER)->trigger();
            // The command came back at once: the renderer is still at work.
            QVERIFY(!std::filesystem::exists(marker));
        }
        QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(marker), 10000);
    }

    void settingsDialogStepsAndStores() {
        GuiSession s;
        QVERIFY(s.started);
        s.platform.showDialogs = true;
        QStringList seen;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<CModelDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            seen << dialog->windowTitle();
            for (const QGroupBox* group : dialog->findChildren<QGroupBox*>()) {
                seen << group->title();
                for (const QLabel* label : group->findChildren<QLabel*>()) {
                    seen << label->text();
                }
            }
            // North: the Up key twice and Down once; hour: the down arrow beside it;
            // season: from "春分，秋分" to the next in the list, "夏至".
            QLineEdit* north = dialog->FieldEdit(kNorthField);
            for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Down}) {
                QTest::keyClick(north, key);
            }
            QTest::mouseClick(dialog->FieldButton(kHourField, -1), Qt::LeftButton);
            QTest::keyClick(dialog->FieldEdit(kSeasonField), Qt::Key_Down);
            QTest::keyClick(dialog->FieldEdit(kSeasonField), Qt::Key_Return);
        });
        s.Frame().Action(ID_RENDER_SETTINGS)->trigger();
        QCOMPARE(seen, QStringList({QStringLiteral("ﾀﾞｲｱﾛｸﾞ"), QStringLiteral("太陽の位置"),
                                    QStringLiteral("真北（度）"),
                                    QStringLiteral("（北から反時計回り）"),
                                    QStringLiteral("緯度（度）"), QStringLiteral("時間（時）"),
                                    QStringLiteral("（0～24時）")}));
        QCOMPARE(g_sunNorth, 1.0);
        QCOMPARE(g_sunHour, 9.0);
        QCOMPARE(g_sunSeason, 30.0);
    }
};

std::unique_ptr<QObject> MakeRenderTest() {
    return std::make_unique<RenderTest>();
}

}  // namespace marquetta

#include "render_test.moc"
