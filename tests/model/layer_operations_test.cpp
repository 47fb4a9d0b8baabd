#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/program_defaults.h"
#include "edit/draw_commands.h"
#include "model/document.h"
#include "model/layers.h"
#include "platform/platform.h"

namespace marquetta {
namespace {

// What the layer operations change, seen from outside: the table, every shape's layer
// and selection in list order, and the current layer.
struct LayerState {
    std::vector<std::string> layers;
    std::vector<std::string> shapes;  // "layer" or "layer*" for a selected shape
    std::string current;
    bool operator==(const LayerState&) const = default;
};

void PrintTo(const LayerState& s, std::ostream* os) {
    *os << "layers:";
    for (const auto& l : s.layers) {
        *os << ' ' << l;
    }
    *os << " shapes:";
    for (const auto& l : s.shapes) {
        *os << ' ' << l;
    }
    *os << " current: " << s.current;
}

LayerState StateOf(const CZorader_ezDoc& doc) {
    LayerState state;
    for (int i = 0; i < g_layerCount; ++i) {
        state.layers.push_back(g_layerNames[i]);
    }
    for (const auto& shape : doc.m_shapes) {
        state.shapes.push_back(shape->m_strLayer + (shape->IsSelected() ? "*" : ""));
    }
    state.current = doc.CurrentLayer();
    return state;
}

class LayerOperationsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitProgramDefaults();
        Add("0", SHAPE_LINE, true);
        Add("wall", SHAPE_LINE, false);
        Add("wall", SHAPE_CIRCLE, false);
        Add("door", SHAPE_FACE, true);
        AddLayer("empty");
        SetLayerVisible(FindLayer("door"), false);
        doc.History().Clear();
        doc.SetModifiedFlag(false);
    }

    void Add(const std::string& layer, int type, bool selected) {
        EnsureLayer(layer);
        doc.SetCurrentLayer(layer);
        doc.m_current.m_nType = type;
        doc.m_current.m_bSelected = selected ? 1 : 0;
        doc.AddCurrentShape();
        doc.m_current.m_nType = SHAPE_NONE;
    }

    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    CZorader_ezDoc doc;
};

// Each operation as one step: what it leaves, then undo gives back the drawing as it
// was and redo the state after the step again.
TEST_F(LayerOperationsTest, EachOperationIsOneStepThatUndoAndRedoTakeBackAndDoAgain) {
    const LayerState before = StateOf(doc);
    ASSERT_EQ(before, (LayerState{{"0", "wall", "door", "empty"}, {"0*", "wall", "wall", "door*"}, "0"}));
    struct Case {
        const char* what;
        std::function<bool(CZorader_ezDoc&)> operation;  // false: refused
        LayerState after;  // for a refusal, the state before
        bool modified;
    };
    const Case cases[] = {
        {"add", [](CZorader_ezDoc&) { return AddLayer("furniture") == 4; },
         {{"0", "wall", "door", "empty", "furniture"}, before.shapes, "0"}, false},
        {"rename: the shapes follow",
         [](CZorader_ezDoc& d) { return d.RenameLayer(1, "outer wall"); },
         {{"0", "outer wall", "door", "empty"}, {"0*", "outer wall", "outer wall", "door*"}, "0"},
         true},
        {"rename the current layer: it stays current",
         [](CZorader_ezDoc& d) { return d.RenameLayer(0, "base"); },
         {{"base", "wall", "door", "empty"}, {"base*", "wall", "wall", "door*"}, "base"}, true},
        {"delete with its shapes, the current layer stays",
         [](CZorader_ezDoc& d) {
             d.ChooseCurrentLayer("wall");
             return d.RemoveLayer(2);
         },
         {{"0", "wall", "empty"}, {"0*", "wall", "wall"}, "wall"}, true},
        {"delete an empty layer", [](CZorader_ezDoc& d) { return d.RemoveLayer(3); },
         {{"0", "wall", "door"}, before.shapes, "0"}, true},
        {"move the selection, a face on a hidden layer too",
         [](CZorader_ezDoc& d) { return d.MoveSelectedToLayer(1) == 2; },
         {before.layers, {"wall*", "wall", "wall", "wall*"}, "0"}, true},
        {"a new layer made current and drawn on",
         [](CZorader_ezDoc& d) {
             const int index = AddLayer("furniture");
             d.ChooseCurrentLayer(g_layerNames[index]);
             return AddDrawnShape(d, SHAPE_LINE, {0, 0, 0}, {1, 0, 1}, {});
         },
         {{"0", "wall", "door", "empty", "furniture"},
          {"0*", "wall", "wall", "door*", "furniture"},
          "furniture"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {
            UndoStep step(doc.History(), StepKind::Layers);
            EXPECT_TRUE(c.operation(doc));
        }
        EXPECT_EQ(StateOf(doc), c.after);
        EXPECT_EQ(doc.IsModified(), c.modified);
        EXPECT_EQ(doc.History().NextUndo(), StepKind::Layers);
        ASSERT_TRUE(doc.History().Undo());
        EXPECT_EQ(StateOf(doc), before);
        EXPECT_FALSE(doc.IsModified());
        ASSERT_TRUE(doc.History().Redo());
        EXPECT_EQ(StateOf(doc), c.after);
        ASSERT_TRUE(doc.History().Undo());
    }
}

TEST_F(LayerOperationsTest, RefusalsChangeNothingAndMakeNoStep) {
    const LayerState before = StateOf(doc);
    {
        UndoStep step(doc.History(), StepKind::Layers);
        EXPECT_FALSE(doc.RemoveLayer(0));  // the current layer
        EXPECT_FALSE(doc.RemoveLayer(4));  // not in use
        EXPECT_FALSE(doc.RenameLayer(1, "door"));
        EXPECT_FALSE(doc.RenameLayer(1, ""));
        EXPECT_FALSE(doc.RenameLayer(1, std::string(kLayerNameMaxBytes + 1, 'x')));
        EXPECT_EQ(doc.MoveSelectedToLayer(7), 0u);
        doc.ChooseCurrentLayer("wall");  // choosing alone is no step
    }
    EXPECT_EQ(StateOf(doc).layers, before.layers);
    EXPECT_FALSE(doc.History().CanUndo());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.CurrentLayer(), "wall");

    EXPECT_EQ(AddLayer("Door"), 4);  // case counts: another layer
    EXPECT_EQ(AddLayer("Door"), -1);
    EXPECT_EQ(CheckLayerName(std::string(kLayerNameMaxBytes, 'x'), g_layerCount),
              LayerNameProblem::None);
    EXPECT_EQ(CheckLayerName("wall", 1), LayerNameProblem::None);  // keeps its own name
    EXPECT_EQ(CheckLayerName("wall", 2), LayerNameProblem::Taken);
    while (g_layerCount < kLayerSlots) {
        ASSERT_GE(AddLayer("layer " + std::to_string(g_layerCount)), 0);
    }
    EXPECT_EQ(CheckLayerName("one more", g_layerCount), LayerNameProblem::TableFull);
    EXPECT_EQ(AddLayer("one more"), -1);
    EXPECT_EQ(g_layerCount, kLayerSlots);
    // A full table still takes a new name for a layer in it.
    EXPECT_TRUE(doc.RenameLayer(4, "renamed"));
}

TEST_F(LayerOperationsTest, ANewDrawingDrawsOnLayerZero) {
    doc.ChooseCurrentLayer("wall");
    doc.NewDrawing();
    EXPECT_EQ(doc.CurrentLayer(), "0");
}

}  // namespace
}  // namespace marquetta
