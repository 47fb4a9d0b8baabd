#include "ui/layer_dialog.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "model/cp932.h"
#include "model/layers.h"
#include "platform/platform.h"
#include "ui/color_material_dialog.h"
#include "ui/text_dialog.h"

namespace marquetta {

std::array<std::string, kLayerNameHistorySize> g_layerNameHistory;

void InitLayerDialogDefaults() {
    for (std::string& name : g_layerNameHistory) {
        name.clear();
    }
}

namespace {

constexpr const char* kEmptyNameMessage = "画層名を入力してください。";
constexpr const char* kLongNameMessage = "画層名が長すぎます。%1 バイトまでにしてください。";
constexpr const char* kTakenNameMessage = "画層「%1」はすでにあります。";
constexpr const char* kTableFullMessage = "画層は %1 までしか作れません。";
constexpr const char* kCurrentLayerMessage =
    "画層「%1」は現在の画層なので削除できません。\n別の画層を現在の画層にしてから削除してください。";
constexpr const char* kNoSuchLayerMessage = "画層「%1」はありません。一覧から選んでください。";
constexpr const char* kNothingSelectedMessage = "画層を変更する図形を選択してください。";
constexpr const char* kRemoveShapesMessage = "画層「%1」には図形が %2 個あります。\n図形ごと削除しますか？";

bool InTable(int item) {
    return item >= 0 && item < g_layerCount && item < kLayerSlots;
}

void Remember(const std::string& name) {
    auto& history = g_layerNameHistory;
    auto end = history.end() - 1;
    for (auto it = history.begin(); it != history.end(); ++it) {
        if (*it == name) {
            end = it;
            break;
        }
    }
    std::move_backward(history.begin(), end, end + 1);
    history.front() = name;
}

}  // namespace

LayerNameDialog::LayerNameDialog(std::string title, int index, const std::string& name)
    : m_title(std::move(title)), m_index(index) {
    DialogField field;
    field.kind = DialogField::Kind::ComboBox;
    field.label = "画層名：";
    field.text = Cp932ToUtf8(name);
    for (const std::string& entry : g_layerNameHistory) {
        if (!entry.empty()) {
            field.choices.push_back(Cp932ToUtf8(entry));
        }
    }
    m_fields.push_back(std::move(field));
}

std::optional<DialogRefusal> LayerNameDialog::Validate() {
    const std::string& typed = m_fields[0].text;
    if (auto refusal = RefuseCharactersOutsideCp932(typed, 0)) {
        return refusal;
    }
    const std::string name = Utf8ToCp932(typed);
    switch (CheckLayerName(name, m_index)) {
        case LayerNameProblem::None:
            m_name = name;
            return std::nullopt;
        case LayerNameProblem::Empty:
            return DialogRefusal{kEmptyNameMessage, 0};
        case LayerNameProblem::TooLong:
            return DialogRefusal{FormatDialogMessage(kLongNameMessage, std::to_string(kLayerNameMaxBytes)), 0};
        case LayerNameProblem::Taken:
            return DialogRefusal{FormatDialogMessage(kTakenNameMessage, typed), 0};
        case LayerNameProblem::TableFull:
            return DialogRefusal{FormatDialogMessage(kTableFullMessage, std::to_string(kLayerSlots)), 0};
    }
    return std::nullopt;
}

std::optional<std::string> AskLayerName(const char* title, int index, const std::string& name) {
    LayerNameDialog dialog(title, index, name);
    if (!CurrentPlatform().RunDialog(dialog)) {
        return std::nullopt;
    }
    Remember(dialog.Name());
    return dialog.Name();
}

std::vector<ListDialogItem> LayerDialog::Items() const {
    std::vector<ListDialogItem> items;
    for (int i = 0; i < g_layerCount && i < kLayerSlots; ++i) {
        // Checked exactly when the view draws the layer (any flag other than 0.0).
        items.push_back({Cp932ToUtf8(g_layerNames[i]), g_layerAttributes[i][LAYER_VISIBLE] != 0.0,
                         g_layerNames[i] == m_doc.CurrentLayer()});
    }
    return items;
}

void LayerDialog::Click(int item) {
    if (InTable(item)) {
        SetLayerVisible(item, g_layerAttributes[item][LAYER_VISIBLE] == 0.0);
    }
}

void LayerDialog::DoubleClick(int item) {
    if (InTable(item)) {
        Click(item);
        EditLayerAppearance(item);
    }
}

std::vector<std::string> LayerDialog::Buttons() const {
    return {"新規(&N)...", "名前変更(&R)...", "削除(&D)", "現在の画層(&C)"};
}

void LayerDialog::PressButton(size_t button, int selected) {
    m_selection = -1;
    if (button == kNewLayerButton) {
        if (g_layerCount >= kLayerSlots) {
            // Said before the name is asked for: no name could help.
            CurrentPlatform().MessageBox(FormatDialogMessage(kTableFullMessage, std::to_string(kLayerSlots)),
                                         "Marquetta", MessageIcon::Exclamation, MessageButtons::Ok);
            return;
        }
        if (auto name = AskLayerName("画層の新規作成", g_layerCount, {})) {
            m_selection = AddLayer(*name);
        }
        return;
    }
    if (!InTable(selected)) {
        return;
    }
    m_selection = selected;
    switch (button) {
        case kRenameLayerButton:
            if (auto name = AskLayerName("画層名の変更", selected, g_layerNames[selected])) {
                m_doc.RenameLayer(selected, *name);
            }
            break;
        case kRemoveLayerButton:
            Remove(selected);
            break;
        case kCurrentLayerButton:
            m_doc.ChooseCurrentLayer(g_layerNames[selected]);
            break;
        default:
            break;
    }
}

void LayerDialog::Remove(int layer) {
    Platform& platform = CurrentPlatform();
    const std::string name = Cp932ToUtf8(g_layerNames[layer]);
    if (g_layerNames[layer] == m_doc.CurrentLayer()) {
        platform.MessageBox(FormatDialogMessage(kCurrentLayerMessage, name), "Marquetta",
                            MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    const size_t shapes = m_doc.CountShapesOnLayer(g_layerNames[layer]);
    if (shapes > 0 &&
        platform.MessageBox(FormatDialogMessage(kRemoveShapesMessage, name, std::to_string(shapes)),
                            "Marquetta", MessageIcon::Question, MessageButtons::YesNo) !=
            MessageAnswer::Yes) {
        return;
    }
    m_doc.RemoveLayer(layer);
    m_selection = std::min(layer, g_layerCount - 1);
}

ChangeLayerDialog::ChangeLayerDialog(const std::string& preset) {
    DialogField field;
    field.kind = DialogField::Kind::ComboBox;
    field.label = "画層：";
    field.text = Cp932ToUtf8(preset);
    for (int i = 0; i < g_layerCount && i < kLayerSlots; ++i) {
        field.choices.push_back(Cp932ToUtf8(g_layerNames[i]));
    }
    m_fields.push_back(std::move(field));
}

std::optional<DialogRefusal> ChangeLayerDialog::Validate() {
    const std::string& typed = m_fields[0].text;
    if (auto refusal = RefuseCharactersOutsideCp932(typed, 0)) {
        return refusal;
    }
    const int layer = FindLayer(Utf8ToCp932(typed));
    if (layer >= g_layerCount) {
        return DialogRefusal{FormatDialogMessage(kNoSuchLayerMessage, typed), 0};
    }
    m_layer = layer;
    return std::nullopt;
}

bool RunChangeLayerCommand(CZorader_ezDoc& doc) {
    Platform& platform = CurrentPlatform();
    if (!doc.AnySelected()) {
        platform.MessageBox(kNothingSelectedMessage, "Marquetta", MessageIcon::Exclamation,
                            MessageButtons::Ok);
        return false;
    }
    ChangeLayerDialog dialog(doc.CurrentLayer());
    if (!platform.RunDialog(dialog)) {
        return false;
    }
    size_t moved = 0;
    {
        UndoStep step(doc.History(), StepKind::ChangeLayer);
        moved = doc.MoveSelectedToLayer(dialog.Layer());
    }
    g_displayListValid = 0;
    platform.InvalidateView();
    return moved > 0;
}

LayerChoices CurrentLayerChoices(const CZorader_ezDoc& doc) {
    LayerChoices choices;
    for (int i = 0; i < g_layerCount && i < kLayerSlots; ++i) {
        if (g_layerNames[i] == doc.CurrentLayer()) {
            choices.current = i;
        }
        choices.names.push_back(Cp932ToUtf8(g_layerNames[i]));
    }
    if (choices.current < 0) {
        choices.current = static_cast<int>(choices.names.size());
        choices.names.push_back(Cp932ToUtf8(doc.CurrentLayer()));
    }
    return choices;
}

void ChooseLayer(CZorader_ezDoc& doc, int index) {
    if (index >= 0 && index < g_layerCount && index < kLayerSlots) {
        doc.ChooseCurrentLayer(g_layerNames[index]);
    }
}

bool RunLayerDialog(CZorader_ezDoc& doc) {
    const auto attributes = g_layerAttributes;
    const auto textures = g_layerTextures;
    const auto names = g_layerNames;
    const int count = g_layerCount;
    LayerDialog dialog(doc);
    CurrentPlatform().RunListDialog(dialog);
    g_displayListValid = 0;
    CurrentPlatform().InvalidateView();
    // Bit for bit: an attribute that is not a number (a file may hold one) is unchanged
    // when it is still the same bits, though it never compares equal to itself.
    for (std::size_t layer = 0; layer < attributes.size(); ++layer) {
        for (std::size_t i = 0; i < attributes[layer].size(); ++i) {
            if (std::bit_cast<std::uint64_t>(attributes[layer][i]) !=
                std::bit_cast<std::uint64_t>(g_layerAttributes[layer][i])) {
                return true;
            }
        }
    }
    return textures != g_layerTextures || names != g_layerNames || count != g_layerCount;
}

}  // namespace marquetta
