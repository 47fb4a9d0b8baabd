// The layer dialog ("画　　層"): every layer of the table in table order, each with a
// check box that shows whether it is visible, the current layer in bold. A click shows
// or hides the layer under the pointer at once; a double click opens its colour and
// material dialog. The buttons make a layer, rename or remove the selected one, or make
// it current, also at once. Changes go to the table as they are made: OK and Cancel
// only close the dialog; the whole visit is one undo step.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "model/document.h"
#include "platform/dialog_model.h"

namespace marquetta {

// The buttons of the layer dialog, in the order shown.
enum LayerDialogButton : size_t {
    kNewLayerButton = 0,
    kRenameLayerButton = 1,
    kRemoveLayerButton = 2,
    kCurrentLayerButton = 3,
};

inline constexpr size_t kLayerNameHistorySize = 10;
// The names last given to layers (CP932), most recent first; empty at start.
extern std::array<std::string, kLayerNameHistorySize> g_layerNameHistory;
void InitLayerDialogDefaults();

// The dialog that asks for a layer's name: one combo box preset with a name and
// offering the names given last. OK refuses an empty name, characters CP932 cannot
// hold, a name longer than a layer's, the name of another layer and, for a new layer,
// a full table; the dialog then stays open with what was typed.
class LayerNameDialog : public DialogModel {
  public:
    // For layer `index` (g_layerCount for a new one), preset with `name` (CP932).
    LayerNameDialog(std::string title, int index, const std::string& name);

    std::string Title() const override { return m_title; }
    std::vector<DialogField>& Fields() override { return m_fields; }
    std::optional<DialogRefusal> Validate() override;
    DialogUnits Size() const override { return {187, 51}; }

    const std::string& Name() const { return m_name; }  // CP932, after OK

  private:
    std::string m_title;
    int m_index;
    std::vector<DialogField> m_fields;
    std::string m_name;
};

// Asks for a name for layer `index` (g_layerCount for a new one) and remembers it in
// the history: the name in CP932 after OK, nothing on Cancel.
std::optional<std::string> AskLayerName(const char* title, int index, const std::string& name);

class LayerDialog : public ListDialogModel {
  public:
    explicit LayerDialog(CZorader_ezDoc& doc) : m_doc(doc) {}

    std::string Title() const override { return "画　　層"; }
    // The names in UTF-8, checked while the layer is visible, the current one marked.
    std::vector<ListDialogItem> Items() const override;
    // Shows the layer when hidden, hides it when shown; -1 (empty space) does nothing.
    void Click(int item) override;
    // The second press of a double click: toggles again, so that with the click of the
    // first press the visibility is as it was, then edits the layer's colour and
    // material.
    void DoubleClick(int item) override;
    // "新規(&N)...", "名前変更(&R)...", "削除(&D)", "現在の画層(&C)".
    std::vector<std::string> Buttons() const override;
    void PressButton(size_t button, int selected) override;
    // The layer a button made or acted on.
    int Selection() const override { return m_selection; }

  private:
    void Remove(int layer);

    CZorader_ezDoc& m_doc;
    int m_selection = -1;
};

// The dialog of "画層変更": the layer to put the selected shapes on, chosen from a list
// of the layers in table order, preset with the current layer. OK refuses a name that
// is no layer's.
class ChangeLayerDialog : public DialogModel {
  public:
    explicit ChangeLayerDialog(const std::string& preset);

    std::string Title() const override { return "画層変更"; }
    std::vector<DialogField>& Fields() override { return m_fields; }
    std::optional<DialogRefusal> Validate() override;
    DialogUnits Size() const override { return {187, 51}; }

    int Layer() const { return m_layer; }  // after OK

  private:
    std::vector<DialogField> m_fields;
    int m_layer = -1;
};

// "画層変更": puts every selected shape (faces and shapes on hidden layers too) on the
// layer chosen in its dialog, as one undo step; the selection stays. With nothing
// selected it says so and asks nothing. True when shapes moved.
bool RunChangeLayerCommand(CZorader_ezDoc& doc);

// The tool bar's list of layers: the names (UTF-8) in table order and the place of the
// current one. A current layer that is not in the table yet (a new drawing's "0"
// before its first shape) comes last.
struct LayerChoices {
    std::vector<std::string> names;
    int current = -1;
    bool operator==(const LayerChoices&) const = default;
};
LayerChoices CurrentLayerChoices(const CZorader_ezDoc& doc);
// Makes choice `index` of CurrentLayerChoices current; any other index changes nothing.
void ChooseLayer(CZorader_ezDoc& doc, int index);

// The layer command: runs the layer dialog, then, whether it ended with OK or Cancel,
// marks the wireframe stale and repaints the view. True when the dialog left the
// table other than it found it.
bool RunLayerDialog(CZorader_ezDoc& doc);

}  // namespace marquetta
