#include "edit/transform_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "edit/command_state.h"
#include "edit/draw_commands.h"
#include "edit/offset_stretch.h"
#include "platform/command_ids.h"
#include "ui/transform_dialogs.h"
#include "view_fixture.h"

namespace marquetta {
namespace {

CShape Make(int type, Float3 p0, Float3 p1, const char* text = "") {
    CShape shape;
    shape.m_nType = type;
    shape.m_pt[0] = p0;
    shape.m_pt[1] = p1;
    shape.m_strText = text;
    return shape;
}

void ExpectNear(const Float3& got, const Float3& want, const char* what) {
    EXPECT_NEAR(got.x, want.x, 1e-3) << what;
    EXPECT_NEAR(got.y, want.y, 1e-3) << what;
    EXPECT_NEAR(got.z, want.z, 1e-3) << what;
}

// ---- Geometry, worked by hand ------------------------------------------------------------
//
// Angles: 0 along +X, 90 along -Z. A text's baseline runs along (cos, -sin), its glyphs'
// up along (-sin, -cos); "AB" is one width long (two single bytes).
TEST(ShapeTransformTest, ShapesLandWhereTheyWereWorkedOut) {
    const ShapeTransform turn90 = ShapeTransform::Rotation({100, 0, 0}, 90);
    const ShapeTransform turnMinus30 = ShapeTransform::Rotation({0, 0, 0}, -30);
    const ShapeTransform mirrorUpright = ShapeTransform::Mirror({10, 0, 0}, {10, 0, -5});
    const ShapeTransform mirrorLevel = ShapeTransform::Mirror({0, 0, 10}, {3, 0, 10});
    const ShapeTransform twice = ShapeTransform::Scaling({10, 0, 10}, 2);
    const struct {
        const char* name;
        ShapeTransform transform;
        CShape shape;
        Float3 p0, p1;
    } cases[] = {
        // (200, 0) is 100 along +X from the centre: a quarter turn puts it 100 along -Z.
        {"line turned", turn90, Make(SHAPE_LINE, {200, 0, 0}, {100, 5, 50}), {100, 0, -100},
         {150, 5, 0}},
        // 100 down the screen (+Z) from the centre turns to 100 right of it (+X).
        {"circle turned", turn90, Make(SHAPE_CIRCLE, {100, 0, 100}, {40, 0, 0}), {200, 0, 0},
         {40, 0, 0}},
        // 10..100 degrees becomes 100..190; the centre (200, 0) goes to (100, -100).
        {"arc turned", turn90, Make(SHAPE_ARC, {200, 0, 0}, {50, 10, 100}), {100, 0, -100},
         {50, 100, 190}},
        // 20..40 turned by -30 is -10..10: the start goes round to 350, the end to 370.
        {"arc turned through zero", turnMinus30, Make(SHAPE_ARC, {0, 0, 0}, {5, 20, 40}),
         {0, 0, 0}, {5, 350, 370}},
        {"text turned", turn90, Make(SHAPE_TEXT, {200, 0, 0}, {3, 2, 300}, "AB"), {100, 0, -100},
         {3, 2, 30}},
        // Mirrored in x = 10, the arc from 0 to 90 (the quarter towards +X and -Z about
        // (0, 0)) becomes the quarter from 90 to 180 about (20, 0).
        {"arc mirrored", mirrorUpright, Make(SHAPE_ARC, {0, 0, 0}, {5, 0, 90}), {20, 0, 0},
         {5, 90, 180}},
        {"arc mirrored across zero", mirrorLevel, Make(SHAPE_ARC, {0, 0, 0}, {5, 30, 60}),
         {0, 0, 20}, {5, 300, 330}},
        // Mirrored in x = 10, a text from (0, 0) along +X covers x 0..4 (width 4); its
        // image covers 16..20 and reads from 16, still along +X.
        {"text mirrored in an upright line", mirrorUpright,
         Make(SHAPE_TEXT, {0, 0, 0}, {3, 4, 0}, "AB"), {16, 0, 0}, {3, 4, 0}},
        // Mirrored in z = 10, the same text's box (z 0 .. -3) becomes z 20 .. 23: the
        // text now stands on z = 23 and reads along +X.
        {"text mirrored in a level line", mirrorLevel,
         Make(SHAPE_TEXT, {0, 0, 0}, {3, 4, 0}, "AB"), {0, 0, 23}, {3, 4, 0}},
        // A text at 90 (reading up the screen, along -Z) mirrored in x = 10: the image
        // reads along -Z too, from the mirror of the box's top corner: the up of the
        // text is -X, so that corner is (-3, 0) and its image (23, 0).
        {"upright text mirrored in an upright line", mirrorUpright,
         Make(SHAPE_TEXT, {0, 0, 0}, {3, 4, 90}, "AB"), {23, 0, 0}, {3, 4, 90}},
        {"text scaled", twice, Make(SHAPE_TEXT, {20, 0, 10}, {300, 250, 45}, "AB"), {30, 0, 10},
         {600, 500, 45}},
        {"circle scaled", twice, Make(SHAPE_CIRCLE, {10, 0, 0}, {5, 0, 0}), {10, 0, -10},
         {10, 0, 0}},
        {"line scaled with its height", twice, Make(SHAPE_LINE, {10, 3, 10}, {11, 0, 11}),
         {10, 6, 10}, {12, 0, 12}},
    };
    for (const auto& c : cases) {
        CShape out;
        ASSERT_TRUE(TransformShape(c.shape, c.transform, out)) << c.name;
        ExpectNear(out.m_pt[0], c.p0, c.name);
        ExpectNear(out.m_pt[1], c.p1, c.name);
        EXPECT_EQ(out.m_strText, c.shape.m_strText) << c.name;
    }
}

TEST(ShapeTransformTest, AFaceTurnsWithItsNormalsAndAMirroredFaceRunsTheOtherWayRound) {
    CShape face = Make(SHAPE_FACE, {0, 0, 0}, {10, 0, 0});
    face.m_pt[2] = {10, 5, 0};
    face.m_pt[3] = {0, 5, 0};
    for (Float3& n : face.m_normal) {
        n = {0, 0, 1};  // facing +Z
    }
    CShape turned;
    ASSERT_TRUE(TransformShape(face, ShapeTransform::Rotation({0, 0, 0}, 90), turned));
    ExpectNear(turned.m_pt[1], {0, 0, -10}, "corner");
    ExpectNear(turned.m_pt[2], {0, 5, -10}, "corner");
    for (const Float3& n : turned.m_normal) {
        ExpectNear(n, {1, 0, 0}, "normal");  // +Z turned a quarter faces +X
    }
    CShape mirrored;
    ASSERT_TRUE(TransformShape(face, ShapeTransform::Mirror({0, 0, 3}, {1, 0, 3}), mirrored));
    const Float3 corners[4] = {{0, 0, 6}, {0, 5, 6}, {10, 5, 6}, {10, 0, 6}};
    for (int i = 0; i < 4; ++i) {
        ExpectNear(mirrored.m_pt[i], corners[i], "mirrored corner");
        ExpectNear(mirrored.m_normal[i], {0, 0, -1}, "mirrored normal");
    }
}

// ---- The commands --------------------------------------------------------------------------

class TransformTest : public ViewFixture {
  protected:
    void SetUp() override {
        ViewFixture::SetUp();
        g_snapOn = 0;
    }
    void Run(int id) { ASSERT_TRUE(view.Commands().Run(id)); }
    void Select(CShape& shape) {
        shape.m_bSelected = 1;
        selectionExists = 1;
    }
    // A point to snap to, exactly: a line of no length, not selected.
    void Mark(float x, float z) { AddLine({x, 0, z}, {x, 0, z}); }
};

// Each command with a selection: its prompts step by step, the preview, its result and
// the selection let go of.
TEST_F(TransformTest, EachCommandPromptsAtEachStepAndChangesTheSelection) {
    const struct {
        const char* name;
        int id;
        const char* dialog;  // null: no dialog
        std::vector<std::pair<double, double>> clicks;
        std::vector<const char*> prompts;  // after the command, then after each click
        size_t shapes;                     // in the drawing afterwards
        size_t result;                     // the shape changed or made
        Float3 end;                        // its end
    } cases[] = {
        {"rotate", ID_ROTATE, "90", {{0, 0}}, {kPromptRotateCentre, kPromptNone}, 3, 0,
         {0, 0, -1000}},
        {"mirror", ID_MIRROR, nullptr, {{2000, 0}, {2000, -1000}},
         {kPromptMirrorFirst, kPromptMirrorSecond, kPromptNone}, 3, 0, {3000, 0, 0}},
        {"mirror copy", ID_MIRROR_COPY, nullptr, {{2000, 0}, {2000, -1000}},
         {kPromptMirrorCopyFirst, kPromptMirrorCopySecond, kPromptNone}, 4, 3, {3000, 0, 0}},
        {"scale", ID_SCALE_SHAPES, "0.5", {{0, 0}}, {kPromptScaleBase, kPromptNone}, 3, 0,
         {500, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        doc.DeleteAllShapes();
        Run(ID_CANCEL);
        Select(AddLine({0, 0, 0}, {1000, 0, 0}));
        Mark(2000, 0);
        Mark(2000, -1000);
        g_snapOn = 1;  // every click lands on a vertex exactly
        if (c.dialog != nullptr) {
            platform.QueueDialog({{c.dialog}, true});
        }
        Run(c.id);
        EXPECT_EQ(platform.Prompt(), c.prompts[0]);
        for (size_t i = 0; i < c.clicks.size(); ++i) {
            ClickWorld(c.clicks[i].first, c.clicks[i].second);
            EXPECT_EQ(platform.Prompt(), c.prompts[i + 1]);
        }
        ASSERT_EQ(doc.m_shapes.size(), c.shapes);
        ExpectNear(Shape(c.result).m_pt[1], c.end, "end");
        g_snapOn = 0;
        EXPECT_EQ(Shape(0).m_bSelected, 0);
        EXPECT_EQ(selectionExists, 0);
        EXPECT_EQ(editState, EDIT_IDLE);
        EXPECT_EQ(doc.History().NextUndo(),
                  std::optional<StepKind>(c.id == ID_ROTATE           ? StepKind::Rotate
                                          : c.id == ID_MIRROR         ? StepKind::Mirror
                                          : c.id == ID_MIRROR_COPY    ? StepKind::MirrorCopy
                                                                      : StepKind::Scale));
    }
}

// The right button ends the command at every step; nothing changes and the selection
// stays. Without a selection the command collects one first.
TEST_F(TransformTest, TheRightButtonEndsEachStepAndCollectingComesFirst) {
    const struct {
        const char* name;
        int id;
        const char* collecting;
        const char* dialog;
        int clicksBeforeRight;
    } cases[] = {
        {"rotate at its centre", ID_ROTATE, kPromptRotateSelect, "30", 0},
        {"mirror at its first point", ID_MIRROR, kPromptMirrorSelect, nullptr, 0},
        {"mirror at its second point", ID_MIRROR, kPromptMirrorSelect, nullptr, 1},
        {"mirror copy at its second point", ID_MIRROR_COPY, kPromptMirrorCopySelect, nullptr, 1},
        {"scale at its base point", ID_SCALE_SHAPES, kPromptScaleSelect, "3", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        doc.DeleteAllShapes();
        Run(ID_CANCEL);
        CShape& line = AddLine({0, 0, 0}, {1000, 0, 0});
        doc.History().Clear();
        Run(c.id);
        EXPECT_EQ(editState, EDIT_TRANSFORM_SELECT);
        EXPECT_EQ(platform.Prompt(), c.collecting);
        ClickWorld(500, 0);  // picks the line
        EXPECT_EQ(line.m_bSelected, 1);
        if (c.dialog != nullptr) {
            platform.QueueDialog({{c.dialog}, true});
        }
        RightClick(400, 300);
        EXPECT_EQ(editState, EDIT_TRANSFORM);
        for (int i = 0; i < c.clicksBeforeRight; ++i) {
            ClickWorld(3000, 3000);
        }
        RightClick(400, 300);
        EXPECT_EQ(editState, EDIT_IDLE);
        EXPECT_EQ(stepPending, 0);
        EXPECT_EQ(platform.Prompt(), kPromptNone);
        EXPECT_EQ(line.m_bSelected, 1);
        EXPECT_EQ(selectionExists, 1);
        ExpectNear(line.m_pt[1], {1000, 0, 0}, "unchanged");
        EXPECT_FALSE(doc.History().CanUndo());
    }
}

// What the commands take: move's rule, with faces turned by rotate alone.
TEST_F(TransformTest, FacesTurnButStayForMirrorAndScaleAndHiddenLayersStay) {
    const struct {
        const char* name;
        int id;
        const char* dialog;
        bool faceChanges;
    } cases[] = {
        {"rotate", ID_ROTATE, "180", true},
        {"mirror", ID_MIRROR, nullptr, false},
        {"scale", ID_SCALE_SHAPES, "2", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        doc.DeleteAllShapes();
        Run(ID_CANCEL);
        CShape& face = AddShape(SHAPE_FACE, {100, 0, 0}, {200, 0, 0});
        face.m_pt[2] = {200, 100, 0};
        face.m_pt[3] = {100, 100, 0};
        face.m_normal[0] = {0, 0, 1};
        Select(face);
        Select(AddLine({100, 0, 0}, {200, 0, 0}, "hidden"));
        HideLayer("hidden");
        Select(AddLine({100, 0, 0}, {200, 0, 0}));
        if (c.dialog != nullptr) {
            platform.QueueDialog({{c.dialog}, true});
        }
        Run(c.id);
        ClickWorld(0, 0);
        if (c.id == ID_MIRROR) {
            ClickWorld(0, -1000);
        }
        const CShape& faceAfter = Shape(0);
        EXPECT_EQ(faceAfter.m_pt[1].x != 200.0f, c.faceChanges);
        EXPECT_EQ(faceAfter.m_bSelected, c.faceChanges ? 0 : 1);
        if (c.faceChanges) {
            ExpectNear(faceAfter.m_normal[0], {0, 0, -1}, "normal");
        }
        EXPECT_EQ(Shape(1).m_pt[1].x, 200.0f);  // on the hidden layer
        EXPECT_EQ(Shape(1).m_bSelected, 1);
        EXPECT_NE(Shape(2).m_pt[1].x, 200.0f);
        EXPECT_EQ(selectionExists, 1);
    }
}

// No command stores a coordinate single precision cannot hold: it says so, changes
// nothing and waits for another point.
TEST_F(TransformTest, AResultBeyondSinglePrecisionIsRefusedAndChangesNothing) {
    constexpr float kFar = 3e38f;
    const struct {
        const char* name;
        std::function<void()> act;
        int stateAfter;
    } cases[] = {
        // A half turn about a centre as far on the other side: 2 centre - point.
        {"rotate far from its centre",
         [&] { EXPECT_FALSE(TransformSelection(doc, ShapeTransform::Rotation({-kFar, 0, 0}, 180), false)); },
         EDIT_IDLE},
        {"scale beyond",
         [&] {
             platform.QueueDialog({{"1000"}, true});
             Run(ID_SCALE_SHAPES);
             ClickWorld(0, 0);
         },
         EDIT_TRANSFORM},
        {"offset beyond",
         [&] {
             doc.DeselectAll();
             selectionExists = 0;
             // The line runs along -Z at x = 3e38; a click at the origin lies on its -X
             // side, and a negative width puts the parallel on the other: at 6e38.
             platform.QueueDialog({{"-3e38"}, true});
             Run(ID_OFFSET);
             pickedLine = doc.m_shapes.begin()->get();
             stepPending = 1;
             ClickWorld(0, 0);
         },
         EDIT_OFFSET},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        doc.DeleteAllShapes();
        Run(ID_CANCEL);
        CShape& line = AddLine({kFar, 0, 0}, {kFar, 0, -1000});
        Select(line);
        doc.History().Clear();
        const CShape before = line;
        platform.ClearCalls();
        c.act();
        EXPECT_EQ(platform.Prompt(), kPromptBeyondRange);
        EXPECT_EQ(Beeps(BeepKind::Exclamation), 1u);
        ASSERT_EQ(doc.m_shapes.size(), 1u);
        EXPECT_EQ(Shape(0).m_pt[0].x, before.m_pt[0].x);
        EXPECT_EQ(Shape(0).m_pt[1].z, before.m_pt[1].z);
        EXPECT_FALSE(doc.History().CanUndo());
        EXPECT_EQ(editState, c.stateAfter);
    }
}

// The mirror line's second point typed from the first, as a line's end is.
TEST_F(TransformTest, TheMirrorLinesSecondPointMayBeTyped) {
    Select(AddLine({0, 0, 0}, {0, 0, -1000}));
    Mark(500, 0);
    g_snapOn = 1;
    Run(ID_MIRROR);
    ClickWorld(500, 0);
    platform.QueueDialog({{"0,1000"}, true});  // straight up the screen
    Run(ID_RELATIVE_ENTRY);
    ExpectNear(Shape(0).m_pt[1], {1000, 0, -1000}, "mirrored end");
    EXPECT_EQ(editState, EDIT_IDLE);
    // The same point again gives no line: refused, and the second point is awaited.
    Select(AddLine({0, 0, 0}, {0, 0, -1000}));
    Run(ID_MIRROR);
    ClickWorld(500, 0);
    ClickWorld(500, 0);
    EXPECT_EQ(platform.Prompt(), kPromptMirrorLineShort);
    EXPECT_EQ(editState, EDIT_TRANSFORM);
    EXPECT_EQ(stepPending, 1);
    // Mirror copy names itself.
    Run(ID_CANCEL);
    Select(AddLine({0, 0, 0}, {0, 0, -1000}));
    Run(ID_MIRROR_COPY);
    ClickWorld(500, 0);
    ClickWorld(500, 0);
    EXPECT_EQ(platform.Prompt(), kPromptMirrorCopyLineShort);
}

// The previews: the selection turned or scaled about the cursor, and mirrored in the
// line from the first point to the cursor, with that line drawn.
// The dialogs refuse what is not a number within range, and remember what was given.
TEST_F(TransformTest, TheValueDialogsRefuseBadValuesAndRememberGoodOnes) {
    const struct {
        bool rotation;
        const char* typed;
        bool accepted;
    } cases[] = {
        {false, "0", false},     {false, "-2", false},   {false, "nan", false},
        {false, "inf", false},   {false, "0x10", false}, {false, "1001", false},
        {false, "1e999", false}, {false, "", false},     {false, "0.001", true},
        {false, "1000", true},   {true, "361", false},   {true, "-360", true},
        {true, "45.5", true},    {true, "9O", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        RotationAngleDialog rotation;
        ScaleFactorDialog scale;
        BoundedValueDialog& dialog = c.rotation ? static_cast<BoundedValueDialog&>(rotation) : scale;
        dialog.SetText(c.typed);
        EXPECT_EQ(!dialog.Validate().has_value(), c.accepted);
    }
    platform.QueueDialog({{"12.5"}, true});
    EXPECT_EQ(AskScaleFactor(), std::optional<double>(12.5));
    platform.QueueDialog({{"3"}, true});
    EXPECT_EQ(AskScaleFactor(), std::optional<double>(3.0));
    ScaleFactorDialog again;
    EXPECT_EQ(again.Text(), "3");
    ASSERT_GE(again.Fields()[0].choices.size(), 3u);
    EXPECT_EQ(again.Fields()[0].choices[0], "3");
    EXPECT_EQ(again.Fields()[0].choices[1], "12.5");
    EXPECT_EQ(again.Fields()[0].choices[2], "2");
}

}  // namespace
}  // namespace marquetta
