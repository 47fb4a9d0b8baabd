#include "app/app_controller.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "app/command_table.h"
#include "app/program_defaults.h"
#include "edit/editing_state.h"
#include "model/layers.h"
#include "model/native_file.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "test_files.h"
#include "view/camera.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

class AppControllerTest : public ::testing::Test {
protected:
    void SetUp() override { InitProgramDefaults(); }

    void AddLine(float x) {
        CZorader_ezDoc& doc = app->Document();
        EnsureLayer("0");
        doc.SetCurrentLayer("0");
        doc.m_current.m_nType = SHAPE_LINE;
        doc.m_current.m_pt[1] = {x, 0, 0};
        doc.AddCurrentShape();
        doc.m_current.m_nType = SHAPE_NONE;
    }

    std::vector<PlatformCall> Messages() const {
        return platform.CallsOf(PlatformCall::Kind::MessageBox);
    }

    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    TempDir dir;
    std::unique_ptr<AppController> app = std::make_unique<AppController>();
};

// What a fresh program offers, with a base point set. Commands still to come are in the
// second list; a command that gains its handler moves to the first.
TEST_F(AppControllerTest, CommandsEnabledAndDisabledToday) {
    basePointSet = 1;
    // clang-format off
    const std::set<int> enabled = {
        ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_APP_EXIT,
        ID_DXF_IMPORT, ID_DXF_EXPORT, ID_INSERT_FILE,
        ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP,
        ID_EDIT_SELECT_ALL, ID_WIREFRAME, ID_VIEW_MOVE, ID_VIEW_ZOOM, ID_ZOOM_FIT, ID_CANCEL,
        ID_LINE, ID_CIRCLE, ID_ARC, ID_TEXT,
        ID_DIM_LINEAR, ID_DIM_ALIGNED, ID_DIM_RADIUS, ID_DIM_DIAMETER, ID_DIM_ANGLE,
        ID_DIM_SETTINGS, ID_MEASURE,
        ID_EDIT_CUT, ID_ERASE, ID_MOVE, ID_COPY, ID_OFFSET, ID_STRETCH, ID_LAYERS,
        ID_ROTATE, ID_MIRROR, ID_MIRROR_COPY, ID_SCALE_SHAPES,
        ID_FILLET, ID_CHAMFER, ID_TRIM, ID_RECTANGLE,
        ID_COLOR_BY_LAYER, ID_SNAP_TOGGLE, ID_GRID_TOGGLE, ID_SCALE, ID_GRID_PITCH,
        ID_SNAP_ENDPOINT, ID_SNAP_MIDPOINT, ID_SNAP_CENTER, ID_SNAP_INTERSECTION,
        ID_SNAP_PERPENDICULAR, ID_SNAP_NEAREST, ID_ORTHO,
        ID_RENDER_SETTINGS, ID_RENDER, ID_RELATIVE_ENTRY,
        ID_HELP, ID_APP_ABOUT,
    };
    const std::set<int> disabled = {
        // Never offered.
        ID_POV_EXPORT, ID_SPHERE, ID_VIEW_ROTATE, ID_PARALLEL_PROJECTION, ID_WALK_THROUGH,
        // Nothing to undo or redo, no selection to copy, no shapes on the clipboard
        // (UndoTest.EditItemsFollowTheStateAndNameTheStep).
        ID_EDIT_UNDO, ID_EDIT_REDO, ID_EDIT_COPY, ID_EDIT_PASTE, ID_CHANGE_LAYER,
        // No recent file yet.
        ID_FILE_MRU_FIRST, ID_FILE_MRU_FIRST + 1, ID_FILE_MRU_FIRST + 2, ID_FILE_MRU_LAST,
        // Still to come.
        ID_NEXT_PANE, ID_PREV_PANE,
    };
    // clang-format on
    std::set<int> everyCommand = {ID_SNAP_TOGGLE, ID_GRID_TOGGLE, ID_RELATIVE_ENTRY, ID_SCALE,
                                  ID_GRID_PITCH,  ID_CANCEL,      ID_NEXT_PANE,      ID_PREV_PANE};
    for (const CommandInfo& info : CommandTable()) {
        everyCommand.insert(info.id);
    }
    // The tool and status bars are the main window's own.
    everyCommand.erase(ID_VIEW_TOOLBAR);
    everyCommand.erase(ID_VIEW_STATUS_BAR);
    for (int id : everyCommand) {
        EXPECT_NE(enabled.count(id), disabled.count(id)) << id << " must be in one list";
        EXPECT_EQ(app->Query(id).enabled, enabled.count(id) == 1) << id;
    }
    for (int id : {ID_PARALLEL_PROJECTION, ID_WALK_THROUGH}) {
        EXPECT_EQ(app->Query(id).checked, false) << id;
    }
    basePointSet = 0;
    EXPECT_FALSE(app->Query(ID_RELATIVE_ENTRY).enabled);
}

TEST_F(AppControllerTest, MissingCp932ConverterIsReportedAtStartUp) {
    EXPECT_TRUE(app->Start({}));
    EXPECT_TRUE(Messages().empty());
    testing::WithoutCp932 minimalSystem;
    EXPECT_TRUE(app->Start({}));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].text.find("CP932"), std::string::npos);
    EXPECT_EQ(Messages()[0].icon, MessageIcon::Exclamation);
}

TEST_F(AppControllerTest, FileDialogsStartWhereTheUserWorks) {
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "/";
    const std::string a = dir.File("a");
    const std::string b = dir.File("b");
    std::filesystem::create_directory(a);
    std::filesystem::create_directory(b);
    AddLine(1);
    ASSERT_TRUE(SaveDrawingFile(app->Document(), a + "/plan.trn").ok());
    ASSERT_TRUE(SaveDrawingFile(app->Document(), b + "/part.trn").ok());
    app->Execute(ID_FILE_NEW);
    auto startFolder = [&](int id) {
        app->Execute(id);
        return platform.CallsOf(PlatformCall::Kind::AskFileName).back().fileDialog.folder;
    };
    // Untitled, no dialog used yet: the home folder.
    EXPECT_EQ(startFolder(ID_FILE_OPEN), home);
    // A drawing opened elsewhere: every dialog starts in its folder.
    platform.QueueFileName(a + "/plan.trn");
    app->Execute(ID_FILE_OPEN);
    ASSERT_EQ(app->WindowTitle(), "plan.trn - Marquetta");
    for (int id : {ID_FILE_OPEN, ID_FILE_SAVE_AS, ID_DXF_IMPORT, ID_DXF_EXPORT, ID_INSERT_FILE}) {
        EXPECT_EQ(startFolder(id), a) << id;
    }
    // Untitled again: the folder used last, also after a restart.
    app->Execute(ID_FILE_NEW);
    platform.QueueFileName(b + "/part.trn");
    EXPECT_EQ(startFolder(ID_INSERT_FILE), a);
    EXPECT_EQ(startFolder(ID_DXF_IMPORT), b);
    app = std::make_unique<AppController>();
    EXPECT_EQ(startFolder(ID_FILE_OPEN), b);
}

TEST(RecentFileListTest, CaptionsTellFilesOfTheSameNameApart) {
    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    using Captions = std::vector<std::string>;
    const struct {
        std::vector<std::string> files;  // oldest first
        std::string currentFolder;
        Captions captions;
    } cases[] = {
        {{"/home/u/a/sample.trn", "/home/u/b/sample.trn"},
         "/home/u/a",
         {"&1 /home/u/b/sample.trn", "&2 sample.trn"}},
        // Long paths lose folders in the middle, but only as many as leave them apart.
        {{"/home/user/2023/projects/site-plans/north/sample.trn",
          "/home/user/2024/projects/site-plans/north/sample.trn", "/home/user/notes/R&D.trn",
          "/home/user/a-folder-with-a-rather-long-name/another-long-one/plan.trn"},
         "/tmp",
         {"&1 /home/\u2026/another-long-one/plan.trn", "&2 /home/user/notes/R&&D.trn",
          "&3 /home/\u2026/2024/projects/site-plans/north/sample.trn",
          "&4 /home/\u2026/2023/projects/site-plans/north/sample.trn"}},
    };
    for (const auto& c : cases) {
        RecentFileList list;
        for (const std::string& file : c.files) {
            list.Add(file);
        }
        EXPECT_EQ(list.Captions(c.currentFolder), c.captions);
    }
}

TEST_F(AppControllerTest, StatusBarCaptionsFollowTheSheet) {
    EXPECT_EQ(app->Query(ID_SNAP_TOGGLE).text, "SNP_ON");
    EXPECT_EQ(app->Query(ID_GRID_TOGGLE).text, "GRD:910");
    EXPECT_EQ(app->Query(ID_SCALE).text, "SCL:1/100");
    ASSERT_TRUE(app->Execute(ID_SNAP_TOGGLE));
    EXPECT_EQ(app->Query(ID_SNAP_TOGGLE).text, "snp_off");
    // Snap changes without a repaint; the grid repaints.
    EXPECT_TRUE(platform.CallsOf(PlatformCall::Kind::InvalidateView).empty());
    app->Execute(ID_GRID_TOGGLE);
    EXPECT_EQ(app->Query(ID_GRID_TOGGLE).text, "grd_off");
    EXPECT_EQ(platform.CallsOf(PlatformCall::Kind::InvalidateView).size(), 1u);
    g_gridOn = 1;
    g_gridPitch = 455.7;
    g_scaleDenominator = 999;
    EXPECT_EQ(app->Query(ID_GRID_TOGGLE).text, "GRD:455");
    EXPECT_EQ(app->Query(ID_SCALE).text, "SCL:1/999");
}

TEST_F(AppControllerTest, WireframeToggleChecksAndRecompiles) {
    EXPECT_EQ(app->Query(ID_WIREFRAME).checked, true);
    g_displayListValid = 1;
    app->Execute(ID_WIREFRAME);
    EXPECT_EQ(g_shaded, 1);
    EXPECT_EQ(g_displayListValid, 0);
    EXPECT_EQ(app->Query(ID_WIREFRAME).checked, false);
}

TEST_F(AppControllerTest, SelectAllSelectsVisibleShapesAndRepaints) {
    AddLine(1);
    app->Document().SetModifiedFlag(false);
    app->Execute(ID_EDIT_SELECT_ALL);
    EXPECT_EQ(app->Document().m_shapes.front()->m_bSelected, 1);
    EXPECT_EQ(selectionExists, 1);
    EXPECT_FALSE(app->Document().IsModified());

    // With nothing to select (an empty drawing), nothing is said to be selected: the
    // line command still starts.
    app->Execute(ID_CANCEL);
    app->Document().DeleteAllShapes();
    app->Execute(ID_EDIT_SELECT_ALL);
    EXPECT_EQ(selectionExists, 0);
    app->Execute(ID_LINE);
    EXPECT_EQ(app->Document().m_current.m_nType, SHAPE_LINE);
}

TEST_F(AppControllerTest, SaveAsOpenAndRecentFiles) {
    AddLine(5);
    EXPECT_EQ(app->WindowTitle(), "無題 - Marquetta");
    const std::string path = dir.File("plan.trn");
    platform.QueueFileName(path);
    ASSERT_TRUE(app->Execute(ID_FILE_SAVE));  // untitled: asks for a name
    const auto dialogs = platform.CallsOf(PlatformCall::Kind::AskFileName);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_TRUE(dialogs[0].fileDialog.save);
    EXPECT_EQ(dialogs[0].fileDialog.filter, "Marquetta Files (*.trn)|*.trn||");
    EXPECT_EQ(app->WindowTitle(), "plan.trn - Marquetta");
    EXPECT_FALSE(app->Document().IsModified());
    ASSERT_EQ(app->RecentFiles().Files().size(), 1u);
    EXPECT_EQ(app->RecentFileCaptions(), std::vector<std::string>{"&1 plan.trn"});
    EXPECT_EQ(platform.ReadSetting("Recent File List", "File1"), path);

    // A new drawing, then the recent file opens it again; the camera stays.
    app->Execute(ID_FILE_NEW);
    EXPECT_TRUE(app->Document().m_shapes.empty());
    g_viewTranslate.x = 123;
    ASSERT_TRUE(app->Execute(ID_FILE_MRU_FIRST));
    EXPECT_EQ(app->Document().m_shapes.size(), 1u);
    EXPECT_EQ(g_viewTranslate.x, 123);
    EXPECT_FALSE(app->Query(ID_FILE_MRU_FIRST + 1).enabled);

    // The list survives a restart through the settings.
    app = std::make_unique<AppController>();
    EXPECT_EQ(app->RecentFiles().Files(), std::vector<std::string>{path});

    // Newest first; an "&" in a name is no mnemonic.
    platform.QueueFileName(dir.File("R&D.trn"));
    ASSERT_TRUE(app->Execute(ID_FILE_SAVE_AS));
    EXPECT_EQ(app->RecentFileCaptions(), (std::vector<std::string>{"&1 R&&D.trn", "&2 plan.trn"}));
}

TEST_F(AppControllerTest, SaveQuestionBeforeDiscardingAModifiedDrawing) {
    AddLine(1);
    platform.QueueAnswer(MessageAnswer::Cancel);
    app->Execute(ID_FILE_NEW);
    EXPECT_EQ(app->Document().m_shapes.size(), 1u);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "無題 への変更を保存しますか？");
    EXPECT_EQ(Messages()[0].buttons, MessageButtons::YesNoCancel);

    // Yes saves first; cancelling the file dialog keeps the drawing.
    platform.QueueAnswer(MessageAnswer::Yes);
    app->Execute(ID_FILE_NEW);
    EXPECT_EQ(app->Document().m_shapes.size(), 1u);

    platform.QueueAnswer(MessageAnswer::Yes);
    platform.QueueFileName(dir.File("kept.trn"));
    app->Execute(ID_FILE_NEW);
    EXPECT_TRUE(app->Document().m_shapes.empty());
    EXPECT_TRUE(std::filesystem::exists(dir.File("kept.trn")));

    AddLine(2);
    platform.QueueAnswer(MessageAnswer::No);
    app->Execute(ID_APP_EXIT);
    EXPECT_TRUE(platform.MainWindowClosed());
}

TEST_F(AppControllerTest, FailedOpenKeepsTheDrawingAndShowsTheMessage) {
    AddLine(1);
    const std::string path = dir.File("plan.trn");
    ASSERT_TRUE(SaveDrawingFile(app->Document(), path).ok());
    WriteBytes(dir.File("corrupt.trn"), ReadBytes(path).substr(0, 130));

    EXPECT_FALSE(app->OpenDocumentFile(dir.File("missing.trn")));
    EXPECT_EQ(app->Document().m_shapes.size(), 1u);
    EXPECT_EQ(app->WindowTitle(), "plan.trn - Marquetta");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].text.find("このﾌｧｲﾙが見つかりません。"), std::string::npos);

    // A file that breaks part-way is refused the same way.
    EXPECT_FALSE(app->OpenDocumentFile(dir.File("corrupt.trn")));
    EXPECT_EQ(Messages().back().text, "予期しないﾌｧｲﾙ形式です。");
    EXPECT_EQ(app->Document().m_shapes.size(), 1u);
    EXPECT_EQ(app->WindowTitle(), "plan.trn - Marquetta");

    // So is a file of another kind, and the next save goes to the drawing's own file.
    std::string newer = ReadBytes(path);
    newer[15] = '9';  // "Tarno_III V0.09"
    WriteBytes(dir.File("newer.trn"), newer);
    EXPECT_FALSE(app->OpenDocumentFile(dir.File("newer.trn")));
    EXPECT_NE(Messages().back().text.find(dir.File("newer.trn")), std::string::npos);
    EXPECT_EQ(app->WindowTitle(), "plan.trn - Marquetta");
    AddLine(2);
    ASSERT_TRUE(app->Execute(ID_FILE_SAVE));
    EXPECT_EQ(ReadBytes(dir.File("newer.trn")), newer);
    EXPECT_EQ(Messages().size(), 3u);
}

// Save As never writes the drawing under a name another format owns: ".trn" is added
// (the dialog adds it first, so that its question is about that name).
TEST_F(AppControllerTest, SaveAsNeverWritesTheDrawingUnderAnotherFormatsName) {
    const struct {
        const char* chosen;
        const char* written;
    } cases[] = {
        {"export.dxf", "export.dxf.trn"},
        {"plan.SVG", "plan.SVG.trn"},
        {"scene.pov", "scene.pov.trn"},
        {"dump.json", "dump.json.trn"},
        {"print.pdf", "print.pdf.trn"},
        {"TEMP.png", "TEMP.png.trn"},
        {"plan.trn", "plan.trn"},
        {"plan.v2", "plan.v2"},
        {".dxf", ".dxf"},
        {"a.dxf.trn", "a.dxf.trn"},
    };
    AddLine(1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        platform.QueueFileName(dir.File(c.chosen));
        ASSERT_TRUE(app->Execute(ID_FILE_SAVE_AS));
        EXPECT_EQ(app->Document().GetPathName(), dir.File(c.written));
        EXPECT_TRUE(std::filesystem::exists(dir.File(c.written)));
        if (std::string(c.chosen) != c.written) {
            EXPECT_FALSE(std::filesystem::exists(dir.File(c.chosen)));
        }
    }
    const FileDialogRequest asked =
        platform.CallsOf(PlatformCall::Kind::AskFileName).back().fileDialog;
    EXPECT_EQ(asked.foreignExtensions,
              (std::vector<std::string>{"dxf", "svg", "pov", "json", "pdf", "png"}));
    EXPECT_TRUE(Messages().empty());
}

// A Save As that fails says why and opens the dialog again on the name that failed, until
// the user saves elsewhere or cancels.
TEST_F(AppControllerTest, FailedSaveAsReturnsToTheDialog) {
    AddLine(1);
    platform.QueueFileName("/proc/plan.trn");  // a folder that takes no file
    platform.QueueFileName(dir.File("plan.trn"));
    ASSERT_TRUE(app->Execute(ID_FILE_SAVE_AS));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text,
              "/proc/plan.trn は使用中または読み取り専用のため、書き込めません。");
    const auto dialogs = platform.CallsOf(PlatformCall::Kind::AskFileName);
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[1].fileDialog.folder, "/proc");
    EXPECT_EQ(dialogs[1].fileDialog.initialName, "plan.trn");
    EXPECT_TRUE(dialogs[1].fileDialog.save);
    EXPECT_EQ(app->WindowTitle(), "plan.trn - Marquetta");
    EXPECT_FALSE(app->Document().IsModified());

    // Cancelled on the second showing: nothing saved, the drawing still modified.
    AddLine(2);
    platform.QueueFileName("/proc/other.trn");
    app->Execute(ID_FILE_SAVE_AS);
    EXPECT_EQ(platform.CallsOf(PlatformCall::Kind::AskFileName).size(), 4u);
    EXPECT_EQ(Messages().size(), 2u);
    EXPECT_TRUE(app->Document().IsModified());
    EXPECT_EQ(app->WindowTitle(), "plan.trn - Marquetta");
}

TEST_F(AppControllerTest, CommandLineOpensTheNamedFileOrFails) {
    AddLine(1);
    const std::string path = dir.File("start.trn");
    ASSERT_TRUE(SaveDrawingFile(app->Document(), path).ok());
    app = std::make_unique<AppController>();
    EXPECT_TRUE(app->Start({path}));
    EXPECT_EQ(app->Document().m_shapes.size(), 1u);
    app = std::make_unique<AppController>();
    EXPECT_FALSE(app->Start({dir.File("nothing.trn")}));
    EXPECT_TRUE(app->Start({}));
    EXPECT_EQ(app->WindowTitle(), "無題 - Marquetta");
}

TEST(CommandTableTest, AcceleratorsAndMenus) {
    EXPECT_EQ(TranslateAccelerator('L', MOD_NONE, 'l'), ID_LINE);
    EXPECT_EQ(TranslateAccelerator('E', MOD_SHIFT, 'E'), ID_ERASE);
    EXPECT_EQ(TranslateAccelerator('M', MOD_SHIFT, 'M'), ID_MOVE);
    EXPECT_EQ(TranslateAccelerator('C', MOD_SHIFT, 'C'), ID_COPY);
    EXPECT_EQ(TranslateAccelerator('R', MOD_SHIFT, 'R'), ID_ROTATE);
    // Delete erases; only the cut puts the shapes on the clipboard.
    EXPECT_EQ(TranslateAccelerator(KEY_DELETE, MOD_NONE, 0), ID_ERASE);
    EXPECT_EQ(TranslateAccelerator('X', MOD_CTRL, 0x18), ID_EDIT_CUT);
    // "@" is a character, whatever keys type it.
    EXPECT_EQ(TranslateAccelerator('2', MOD_SHIFT, '@'), ID_RELATIVE_ENTRY);
    EXPECT_EQ(TranslateAccelerator('D', MOD_NONE, 'd'), 0);
    EXPECT_EQ(TranslateAccelerator('L', MOD_CTRL, 0x0C), 0);
    EXPECT_EQ(TranslateAccelerator(KEY_ESCAPE, MOD_NONE, 0x1B), ID_CANCEL);

    const auto& menu = MainMenu();
    ASSERT_EQ(menu.size(), 7u);
    EXPECT_STREQ(menu[0].caption, "ﾌｧｲﾙ(&F)");
    EXPECT_EQ(menu[0].children.size(), 17u);
    EXPECT_STREQ(menu[0].children[5].caption, "読み込み(&F)...");
    EXPECT_EQ(menu[0].children[6].children[1].id, ID_POV_EXPORT);
    EXPECT_STREQ(FindCommand(ID_LINE)->caption, "直線(&L)\tL");
    EXPECT_STREQ(FindCommand(ID_INSERT_FILE)->statusText, "オブジェクトを挿入");
    EXPECT_STREQ(FindCommand(ID_INSERT_FILE)->toolTip, "挿入");
    // Every menu command and button has a table entry.
    std::function<void(const std::vector<MenuItem>&)> check = [&](const auto& items) {
        for (const MenuItem& item : items) {
            if (item.kind == MenuItem::Kind::Command) {
                EXPECT_NE(FindCommand(item.id), nullptr) << item.id;
            }
            check(item.children);
        }
    };
    check(menu);
    for (int id : StandardToolBar()) {
        EXPECT_TRUE(id == 0 || FindCommand(id) != nullptr) << id;
    }
    EXPECT_EQ(DrawingToolBar().size(), 22u);
}

}  // namespace
}  // namespace marquetta
