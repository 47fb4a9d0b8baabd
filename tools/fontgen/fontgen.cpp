#include "fontgen/fontgen.h"

#include <iconv.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <tuple>

namespace marquetta::fontgen {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    return s;
}

std::vector<std::string_view> Split(std::string_view s, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        const size_t end = s.find(separator, start);
        parts.push_back(s.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

[[noreturn]] void Malformed(const char* what, size_t lineNumber, std::string_view line) {
    throw std::runtime_error(std::string(what) + " at line " + std::to_string(lineNumber) + ": " +
                             std::string(line));
}

std::optional<double> ParseNumber(std::string_view s) {
    s = Trim(s);
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty()) {
        return std::nullopt;
    }
    return value;
}

std::optional<char32_t> ParseCodePoint(std::string_view s) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, 16);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty() || value > 0x10FFFF) {
        return std::nullopt;
    }
    return static_cast<char32_t>(value);
}

// Appends the glyph's own lines and, recursively, those of the glyphs it includes.
void Resolve(char32_t code, const std::map<char32_t, SourceGlyph>& own,
             const std::map<char32_t, std::vector<char32_t>>& includes, int depth,
             SourceGlyph& out) {
    if (depth > 16) {
        throw std::runtime_error("glyph inclusions nest too deep at U+" + std::to_string(code));
    }
    if (const auto it = own.find(code); it != own.end()) {
        out.insert(out.end(), it->second.begin(), it->second.end());
    }
    if (const auto it = includes.find(code); it != includes.end()) {
        for (char32_t included : it->second) {
            Resolve(included, own, includes, depth + 1, out);
        }
    }
}

}  // namespace

std::vector<PointF> FlattenArc(PointF from, PointF to, double bulge) {
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const double chord = std::hypot(dx, dy);
    const double angle = 4.0 * std::atan(bulge);  // included angle, signed
    if (chord == 0.0 || std::abs(bulge) < 1e-9) {
        return {to};
    }
    // The centre lies on the chord's perpendicular bisector, to the left of the chord for a
    // counter-clockwise arc of less than a half turn.
    const double distance = (chord / 2.0) / std::tan(angle / 2.0);
    const PointF centre{(from.x + to.x) / 2.0 - dy / chord * distance,
                        (from.y + to.y) / 2.0 + dx / chord * distance};
    const double radius = std::hypot(from.x - centre.x, from.y - centre.y);
    const double start = std::atan2(from.y - centre.y, from.x - centre.x);
    // One piece per 22.5 degrees, at least two.
    const int pieces = std::max(2, static_cast<int>(std::ceil(std::abs(angle) / (kPi / 8.0))));
    std::vector<PointF> points;
    for (int i = 1; i < pieces; ++i) {
        const double a = start + angle * i / pieces;
        points.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
    }
    points.push_back(to);
    return points;
}

std::map<char32_t, SourceGlyph> ParseLff(const std::string& text) {
    std::map<char32_t, SourceGlyph> own;
    std::map<char32_t, std::vector<char32_t>> includes;
    std::optional<char32_t> current;
    size_t lineNumber = 0;
    for (std::string_view raw : Split(text, '\n')) {
        ++lineNumber;
        const std::string_view line = Trim(raw);
        if (line.empty()) {
            current.reset();
            continue;
        }
        if (line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            const size_t close = line.find(']');
            const auto code = close == std::string_view::npos
                                  ? std::nullopt
                                  : ParseCodePoint(line.substr(1, close - 1));
            if (!code) {
                Malformed("bad glyph header", lineNumber, line);
            }
            current = *code;
            own[*code];  // a glyph without lines (a space) still exists
            continue;
        }
        if (!current) {
            Malformed("glyph data outside a glyph", lineNumber, line);
        }
        if (line.front() == 'C') {
            const auto code = ParseCodePoint(line.substr(1));
            if (!code) {
                Malformed("bad glyph inclusion", lineNumber, line);
            }
            includes[*current].push_back(*code);
            continue;
        }
        Polyline polyline;
        for (std::string_view point : Split(line, ';')) {
            if (Trim(point).empty()) {
                continue;
            }
            const auto fields = Split(point, ',');
            if (fields.size() < 2 || fields.size() > 3) {
                Malformed("bad point", lineNumber, line);
            }
            const auto x = ParseNumber(fields[0]);
            const auto y = ParseNumber(fields[1]);
            if (!x || !y) {
                Malformed("bad coordinate", lineNumber, line);
            }
            const PointF p{*x, *y};
            if (fields.size() == 3) {
                const std::string_view arc = Trim(fields[2]);
                const auto bulge = arc.size() > 1 && arc.front() == 'A' ? ParseNumber(arc.substr(1))
                                                                        : std::optional<double>();
                if (!bulge || polyline.empty()) {
                    Malformed("bad arc", lineNumber, line);
                }
                for (const PointF& q : FlattenArc(polyline.back(), p, *bulge)) {
                    polyline.push_back(q);
                }
            } else {
                polyline.push_back(p);
            }
        }
        own[*current].push_back(std::move(polyline));
    }
    std::map<char32_t, SourceGlyph> glyphs;
    for (const auto& [code, lines] : own) {
        Resolve(code, own, includes, 0, glyphs[code]);
    }
    return glyphs;
}

namespace {

// KST32B draws on steps of 0.3125 units; its 32 steps 0-31 span the em, which maps onto
// grid units 0-15.
constexpr double kGridPerUnit = 15.0 / (31 * 0.3125);

int SnapToCell(double v) {
    const int g = static_cast<int>(std::floor(v + 0.5));
    return std::clamp(g, 0, 15);
}

}  // namespace

int GridX(double x) {
    return SnapToCell(x * kGridPerUnit + 0.5);
}
int GridY(double y) {
    return SnapToCell(y * kGridPerUnit);
}

std::vector<Segment> SnapGlyph(const SourceGlyph& glyph) {
    std::vector<Segment> segments;
    for (const Polyline& line : glyph) {
        for (size_t i = 1; i < line.size(); ++i) {
            segments.push_back(
                {GridX(line[i - 1].x), GridY(line[i - 1].y), GridX(line[i].x), GridY(line[i].y)});
        }
    }
    return segments;
}

std::map<char32_t, Bitmap> ParseUnifontHex(const std::string& text) {
    std::map<char32_t, Bitmap> bitmaps;
    size_t lineNumber = 0;
    for (std::string_view raw : Split(text, '\n')) {
        ++lineNumber;
        const std::string_view line = Trim(raw);
        if (line.empty()) {
            continue;
        }
        const size_t colon = line.find(':');
        const auto code =
            colon == std::string_view::npos ? std::nullopt : ParseCodePoint(line.substr(0, colon));
        const std::string_view hex = colon == std::string_view::npos ? "" : line.substr(colon + 1);
        if (!code || (hex.size() != 32 && hex.size() != 64)) {
            Malformed("bad bitmap line", lineNumber, line);
        }
        const size_t digitsPerRow = hex.size() / 16;
        Bitmap rows(16);
        for (size_t r = 0; r < 16; ++r) {
            unsigned value = 0;
            const char* begin = hex.data() + r * digitsPerRow;
            const auto [end, ec] = std::from_chars(begin, begin + digitsPerRow, value, 16);
            if (ec != std::errc() || end != begin + digitsPerRow) {
                Malformed("bad bitmap digits", lineNumber, line);
            }
            rows[r] = static_cast<uint16_t>(digitsPerRow == 2 ? value << 4 : value);
        }
        bitmaps[*code] = std::move(rows);
    }
    return bitmaps;
}

std::vector<Segment> TraceBitmap(const Bitmap& bitmap) {
    auto set = [&bitmap](int c, int r) {
        return c >= 0 && c < 16 && r >= 0 && r < 16 && r < static_cast<int>(bitmap.size()) &&
               ((bitmap[static_cast<size_t>(r)] >> (15 - c)) & 1) != 0;
    };
    std::vector<Segment> segments;
    // Runs along rows and along columns.
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 16;) {
            int end = c;
            while (set(end, r)) {
                ++end;
            }
            if (end - c >= 2) {
                segments.push_back({c, 15 - r, end - 1, 15 - r});
            }
            c = end > c ? end : c + 1;
        }
    }
    for (int c = 0; c < 16; ++c) {
        for (int r = 0; r < 16;) {
            int end = r;
            while (set(c, end)) {
                ++end;
            }
            if (end - r >= 2) {
                segments.push_back({c, 15 - r, c, 15 - (end - 1)});
            }
            r = end > r ? end : r + 1;
        }
    }
    // Diagonal steps that no orthogonal pixel links; CleanStrokes joins them into lines.
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 16; ++c) {
            if (!set(c, r)) {
                continue;
            }
            if (set(c + 1, r + 1) && !set(c + 1, r) && !set(c, r + 1)) {
                segments.push_back({c, 15 - r, c + 1, 15 - (r + 1)});
            }
            if (set(c + 1, r - 1) && !set(c + 1, r) && !set(c, r - 1)) {
                segments.push_back({c, 15 - r, c + 1, 15 - (r - 1)});
            }
        }
    }
    // Pixels with no neighbour at all.
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 16; ++c) {
            if (!set(c, r)) {
                continue;
            }
            bool alone = true;
            for (int dr = -1; dr <= 1 && alone; ++dr) {
                for (int dc = -1; dc <= 1; ++dc) {
                    if ((dr != 0 || dc != 0) && set(c + dc, r + dr)) {
                        alone = false;
                        break;
                    }
                }
            }
            if (alone) {
                const int y = 15 - r;
                segments.push_back(c < 15 ? Segment{c, y, c + 1, y} : Segment{c - 1, y, c, y});
            }
        }
    }
    return segments;
}

std::vector<Segment> CleanStrokes(const std::vector<Segment>& strokes) {
    // Group the strokes by the line they lie on: its primitive direction (px, py), pointing
    // right or up, and the cross product that is constant along it.
    struct Piece {
        long t0, t1;  // positions along the line, t0 < t1
        int x0, y0, x1, y1;
    };
    std::map<std::tuple<int, int, long>, std::vector<Piece>> lines;
    for (Segment s : strokes) {
        int dx = s.x1 - s.x0;
        int dy = s.y1 - s.y0;
        if (dx == 0 && dy == 0) {
            continue;
        }
        if (dx < 0 || (dx == 0 && dy < 0)) {
            s = {s.x1, s.y1, s.x0, s.y0};
            dx = -dx;
            dy = -dy;
        }
        const int g = std::gcd(dx, dy);
        const int px = dx / g;
        const int py = dy / g;
        const long cross = static_cast<long>(px) * s.y0 - static_cast<long>(py) * s.x0;
        const long t0 = static_cast<long>(px) * s.x0 + static_cast<long>(py) * s.y0;
        const long t1 = static_cast<long>(px) * s.x1 + static_cast<long>(py) * s.y1;
        lines[{px, py, cross}].push_back({t0, t1, s.x0, s.y0, s.x1, s.y1});
    }
    std::vector<Segment> out;
    for (auto& [key, pieces] : lines) {
        std::sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) {
            return std::tie(a.t0, a.t1) < std::tie(b.t0, b.t1);
        });
        Piece run = pieces.front();
        for (size_t i = 1; i <= pieces.size(); ++i) {
            if (i < pieces.size() && pieces[i].t0 <= run.t1) {
                if (pieces[i].t1 > run.t1) {
                    run.t1 = pieces[i].t1;
                    run.x1 = pieces[i].x1;
                    run.y1 = pieces[i].y1;
                }
                continue;
            }
            out.push_back({run.x0, run.y0, run.x1, run.y1});
            if (i < pieces.size()) {
                run = pieces[i];
            }
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

namespace {

struct Point {
    int x, y;
    friend auto operator<=>(const Point&, const Point&) = default;
};

}  // namespace

std::vector<GlyphStep> OrderStrokes(const std::vector<Segment>& strokes) {
    auto startOf = [&](size_t e) { return Point{strokes[e].x0, strokes[e].y0}; };
    auto endOf = [&](size_t e) { return Point{strokes[e].x1, strokes[e].y1}; };
    std::map<Point, std::vector<size_t>> edgesAt;
    for (size_t e = 0; e < strokes.size(); ++e) {
        edgesAt[startOf(e)].push_back(e);
        edgesAt[endOf(e)].push_back(e);
    }
    std::vector<bool> used(strokes.size(), false);
    auto otherEnd = [&](size_t e, Point p) { return startOf(e) == p ? endOf(e) : startOf(e); };
    auto remainingDegree = [&](Point p) {
        int n = 0;
        for (size_t e : edgesAt[p]) {
            n += used[e] ? 0 : 1;
        }
        return n;
    };
    // Whether `to` can still be reached from `from` over unused strokes other than `skip`.
    auto reachable = [&](Point from, Point to, size_t skip) {
        std::vector<Point> stack{from};
        std::map<Point, bool> seen{{from, true}};
        while (!stack.empty()) {
            const Point p = stack.back();
            stack.pop_back();
            if (p == to) {
                return true;
            }
            for (size_t e : edgesAt[p]) {
                if (used[e] || e == skip) {
                    continue;
                }
                const Point q = otherEnd(e, p);
                if (!seen[q]) {
                    seen[q] = true;
                    stack.push_back(q);
                }
            }
        }
        return false;
    };

    std::vector<GlyphStep> path;
    Point pen{0, 0};
    size_t left = strokes.size();
    bool lifted = false;  // the path has its opening pen-up move
    while (left > 0) {
        std::optional<size_t> next;
        if (lifted) {
            // Draw on from the pen's point, over a stroke that does not cut off the rest of
            // the figure when another one is there.
            std::vector<size_t> candidates;
            for (size_t e : edgesAt[pen]) {
                if (!used[e]) {
                    candidates.push_back(e);
                }
            }
            for (size_t e : candidates) {
                if (candidates.size() == 1 || reachable(pen, otherEnd(e, pen), e)) {
                    next = e;
                    break;
                }
            }
            if (!next && !candidates.empty()) {
                next = candidates.front();
            }
        }
        if (!next) {
            // Lift the pen: to a point with an odd number of strokes left if there is one,
            // the nearest such point, ties by position.
            std::optional<Point> best;
            std::tuple<int, int, Point> bestKey{};
            for (const auto& [p, edges] : edgesAt) {
                const int degree = remainingDegree(p);
                if (degree == 0) {
                    continue;
                }
                const int distance = (p.x - pen.x) * (p.x - pen.x) + (p.y - pen.y) * (p.y - pen.y);
                const std::tuple<int, int, Point> key{degree % 2 == 1 ? 0 : 1, distance, p};
                if (!best || key < bestKey) {
                    best = p;
                    bestKey = key;
                }
            }
            pen = *best;
            path.push_back({pen.x, pen.y, false});
            lifted = true;
            continue;
        }
        used[*next] = true;
        --left;
        pen = otherEnd(*next, pen);
        path.push_back({pen.x, pen.y, true});
    }
    return path;
}

char32_t DecodeCp932(uint8_t lead, uint8_t trail) {
    static iconv_t cd = iconv_open("UTF-32LE", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("iconv cannot convert CP932");
    }
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = 2;
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    if (rc == static_cast<size_t>(-1) || inLeft != 0 || outLeft != 4) {
        return 0;
    }
    const auto* b = reinterpret_cast<const unsigned char*>(out);
    return static_cast<char32_t>(b[0] | (b[1] << 8) | (b[2] << 16) |
                                 (static_cast<uint32_t>(b[3]) << 24));
}

namespace {

// CP932 decodes six characters to code points other than those of JIS X 0208 tables;
// a font may carry either form.
char32_t Cp932Variant(char32_t c) {
    switch (c) {
        case 0xFF5E:
            return 0x301C;  // wave dash
        case 0x2225:
            return 0x2016;  // double vertical line
        case 0xFF0D:
            return 0x2212;  // minus sign
        case 0xFFE0:
            return 0x00A2;  // cent sign
        case 0xFFE1:
            return 0x00A3;  // pound sign
        case 0xFFE2:
            return 0x00AC;  // not sign
        case 0x301C:
            return 0xFF5E;
        case 0x2016:
            return 0x2225;
        case 0x2212:
            return 0xFF0D;
        case 0x00A2:
            return 0xFFE0;
        case 0x00A3:
            return 0xFFE1;
        case 0x00AC:
            return 0xFFE2;
        default:
            return 0;
    }
}

template <class Map>
const typename Map::mapped_type* FindEither(const Map& map, char32_t c) {
    if (const auto it = map.find(c); it != map.end()) {
        return &it->second;
    }
    if (const auto it = map.find(Cp932Variant(c)); it != map.end()) {
        return &it->second;
    }
    return nullptr;
}

void PutLe(std::vector<uint8_t>& file, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        file[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void PutText(std::vector<uint8_t>& file, size_t at, size_t width, std::string_view text, char pad) {
    for (size_t i = 0; i < width; ++i) {
        file[at + i] = static_cast<uint8_t>(i < text.size() ? text[i] : pad);
    }
}

}  // namespace

FontBuild BuildFont(const std::map<char32_t, SourceGlyph>& strokeGlyphs,
                    const std::map<char32_t, Bitmap>& bitmapGlyphs) {
    FontBuild build;
    std::vector<uint8_t>& file = build.file;
    file.assign(kGlyphRecordsOffset, 0);
    // Header: name, words, notice. The program reads none of it.
    PutText(file, 0, 12, "STROKE.FNT", '\0');
    PutLe(file, 12, 1, 4);
    PutLe(file, 16, 0, 4);
    PutLe(file, 20, 8500, 4);
    PutLe(file, 24, static_cast<uint32_t>(kGlyphIndexOffset), 2);
    PutLe(file, 26, static_cast<uint32_t>(kGlyphRecordsOffset), 2);
    PutText(file, 48, 80, "Marquetta stroke font: KST32B and GNU Unifont glyphs, GPL-2.0-or-later",
            ' ');

    std::map<std::vector<uint8_t>, size_t> written;
    for (int row = 0; row < kGlyphIndexRows; ++row) {
        for (int column = 0; column < kGlyphIndexColumns; ++column) {
            const FullWidthCode code = CodeOfSlot(row, column);
            const char32_t c = DecodeCp932(code.lead, code.trail);
            if (c == 0) {
                continue;
            }
            ++build.addressable;
            std::vector<Segment> strokes;
            if (const SourceGlyph* glyph = FindEither(strokeGlyphs, c)) {
                strokes = SnapGlyph(*glyph);
                ++build.fromStrokeFont;
            } else if (const Bitmap* bitmap = FindEither(bitmapGlyphs, c)) {
                strokes = TraceBitmap(*bitmap);
                ++build.fromBitmapFont;
            } else {
                ++build.missing;
                continue;
            }
            const std::vector<GlyphStep> path = OrderStrokes(CleanStrokes(strokes));
            if (path.empty()) {
                ++build.blank;
            }
            if (path.size() > 255) {
                throw std::runtime_error("the glyph of code " +
                                         std::to_string(code.lead * 256 + code.trail) + " needs " +
                                         std::to_string(path.size()) + " commands");
            }
            std::vector<uint8_t> record = EncodeGlyph(path);
            build.largestCommands = std::max(build.largestCommands, static_cast<int>(path.size()));
            build.largestRecord = std::max(build.largestRecord, static_cast<int>(record.size()));
            auto [it, added] = written.try_emplace(std::move(record), file.size());
            if (added) {
                file.insert(file.end(), it->first.begin(), it->first.end());
                ++build.distinctRecords;
            }
            const size_t offset = it->second;
            if (offset >= (size_t{1} << 24)) {
                throw std::runtime_error("the font outgrows the 24-bit glyph index");
            }
            const size_t at = GlyphIndexEntryOffset(row, column);
            file[at] = static_cast<uint8_t>(offset >> 16);
            file[at + 1] = static_cast<uint8_t>(offset >> 8);
            file[at + 2] = static_cast<uint8_t>(offset);
        }
    }
    return build;
}

}  // namespace marquetta::fontgen
