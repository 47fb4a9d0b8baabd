// Undo and redo through the program's commands: every kind of step taken back and done
// again restores the drawing file byte for byte; the history's bounds, the saved point,
// the references it forgets; copy and paste through the clipboard.
#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "app/command_table.h"
#include "app/edit_commands.h"
#include "edit/modify_commands.h"
#include "exchange/insert_file.h"
#include "edit/view_fixture.h"
#include "exchange/dxf_writer.h"
#include "model/cp932.h"
#include "model/native_file.h"
#include "test_files.h"

namespace marquetta {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

class UndoTest : public ViewFixture {
  protected:
    void SetUp() override {
        ViewFixture::SetUp();
        StartDrawing();
    }

    // Two layers, two crossing lines, a circle on "B", a text and a face whose selected
    // flag is 7 (as a file may hold it); no history, unmodified, snap off.
    void StartDrawing() {
        InitProgramDefaults();
        g_snapOn = 0;
        Paint();
        doc.DeleteAllShapes();
        EnsureLayer("0");
        EnsureLayer("B");
        g_layerTextures[1] = "T_Stone1";
        AddLine({0, 0, 0}, {4000, 0, 0});
        AddLine({2000, 0, -2000}, {2000, 0, 2000});
        AddShape(SHAPE_CIRCLE, {-3000, 0, 0}, {500, 0, 0}, "B");
        CShape& text = AddShape(SHAPE_TEXT, {0, 0, 3000}, {300, 300, 0});
        text.m_strText = "AB";
        CShape& face = AddShape(SHAPE_FACE, {6000, 0, 0}, {7000, 0, 0});
        face.m_pt[2] = {7000, 0, -1000};
        for (Float3& normal : face.m_normal) {
            normal = {1, 0, 0};  // a wall facing along x: a rotation turns it
        }
        face.m_bSelected = 7;
        ASSERT_TRUE(SaveDrawingFile(doc, dir.File("start.trn")).ok());
        doc.History().Clear();
        doc.SetModifiedFlag(false);
        platform.ClearCalls();
    }

    // The drawing as its file holds it; the document keeps its name and modified flag.
    std::string Snapshot() {
        const std::string path = doc.GetPathName();
        const bool modified = doc.IsModified();
        EXPECT_TRUE(SaveDrawingFile(doc, dir.File("snapshot.trn")).ok());
        doc.SetPathName(path);
        doc.SetModifiedFlag(modified);
        return ReadBytes(dir.File("snapshot.trn"));
    }
    bool Run(int id) { return app.Execute(id); }
    void DrawLine(double x1, double z1, double x2, double z2) {
        Run(ID_LINE);
        ClickWorld(x1, z1);
        ClickWorld(x2, z2);
        RightClick(0, 0);
    }

    TempDir dir;
};

TEST_F(UndoTest, EveryKindOfStepUndoesAndRedoesToTheSameFile) {
    WriteBytes(dir.File("a.txt"), "A\nB\n");
    WriteBytes(dir.File("w.dxf"),
               "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\nW\n10\n0\n20\n0\n30\n0\n11\n100\n21\n0\n"
               "31\n0\n0\nENDSEC\n0\nEOF\n");
    const std::function<void()> none = [] {};
    const struct Case {
        const char* name;
        std::function<void()> prepare;  // before the step's command: not part of it
        std::function<void()> act;
        int steps;
        StepKind last;
    } cases[] = {
        {"line", none, [&] { DrawLine(0, -3000, 1500, -3000); }, 1, StepKind::Line},
        {"circle", none,
         [&] {
             Run(ID_CIRCLE);
             ClickWorld(0, -3000);
             ClickWorld(700, -3000);
         },
         1, StepKind::Circle},
        {"arc", none,
         [&] {
             Run(ID_ARC);
             ClickWorld(0, -3000);
             ClickWorld(1000, -3000);
             ClickWorld(0, -4000);
         },
         1, StepKind::Arc},
        {"text", none,
         [&] {
             platform.QueueDialog({{"XY"}, true});
             Run(ID_TEXT);
             ClickWorld(-1000, -3000);
         },
         1, StepKind::Text},
        {"erase apart",
         [&] {
             ClickWorld(1000, 0);
             ClickWorld(-2500, 0);
         },
         [&] { Run(ID_ERASE); }, 1, StepKind::Erase},
        {"move", [&] { Run(ID_EDIT_SELECT_ALL); },
         [&] {
             Run(ID_MOVE);
             ClickWorld(0, 0);
             ClickWorld(500, 500);
         },
         1, StepKind::Move},
        {"move collecting its shapes", none,
         [&] {
             Run(ID_MOVE);
             ClickWorld(1000, 0);
             RightClick(0, 0);
             ClickWorld(0, 0);
             ClickWorld(500, 500);
         },
         1, StepKind::Move},
        {"continuous copy", [&] { ClickWorld(-2500, 0); },
         [&] {
             Run(ID_COPY);
             ClickWorld(0, 0);
             view.OnKeyDown('M');
             ClickWorld(0, -1000);
             ClickWorld(0, -2000);
         },
         2, StepKind::Copy},
        {"offset", none,
         [&] {
             platform.QueueDialog({{"500"}, true});
             Run(ID_OFFSET);
             ClickWorld(1000, 0);
             ClickWorld(1000, -1000);
         },
         1, StepKind::Offset},
        {"stretch", none,
         [&] {
             Run(ID_STRETCH);
             ClickWorld(2000, -1500);
             ClickWorld(3000, 0);
             RightClick(0, 0);  // the boundary is let go of
         },
         1, StepKind::Stretch},
        {"typed line", none,
         [&] {
             Run(ID_LINE);
             ClickWorld(0, -4000);
             platform.QueueDialog({{"1000,0"}, true});
             Run(ID_RELATIVE_ENTRY);
         },
         1, StepKind::Line},
        {"text import", none,
         [&] {
             platform.QueueFileName(dir.File("a.txt"));
             view.OnKeyDown('9');
         },
         1, StepKind::TextImport},
        {"DXF import", none,
         [&] {
             platform.QueueFileName(dir.File("w.dxf"));
             Run(ID_DXF_IMPORT);
         },
         1, StepKind::DxfImport},
        {"insert", none,
         [&] {
             platform.QueueFileName(dir.File("start.trn"));
             Run(ID_INSERT_FILE);
         },
         1, StepKind::Insert},
        {"layers", none,
         [&] {
             // B hidden; a double click on "0" gives it a material and its values.
             platform.QueueListDialog({{{false, 1}, {false, 0}, {true, 0}}, true});
             platform.QueueDialog({{"T_Wood", "100", "50"}, true});
             Run(ID_LAYERS);
         },
         1, StepKind::Layers},
        {"rendering settings", none,
         [&] {
             platform.QueueDialog({{"S_Cloud3"}, true});
             Run(ID_RENDER_SETTINGS);
         },
         1, StepKind::RenderSettings},
        // The face turns too, its normals with it.
        {"rotate", [&] { Run(ID_EDIT_SELECT_ALL); },
         [&] {
             platform.QueueDialog({{"90"}, true});
             Run(ID_ROTATE);
             ClickWorld(0, 0);
         },
         1, StepKind::Rotate},
        {"mirror", [&] { Run(ID_EDIT_SELECT_ALL); },
         [&] {
             Run(ID_MIRROR);
             ClickWorld(0, 0);
             ClickWorld(0, -1000);
         },
         1, StepKind::Mirror},
        {"mirror copy to a typed point", [&] { Run(ID_EDIT_SELECT_ALL); },
         [&] {
             Run(ID_MIRROR_COPY);
             ClickWorld(0, 0);
             platform.QueueDialog({{"1000,0"}, true});
             Run(ID_RELATIVE_ENTRY);
         },
         1, StepKind::MirrorCopy},
        {"scale collecting its shapes", none,
         [&] {
             Run(ID_SCALE_SHAPES);
             ClickWorld(1000, 0);
             platform.QueueDialog({{"2"}, true});
             RightClick(0, 0);
             ClickWorld(0, 0);
         },
         1, StepKind::Scale},
        {"paste and place",
         [&] {
             ClickWorld(1000, 0);
             Run(ID_EDIT_COPY);
         },
         [&] {
             Run(ID_EDIT_PASTE);
             ClickWorld(1000, -6000);
         },
         1, StepKind::Paste},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartDrawing();
        c.prepare();
        const std::string before = Snapshot();
        const int selectedBefore = selectionExists;
        const std::string pathBefore = doc.GetPathName();
        c.act();
        const std::string after = Snapshot();
        const int selectedAfter = selectionExists;
        ASSERT_NE(after, before);
        ASSERT_EQ(doc.History().NextUndo(), c.last);
        for (int round = 0; round < 2; ++round) {
            for (int i = 0; i < c.steps; ++i) {
                ASSERT_TRUE(Run(ID_EDIT_UNDO));
            }
            EXPECT_FALSE(doc.History().CanUndo());
            EXPECT_FALSE(doc.IsModified());
            EXPECT_EQ(Snapshot(), before);
            EXPECT_EQ(selectionExists, selectedBefore);
            EXPECT_EQ(editState, EDIT_IDLE);
            for (int i = 0; i < c.steps; ++i) {
                ASSERT_TRUE(Run(ID_EDIT_REDO));
            }
            EXPECT_FALSE(doc.History().CanRedo());
            EXPECT_EQ(Snapshot(), after);
            EXPECT_EQ(selectionExists, selectedAfter);
        }
        EXPECT_TRUE(doc.IsModified());
        // Taken back, the drawing is again the one in its file, under its name.
        Run(ID_EDIT_UNDO);
        EXPECT_EQ(doc.GetPathName(), pathBefore);
    }
}

TEST_F(UndoTest, ANewChangeDropsTheRedoStepsAndTheSavedPointDecidesModified) {
    platform.QueueFileName(dir.File("plan.trn"));
    Run(ID_FILE_SAVE_AS);
    EXPECT_FALSE(doc.IsModified());
    DrawLine(0, -3000, 1000, -3000);
    DrawLine(0, -4000, 1000, -4000);
    EXPECT_TRUE(doc.IsModified());
    Run(ID_EDIT_UNDO);
    Run(ID_EDIT_UNDO);
    EXPECT_FALSE(doc.IsModified());  // back at the state saved
    Run(ID_EDIT_REDO);
    EXPECT_TRUE(doc.IsModified());
    Run(ID_FILE_SAVE);
    Run(ID_EDIT_UNDO);
    EXPECT_TRUE(doc.IsModified());
    // A selection is no change to take back: redo stays.
    Run(ID_EDIT_SELECT_ALL);
    Run(ID_CANCEL);
    EXPECT_TRUE(doc.History().CanRedo());
    DrawLine(0, -5000, 1000, -5000);
    EXPECT_FALSE(doc.History().CanRedo());
    EXPECT_FALSE(app.Query(ID_EDIT_REDO).enabled);
    // The saved state went with the redo steps: no state of the history is it now.
    Run(ID_EDIT_UNDO);
    EXPECT_TRUE(doc.IsModified());
    // New and Open forget every step.
    Run(ID_FILE_NEW);
    EXPECT_FALSE(doc.History().CanUndo());
    EXPECT_FALSE(doc.History().CanRedo());
    DrawLine(0, -3000, 1000, -3000);
    Run(ID_EDIT_UNDO);
    ASSERT_TRUE(doc.History().CanRedo());
    ASSERT_FALSE(doc.IsModified());  // Open asks nothing
    platform.QueueFileName(dir.File("start.trn"));
    Run(ID_FILE_OPEN);
    EXPECT_EQ(doc.m_shapes.size(), 5u);
    EXPECT_FALSE(doc.History().CanUndo());
    EXPECT_FALSE(doc.History().CanRedo());
}

TEST_F(UndoTest, TheOldestStepsGoBeyondTheBoundsButTheNewestStays) {
    const struct {
        size_t steps;
        size_t bytes;
        int undoable;
    } cases[] = {
        {3, UndoHistory::kDefaultMaxBytes, 3},
        {UndoHistory::kDefaultMaxSteps, 1, 1},
        {UndoHistory::kDefaultMaxSteps, UndoHistory::kDefaultMaxBytes, 5},
    };
    for (const auto& c : cases) {
        StartDrawing();
        doc.History().SetLimits(c.steps, c.bytes);
        for (int i = 0; i < 5; ++i) {
            DrawLine(0, -1000.0 * (i + 2), 1000, -1000.0 * (i + 2));
        }
        int undone = 0;
        while (Run(ID_EDIT_UNDO)) {
            ++undone;
        }
        EXPECT_EQ(undone, c.undoable) << c.steps << " " << c.bytes;
        EXPECT_EQ(doc.m_shapes.size(), 5u + 5 - static_cast<size_t>(undone));
    }
}

// A step that takes shapes away holds them, with the memory behind their texts and
// layer names; the bound counts it.
TEST_F(UndoTest, TheBoundCountsTheMemoryBehindTextsAndLayerNames) {
    constexpr size_t kText = size_t{12} << 20;
    doc.History().SetLimits(UndoHistory::kDefaultMaxSteps, size_t{16} << 20);
    for (int i = 0; i < 2; ++i) {
        CShape& text = AddShape(SHAPE_TEXT, {0, 0, -5000}, {300, 300, 0});
        text.m_strText.assign(kText, 'A');
        text.m_strLayer.assign(kText / 4, 'L');
        DrawLine(0, -3000, 1000, -3000);  // a step before the erase
        text.m_bSelected = selectionExists = 1;
        Run(ID_ERASE);
        EXPECT_GE(doc.History().Bytes(), kText + kText / 4) << i;
    }
    // Two erases of 15 MiB each cannot both stay within 16 MiB: the older one went.
    DrawLine(0, -4000, 1000, -4000);
    EXPECT_LE(doc.History().Bytes(), size_t{16} << 20);
    int erases = 0;
    for (; doc.History().CanUndo(); Run(ID_EDIT_UNDO)) {
        erases += doc.History().NextUndo() == StepKind::Erase ? 1 : 0;
    }
    EXPECT_EQ(erases, 1);
}

// Lowering the bounds of a history partly undone: the oldest steps done go first, then
// the last undone; what stays undoes and redoes as before.
TEST_F(UndoTest, SetLimitsAfterUndoingKeepsTheCursorAndItsSteps) {
    constexpr int kSteps = 5;
    for (int undone = 0; undone <= kSteps; ++undone) {
        for (size_t limit = 1; limit <= kSteps; ++limit) {
            SCOPED_TRACE(std::to_string(undone) + " undone, limit " + std::to_string(limit));
            StartDrawing();
            doc.History().SetLimits(UndoHistory::kDefaultMaxSteps, UndoHistory::kDefaultMaxBytes);
            for (int i = 0; i < kSteps; ++i) {
                DrawLine(0, -1000.0 * (i + 2), 1000, -1000.0 * (i + 2));
            }
            for (int i = 0; i < undone; ++i) {
                ASSERT_TRUE(Run(ID_EDIT_UNDO));
            }
            doc.History().SetLimits(limit, UndoHistory::kDefaultMaxBytes);
            const size_t drops = kSteps - limit;
            const size_t done = kSteps - undone;
            const size_t doneDropped = std::min(done, drops);
            const std::string now = Snapshot();
            int undos = 0;
            while (Run(ID_EDIT_UNDO)) {
                ++undos;
            }
            int redos = 0;
            while (Run(ID_EDIT_REDO)) {
                ++redos;
            }
            EXPECT_EQ(undos, static_cast<int>(done - doneDropped));
            EXPECT_EQ(redos, static_cast<int>(limit));
            for (int i = 0; i < redos - undos; ++i) {
                ASSERT_TRUE(Run(ID_EDIT_UNDO));
            }
            EXPECT_EQ(Snapshot(), now);
        }
    }
}

// What a command picked on its way to a step and left selected, until it ended, is
// part of the step's undo, but comes back selected by neither undo nor redo: no later
// Delete erases it, no draw command finds it in the way.
TEST_F(UndoTest, UndoAndRedoBringNoPickOfACommandBackAsASelection) {
    const struct Case {
        const char* name;
        std::function<void()> act;
        int steps;
    } cases[] = {
        {"stretch of one line",
         [&] {
             Run(ID_STRETCH);
             ClickWorld(2000, -1500);  // the boundary
             ClickWorld(3000, 0);
             RightClick(0, 0);
         },
         1},
        {"stretch of two lines, ended by Esc",
         [&] {
             DrawLine(2500, 1000, 3500, 1000);
             Run(ID_STRETCH);
             ClickWorld(2000, -1500);
             ClickWorld(3500, 0);     // trimmed
             ClickWorld(2600, 1000);  // extended
             Run(ID_CANCEL);
         },
         3},
        {"continuous copy of shapes it collected",
         [&] {
             Run(ID_COPY);
             ClickWorld(1000, 0);
             RightClick(0, 0);
             ClickWorld(0, 0);
             view.OnKeyDown('M');
             ClickWorld(0, -1000);
             ClickWorld(0, -2000);
             RightClick(0, 0);
         },
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartDrawing();
        Run(ID_CANCEL);  // the face's flag 7 as Esc at the end will leave it
        const std::string before = Snapshot();
        c.act();
        const std::string after = Snapshot();
        for (int i = 0; i < c.steps; ++i) {
            ASSERT_TRUE(Run(ID_EDIT_UNDO));
            EXPECT_EQ(selectionExists, 0) << "undo " << i;
            EXPECT_EQ(doc.AnySelected(), false) << "undo " << i;
        }
        EXPECT_EQ(Snapshot(), before);
        for (int i = 0; i < c.steps; ++i) {
            ASSERT_TRUE(Run(ID_EDIT_REDO));
            EXPECT_EQ(selectionExists, 0) << "redo " << i;
            EXPECT_EQ(doc.AnySelected(), false) << "redo " << i;
        }
        EXPECT_EQ(Snapshot(), after);
        // Delete finds nothing to erase; a line command starts at once.
        const size_t shapes = doc.m_shapes.size();
        Run(ID_ERASE);
        EXPECT_EQ(doc.m_shapes.size(), shapes);
    }
}

TEST_F(UndoTest, AMoveKeepsLessThanTheShapesItMoved) {
    constexpr int kShapes = 10000;
    for (int i = 0; i < kShapes; ++i) {
        AddLine({0, 0, static_cast<float>(i)}, {100, 0, static_cast<float>(i)});
    }
    doc.History().Clear();
    Run(ID_EDIT_SELECT_ALL);
    Run(ID_MOVE);
    ClickWorld(0, 0);
    ClickWorld(500, 500);
    ASSERT_EQ(doc.History().NextUndo(), StepKind::Move);
    EXPECT_LT(doc.History().Bytes(), kShapes * sizeof(CShape));
}

TEST_F(UndoTest, LinesOffsetAndStretchHoldAreForgottenWhenUndoTakesThemAway) {
    for (const bool takenAway : {true, false}) {
        DrawLine(-1000, -3000, -1000, 3000);  // the step undone: this line goes
        Run(ID_STRETCH);
        ClickWorld(takenAway ? -1000 : 2000, -1500);
        ASSERT_NE(boundaryLine, nullptr);
        pickedLine = boundaryLine;
        CShape* const held = boundaryLine;
        Run(ID_EDIT_UNDO);
        EXPECT_EQ(boundaryLine, takenAway ? nullptr : held);
        EXPECT_EQ(pickedLine, takenAway ? nullptr : held);
    }
}

TEST_F(UndoTest, EditItemsFollowTheStateAndNameTheStep) {
    const auto caption = [&](int id) { return *app.Query(id).text; };
    for (int id : {ID_EDIT_UNDO, ID_EDIT_REDO, ID_EDIT_COPY, ID_EDIT_PASTE}) {
        EXPECT_FALSE(app.Query(id).enabled) << id;
    }
    EXPECT_EQ(caption(ID_EDIT_UNDO), "元に戻す(&U)\tCtrl+Z");
    EXPECT_EQ(caption(ID_EDIT_REDO), "やり直し(&R)\tCtrl+Y");
    DrawLine(0, -3000, 1000, -3000);
    EXPECT_TRUE(app.Query(ID_EDIT_UNDO).enabled);
    EXPECT_EQ(caption(ID_EDIT_UNDO), "元に戻す(&U) 直線\tCtrl+Z");
    Run(ID_EDIT_UNDO);
    EXPECT_TRUE(app.Query(ID_EDIT_REDO).enabled);
    EXPECT_EQ(caption(ID_EDIT_REDO), "やり直し(&R) 直線\tCtrl+Y");
    ClickWorld(1000, 0);
    EXPECT_TRUE(app.Query(ID_EDIT_COPY).enabled);
    Run(ID_EDIT_COPY);
    EXPECT_TRUE(app.Query(ID_EDIT_PASTE).enabled);

    const struct {
        int key, modifiers, command;
    } keys[] = {{'Z', MOD_CTRL, ID_EDIT_UNDO},
                {KEY_BACKSPACE, MOD_ALT, ID_EDIT_UNDO},
                {'Y', MOD_CTRL, ID_EDIT_REDO},
                {'Z', MOD_CTRL | MOD_SHIFT, ID_EDIT_REDO}};
    for (const auto& k : keys) {
        EXPECT_EQ(TranslateAccelerator(k.key, k.modifiers, 0), k.command) << k.key;
    }
    const std::vector<MenuItem>& edit = MainMenu()[1].children;
    EXPECT_EQ(edit[0].id, ID_EDIT_UNDO);
    EXPECT_EQ(edit[1].id, ID_EDIT_REDO);
}

// ---- Copy and paste ---------------------------------------------------------------------

// Whatever a user does, and however often undo and redo take it back and forth, the
// flag that guards the modify commands says whether a shape is selected.
TEST_F(UndoTest, SelectionExistsFollowsTheShapesThroughUndoAndRedo) {
    const int commands[] = {ID_LINE,      ID_CIRCLE,    ID_ARC,        ID_ERASE,
                            ID_MOVE,      ID_COPY,      ID_STRETCH,    ID_CANCEL,
                            ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_SELECT_ALL, ID_EDIT_UNDO,
                            ID_EDIT_REDO, ID_EDIT_UNDO, ID_EDIT_REDO, ID_FILE_NEW};
    // A circle command outlives select-all and a new drawing; the first circle of the
    // new drawing, taken back, leaves nothing selected.
    Run(ID_CIRCLE);
    Run(ID_EDIT_SELECT_ALL);
    Run(ID_FILE_NEW);
    ClickWorld(0, 0);
    ClickWorld(500, 0);
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    Run(ID_EDIT_UNDO);
    EXPECT_EQ(selectionExists, 0);
    for (unsigned seed = 1; seed <= 12; ++seed) {
        StartDrawing();
        doc.m_shapes.front().get()->m_bSelected = 0;
        unsigned state = seed;
        auto below = [&state](unsigned n) {
            state = state * 1103515245u + 12345u;
            return (state >> 16) % n;
        };
        for (int step = 0; step < 1000; ++step) {
            std::string what;
            switch (below(4)) {
                case 0:
                case 1: {
                    const double x = static_cast<double>(below(9)) * 1000.0 - 3000.0;
                    const double z = static_cast<double>(below(9)) * 1000.0 - 4000.0;
                    ClickWorld(x, z);
                    what = "click " + std::to_string(x) + " " + std::to_string(z);
                    break;
                }
                case 2:
                    RightClick(0, 0);
                    what = "right click";
                    break;
                default: {
                    const int id = commands[below(std::size(commands))];
                    Run(id);
                    what = "command " + std::to_string(id);
                    break;
                }
            }
            ASSERT_EQ(selectionExists == 1, doc.AnySelected())
                << "seed " << seed << ", step " << step << ": " << what;
        }
    }
}

TEST_F(UndoTest, CopyPutsTheShapesAndTheirLayersAndTheirDxf) {
    const std::string wall = Utf8ToCp932("壁");
    g_layerNames[1] = wall;
    for (const auto& shape : doc.m_shapes) {
        if (shape->m_strLayer == "B") {
            shape->m_strLayer = wall;
        }
    }
    ClickWorld(-2500, 0);  // the circle, on "壁"
    ClickWorld(1000, 0);   // the first line, on "0"
    ASSERT_TRUE(Run(ID_EDIT_COPY));
    const std::optional<std::string> bytes = platform.ReadClipboard(kShapesMimeType);
    ASSERT_TRUE(bytes.has_value());
    DrawingFileContents contents;
    ASSERT_EQ(ReadDrawingBytes(*bytes, contents), FileError::None);
    EXPECT_EQ(contents.banner, g_fileBanner);
    ASSERT_EQ(contents.layers.size(), 2u);  // in table order, with their materials
    EXPECT_EQ(contents.layers[0].name, "0");
    EXPECT_EQ(contents.layers[1].texture, "T_Stone1");
    ASSERT_EQ(contents.shapes.size(), 2u);  // in drawing order
    EXPECT_EQ(contents.shapes[0], Shape(0));
    EXPECT_EQ(contents.shapes[1], Shape(2));

    // The text is what the DXF export writes for a drawing of those shapes alone.
    CZorader_ezDoc alone;
    alone.AppendShape(std::make_unique<CShape>(Shape(0)));
    alone.AppendShape(std::make_unique<CShape>(Shape(2)));
    ASSERT_TRUE(WriteDxfFile(alone, dir.File("alone.dxf")).ok());
    // ... as Unicode text, the desktop's clipboard text being UTF-8.
    const std::optional<std::string> text = platform.ReadClipboard(kPlainText);
    EXPECT_EQ(text, Cp932ToUtf8(ReadBytes(dir.File("alone.dxf"))));
    EXPECT_NE(text.value_or("").find("\n8\r\n壁\r\n"), std::string::npos);
}

// Ctrl+X is copy and erase in one: the clipboard holds what Ctrl+C would have put
// there, the shapes are gone, and one undo brings them back; a paste then gives them
// again, not what the clipboard held before. Delete only erases.
TEST_F(UndoTest, CutIsCopyThenEraseAsOneStep) {
    ClickWorld(-2500, 0);  // the circle
    ClickWorld(1000, 0);   // the first line
    const std::string before = Snapshot();
    ASSERT_TRUE(Run(ID_EDIT_COPY));
    const std::optional<std::string> copied = platform.ReadClipboard(kShapesMimeType);
    const std::optional<std::string> copiedText = platform.ReadClipboard(kPlainText);
    ASSERT_TRUE(copied.has_value());
    platform.WriteClipboard({{kShapesMimeType, "older"}});

    ASSERT_EQ(TranslateAccelerator('X', MOD_CTRL, 0x18), ID_EDIT_CUT);
    ASSERT_TRUE(Run(ID_EDIT_CUT));
    EXPECT_EQ(platform.ReadClipboard(kShapesMimeType), copied);
    EXPECT_EQ(platform.ReadClipboard(kPlainText), copiedText);
    ASSERT_EQ(doc.m_shapes.size(), 3u);
    EXPECT_EQ(selectionExists, 0);
    ASSERT_TRUE(Run(ID_EDIT_UNDO));
    EXPECT_EQ(Snapshot(), before);
    EXPECT_FALSE(doc.History().CanUndo());

    ASSERT_TRUE(Run(ID_EDIT_PASTE));
    EXPECT_EQ(doc.m_shapes.size(), 7u);

    // Delete erases the selection and leaves the clipboard alone.
    Run(ID_CANCEL);
    doc.DeleteAllShapes();
    AddLine({0, 0, 0}, {4000, 0, 0});
    Paint();
    ClickWorld(1000, 0);
    platform.WriteClipboard({{kShapesMimeType, "older"}});
    ASSERT_TRUE(Run(TranslateAccelerator(KEY_DELETE, MOD_NONE, 0)));
    EXPECT_TRUE(doc.m_shapes.empty());
    EXPECT_EQ(platform.ReadClipboard(kShapesMimeType), std::optional<std::string>("older"));
}

// A double click on a text with no command running opens it in the text dialog; OK
// changes it in its place as one step, which one undo takes back. Elsewhere, or during
// a command, a double click is two clicks.
TEST_F(UndoTest, DoubleClickEditsATextAsOneStep) {
    const std::string before = Snapshot();
    const Double2 at = PixelOf(150, 0, 3000 - 150);  // on the stroke of "A"
    const auto doubleClick = [&](const Double2& p) {
        view.OnMouseMove(Px(p.x), Px(p.y));
        view.OnLButtonDown(Px(p.x), Px(p.y));
        view.OnLButtonUp(Px(p.x), Px(p.y));
        view.OnLButtonDblClk(Px(p.x), Px(p.y));
        view.OnLButtonUp(Px(p.x), Px(p.y));
    };
    platform.QueueDialog({{"Zゼ", "450", "200", "-30"}, true});
    doubleClick(at);
    const auto dialogs = platform.CallsOf(PlatformCall::Kind::RunDialog);
    ASSERT_EQ(dialogs.size(), 1u);
    ASSERT_EQ(dialogs[0].dialogFields.size(), 4u);  // as the text stands
    EXPECT_EQ(dialogs[0].dialogFields[0].text, "AB");
    EXPECT_EQ(dialogs[0].dialogFields[1].text, "300");
    EXPECT_EQ(dialogs[0].dialogFields[2].text, "300");
    EXPECT_EQ(dialogs[0].dialogFields[3].text, "0");
    ASSERT_EQ(doc.m_shapes.size(), 5u);
    const CShape& text = Shape(3);  // same place in the list
    EXPECT_EQ(text.m_strText, Utf8ToCp932("Zゼ"));
    EXPECT_EQ(text.m_pt[0], (Float3{0, 0, 3000}));
    EXPECT_EQ(text.m_pt[1], (Float3{450, 200, 330}));
    EXPECT_EQ(text.m_bSelected, 0);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(UndoCaption(doc.History().NextUndo()), "元に戻す(&U) 文字\tCtrl+Z");
    ASSERT_TRUE(Run(ID_EDIT_UNDO));
    EXPECT_EQ(Snapshot(), before);
    EXPECT_FALSE(doc.History().CanUndo());

    // Cancel changes nothing; nor does a double click on a line or during a command.
    platform.ClearCalls();
    platform.QueueDialog({{}, false});
    doubleClick(at);
    EXPECT_EQ(Snapshot(), before);
    doubleClick(PixelOf(1000, 0, 0));
    Run(ID_LINE);
    doubleClick(at);
    EXPECT_EQ(platform.CallsOf(PlatformCall::Kind::RunDialog).size(), 1u);
    EXPECT_FALSE(doc.History().CanUndo());
}

TEST_F(UndoTest, PasteMergesLayersSelectsAndPlacesWithOneClickAsOneStep) {
    g_snapOn = 1;
    ClickWorld(1000, 0);
    ClickWorld(-2500, 0);
    Run(ID_EDIT_COPY);
    // Another drawing whose "B" is red: it keeps its colour, "0" is added.
    doc.DeleteAllShapes();
    InitLayerDefaults();
    EnsureLayer("B");
    g_layerAttributes[0][LAYER_GREEN] = 0.0;
    CShape& other = AddLine({0, 0, 0}, {910, 0, 0}, "B");
    other.m_bSelected = 1;
    doc.History().Clear();
    const std::string before = Snapshot();

    for (const bool place : {true, false}) {
        ASSERT_TRUE(Run(ID_EDIT_PASTE));
        ASSERT_EQ(doc.m_shapes.size(), 3u);
        EXPECT_EQ(g_layerCount, 2);
        EXPECT_EQ(g_layerNames[1], "0");
        EXPECT_EQ(g_layerAttributes[0][LAYER_GREEN], 0.0);
        EXPECT_EQ(Shape(0).m_bSelected, 0);
        EXPECT_EQ(Shape(1).m_bSelected + Shape(2).m_bSelected, 2);
        EXPECT_EQ(selectionExists, 1);
        EXPECT_EQ(platform.Prompt(), kPromptPasteDestination);
        if (place) {
            // From the first line's start (0, 0, 0) to the grid point the click snaps to.
            ClickWorld(1820, 910);
            EXPECT_EQ(Shape(1).m_pt[0], (Float3{1820, 0, 910}));
            EXPECT_EQ(Shape(2).m_pt[0], (Float3{-1180, 0, 910}));
            EXPECT_EQ(Shape(1).m_bSelected + Shape(2).m_bSelected, 0);
        } else {
            RightClick(0, 0);
            EXPECT_EQ(Shape(1).m_pt[0], (Float3{0, 0, 0}));
            EXPECT_EQ(Shape(2).m_pt[0], (Float3{-3000, 0, 0}));
            EXPECT_EQ(Shape(1).m_bSelected + Shape(2).m_bSelected, 2);
        }
        EXPECT_EQ(editState, EDIT_IDLE);
        EXPECT_EQ(doc.History().NextUndo(), StepKind::Paste);
        ASSERT_TRUE(Run(ID_EDIT_UNDO));
        EXPECT_FALSE(doc.History().CanUndo());
        EXPECT_EQ(Snapshot(), before);
    }
}

TEST_F(UndoTest, BadClipboardContentsPasteNothingAndSaySo) {
    ClickWorld(1000, 0);
    Run(ID_EDIT_COPY);
    const std::string good = *platform.ReadClipboard(kShapesMimeType);
    Run(ID_CANCEL);
    const std::string before = Snapshot();
    std::vector<std::string> payloads = {"", "not a drawing", std::string(4096, '\xFF')};
    std::string foreign = good;
    foreign[1] = 'X';  // the banner of another program
    payloads.push_back(foreign);
    for (size_t cut = 1; cut < good.size(); ++cut) {
        payloads.push_back(good.substr(0, cut));
    }
    for (const std::string& payload : payloads) {
        platform.WriteClipboard({{kShapesMimeType, payload}});
        platform.ClearCalls();
        Run(ID_EDIT_PASTE);
        const auto boxes = platform.CallsOf(PlatformCall::Kind::MessageBox);
        ASSERT_EQ(boxes.size(), 1u) << payload.size();
        EXPECT_EQ(boxes[0].text, kPasteRefusedMessage);
        EXPECT_EQ(Snapshot(), before) << payload.size();
        EXPECT_FALSE(doc.History().CanUndo());
    }
}

// Saving between a paste and its placing click: the state saved is the paste
// unplaced, and undo and redo reach it and leave it as any other step.
TEST_F(UndoTest, ASaveBetweenPasteAndPlacingKeepsTheSavedStateReachable) {
    platform.QueueFileName(dir.File("plan.trn"));
    Run(ID_FILE_SAVE_AS);
    ClickWorld(1000, 0);
    Run(ID_EDIT_COPY);
    Run(ID_CANCEL);
    Run(ID_EDIT_PASTE);
    Run(ID_FILE_SAVE);
    const std::string saved = ReadBytes(dir.File("plan.trn"));
    ClickWorld(1000, -6000);
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(doc.History().NextUndo(), StepKind::Move);  // the placing, a step of its own
    Run(ID_EDIT_UNDO);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(Snapshot(), saved);
    Run(ID_EDIT_REDO);
    EXPECT_TRUE(doc.IsModified());
    Run(ID_EDIT_UNDO);
    Run(ID_EDIT_UNDO);
    EXPECT_TRUE(doc.IsModified());  // the file holds the pasted shapes: closing asks

    // Esc takes the paste back after a save too: the drawing differs from its file.
    Run(ID_EDIT_REDO);
    Run(ID_FILE_SAVE);
    Run(ID_EDIT_PASTE);
    Run(ID_FILE_SAVE);
    Run(ID_CANCEL);
    EXPECT_TRUE(doc.IsModified());
}

// Esc while placing takes the paste back as if it had never been made: no shape, no
// step to undo or redo, not modified. (New and Open ending the placing: the GUI test.)
TEST_F(UndoTest, EscWhilePlacingTakesThePasteBack) {
    ClickWorld(1000, 0);
    Run(ID_EDIT_COPY);
    Run(ID_CANCEL);  // as Esc will leave every flag
    const std::string before = Snapshot();
    ASSERT_TRUE(Run(ID_EDIT_PASTE));
    ASSERT_EQ(pastePlacing, 1);
    Run(ID_CANCEL);
    EXPECT_EQ(pastePlacing + editState + stepPending, 0);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_FALSE(doc.History().CanUndo() || doc.History().CanRedo() || doc.IsModified());
}

// The clipboard may hold anything: a paste takes only shapes a drawing can hold, and a
// copy leaves out (and says so) what no paste would take.
TEST_F(UndoTest, PasteRefusesShapesNoDrawingHoldsAndCopyLeavesThemOut) {
    const std::string tooLong(kMaxClipboardStringBytes + 1, 'x');
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* name;
        std::function<void(CShape&)> spoil;
        const char* says;
    } cases[] = {
        {"a kind unknown", [](CShape& s) { s.m_nType = 7; }, "種類 7 の図形"},
        {"an infinite first point", [&](CShape& s) { s.m_pt[0].x = inf; }, "数でない"},
        {"a circle of infinite radius",
         [&](CShape& s) {
             s.m_nType = SHAPE_CIRCLE;
             s.m_pt[1].x = inf;
         },
         "数でない"},
        {"a text too long", [&](CShape& s) { s.m_strText = tooLong; }, "バイトを超える文字"},
        {"a layer name too long",
         [&](CShape& s) {
             g_layerNames[0] = tooLong;
             s.m_strLayer = tooLong;
         },
         "バイトを超える画層名"},
        {"a material too long", [&](CShape&) { g_layerTextures[0] = tooLong; },
         "バイトを超える材質"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartDrawing();
        CShape spoiled = Shape(0);
        spoiled.m_pt[1] = {10, 0, 0};
        c.spoil(spoiled);
        platform.WriteClipboard({{kShapesMimeType, ShapesToBytes({&Shape(1), &spoiled})}});
        InitLayerDefaults();  // the pasting drawing's own table
        EnsureLayer("0");
        const std::string before = Snapshot();
        platform.ClearCalls();
        Run(ID_EDIT_PASTE);
        const auto boxes = platform.CallsOf(PlatformCall::Kind::MessageBox);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text.rfind(kPasteRefusedMessage, 0), 0u);
        EXPECT_NE(boxes[0].text.find(c.says), std::string::npos) << boxes[0].text;
        EXPECT_EQ(Snapshot(), before);
        EXPECT_EQ(pastePlacing, 0);
        EXPECT_FALSE(doc.History().CanUndo());
    }

    // Copied from a drawing, such a shape stays behind, and the prompt says why.
    StartDrawing();
    CShape& unknown = AddShape(SHAPE_LINE, {0, 0, 0}, {10, 0, 0});
    unknown.m_nType = 7;
    Run(ID_EDIT_SELECT_ALL);
    Run(ID_EDIT_COPY);
    EXPECT_EQ(platform.Prompt(), CopyLeftOutPrompt(1, "種類 7 の図形は扱えません"));
    DrawingFileContents contents;
    ASSERT_EQ(ReadDrawingBytes(*platform.ReadClipboard(kShapesMimeType), contents),
              FileError::None);
    EXPECT_EQ(contents.shapes.size(), doc.m_shapes.size() - 1);
    EXPECT_EQ(ClipboardContentsProblem(contents), "");
}

}  // namespace
}  // namespace marquetta
