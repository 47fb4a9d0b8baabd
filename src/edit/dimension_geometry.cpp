#include "edit/dimension_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "edit/draw_commands.h"
#include "text/text_layout.h"

namespace marquetta {

DimensionStyle g_dimensionStyle;

void InitDimensionDefaults() { g_dimensionStyle = DimensionStyle{}; }

std::string FormatDimensionValue(double value, int decimals) {
    decimals = std::clamp(decimals, 0, kMaxDimensionDecimals);
    // Rounded half away from zero first, as a drafter rounds, not as printf breaks ties.
    const double factor = std::pow(10.0, decimals);
    double rounded = std::round(value * factor) / factor;
    if (rounded == 0.0) {
        rounded = 0.0;  // no "-0"
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, rounded);
    return buffer;
}

double ReadableTextAngle(double degrees) {
    double a = std::fmod(degrees, 360.0);
    if (a < 0.0) {
        a += 360.0;
    }
    // Within a ten-thousandth of a degree a direction counts as straight up or down: a line
    // drawn straight down from north reads as one drawn up.
    constexpr double kTolerance = 1e-4;
    if (a > 90.0 + kTolerance && a <= 270.0 + kTolerance) {
        a -= 180.0;
        if (a < 0.0) {
            a += 360.0;
        }
    }
    // Stored in single precision: what would round to 360 is 0.
    return static_cast<float>(a) >= 360.0f ? 0.0 : a;
}

namespace {

// Ground-plane vectors (x, z); y is the height the dimension is drawn at.
struct Vec {
    double x = 0.0;
    double z = 0.0;
};

Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.z + b.z}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.z - b.z}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.z * s}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.z * b.z; }
double Cross(Vec a, Vec b) { return a.x * b.z - a.z * b.x; }
double Length(Vec a) { return std::hypot(a.x, a.z); }
Vec Unit(Vec a) { return a * (1.0 / Length(a)); }
Vec Flat(const Double3& p) { return {p.x, p.z}; }
// Turned a quarter anticlockwise as the plan is seen (-Z up on the sheet).
Vec Left(Vec a) { return {a.z, -a.x}; }
Vec Turned(Vec a, double degrees) {
    const double c = std::cos(degrees * kRadiansPerDegree);
    const double s = std::sin(degrees * kRadiansPerDegree);
    // Anticlockwise on the sheet: the plan's Y is -Z.
    return {a.x * c + a.z * s, -a.x * s + a.z * c};
}
Vec AtAngle(double degrees) {
    return {std::cos(degrees * kRadiansPerDegree), -std::sin(degrees * kRadiansPerDegree)};
}
double AngleOf(Vec d) { return DirectionAngle(d.x, d.z, Length(d)); }

// Collects a dimension's shapes at one height, in drawing millimetres.
class Builder {
  public:
    Builder(const DimensionStyle& style, double scale, double y)
        : m_style(style), m_scale(scale), m_y(y) {}

    double Paper(double mm) const { return mm * m_scale; }

    void Line(Vec a, Vec b) {
        CShape line;
        line.m_nType = SHAPE_LINE;
        line.m_pt[0] = Point(a);
        line.m_pt[1] = Point(b);
        m_shapes.push_back(line);
    }

    // From the measured point towards the dimension line's end, kept the gap off the
    // point and run the overshoot past the line; none when the two are closer than the gap.
    void Extension(Vec measured, Vec end) {
        const Vec d = end - measured;
        const double length = Length(d);
        const double gap = Paper(m_style.extensionGap);
        if (length <= gap || length == 0.0) {
            return;
        }
        const Vec u = d * (1.0 / length);
        Line(measured + u * gap, end + u * Paper(m_style.extensionOvershoot));
    }

    // The end mark at `p` of a dimension line along `along`, whose arrow points to p
    // from the side `inward` (a unit vector into the line).
    void EndMark(Vec p, Vec along, Vec inward) {
        const double size = Paper(m_style.endSize);
        if (m_style.end == DimensionEnd::Arrow) {
            Line(p, p + Turned(inward, 15.0) * size);
            Line(p, p + Turned(inward, -15.0) * size);
            return;
        }
        // The 45 degree tick, from lower left to upper right of the line as it reads.
        const Vec t = Unit(along + Left(along)) * (size * 0.5);
        Line(p - t, p + t);
    }

    // The text centred on `centre` along the direction `along`, read upright, its
    // baseline a little above the line.
    void Text(const std::string& text, Vec centre, Vec along) {
        const double h = Paper(m_style.textHeight);
        const double angle = ReadableTextAngle(AngleOf(along));
        const Vec base = AtAngle(angle);
        const Vec up = Left(base);
        // The ink of the last character ends short of its advance (16 units over 0.85).
        const double units = TextAdvanceUnits(text);
        const double last = !text.empty() && text.size() >= 2 &&
                                    IsCp932LeadByte(static_cast<uint8_t>(text[text.size() - 2]))
                                ? 1.0
                                : 0.5;
        const double ink = (units - 0.15 * last) * h;
        const Vec origin = centre - base * (ink * 0.5) + up * (h * 0.25);
        CShape shape;
        shape.m_nType = SHAPE_TEXT;
        shape.m_pt[0] = Point(origin);
        shape.m_pt[1] = Float3{Narrow(h), Narrow(h), static_cast<float>(angle)};
        shape.m_strText = text;
        m_shapes.push_back(shape);
    }

    void Arc(Vec centre, double radius, double start, double end) {
        CShape arc;
        arc.m_nType = SHAPE_ARC;
        arc.m_pt[0] = Point(centre);
        arc.m_pt[1] = Float3{Narrow(radius), static_cast<float>(start), static_cast<float>(end)};
        m_shapes.push_back(arc);
    }

    DimensionResult Done() { return {DimensionError::None, std::move(m_shapes)}; }

  private:
    Float3 Point(Vec p) const { return Narrow(Double3{p.x, m_y, p.z}); }

    const DimensionStyle& m_style;
    double m_scale;
    double m_y;
    std::vector<CShape> m_shapes;
};

DimensionResult Refused(DimensionError error) { return {error, {}}; }

// A straight dimension: the line from da to db, the extension lines from the measured
// points a and b, the end marks and the length above the middle.
DimensionResult Straight(const Double3& a3, Vec a, Vec b, Vec da, Vec db, double length,
                         const DimensionStyle& style, double scale) {
    Builder out(style, scale, a3.y);
    const Vec along = Unit(db - da);
    out.Line(da, db);
    out.Extension(a, da);
    out.Extension(b, db);
    out.EndMark(da, along, along);
    out.EndMark(db, along, along * -1.0);
    out.Text(FormatDimensionValue(length, style.decimals), (da + db) * 0.5, along);
    return out.Done();
}

}  // namespace

DimensionResult LinearDimension(const Double3& a3, const Double3& b3, const Double3& place3,
                                const DimensionStyle& style, double scale) {
    const Vec a = Flat(a3), b = Flat(b3), p = Flat(place3);
    // How far the place lies outside the measured points' box, across and along.
    const auto outside = [](double v, double lo, double hi) {
        return v < lo ? lo - v : (v > hi ? v - hi : 0.0);
    };
    const double ox = outside(p.x, std::min(a.x, b.x), std::max(a.x, b.x));
    const double oz = outside(p.z, std::min(a.z, b.z), std::max(a.z, b.z));
    const bool horizontal =
        oz > ox || (oz == ox && std::fabs(b.x - a.x) >= std::fabs(b.z - a.z));
    const Vec da = horizontal ? Vec{a.x, p.z} : Vec{p.x, a.z};
    const Vec db = horizontal ? Vec{b.x, p.z} : Vec{p.x, b.z};
    const double length = Length(db - da);
    if (!(length > kSmallestLength)) {
        return Refused(DimensionError::Coincident);
    }
    return Straight(a3, a, b, da, db, length, style, scale);
}

DimensionResult AlignedDimension(const Double3& a3, const Double3& b3, const Double3& place3,
                                 const DimensionStyle& style, double scale) {
    const Vec a = Flat(a3), b = Flat(b3), p = Flat(place3);
    const double length = Length(b - a);
    if (!(length > kSmallestLength)) {
        return Refused(DimensionError::Coincident);
    }
    const Vec n = Left(Unit(b - a));
    const double offset = Dot(p - a, n);
    return Straight(a3, a, b, a + n * offset, b + n * offset, length, style, scale);
}

DimensionResult RadiusDimension(const Double3& centre3, double radius, const Double3& place3,
                                bool diameter, const DimensionStyle& style, double scale) {
    const Vec c = Flat(centre3);
    const Vec w = Flat(place3) - c;
    const double reach = Length(w);
    if (!(reach > kSmallestLength) || !(radius > kSmallestLength)) {
        return Refused(DimensionError::Coincident);
    }
    const Vec u = w * (1.0 / reach);
    const Vec onCircle = c + u * radius;
    const Vec far = c + u * std::max(radius, reach);
    const Vec near = diameter ? c - u * radius : c;
    Builder out(style, scale, centre3.y);
    out.Line(near, far);
    out.EndMark(onCircle, u, u * -1.0);
    if (diameter) {
        out.EndMark(near, u, u);
    }
    // Inside the circle the text sits on the line; outside, on the part beyond it.
    const Vec textCentre = reach > radius ? (onCircle + far) * 0.5 : (near + onCircle) * 0.5;
    const std::string text = diameter ? "\x83\xD3" + FormatDimensionValue(2.0 * radius, style.decimals)
                                      : "R" + FormatDimensionValue(radius, style.decimals);
    out.Text(text, textCentre, u);
    return out.Done();
}

DimensionResult AngleDimension(const Double3& a1, const Double3& a2, const Double3& b1,
                               const Double3& b2, const Double3& place3,
                               const DimensionStyle& style, double scale) {
    const Vec pa = Flat(a1), pb = Flat(b1);
    if (!(Length(Flat(a2) - pa) > kSmallestLength) || !(Length(Flat(b2) - pb) > kSmallestLength)) {
        return Refused(DimensionError::Coincident);
    }
    const Vec da = Unit(Flat(a2) - pa), db = Unit(Flat(b2) - pb);
    const double cross = Cross(da, db);
    // Lines less than a hundredth of a degree apart have no corner to dimension.
    if (std::fabs(cross) < 1.7e-4) {
        return Refused(DimensionError::Parallel);
    }
    const Vec o = pa + da * (Cross(pb - pa, db) / cross);
    const Vec w = Flat(place3) - o;
    const double radius = Length(w);
    if (!(radius > kSmallestLength)) {
        return Refused(DimensionError::Coincident);
    }
    // The rays from the corner whose quarter holds the place: w = s1 ra + s2 rb, s >= 0.
    const Vec ra = Cross(w, db) / cross >= 0.0 ? da : da * -1.0;
    const Vec rb = Cross(da, w) / cross >= 0.0 ? db : db * -1.0;
    double start = AngleOf(ra);
    double span = std::fmod(AngleOf(rb) - start + 360.0, 360.0);
    Vec first = ra, second = rb;
    if (span > 180.0) {
        start = AngleOf(rb);
        span = 360.0 - span;
        std::swap(first, second);
    }
    Builder out(style, scale, a1.y);
    out.Arc(o, radius, start, start + span);
    // Extension lines where the arc ends beyond a line's far end.
    const auto extend = [&](Vec ray, Vec p1, Vec p2) {
        const double reach = std::max(Dot(p1 - o, ray), Dot(p2 - o, ray));
        if (radius > reach) {
            out.Extension(o + ray * std::max(reach, 0.0), o + ray * radius);
        }
    };
    extend(ra, pa, Flat(a2));
    extend(rb, pb, Flat(b2));
    const double end = start + span;
    const Vec tangentStart = AtAngle(start + 90.0);
    const Vec tangentEnd = AtAngle(end + 90.0);
    out.EndMark(o + first * radius, tangentStart, tangentStart);
    out.EndMark(o + second * radius, tangentEnd, tangentEnd * -1.0);
    const double middle = start + span * 0.5;
    out.Text(FormatDimensionValue(span, style.decimals) + "\x81\x8B", o + AtAngle(middle) * radius,
             AtAngle(middle + 90.0));
    return out.Done();
}

}  // namespace marquetta
