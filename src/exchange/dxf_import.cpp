#include "exchange/dxf_import.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/binary_file.h"
#include "model/cp932.h"
#include "model/layers.h"

namespace marquetta {
namespace {

// The entity kinds the reader tells apart; only some of them make shapes.
enum EntityKind {
    KIND_OTHER = -1,
    KIND_NONE = 0,
    KIND_POINT = 1,
    KIND_LINE = 2,
    KIND_CIRCLE = 3,
    KIND_ARC = 4,
    KIND_TEXT = 5,
    KIND_POLYLINE = 6,  // also VERTEX and SEQEND
    KIND_INSERT = 9,
    KIND_SOLID = 10,
    KIND_3DFACE = 11,
};

// A name of at most eight bytes as one number (its bytes in order, zeros after), so
// that telling names apart costs one comparison each.
constexpr uint64_t NameKey(std::string_view name) {
    uint64_t key = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        key |= uint64_t{static_cast<unsigned char>(name[i])} << (8 * i);
    }
    return key;
}

EntityKind KindOf(std::string_view name) {
    struct Entry {
        uint64_t key;
        EntityKind kind;
    };
    static constexpr Entry kKinds[] = {
        {NameKey("LINE"), KIND_LINE},         {NameKey("CIRCLE"), KIND_CIRCLE},
        {NameKey("ARC"), KIND_ARC},           {NameKey("TEXT"), KIND_TEXT},
        {NameKey("POINT"), KIND_POINT},       {NameKey("POLYLINE"), KIND_POLYLINE},
        {NameKey("VERTEX"), KIND_POLYLINE},   {NameKey("SEQEND"), KIND_POLYLINE},
        {NameKey("INSERT"), KIND_INSERT},     {NameKey("SOLID"), KIND_SOLID},
        {NameKey("3DFACE"), KIND_3DFACE},
    };
    // Every name is shorter than nine bytes and holds no zero byte.
    if (name.size() > 8) {
        return KIND_OTHER;
    }
    for (const char c : name) {
        if (c == '\0') {
            return KIND_OTHER;
        }
    }
    const uint64_t key = NameKey(name);
    for (const Entry& e : kKinds) {
        if (e.key == key) {
            return e.kind;
        }
    }
    return KIND_OTHER;
}

// Whether two short texts are equal, without a call for so few bytes.
bool SameText(std::string_view a, std::string_view b) {
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

// Finds texts by their views, without a string made for each look-up.
struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// Whether an entity of `kind` reads group `code`.
constexpr bool ReadsGroupRule(EntityKind kind, int code) {
    const bool colourOrLayer = code == 8 || code == 62;
    const bool firstPoint = code == 10 || code == 20 || code == 30;
    const bool secondPoint = code == 11 || code == 21 || code == 31;
    const bool extrusion = code == 210 || code == 220 || code == 230;
    const bool corner =
        (code >= 10 && code <= 13) || (code >= 20 && code <= 23) || (code >= 30 && code <= 33);
    switch (kind) {
        case KIND_LINE:
            return colourOrLayer || firstPoint || secondPoint || code == 39 || extrusion;
        case KIND_CIRCLE:
            return colourOrLayer || firstPoint || code == 40;
        case KIND_ARC:
            return colourOrLayer || firstPoint || code == 40 || code == 50 || code == 51;
        case KIND_TEXT:
            return colourOrLayer || firstPoint || secondPoint || code == 1 || code == 40 ||
                   code == 41 || code == 50;
        case KIND_SOLID:
            return colourOrLayer || corner || extrusion;
        case KIND_3DFACE:
            return colourOrLayer || corner;
        default:
            return false;
    }
}

// The rule above as a table, one bit per group code below kGroupsRead for each kind.
constexpr int kGroupsRead = 256;
constexpr int kKindsRead = KIND_3DFACE + 2;  // KIND_OTHER to KIND_3DFACE
struct GroupsRead {
    std::array<std::array<uint64_t, kGroupsRead / 64>, kKindsRead> bits{};
};
constexpr GroupsRead MakeGroupsRead() {
    GroupsRead table;
    for (int kind = KIND_OTHER; kind <= KIND_3DFACE; ++kind) {
        for (int code = 0; code < kGroupsRead; ++code) {
            if (ReadsGroupRule(static_cast<EntityKind>(kind), code)) {
                table.bits[kind + 1][code / 64] |= uint64_t{1} << (code % 64);
            }
        }
    }
    return table;
}
constexpr GroupsRead kGroupsReadTable = MakeGroupsRead();

bool ReadsGroup(EntityKind kind, int code) {
    if (code < 0 || code >= kGroupsRead) {
        return false;
    }
    const uint64_t word = kGroupsReadTable.bits[kind + 1][code / 64];
    return ((word >> (code % 64)) & 1) != 0;
}

struct Double3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

Double3 operator+(const Double3& a, const Double3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Double3 operator-(const Double3& a, const Double3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Double3 operator*(double s, const Double3& a) {
    return {s * a.x, s * a.y, s * a.z};
}
Double3 Cross(const Double3& a, const Double3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(const Double3& a) {
    return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}

// DXF has z up; the drawing has y up and its plan's "up" is -z.
Float3 ToDrawing(const Double3& p) {
    return {static_cast<float>(p.x), static_cast<float>(p.z), static_cast<float>(-p.y)};
}
Float3 ToDrawing(const Float3& p) {
    return {p.x, p.z, -p.y};
}
Float3 ToFloat(const Double3& p) {
    return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
}

void SetColour(CShape& shape, int colour) {
    float rgb[3];
    switch (colour) {
        case 0:
        case 7:
            rgb[0] = 1, rgb[1] = 1, rgb[2] = 1;
            break;
        case 1:
            rgb[0] = 1, rgb[1] = 0, rgb[2] = 0;
            break;
        case 2:
            rgb[0] = 1, rgb[1] = 1, rgb[2] = 0;
            break;
        case 3:
        case 4:
            rgb[0] = 0, rgb[1] = 1, rgb[2] = 0;
            break;
        case 5:
            rgb[0] = 0, rgb[1] = 0, rgb[2] = 1;
            break;
        case 6:
            rgb[0] = 1, rgb[1] = 0, rgb[2] = 1;
            break;
        default:
            rgb[0] = 0, rgb[1] = 1, rgb[2] = 1;
            break;
    }
    for (int i = 0; i < 3; ++i) {
        shape.m_attr[i] = rgb[i];
    }
}

bool IsAscii(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// The release number of an "$ACADVER" value such as "AC1021"; 0 when there is none.
int AcadRelease(std::string_view version) {
    if (version.size() < 3 || version.substr(0, 2) != "AC") {
        return 0;
    }
    return ParseDxfInteger(version.substr(2));
}

// From this release on, DXF files are written in UTF-8.
constexpr int kFirstUtf8Release = 1021;

// The section switch, the entity machine and the extents of one import.
class EntityReader {
  public:
    explicit EntityReader(CZorader_ezDoc& doc) : m_doc(doc) {}

    void Pair(int code, std::string_view value) {
        if (!m_summary.entitiesSection) {
            Preamble(code, value);
            return;
        }
        if (code == 0) {
            Finish();
            Begin(value);
            return;
        }
        if (!ReadsGroup(m_kind, code)) {
            return;
        }
        switch (code) {
            case 1:
                StoreText(m_text, value);
                break;
            case 8:
                UseLayer(value);
                break;
            case 62:
                m_colour = ParseDxfInteger(value);
                break;
            case 10:
            case 11:
            case 12:
            case 13:
                Corner(code - 10).x = ParseDxfReal(value);
                break;
            case 20:
            case 21:
            case 22:
            case 23:
                Corner(code - 20).y = ParseDxfReal(value);
                break;
            case 30:
            case 31:
            case 32:
            case 33:
                Corner(code - 30).z = ParseDxfReal(value);
                break;
            case 39:
                m_thickness = ParseDxfReal(value);
                break;
            case 40:
                m_size = ParseDxfReal(value);
                break;
            case 41:
                m_widthFactor = ParseDxfReal(value);
                break;
            case 50:
                m_startAngle = ParseDxfReal(value);
                break;
            case 51:
                m_endAngle = ParseDxfReal(value);
                break;
            case 210:
                m_extrusion.x = ParseDxfReal(value);
                break;
            case 220:
                m_extrusion.y = ParseDxfReal(value);
                break;
            case 230:
                m_extrusion.z = ParseDxfReal(value);
                break;
            default:
                break;
        }
    }

    // A file may end inside an entity (without the EOF marker); it is finished too.
    void End() {
        Finish();
        m_kind = KIND_NONE;
    }

    const DxfReadSummary& Summary() const { return m_summary; }

  private:
    // Before the ENTITIES section only the section name and the release matter.
    void Preamble(int code, std::string_view value) {
        if (code == 2 && value == "ENTITIES") {
            m_summary.entitiesSection = true;
        } else if (code == 9) {
            m_versionFollows = value == "$ACADVER";
        } else if (code == 1 && m_versionFollows) {
            m_utf8 = AcadRelease(value) >= kFirstUtf8Release;
            m_versionFollows = false;
        }
    }

    bool NeedsCp932(std::string_view value) const {
        if (m_utf8 && !IsAscii(value)) {
            if (!Cp932Available()) {
                throw FileFailure{FileError::NoCp932};
            }
            return true;
        }
        return false;
    }

    void StoreText(std::string& into, std::string_view value) {
        if (NeedsCp932(value)) {
            into = Utf8ToCp932(value);
        } else {
            into.assign(value.data(), value.size());
        }
    }

    // Group 8: the layer by its number. Names are numbered as they are first met, so
    // that the same name again costs neither a copy nor, in a run, a look-up.
    void UseLayer(std::string_view value) {
        if (NeedsCp932(value)) {
            UseLayerNamed(Utf8ToCp932(value));
        } else if (!SameText(value, m_layerNames[m_layer])) {
            UseLayerNamed(value);
        }
    }

    void UseLayerNamed(std::string_view name) {
        // Most files use few layers: the number last found for a name of each cheap
        // hash is tried before the map.
        uint32_t hash = 0;
        for (const char c : name) {
            hash = hash * 31 + static_cast<unsigned char>(c);
        }
        uint32_t& recent = m_recentLayers[hash % m_recentLayers.size()];
        if (SameText(name, m_layerNames[recent])) {
            m_layer = recent;
            return;
        }
        auto found = m_layerNumbers.find(name);
        if (found == m_layerNumbers.end()) {
            const auto number = static_cast<uint32_t>(m_layerNames.size());
            m_layerNames.emplace_back(name);
            m_layerEnsured.push_back(false);
            found = m_layerNumbers.emplace(std::string(name), number).first;
        }
        m_layer = found->second;
        recent = m_layer;
    }

    // The text of a TEXT takes its point from group 10 or 11, whichever comes later.
    Double3& Corner(int index) { return m_kind == KIND_TEXT ? m_corner[0] : m_corner[index]; }

    void Begin(std::string_view name) {
        m_kind = KindOf(name);
        // Corners 3 and 4, the layer and the text carry over to the next entity.
        m_corner[0] = m_corner[1] = Double3{};
        m_thickness = 0.0;
        m_extrusion = Double3{0.0, 0.0, 1.0};
        m_colour = 0;
        m_size = m_widthFactor = m_startAngle = m_endAngle = 0.0;
    }

    void AddExtents(const Double3& p) {
        m_summary.minX = std::min(m_summary.minX, p.x);
        m_summary.maxX = std::max(m_summary.maxX, p.x);
        m_summary.minY = std::min(m_summary.minY, p.y);
        m_summary.maxY = std::max(m_summary.maxY, p.y);
    }

    // Makes the shape from its points (DXF coordinates, each also widening the extents),
    // its parameters (m_pt[1] of circles, arcs and texts) and its normal. Every number
    // read fits a float, but what is computed from them may not: an entity with a value
    // that a float cannot hold is skipped whole, before the template is touched.
    void Make(ShapeType type, std::initializer_list<Double3> points,
              const Double3* parameters = nullptr, const Float3* normal = nullptr) {
        for (const Double3& p : points) {
            if (!Fits(p)) {
                return;
            }
        }
        if ((parameters != nullptr && !Fits(*parameters)) ||
            (normal != nullptr &&
             !(std::isfinite(normal->x) && std::isfinite(normal->y) && std::isfinite(normal->z)))) {
            return;
        }
        CShape& shape = m_doc.m_current;
        shape.m_nType = type;
        shape.m_bSelected = 0;
        SetColour(shape, m_colour);
        int i = 0;
        for (const Double3& p : points) {
            shape.m_pt[i++] = ToDrawing(p);
            AddExtents(p);
        }
        if (parameters != nullptr) {
            shape.m_pt[1] = ToFloat(*parameters);
        }
        if (normal != nullptr) {
            for (Float3& n : shape.m_normal) {
                n = ToDrawing(*normal);
            }
        }
        Add(type == SHAPE_TEXT);
    }

    static bool Fits(double v) { return std::fabs(v) <= std::numeric_limits<float>::max(); }
    static bool Fits(const Double3& p) { return Fits(p.x) && Fits(p.y) && Fits(p.z); }

    void Add(bool isText) {
        if (m_layer != m_templateLayer) {
            const std::string& name = m_layerNames[m_layer];
            m_doc.SetCurrentLayer(name);
            // The table only grows during an import, so a name once ensured needs no
            // second look.
            if (!m_layerEnsured[m_layer]) {
                EnsureLayer(name);
                m_layerEnsured[m_layer] = true;
            }
            m_templateLayer = m_layer;
        }
        if (isText) {
            m_doc.SetCurrentText(m_text);
        } else {
            m_doc.m_current.m_strText.clear();
        }
        m_doc.AddCurrentShape();
        ++m_summary.shapesMade;
    }

    void Finish() {
        switch (m_kind) {
            case KIND_LINE:
                FinishLine();
                break;
            case KIND_CIRCLE: {
                const Double3 radius{m_size, 0.0, 0.0};
                Make(SHAPE_CIRCLE, {m_corner[0]}, &radius);
                break;
            }
            case KIND_ARC: {
                const double end = m_startAngle > m_endAngle ? m_endAngle + 360.0 : m_endAngle;
                const Double3 arc{m_size, m_startAngle, end};
                Make(SHAPE_ARC, {m_corner[0]}, &arc);
                break;
            }
            case KIND_TEXT: {
                const double width = m_widthFactor != 0.0 ? m_widthFactor * m_size : m_size;
                const Double3 text{m_size, width, m_startAngle};
                Make(SHAPE_TEXT, {m_corner[0]}, &text);
                break;
            }
            case KIND_SOLID:
                FinishSolid();
                break;
            case KIND_3DFACE:
                FinishFace();
                break;
            default:
                break;
        }
    }

    void FinishLine() {
        const Double3 start = m_corner[0];
        const Double3 end = m_corner[1];
        if (!(Length(end - start) > 1.0)) {
            return;
        }
        if (m_thickness == 0.0) {
            Make(SHAPE_LINE, {start, end});
            return;
        }
        Double3 e = m_extrusion;
        if (e.x == 0.0 && e.y == 0.0 && e.z == 0.0) {
            e = Double3{0.0, 0.0, 1.0};
        }
        const Double3 rise = m_thickness * e;
        // An extrusion along the line leaves no plane: the normal is then zero.
        Double3 n = Cross(end - start, end + rise - start);
        const double length = Length(n);
        if (length != 0.0) {
            n = (1.0 / length) * n;
        }
        const Float3 normal = ToFloat(n);
        Make(SHAPE_FACE, {start, end, end + rise, start + rise}, nullptr, &normal);
    }

    void FinishSolid() {
        if (!(Length(m_corner[1] - m_corner[0]) > 1.0)) {
            return;
        }
        // The arbitrary-axis rule gives the entity's own x axis A and y axis B.
        const Double3 n = m_extrusion;
        Double3 a = std::fabs(n.x) < 0.015625 && std::fabs(n.y) < 0.015625
                        ? Double3{n.z, 0.0, -n.x}
                        : Double3{-n.y, n.x, 0.0};
        const double aLength = Length(a);
        if (aLength != 0.0) {
            a = (1.0 / aLength) * a;
        }
        const Double3 b = Cross(n, a);
        const double d = a.x * (b.y * n.z - b.z * n.y) - a.y * (b.x * n.z - b.z * n.x) +
                         a.z * (b.x * n.y - b.y * n.x);
        if (std::fabs(d) < 1e-10) {
            return;
        }
        Double3 c[4];
        for (int i = 0; i < 4; ++i) {
            const Double3& p = m_corner[i];
            c[i] = (1.0 / d) * (p.x * a + p.y * b + p.z * n);
        }
        // The solid's corners 3 and 4 lie crosswise; the face runs round its boundary.
        const Float3 normal = UnitNormal(ToFloat(c[0] - c[1]), ToFloat(c[1] - c[3]));
        Make(SHAPE_FACE, {c[0], c[1], c[3], c[2]}, nullptr, &normal);
    }

    void FinishFace() {
        if (!(Length(m_corner[1] - m_corner[0]) > 1.0)) {
            return;
        }
        const Float3 normal =
            UnitNormal(ToFloat(m_corner[0] - m_corner[1]), ToFloat(m_corner[1] - m_corner[2]));
        Make(SHAPE_FACE, {m_corner[0], m_corner[1], m_corner[2], m_corner[3]}, nullptr, &normal);
    }

    CZorader_ezDoc& m_doc;
    DxfReadSummary m_summary;
    bool m_utf8 = false;
    bool m_versionFollows = false;

    EntityKind m_kind = KIND_NONE;
    Double3 m_corner[4];
    double m_thickness = 0.0;
    Double3 m_extrusion{0.0, 0.0, 1.0};
    int m_colour = 0;
    double m_size = 0.0;         // radius or text height (40)
    double m_widthFactor = 0.0;  // 41
    double m_startAngle = 0.0;   // 50, also the text's angle
    double m_endAngle = 0.0;     // 51
    // The layer names met, by number, and whether each is in the layer table yet. An
    // entity before any layer name goes on layer "0", the default layer of DXF.
    std::vector<std::string> m_layerNames{"0"};
    std::vector<bool> m_layerEnsured{false};
    std::unordered_map<std::string, uint32_t, TextHash, std::equal_to<>> m_layerNumbers{{"0", 0}};
    uint32_t m_layer = 0;
    std::array<uint32_t, 64> m_recentLayers{};
    // The number of the layer whose name the template holds; none at first.
    uint32_t m_templateLayer = UINT32_MAX;
    std::string m_text;
};

// The layer table as it was before an import, put back when the import fails.
struct LayerTable {
    int count = 0;
    std::array<std::string, kLayerSlots> names;
    std::array<std::array<double, LAYER_ATTRIBUTE_COUNT>, kLayerSlots> attributes{};
    std::array<std::string, kLayerSlots> textures;
};

LayerTable SaveLayerTable() {
    return LayerTable{g_layerCount, g_layerNames, g_layerAttributes, g_layerTextures};
}

void RestoreLayerTable(const LayerTable& table) {
    g_layerCount = table.count;
    g_layerNames = table.names;
    g_layerAttributes = table.attributes;
    g_layerTextures = table.textures;
}

}  // namespace

std::string DxfImportSaveQuestion(const CZorader_ezDoc& doc) {
    return doc.GetTitle() + " への変更を保存しますか？";
}

DxfReadSummary ReadDxfEntities(DxfLineReader& lines, CZorader_ezDoc& doc) {
    // Room for the shapes a drawing of this size is likely to hold, so that the list's
    // arrays are not copied and left behind as they grow. A guess too large costs only
    // address space: the pages no shape reaches are never touched.
    constexpr uint64_t kBytesPerEntityGuess = 64;
    doc.m_shapes.Reserve(doc.m_shapes.size() +
                         static_cast<size_t>(lines.Size() / kBytesPerEntityGuess));
    EntityReader reader(doc);
    DxfPairReader pairs(lines);
    DxfPair pair;
    try {
        while (pairs.Next(pair)) {
            reader.Pair(pair.code, pair.value);
        }
    } catch (const FileFailure& failure) {
        // The entity being read when the file failed is dropped, not guessed at.
        DxfReadSummary summary = reader.Summary();
        summary.readError = failure.error;
        return summary;
    }
    reader.End();
    return reader.Summary();
}

void RecentreImportedShapes(CZorader_ezDoc& doc, const DxfReadSummary& summary) {
    const double cx = (summary.minX + summary.maxX) / 2.0;
    const double cy = (summary.minY + summary.maxY) / 2.0;
    auto move = [&](Float3& p) {
        p.x = static_cast<float>(p.x - cx);
        p.z = static_cast<float>(p.z + cy);
    };
    for (auto& shape : doc.m_shapes) {
        int points = 0;
        switch (shape->m_nType) {
            case SHAPE_LINE:
                points = 2;
                break;
            case SHAPE_CIRCLE:
            case SHAPE_ARC:
            case SHAPE_TEXT:
                points = 1;
                break;
            case SHAPE_FACE:
                points = 4;
                break;
            default:
                break;
        }
        for (int i = 0; i < points; ++i) {
            move(shape->m_pt[i]);
        }
    }
}

DxfImportResult ImportDxfFile(CZorader_ezDoc& doc, const std::string& path,
                              const std::function<void()>& runCancelCommand) {
    DxfLineReader lines;
    if (lines.Open(path) != FileError::None) {
        DxfImportResult result;
        result.message = CannotOpenMessage(path);
        return result;
    }
    return ImportDxfLines(doc, lines, path, runCancelCommand);
}

DxfImportResult ImportDxfBytes(CZorader_ezDoc& doc, std::string_view bytes,
                               const std::string& path,
                               const std::function<void()>& runCancelCommand) {
    DxfLineReader lines;
    lines.OpenText(bytes);
    return ImportDxfLines(doc, lines, path, runCancelCommand);
}

DxfImportResult ImportDxfLines(CZorader_ezDoc& doc, DxfLineReader& lines, const std::string& path,
                               const std::function<void()>& runCancelCommand) {
    DxfImportResult result;
    if (runCancelCommand) {
        runCancelCommand();
    }
    // The file is read into a drawing of its own and replaces the open one only once it
    // has been read to its end: a file that fails part-way changes nothing.
    CZorader_ezDoc imported;
    imported.m_current = doc.m_current;
    const LayerTable layers = SaveLayerTable();
    g_layerCount = 0;
    const DxfReadSummary summary = ReadDxfEntities(lines, imported);
    if (summary.readError != FileError::None) {
        RestoreLayerTable(layers);
        result.message = CommandMessage{FileErrorMessage(summary.readError, path), kWarningCaption,
                                        MessageIcon::Exclamation};
        return result;
    }
    // The imported drawing is untitled: it has no file of its own yet, so the next save
    // asks for a name instead of writing a file called "無題" into whatever folder the
    // program was started in.
    doc.SetPathName("");
    // Moved while the shapes are still the import's own: the drawing then takes them
    // as a whole, and what follows the drawing list (the pick index, the wireframe)
    // starts from them afresh.
    RecentreImportedShapes(imported, summary);
    doc.ReplaceShapes(std::move(imported.m_shapes));
    doc.m_current = imported.m_current;
    doc.m_current.m_nType = SHAPE_NONE;
    // Cleared for the import, and set again by the first shape made.
    doc.SetModifiedFlag(imported.IsModified());
    result.replaced = true;
    g_displayListValid = 0;
    result.entitiesSection = summary.entitiesSection;
    result.shapesMade = summary.shapesMade;
    return result;
}

}  // namespace marquetta
