#include "model/layers.h"

#include <algorithm>

namespace marquetta {

int g_layerCount = 0;
std::array<std::string, kLayerSlots> g_layerNames;
std::array<std::array<double, LAYER_ATTRIBUTE_COUNT>, kLayerSlots> g_layerAttributes;
std::array<std::string, kLayerSlots> g_layerTextures;
int g_displayListValid = 0;

void InitLayerDefaults() {
    g_layerCount = 0;
    for (int i = 0; i < kLayerSlots; ++i) {
        g_layerNames[i].clear();
        g_layerTextures[i].clear();
        g_layerAttributes[i].fill(0.0);
    }
    g_displayListValid = 0;
}

int FindLayer(const std::string& name) {
    for (int i = 0; i < g_layerCount && i < kLayerSlots; ++i) {
        if (g_layerNames[i] == name) {
            return i;
        }
    }
    return g_layerCount;
}

void EnsureLayer(const std::string& name) {
    if (FindLayer(name) < g_layerCount) {
        return;
    }
    if (g_layerCount >= kMaxEnsuredLayers) {
        return;
    }
    g_layerNames[g_layerCount] = name;
    g_layerAttributes[g_layerCount] = {1.0, 1.0, 1.0, 0.0, 0.0, 1.0};
    ++g_layerCount;
}

LayerNameProblem CheckLayerName(const std::string& name, int index) {
    if (name.empty()) {
        return LayerNameProblem::Empty;
    }
    if (name.size() > kLayerNameMaxBytes) {
        return LayerNameProblem::TooLong;
    }
    const int found = FindLayer(name);
    if (found < g_layerCount && found != index) {
        return LayerNameProblem::Taken;
    }
    if (index >= g_layerCount && g_layerCount >= kLayerSlots) {
        return LayerNameProblem::TableFull;
    }
    return LayerNameProblem::None;
}

int AddLayer(const std::string& name) {
    if (CheckLayerName(name, g_layerCount) != LayerNameProblem::None) {
        return -1;
    }
    const int index = g_layerCount;
    g_layerNames[index] = name;
    g_layerAttributes[index] = {1.0, 1.0, 1.0, 0.0, 0.0, 1.0};
    g_layerTextures[index].clear();
    ++g_layerCount;
    g_displayListValid = 0;
    return index;
}

bool IsLayerVisible(const std::string& name) {
    const int index = FindLayer(name);
    if (index < 0 || index >= kLayerSlots) {
        return true;
    }
    return g_layerAttributes[index][LAYER_VISIBLE] != 0.0;
}

namespace {
bool InUse(int index) {
    return index >= 0 && index < g_layerCount && index < kLayerSlots;
}
}  // namespace

bool SetLayerVisible(int index, bool visible) {
    if (!InUse(index) || (g_layerAttributes[index][LAYER_VISIBLE] != 0.0) == visible) {
        return false;
    }
    g_layerAttributes[index][LAYER_VISIBLE] = visible ? 1.0 : 0.0;
    g_displayListValid = 0;
    return true;
}

LayerAppearance GetLayerAppearance(int index) {
    LayerAppearance appearance;
    if (InUse(index)) {
        const auto& a = g_layerAttributes[index];
        appearance = {a[LAYER_RED],          a[LAYER_GREEN],      a[LAYER_BLUE],
                      a[LAYER_TRANSPARENCY], a[LAYER_REFLECTION], g_layerTextures[index]};
    }
    return appearance;
}

bool SetLayerAppearance(int index, const LayerAppearance& appearance) {
    if (!InUse(index)) {
        return false;
    }
    auto& a = g_layerAttributes[index];
    const std::array<double, LAYER_VISIBLE> values = {appearance.red, appearance.green,
                                                      appearance.blue, appearance.transparency,
                                                      appearance.reflection};
    if (std::equal(values.begin(), values.end(), a.begin()) &&
        g_layerTextures[index] == appearance.material) {
        return false;
    }
    std::copy(values.begin(), values.end(), a.begin());
    g_layerTextures[index] = appearance.material;
    g_displayListValid = 0;
    return true;
}

LayerSlot GetLayerSlot(int index) {
    if (index < 0 || index >= kLayerSlots) {
        return {};
    }
    return {g_layerNames[index], g_layerAttributes[index], g_layerTextures[index]};
}

void SetLayerSlot(int index, const LayerSlot& slot) {
    if (index < 0 || index >= kLayerSlots) {
        return;
    }
    g_layerNames[index] = slot.name;
    g_layerAttributes[index] = slot.attributes;
    g_layerTextures[index] = slot.texture;
    g_displayListValid = 0;
}

void SetLayerCount(int count) {
    g_layerCount = std::clamp(count, 0, kLayerSlots);
    g_displayListValid = 0;
}

}  // namespace marquetta
