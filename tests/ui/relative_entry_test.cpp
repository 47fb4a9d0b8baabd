#include "ui/relative_entry.h"

#include <gtest/gtest.h>

#include <array>

#include "edit/view_fixture.h"
#include "platform/command_ids.h"

namespace marquetta {
namespace {

class RelativeEntryTest : public ViewFixture {
  protected:
    // Types `text` into the entry's dialog and presses OK (or Cancel).
    void Enter(const std::string& text, bool ok = true) {
        platform.QueueDialog({{text}, ok});
        ASSERT_TRUE(view.Commands().Run(ID_RELATIVE_ENTRY));
    }
    bool Enabled() const { return view.Commands().Update(ID_RELATIVE_ENTRY)->enabled; }
};

TEST(RelativeDialogsTest, TheAngleDialogListsItsPresetsAsText) {
    RelativeAngleDialog angle;
    EXPECT_EQ(angle.Title(), "相対角度");
    EXPECT_EQ(angle.Fields()[0].label, "＜");
    EXPECT_EQ(angle.Fields()[0].hint, "（単位： 度）");
    EXPECT_EQ(angle.Fields()[0].choices,
              (std::vector<std::string>{"135", "180", "225", "270", "315", "45", "90"}));
}

TEST(RelativeReadingTest, Displacements) {
    const struct {
        const char* typed;
        std::optional<Double3> delta;
    } cases[] = {
        {"100,50", Double3{100, 0, -50}},
        {"100 50 30", Double3{100, 30, -50}},
        {"0.005,200", Double3{0, 0, -200}},
        {"999999.9,1e7", Double3{999999.9, 0, 0}},
        {"10-20", Double3{10, 0, 20}},
        {"１００，５０", Double3{100, 0, -50}},
        {"0.5", std::nullopt},
        {"0.8,0.8", Double3{0.8, 0, -0.8}},  // together longer than 1
        {"", std::nullopt},
        {"x100", std::nullopt},
        {"nan,5", std::nullopt},
        // The text must read wholly as the numbers, after an "@" if one is typed.
        {"@0,-1000", Double3{0, 0, 1000}},
        {"＠１００，５０", Double3{100, 0, -50}},
        {" @ 100 50 ", Double3{100, 0, -50}},
        // Polar: the angle counter-clockwise from east, as drafters type it.
        {"1000<270", Double3{0, 0, 1000}},
        {"1000<90", Double3{0, 0, -1000}},
        {"@500<180", Double3{-500, 0, 0}},
        {"500<-360", Double3{500, 0, 0}},
        {"500<450", Double3{0, 0, -500}},
        {"-500<0", Double3{-500, 0, 0}},
        {"0.5<30", std::nullopt},
        {"1000<", std::nullopt},
        {"1000<30,5", std::nullopt},
        {"100,50mm", std::nullopt},
        {"1 2 3 4", std::nullopt},
        {"1.5.5", std::nullopt},
        {"100@", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(ReadDisplacement(c.typed), c.delta);
    }
    const std::optional<Double3> slanted = ReadDisplacement("1000<30");
    ASSERT_TRUE(slanted.has_value());
    EXPECT_NEAR(slanted->x, 866.0254, 1e-4);
    EXPECT_NEAR(slanted->z, -500.0, 1e-9);
    EXPECT_EQ(ReadSweepAngle("90,45"), 90.0);
    EXPECT_EQ(ReadSweepAngle("inf"), 0.0);
}

// Each form as read.
TEST(RelativeReadingTest, TypedForms) {
    const struct {
        const char* typed;
        TypedForm form;
        size_t count;
        std::array<double, 3> numbers;
    } cases[] = {
        {"1000<270", TypedForm::Polar, 2, {1000, 270, 0}},
        {"１０００＜２７０", TypedForm::Polar, 2, {1000, 270, 0}},
        {"10-20", TypedForm::Displacement, 2, {10, -20, 0}},
        {"7", TypedForm::Displacement, 1, {7, 0, 0}},
        {"1000<270<5", TypedForm::Unreadable, 0, {}},
        {"10,20<30", TypedForm::Unreadable, 0, {}},
        {"<90", TypedForm::Unreadable, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const TypedPoint point = ReadTypedPoint(c.typed);
        EXPECT_EQ(point.form, c.form);
        EXPECT_EQ(point.count, c.count);
        if (c.form != TypedForm::Unreadable) {
            EXPECT_EQ(point.numbers, c.numbers);
        }
    }
}

// OK refuses text that does not read wholly as the dialog's numbers, naming it; the
// dialog stays open (here: the refusal, then Cancel) and nothing is drawn.
TEST_F(RelativeEntryTest, TextThatIsNotTheNumbersIsRefusedByName) {
    const struct {
        bool arc;
        const char* typed;
        const char* says;
    } cases[] = {
        {false, "1000<", "「1000<」は相対距離として読めません"},
        {false, "100,50mm", "「100,50mm」は相対距離として読めません"},
        {false, "", "数字を入力してください"},
        {true, "90,5", "「90,5」は角度として読めません"},
        {true, "90度", "「90度」は角度として読めません"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        doc.DeleteAllShapes();
        view.OnCancel();
        if (c.arc) {
            view.OnDrawArc();
            ClickWorld(0, 0);
            ClickWorld(910, 0);
        } else {
            view.OnDrawLine();
            ClickWorld(0, 0);
        }
        platform.ClearCalls();
        Enter(c.typed);
        const auto boxes = platform.CallsOf(PlatformCall::Kind::MessageBox);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text.rfind(c.says, 0), 0u) << boxes[0].text;
        EXPECT_TRUE(doc.m_shapes.empty());
        EXPECT_EQ(stepPending, 1);
    }
    // "<90" in the angle dialog repeats its label: it reads as 90.
    Enter("<90");
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_EQ(Shape(0).m_nType, SHAPE_ARC);
    // "@0,-1000" goes down the plan, from where the line is.
    view.OnDrawLine();
    ClickWorld(0, 0);
    Enter("@0,-1000");
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    EXPECT_EQ(Shape(1).m_pt[1], (Float3{0, 0, 1000}));
    // "1000<90" goes up the plan from there.
    Enter("1000<90");
    ASSERT_EQ(doc.m_shapes.size(), 3u);
    EXPECT_EQ(Shape(2).m_pt[1], (Float3{0, 0, 0}));
}

// Where the entry has nothing to do, or what was typed is too short, the prompt line
// says so.
TEST_F(RelativeEntryTest, AnEntryThatDoesNothingSaysWhy) {
    view.OnDrawLine();
    ClickWorld(0, 0);
    Enter("0.5");
    EXPECT_EQ(platform.Prompt(), kPromptEntryTooShort);
    view.OnDrawCircle();  // a base point stays from the line
    ASSERT_TRUE(Enabled());
    ASSERT_TRUE(view.Commands().Run(ID_RELATIVE_ENTRY));
    EXPECT_EQ(platform.Prompt(), kPromptEntryNotHere);
    view.OnDrawArc();
    ASSERT_TRUE(view.Commands().Run(ID_RELATIVE_ENTRY));
    EXPECT_EQ(platform.Prompt(), kPromptEntryNoArcStart);
    EXPECT_TRUE(platform.CallsOf(PlatformCall::Kind::RunDialog).size() == 1u);
    EXPECT_TRUE(doc.m_shapes.empty());
}

TEST_F(RelativeEntryTest, LineEndsChainFromTheTypedPoint) {
    EXPECT_FALSE(Enabled());
    view.OnDrawLine();
    ClickWorld(0, 0);
    EXPECT_TRUE(Enabled());
    Enter("100,50");
    Enter("0 100 30");
    Enter("100", false);
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    EXPECT_EQ(Shape(0).m_pt[0], (Float3{0, 0, 0}));
    EXPECT_EQ(Shape(0).m_pt[1], (Float3{100, 0, -50}));
    EXPECT_EQ(Shape(1).m_pt[0], (Float3{100, 0, -50}));
    EXPECT_EQ(Shape(1).m_pt[1], (Float3{100, 30, -150}));
    EXPECT_EQ(Shape(1).m_strLayer, "0");
    EXPECT_EQ(doc.m_current.m_nType, SHAPE_LINE);
    EXPECT_EQ(stepPending, 1);

    // Refused as too short, yet the view is drawn again.
    platform.ClearCalls();
    Enter("0.5");
    EXPECT_EQ(doc.m_shapes.size(), 2u);
    EXPECT_EQ(CountOf(PlatformCall::Kind::InvalidateView), 1u);
}

TEST_F(RelativeEntryTest, ArcEndsTheCommandWithAnArcOrACircle) {
    const struct {
        double start;
        const char* typed;
        int reversed;
        int startGiven;
        int type;  // SHAPE_NONE: nothing made
        Float3 sizes;
    } cases[] = {
        {30, "90", 0, 1, SHAPE_ARC, {50, 30, 120}},
        {30, "90", 1, 1, SHAPE_ARC, {50, 300, 390}},
        {30, "-90", 0, 1, SHAPE_ARC, {50, 300, 390}},
        {350, "30", 0, 1, SHAPE_ARC, {50, 350, 380}},
        {30, "360", 0, 1, SHAPE_CIRCLE, {50, 0, 0}},
        {30, "-360", 1, 1, SHAPE_CIRCLE, {50, 0, 0}},
        {30, "0", 0, 1, SHAPE_NONE, {}},
        {30, "90", 0, 0, SHAPE_NONE, {}},  // no start given: the entry does nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        doc.DeleteAllShapes();
        doc.m_current.m_nType = SHAPE_ARC;
        firstPoint = {10, 0, 20};
        arcStartAngle = c.start;
        arcRadius = 50;
        arcReversed = c.reversed;
        arcStartGiven = c.startGiven;
        stepPending = rubberBand = basePointSet = 1;
        Enter(c.typed);
        ASSERT_EQ(doc.m_shapes.size(), c.type == SHAPE_NONE ? 0u : 1u);
        if (c.type != SHAPE_NONE) {
            EXPECT_EQ(Shape(0).m_nType, c.type);
            EXPECT_EQ(Shape(0).m_pt[0], (Float3{10, 0, 20}));
            EXPECT_EQ(Shape(0).m_pt[1], c.sizes);
        }
        const bool ended = c.startGiven == 1;
        EXPECT_EQ(doc.m_current.m_nType, ended ? SHAPE_NONE : SHAPE_ARC);
        EXPECT_EQ(stepPending + rubberBand + basePointSet, ended ? 0 : 3);
    }
}

TEST_F(RelativeEntryTest, MoveAndContinuousCopyGoFromTheBasePoint) {
    CShape& line = AddLine({0, 0, 0}, {910, 0, 0});
    line.m_bSelected = selectionExists = 1;
    view.OnMove();
    ClickWorld(0, 0);
    Enter("0.5");  // too short: nothing at all
    EXPECT_EQ(editState, EDIT_MOVE);
    Enter("100,50");
    EXPECT_EQ(line.m_pt[0], (Float3{100, 0, -50}));
    EXPECT_EQ(line.m_pt[1], (Float3{1010, 0, -50}));
    EXPECT_EQ(line.m_bSelected, 0);
    EXPECT_EQ(editState, EDIT_IDLE);
    EXPECT_EQ(stepPending + rubberBand + basePointSet + selectionExists, 0);
    EXPECT_EQ(platform.Prompt(), "");

    doc.DeleteAllShapes();
    CShape& source = AddLine({0, 0, 0}, {910, 0, 0});
    source.m_bSelected = selectionExists = 1;
    view.OnCopy();
    ClickWorld(0, 0);
    view.OnKeyDown('M');
    Enter("100");
    Enter("100");
    ASSERT_EQ(doc.m_shapes.size(), 3u);
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(Shape(i).m_pt[0], (Float3{100, 0, 0}));
        EXPECT_EQ(Shape(i).m_bSelected, 0);
    }
    EXPECT_EQ(source.m_bSelected, 1);
    EXPECT_EQ(editState, EDIT_COPY);
    EXPECT_EQ(stepPending, 1);
}

}  // namespace
}  // namespace marquetta
