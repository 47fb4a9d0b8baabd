// Blocks of a DXF file and their placement. Every entity is read into primitives
// (lines, arcs and elliptical arcs, faces, texts, block references) in the world
// coordinates of the space it lies in: model space, or the block it belongs to. Model
// space primitives become shapes at once; a block keeps its primitives, and every
// INSERT (or dimension) places them through its transform, nested blocks inside.
//
// Placing never recurses: an explicit stack holds the blocks being placed. A block that
// refers to itself (directly or through others) is not followed: that reference is
// left out and counted. The work is bounded: a reference whose block would expand past
// the bound, or an expansion that makes more shapes than it, stops the import with
// ExpansionTooLarge.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "exchange/dxf_geometry.h"

namespace marquetta::dxf {

// How an entity is coloured: a colour number (0 by block, 256 by layer) or a true
// colour.
struct ColourSpec {
    int32_t number = 256;
    int32_t rgb = -1;  // 0xRRGGBB, or -1 when the number holds
};

enum class PrimitiveKind : uint8_t {
    Line,         // p[0] to p[1]; p[2] the rise of a thick line (zero: none)
    Arc,          // centre p[0], axes p[1] and p[2]: the points p0 + cos t p1 + sin t p2
                  // for t from values[0] to values[1] degrees; values[2] the radius read
    Face,         // corners p[0] to p[3] in boundary order
    Text,         // baseline start p[0], baseline p[1] (one width long), up p[2] (one
                  // height long); values: height, width, angle as read; *text
    Insert,       // linear part p[0], p[1], p[2] and insertion point p[3] of the block
                  // *text; grid of columns x rows by columnStep and rowStep
    Unsupported,  // an entity the drawing cannot hold: its kind *text, to be counted
};

struct Primitive {
    PrimitiveKind kind = PrimitiveKind::Line;
    // Lines and faces: made only when their first edge is longer than one millimetre
    // (LINE, SOLID, 3DFACE); others only when it is longer than nothing.
    bool oneUnitRule = false;
    bool fullCircle = false;
    // Arcs and texts lying in the world's own plane orientation (extrusion straight
    // up, no turn): placed without turning, their sizes and angles are kept as read.
    bool upright = false;
    uint32_t layer = 0;  // number of the layer name (the reader numbers them)
    ColourSpec colour;
    Double3 p[4];
    double values[3] = {0.0, 0.0, 0.0};
    const std::string* text = nullptr;
    int32_t lost = 0;  // characters that CP932 could not hold
    int32_t columns = 1;
    int32_t rows = 1;
    Double3 columnStep;
    Double3 rowStep;
};

// Where primitives are placed: the map from their space to the drawing's millimetres,
// and what layer "0" and colour "by block" stand for inside a block.
struct Placement {
    Affine transform;
    bool plain = true;  // the transform is the identity
    bool inBlock = false;
    uint32_t layer = 0;
    ColourSpec colour;         // never "by block"
    uint32_t colourLayer = 0;  // the layer a "by layer" colour above refers to
};

struct Block {
    size_t number = 0;  // in the table
    std::string name;
    Double3 base;
    bool external = false;  // an external reference: its drawing is another file
    std::vector<Primitive> items;
};

// The name with its ASCII letters in capitals, as DXF compares block and table names.
std::string Upper(std::string_view s);

class BlockTable {
  public:
    // Starts the definition of a block. Null, and the content is to be dropped, for a
    // second definition of a name.
    Block* Begin(std::string_view name, const Double3& base, bool external);
    // The block of a name: the same bytes, else the same letters in any case.
    const Block* Find(std::string_view name) const;
    size_t Size() const { return m_blocks.size(); }
    // A string that stays where it is while the import lasts.
    const std::string* Keep(std::string_view text);

  private:
    std::deque<Block> m_blocks;
    std::unordered_map<std::string, size_t> m_byName;
    std::unordered_map<std::string, size_t> m_byUpperName;
    std::deque<std::string> m_strings;
};

// What an import could not bring into the drawing, counted.
struct ImportReport {
    std::vector<std::pair<std::string, uint64_t>> kinds;  // in order of first meeting
    uint64_t lostCharacters = 0;
    uint64_t outOfRange = 0;      // entities with values a float cannot hold
    uint64_t selfReferences = 0;  // references to a block that refers to itself
    uint64_t missingBlocks = 0;   // references to a block not defined
    uint64_t externalBlocks = 0;  // references to external drawings

    void CountKind(std::string_view kind, uint64_t n = 1);
    bool Empty() const;
    // "取り込めなかった図形: IMAGE 2, 3DSOLID 1, 文字の変換 3"; empty when nothing was
    // left out.
    std::string Text() const;
};

// Thrown when placing blocks, or turning curves into lines, would go past the bound.
struct ExpansionTooLarge {
    bool curves = false;  // the lines of curves went past it, not the blocks
};

// What an import may make beyond one shape per entity it reads: the shapes that
// blocks place, and the lines of curves beyond the first. A plain file makes as many
// shapes as it holds entities, bounded by its size; these are not, and a few bytes
// may ask for millions of them.
class ExpansionBudget {
  public:
    explicit ExpansionBudget(uint64_t bound) : m_bound(bound) {}
    uint64_t Bound() const { return m_bound; }
    // Whether `work` more would go past the bound.
    bool Exceeds(uint64_t work) const;
    // Spends `work`; throws ExpansionTooLarge past the bound.
    void Spend(uint64_t work, bool curves = false);

  private:
    uint64_t m_bound;
    uint64_t m_spent = 0;
};

class PrimitiveSink {
  public:
    virtual ~PrimitiveSink() = default;
    // Makes the shapes of a primitive (never an insert); returns how many.
    virtual size_t Emit(const Primitive& item, const Placement& at) = 0;
};

class BlockExpander {
  public:
    BlockExpander(const BlockTable& blocks, ImportReport& report, PrimitiveSink& sink,
                  ExpansionBudget& budget)
        : m_blocks(blocks), m_report(report), m_sink(sink), m_budget(budget) {}

    // Places the block that `insert` refers to, seen from `at`.
    void Place(const Primitive& insert, const Placement& at);

  private:
    struct Frame {
        const Block* block = nullptr;
        const Primitive* insert = nullptr;
        size_t next = 0;
        int32_t column = 0;
        int32_t row = 0;
        Placement parent;
        Placement placement;
    };
    // The grid of a reference: columns and rows, one where the spacing is zero (the
    // copies would lie on top of each other).
    static std::pair<uint64_t, uint64_t> Grid(const Primitive& insert);
    // The placement of one copy of the grid.
    static Placement CopyPlacement(const Primitive& insert, const Block& block, int32_t column,
                                   int32_t row, const Placement& parent);
    // How many primitives the block makes when placed (an estimate that leaves out
    // references it cannot follow), saturated above the bound.
    uint64_t Estimate(const Block& block);

    const BlockTable& m_blocks;
    ImportReport& m_report;
    PrimitiveSink& m_sink;
    ExpansionBudget& m_budget;
    std::vector<uint64_t> m_estimates;  // per block; 0 not yet known, else estimate + 1
    std::vector<uint8_t> m_visiting;    // the blocks on the path of the estimate under way
    std::vector<uint8_t> m_onPath;
    std::vector<Frame> m_stack;
};

}  // namespace marquetta::dxf
