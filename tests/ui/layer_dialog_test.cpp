#include "ui/layer_dialog.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "app/app_controller.h"
#include "app/program_defaults.h"
#include "edit/editing_state.h"
#include "platform/command_ids.h"
#include "platform/platform.h"
#include "ui/color_material_dialog.h"

namespace marquetta {
namespace {

// "壁" in CP932 and in UTF-8.
const std::string kWallCp932 = "\x95\xc7";
const std::string kWallUtf8 = "壁";

using Step = HeadlessPlatform::ListStep;

class LayerDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitProgramDefaults();
        EnsureLayer("0");
        EnsureLayer(kWallCp932);
        EnsureLayer("glass");
        SetLayerVisible(1, false);
    }

    bool Visible(int layer) const { return g_layerAttributes[layer][LAYER_VISIBLE] != 0.0; }
    // Opens the colour and material dialog of `layer` as a double click does, with
    // `input` as what the user does in it.
    bool Edit(int layer, HeadlessPlatform::DialogInput input) {
        platform.QueueDialog(std::move(input));
        return EditLayerAppearance(layer);
    }
    std::vector<PlatformCall> Dialogs() const {
        return platform.CallsOf(PlatformCall::Kind::RunDialog);
    }
    std::vector<PlatformCall> Messages() const {
        return platform.CallsOf(PlatformCall::Kind::MessageBox);
    }

    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    CZorader_ezDoc doc;
};

TEST_F(LayerDialogTest, ListsTheLayersInTableOrderWithTheirVisibility) {
    g_layerAttributes[2][LAYER_VISIBLE] = 0.5;  // any flag but 0.0 shows the layer
    // The current layer is marked.
    const std::vector<ListDialogItem> items = LayerDialog(doc).Items();
    EXPECT_EQ(items, (std::vector<ListDialogItem>{{"0", true, true}, {kWallUtf8, false}, {"glass", true}}));
    EXPECT_EQ(LayerDialog(doc).Title(), "画　　層");
    g_layerCount = 0;
    EXPECT_TRUE(LayerDialog(doc).Items().empty());
}

TEST_F(LayerDialogTest, ClicksToggleTheLayerUnderThePointerAtOnce) {
    LayerDialog dialog(doc);
    g_displayListValid = 1;
    dialog.Click(1);
    EXPECT_TRUE(Visible(1));
    EXPECT_EQ(g_displayListValid, 0);
    dialog.Click(0);
    EXPECT_FALSE(Visible(0));
    EXPECT_EQ(g_layerAttributes[0][LAYER_VISIBLE], 0.0);
    dialog.Click(0);
    EXPECT_EQ(g_layerAttributes[0][LAYER_VISIBLE], 1.0);
    // Empty space, and rows past the table, change nothing.
    const auto before = g_layerAttributes;
    for (int item : {-1, 3, 99, 100}) {
        dialog.Click(item);
        dialog.DoubleClick(item);
    }
    EXPECT_EQ(g_layerAttributes, before);
    EXPECT_TRUE(Dialogs().empty());
}

TEST_F(LayerDialogTest, DoubleClickLeavesVisibilityAndOpensTheColourDialog) {
    g_layerAttributes[2][LAYER_RED] = 0.5;
    // The press before a double click is a click of its own.
    platform.QueueListDialog({{{false, 2}, {true, 2}, {false, 1}, {true, 1}}, false});
    platform.QueueDialog({{}, true});
    platform.QueueDialog({{}, false});
    EXPECT_TRUE(RunLayerDialog(doc));
    EXPECT_TRUE(Visible(2));
    EXPECT_FALSE(Visible(1));
    ASSERT_EQ(Dialogs().size(), 2u);
    EXPECT_EQ(Dialogs()[0].caption, "色，材質");
    EXPECT_EQ(Dialogs()[0].dialogFields[kColorField].color, (RgbColor{127, 255, 255}));
    // OK without changes stores what the dialog showed.
    EXPECT_EQ(g_layerAttributes[2][LAYER_RED], 127 / 255.0);
}

TEST_F(LayerDialogTest, CommandRepaintsWhateverTheAnswerAndMarksAChangedDrawing) {
    CZorader_ezView view(doc);
    EXPECT_TRUE(view.Commands().Knows(ID_LAYERS));
    AppController app;
    EXPECT_TRUE(app.Query(ID_LAYERS).enabled);
    // An attribute that is not a number, as a file may hold one, is no change each time.
    g_layerAttributes[2][LAYER_REFLECTION] = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        std::vector<Step> steps;
        bool ok;
        bool modified;
    };
    const Case cases[] = {
        {{}, true, false},
        {{{false, 0}, {false, 0}}, true, false},
        {{{false, 0}}, false, true},
        {{{false, 1}}, true, true},
    };
    for (const Case& c : cases) {
        doc.SetModifiedFlag(false);
        g_displayListValid = 1;
        platform.ClearCalls();
        platform.QueueListDialog({c.steps, c.ok});
        ASSERT_TRUE(view.Commands().Run(ID_LAYERS));
        EXPECT_EQ(doc.IsModified(), c.modified) << c.steps.size() << c.ok;
        EXPECT_EQ(g_displayListValid, 0);
        EXPECT_EQ(platform.CallsOf(PlatformCall::Kind::InvalidateView).size(), 1u);
        const auto runs = platform.CallsOf(PlatformCall::Kind::RunListDialog);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].caption, "画　　層");
    }
    // Cancel undoes nothing: the last two cases left layer 0 hidden and layer 1 shown.
    EXPECT_FALSE(Visible(0));
    EXPECT_TRUE(Visible(1));
}

TEST_F(LayerDialogTest, ButtonsMakeRenameRemoveAndChooseLayersInOneUndoStep) {
    CZorader_ezView view(doc);
    doc.SetCurrentLayer(kWallCp932);
    doc.m_current.m_nType = SHAPE_LINE;
    doc.AddCurrentShape();
    doc.m_current.m_nType = SHAPE_NONE;
    doc.History().Clear();
    doc.SetModifiedFlag(false);
    const std::string doorCp932 = "\x8c\x9a\x8b\xef";  // "建具"
    const std::string outerWallCp932 = "\x8a\x4f\x95\xc7";  // "外壁"
    platform.QueueListDialog({{{false, -1, kNewLayerButton},
                               {false, 3, kCurrentLayerButton},
                               {false, 1, kRenameLayerButton},
                               {false, 2, kRemoveLayerButton},
                               {false, 1, kRemoveLayerButton},
                               {false, 2, kRemoveLayerButton},
                               {false, -1, kRenameLayerButton}},
                              false});
    platform.QueueDialog({{kWallUtf8}, true});  // taken: refused, the dialog stays open
    platform.QueueDialog({{"建具"}, true});
    platform.QueueDialog({{"外壁"}, true});
    platform.QueueAnswer(MessageAnswer::Ok);  // the refusal of the name taken
    platform.QueueAnswer(MessageAnswer::No);  // keep the layer that holds a shape
    ASSERT_TRUE(view.Commands().Run(ID_LAYERS));

    EXPECT_EQ(g_layerCount, 3);
    EXPECT_EQ(g_layerNames[0], "0");
    EXPECT_EQ(g_layerNames[1], outerWallCp932);
    EXPECT_EQ(g_layerNames[2], doorCp932);
    EXPECT_FALSE(Visible(1));  // the renamed layer keeps what it had
    EXPECT_EQ(g_layerAttributes[2], (std::array<double, LAYER_ATTRIBUTE_COUNT>{1, 1, 1, 0, 0, 1}));
    EXPECT_EQ(doc.m_shapes.front()->m_strLayer, outerWallCp932);
    EXPECT_EQ(doc.CurrentLayer(), doorCp932);
    EXPECT_TRUE(doc.IsModified());
    const auto dialogs = Dialogs();
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].caption, "画層の新規作成");
    EXPECT_EQ(dialogs[1].caption, "画層名の変更");
    EXPECT_EQ(dialogs[1].dialogFields[0].text, kWallUtf8);
    EXPECT_EQ(dialogs[1].dialogFields[0].choices, (std::vector<std::string>{"建具"}));
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].text, "画層「壁」はすでにあります。");
    EXPECT_EQ(messages[1].text, "画層「外壁」には図形が 1 個あります。\n図形ごと削除しますか？");
    EXPECT_EQ(messages[1].buttons, MessageButtons::YesNo);
    EXPECT_EQ(messages[2].text,
              "画層「建具」は現在の画層なので削除できません。\n別の画層を現在の画層にしてから削除してください。");

    // Cancel kept it all; one undo takes the whole visit back.
    EXPECT_EQ(doc.History().NextUndo(), StepKind::Layers);
    ASSERT_TRUE(doc.History().Undo());
    EXPECT_EQ(g_layerCount, 3);
    EXPECT_EQ(g_layerNames[1], kWallCp932);
    EXPECT_EQ(g_layerNames[2], "glass");
    EXPECT_EQ(doc.m_shapes.front()->m_strLayer, kWallCp932);
    EXPECT_EQ(doc.CurrentLayer(), "0");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(doc.History().CanUndo());
}

TEST_F(LayerDialogTest, LayerNamesAreRefusedWithAMessageAndTheTextKept) {
    struct Case {
        std::string typed;
        int index;
        std::string message;  // empty: accepted
    };
    const Case cases[] = {
        {"家具", 3, ""},
        {"", 3, "画層名を入力してください。"},
        {"glass", 3, "画層「glass」はすでにあります。"},
        {"glass", 2, ""},  // its own name
        {"Glass", 3, ""},
        {"壁😀", 3, "「😀」は図面に保存できない文字です。"},
        {std::string(kLayerNameMaxBytes, 'x'), 3, ""},
        {std::string(kLayerNameMaxBytes + 1, 'x'), 3, "画層名が長すぎます。255 バイトまでにしてください。"},
    };
    for (const Case& c : cases) {
        LayerNameDialog dialog("画層の新規作成", c.index, {});
        dialog.Fields()[0].text = c.typed;
        const auto refusal = dialog.Validate();
        EXPECT_EQ(refusal ? refusal->message : "", c.message) << c.typed;
        EXPECT_EQ(dialog.Fields()[0].text, c.typed);
    }
    EXPECT_EQ(g_layerCount, 3);
    while (g_layerCount < kLayerSlots) {
        AddLayer("layer " + std::to_string(g_layerCount));
    }
    LayerNameDialog full("画層の新規作成", g_layerCount, {});
    full.Fields()[0].text = "家具";
    EXPECT_EQ(full.Validate()->message, "画層は 100 までしか作れません。");
    // The new button says so before it asks for a name.
    LayerDialog(doc).PressButton(kNewLayerButton, -1);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "画層は 100 までしか作れません。");
    EXPECT_TRUE(Dialogs().empty());
}

TEST_F(LayerDialogTest, ChangeLayerMovesTheSelectionToTheChosenLayerAsOneStep) {
    for (int type : {SHAPE_LINE, SHAPE_FACE, SHAPE_CIRCLE}) {
        doc.SetCurrentLayer(type == SHAPE_FACE ? kWallCp932 : "0");  // the face's layer is hidden
        doc.m_current.m_nType = type;
        doc.m_current.m_bSelected = type != SHAPE_CIRCLE ? 1 : 0;
        doc.AddCurrentShape();
    }
    doc.m_current.m_nType = SHAPE_NONE;
    doc.History().Clear();
    const auto layersOfShapes = [this] {
        std::vector<std::string> layers;
        for (const auto& shape : doc.m_shapes) {
            layers.push_back(shape->m_strLayer + (shape->IsSelected() ? "*" : ""));
        }
        return layers;
    };
    const std::vector<std::string> before = layersOfShapes();

    platform.QueueDialog({{"玄関"}, true});  // no such layer: refused
    platform.QueueDialog({{"glass"}, true});
    EXPECT_TRUE(RunChangeLayerCommand(doc));
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs()[0].caption, "画層変更");
    EXPECT_EQ(Dialogs()[0].dialogFields[0].text, "0");  // the current layer
    EXPECT_EQ(Dialogs()[0].dialogFields[0].choices, (std::vector<std::string>{"0", kWallUtf8, "glass"}));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "画層「玄関」はありません。一覧から選んでください。");
    EXPECT_EQ(layersOfShapes(), (std::vector<std::string>{"glass*", "glass*", "0"}));
    EXPECT_EQ(doc.History().NextUndo(), StepKind::ChangeLayer);
    ASSERT_TRUE(doc.History().Undo());
    EXPECT_EQ(layersOfShapes(), before);

    // Cancel and an empty selection change nothing; the menu item waits for a selection.
    platform.QueueDialog({{"glass"}, false});
    EXPECT_FALSE(RunChangeLayerCommand(doc));
    doc.DeselectAll();
    platform.ClearCalls();
    EXPECT_FALSE(RunChangeLayerCommand(doc));
    EXPECT_TRUE(Dialogs().empty());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "画層を変更する図形を選択してください。");
    EXPECT_EQ(layersOfShapes(), (std::vector<std::string>{"0", kWallCp932, "0"}));
    AppController app;
    selectionExists = 0;
    EXPECT_FALSE(app.Query(ID_CHANGE_LAYER).enabled);
    selectionExists = 1;
    EXPECT_TRUE(app.Query(ID_CHANGE_LAYER).enabled);
}

TEST_F(LayerDialogTest, ColourDialogShowsTheLayerTimes255Truncated) {
    g_layerAttributes[1] = {0.5, 1.0, 0.0, 0.999, 0.004, 0.0};
    g_layerTextures[1] = kWallCp932 + " T_Stone1";
    ColorMaterialDialog dialog(1);
    EXPECT_EQ(dialog.Title(), "色，材質");
    const std::vector<DialogField>& f = dialog.Fields();
    ASSERT_EQ(f.size(), 4u);
    EXPECT_EQ(f[kColorField].kind, DialogField::Kind::ColorButton);
    EXPECT_EQ(f[kColorField].label, "色の設定");
    EXPECT_EQ(f[kColorField].color, (RgbColor{127, 255, 0}));
    EXPECT_EQ(f[kTransparencyField].label, "透明度");
    EXPECT_EQ(f[kTransparencyField].text, "254");
    EXPECT_EQ(f[kReflectionField].label, "反射光");
    EXPECT_EQ(f[kReflectionField].text, "1");
    for (size_t field : {kTransparencyField, kReflectionField}) {
        ASSERT_TRUE(f[field].spin.has_value());
        EXPECT_EQ(f[field].spin->minimum, 0);
        EXPECT_EQ(f[field].spin->maximum, 255);
    }
    EXPECT_EQ(f[kMaterialField].kind, DialogField::Kind::ComboBox);
    EXPECT_EQ(f[kMaterialField].label, "材　　質");
    EXPECT_EQ(f[kMaterialField].text, kWallUtf8 + " T_Stone1");

    // Values a file may hold that no level shows are held to 0-255.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<double, int> levels[] = {{0.0, 0},  {1.0, 255}, {-0.5, 0},  {2.0, 255},
                                             {nan, 0},  {1e300, 255}, {0.0039, 0}};
    for (const auto& [value, level] : levels) {
        EXPECT_EQ(ToLayerLevel(value), level) << value;
    }
}

TEST_F(LayerDialogTest, MaterialPresetsInListOrder) {
    const std::vector<std::string> presets = MaterialPresets();
    ASSERT_EQ(presets.size(), 93u);
    EXPECT_EQ(presets[0], "T_Stone1 scale 100");
    EXPECT_EQ(presets[43], "T_Stone44 scale 100");
    EXPECT_EQ(presets[44], "T_Wood1 scale 100");
    EXPECT_EQ(presets[78], "T_Wood35 scale 100");
    EXPECT_EQ(presets[79], "T_Glass1");
    EXPECT_EQ(presets[83], "T_Old_Glass");
    EXPECT_EQ(presets[91], "T_Vicksbottle_Glass");
    EXPECT_EQ(presets[92], "pigment { brick color White, color Brown } scale 30");
    EXPECT_EQ(ColorMaterialDialog(0).Fields()[kMaterialField].choices, presets);
}

TEST_F(LayerDialogTest, OkStoresLevelsOver255AndEveryLevelReopensAsItWas) {
    g_layerAttributes[0] = {0.5, 0.5, 0.5, 0.5, 0.5, 1.0};
    ASSERT_TRUE(Edit(0, {{}, true}));
    for (int a = LAYER_RED; a <= LAYER_REFLECTION; ++a) {
        EXPECT_EQ(g_layerAttributes[0][a], 127 / 255.0) << a;
    }
    EXPECT_EQ(g_layerAttributes[0][LAYER_VISIBLE], 1.0);
    for (int level = 0; level <= 255; ++level) {
        ASSERT_TRUE(Edit(0, {{"", std::to_string(level)}, true}));
        EXPECT_EQ(ColorMaterialDialog(0).Fields()[kTransparencyField].text,
                  std::to_string(level));
    }
    EXPECT_EQ(g_layerAttributes[0][LAYER_TRANSPARENCY], 1.0);
}

TEST_F(LayerDialogTest, LevelsAreCheckedInOrderWithTheFrameworkMessages) {
    const std::string range = "0 から 255 までの整数を入力してください。";
    const std::string notInteger = "整数を入力してください。";
    struct Case {
        const char* transparency;
        const char* reflection;
        size_t field;
        const std::string& message;
    };
    const Case cases[] = {
        {"256", "0", kTransparencyField, range}, {"-1", "0", kTransparencyField, range},
        {"99999999999", "0", kTransparencyField, range},
        {"", "0", kTransparencyField, notInteger}, {"12mm", "x", kTransparencyField, notInteger},
        {"1.5", "0", kTransparencyField, notInteger}, {"+", "0", kTransparencyField, notInteger},
        {"255", "256", kReflectionField, range},   {" 7 ", "abc", kReflectionField, notInteger},
    };
    for (const Case& c : cases) {
        ColorMaterialDialog dialog(0);
        dialog.Fields()[kTransparencyField].text = c.transparency;
        dialog.Fields()[kReflectionField].text = c.reflection;
        const std::optional<DialogRefusal> refusal = dialog.Validate();
        ASSERT_TRUE(refusal.has_value()) << c.transparency << " " << c.reflection;
        EXPECT_EQ(refusal->field, c.field) << c.transparency;
        EXPECT_EQ(refusal->message, c.message) << c.transparency;
    }
    // Refused, then accepted: nothing is stored until the input passes.
    platform.QueueDialog({{"", "256", "+255 "}, true});
    ASSERT_TRUE(Edit(0, {{"", "255", "255"}, true}));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, range);
    EXPECT_EQ(g_layerAttributes[0][LAYER_TRANSPARENCY], 1.0);
    EXPECT_EQ(g_layerAttributes[0][LAYER_REFLECTION], 1.0);
}

TEST_F(LayerDialogTest, ColourChooserOpensOnTheDialogColourAndOnlyOkStoresIt) {
    g_layerAttributes[0][LAYER_GREEN] = 0.2;
    // Chosen, then cancelled: the table keeps its colour.
    platform.QueueColor(RgbColor{10, 20, 30});
    EXPECT_FALSE(Edit(0, {{}, false, {kColorField}}));
    EXPECT_EQ(g_layerAttributes[0], (std::array<double, 6>{1.0, 0.2, 1.0, 0.0, 0.0, 1.0}));
    // The chooser cancelled, then a colour chosen, then OK.
    platform.QueueColor(std::nullopt);
    platform.QueueColor(RgbColor{255, 0, 51});
    ASSERT_TRUE(Edit(0, {{}, true, {kColorField, kColorField}}));
    const auto chooser = platform.CallsOf(PlatformCall::Kind::ChooseColor);
    ASSERT_EQ(chooser.size(), 3u);
    EXPECT_EQ(chooser[0].color, (RgbColor{255, 51, 255}));
    EXPECT_EQ(chooser[2].color, (RgbColor{255, 51, 255}));
    EXPECT_EQ(g_layerAttributes[0][LAYER_RED], 1.0);
    EXPECT_EQ(g_layerAttributes[0][LAYER_GREEN], 0.0);
    EXPECT_EQ(g_layerAttributes[0][LAYER_BLUE], 0.2);
}

TEST_F(LayerDialogTest, MaterialIsStoredAsCp932AndRefusedWhenCp932CannotHoldIt) {
    g_layerTextures[0] = "T_Wood1 scale 100";
    ASSERT_TRUE(Edit(0, {{"", "0", "0", ""}, true}));
    EXPECT_EQ(g_layerTextures[0], "");
    ASSERT_TRUE(Edit(0, {{"", "0", "0", kWallUtf8 + " T_Stone2"}, true}));
    EXPECT_EQ(g_layerTextures[0], kWallCp932 + " T_Stone2");

    // A character CP932 lacks is refused, not stored as "?".
    ColorMaterialDialog dialog(0);
    dialog.Fields()[kMaterialField].text = "T_Stone1 é";
    const std::optional<DialogRefusal> refusal = dialog.Validate();
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->field, kMaterialField);
    EXPECT_EQ(refusal->message, "「é」は図面に保存できない文字です。");

    // Bytes that are not CP932 survive an OK that leaves the material alone.
    const std::string foreign = "T_\xff\xfe";
    g_layerTextures[0] = foreign;
    ASSERT_TRUE(Edit(0, {{}, true}));
    EXPECT_EQ(g_layerTextures[0], foreign);
}

}  // namespace
}  // namespace marquetta
