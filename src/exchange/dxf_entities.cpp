#include "exchange/dxf_entities.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "exchange/dxf_reader.h"
#include "text/text_layout.h"

namespace marquetta::dxf {
namespace {

constexpr double kPi = std::numbers::pi;

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
        {NameKey("VERTEX"), KIND_VERTEX},     {NameKey("SEQEND"), KIND_SEQEND},
        {NameKey("INSERT"), KIND_INSERT},     {NameKey("SOLID"), KIND_SOLID},
        {NameKey("3DFACE"), KIND_3DFACE},     {NameKey("TRACE"), KIND_SOLID},
        {NameKey("ATTRIB"), KIND_ATTRIB},     {NameKey("MTEXT"), KIND_MTEXT},
        {NameKey("ELLIPSE"), KIND_ELLIPSE},   {NameKey("SPLINE"), KIND_SPLINE},
        {NameKey("LEADER"), KIND_LEADER},     {NameKey("HATCH"), KIND_HATCH},
        {NameKey("ATTDEF"), KIND_SILENT},     {NameKey("VIEWPORT"), KIND_SILENT},
    };
    if (name.size() > 8) {
        if (name == "LWPOLYLINE") {
            return KIND_LWPOLYLINE;
        }
        if (name == "DIMENSION" || name == "ARC_DIMENSION" || name == "LARGE_RADIAL_DIMENSION") {
            return KIND_DIMENSION;
        }
        return KIND_OTHER;
    }
    // The key is built here rather than by NameKey, in the same pass that refuses a
    // zero byte: this runs once for every entity of a file.
    uint64_t key = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c == 0) {
            return KIND_OTHER;
        }
        key |= uint64_t{c} << (8 * i);
    }
    for (const Entry& e : kKinds) {
        if (e.key == key) {
            return e.kind;
        }
    }
    return KIND_OTHER;
}

bool IsUpright(const Affine& ocs) {
    return ocs.Z.x == 0.0 && ocs.Z.y == 0.0 && ocs.Z.z == 1.0 && ocs.X.x == 1.0;
}

// A point of the OCS given by its world position (the axes are orthonormal).
Double3 ToOcs(const Affine& ocs, const Double3& p) {
    return {Dot(p, ocs.X), Dot(p, ocs.Y), Dot(p, ocs.Z)};
}

// The tolerance of a spline in its file's units, for its size in millimetres (the
// extent of its control and fit points).
double SplineTolerance(const SplineData& spline, double unitScale) {
    Double3 low{1e300, 1e300, 1e300}, high{-1e300, -1e300, -1e300};
    for (const auto* list : {&spline.control, &spline.fit}) {
        for (const Double3& p : *list) {
            low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
            high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
        }
    }
    const double size = high.x >= low.x ? Length(high - low) * unitScale : 0.0;
    return CurveTolerance(size) / unitScale;
}

const std::string kPointName = "POINT";
const std::string kPolylineName = "POLYLINE";
const std::string kEllipseName = "ELLIPSE";
const std::string kSplineName = "SPLINE";
const std::string kDimensionName = "DIMENSION";
const std::string kHatchName = "HATCH";

}  // namespace

LayerNames::LayerNames() = default;

uint32_t LayerNames::NumberOfConverted(std::string_view name, std::string_view raw) {
    auto found = m_numbers.find(name);
    if (found == m_numbers.end()) {
        const auto number = static_cast<uint32_t>(m_names.size());
        m_names.emplace_back(name);
        m_written.emplace_back(raw);
        found = m_numbers.emplace(std::string(name), number).first;
    }
    return found->second;
}

uint32_t LayerNames::NumberOfWritten(std::string_view raw, const TextDecoder& decoder,
                                     int& lost) {
    if (decoder.TakenAsItIs(raw)) {
        return NumberOfConverted(raw, raw);
    }
    const auto found = m_converted.find(raw);
    if (found != m_converted.end()) {
        return found->second;
    }
    const uint32_t number = NumberOfConverted(decoder.Name(raw, lost), raw);
    m_converted.emplace(std::string(raw), number);
    return number;
}

// ---- groups ----

void EntityReader::Begin(std::string_view name, PrimitiveOutput& out) {
    Finish(out);
    const EntityKind kind = KindOf(name);
    if (m_polyline.open && kind != KIND_VERTEX) {
        FinishPolyline(out);
    }
    m_kind = kind;
    if (kind == KIND_OTHER) {
        m_name.assign(name.substr(0, 64));
    }
    // Corners 3 and 4, the layer and the text carry over to the next entity.
    m_corner[0] = m_corner[1] = Double3{};
    m_thickness = 0.0;
    m_extrusion = Double3{0.0, 0.0, 1.0};
    m_colour = ColourSpec{};
    m_size = m_widthFactor = m_startAngle = m_endAngle = 0.0;
    if (kind > KIND_3DFACE) {
        m_value42 = m_value43 = m_value44 = m_value45 = 0.0;
        m_has41 = m_has42 = m_has43 = m_has44 = false;
        m_int71 = m_int72 = m_int73 = m_int74 = 0;
        m_elevation = 0.0;
        m_blockName.clear();
        m_mtext.clear();
        m_vertices.clear();
        m_hatch.clear();
        m_spline.knots.clear();
        m_spline.weights.clear();
        m_spline.control.clear();
        m_spline.fit.clear();
        m_spline.startTangent = m_spline.endTangent = Double3{};
    } else {
        m_int72 = m_int73 = 0;
    }
    m_flags = 0;
    m_paper = m_embedded = m_secondPoint = m_defpoints = false;
}

void EntityReader::End(PrimitiveOutput& out) {
    Finish(out);
    if (m_polyline.open) {
        FinishPolyline(out);
    }
    m_kind = KIND_NONE;
}

void EntityReader::UseLayer(std::string_view value) {
    if (detail::SameBytes(value, m_context.layers.Written(m_layer))) {
        return;
    }
    int lost = 0;
    m_layer = m_context.layers.Number(value, m_context.text, lost);
    m_context.report.lostCharacters += static_cast<uint64_t>(lost);
}

void EntityReader::ReadTrueColour(std::string_view value) {
    const int rgb = ParseDxfInteger(value);
    if (rgb >= 0) {
        m_colour.rgb = rgb & 0xFFFFFF;
    }
}

void EntityReader::Read(int code, std::string_view value) {
    if (m_embedded) {
        return;
    }
    if (code == 8 && m_kind != KIND_POINT) {
        UseLayer(value);
        return;
    }
    switch (code) {
        case 8:
            if (m_kind == KIND_POINT) {
                // Dimensions mark their definition points on this layer; never drawn.
                m_defpoints = value.size() == 9 && (value[0] | 0x20) == 'd' &&
                              (value.substr(1) == "EFPOINTS" || value.substr(1) == "efpoints");
            } else {
                UseLayer(value);
            }
            return;
        case 62:
            m_colour.number = ParseDxfInteger(value);
            return;
        case 67:
            m_paper = ParseDxfInteger(value) == 1;
            return;
        case 101:
            m_embedded = true;
            return;
        default:
            break;
    }
    if (m_kind >= KIND_POLYLINE && m_kind != KIND_ATTRIB) {
        ReadExtended(code, value);
        return;
    }
    switch (code) {
        case 1: {
            int lost = 0;
            m_text = m_context.text.Text(value, lost);
            m_textLost = lost;
            break;
        }
        case 10:
        case 11:
        case 12:
        case 13:
            m_corner[code - 10].x = ParseDxfReal(value);
            m_secondPoint |= code == 11;
            break;
        case 20:
        case 21:
        case 22:
        case 23:
            m_corner[code - 20].y = ParseDxfReal(value);
            m_secondPoint |= code == 21;
            break;
        case 30:
        case 31:
        case 32:
        case 33:
            m_corner[code - 30].z = ParseDxfReal(value);
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
        case 70:
            m_flags = ParseDxfInteger(value);
            break;
        case 72:
            m_int72 = ParseDxfInteger(value);
            break;
        case 73:
            m_int73 = ParseDxfInteger(value);
            break;
        case 74:
            m_int74 = ParseDxfInteger(value);
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

// The groups of the kinds that hold lists (vertices, knots, boundaries) or more numbers.
void EntityReader::ReadExtended(int code, std::string_view value) {
    if (code == 210 || code == 220 || code == 230) {
        (code == 210 ? m_extrusion.x : code == 220 ? m_extrusion.y : m_extrusion.z) =
            ParseDxfReal(value);
        if (m_kind != KIND_HATCH) {
            return;
        }
    }
    switch (m_kind) {
        case KIND_LWPOLYLINE:
            switch (code) {
                case 10:
                    m_vertices.push_back(Vertex{{ParseDxfReal(value), 0.0, 0.0}});
                    break;
                case 20:
                    if (!m_vertices.empty()) {
                        m_vertices.back().p.y = ParseDxfReal(value);
                    }
                    break;
                case 42:
                    if (!m_vertices.empty()) {
                        m_vertices.back().bulge = ParseDxfReal(value);
                    }
                    break;
                case 38:
                    m_elevation = ParseDxfReal(value);
                    break;
                case 39:
                    m_thickness = ParseDxfReal(value);
                    break;
                case 70:
                    m_flags = ParseDxfInteger(value);
                    break;
                default:
                    break;
            }
            return;
        case KIND_LEADER:
            if (code == 10) {
                m_vertices.push_back(Vertex{{ParseDxfReal(value), 0.0, 0.0}});
            } else if (!m_vertices.empty()) {
                (code == 20 ? m_vertices.back().p.y : m_vertices.back().p.z) = ParseDxfReal(value);
            }
            return;
        case KIND_SPLINE: {
            const int point = code / 10;  // 1 control, 2 fit, 3 or 4 a tangent
            const int axis = code % 10;
            if (code == 40) {
                m_spline.knots.push_back(ParseDxfReal(value));
            } else if (code == 41) {
                m_spline.weights.push_back(ParseDxfReal(value));
            } else if (code == 70) {
                m_flags = ParseDxfInteger(value);
            } else if (code == 71) {
                m_int71 = ParseDxfInteger(value);
            } else if (axis >= 0 && axis <= 3 && point >= 1 && point <= 3) {
                std::vector<Double3>* list =
                    axis == 0 ? &m_spline.control : axis == 1 ? &m_spline.fit : nullptr;
                const double v = ParseDxfReal(value);
                if (list != nullptr) {
                    if (point == 1) {
                        list->push_back({v, 0.0, 0.0});
                    } else if (!list->empty()) {
                        (point == 2 ? list->back().y : list->back().z) = v;
                    }
                } else {
                    Double3& t = axis == 2 ? m_spline.startTangent : m_spline.endTangent;
                    (point == 1 ? t.x : point == 2 ? t.y : t.z) = v;
                }
            }
            return;
        }
        case KIND_HATCH:
            m_hatch.emplace_back(code, ParseDxfReal(value));
            return;
        case KIND_MTEXT:
            if (code == 1 || code == 3) {
                // The text comes in pieces of 250 bytes; kept within reason.
                if (m_mtext.size() < (size_t{1} << 20)) {
                    m_mtext.append(value);
                }
                return;
            }
            break;
        case KIND_INSERT:
        case KIND_DIMENSION:
            if (code == 2) {
                m_blockName.assign(value);
                return;
            }
            break;
        default:
            break;
    }
    // Single values: points and numbers.
    switch (code) {
        case 10:
        case 11:
        case 12:
            m_corner[code - 10].x = ParseDxfReal(value);
            m_secondPoint |= code == 11 || code == 12;
            break;
        case 20:
        case 21:
        case 22:
            m_corner[code - 20].y = ParseDxfReal(value);
            break;
        case 30:
        case 31:
        case 32:
            m_corner[code - 30].z = ParseDxfReal(value);
            break;
        case 39:
            m_thickness = ParseDxfReal(value);
            break;
        case 40:
            m_size = ParseDxfReal(value);
            break;
        case 41:
            m_widthFactor = ParseDxfReal(value);
            m_has41 = true;
            break;
        case 42:
            m_value42 = ParseDxfReal(value);
            m_has42 = true;
            break;
        case 43:
            m_value43 = ParseDxfReal(value);
            m_has43 = true;
            break;
        case 44:
            m_value44 = ParseDxfReal(value);
            m_has44 = true;
            break;
        case 45:
            m_value45 = ParseDxfReal(value);
            break;
        case 50:
            m_startAngle = ParseDxfReal(value);
            break;
        case 70:
            m_flags = ParseDxfInteger(value);
            break;
        case 71:
            m_int71 = ParseDxfInteger(value);
            break;
        case 72:
            m_int72 = ParseDxfInteger(value);
            break;
        case 73:
            m_int73 = ParseDxfInteger(value);
            break;
        case 74:
            m_int74 = ParseDxfInteger(value);
            break;
        default:
            break;
    }
}

// ---- primitives ----

Primitive& EntityReader::Start(PrimitiveKind kind) {
    // Each kind sets the points and values it uses; the rest are left as they were.
    m_item.kind = kind;
    m_item.oneUnitRule = m_item.fullCircle = m_item.upright = false;
    m_item.text = nullptr;
    m_item.lost = 0;
    m_item.layer = m_layer;
    m_item.colour = m_colour;
    return m_item;
}

void EntityReader::AddLine(PrimitiveOutput& out, const Double3& a, const Double3& b,
                           const Double3& rise, bool oneUnitRule) {
    Primitive& item = Start(PrimitiveKind::Line);
    item.p[0] = a;
    item.p[1] = b;
    item.p[2] = rise;
    item.oneUnitRule = oneUnitRule;
    out.Add(item);
}

void EntityReader::AddArc(PrimitiveOutput& out, const Affine& ocs, const Double3& centre,
                          double radius, double start, double end, bool full) {
    const bool upright = IsUpright(ocs);
    if (upright && out.AddUprightArc(m_layer, m_colour, centre, radius, start, end, full)) {
        return;
    }
    Primitive& item = Start(PrimitiveKind::Arc);
    item.p[0] = ocs.Apply(centre);
    item.p[1] = radius * ocs.X;
    item.p[2] = radius * ocs.Y;
    item.values[0] = start;
    item.values[1] = end;
    item.values[2] = radius;
    item.fullCircle = full;
    item.upright = upright;
    out.Add(item);
}

void EntityReader::AddText(PrimitiveOutput& out, const Affine& ocs, const Double3& point,
                           double height, double width, double angle, const std::string& text,
                           int lost) {
    Primitive& item = Start(PrimitiveKind::Text);
    const double radians = angle * kRadiansPerDegree;
    const Double3 along = ocs.Direction({std::cos(radians), std::sin(radians), 0.0});
    const Double3 up = ocs.Direction({-std::sin(radians), std::cos(radians), 0.0});
    item.p[0] = ocs.Apply(point);
    item.p[1] = width * along;
    item.p[2] = height * up;
    item.values[0] = height;
    item.values[1] = width;
    item.values[2] = angle;
    item.upright = IsUpright(ocs);
    item.text = &text;
    item.lost = lost;
    out.Add(item);
}

void EntityReader::AddFace(PrimitiveOutput& out, const Double3& a, const Double3& b,
                           const Double3& c, const Double3& d, bool oneUnitRule) {
    Primitive& item = Start(PrimitiveKind::Face);
    item.p[0] = a;
    item.p[1] = b;
    item.p[2] = c;
    item.p[3] = d;
    item.oneUnitRule = oneUnitRule;
    out.Add(item);
}

void EntityReader::AddPoints(PrimitiveOutput& out, const std::vector<Double3>& points) {
    if (points.size() > 2) {
        m_context.budget.Spend(points.size() - 2, true);
    }
    for (size_t i = 1; i < points.size(); ++i) {
        AddLine(out, points[i - 1], points[i], Double3{}, false);
    }
}

void EntityReader::AddPolyline(PrimitiveOutput& out, const std::vector<Vertex>& vertices,
                               bool closed, double elevation, double thickness,
                               const Affine& ocs) {
    const size_t n = vertices.size();
    if (n < 2) {
        return;
    }
    const size_t segments = closed ? n : n - 1;
    const Double3 rise = thickness != 0.0 ? thickness * ocs.Z : Double3{};
    for (size_t i = 0; i < segments; ++i) {
        const Vertex& a = vertices[i];
        const Vertex& b = vertices[(i + 1) % n];
        const Double3 pa{a.p.x, a.p.y, elevation};
        const Double3 pb{b.p.x, b.p.y, elevation};
        const BulgeArc arc = ArcFromBulge(pa, pb, a.bulge);
        if (arc.straight) {
            AddLine(out, ocs.Apply(pa), ocs.Apply(pb), rise, false);
        } else {
            AddArc(out, ocs, arc.centre, arc.radius, arc.start, arc.end, false);
        }
    }
}

void EntityReader::Unsupported(PrimitiveOutput& out) {
    Primitive& item = Start(PrimitiveKind::Unsupported);
    switch (m_kind) {
        case KIND_POINT:
            item.text = &kPointName;
            break;
        case KIND_POLYLINE:
        case KIND_VERTEX:
        case KIND_SEQEND:
            item.text = &kPolylineName;
            break;
        case KIND_ELLIPSE:
            item.text = &kEllipseName;
            break;
        case KIND_SPLINE:
            item.text = &kSplineName;
            break;
        case KIND_DIMENSION:
            item.text = &kDimensionName;
            break;
        case KIND_HATCH:
            item.text = &kHatchName;
            break;
        default:
            item.text = &m_name;
            break;
    }
    out.Add(item);
}

// ---- finishing an entity ----

void EntityReader::Finish(PrimitiveOutput& out) {
    if (m_paper && m_kind != KIND_VERTEX && m_kind != KIND_SEQEND) {
        if (m_kind == KIND_POLYLINE) {
            m_polyline = OpenPolyline{};
            m_polyline.open = true;
            m_polyline.paper = true;
        }
        return;
    }
    switch (m_kind) {
        case KIND_LINE:
            FinishLine(out);
            break;
        case KIND_CIRCLE:
            AddArc(out, OcsToWorld(m_extrusion), m_corner[0], m_size, 0.0, 360.0, true);
            break;
        case KIND_ARC: {
            const double end = m_startAngle > m_endAngle ? m_endAngle + 360.0 : m_endAngle;
            AddArc(out, OcsToWorld(m_extrusion), m_corner[0], m_size, m_startAngle, end, false);
            break;
        }
        case KIND_TEXT:
        case KIND_ATTRIB:
            FinishText(out);
            break;
        case KIND_SOLID:
            FinishSolid(out);
            break;
        case KIND_3DFACE:
            FinishFace(out);
            break;
        case KIND_POLYLINE:
            m_polyline.open = true;
            m_polyline.paper = false;
            m_polyline.layer = m_layer;
            m_polyline.colour = m_colour;
            m_polyline.flags = m_flags;
            m_polyline.rows = m_int71;
            m_polyline.columns = m_int72;
            m_polyline.elevation = m_corner[0].z;
            m_polyline.thickness = m_thickness;
            m_polyline.extrusion = m_extrusion;
            m_polyline.vertices.clear();
            break;
        case KIND_VERTEX:
            if (m_polyline.open) {
                Vertex v;
                v.p = m_corner[0];
                v.bulge = m_value42;
                v.flags = m_flags;
                v.index[0] = m_int71;
                v.index[1] = m_int72;
                v.index[2] = m_int73;
                v.index[3] = m_int74;
                m_polyline.vertices.push_back(v);
            }
            break;
        case KIND_SEQEND:
            if (m_polyline.open) {
                FinishPolyline(out);
            }
            break;
        case KIND_LWPOLYLINE:
            AddPolyline(out, m_vertices, (m_flags & 1) != 0, m_elevation, m_thickness,
                        OcsToWorld(m_extrusion));
            break;
        case KIND_INSERT:
            FinishInsert(out);
            break;
        case KIND_MTEXT:
            FinishMText(out);
            break;
        case KIND_ELLIPSE:
            FinishEllipse(out);
            break;
        case KIND_SPLINE:
            FinishSpline(out);
            break;
        case KIND_DIMENSION:
            FinishDimension(out);
            break;
        case KIND_LEADER:
            FinishLeader(out);
            break;
        case KIND_HATCH:
            FinishHatch(out);
            break;
        case KIND_POINT:
            if (!m_defpoints) {
                Unsupported(out);
            }
            break;
        case KIND_OTHER:
            Unsupported(out);
            break;
        default:
            break;
    }
    m_kind = KIND_NONE;
}

void EntityReader::FinishLine(PrimitiveOutput& out) {
    if (m_thickness == 0.0 && out.AddPlainLine(m_layer, m_colour, m_corner[0], m_corner[1])) {
        return;
    }
    Double3 rise;
    if (m_thickness != 0.0) {
        Double3 e = m_extrusion;
        if (e.x == 0.0 && e.y == 0.0 && e.z == 0.0) {
            e = Double3{0.0, 0.0, 1.0};
        }
        rise = m_thickness * e;
    }
    AddLine(out, m_corner[0], m_corner[1], rise, true);
}

// A TEXT or ATTRIB: placed by its alignment point through the stroke font's own
// measure of the text (its length in widths), as the file's program places it by its
// font.
void EntityReader::FinishText(PrimitiveOutput& out) {
    const bool attribute = m_kind == KIND_ATTRIB;
    if (attribute && (m_flags & 1) != 0) {
        return;  // an invisible attribute
    }
    double height = m_size;
    double width = m_widthFactor != 0.0 ? m_widthFactor * m_size : m_size;
    double angle = m_startAngle;
    const int horizontal = m_int72;
    const int vertical = attribute ? m_int74 : m_int73;
    Double3 point = m_corner[0];
    if (horizontal != 0 || vertical != 0) {
        const Double3 align = m_secondPoint ? m_corner[1] : m_corner[0];
        const double units = TextAdvanceUnits(m_text);
        if (horizontal == 3 || horizontal == 5) {
            // Aligned and fit: the text runs from the first point to the second; aligned
            // keeps its proportions, fit its height.
            const double dx = align.x - m_corner[0].x;
            const double dy = align.y - m_corner[0].y;
            const double length = std::sqrt(dx * dx + dy * dy);
            if (length > 0.0 && units > 0.0) {
                angle = std::atan2(dy, dx) * kDegreesPerRadian;
                const double fitted = length / units;
                if (horizontal == 3 && width != 0.0) {
                    height *= fitted / width;
                }
                width = fitted;
            }
        } else {
            const double along =
                (horizontal == 1 || horizontal == 4 ? 0.5 : horizontal == 2 ? 1.0 : 0.0) *
                units * width;
            const double up = horizontal == 4 || vertical == 2 ? 0.5 * height
                              : vertical == 3                  ? height
                                                               : 0.0;
            const double radians = angle * kRadiansPerDegree;
            const double c = std::cos(radians);
            const double s = std::sin(radians);
            point = {align.x - along * c + up * s, align.y - along * s - up * c, align.z};
        }
    }
    AddText(out, OcsToWorld(m_extrusion), point, height, width, angle, m_text, m_textLost);
}

void EntityReader::FinishSolid(PrimitiveOutput& out) {
    // The arbitrary-axis rule gives the entity's own x axis A and y axis B, with the
    // extrusion as it is written (not made a unit vector).
    const Double3 n = m_extrusion;
    Double3 a = std::fabs(n.x) < 0.015625 && std::fabs(n.y) < 0.015625 ? Double3{n.z, 0.0, -n.x}
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
    AddFace(out, c[0], c[1], c[3], c[2], true);
}

void EntityReader::FinishFace(PrimitiveOutput& out) {
    AddFace(out, m_corner[0], m_corner[1], m_corner[2], m_corner[3], true);
}

void EntityReader::FinishPolyline(PrimitiveOutput& out) {
    OpenPolyline& pl = m_polyline;
    pl.open = false;
    if (pl.paper) {
        pl.vertices.clear();
        return;
    }
    // The shapes go on the polyline's own layer, in its colour.
    const uint32_t layer = m_layer;
    const ColourSpec colour = m_colour;
    const EntityKind kind = m_kind;
    m_layer = pl.layer;
    m_colour = pl.colour;
    m_kind = KIND_POLYLINE;
    const std::vector<Vertex>& v = pl.vertices;
    if ((pl.flags & 64) != 0) {
        // A polyface mesh: the vertices, then faces naming them (1-based; a negative
        // number hides the edge after it, which a face shape has no way to show).
        std::vector<Double3> points;
        for (const Vertex& vertex : v) {
            if ((vertex.flags & 64) != 0) {
                points.push_back(vertex.p);
            }
        }
        for (const Vertex& vertex : v) {
            if ((vertex.flags & 64) != 0 || (vertex.flags & 128) == 0) {
                continue;
            }
            Double3 corner[4];
            int count = 0;
            for (const int index : vertex.index) {
                const long i = std::labs(static_cast<long>(index));
                if (i >= 1 && static_cast<size_t>(i) <= points.size()) {
                    corner[count++] = points[static_cast<size_t>(i - 1)];
                }
            }
            if (count >= 3) {
                AddFace(out, corner[0], corner[1], corner[2], count == 4 ? corner[3] : corner[2],
                        false);
            }
        }
    } else if ((pl.flags & 16) != 0) {
        // A polygon mesh of rows x columns vertices, row after row.
        const long rows = pl.rows;
        const long columns = pl.columns;
        if (rows >= 1 && columns >= 1 && rows <= static_cast<long>(v.size()) &&
            static_cast<unsigned long>(rows) * static_cast<unsigned long>(columns) <= v.size()) {
            const bool closedRows = (pl.flags & 1) != 0;
            const bool closedColumns = (pl.flags & 32) != 0;
            const long lastRow = closedRows ? rows : rows - 1;
            const long lastColumn = closedColumns ? columns : columns - 1;
            auto at = [&](long r, long c) -> const Double3& {
                return v[static_cast<size_t>((r % rows) * columns + (c % columns))].p;
            };
            for (long r = 0; r < lastRow; ++r) {
                for (long c = 0; c < lastColumn; ++c) {
                    AddFace(out, at(r, c), at(r, c + 1), at(r + 1, c + 1), at(r + 1, c), false);
                }
            }
        } else {
            Unsupported(out);
        }
    } else {
        // Spline frame points (16) only steer a fitted curve; its own points are drawn.
        std::vector<Vertex> drawn;
        for (const Vertex& vertex : v) {
            if ((vertex.flags & 16) == 0) {
                drawn.push_back(vertex);
            }
        }
        const bool closed = (pl.flags & 1) != 0;
        if ((pl.flags & 8) != 0) {
            // A 3-D polyline: lines with their heights.
            for (size_t i = 0; drawn.size() >= 2 && i < (closed ? drawn.size() : drawn.size() - 1);
                 ++i) {
                AddLine(out, drawn[i].p, drawn[(i + 1) % drawn.size()].p, Double3{}, false);
            }
        } else {
            AddPolyline(out, drawn, closed, pl.elevation, pl.thickness, OcsToWorld(pl.extrusion));
        }
    }
    pl.vertices.clear();
    m_layer = layer;
    m_colour = colour;
    m_kind = kind;
}

void EntityReader::FinishInsert(PrimitiveOutput& out) {
    const Affine ocs = OcsToWorld(m_extrusion);
    const double sx = m_has41 ? m_widthFactor : 1.0;
    const double sy = m_has42 ? m_value42 : 1.0;
    const double sz = m_has43 ? m_value43 : 1.0;
    const double radians = m_startAngle * (kPi / 180.0);
    const Double3 along = ocs.Direction({std::cos(radians), std::sin(radians), 0.0});
    const Double3 across = ocs.Direction({-std::sin(radians), std::cos(radians), 0.0});
    Primitive& item = Start(PrimitiveKind::Insert);
    item.p[0] = sx * along;
    item.p[1] = sy * across;
    item.p[2] = sz * ocs.Z;
    item.p[3] = ocs.Apply(m_corner[0]);
    item.columns = std::max(1, m_flags);
    item.rows = std::max(1, m_int71);
    item.columnStep = m_value44 * along;
    item.rowStep = m_value45 * across;
    item.text = &m_blockName;
    out.Add(item);
}

// An MTEXT: one text per line, the lines spaced 1.2 heights apart (times the file's
// line spacing factor), as the drawing's own multi-line texts are, the whole placed by
// its attachment point.
void EntityReader::FinishMText(PrimitiveOutput& out) {
    int lost = 0;
    const std::vector<std::string> lines = m_context.text.MTextLines(m_mtext, lost);
    const Affine ocs = OcsToWorld(m_extrusion);
    double angle = m_startAngle;
    if (m_secondPoint && Length(m_corner[1]) > 0.0) {
        const Double3 direction = ToOcs(ocs, m_corner[1]);
        if (direction.x != 0.0 || direction.y != 0.0) {
            angle = std::atan2(direction.y, direction.x) * kDegreesPerRadian;
        }
    }
    const double height = m_size;
    const double factor = m_has44 && m_value44 > 0.0 && m_value44 <= 100.0 ? m_value44 : 1.0;
    const double spacing = 1.2 * height * factor;
    const int attachment = m_int71 >= 1 && m_int71 <= 9 ? m_int71 : 1;
    const int column = (attachment - 1) % 3;  // left, centre, right
    const int row = (attachment - 1) / 3;     // top, middle, bottom
    const double n = static_cast<double>(lines.size());
    const double block = height + (n - 1.0) * spacing;
    const Double3 origin = ToOcs(ocs, m_corner[0]);
    const double radians = angle * kRadiansPerDegree;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty()) {
            continue;
        }
        const double k = static_cast<double>(i);
        const double y = row == 0   ? -height - k * spacing
                         : row == 1 ? 0.5 * block - height - k * spacing
                                    : (n - 1.0 - k) * spacing;
        const double length = TextAdvanceUnits(lines[i]) * height;
        const double x = column == 0 ? 0.0 : column == 1 ? -0.5 * length : -length;
        const Double3 point{origin.x + x * c - y * s, origin.y + x * s + y * c, origin.z};
        AddText(out, ocs, point, height, height, angle, lines[i], lost);
        lost = 0;  // counted once, with the first line
    }
    m_context.report.lostCharacters += static_cast<uint64_t>(lost);
}

void EntityReader::FinishEllipse(PrimitiveOutput& out) {
    const double ratio = m_size;
    const Double3 major = m_corner[1];
    if (!(ratio > 0.0) || Length(major) == 0.0) {
        Unsupported(out);
        return;
    }
    Double3 normal = m_extrusion;
    const double length = Length(normal);
    normal = length > 0.0 ? (1.0 / length) * normal : Double3{0.0, 0.0, 1.0};
    double start = (m_has41 ? m_widthFactor : 0.0) * (180.0 / kPi);
    double end = (m_has42 ? m_value42 : 2.0 * kPi) * (180.0 / kPi);
    if (!(std::fabs(start) < 1e9) || !(std::fabs(end) < 1e9)) {
        Unsupported(out);
        return;
    }
    start = std::fmod(start, 360.0);
    end = std::fmod(end, 360.0);
    if (start < 0.0) {
        start += 360.0;
    }
    while (end <= start) {
        end += 360.0;
    }
    Primitive& item = Start(PrimitiveKind::Arc);
    item.p[0] = m_corner[0];
    item.p[1] = major;
    item.p[2] = ratio * Cross(normal, major);
    item.values[0] = start;
    item.values[1] = end;
    item.fullCircle = end - start >= 360.0 - 1e-9;
    out.Add(item);
}

void EntityReader::FinishSpline(PrimitiveOutput& out) {
    m_spline.degree = m_int71;
    std::vector<Double3> points;
    if (!FlattenSpline(m_spline, SplineTolerance(m_spline, m_context.unitScale), points)) {
        Unsupported(out);
        return;
    }
    AddPoints(out, points);
}

void EntityReader::FinishDimension(PrimitiveOutput& out) {
    if (m_blockName.empty()) {
        Unsupported(out);  // no picture of itself to show
        return;
    }
    // The dimension's picture is a block in world coordinates, moved by the
    // dimension's insertion point when it has one.
    Primitive& item = Start(PrimitiveKind::Insert);
    item.p[0] = {1.0, 0.0, 0.0};
    item.p[1] = {0.0, 1.0, 0.0};
    item.p[2] = {0.0, 0.0, 1.0};
    item.p[3] = m_secondPoint ? OcsToWorld(m_extrusion).Apply(m_corner[2]) : Double3{};
    item.text = &m_blockName;
    out.Add(item);
}

void EntityReader::FinishLeader(PrimitiveOutput& out) {
    for (size_t i = 1; i < m_vertices.size(); ++i) {
        AddLine(out, m_vertices[i - 1].p, m_vertices[i].p, Double3{}, false);
    }
}

// A HATCH: the lines and arcs of its boundary paths. Its numbers were kept in order;
// they are read here as the paths lay them out, and reading stops at the first that
// does not fit. The fill's pattern lines are not drawn.
void EntityReader::FinishHatch(PrimitiveOutput& out) {
    const std::vector<std::pair<int, double>>& b = m_hatch;
    size_t i = 0;
    double elevation = 0.0;
    bool haveElevation = false;
    while (i < b.size() && b[i].first != 91) {
        if (b[i].first == 30 && !haveElevation) {
            elevation = b[i].second;
            haveElevation = true;
        }
        ++i;
    }
    if (i == b.size()) {
        Unsupported(out);
        return;
    }
    const auto take = [&](int code, double& value) {
        if (i < b.size() && b[i].first == code) {
            value = b[i++].second;
            return true;
        }
        return false;
    };
    const auto count = [](double value) {
        return value > 0.0 && value < 1e9 ? static_cast<size_t>(value) : size_t{0};
    };
    // A flag or a kind written as a number; one beyond any meaning reads as none.
    const auto whole = [](double value) {
        return value > -1e9 && value < 1e9 ? static_cast<long>(value) : 0L;
    };
    const Affine ocs = OcsToWorld(m_extrusion);
    const auto at = [&](double x, double y) { return Double3{x, y, elevation}; };
    double value = 0.0;
    const size_t paths = count(b[i++].second);
    for (size_t path = 0; path < paths; ++path) {
        double flags = 0.0;
        if (!take(92, flags)) {
            break;
        }
        if ((whole(flags) & 2) != 0) {
            double hasBulge = 0.0, closed = 0.0, n = 0.0;
            take(72, hasBulge);
            take(73, closed);
            take(93, n);
            std::vector<Vertex> vertices;
            for (size_t k = 0; k < count(n) && i < b.size() && b[i].first == 10; ++k) {
                Vertex v;
                v.p.x = b[i++].second;
                take(20, v.p.y);
                if (hasBulge != 0.0) {
                    take(42, v.bulge);
                }
                vertices.push_back(v);
            }
            AddPolyline(out, vertices, true, elevation, 0.0, ocs);
        } else {
            double n = 0.0;
            take(93, n);
            for (size_t edge = 0; edge < count(n) && i < b.size() && b[i].first == 72; ++edge) {
                const long type = whole(b[i++].second);
                double x0 = 0, y0 = 0, x1 = 0, y1 = 0, r = 0, s = 0, e = 0, ccw = 1;
                if (type == 1) {
                    take(10, x0);
                    take(20, y0);
                    take(11, x1);
                    take(21, y1);
                    AddLine(out, ocs.Apply(at(x0, y0)), ocs.Apply(at(x1, y1)), Double3{}, false);
                } else if (type == 2 || type == 3) {
                    take(10, x0);
                    take(20, y0);
                    if (type == 3) {
                        take(11, x1);
                        take(21, y1);
                    }
                    take(40, r);
                    take(50, s);
                    take(51, e);
                    take(73, ccw);
                    // A clockwise edge keeps its angles as 360 minus them, swapped.
                    if (ccw == 0.0) {
                        const double start = 360.0 - e;
                        e = 360.0 - s;
                        s = start;
                    }
                    if (!(std::fabs(s) < 1e9) || !(std::fabs(e) < 1e9)) {
                        break;
                    }
                    while (e < s) {
                        e += 360.0;
                    }
                    const bool full = e - s >= 360.0;
                    if (full) {
                        e = s + 360.0;
                    }
                    if (type == 2) {
                        AddArc(out, ocs, at(x0, y0), r, s, e, full);
                    } else {
                        Primitive& item = Start(PrimitiveKind::Arc);
                        item.p[0] = ocs.Apply(at(x0, y0));
                        item.p[1] = ocs.Direction({x1, y1, 0.0});
                        item.p[2] = ocs.Direction({-r * y1, r * x1, 0.0});
                        item.values[0] = s;
                        item.values[1] = e;
                        item.fullCircle = full;
                        out.Add(item);
                    }
                } else if (type == 4) {
                    SplineData spline;
                    double degree = 0, rational = 0, periodic = 0, knots = 0, controls = 0;
                    take(94, degree);
                    take(73, rational);
                    take(74, periodic);
                    take(95, knots);
                    take(96, controls);
                    spline.degree = static_cast<int>(std::clamp(degree, 0.0, 99.0));
                    for (size_t k = 0; k < count(knots) && take(40, value); ++k) {
                        spline.knots.push_back(value);
                    }
                    for (size_t k = 0; k < count(controls) && take(10, x0); ++k) {
                        take(20, y0);
                        spline.control.push_back(at(x0, y0));
                        if (take(42, value)) {
                            spline.weights.push_back(value);
                        }
                    }
                    double fits = 0.0;
                    if (take(97, fits)) {
                        for (size_t k = 0; k < count(fits) && take(11, x0); ++k) {
                            take(21, y0);
                            spline.fit.push_back(at(x0, y0));
                        }
                    }
                    if (take(12, x0)) {
                        take(22, y0);
                        spline.startTangent = {x0, y0, 0.0};
                    }
                    if (take(13, x0)) {
                        take(23, y0);
                        spline.endTangent = {x0, y0, 0.0};
                    }
                    std::vector<Double3> points;
                    if (FlattenSpline(spline, SplineTolerance(spline, m_context.unitScale),
                                      points)) {
                        for (Double3& p : points) {
                            p = ocs.Apply(p);
                        }
                        AddPoints(out, points);
                    }
                } else {
                    break;
                }
            }
        }
        // The boundary objects the path came from (their handles are not kept).
        take(97, value);
    }
}

}  // namespace marquetta::dxf
