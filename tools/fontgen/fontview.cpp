// marquetta-fontview: draws one page of stroke font glyphs into an SVG or PNG file, to look
// at the font by eye.
//
//   marquetta-fontview --row LEAD [--font FILE] [--cell PIXELS] --out page.png|page.svg
//       every glyph of one lead byte (e.g. 0x82), 16 trail bytes a line from 0x40
//   marquetta-fontview --text "UTF-8 text" [--font FILE] [--cell PIXELS] --out page.png
//       the text laid out as the program lays out a text shape, one line per "\n"
//
// Without --font the font embedded in the program is drawn.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "model/cp932.h"
#include "text/stroke_font.h"

namespace {

using marquetta::DecodeGlyph;
using marquetta::FindGlyph;
using marquetta::GlyphStep;

struct Line {
    double x0, y0, x1, y1;
};

struct Page {
    int width = 0;
    int height = 0;
    std::vector<Line> grid;     // cell frames, drawn light
    std::vector<Line> strokes;  // glyph strokes
};

// Adds the strokes of one glyph whose cell has its lower left corner at (left, bottom) in
// page pixels (y down), `width` pixels per full-width advance and `height` per cell.
void AddGlyph(Page& page, uint8_t lead, uint8_t trail, double left, double bottom, double width,
              double height) {
    const double sx = width * 0.053125;
    const double sy = height * 0.0625;
    double x = left;
    double y = bottom;
    DecodeGlyph(FindGlyph(lead, trail), [&](GlyphStep s) {
        const double nx = left + s.x * sx;
        const double ny = bottom - s.y * sy;
        if (s.penDown) {
            page.strokes.push_back({x, y, nx, ny});
        }
        x = nx;
        y = ny;
    });
}

void AddFrame(Page& page, double left, double top, double width, double height) {
    page.grid.push_back({left, top, left + width, top});
    page.grid.push_back({left + width, top, left + width, top + height});
    page.grid.push_back({left + width, top + height, left, top + height});
    page.grid.push_back({left, top + height, left, top});
}

Page RowPage(int lead, int cell) {
    Page page;
    const int margin = cell / 2;
    page.width = 16 * cell + 2 * margin;
    page.height = 12 * cell + 2 * margin;
    for (int trail = 0x40; trail <= 0xFF; ++trail) {
        const int i = trail - 0x40;
        const int column = i % 16;
        const int row = i / 16;
        const double left = margin + column * cell;
        const double top = margin + row * cell;
        AddFrame(page, left, top, cell, cell);
        // The glyph fills 0.85 of the advance; centre the cell in the frame.
        const double inset = cell * 0.1;
        AddGlyph(page, static_cast<uint8_t>(lead), static_cast<uint8_t>(trail), left + inset,
                 top + cell - inset, cell - 2 * inset, cell - 2 * inset);
    }
    return page;
}

Page TextPage(const std::string& utf8, int cell) {
    std::vector<std::string> lines;
    std::istringstream in(utf8);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(marquetta::Utf8ToCp932(line));
    }
    Page page;
    const int margin = cell / 2;
    double widest = 0;
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string& s = lines[n];
        const double bottom = margin + static_cast<double>(n + 1) * cell * 1.25 - cell * 0.25;
        double t = 0;
        for (size_t i = 0; i < s.size(); ++i) {
            const auto b = static_cast<uint8_t>(s[i]);
            const double left = margin + t * cell;
            if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
                const uint8_t trail = i + 1 < s.size() ? static_cast<uint8_t>(s[++i]) : 0;
                AddGlyph(page, b, trail, left, bottom, cell, cell);
                t += 1;
            } else {
                if (const auto code = marquetta::ToFullWidthCode(b)) {
                    AddGlyph(page, code->lead, code->trail, left, bottom, cell * 0.5, cell);
                }
                t += 0.5;
            }
        }
        widest = std::max(widest, t);
    }
    page.width = static_cast<int>(std::ceil(widest * cell)) + 2 * margin;
    page.height =
        static_cast<int>(std::ceil(static_cast<double>(lines.size()) * cell * 1.25)) + 2 * margin;
    return page;
}

std::string Svg(const Page& page) {
    std::ostringstream out;
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << page.width << "\" height=\""
        << page.height << "\">\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    auto lines = [&out](const std::vector<Line>& list, const char* colour, double width) {
        out << "<g stroke=\"" << colour << "\" stroke-width=\"" << width
            << "\" stroke-linecap=\"round\">\n";
        for (const Line& l : list) {
            out << "<line x1=\"" << l.x0 << "\" y1=\"" << l.y0 << "\" x2=\"" << l.x1 << "\" y2=\""
                << l.y1 << "\"/>\n";
        }
        out << "</g>\n";
    };
    lines(page.grid, "#ccc", 1);
    lines(page.strokes, "black", 1.5);
    out << "</svg>\n";
    return out.str();
}

// Grey-scale raster: 255 white, 0 black.
struct Raster {
    int width, height;
    std::vector<uint8_t> pixels;
    void Draw(const Line& l, double halfWidth, uint8_t ink) {
        const int x0 =
            std::max(0, static_cast<int>(std::floor(std::min(l.x0, l.x1) - halfWidth - 1)));
        const int x1 =
            std::min(width - 1, static_cast<int>(std::ceil(std::max(l.x0, l.x1) + halfWidth + 1)));
        const int y0 =
            std::max(0, static_cast<int>(std::floor(std::min(l.y0, l.y1) - halfWidth - 1)));
        const int y1 =
            std::min(height - 1, static_cast<int>(std::ceil(std::max(l.y0, l.y1) + halfWidth + 1)));
        const double dx = l.x1 - l.x0;
        const double dy = l.y1 - l.y0;
        const double length2 = dx * dx + dy * dy;
        for (int py = y0; py <= y1; ++py) {
            for (int px = x0; px <= x1; ++px) {
                const double cx = px + 0.5 - l.x0;
                const double cy = py + 0.5 - l.y0;
                const double t =
                    length2 > 0 ? std::clamp((cx * dx + cy * dy) / length2, 0.0, 1.0) : 0.0;
                const double d = std::hypot(cx - t * dx, cy - t * dy);
                const double cover = std::clamp(halfWidth + 0.5 - d, 0.0, 1.0);
                uint8_t& p = pixels[static_cast<size_t>(py) * width + px];
                const double shade = 255 - cover * (255 - ink);
                p = static_cast<uint8_t>(std::min<double>(p, shade));
            }
        }
    }
};

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(v >> shift));
    }
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    PutBe32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, Crc32(out.data() + start, out.size() - start));
}

// An 8-bit grey-scale PNG with the image data in uncompressed deflate blocks.
std::vector<uint8_t> Png(const Raster& r) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < r.height; ++y) {
        raw.push_back(0);  // filter: none
        raw.insert(raw.end(), r.pixels.begin() + static_cast<long>(y) * r.width,
                   r.pixels.begin() + static_cast<long>(y + 1) * r.width);
    }
    std::vector<uint8_t> z{0x78, 0x01};
    for (size_t at = 0; at < raw.size() || at == 0;) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        z.push_back(at + n == raw.size() ? 1 : 0);
        z.push_back(static_cast<uint8_t>(n));
        z.push_back(static_cast<uint8_t>(n >> 8));
        z.push_back(static_cast<uint8_t>(~n));
        z.push_back(static_cast<uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + static_cast<long>(at),
                 raw.begin() + static_cast<long>(at + n));
        at += n;
        if (n == 0) {
            break;
        }
    }
    uint32_t a = 1;
    uint32_t b = 0;
    for (uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    PutBe32(z, (b << 16) | a);

    std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBe32(header, static_cast<uint32_t>(r.width));
    PutBe32(header, static_cast<uint32_t>(r.height));
    header.insert(header.end(), {8, 0, 0, 0, 0});  // 8 bits, grey, deflate, no filter, no interlace
    Chunk(out, "IHDR", header);
    Chunk(out, "IDAT", z);
    Chunk(out, "IEND", {});
    return out;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int Usage() {
    std::cerr
        << "usage: marquetta-fontview (--row LEAD | --text TEXT) [--font FILE] [--cell PIXELS]"
           " --out FILE.png|FILE.svg\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string fontPath;
    std::string outPath;
    std::string text;
    int row = -1;
    int cell = 48;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        const std::string value = argv[i + 1];
        if (arg == "--font") {
            fontPath = value;
        } else if (arg == "--out") {
            outPath = value;
        } else if (arg == "--text") {
            text = value;
        } else if (arg == "--row") {
            row = static_cast<int>(std::strtol(value.c_str(), nullptr, 16));
        } else if (arg == "--cell") {
            cell = std::max(8, std::atoi(value.c_str()));
        } else {
            return Usage();
        }
    }
    if (argc % 2 == 0 || outPath.empty() || (row < 0) == text.empty() || row > 0xFF) {
        return Usage();
    }
    try {
        marquetta::InitFontDefaults();
        std::vector<uint8_t> font;
        if (!fontPath.empty()) {
            font = ReadFile(fontPath);
            marquetta::g_fontData = font.data();
            marquetta::g_fontSize = font.size();
        }
        if (marquetta::g_fontData == nullptr) {
            throw std::runtime_error("no stroke font");
        }
        const Page page = row >= 0 ? RowPage(row, cell) : TextPage(text, cell);
        std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
        if (outPath.size() > 4 && outPath.substr(outPath.size() - 4) == ".svg") {
            out << Svg(page);
        } else {
            Raster raster{page.width, page.height,
                          std::vector<uint8_t>(static_cast<size_t>(page.width) * page.height, 255)};
            for (const Line& l : page.grid) {
                raster.Draw(l, 0.5, 200);
            }
            const double pen = std::max(0.6, cell / 40.0);
            for (const Line& l : page.strokes) {
                raster.Draw(l, pen, 0);
            }
            const std::vector<uint8_t> png = Png(raster);
            out.write(reinterpret_cast<const char*>(png.data()),
                      static_cast<std::streamsize>(png.size()));
        }
        out.close();
        if (!out) {
            throw std::runtime_error("cannot write " + outPath);
        }
    } catch (const std::exception& e) {
        std::cerr << "marquetta-fontview: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
