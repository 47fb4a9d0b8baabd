#include "edit/modify_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "edit/draw_commands.h"
#include "edit/offset_stretch.h"
#include "platform/command_ids.h"
#include "view_fixture.h"

namespace marquetta {
namespace {

class ModifyTest : public ViewFixture {
  protected:
    void Run(int id) { ASSERT_TRUE(view.Commands().Run(id)); }
    void Select(CShape& shape) {
        shape.m_bSelected = 1;
        selectionExists = 1;
    }
    CShape& AddFace(const std::string& layer = "0") {
        CShape& face = AddShape(SHAPE_FACE, {0, 0, 0}, {910, 0, 0});
        face.m_pt[2] = {910, 0, -910};
        face.m_pt[3] = {0, 0, -910};
        face.m_strLayer = layer;
        return face;
    }
    // Close enough that a unit of the drawing is about two pixels.
    void LookFrom(double distance) {
        g_viewTranslate.z = static_cast<float>(-distance);
        Paint();
    }
};

// ---- Selection -------------------------------------------------------------------------

// A window opened to the right takes what lies inside; one opened to the left (a
// crossing window) also what it touches.
TEST_F(ModifyTest, WindowOrCrossingSelectsAndTheRightButtonGoesOn) {
    const struct {
        int command;
        double fromX, fromZ, toX, toZ;
        int stateAfterRight;
        const char* collecting;
        const char* prompt;
        int halfSelected;
    } cases[] = {
        {ID_MOVE, -500, 500, 2500, -2500, EDIT_MOVE, "【移動】－選択(右クリックで確定)",
         "【移動】－基点", 0},
        {ID_COPY, 2500, -2500, -500, 500, EDIT_COPY, "【複写】－選択(右クリックで確定)",
         "【複写】－基点(M:連続)", 1},
    };
    for (const auto& c : cases) {
        doc.DeleteAllShapes();
        Run(ID_CANCEL);
        CShape& inside = AddLine({0, 0, 0}, {1820, 0, -1820});
        CShape& half = AddLine({910, 0, 0}, {5000, 0, 0});
        CShape& hidden = AddLine({0, 0, -910}, {910, 0, -910}, "hidden");
        HideLayer("hidden");
        Run(c.command);
        EXPECT_EQ(editState, c.stateAfterRight + 1);  // collecting first
        EXPECT_EQ(platform.Prompt(), c.collecting);
        ClickWorld(c.fromX, c.fromZ);
        EXPECT_EQ(stepPending, 1);
        ClickWorld(c.toX, c.toZ);
        EXPECT_EQ(inside.m_bSelected, 1);
        EXPECT_EQ(half.m_bSelected, c.halfSelected);
        EXPECT_EQ(hidden.m_bSelected, 0);
        EXPECT_EQ(selectionExists, 1);
        RightClick(300, 300);
        EXPECT_EQ(editState, c.stateAfterRight);
        EXPECT_EQ(platform.Prompt(), c.prompt);
    }
}

// Which shapes a window and a crossing window over the same rectangle take, with two
// clicks and with a press, drag and release.
TEST_F(ModifyTest, CrossingWindowTakesWhatItTouches) {
    const struct {
        const char* name;
        std::function<CShape&()> add;
        bool window, crossing;
    } cases[] = {
        {"line inside", [&]() -> CShape& { return AddLine({100, 0, -100}, {900, 0, -900}); }, true,
         true},
        {"line through", [&]() -> CShape& { return AddLine({-900, 0, -500}, {2000, 0, -500}); },
         false, true},
        {"line with one end in", [&]() -> CShape& { return AddLine({500, 0, -500}, {500, 0, 900}); },
         false, true},
        {"line outside", [&]() -> CShape& { return AddLine({-900, 0, 500}, {2000, 0, 500}); },
         false, false},
        {"circle crossing an edge",
         [&]() -> CShape& { return AddShape(SHAPE_CIRCLE, {1000, 0, -500}, {200, 0, 0}); }, false,
         true},
        {"circle around the window",
         [&]() -> CShape& { return AddShape(SHAPE_CIRCLE, {500, 0, -500}, {3000, 0, 0}); }, false,
         false},
        {"arc crossing an edge",
         [&]() -> CShape& { return AddShape(SHAPE_ARC, {0, 0, -500}, {300, 0, 180}); }, false,
         true},
        {"text crossing an edge",
         [&]() -> CShape& {
             CShape& text = AddShape(SHAPE_TEXT, {800, 0, -300}, {200, 200, 0});
             text.m_strText = "ABCD";
             return text;
         },
         false, true},
        {"hidden layer", [&]() -> CShape& { return AddLine({-900, 0, -500}, {2000, 0, -500}, "off"); },
         false, false},
    };
    for (const bool drag : {false, true}) {
        for (const bool crossing : {false, true}) {
            doc.DeleteAllShapes();
            Run(ID_CANCEL);
            std::vector<CShape*> shapes;
            for (const auto& c : cases) {
                shapes.push_back(&c.add());
            }
            HideLayer("off");
            // The rectangle from (0, 0) to (1000, -1000), opened from its left or right.
            const Double2 left = PixelOf(0, 0, 0), right = PixelOf(1000, 0, -1000);
            const Double2 from = crossing ? Double2{right.x, left.y} : left;
            const Double2 to = crossing ? Double2{left.x, right.y} : right;
            if (drag) {
                view.OnMouseMove(Px(from.x), Px(from.y));
                view.OnLButtonDown(Px(from.x), Px(from.y));
                view.OnMouseMove(Px(to.x), Px(to.y));
                view.OnLButtonUp(Px(to.x), Px(to.y));
            } else {
                Click(Px(from.x), Px(from.y));
                Click(Px(to.x), Px(to.y));
            }
            EXPECT_EQ(stepPending, 0);
            for (size_t i = 0; i < std::size(cases); ++i) {
                SCOPED_TRACE(testing::Message() << cases[i].name << (drag ? " dragged" : " clicked")
                                                << (crossing ? " crossing" : " window"));
                EXPECT_EQ(shapes[i]->m_bSelected, (crossing ? cases[i].crossing : cases[i].window) ? 1 : 0);
            }
        }
    }
    // A press and release in place still opens a window for a second click.
    doc.DeleteAllShapes();
    Click(100, 100);
    EXPECT_EQ(stepPending, 1);
}

// ---- Erase -----------------------------------------------------------------------------

TEST_F(ModifyTest, EraseRemovesEverySelectedShapeWhateverItsLayer) {
    for (int command : {ID_ERASE}) {
        doc.DeleteAllShapes();
        doc.SetModifiedFlag(false);
        Select(AddLine({0, 0, 0}, {910, 0, 0}));
        CShape& kept = AddLine({0, 0, 910}, {910, 0, 910});
        Select(AddLine({0, 0, 0}, {910, 0, 0}, "hidden"));
        HideLayer("hidden");
        editState = EDIT_MOVE;
        platform.SetPrompt("before");
        g_displayListValid = 1;
        Run(command);
        ASSERT_EQ(doc.m_shapes.size(), 1u);
        EXPECT_EQ(doc.m_shapes.front().get(), &kept);
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(selectionExists, 0);
        EXPECT_EQ(g_displayListValid, 0);
        EXPECT_EQ(editState, EDIT_MOVE);
        EXPECT_EQ(platform.Prompt(), "before");
    }
}

// ---- Move and copy ---------------------------------------------------------------------

TEST_F(ModifyTest, MoveCarriesSelectedShapesOfVisibleLayersButNotFaces) {
    CShape& line = AddLine({0, 0, 0}, {910, 0, 0});
    line.m_pt[2] = {1, 2, 3};
    line.m_pt[3] = {4, 5, 6};
    CShape& circle = AddShape(SHAPE_CIRCLE, {0, 500, 0}, {455, 0, 0});
    CShape& text = AddShape(SHAPE_TEXT, {0, 0, 0}, {300, 300, 30});
    text.m_pt[2] = {7, 8, 9};
    CShape& face = AddFace();
    CShape& hidden = AddLine({0, 0, 0}, {910, 0, 0}, "hidden");
    CShape& unselected = AddLine({0, 0, 910}, {910, 0, 910});
    for (CShape* s : {&line, &circle, &text, &face, &hidden}) {
        Select(*s);
    }
    HideLayer("hidden");  // after selecting

    Run(ID_MOVE);
    EXPECT_EQ(editState, EDIT_MOVE);  // a selection exists: straight to the base point
    EXPECT_EQ(platform.Prompt(), "【移動】－基点");
    ClickWorld(0, 0);
    EXPECT_EQ(platform.Prompt(), "【移動】－目的点");
    EXPECT_EQ(basePointSet, 1);
    ClickWorld(1820, -910);

    EXPECT_EQ(line.m_pt[0], (Float3{1820, 0, -910}));
    EXPECT_EQ(line.m_pt[1], (Float3{2730, 0, -910}));
    EXPECT_EQ(line.m_pt[2], (Float3{1821, 2, -907}));  // a line carries all four points
    EXPECT_EQ(line.m_pt[3], (Float3{1824, 5, -904}));
    EXPECT_EQ(circle.m_pt[0], (Float3{1820, 500, -910}));
    EXPECT_EQ(circle.m_pt[1], (Float3{455, 0, 0}));  // only the centre moves
    EXPECT_EQ(text.m_pt[1], (Float3{300, 300, 30}));
    EXPECT_EQ(text.m_pt[2], (Float3{7, 8, 9}));
    EXPECT_EQ(face.m_pt[0], (Float3{0, 0, 0}));
    EXPECT_EQ(hidden.m_pt[0], (Float3{0, 0, 0}));
    EXPECT_EQ(unselected.m_pt[0], (Float3{0, 0, 910}));
    EXPECT_EQ(line.m_bSelected + circle.m_bSelected + text.m_bSelected, 0);
    EXPECT_EQ(face.m_bSelected, 1);
    EXPECT_EQ(hidden.m_bSelected, 1);
    EXPECT_EQ(selectionExists, 1);  // the face and the hidden line are still selected
    EXPECT_EQ(editState, EDIT_IDLE);
    EXPECT_EQ(basePointSet, 0);
    EXPECT_EQ(platform.Prompt(), "");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(g_displayListValid, 0);
}

// A shape of a kind the program does not draw (a file may hold one) is neither moved
// nor copied, clicked or typed, and stays selected.
TEST_F(ModifyTest, MoveAndCopyLeaveShapesOfUnknownKindsWhereTheyAre) {
    const struct {
        int command;
        bool typed;
    } cases[] = {{ID_MOVE, false}, {ID_MOVE, true}, {ID_COPY, false}, {ID_COPY, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.command) + (c.typed ? " typed" : " clicked"));
        doc.DeleteAllShapes();
        Run(ID_CANCEL);
        CShape& line = AddLine({0, 0, 0}, {910, 0, 0});
        CShape& unknown = AddLine({0, 0, 0}, {910, 0, 0});
        unknown.m_nType = 7;
        Select(line);
        Select(unknown);
        Run(c.command);
        ClickWorld(0, 0);
        if (c.typed) {
            platform.QueueDialog({{"1820,910"}, true});
            Run(ID_RELATIVE_ENTRY);
        } else {
            ClickWorld(1820, -910);
        }
        const CShape& carried = c.command == ID_MOVE ? line : Shape(2);
        ASSERT_EQ(doc.m_shapes.size(), c.command == ID_MOVE ? 2u : 3u);
        EXPECT_EQ(carried.m_nType, SHAPE_LINE);
        EXPECT_EQ(carried.m_pt[0], (Float3{1820, 0, -910}));
        EXPECT_EQ(unknown.m_pt[0], (Float3{0, 0, 0}));
        EXPECT_EQ(unknown.m_pt[1], (Float3{910, 0, 0}));
        EXPECT_EQ(unknown.m_bSelected, 1);
        EXPECT_EQ(selectionExists, 1);
    }
}

// A click near the horizon, a base point far off, a width that reaches beyond the
// drawing: no command stores a point single precision cannot hold. It says so and
// changes nothing; the step waits for another click.
TEST_F(ModifyTest, NoCommandStoresAPointBeyondSinglePrecision) {
    g_snapOn = 0;
    const struct Case {
        const char* name;
        std::function<void()> act;
        int pending;  // stepPending afterwards
    } cases[] = {
        {"move",
         [&] {
             Select(AddLine({1e38f, 0, 0}, {1e38f, 0, 10}));
             Run(ID_MOVE);
             ClickWorld(0, 0);
             firstPoint = {-3e38, 0, 0};  // a base point clicked near the horizon
             ClickWorld(0, 0);
         },
         1},
        {"line",
         [&] {
             Run(ID_LINE);
             ClickWorld(0, 0);
             firstPoint = {1e39, 0, 0};
             ClickWorld(910, 0);
         },
         1},
        {"circle",
         [&] {
             Run(ID_CIRCLE);
             ClickWorld(0, 0);
             firstPoint = {-1e39, 0, 0};
             ClickWorld(910, 0);
         },
         1},
        {"offset",
         [&] {
             CShape& far = AddLine({-3e38f, 0, 0}, {-3e38f, 0, 10});
             platform.QueueDialog({{"-3e38"}, true});
             Run(ID_OFFSET);
             pickedLine = &far;  // picked as a click would
             stepPending = 1;
             ClickWorld(0, 0);
         },
         0},
        {"stretch",
         [&] {
             AddLine({0, 0, 0}, {1000, 0, 0});
             // Nearly parallel: the lines cross far beyond the drawing.
             CShape& boundary = AddLine({0, 0, 1000}, {3e38f, 0, 1000.0001f});
             Run(ID_STRETCH);
             boundaryLine = &boundary;
             stepPending = 1;
             ClickWorld(500, 0);
         },
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc.DeleteAllShapes();
        Run(ID_CANCEL);
        AddLine({0, 0, 0}, {1, 0, 0});  // so that the list is never empty
        doc.History().Clear();
        c.act();
        EXPECT_EQ(platform.Prompt(), kPromptBeyondRange);
        // No step: at most the shapes the case itself added.
        EXPECT_EQ(doc.History().NextUndo().value_or(StepKind::Edit), StepKind::Edit);
        for (const auto& shape : doc.m_shapes) {
            for (const Float3& p : shape->m_pt) {
                EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
            }
        }
        EXPECT_EQ(stepPending, c.pending);
    }
}

TEST_F(ModifyTest, TranslationIsComputedInSinglePrecision) {
    CShape& line = AddLine({0.1f, 0, 0}, {910, 0, 0});
    Select(line);
    g_snapOn = 0;
    Run(ID_MOVE);
    view.OnLButtonDown(400, 300);
    firstPoint = {1e7, 0, 0};
    cursorPoint = {1e7 + 0.3, 0, 0};
    view.OnLButtonDown(400, 300);
    // (0.1f + 1e7f) - 1e7f: the tenth and the 0.3 are lost in the float sum.
    EXPECT_EQ(line.m_pt[0].x, 0.0f);
    EXPECT_EQ(line.m_pt[1].x, 910.0f);
}

TEST_F(ModifyTest, CopyMakesOneCopyPerSourceWithTheSourcesFields) {
    CShape& line = AddLine({0, 0, 0}, {910, 0, 0}, "A");
    line.m_attr[0] = 0.5f;
    line.m_strText = "stray";
    CShape& text = AddShape(SHAPE_TEXT, {0, 0, 0}, {300, 300, 0});
    text.m_strText = "ABC";
    CShape& face = AddFace();
    CShape& hidden = AddLine({0, 0, 0}, {910, 0, 0}, "hidden");
    for (CShape* s : {&line, &text, &face, &hidden}) {
        Select(*s);
    }
    HideLayer("hidden");

    Run(ID_COPY);
    EXPECT_EQ(editState, EDIT_COPY);
    EXPECT_EQ(platform.Prompt(), "【複写】－基点(m:連続)");
    ClickWorld(0, 0);
    EXPECT_EQ(platform.Prompt(), "【複写】－目的点(右クリックで終了)");
    ClickWorld(910, 910);

    ASSERT_EQ(doc.m_shapes.size(), 6u);
    const CShape& lineCopy = Shape(4);
    EXPECT_EQ(lineCopy.m_nType, SHAPE_LINE);
    EXPECT_EQ(lineCopy.m_pt[0], (Float3{910, 0, 910}));
    EXPECT_EQ(lineCopy.m_strLayer, "A");
    EXPECT_EQ(lineCopy.m_attr[0], 0.5f);
    EXPECT_EQ(lineCopy.m_strText, "");
    EXPECT_EQ(lineCopy.m_bSelected, 0);
    const CShape& textCopy = Shape(5);
    EXPECT_EQ(textCopy.m_strText, "ABC");
    EXPECT_EQ(textCopy.m_pt[1], (Float3{300, 300, 0}));
    EXPECT_EQ(line.m_pt[0], (Float3{0, 0, 0}));
    EXPECT_EQ(line.m_bSelected + text.m_bSelected, 0);
    EXPECT_EQ(face.m_bSelected + hidden.m_bSelected, 2);
    EXPECT_EQ(doc.m_current.m_nType, SHAPE_NONE);
    EXPECT_EQ(selectionExists, 1);  // as the face and the hidden line are
    EXPECT_EQ(editState, EDIT_IDLE);
    EXPECT_EQ(platform.Prompt(), "");
}

TEST_F(ModifyTest, ContinuousCopyRepeatsFromTheSameBaseUntilTheRightButton) {
    Select(AddLine({0, 0, 0}, {910, 0, 0}));
    Select(AddShape(SHAPE_CIRCLE, {0, 0, 910}, {455, 0, 0}));
    Run(ID_COPY);
    continuousCopy = 1;  // the M key
    ClickWorld(0, 0);
    for (double dx : {910.0, 1820.0}) {
        ClickWorld(dx, 0);
        EXPECT_EQ(stepPending, 1);
        EXPECT_EQ(rubberBand, 1);
        EXPECT_EQ(editState, EDIT_COPY);
    }
    ASSERT_EQ(doc.m_shapes.size(), 6u);
    EXPECT_EQ(Shape(2).m_pt[0], (Float3{910, 0, 0}));
    EXPECT_EQ(Shape(3).m_pt[0], (Float3{910, 0, 910}));
    EXPECT_EQ(Shape(4).m_pt[1], (Float3{2730, 0, 0}));
    EXPECT_EQ(Shape(5).m_pt[0], (Float3{1820, 0, 910}));
    EXPECT_EQ(Shape(0).m_bSelected + Shape(1).m_bSelected, 2);
    RightClick(300, 300);
    EXPECT_EQ(continuousCopy, 0);
    EXPECT_EQ(editState, EDIT_IDLE);
    EXPECT_EQ(Shape(0).m_bSelected, 0);
    EXPECT_EQ(doc.m_shapes.size(), 6u);
}

TEST_F(ModifyTest, RefusedDestinationKeepsTheStepPending) {
    Select(AddLine({0, 0, 0}, {910, 0, 0}));
    Run(ID_MOVE);
    ClickWorld(0, 0);
    g_gridOn = 0;
    Click(410, 290);
    EXPECT_EQ(Beeps(BeepKind::Exclamation), 1u);
    EXPECT_EQ(stepPending, 1);
    EXPECT_EQ(editState, EDIT_MOVE);
    EXPECT_EQ(Shape(0).m_pt[0], (Float3{0, 0, 0}));
}

// ---- Offset ----------------------------------------------------------------------------

TEST_F(ModifyTest, OffsetWidthComesFromTheDialog) {
    const struct {
        const char* typed;
        bool ok;
        int state;
        double width;
        const char* prompt;
    } cases[] = {
        {"2,5", true, EDIT_OFFSET, 2.0, kPromptOffsetReference},
        {"-0.01", true, EDIT_OFFSET, -0.01, kPromptOffsetReference},
        {"3e38", true, EDIT_OFFSET, 3e38, kPromptOffsetReference},
        {"0.005", true, EDIT_IDLE, 7.0, kPromptOffsetWidthSmall},
        {"abc", true, EDIT_IDLE, 7.0, kPromptOffsetWidthSmall},
        // Finite, but no line a drawing holds lies that far from another.
        {"1e39", true, EDIT_IDLE, 7.0, kPromptOffsetWidthLarge},
        {"-1e39", true, EDIT_IDLE, 7.0, kPromptOffsetWidthLarge},
        {"5", false, EDIT_IDLE, 7.0, "before"},
    };
    for (const auto& c : cases) {
        editState = EDIT_IDLE;
        offsetWidth = 7.0;
        platform.SetPrompt("before");
        platform.QueueDialog({{c.typed}, c.ok});
        Run(ID_OFFSET);
        EXPECT_EQ(editState, c.state) << c.typed;
        EXPECT_EQ(offsetWidth, c.width) << c.typed;
        EXPECT_EQ(platform.Prompt(), c.prompt) << c.typed;
    }
    // Not while something is selected: no dialog opens (the prompt says why: see the
    // command state's tests).
    platform.ClearCalls();
    selectionExists = 1;
    Run(ID_OFFSET);
    Run(ID_STRETCH);
    EXPECT_EQ(CountOf(PlatformCall::Kind::RunDialog), 0u);
    EXPECT_EQ(editState, EDIT_IDLE);
}

TEST_F(ModifyTest, OffsetDrawsTheParallelOnTheClickedSideOnLayerZero) {
    LookFrom(600);
    const struct {
        const char* width;
        double clickZ;
        float z;
    } cases[] = {{"5", 3, 5}, {"5", -3, -5}, {"-5", 3, -5}};
    for (const auto& c : cases) {
        doc.DeleteAllShapes();
        CShape& reference = AddLine({0, 0, 0}, {10, 0, 0}, "walls");
        reference.m_attr[1] = 0.5f;
        platform.QueueDialog({{c.width}, true});
        Run(ID_OFFSET);
        ClickWorld(5, 0);
        EXPECT_EQ(reference.m_bSelected, 1);
        EXPECT_EQ(stepPending, 1);
        EXPECT_EQ(platform.Prompt(), std::string("【複線】－方向の指示(W=") + c.width + ")");
        ClickWorld(5, c.clickZ);
        ASSERT_EQ(doc.m_shapes.size(), 2u);
        const CShape& made = Shape(1);
        EXPECT_NEAR(made.m_pt[0].x, 0, 1e-5);
        EXPECT_NEAR(made.m_pt[0].z, c.z, 1e-5);
        EXPECT_NEAR(made.m_pt[1].x, 10, 1e-5);
        EXPECT_NEAR(made.m_pt[1].z, c.z, 1e-5);
        EXPECT_EQ(made.m_strLayer, "0");
        EXPECT_EQ(made.m_attr[1], 1.0f);
        EXPECT_EQ(doc.m_current.m_nType, SHAPE_NONE);
        EXPECT_EQ(reference.m_bSelected, 0);
        EXPECT_EQ(selectionExists, 0);
        EXPECT_EQ(stepPending, 0);
        EXPECT_EQ(editState, EDIT_OFFSET);
        EXPECT_EQ(platform.Prompt(), "【複線】－基準線の選択(右クリックで終了)");
    }
    EXPECT_EQ(OffsetSidePrompt(2.5e10), "【複線】－方向の指示(W=25000000000)");
}

TEST_F(ModifyTest, OffsetSideRuleOnTheLineAndForAnUprightLine) {
    CShape line;
    line.m_pt[1] = {10, 0, 0};
    const auto onLine = OffsetLinePoints(line, {4, 0, 0}, 5);
    ASSERT_TRUE(onLine);
    EXPECT_EQ((*onLine)[0].z, -5.0);  // side 0 counts as the negative side
    line.m_pt[1] = {0, 0, 10};
    const auto across = OffsetLinePoints(line, {3, 0, 4}, 5);
    ASSERT_TRUE(across);
    EXPECT_EQ((*across)[0].x, 5.0);
    EXPECT_EQ((*across)[1].z, 10.0);
    // No length in plan, no side to put a parallel on.
    line.m_pt[1] = {0, 100, 0};
    EXPECT_FALSE(OffsetLinePoints(line, {3, 0, 4}, 5));
}

// ---- Stretch ---------------------------------------------------------------------------

TEST_F(ModifyTest, StretchTrimsAndExtendsToTheBoundary) {
    LookFrom(600);
    const Float3 unchanged{99, 99, 99};
    const struct {
        Float3 a, b;
        double clickX, clickZ;
        Float3 newA, newB;  // `unchanged`: as before
    } cases[] = {
        {{-5, 0, 5}, {5, 0, 5}, 3, 5, {0, 0, 5}, {5, 0, 5}},     // trim, keep right
        {{-5, 0, 5}, {5, 0, 5}, -3, 5, {-5, 0, 5}, {0, 0, 5}},   // trim, keep left
        {{2, 1, 5}, {8, 2, 5}, 3, 5, {0, 1, 5}, {8, 2, 5}},      // extend A, y kept
        {{2, 0, 5}, {8, 0, 5}, 7, 5, {2, 0, 5}, {0, 0, 5}},      // extend B
        {{2, 0, 0}, {2, 0, 10}, 2, 5, unchanged, unchanged},     // parallel
        {{0.05f, 0, 5}, {8, 0, 5}, 7, 5, unchanged, unchanged},  // 0.1 would not remain
    };
    for (const auto& c : cases) {
        doc.DeleteAllShapes();
        Run(ID_CANCEL);
        CShape& boundary = AddLine({0, 0, 0}, {0, 0, 10});
        CShape& target = AddLine(c.a, c.b);
        Run(ID_STRETCH);
        EXPECT_EQ(platform.Prompt(), "【伸縮】－基準線の選択");
        ClickWorld(0, 2);
        EXPECT_EQ(boundary.m_bSelected, 1);
        EXPECT_EQ(platform.Prompt(), "【伸縮】－対象線の指示(右クリックで終了)");
        ClickWorld(c.clickX, c.clickZ);
        const bool same = c.newA == unchanged;
        EXPECT_EQ(target.m_pt[0], same ? c.a : c.newA) << c.clickX;
        EXPECT_EQ(target.m_pt[1], same ? c.b : c.newB) << c.clickX;
        EXPECT_EQ(target.m_bSelected, 0);
        EXPECT_EQ(boundary.m_bSelected, 1);
        EXPECT_EQ(selectionExists, 1);
        EXPECT_EQ(stepPending, 1);
        EXPECT_EQ(editState, EDIT_STRETCH);
    }
    // The boundary itself as a target: deselected, unchanged.
    ClickWorld(0, 2);
    EXPECT_EQ(Shape(0).m_bSelected, 0);
    EXPECT_EQ(Shape(0).m_pt[1], (Float3{0, 0, 10}));
    EXPECT_EQ(selectionExists, 0);
}

TEST_F(ModifyTest, ErasingThePickedLineMakesTheNextClickPickANewOne) {
    LookFrom(600);
    AddLine({0, 0, 0}, {0, 0, 10});
    CShape& other = AddLine({5, 0, 0}, {5, 0, 10});
    Run(ID_STRETCH);
    ClickWorld(0, 5);
    Run(ID_ERASE);
    EXPECT_EQ(boundaryLine, nullptr);
    ClickWorld(5, 5);
    EXPECT_EQ(boundaryLine, &other);
    EXPECT_EQ(other.m_pt[0], (Float3{5, 0, 0}));

    Run(ID_CANCEL);
    platform.QueueDialog({{"5"}, true});
    Run(ID_OFFSET);
    ClickWorld(5, 5);
    Run(ID_ERASE);
    EXPECT_TRUE(doc.m_shapes.empty());
    ClickWorld(5, 5);  // the side step, with nothing to offset
    EXPECT_TRUE(doc.m_shapes.empty());
    EXPECT_EQ(stepPending, 0);
}

}  // namespace
}  // namespace marquetta
