#include <gtest/gtest.h>

#include "app/program_defaults.h"
#include "model/document.h"
#include "model/geometry.h"
#include "model/layers.h"

namespace marquetta {
namespace {

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override { InitProgramDefaults(); }

    CShape& AddLine(const std::string& layer, float x) {
        EnsureLayer(layer);
        doc.SetCurrentLayer(layer);
        doc.m_current.m_nType = SHAPE_LINE;
        doc.m_current.m_pt[0] = {x, 0, 0};
        doc.m_current.m_pt[1] = {x + 1, 0, 0};
        return doc.AddCurrentShape();
    }

    CZorader_ezDoc doc;
};

TEST_F(DocumentTest, AddCurrentShapeCopiesTemplateZeroesReservedAndMarksModified) {
    doc.m_current.m_nType = SHAPE_TEXT;
    doc.m_current.m_bSelected = 1;
    doc.m_current.m_attr[1] = 0.5f;
    doc.m_current.m_reserved[3] = 0xDEADBEEF;
    doc.m_current.m_pt[3] = {1, 2, 3};
    doc.m_current.m_normal[2] = {0, 1, 0};
    doc.SetCurrentLayer("walls");
    doc.SetCurrentText("A");
    EXPECT_FALSE(doc.IsModified());

    const CShape& added = doc.AddCurrentShape();
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_EQ(&added, doc.m_shapes.back().get());
    EXPECT_EQ(added.m_reserved[3], 0u);
    CShape expected = doc.m_current;
    expected.m_reserved[3] = 0;
    EXPECT_EQ(added, expected);
    // The template itself keeps its value for the next shape.
    EXPECT_EQ(doc.m_current.m_reserved[3], 0xDEADBEEFu);
}

// An imported drawing is built whole in a document of its own: its shapes keep no undo
// record and its list no journal, and readers of the list must start again from the
// whole list both when the building begins and when it ends.
TEST_F(DocumentTest, ADrawingBeingBuiltKeepsNoHistoryAndItsReadersStartAgain) {
    AddLine("A", 0);
    const size_t historyBytes = doc.History().Bytes();
    const uint64_t before = doc.m_shapes.Epoch();
    doc.SetBuilding(true);
    const uint64_t building = doc.m_shapes.Epoch();
    EXPECT_NE(building, before);
    for (int i = 1; i <= 3; ++i) {
        AddLine("A", static_cast<float>(i));
    }
    EXPECT_EQ(doc.m_shapes.size(), 4u);
    EXPECT_TRUE(doc.m_shapes.Journal().empty());
    EXPECT_EQ(doc.m_shapes.Epoch(), building);
    EXPECT_EQ(doc.History().Bytes(), historyBytes);
    doc.SetBuilding(false);
    EXPECT_NE(doc.m_shapes.Epoch(), building);
    AddLine("A", 9);
    EXPECT_EQ(doc.m_shapes.Journal().size(), 1u);
    EXPECT_GT(doc.History().Bytes(), historyBytes);
    // A list moved out of a document being built takes the journal of its new home.
    CZorader_ezDoc target;
    doc.SetBuilding(true);
    target.ReplaceShapes(std::move(doc.m_shapes));
    target.m_current = doc.m_current;
    target.AddCurrentShape();
    EXPECT_EQ(target.m_shapes.Journal().size(), 1u);
}

TEST_F(DocumentTest, ShapesStayInInsertionOrderAndReferencesSurviveRemoval) {
    CShape& a = AddLine("0", 1);
    CShape& b = AddLine("0", 2);
    CShape& c = AddLine("0", 3);
    doc.SetModifiedFlag(false);
    doc.RemoveShape(&b);
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    EXPECT_EQ(doc.m_shapes.front().get(), &a);
    EXPECT_EQ(doc.m_shapes.back().get(), &c);
    EXPECT_EQ(c.m_pt[0].x, 3.0f);
}

TEST_F(DocumentTest, SelectAllVisibleSkipsHiddenLayersAndKeepsModifiedFlag) {
    AddLine("0", 1);
    CShape& hidden = AddLine("hidden", 2);
    hidden.m_bSelected = 0;
    g_layerAttributes[FindLayer("hidden")][LAYER_VISIBLE] = 0.0;
    doc.SetModifiedFlag(false);
    g_displayListValid = 1;

    doc.SelectAllVisible();
    EXPECT_EQ(doc.m_shapes.front()->m_bSelected, 1);
    EXPECT_EQ(hidden.m_bSelected, 0);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(g_displayListValid, 0);
}

TEST_F(DocumentTest, NewDrawingKeepsLayersAndClearsShapesAndName) {
    AddLine("0", 1);
    g_layerAttributes[0][LAYER_RED] = 0.25;
    doc.SetPathName("/tmp/plan.trn");
    EXPECT_EQ(doc.GetTitle(), "plan.trn");
    doc.NewDrawing();
    EXPECT_TRUE(doc.m_shapes.empty());
    EXPECT_EQ(doc.GetTitle(), "無題");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(g_layerCount, 1);
    EXPECT_EQ(g_layerAttributes[0][LAYER_RED], 0.25);
}

TEST(LayerTableTest, EnsureLayerCreatesWhiteVisibleLayersUpTo99) {
    InitProgramDefaults();
    g_layerTextures[0] = "T_Stone1";
    EnsureLayer("0");
    ASSERT_EQ(g_layerCount, 1);
    EXPECT_EQ(g_layerNames[0], "0");
    EXPECT_EQ(g_layerAttributes[0], (std::array<double, 6>{1.0, 1.0, 1.0, 0.0, 0.0, 1.0}));
    EXPECT_EQ(g_layerTextures[0], "T_Stone1");  // the slot's texture is not touched
    EnsureLayer("0");
    EXPECT_EQ(g_layerCount, 1);
    EnsureLayer("A");
    EnsureLayer("a");  // names differ by case: two layers
    EXPECT_EQ(g_layerCount, 3);
    EXPECT_EQ(FindLayer("a"), 2);
    EXPECT_EQ(FindLayer("b"), 3);

    for (int i = 3; i < 120; ++i) {
        EnsureLayer("L" + std::to_string(i));
    }
    EXPECT_EQ(g_layerCount, 99);
    EXPECT_EQ(FindLayer("L119"), 99);
}

TEST(LayerTableTest, VisibilityOfNamesMissingFromTheTable) {
    InitProgramDefaults();
    EnsureLayer("0");
    // A missing name looks at slot g_layerCount, which holds no layer.
    EXPECT_FALSE(IsLayerVisible("nowhere"));
    g_layerAttributes[1][LAYER_VISIBLE] = 1.0;
    EXPECT_TRUE(IsLayerVisible("nowhere"));
    // With all 100 slots in use there is no such slot: the shape counts as visible.
    g_layerCount = kLayerSlots;
    for (int i = 0; i < kLayerSlots; ++i) {
        g_layerNames[i] = "L" + std::to_string(i);
        g_layerAttributes[i][LAYER_VISIBLE] = 0.0;
    }
    EXPECT_TRUE(IsLayerVisible("nowhere"));
    EXPECT_FALSE(IsLayerVisible("L99"));
}

TEST(LayerTableTest, UserEditsChangeOneLayerInUse) {
    InitProgramDefaults();
    EnsureLayer("0");
    EnsureLayer("1");
    const LayerAppearance glass{0.1, 0.2, 0.3, 0.4, 0.5, "T_Glass1"};
    g_displayListValid = 1;
    EXPECT_TRUE(SetLayerVisible(1, false));
    EXPECT_EQ(g_displayListValid, 0);
    EXPECT_TRUE(SetLayerAppearance(1, glass));
    EXPECT_EQ(g_layerAttributes[1], (std::array<double, 6>{0.1, 0.2, 0.3, 0.4, 0.5, 0.0}));
    EXPECT_EQ(GetLayerAppearance(1).material, "T_Glass1");
    EXPECT_EQ(GetLayerAppearance(1).reflection, 0.5);
    // The same values again, or a slot not in use: no change.
    g_displayListValid = 1;
    EXPECT_FALSE(SetLayerVisible(1, false));
    EXPECT_FALSE(SetLayerAppearance(1, glass));
    for (int index : {-1, 2, kLayerSlots}) {
        EXPECT_FALSE(SetLayerVisible(index, false)) << index;
        EXPECT_FALSE(SetLayerAppearance(index, glass)) << index;
        EXPECT_EQ(GetLayerAppearance(index).material, "") << index;
    }
    EXPECT_EQ(g_displayListValid, 1);
    EXPECT_EQ(g_layerAttributes[2], (std::array<double, 6>{}));
    EXPECT_EQ(g_layerAttributes[0], (std::array<double, 6>{1.0, 1.0, 1.0, 0.0, 0.0, 1.0}));
}

TEST(GeometryTest, NormalizeAndUnitNormal) {
    Float3 zero;
    Normalize(zero);
    EXPECT_EQ(zero, Float3{});
    Float3 v{3, 0, 4};
    Normalize(v);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
    // x cross z is -y in a right-handed frame.
    const Float3 n = UnitNormal({2, 0, 0}, {0, 0, 5});
    EXPECT_EQ(n, (Float3{0, -1, 0}));
    EXPECT_EQ(UnitNormal({1, 1, 1}, {2, 2, 2}), Float3{});
}

}  // namespace
}  // namespace marquetta
