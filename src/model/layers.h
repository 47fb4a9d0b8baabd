// The program-wide layer table: up to 100 named layers, each with a colour,
// transparency, reflection, a visible flag and a material text for the renderer.
// It is saved with the drawing but outlives any one document.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string>

namespace marquetta {

inline constexpr int kLayerSlots = 100;
// EnsureLayer creates at most this many layers, although the table has kLayerSlots.
inline constexpr int kMaxEnsuredLayers = 99;

enum LayerAttribute { LAYER_RED, LAYER_GREEN, LAYER_BLUE, LAYER_TRANSPARENCY, LAYER_REFLECTION,
                      LAYER_VISIBLE, LAYER_ATTRIBUTE_COUNT };

extern int g_layerCount;
extern std::array<std::string, kLayerSlots> g_layerNames;         // CP932 bytes
extern std::array<std::array<double, LAYER_ATTRIBUTE_COUNT>, kLayerSlots> g_layerAttributes;
extern std::array<std::string, kLayerSlots> g_layerTextures;      // renderer material text

// The longest layer name the user may give, in CP932 bytes: what a DXF layer name may
// hold, so that every layer made here goes out to DXF as it is.
inline constexpr size_t kLayerNameMaxBytes = 255;

// Set to 0 by every change to shapes, selection flags or layers; the view sets it to 1
// once its compiled wireframe matches the drawing again.
extern int g_displayListValid;

// Program start: no layers, empty names and textures, zero attributes; display list stale.
void InitLayerDefaults();

// Index of the first layer named exactly `name` (byte comparison), or g_layerCount.
int FindLayer(const std::string& name);

// Creates a white, opaque, visible layer `name` unless it exists or 99 layers exist.
// The slot's texture is left as it was.
void EnsureLayer(const std::string& name);

// Why a name cannot be given to a layer: empty, longer than kLayerNameMaxBytes, the
// name of another layer (byte for byte), or no room for one more (adding only).
enum class LayerNameProblem { None, Empty, TooLong, Taken, TableFull };
// The check of a new name for layer `index` (g_layerCount for a layer to be added); a
// layer keeping its own name is no problem.
LayerNameProblem CheckLayerName(const std::string& name, int index);
// Adds a white, opaque, shown layer with no material behind the others, unless
// CheckLayerName refuses the name: its index, or -1. Marks the wireframe stale.
int AddLayer(const std::string& name);

// Whether shapes on layer `name` are drawn and selectable. A name missing from the
// table is looked up in slot g_layerCount while that slot exists; with a full table
// there is no such slot and the shape counts as visible.
bool IsLayerVisible(const std::string& name);

// What the colour and material dialog edits of a layer: its colour, transparency and
// reflection (each 0.0-1.0 as the table holds them) and its material (CP932 bytes).
struct LayerAppearance {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double transparency = 0.0;
    double reflection = 0.0;
    std::string material;
};

// The edits a user makes to the table go through these, one layer at a time, so that
// a history can record each as what it changed. They act on a layer in use (index 0 to
// g_layerCount - 1; any other index changes nothing and answers false), and a change
// marks the wireframe stale. True when the layer changed.
bool SetLayerVisible(int index, bool visible);
bool SetLayerAppearance(int index, const LayerAppearance& appearance);
// The layer's appearance; all zero and empty for an index not in use.
LayerAppearance GetLayerAppearance(int index);

// One slot of the table as a whole, in use or not: what the undo history takes back.
struct LayerSlot {
    std::string name;
    std::array<double, LAYER_ATTRIBUTE_COUNT> attributes{};
    std::string texture;
    // Bit for bit: a slot whose 0.0 became -0.0 is saved otherwise, so it is a change.
    bool operator==(const LayerSlot& other) const {
        return name == other.name && texture == other.texture &&
               std::memcmp(attributes.data(), other.attributes.data(), sizeof attributes) == 0;  // NOLINT(bugprone-suspicious-memory-comparison): bit for bit, as said above
    }
};
// Slot `index` (0 to kLayerSlots - 1; any other index gives an empty slot).
LayerSlot GetLayerSlot(int index);
// Puts a slot back as it was and marks the wireframe stale; any other index is ignored.
void SetLayerSlot(int index, const LayerSlot& slot);
// Puts the number of layers in use back (0 to kLayerSlots) and marks the wireframe stale.
void SetLayerCount(int count);

}  // namespace marquetta
