// Reading DXF entities: the groups of one entity at a time, in model space or in a
// block, turned into primitives (dxf_blocks.h) when the entity ends. Every kind the
// drawing can show is read: LINE, CIRCLE, ARC, TEXT, SOLID, TRACE, 3DFACE, LWPOLYLINE,
// POLYLINE with its VERTEXes (2-D with bulges, 3-D, polygon and polyface meshes),
// INSERT (and MINSERT grids) with its ATTRIBs, MTEXT, ELLIPSE, SPLINE, DIMENSION,
// LEADER and HATCH boundaries. Other kinds become "unsupported" primitives, counted
// where they would have been drawn. Entities of paper space (group 67 = 1) are
// dropped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "exchange/dxf_blocks.h"
#include "exchange/dxf_curves.h"
#include "exchange/dxf_reader.h"
#include "exchange/dxf_text.h"

namespace marquetta::dxf {

// The layer names met, numbered in order of first meeting; number 0 is "0", the
// layer of DXF entities that name none.
namespace detail {
// Whether two short texts are equal, without a call for so few bytes.
inline bool SameBytes(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}
}  // namespace detail

class LayerNames {
  public:
    LayerNames();
    // The number of a name as the file writes it; characters that CP932 cannot hold
    // are counted into `lost` when the name is first met.
    uint32_t Number(std::string_view raw, const TextDecoder& decoder, int& lost) {
        // Most files use few layers: the number last found for the bytes of each
        // cheap hash is tried before anything else.
        uint32_t& recent = m_recent[Slot(raw)];
        if (detail::SameBytes(raw, m_written[recent])) {
            return recent;
        }
        recent = NumberOfWritten(raw, decoder, lost);
        return recent;
    }
    const std::string& Name(uint32_t number) const { return m_names[number]; }
    // The name of a number as the file first wrote it.
    const std::string& Written(uint32_t number) const { return m_written[number]; }
    size_t Size() const { return m_names.size(); }

  private:
    static size_t Slot(std::string_view raw) {
        uint32_t hash = 0;
        for (const char c : raw) {
            hash = hash * 31 + static_cast<unsigned char>(c);
        }
        return hash % kRecent;
    }
    uint32_t NumberOfWritten(std::string_view raw, const TextDecoder& decoder, int& lost);
    uint32_t NumberOfConverted(std::string_view name, std::string_view raw);

    std::vector<std::string> m_names{"0"};
    std::vector<std::string> m_written{"0"};  // each name as the file first wrote it
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, uint32_t, Hash, std::equal_to<>> m_numbers{{"0", 0}};
    // Names that needed a conversion, by the bytes the file wrote.
    std::unordered_map<std::string, uint32_t, Hash, std::equal_to<>> m_converted;
    static constexpr size_t kRecent = 64;
    uint32_t m_recent[kRecent] = {};
};

// Where the primitives of entities go: shapes at once (model space) or a block.
class PrimitiveOutput {
  public:
    virtual ~PrimitiveOutput() = default;
    virtual void Add(const Primitive& item) = 0;
    // A LINE without thickness, and a CIRCLE or ARC in the world's own plane, are
    // most of a large file: an output that makes shapes at once takes them straight
    // from the entity's groups, with no primitive between, and says true. One that
    // keeps primitives says false and is given the primitive.
    virtual bool AddPlainLine(uint32_t /*layer*/, const ColourSpec& /*colour*/,
                              const Double3& /*start*/, const Double3& /*end*/) {
        return false;
    }
    virtual bool AddUprightArc(uint32_t /*layer*/, const ColourSpec& /*colour*/,
                               const Double3& /*centre*/, double /*radius*/, double /*start*/,
                               double /*end*/, bool /*full*/) {
        return false;
    }
};

struct EntityContext {
    TextDecoder& text;
    LayerNames& layers;
    ImportReport& report;
    // The lines of flattened splines beyond the first are spent from it.
    ExpansionBudget& budget;
    // Millimetres per unit of the file: curves flattened while reading (splines) are
    // flattened to the tolerance in millimetres.
    double unitScale = 1.0;
};

enum EntityKind : int {
    KIND_OTHER = -1,
    KIND_NONE = 0,
    KIND_POINT,
    KIND_LINE,
    KIND_CIRCLE,
    KIND_ARC,
    KIND_TEXT,
    KIND_SOLID,
    KIND_3DFACE,
    KIND_POLYLINE,
    KIND_VERTEX,
    KIND_SEQEND,
    KIND_INSERT,
    KIND_ATTRIB,
    KIND_LWPOLYLINE,
    KIND_MTEXT,
    KIND_ELLIPSE,
    KIND_SPLINE,
    KIND_DIMENSION,
    KIND_LEADER,
    KIND_HATCH,
    KIND_SILENT,  // ATTDEF, VIEWPORT: not drawn, and nothing left out
    KIND_COUNT,
};

class EntityReader {
  public:
    explicit EntityReader(EntityContext& context) : m_context(context) {}

    // Group 0: the entity in progress is finished into `out`, and the named one begins.
    void Begin(std::string_view name, PrimitiveOutput& out);
    // The entity in progress is finished into `out`, with an open polyline; nothing
    // is in progress afterwards (the end of a section or a block, or of the file).
    void End(PrimitiveOutput& out);

    // Any other group of the entity in progress.
    void Group(int code, std::string_view value);

  private:
    struct Vertex {
        Double3 p;
        double bulge = 0.0;
        int flags = 0;
        int index[4] = {0, 0, 0, 0};
    };

    void Read(int code, std::string_view value);
    void ReadTrueColour(std::string_view value);
    void ReadExtended(int code, std::string_view value);
    void UseLayer(std::string_view value);
    void Finish(PrimitiveOutput& out);

    // The primitive about to be made, with the entity's layer and colour.
    Primitive& Start(PrimitiveKind kind);
    void AddLine(PrimitiveOutput& out, const Double3& a, const Double3& b, const Double3& rise,
                 bool oneUnitRule);
    void AddArc(PrimitiveOutput& out, const Affine& ocs, const Double3& centre, double radius,
                double start, double end, bool full);
    void AddText(PrimitiveOutput& out, const Affine& ocs, const Double3& point, double height,
                 double width, double angle, const std::string& text, int lost);
    void AddFace(PrimitiveOutput& out, const Double3& a, const Double3& b, const Double3& c,
                 const Double3& d, bool oneUnitRule);
    void AddPolyline(PrimitiveOutput& out, const std::vector<Vertex>& vertices, bool closed,
                     double elevation, double thickness, const Affine& ocs);
    // The lines of a flattened curve.
    void AddPoints(PrimitiveOutput& out, const std::vector<Double3>& points);
    void Unsupported(PrimitiveOutput& out);

    void FinishLine(PrimitiveOutput& out);
    void FinishText(PrimitiveOutput& out);
    void FinishSolid(PrimitiveOutput& out);
    void FinishFace(PrimitiveOutput& out);
    void FinishPolyline(PrimitiveOutput& out);
    void FinishInsert(PrimitiveOutput& out);
    void FinishMText(PrimitiveOutput& out);
    void FinishEllipse(PrimitiveOutput& out);
    void FinishSpline(PrimitiveOutput& out);
    void FinishDimension(PrimitiveOutput& out);
    void FinishLeader(PrimitiveOutput& out);
    void FinishHatch(PrimitiveOutput& out);

    EntityContext& m_context;
    EntityKind m_kind = KIND_NONE;
    std::string m_name;  // of a kind that is left out
    Primitive m_item;

    // Groups of the entity in progress. Corners 3 and 4, the layer and the text of a
    // TEXT carry over from one entity to the next, as they always have.
    uint32_t m_layer = 0;
    ColourSpec m_colour;
    bool m_paper = false;
    bool m_embedded = false;  // after group 101: an embedded object's groups follow
    bool m_secondPoint = false;
    Double3 m_corner[4];
    double m_thickness = 0.0;
    Double3 m_extrusion{0.0, 0.0, 1.0};
    double m_size = 0.0;         // 40: radius, height, ratio
    double m_widthFactor = 0.0;  // 41
    double m_startAngle = 0.0;   // 50
    double m_endAngle = 0.0;     // 51
    double m_value42 = 0.0, m_value43 = 0.0, m_value44 = 0.0, m_value45 = 0.0;
    bool m_has41 = false, m_has42 = false, m_has43 = false, m_has44 = false;
    int m_flags = 0;  // 70
    int m_int71 = 0, m_int72 = 0, m_int73 = 0, m_int74 = 0;
    double m_elevation = 0.0;  // 38
    std::string m_text;        // 1 of a TEXT or ATTRIB
    int m_textLost = 0;        // its characters that CP932 could not hold
    std::string m_blockName;   // 2
    std::string m_mtext;       // 3 and 1 of an MTEXT
    bool m_defpoints = false;  // a POINT on the layer of definition points
    std::vector<Vertex> m_vertices;
    SplineData m_spline;
    std::vector<std::pair<int, double>> m_hatch;  // the numbers of a HATCH, in order

    // The POLYLINE whose VERTEXes are being read.
    struct OpenPolyline {
        bool open = false;
        bool paper = false;
        uint32_t layer = 0;
        ColourSpec colour;
        int flags = 0;
        int rows = 0, columns = 0;
        double elevation = 0.0;
        double thickness = 0.0;
        Double3 extrusion{0.0, 0.0, 1.0};
        std::vector<Vertex> vertices;
    } m_polyline;
};

namespace detail {

// Whether an entity of `kind` reads group `code` (codes below 256; 420 apart).
constexpr bool ReadsGroupRule(EntityKind kind, int code) {
    const bool colourOrLayer = code == 8 || code == 62;
    const bool common = colourOrLayer || code == 67;
    const bool firstPoint = code == 10 || code == 20 || code == 30;
    const bool secondPoint = code == 11 || code == 21 || code == 31;
    const bool extrusion = code == 210 || code == 220 || code == 230;
    const bool corner =
        (code >= 10 && code <= 13) || (code >= 20 && code <= 23) || (code >= 30 && code <= 33);
    switch (kind) {
        case KIND_LINE:
            return common || firstPoint || secondPoint || code == 39 || extrusion;
        case KIND_CIRCLE:
            return common || firstPoint || code == 40 || extrusion;
        case KIND_ARC:
            return common || firstPoint || code == 40 || code == 50 || code == 51 || extrusion;
        case KIND_TEXT:
            return common || firstPoint || secondPoint || code == 1 || code == 40 ||
                   code == 41 || code == 50 || code == 72 || code == 73 || extrusion;
        case KIND_ATTRIB:
            return common || firstPoint || secondPoint || code == 1 || code == 40 ||
                   code == 41 || code == 50 || code == 70 || code == 72 || code == 74 ||
                   code == 101 || extrusion;
        case KIND_SOLID:
            return common || corner || extrusion;
        case KIND_3DFACE:
            return common || corner;
        case KIND_POINT:
            return code == 8 || code == 67;
        case KIND_OTHER:
            return code == 67;
        case KIND_POLYLINE:
            return common || firstPoint || code == 39 || code == 70 || code == 71 ||
                   code == 72 || extrusion;
        case KIND_VERTEX:
            return firstPoint || code == 42 || code == 70 || (code >= 71 && code <= 74);
        case KIND_LWPOLYLINE:
            return common || code == 10 || code == 20 || code == 38 || code == 39 ||
                   code == 42 || code == 70 || extrusion;
        case KIND_INSERT:
            return common || code == 2 || firstPoint || (code >= 41 && code <= 45) ||
                   code == 50 || code == 70 || code == 71 || extrusion;
        case KIND_MTEXT:
            return common || code == 1 || code == 3 || firstPoint || secondPoint || code == 40 ||
                   code == 44 || code == 50 || code == 71 || code == 101 || extrusion;
        case KIND_ELLIPSE:
            return common || firstPoint || secondPoint || (code >= 40 && code <= 42) || extrusion;
        case KIND_SPLINE:
            return common || corner || code == 40 || code == 41 || code == 70 || code == 71;
        case KIND_DIMENSION:
            return common || code == 2 || code == 12 || code == 22 || code == 32 || extrusion;
        case KIND_LEADER:
            return common || firstPoint;
        case KIND_HATCH:
            // Its numbers are kept in order and read as a whole when it ends.
            return common || (code >= 10 && code <= 98 && code != 67) || extrusion;
        default:
            return false;
    }
}

inline constexpr int kGroupsRead = 256;
struct GroupsRead {
    uint64_t bits[KIND_COUNT + 1][kGroupsRead / 64] = {};
};

constexpr GroupsRead MakeGroupsRead() {
    GroupsRead table;
    for (int kind = KIND_OTHER; kind < KIND_COUNT; ++kind) {
        for (int code = 0; code < kGroupsRead; ++code) {
            if (ReadsGroupRule(static_cast<EntityKind>(kind), code)) {
                table.bits[kind + 1][code / 64] |= uint64_t{1} << (code % 64);
            }
        }
    }
    return table;
}

inline constexpr GroupsRead kGroupsReadTable = MakeGroupsRead();

}  // namespace detail

// Inlined into the reading loop: a call for each of millions of groups would cost
// more than storing most of them.
[[gnu::always_inline]] inline void EntityReader::Group(int code, std::string_view value) {
    if (code >= 0 && code < detail::kGroupsRead) {
        const uint64_t word = detail::kGroupsReadTable.bits[m_kind + 1][code / 64];
        if (((word >> (code % 64)) & 1) == 0) {
            return;
        }
        // The points and sizes of the plain kinds, nearly every group of a large file,
        // are stored here without a call.
        if (m_kind < KIND_POLYLINE) {
            const unsigned corner = static_cast<unsigned>(code % 10);
            const unsigned axis = static_cast<unsigned>(code / 10) - 1;
            if (axis < 3 && corner < 4) {
                Double3& point = m_corner[corner];
                (axis == 0 ? point.x : axis == 1 ? point.y : point.z) = ParseDxfReal(value);
                m_secondPoint |= corner == 1;
                return;
            }
            if (code == 40) {
                m_size = ParseDxfReal(value);
                return;
            }
            if (code == 8 && m_kind != KIND_POINT) {
                // The same name again, or one met before, costs neither a conversion
                // nor a look-up in a map.
                if (!detail::SameBytes(value, m_context.layers.Written(m_layer))) {
                    int lost = 0;
                    m_layer = m_context.layers.Number(value, m_context.text, lost);
                    m_context.report.lostCharacters += static_cast<uint64_t>(lost);
                }
                return;
            }
            if (code == 62) {
                m_colour.number = ParseDxfInteger(value);
                return;
            }
        }
        Read(code, value);
    } else if (code == 420 && m_kind > KIND_POINT && m_kind != KIND_VERTEX && !m_embedded) {
        ReadTrueColour(value);
    }
}

}  // namespace marquetta::dxf
