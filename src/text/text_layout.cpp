#include "text/text_layout.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <span>

#include "platform/platform.h"
#include "text/stroke_font.h"

namespace marquetta {

int g_pickHit = 0;

void InitTextLayoutDefaults() {
    g_pickHit = 0;
}

namespace {

// Share of the cell the glyph's 16 horizontal units span, per unit: 0.85 / 16.
constexpr double kWidthPerUnit = 0.053125;
constexpr double kHeightPerUnit = 0.0625;

struct GroundPoint {
    double x;
    double z;
};

// Tests one projected stroke against the cursor.
bool StrokeUnderCursor(const GroundPoint& from, const GroundPoint& to, const TextTarget& target) {
    double wx0, wy0, wz0, wx1, wy1, wz1;
    if (!ProjectToWindow(from.x, 0.0, from.z, target.projection, wx0, wy0, wz0) ||
        !ProjectToWindow(to.x, 0.0, to.z, target.projection, wx1, wy1, wz1)) {
        return false;
    }
    return WindowSegmentHit(wx0, wy0, wx1, wy1, target.cursorX,
                            target.projection.viewport[3] - target.cursorY);
}

void DrawGlyph(uint8_t lead, uint8_t trail, double xc, double zc, double height, double charWidth,
               double cosine, double sine, const TextTarget& target) {
    const std::span<const uint8_t> record = FindGlyph(lead, trail);
    if (record.empty()) {
        return;
    }
    const double sx = charWidth * kWidthPerUnit;
    const double sy = height * kHeightPerUnit;
    GroundPoint current{xc, zc};
    bool left = false;
    DecodeGlyph(record, [&](const GlyphStep& step) {
        if (left) {
            return;
        }
        const GroundPoint next{xc + step.x * sx * cosine - step.y * sy * sine,
                               zc - step.x * sx * sine - step.y * sy * cosine};
        if (step.penDown) {
            switch (target.mode) {
                case TEXT_VIEW:
                    target.lineBatch->insert(
                        target.lineBatch->end(),
                        {static_cast<float>(current.x), 0.0f, static_cast<float>(current.z),
                         static_cast<float>(next.x), 0.0f, static_cast<float>(next.z)});
                    break;
                case TEXT_PRINT: {
                    const PrintMapping& m = target.mapping;
                    target.pen->MoveTo(TruncateToDevice((current.x + m.ox) / m.k),
                                       TruncateToDevice((m.oz - current.z) / m.k));
                    target.pen->LineTo(TruncateToDevice((next.x + m.ox) / m.k),
                                       TruncateToDevice((m.oz - next.z) / m.k));
                    break;
                }
                case TEXT_PICK:
                    if (StrokeUnderCursor(current, next, target)) {
                        g_pickHit = 1;
                        left = true;
                        return;
                    }
                    break;
            }
        }
        current = next;
    });
}

}  // namespace

PrintMapping MakePrintMapping(double scaleDenominator, double paperWidth, double paperHeight) {
    return PrintMapping{scaleDenominator * 0.1, scaleDenominator * paperWidth * 0.5,
                        -scaleDenominator * paperHeight * 0.5};
}

int TruncateToDevice(double value) {
    if (!(value > static_cast<double>(INT_MIN) - 1.0 &&
          value < static_cast<double>(INT_MAX) + 1.0)) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

TextTarget TextTarget::View(std::vector<float>& lineBatch) {
    TextTarget target;
    target.mode = TEXT_VIEW;
    target.lineBatch = &lineBatch;
    return target;
}

TextTarget TextTarget::Print(PrintPen& pen, const PrintMapping& mapping) {
    TextTarget target;
    target.mode = TEXT_PRINT;
    target.pen = &pen;
    target.mapping = mapping;
    return target;
}

TextTarget TextTarget::Pick(const ProjectionRef& projection, double cursorX, double cursorY) {
    TextTarget target;
    target.mode = TEXT_PICK;
    target.projection = projection;
    target.cursorX = cursorX;
    target.cursorY = cursorY;
    return target;
}

int DrawStrokeText(std::string_view text, double x0, double z0, double height, double width,
                   double angle, const TextTarget& target) {
    if (g_fontData == nullptr) {
        CurrentPlatform().MessageBox("フォントファイルが開けません", "ワーニング",
                                     MessageIcon::Exclamation, MessageButtons::Ok);
        return 0;
    }
    const double radians = angle * kRadiansPerDegree;
    const double cosine = std::cos(radians);
    const double sine = std::sin(radians);
    double t = 0.0;
    size_t i = 0;
    while (i < text.size() && text[i] != '\0') {
        const auto byte = static_cast<uint8_t>(text[i]);
        std::optional<FullWidthCode> code;
        double charWidth;
        double step;
        bool endsWalk = false;
        if (IsCp932LeadByte(byte)) {
            const auto trail = i + 1 < text.size() ? static_cast<uint8_t>(text[i + 1]) : uint8_t{0};
            code = FullWidthCode{byte, trail};
            charWidth = width;
            step = 1.0;
            endsWalk = trail == 0;
            i += 2;
        } else {
            code = ToFullWidthCode(byte);
            charWidth = width * 0.5;
            step = 0.5;
            i += 1;
        }
        // Both kinds of character advance in units of the full width.
        const double xc = x0 + t * width * cosine;
        const double zc = z0 - t * width * sine;
        if (code) {
            DrawGlyph(code->lead, code->trail, xc, zc, height, charWidth, cosine, sine, target);
        }
        t += step;
        if (endsWalk) {
            break;
        }
    }
    return 1;
}

void DrawStrokeGlyph(uint8_t lead, uint8_t trail, double xc, double zc, double height,
                     double charWidth, double angle, const TextTarget& target) {
    const double radians = angle * kRadiansPerDegree;
    DrawGlyph(lead, trail, xc, zc, height, charWidth, std::cos(radians), std::sin(radians), target);
}

double TextAdvanceUnits(std::string_view text) {
    double units = 0.0;
    size_t i = 0;
    while (i < text.size() && text[i] != '\0') {
        if (IsCp932LeadByte(static_cast<uint8_t>(text[i]))) {
            units += 1.0;
            if (i + 1 >= text.size() || text[i + 1] == '\0') {
                break;
            }
            i += 2;
        } else {
            units += 0.5;
            i += 1;
        }
    }
    return units;
}

namespace {

// How far the pen of any glyph of the font goes, in glyph units, the start (0, 0)
// included; worked out once per font.
struct GlyphReach {
    int xmin = 0, xmax = 0, ymin = 0, ymax = 0;
};
const GlyphReach* FontGlyphReach() {
    static const uint8_t* font = nullptr;
    static size_t size = 0;
    static GlyphReach reach;
    if (g_fontData == nullptr) {
        return nullptr;
    }
    if (font != g_fontData || size != g_fontSize) {
        reach = GlyphReach{};
        for (int row = 0; row < kGlyphIndexRows; ++row) {
            for (int column = 0; column < kGlyphIndexColumns; ++column) {
                const FullWidthCode code = CodeOfSlot(row, column);
                DecodeGlyph(FindGlyph(code.lead, code.trail), [&](const GlyphStep& step) {
                    reach.xmin = std::min(reach.xmin, step.x);
                    reach.xmax = std::max(reach.xmax, step.x);
                    reach.ymin = std::min(reach.ymin, step.y);
                    reach.ymax = std::max(reach.ymax, step.y);
                });
            }
        }
        font = g_fontData;
        size = g_fontSize;
    }
    return &reach;
}

}  // namespace

bool StrokeTextGroundBounds(std::string_view text, double x0, double z0, double height,
                            double width, double angle, double bounds[4]) {
    const GlyphReach* reach = FontGlyphReach();
    if (reach == nullptr) {
        return false;
    }
    // Along the baseline: a character origin t * width (0 <= t <= the advance) plus a
    // glyph x of either character width; across it, a glyph y.
    const double advance = TextAdvanceUnits(text) * width;
    const double along[4] = {reach->xmin * kWidthPerUnit * width, reach->xmax * kWidthPerUnit * width,
                             reach->xmin * kWidthPerUnit * width * 0.5,
                             reach->xmax * kWidthPerUnit * width * 0.5};
    const double amin = std::min(0.0, advance) + std::min({0.0, along[0], along[1], along[2], along[3]});
    const double amax = std::max(0.0, advance) + std::max({0.0, along[0], along[1], along[2], along[3]});
    const double b0 = reach->ymin * kHeightPerUnit * height;
    const double b1 = reach->ymax * kHeightPerUnit * height;
    const double radians = angle * kRadiansPerDegree;
    const double cosine = std::cos(radians);
    const double sine = std::sin(radians);
    bounds[0] = bounds[1] = HUGE_VAL;
    bounds[2] = bounds[3] = -HUGE_VAL;
    for (double a : {amin, amax}) {
        for (double b : {b0, b1}) {
            const double x = x0 + a * cosine - b * sine;
            const double z = z0 - a * sine - b * cosine;
            bounds[0] = std::min(bounds[0], x);
            bounds[1] = std::min(bounds[1], z);
            bounds[2] = std::max(bounds[2], x);
            bounds[3] = std::max(bounds[3], z);
        }
    }
    // The walk sums the same terms in another order: a little room for the rounding.
    const double slack = 1e-9 * (std::fabs(x0) + std::fabs(z0) + std::fabs(amin) + std::fabs(amax) +
                                 std::fabs(b0) + std::fabs(b1));
    bounds[0] -= slack;
    bounds[1] -= slack;
    bounds[2] += slack;
    bounds[3] += slack;
    return true;
}

bool TextInsideRect(std::string_view text, const Float3& point, double xmin, double ymin,
                    double xmax, double ymax, double height, double width, double angle,
                    const ProjectionRef& projection) {
    const double length = TextAdvanceUnits(text) * width;
    const double radians = angle * kRadiansPerDegree;
    const double cosine = std::cos(radians);
    const double sine = std::sin(radians);
    const double x0 = point.x;
    const double y0 = point.y;
    const double z0 = point.z;
    const double x1 = x0 + length * cosine;
    const double z1 = z0 - length * sine;
    const double corners[4][2] = {{x0, z0},
                                  {x1, z1},
                                  {x1 - height * sine, z1 - height * cosine},
                                  {x0 - height * sine, z0 - height * cosine}};
    for (const auto& corner : corners) {
        double wx, wy, wz;
        if (!ProjectToWindow(corner[0], y0, corner[1], projection, wx, wy, wz)) {
            return false;
        }
        if (!(xmin < wx && wx < xmax && ymin < wy && wy < ymax)) {
            return false;
        }
    }
    return true;
}

}  // namespace marquetta
