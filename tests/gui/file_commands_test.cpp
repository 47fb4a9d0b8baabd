// The file commands from the window: opening the sample drawing from the command line,
// changing it, saving it under a new name through the save dialog, reopening that file
// and saving it again byte for byte; a corrupt file refused with the drawing kept; a
// missing file on the command line ending the start; the recent-file items.
#include <QAction>
#include <QSettings>
#include <QTest>
#include <filesystem>

#include "app/app_controller.h"
#include "gui/main_frame.h"
#include "gui/view_widget.h"
#include "gui_session.h"
#include "gui_tests.h"
#include "model/layers.h"
#include "platform/command_ids.h"

namespace marquetta {
namespace {

const std::string kSample = MARQUETTA_SOURCE_DIR "/res/samples/sample.trn";

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { QSettings().clear(); }

    void openModifySaveAsAndReopen() {
        TempFolder folder;
        const std::string original = folder.Path("sample.trn");
        const std::optional<std::string> sampleBytes = ReadFileBytes(kSample);
        QVERIFY(sampleBytes.has_value());
        QVERIFY(WriteFileBytes(original, *sampleBytes));

        GuiSession s({original});
        QVERIFY(s.started);
        CZorader_ezDoc& doc = s.App().Document();
        QCOMPARE(s.Frame().windowTitle(), QStringLiteral("sample.trn - Marquetta"));
        const size_t shapes = doc.m_shapes.size();
        QVERIFY(shapes > 0);

        // A line through the core, as the line command adds one.
        doc.m_current.m_nType = SHAPE_LINE;
        doc.m_current.m_strLayer.assign(1, '0');
        doc.m_current.m_pt[0] = Float3{-1234.5f, 0.0f, 678.0f};
        doc.m_current.m_pt[1] = Float3{4321.0f, 0.0f, -876.25f};
        EnsureLayer("0");
        doc.AddCurrentShape();
        doc.m_current.m_nType = SHAPE_NONE;
        QVERIFY(doc.IsModified());

        const std::string copy = folder.Path("copy.trn");
        s.platform.fileNames.push_back(copy);
        s.Frame().Action(ID_FILE_SAVE_AS)->trigger();
        QCOMPARE(s.platform.fileRequests.size(), size_t{1});
        QVERIFY(s.platform.fileRequests[0].save);
        QCOMPARE(s.platform.fileRequests[0].defaultExtension, std::string("trn"));
        QVERIFY(s.platform.messages.empty());
        QVERIFY(!doc.IsModified());
        s.Frame().UpdateCommandUi();
        QCOMPARE(s.Frame().windowTitle(), QStringLiteral("copy.trn - Marquetta"));
        QCOMPARE(ReadFileBytes(original), sampleBytes);

        // Back to a new drawing, then open the copy through the open dialog.
        s.Frame().Action(ID_FILE_NEW)->trigger();
        QVERIFY(doc.m_shapes.empty());
        s.platform.fileNames.push_back(copy);
        QTest::keyClick(&s.View(), Qt::Key_O, Qt::ControlModifier);
        QVERIFY(s.platform.messages.empty());
        QCOMPARE(doc.m_shapes.size(), shapes + 1);
        const CShape& added = *doc.m_shapes.back();
        QCOMPARE(added.m_nType, int32_t{SHAPE_LINE});
        QCOMPARE(added.m_pt[0].x, -1234.5f);
        QCOMPARE(added.m_pt[1].z, -876.25f);

        // Saving the reopened drawing (Ctrl+S) writes the same bytes again.
        const std::optional<std::string> copyBytes = ReadFileBytes(copy);
        QVERIFY(std::filesystem::remove(copy));
        QTest::keyClick(&s.View(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(ReadFileBytes(copy), copyBytes);
        QCOMPARE(s.platform.fileRequests.size(), size_t{2});  // no dialog for Save
    }

    void unreadableFileIsRefusedAndTheDrawingKept() {
        TempFolder folder;
        const std::string notAFile = folder.Path("folder.trn");
        QVERIFY(std::filesystem::create_directory(notAFile));

        GuiSession s({kSample});
        QVERIFY(s.started);
        CZorader_ezDoc& doc = s.App().Document();
        const size_t shapes = doc.m_shapes.size();
        s.platform.fileNames.push_back(notAFile);
        s.Frame().Action(ID_FILE_OPEN)->trigger();
        QCOMPARE(s.platform.messages.size(), size_t{1});
        QCOMPARE(s.platform.messages[0].icon, MessageIcon::Exclamation);
        QCOMPARE(doc.m_shapes.size(), shapes);
        QCOMPARE(doc.GetPathName(), kSample);
        s.Frame().UpdateCommandUi();
        QCOMPARE(s.Frame().windowTitle(), QStringLiteral("sample.trn - Marquetta"));
    }

    void fileCorruptPartWayIsRefusedAndTheDrawingKept() {
        TempFolder folder;
        const std::string bad = folder.Path("bad.trn");
        // The banner, then a sky text whose length runs past the end of the file.
        QVERIFY(WriteFileBytes(bad, std::string("\x14"
                                                "Tarno_III V0.08     "
                                                "\x40"
                                                "S_Cl")));

        GuiSession s({kSample});
        QVERIFY(s.started);
        CZorader_ezDoc& doc = s.App().Document();
        const size_t shapes = doc.m_shapes.size();
        QVERIFY(shapes > 0);
        // Halfway between two grid points on the sample's north wall.
        QVERIFY(WhiteNear(s.Grab(), Project(1365, 0, -2730)));
        s.platform.fileNames.push_back(bad);
        s.Frame().Action(ID_FILE_OPEN)->trigger();
        QCOMPARE(s.platform.messages.size(), size_t{1});
        QCOMPARE(s.platform.messages[0].text, std::string("予期しないﾌｧｲﾙ形式です。"));
        QCOMPARE(s.platform.messages[0].icon, MessageIcon::Exclamation);
        QCOMPARE(doc.m_shapes.size(), shapes);
        s.Frame().UpdateCommandUi();
        QCOMPARE(s.Frame().windowTitle(), QStringLiteral("sample.trn - Marquetta"));
        // The view still shows the drawing: the wall is there.
        QVERIFY(WhiteNear(s.Grab(), Project(1365, 0, -2730)));
    }

    void missingFileOnTheCommandLineEndsTheStart() {
        TempFolder folder;
        GuiSession s({folder.Path("nowhere.trn")});
        QVERIFY(!s.started);
        QCOMPARE(s.platform.messages.size(), size_t{1});
        QVERIFY(!s.Frame().isVisible());
    }

    void recentFilesFillTheMenuAndTheSettings() {
        GuiSession s({kSample});
        QVERIFY(s.started);
        s.Frame().UpdateCommandUi();
        QAction* first = s.Frame().Action(ID_FILE_MRU_FIRST);
        QCOMPARE(first->text(), QStringLiteral("&1 sample.trn"));
        QVERIFY(first->isVisible());
        QVERIFY(first->isEnabled());
        QVERIFY(!s.Frame().Action(ID_FILE_MRU_FIRST + 1)->isVisible());
        QSettings settings(QStringLiteral("HALVERN STUDIO"), QStringLiteral("Marquetta"));
        QCOMPARE(settings.value(QStringLiteral("Recent File List/File1")).toString(),
                 QString::fromStdString(kSample));

        // The item opens its file again.
        s.Frame().Action(ID_FILE_NEW)->trigger();
        QVERIFY(s.App().Document().m_shapes.empty());
        first->trigger();
        QVERIFY(!s.App().Document().m_shapes.empty());
        QCOMPARE(s.App().Document().GetPathName(), kSample);
    }
};

std::unique_ptr<QObject> MakeFileCommandsTest() {
    return std::make_unique<FileCommandsTest>();
}

}  // namespace marquetta

#include "file_commands_test.moc"
