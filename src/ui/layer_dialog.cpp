#include "ui/layer_dialog.h"

#include <bit>
#include <cstdint>

#include "model/cp932.h"
#include "model/layers.h"
#include "platform/platform.h"
#include "ui/color_material_dialog.h"

namespace marquetta {

namespace {

bool InTable(int item) {
    return item >= 0 && item < g_layerCount && item < kLayerSlots;
}

}  // namespace

std::vector<ListDialogItem> LayerDialog::Items() const {
    std::vector<ListDialogItem> items;
    for (int i = 0; i < g_layerCount && i < kLayerSlots; ++i) {
        // Checked exactly when the view draws the layer (any flag other than 0.0).
        items.push_back({Cp932ToUtf8(g_layerNames[i]), g_layerAttributes[i][LAYER_VISIBLE] != 0.0});
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

bool RunLayerDialog() {
    const auto attributes = g_layerAttributes;
    const auto textures = g_layerTextures;
    LayerDialog dialog;
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
    return textures != g_layerTextures;
}

}  // namespace marquetta
