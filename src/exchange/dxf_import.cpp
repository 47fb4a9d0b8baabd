#include "exchange/dxf_import.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <numbers>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "exchange/dxf_blocks.h"
#include "exchange/dxf_curves.h"
#include "exchange/dxf_entities.h"
#include "exchange/dxf_text.h"
#include "model/binary_file.h"
#include "model/layers.h"
#include "text/text_layout.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

using dxf::Affine;
using dxf::ColourSpec;
using dxf::Placement;
using dxf::Primitive;
using dxf::PrimitiveKind;
using dxf::operator+;
using dxf::operator-;
using dxf::operator*;

// DXF has z up; the drawing has y up and its plan's "up" is -z.
Float3 ToDrawing(const Double3& p) {
    return {static_cast<float>(p.x), static_cast<float>(p.z), static_cast<float>(-p.y)};
}
Float3 ToFloat(const Double3& p) {
    return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
}

bool Fits(double v) {
    return std::fabs(v) <= std::numeric_limits<float>::max();
}
bool Fits(const Double3& p) {
    return Fits(p.x) && Fits(p.y) && Fits(p.z);
}
// Within half a float's range: the difference of two such values fits a float.
bool FitsHalf(double v) {
    return std::fabs(v) <= 0.5 * std::numeric_limits<float>::max();
}

// A colour number as a shape's plain colour: the few colours the drawing has always
// given its imported shapes.
std::array<float, 3> PlainColour(int colour) {
    static constexpr std::array<float, 3> kPlain[8] = {
        {1, 1, 1}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1},
    };
    return colour >= 0 && colour < 8 ? kPlain[colour] : std::array<float, 3>{0, 1, 1};
}

// The colour a number stands for in the standard palette of DXF colour numbers, as
// 0xRRGGBB: the first nine by name, 10 to 249 as 24 hues of ten shades each (full and
// pale at five brightnesses), 250 to 255 greys.
int32_t PaletteColour(int number) {
    static constexpr int32_t kFirst[10] = {0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF,
                                           0x0000FF, 0xFF00FF, 0xFFFFFF, 0x808080, 0xC0C0C0};
    static constexpr int32_t kGreys[6] = {0x333333, 0x505050, 0x696969,
                                          0x828282, 0xBEBEBE, 0xFFFFFF};
    if (number < 0) {
        number = -number;  // a layer switched off keeps its colour
    }
    if (number >= 1 && number <= 9) {
        return kFirst[number];
    }
    if (number >= 250 && number <= 255) {
        return kGreys[number - 250];
    }
    if (number < 10 || number > 249) {
        return 0xFFFFFF;
    }
    const int hue = (number - 10) / 10;  // 15 degrees each
    const int shade = number % 10;
    const double degrees = hue * 15.0;
    const int sector = static_cast<int>(degrees / 60.0);
    const double f = (degrees - sector * 60.0) / 60.0;
    const double rising = 255.0 * f;
    const double falling = 255.0 * (1.0 - f);
    double rgb[3];
    switch (sector) {
        case 0: rgb[0] = 255, rgb[1] = rising, rgb[2] = 0; break;
        case 1: rgb[0] = falling, rgb[1] = 255, rgb[2] = 0; break;
        case 2: rgb[0] = 0, rgb[1] = 255, rgb[2] = rising; break;
        case 3: rgb[0] = 0, rgb[1] = falling, rgb[2] = 255; break;
        case 4: rgb[0] = rising, rgb[1] = 0, rgb[2] = 255; break;
        default: rgb[0] = 255, rgb[1] = 0, rgb[2] = falling; break;
    }
    static constexpr double kBrightness[5] = {1.0, 165.0 / 255.0, 127.0 / 255.0, 76.0 / 255.0,
                                              38.0 / 255.0};
    int32_t packed = 0;
    for (double c : rgb) {
        int channel = static_cast<int>(std::floor(c));
        if (shade % 2 == 1) {
            channel = (channel + 255) / 2;  // the pale shade
        }
        channel = static_cast<int>(std::lround(channel * kBrightness[shade / 2]));
        packed = packed * 256 + std::clamp(channel, 0, 255);
    }
    return packed;
}

// A layer of the file's LAYER table.
struct LayerRecord {
    ColourSpec colour{7, -1};
    bool visible = true;
};

using dxf::Upper;

// Millimetres per unit of $INSUNITS; 0 for a code not known (taken as millimetres).
double MillimetresPerUnit(int code) {
    static constexpr double kUnits[] = {
        1.0,         25.4,        304.8,     1609344.0,   1.0,     10.0,   1000.0, 1e6,
        25.4e-6,     0.0254,      914.4,     1e-7,        1e-6,    1e-3,   100.0,  1e4,
        1e5,         1e12,        1.495978707e14, 9.4607304725808e18, 3.0856775814913673e19,
        1200000.0 / 3937.0,  // US survey foot
        100000.0 / 3937.0,   // US survey inch
        3600000.0 / 3937.0,  // US survey yard
        6336000000.0 / 3937.0,  // US survey mile
    };
    if (code < 0 || code >= static_cast<int>(std::size(kUnits))) {
        return 1.0;
    }
    return kUnits[code];
}

const char* UnitName(int code) {
    static constexpr const char* kNames[] = {
        "",       "インチ",     "フィート",   "マイル",     "mm",          "cm",
        "m",      "km",         "マイクロインチ", "ミル",   "ヤード",      "オングストローム",
        "nm",     "µm",         "dm",         "dam",        "hm",          "Gm",
        "天文単位", "光年",     "パーセク",   "US フィート", "US インチ",  "US ヤード",
        "US マイル",
    };
    if (code < 0 || code >= static_cast<int>(std::size(kNames))) {
        return "";
    }
    return kNames[code];
}

class ModelSpace;

// Makes the shapes of primitives: in the document's template, on their layers, in
// their colours, at points relative to the origin of the import.
class ShapeMaker final : public dxf::PrimitiveSink {
    friend class ModelSpace;

  public:
    ShapeMaker(CZorader_ezDoc& doc, DxfReadSummary& summary, dxf::ImportReport& report,
               const dxf::LayerNames& layers, bool nearFirstPoint)
        : m_doc(doc), m_summary(summary), m_report(report), m_layers(layers),
          m_nearFirstPoint(nearFirstPoint) {}

    void SetLayerRecords(std::unordered_map<std::string, LayerRecord> records) {
        m_records = std::move(records);
        m_upperRecords.clear();
        m_recordOf.clear();
        m_found.clear();
        for (const auto& [name, record] : m_records) {
            m_upperRecords.emplace(Upper(name), record);
        }
    }

    size_t Emit(const Primitive& item, const Placement& at) override {
        switch (item.kind) {
            case PrimitiveKind::Line:
                return EmitLine(item, at);
            case PrimitiveKind::Arc:
                return EmitArc(item, at);
            case PrimitiveKind::Face:
                return EmitFace(item, at);
            case PrimitiveKind::Text:
                return EmitText(item, at);
            default:
                return 0;
        }
    }

  private:
    // ---- layers and colours ----

    const LayerRecord* RecordOf(uint32_t layer) {
        if (layer >= m_recordOf.size()) {
            m_recordOf.resize(m_layers.Size(), kNotLookedUp);
        }
        int32_t& slot = m_recordOf[layer];
        if (slot == kNotLookedUp) {
            // Layer names are compared exactly, then in any letter case as CAD
            // programs do.
            const std::string& name = m_layers.Name(layer);
            auto found = m_records.find(name);
            if (found == m_records.end()) {
                found = m_upperRecords.find(Upper(name));
                if (found == m_upperRecords.end()) {
                    slot = kNoRecord;
                    return nullptr;
                }
            }
            slot = static_cast<int32_t>(m_found.size());
            m_found.push_back(found->second);
        }
        return slot >= 0 ? &m_found[static_cast<size_t>(slot)] : nullptr;
    }

    static int32_t RgbOf(const ColourSpec& colour) {
        return colour.rgb >= 0 ? colour.rgb : PaletteColour(colour.number);
    }

    // The layer and colour of a primitive where it is placed.
    void Resolve(uint32_t itemLayer, const ColourSpec& itemColour, const Placement& at,
                 uint32_t& layer, std::array<float, 3>& rgb) {
        layer = at.inBlock && itemLayer == 0 ? at.layer : itemLayer;
        ColourSpec colour = itemColour;
        uint32_t colourLayer = layer;
        if (colour.rgb < 0 && colour.number == 0 && at.inBlock) {
            colour = at.colour;
            colourLayer = at.colourLayer;
        }
        if (colour.rgb < 0 && colour.number == 256) {
            const LayerRecord* record = RecordOf(colourLayer);
            colour = record != nullptr ? record->colour : ColourSpec{7, -1};
        }
        if (colour.rgb >= 0) {
            rgb = {static_cast<float>((colour.rgb >> 16) & 255) / 255.0f,
                   static_cast<float>((colour.rgb >> 8) & 255) / 255.0f,
                   static_cast<float>(colour.rgb & 255) / 255.0f};
        } else {
            rgb = PlainColour(colour.number);
        }
    }

    // ---- points ----

    // Shapes are made relative to a point on the grid near the first one.
    void SetOrigin(const Double3& p) {
        const double pitch = g_gridPitch;
        const bool grid = pitch > 0.0 && std::isfinite(pitch);
        m_originX = grid ? std::round(p.x / pitch) * pitch : p.x;
        m_originY = grid ? std::round(p.y / pitch) * pitch : p.y;
        if (!Fits(m_originX) || !Fits(m_originY)) {
            m_originX = m_originY = 0.0;
        }
        m_originHalf = FitsHalf(m_originX) && FitsHalf(m_originY);
        m_summary.originX = m_originX;
        m_summary.originY = m_originY;
        m_originSet = true;
    }

    void AddExtents(const Double3& p) {
        m_summary.minX = std::min(m_summary.minX, p.x);
        m_summary.maxX = std::max(m_summary.maxX, p.x);
        m_summary.minY = std::min(m_summary.minY, p.y);
        m_summary.maxY = std::max(m_summary.maxY, p.y);
    }

    // Makes one shape from its points (absolute millimetres, each also widening the
    // extents), its parameters (m_pt[1] of circles, arcs and texts) and its normal.
    // A shape with a value that a float cannot hold is left out whole, before the
    // template is touched, and counted.
    template <size_t N>
    size_t Make(ShapeType type, uint32_t layer, const std::array<float, 3>& rgb,
                const std::array<Double3, N>& points, const Double3* parameters = nullptr,
                const Float3* normal = nullptr, const std::string* text = nullptr) {
        bool fits = (parameters == nullptr || Fits(*parameters)) &&
                    (normal == nullptr || (std::isfinite(normal->x) && std::isfinite(normal->y) &&
                                           std::isfinite(normal->z)));
        if (fits && m_nearFirstPoint && !m_originSet) {
            // The origin of the import comes from the first shape that is made.
            for (const Double3& p : points) {
                fits = fits && Fits(p);
            }
            if (fits) {
                SetOrigin(points[0]);
            }
        }
        // Values beyond a float, before the origin is taken off or after. A point and
        // an origin both within half the range cannot differ by more than the whole:
        // nearly every point needs only that first look.
        std::array<Double3, N> stored;
        for (size_t i = 0; i < N; ++i) {
            const Double3& p = points[i];
            stored[i] = {p.x - m_originX, p.y - m_originY, p.z};
            fits = fits && ((m_originHalf && FitsHalf(p.x) && FitsHalf(p.y) && Fits(p.z)) ||
                            (Fits(stored[i]) && Fits(p)));
        }
        if (!fits) {
            ++m_report.outOfRange;
            return 0;
        }
        CShape& shape = m_doc.m_current;
        shape.m_nType = type;
        shape.m_bSelected = 0;
        shape.m_attr[0] = rgb[0];
        shape.m_attr[1] = rgb[1];
        shape.m_attr[2] = rgb[2];
        for (size_t i = 0; i < N; ++i) {
            shape.m_pt[i] = ToDrawing(stored[i]);
            AddExtents(points[i]);
        }
        if (parameters != nullptr) {
            shape.m_pt[1] = ToFloat(*parameters);
        }
        if (normal != nullptr) {
            for (Float3& v : shape.m_normal) {
                v = ToDrawing(Double3{normal->x, normal->y, normal->z});
            }
        }
        Add(layer, text);
        return 1;
    }

    void Add(uint32_t layer, const std::string* text) {
        if (layer != m_templateLayer) {
            const std::string& name = m_layers.Name(layer);
            m_doc.SetCurrentLayer(name);
            if (layer >= m_layerEnsured.size()) {
                m_layerEnsured.resize(m_layers.Size(), false);
            }
            // The table only grows during an import, so a name once ensured needs no
            // second look.
            if (!m_layerEnsured[layer]) {
                EnsureLayerWithColour(layer, name);
                m_layerEnsured[layer] = true;
            }
            m_templateLayer = layer;
        }
        if (text != nullptr) {
            m_doc.SetCurrentText(*text);
        } else {
            m_doc.m_current.m_strText.clear();
        }
        m_doc.AddCurrentShape();
        ++m_summary.shapesMade;
    }

    // A new layer takes the colour and visibility of the file's layer of that name.
    void EnsureLayerWithColour(uint32_t layer, const std::string& name) {
        const int before = g_layerCount;
        EnsureLayer(name);
        if (g_layerCount == before) {
            return;
        }
        const LayerRecord* record = RecordOf(layer);
        if (record == nullptr) {
            return;
        }
        const int32_t rgb = RgbOf(record->colour);
        auto& attributes = g_layerAttributes[static_cast<size_t>(before)];
        attributes[LAYER_RED] = ((rgb >> 16) & 255) / 255.0;
        attributes[LAYER_GREEN] = ((rgb >> 8) & 255) / 255.0;
        attributes[LAYER_BLUE] = (rgb & 255) / 255.0;
        attributes[LAYER_VISIBLE] = record->visible ? 1.0 : 0.0;
    }

    // ---- primitives ----

    // Whether an edge is longer than one millimetre (or than nothing), as its length
    // computed with a square root says; the root is taken only where its rounding
    // could decide.
    static bool LongEnough(const Double3& d, bool oneUnit) {
        const double square = d.x * d.x + d.y * d.y + d.z * d.z;
        if (!oneUnit) {
            return square > 0.0;
        }
        return square > 1.0 && (square > 1.0 + 1e-15 || std::sqrt(square) > 1.0);
    }

    size_t EmitLine(const Primitive& item, const Placement& at) {
        return EmitLine(item.layer, item.colour, item.p[0], item.p[1], item.p[2], item.oneUnitRule,
                        at);
    }

    // A line of model space with no rise, most of a large file: only what such a line
    // needs.
    size_t EmitPlainLine(uint32_t itemLayer, const ColourSpec& colour, const Double3& start,
                         const Double3& end, const Placement& at) {
        if (!at.plain) {
            return EmitLine(itemLayer, colour, start, end, Double3{}, true, at);
        }
        if (!LongEnough(end - start, true)) {
            return 0;
        }
        uint32_t layer;
        std::array<float, 3> rgb{};
        Resolve(itemLayer, colour, at, layer, rgb);
        return Make(SHAPE_LINE, layer, rgb, std::array{start, end});
    }

    // A line, or the face that a rise (thickness) makes of it.
    size_t EmitLine(uint32_t itemLayer, const ColourSpec& colour, const Double3& a,
                    const Double3& b, const Double3& rawRise, bool oneUnitRule,
                    const Placement& at) {
        const Double3 start = at.plain ? a : at.transform.Apply(a);
        const Double3 end = at.plain ? b : at.transform.Apply(b);
        if (!LongEnough(end - start, oneUnitRule)) {
            return 0;
        }
        uint32_t layer;
        std::array<float, 3> rgb{};
        Resolve(itemLayer, colour, at, layer, rgb);
        if (rawRise.x == 0.0 && rawRise.y == 0.0 && rawRise.z == 0.0) {
            return Make(SHAPE_LINE, layer, rgb, std::array{start, end});
        }
        const Double3 rise = at.plain ? rawRise : at.transform.Direction(rawRise);
        // A rise along the line leaves no plane: the normal is then zero.
        Double3 n = dxf::Cross(end - start, end + rise - start);
        const double nLength = dxf::Length(n);
        if (nLength != 0.0) {
            n = (1.0 / nLength) * n;
        }
        const Float3 normal = ToFloat(n);
        return Make(SHAPE_FACE, layer, rgb, std::array{start, end, end + rise, start + rise}, nullptr,
                    &normal);
    }

    size_t EmitFace(const Primitive& item, const Placement& at) {
        Double3 c[4];
        for (int i = 0; i < 4; ++i) {
            c[i] = at.plain ? item.p[i] : at.transform.Apply(item.p[i]);
        }
        if (!LongEnough(c[1] - c[0], item.oneUnitRule)) {
            return 0;
        }
        uint32_t layer;
        std::array<float, 3> rgb{};
        Resolve(item.layer, item.colour, at, layer, rgb);
        const Float3 normal = UnitNormal(ToFloat(c[0] - c[1]), ToFloat(c[1] - c[2]));
        return Make(SHAPE_FACE, layer, rgb, std::array{c[0], c[1], c[2], c[3]}, nullptr, &normal);
    }

    // Whether a circle or arc in the world's own plane is kept as read where it is
    // placed, its sizes scaled: exactly what the file says.
    static bool KeepsUpright(const Placement& at) {
        return at.plain || at.transform.IsPlainScale();
    }

    // A circle or arc that KeepsUpright(at) places, with its centre in the world.
    size_t EmitUprightArc(uint32_t itemLayer, const ColourSpec& colour, const Double3& point,
                          double radius, double start, double end, bool full,
                          const Placement& at) {
        uint32_t layer;
        std::array<float, 3> rgb{};
        Resolve(itemLayer, colour, at, layer, rgb);
        const Double3 centre = at.plain ? point : at.transform.Apply(point);
        const double scale = at.plain ? 1.0 : at.transform.X.x;
        if (full) {
            const Double3 size{radius * scale, 0.0, 0.0};
            return Make(SHAPE_CIRCLE, layer, rgb, std::array{centre}, &size);
        }
        const Double3 arc{radius * scale, start, end};
        return Make(SHAPE_ARC, layer, rgb, std::array{centre}, &arc);
    }

    size_t EmitArc(const Primitive& item, const Placement& at) {
        double start = item.values[0];
        double end = item.values[1];
        if (item.upright && KeepsUpright(at)) {
            return EmitUprightArc(item.layer, item.colour, item.p[0], item.values[2], start, end,
                                  item.fullCircle, at);
        }
        uint32_t layer;
        std::array<float, 3> rgb{};
        Resolve(item.layer, item.colour, at, layer, rgb);
        const Double3 centre = at.plain ? item.p[0] : at.transform.Apply(item.p[0]);
        const Double3 u = at.plain ? item.p[1] : at.transform.Direction(item.p[1]);
        const Double3 v = at.plain ? item.p[2] : at.transform.Direction(item.p[2]);
        const double lu = dxf::Length(u);
        const double lv = dxf::Length(v);
        const double turn = u.x * v.y - u.y * v.x;
        const double epsilon = 1e-9 * std::max(lu, lv);
        const bool circular = std::fabs(u.z) <= epsilon && std::fabs(v.z) <= epsilon &&
                              std::fabs(lu - lv) <= epsilon &&
                              std::fabs(dxf::Dot(u, v)) <= epsilon * std::max(lu, lv);
        if (circular && lu > 0.0) {
            // A circle in the plan: turned and perhaps mirrored, which reverses it.
            const double phase = std::atan2(u.y, u.x) * kDegreesPerRadian;
            if (item.fullCircle) {
                const Double3 size{lu, 0.0, 0.0};
                return Make(SHAPE_CIRCLE, layer, rgb, std::array{centre}, &size);
            }
            double s = turn > 0.0 ? phase + start : phase - end;
            const double sweep = end - start;
            s = std::fmod(s, 360.0);
            if (s < 0.0) {
                s += 360.0;
            }
            const Double3 arc{lu, s, s + sweep};
            return Make(SHAPE_ARC, layer, rgb, std::array{centre}, &arc);
        }
        // An ellipse (or a circle seen slanted): lines within the tolerance. One whose
        // size or place no float holds is left out once, not line by line.
        const double reach = std::sqrt(lu * lu + lv * lv);
        if (!Fits(reach) || !Fits(centre)) {
            ++m_report.outOfRange;
            return 0;
        }
        const double sweep = (item.fullCircle ? 360.0 : end - start) * (std::numbers::pi / 180.0);
        const int segments = dxf::EllipseSegments(reach, sweep, dxf::CurveTolerance(std::max(lu, lv)));
        const double t0 = start * (std::numbers::pi / 180.0);
        auto point = [&](int k) {
            const double t = t0 + sweep * static_cast<double>(k) / segments;
            return centre + std::cos(t) * u + std::sin(t) * v;
        };
        size_t made = 0;
        Double3 previous = point(0);
        for (int k = 1; k <= segments; ++k) {
            const Double3 next = point(k);
            if (dxf::Length(next - previous) > 0.0) {
                made += Make(SHAPE_LINE, layer, rgb, std::array{previous, next});
            }
            previous = next;
        }
        return made;
    }

    size_t EmitText(const Primitive& item, const Placement& at) {
        uint32_t layer;
        std::array<float, 3> rgb{};
        Resolve(item.layer, item.colour, at, layer, rgb);
        m_report.lostCharacters += static_cast<uint64_t>(std::max(0, item.lost));
        const std::string& text = item.text != nullptr ? *item.text : m_noText;
        Double3 point = at.plain ? item.p[0] : at.transform.Apply(item.p[0]);
        if (item.upright && (at.plain || at.transform.IsPlainScale())) {
            const double scale = at.plain ? 1.0 : at.transform.X.x;
            const Double3 size{item.values[0] * scale, item.values[1] * scale, item.values[2]};
            return Make(SHAPE_TEXT, layer, rgb, std::array{point}, &size, nullptr, &text);
        }
        Double3 along = at.plain ? item.p[1] : at.transform.Direction(item.p[1]);
        Double3 up = at.plain ? item.p[2] : at.transform.Direction(item.p[2]);
        along.z = up.z = 0.0;  // texts lie in the plan
        double turn = along.x * up.y - along.y * up.x;
        if (turn < 0.0) {
            // Mirrored: the stroke font cannot be, so the text reads forwards over the
            // same place, kept as upright as the mirror allows.
            if (up.y >= 0.0) {
                point = point + TextAdvanceUnits(text) * along;
                along = -1.0 * along;
            } else {
                point = point + up;
                up = -1.0 * up;
            }
            turn = -turn;
        }
        const double width = dxf::Length(along);
        const double height = width > 0.0 ? turn / width : dxf::Length(up);
        const double angle = width > 0.0 ? std::atan2(along.y, along.x) * kDegreesPerRadian : 0.0;
        const Double3 size{height, width, angle};
        return Make(SHAPE_TEXT, layer, rgb, std::array{point}, &size, nullptr, &text);
    }

    static constexpr int32_t kNotLookedUp = -2;
    static constexpr int32_t kNoRecord = -1;

    CZorader_ezDoc& m_doc;
    DxfReadSummary& m_summary;
    dxf::ImportReport& m_report;
    const dxf::LayerNames& m_layers;
    bool m_nearFirstPoint;
    bool m_originSet = false;
    bool m_originHalf = true;  // the origin lies within half a float's range
    double m_originX = 0.0;
    double m_originY = 0.0;
    std::unordered_map<std::string, LayerRecord> m_records;
    std::unordered_map<std::string, LayerRecord> m_upperRecords;
    std::vector<int32_t> m_recordOf;
    std::vector<LayerRecord> m_found;
    std::vector<bool> m_layerEnsured;
    // The number of the layer whose name the template holds; none at first.
    uint32_t m_templateLayer = UINT32_MAX;
    std::string m_noText;
};


// Model space: shapes at once, and the blocks that references place.
class ModelSpace final : public dxf::PrimitiveOutput {
  public:
    ModelSpace(ShapeMaker& maker, dxf::BlockExpander& expander, dxf::ExpansionBudget& budget,
               dxf::ImportReport& report, const Placement& top)
        : m_maker(maker), m_expander(expander), m_budget(budget), m_report(report), m_top(top) {}

    void Add(const Primitive& item) override {
        switch (item.kind) {
            case PrimitiveKind::Insert:
                m_expander.Place(item, m_top);
                break;
            case PrimitiveKind::Unsupported:
                if (item.text != nullptr) {
                    m_report.CountKind(*item.text);
                }
                break;
            case PrimitiveKind::Line:
                m_maker.EmitLine(item, m_top);
                break;
            case PrimitiveKind::Arc: {
                // An ellipse (or a circle seen slanted) becomes many lines.
                const size_t made = m_maker.EmitArc(item, m_top);
                if (made > 1) {
                    m_budget.Spend(made - 1, true);
                }
                break;
            }
            default:
                m_maker.Emit(item, m_top);
                break;
        }
    }

    bool AddPlainLine(uint32_t layer, const ColourSpec& colour, const Double3& start,
                      const Double3& end) override {
        m_maker.EmitPlainLine(layer, colour, start, end, m_top);
        return true;
    }

    bool AddUprightArc(uint32_t layer, const ColourSpec& colour, const Double3& centre,
                       double radius, double start, double end, bool full) override {
        if (!ShapeMaker::KeepsUpright(m_top)) {
            return false;
        }
        // As the entity's own coordinate system would place it: with no negative zero.
        const Double3 point{centre.x + 0.0, centre.y + 0.0, centre.z + 0.0};
        m_maker.EmitUprightArc(layer, colour, point, radius, start, end, full, m_top);
        return true;
    }

  private:
    ShapeMaker& m_maker;
    dxf::BlockExpander& m_expander;
    dxf::ExpansionBudget& m_budget;
    dxf::ImportReport& m_report;
    const Placement& m_top;
};

// The block being defined keeps the primitives of its entities.
class BlockRecorder final : public dxf::PrimitiveOutput {
  public:
    explicit BlockRecorder(dxf::BlockTable& table) : m_table(table) {}

    // Null drops what follows (a block of paper space, a second definition).
    void Start(dxf::Block* block) { m_block = block; }

    void Add(const Primitive& item) override {
        if (m_block == nullptr) {
            return;
        }
        m_block->items.push_back(item);
        if (item.text != nullptr) {
            m_block->items.back().text = m_table.Keep(*item.text);
        }
    }

  private:
    dxf::BlockTable& m_table;
    dxf::Block* m_block = nullptr;
};

// The sections of a file: the header's release, code page and units, the LAYER table,
// the block definitions and model space.
class FileReader {
  public:
    FileReader(CZorader_ezDoc& doc, const DxfReadOptions& options)
        : m_budget(options.expansionBound),
          m_context{m_decoder, m_layers, m_report, m_budget, 1.0},
          m_entities(m_context),
          m_maker(doc, m_summary, m_report, m_layers, options.nearFirstPoint),
          m_expander(m_blocks, m_report, m_maker, m_budget),
          m_model(m_maker, m_expander, m_budget, m_report, m_top),
          m_recorder(m_blocks) {}

    void Pair(int code, std::string_view value) {
        if (m_section == Section::Entities && code != 0) {
            m_entities.Group(code, value);
            return;
        }
        if (code == 0) {
            Structure(value);
            return;
        }
        switch (m_section) {
            case Section::Pending:
                if (code == 2) {
                    EnterSection(value);
                }
                return;
            case Section::Blocks:
                if (m_blockHeader) {
                    BlockHeader(code, value);
                } else {
                    m_entities.Group(code, value);
                }
                return;
            case Section::Tables:
                TableGroup(code, value);
                return;
            case Section::Entities:
                return;
            default:
                if (code == 2 && value == "ENTITIES" && m_section != Section::Header) {
                    EnterSection(value);  // a file that leaves out the SECTION line
                } else {
                    HeaderGroup(code, value);
                }
                return;
        }
    }

    // The end of the file: an entity in progress is finished too.
    void End() { LeaveSection(); }

    DxfReadSummary& Summary() {
        m_summary.report = m_report.Text();
        m_summary.unitScale = m_unitScale;
        return m_summary;
    }
    int UnitCode() const { return m_unitCode; }

  private:
    enum class Section { None, Pending, Header, Tables, Blocks, Entities, Other };
    enum class Variable { None, Release, CodePage, Units };

    void Structure(std::string_view value) {
        if (value == "SECTION") {
            LeaveSection();
            m_section = Section::Pending;
            return;
        }
        if (value == "ENDSEC" || value == "EOF") {
            LeaveSection();
            return;
        }
        switch (m_section) {
            case Section::Entities:
                m_entities.Begin(value, m_model);
                return;
            case Section::Blocks:
                BlockStructure(value);
                return;
            case Section::Tables:
                TableStructure(value);
                return;
            default:
                return;
        }
    }

    void EnterSection(std::string_view name) {
        if (name == "ENTITIES") {
            m_section = Section::Entities;
            m_summary.entitiesSection = true;
        } else if (name == "BLOCKS") {
            m_section = Section::Blocks;
        } else if (name == "TABLES") {
            m_section = Section::Tables;
        } else if (name == "HEADER") {
            m_section = Section::Header;
        } else {
            m_section = Section::Other;
        }
    }

    void LeaveSection() {
        switch (m_section) {
            case Section::Entities:
                m_entities.End(m_model);
                break;
            case Section::Blocks:
                if (m_blockHeader) {
                    StartBlock();
                }
                m_entities.End(m_recorder);
                m_recorder.Start(nullptr);
                break;
            case Section::Tables:
                FlushLayer();
                m_maker.SetLayerRecords(m_records);
                break;
            default:
                break;
        }
        m_section = Section::None;
    }

    // ---- header ----

    void HeaderGroup(int code, std::string_view value) {
        if (code == 9) {
            m_variable = value == "$ACADVER"       ? Variable::Release
                         : value == "$DWGCODEPAGE" ? Variable::CodePage
                         : value == "$INSUNITS"    ? Variable::Units
                                                   : Variable::None;
            return;
        }
        if (code == 1 && m_variable == Variable::Release) {
            m_decoder.SetRelease(value);
        } else if (code == 3 && m_variable == Variable::CodePage) {
            m_decoder.SetCodePage(value);
        } else if (code == 70 && m_variable == Variable::Units) {
            m_unitCode = ParseDxfInteger(value);
            m_unitScale = MillimetresPerUnit(m_unitCode);
            m_context.unitScale = m_unitScale;
            m_top.transform = dxf::Scaling(m_unitScale);
            m_top.plain = m_unitScale == 1.0;
        } else {
            return;
        }
        m_variable = Variable::None;
    }

    // ---- tables ----

    void TableStructure(std::string_view value) {
        FlushLayer();
        if (value == "TABLE") {
            m_tablePending = true;
            m_table.clear();
        } else if (value == "ENDTAB") {
            m_table.clear();
        } else if (value == "LAYER" && m_table == "LAYER") {
            m_inLayer = true;
        }
    }

    void TableGroup(int code, std::string_view value) {
        if (m_tablePending) {
            if (code == 2) {
                m_table.assign(value.substr(0, 16));
                m_tablePending = false;
            }
            return;
        }
        if (!m_inLayer) {
            return;
        }
        switch (code) {
            case 2:
                m_layerName.assign(value);
                break;
            case 62:
                m_layerColour = ParseDxfInteger(value);
                break;
            case 70:
                m_layerFlags = ParseDxfInteger(value);
                break;
            case 420: {
                const int rgb = ParseDxfInteger(value);
                m_layerRgb = rgb >= 0 ? (rgb & 0xFFFFFF) : -1;
                break;
            }
            default:
                break;
        }
    }

    void FlushLayer() {
        if (m_inLayer && !m_layerName.empty()) {
            LayerRecord record;
            // A negative number is the colour of a layer turned off; the range is
            // checked before negating, since the file may say -2147483648.
            const int number =
                m_layerColour < 0 && m_layerColour >= -255 ? -m_layerColour : m_layerColour;
            // A layer has no "by layer" or "by block" of its own: those read as white.
            const int colour = number >= 1 && number <= 255 ? number : 7;
            record.colour = {colour, m_layerRgb >= 0 ? m_layerRgb : PaletteColour(colour)};
            record.visible = m_layerColour >= 0 && (m_layerFlags & 1) == 0;
            int lost = 0;
            m_records.emplace(m_decoder.Name(m_layerName, lost), record);
        }
        m_inLayer = false;
        m_layerName.clear();
        m_layerColour = 7;
        m_layerFlags = 0;
        m_layerRgb = -1;
    }

    // ---- blocks ----

    void BlockStructure(std::string_view value) {
        if (value == "BLOCK") {
            m_entities.End(m_recorder);
            m_recorder.Start(nullptr);
            m_blockHeader = true;
            m_blockName.clear();
            m_blockBase = Double3{};
            m_blockFlags = 0;
            return;
        }
        if (m_blockHeader) {
            StartBlock();
        }
        if (value == "ENDBLK") {
            m_entities.End(m_recorder);
            m_recorder.Start(nullptr);
            return;
        }
        m_entities.Begin(value, m_recorder);
    }

    void BlockHeader(int code, std::string_view value) {
        switch (code) {
            case 2:
                m_blockName.assign(value);
                break;
            case 3:
                if (m_blockName.empty()) {
                    m_blockName.assign(value);
                }
                break;
            case 10:
                m_blockBase.x = ParseDxfReal(value);
                break;
            case 20:
                m_blockBase.y = ParseDxfReal(value);
                break;
            case 30:
                m_blockBase.z = ParseDxfReal(value);
                break;
            case 70:
                m_blockFlags = ParseDxfInteger(value);
                break;
            default:
                break;
        }
    }

    void StartBlock() {
        m_blockHeader = false;
        // The layouts' own blocks: paper space is not drawn, and model space is the
        // ENTITIES section.
        const std::string upper = Upper(std::string_view(m_blockName).substr(0, 12));
        if (m_blockName.empty() || upper == "*PAPER_SPACE" || upper == "*MODEL_SPACE") {
            m_recorder.Start(nullptr);
            return;
        }
        m_recorder.Start(m_blocks.Begin(m_blockName, m_blockBase, (m_blockFlags & 4) != 0));
    }

    DxfReadSummary m_summary;
    dxf::ImportReport m_report;
    dxf::TextDecoder m_decoder;
    dxf::LayerNames m_layers;
    dxf::BlockTable m_blocks;
    dxf::ExpansionBudget m_budget;
    dxf::EntityContext m_context;
    dxf::EntityReader m_entities;
    ShapeMaker m_maker;
    dxf::BlockExpander m_expander;
    Placement m_top;
    ModelSpace m_model;
    BlockRecorder m_recorder;

    // The reading state: the section and header variable being read, the LAYER table's
    // record, the BLOCK header's values (scalars last, so that they pack together).
    std::string m_table;
    std::string m_layerName;
    std::unordered_map<std::string, LayerRecord> m_records;
    std::string m_blockName;
    Double3 m_blockBase;
    double m_unitScale = 1.0;
    Section m_section = Section::None;
    Variable m_variable = Variable::None;
    int m_unitCode = 0;
    int m_layerColour = 7;
    int m_layerFlags = 0;
    int32_t m_layerRgb = -1;
    int m_blockFlags = 0;
    bool m_tablePending = false;
    bool m_inLayer = false;
    bool m_blockHeader = false;
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

// A length in millimetres as the status line shows it: a sign, no needless decimals.
std::string FormatMillimetres(double value) {
    char buffer[64];
    if (value == 0.0) {
        return "0";
    }
    if (value == std::round(value) && std::fabs(value) < 1e15) {
        std::snprintf(buffer, sizeof buffer, "%+.0f", value);
    } else {
        std::snprintf(buffer, sizeof buffer, "%+.3f", value);
        std::string text = buffer;
        while (!text.empty() && text.back() == '0') {
            text.pop_back();
        }
        if (!text.empty() && text.back() == '.') {
            text.pop_back();
        }
        return text;
    }
    return buffer;
}

}  // namespace

std::string DxfImportSaveQuestion(const CZorader_ezDoc& doc) {
    return doc.GetTitle() + " への変更を保存しますか？";
}

std::string DxfImportStatusText(const DxfImportResult& result) {
    std::string text;
    if (result.movedX == 0.0 && result.movedY == 0.0) {
        text = "DXF を読み込みました。図面は移動していません";
    } else {
        text = "DXF を読み込みました。図面を X " + FormatMillimetres(result.movedX) + " mm、Y " +
               FormatMillimetres(result.movedY) + " mm 移動しました";
    }
    if (!result.units.empty()) {
        text += "（単位 " + result.units + " を mm に換算）";
    }
    return text;
}

CommandMessage DxfImportReportMessage(const DxfImportResult& result) {
    if (result.report.empty()) {
        return {};
    }
    return {result.report, "ＤＸＦ", MessageIcon::Information};
}

DxfReadSummary ReadDxfEntities(DxfLineReader& lines, CZorader_ezDoc& doc,
                               const DxfReadOptions& options) {
    // Room for the shapes a drawing of this size is likely to hold, so that the list's
    // arrays are not copied and left behind as they grow. A guess too large costs only
    // address space: the pages no shape reaches are never touched.
    constexpr uint64_t kBytesPerEntityGuess = 64;
    doc.m_shapes.Reserve(doc.m_shapes.size() +
                         static_cast<size_t>(lines.Size() / kBytesPerEntityGuess));
    FileReader reader(doc, options);
    DxfPairReader pairs(lines);
    DxfPair pair;
    try {
        while (pairs.Next(pair)) {
            reader.Pair(pair.code, pair.value);
        }
        reader.End();
    } catch (const FileFailure& failure) {
        // The entity being read when the file failed is dropped, not guessed at.
        DxfReadSummary summary = reader.Summary();
        summary.readError = failure.error;
        return summary;
    } catch (const dxf::ExpansionTooLarge& expansion) {
        DxfReadSummary summary = reader.Summary();
        summary.tooLarge = true;
        summary.curvesTooLarge = expansion.curves;
        return summary;
    }
    DxfReadSummary summary = reader.Summary();
    summary.unitCode = reader.UnitCode();
    return summary;
}

std::pair<double, double> RecentreImportedShapes(CZorader_ezDoc& doc,
                                                 const DxfReadSummary& summary) {
    double cx = 0.0, cy = 0.0;
    if (summary.minX <= summary.maxX && summary.minY <= summary.maxY) {
        cx = (summary.minX + summary.maxX) / 2.0;
        cy = (summary.minY + summary.maxY) / 2.0;
    }
    // By whole grid pitches, so that a drawing on the grid stays on it.
    const double pitch = g_gridPitch;
    if (pitch > 0.0 && std::isfinite(pitch)) {
        cx = std::round(cx / pitch) * pitch;
        cy = std::round(cy / pitch) * pitch;
    }
    const double dx = summary.originX - cx;
    const double dz = cy - summary.originY;
    if (dx != 0.0 || dz != 0.0) {
        auto move = [&](Float3& p) {
            p.x = static_cast<float>(p.x + dx);
            p.z = static_cast<float>(p.z + dz);
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
    return {cx == 0.0 ? 0.0 : -cx, cy == 0.0 ? 0.0 : -cy};
}

DxfImportResult ImportDxfFile(CZorader_ezDoc& doc, const std::string& path,
                              const std::function<void()>& runCancelCommand,
                              uint64_t expansionBound) {
    DxfLineReader lines;
    if (lines.Open(path) != FileError::None) {
        DxfImportResult result;
        result.message = CannotOpenMessage(path);
        return result;
    }
    return ImportDxfLines(doc, lines, path, runCancelCommand, expansionBound);
}

DxfImportResult ImportDxfBytes(CZorader_ezDoc& doc, std::string_view bytes,
                               const std::string& path,
                               const std::function<void()>& runCancelCommand,
                               uint64_t expansionBound) {
    DxfLineReader lines;
    lines.OpenText(bytes);
    return ImportDxfLines(doc, lines, path, runCancelCommand, expansionBound);
}

DxfImportResult ImportDxfLines(CZorader_ezDoc& doc, DxfLineReader& lines, const std::string& path,
                               const std::function<void()>& runCancelCommand,
                               uint64_t expansionBound) {
    DxfImportResult result;
    if (runCancelCommand) {
        runCancelCommand();
    }
    // The file is read into a drawing of its own and replaces the open one only once it
    // has been read to its end: a file that fails part-way changes nothing.
    CZorader_ezDoc imported;
    imported.SetBuilding(true);
    imported.m_current = doc.m_current;
    const LayerTable layers = SaveLayerTable();
    g_layerCount = 0;
    DxfReadOptions options;
    options.expansionBound = expansionBound;
    options.nearFirstPoint = true;
    const DxfReadSummary summary = ReadDxfEntities(lines, imported, options);
    if (summary.readError != FileError::None || summary.tooLarge) {
        RestoreLayerTable(layers);
        const std::string text =
            summary.tooLarge
                ? path + (summary.curvesTooLarge ? " は、曲線を直線に置き換えると図形が "
                                                 : " は、ブロックを展開すると図形が ") +
                      std::to_string(expansionBound) + " 個を超えるため読み込めません"
                : FileErrorMessage(summary.readError, path);
        result.message = CommandMessage{text, kWarningCaption, MessageIcon::Exclamation};
        return result;
    }
    // The imported drawing is untitled: it has no file of its own yet, so the next save
    // asks for a name instead of writing a file called "無題" into whatever folder the
    // program was started in.
    doc.SetPathName("");
    // Moved while the shapes are still the import's own: the drawing then takes them
    // as a whole, and what follows the drawing list (the pick index, the wireframe)
    // starts from them afresh.
    const auto [movedX, movedY] = RecentreImportedShapes(imported, summary);
    imported.SetBuilding(false);
    doc.ReplaceShapes(std::move(imported.m_shapes));
    doc.m_current = imported.m_current;
    doc.m_current.m_nType = SHAPE_NONE;
    // Cleared for the import, and set again by the first shape made.
    doc.SetModifiedFlag(imported.IsModified());
    result.replaced = true;
    g_displayListValid = 0;
    result.entitiesSection = summary.entitiesSection;
    result.shapesMade = summary.shapesMade;
    result.report = summary.report;
    result.movedX = movedX;
    result.movedY = movedY;
    result.unitScale = summary.unitScale;
    if (summary.unitScale != 1.0) {
        result.units = UnitName(summary.unitCode);
    }
    return result;
}

}  // namespace marquetta
