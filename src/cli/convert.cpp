#include "cli/convert.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "cli/json_dump.h"
#include "exchange/dxf_import.h"
#include "exchange/dxf_writer.h"
#include "exchange/pov_scene.h"
#include "model/binary_file.h"
#include "model/native_file.h"
#include "cli/svg_export.h"
#include "view/camera.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

constexpr const char* kHelp =
    R"(Usage: marquetta-convert [--paper W,H] [--scale N] [--size W,H] IN OUT
       marquetta-convert --help

Converts a Marquetta drawing. The formats follow from the file extensions, in any
letter case:

  IN   .trn   a native drawing file
       .dxf   a DXF file, imported exactly as the program's DXF import does it:
              its model space (lines, circles, arcs, texts, solids and faces, and
              polylines, blocks, multi-line texts, ellipses, splines, dimensions,
              leaders and hatch boundaries as those), scaled from its units to
              millimetres, layers rebuilt in order of first use in the file's
              layer colours, the plan moved by whole grid pitches of 910 mm as
              near the origin as they allow; the rendering settings are the
              program's defaults. What the drawing cannot hold is reported on
              standard error ("取り込めなかった図形: IMAGE 2, 文字の変換 3") and
              the conversion goes on
  OUT  .trn   a native drawing file (the drawing saved again)
       .dxf   a DXF file, as the program's DXF export writes it (CR LF line ends)
       .svg   the printed page as SVG: the plan at the scale 1:N on a sheet of
              W x H millimetres (the printable area; default 210 x 297, scale
              100), the world origin at the sheet's centre, black lines on
              white, exactly as the program prints it (faces and hidden layers
              are not printed)
       .json  a readable dump of the whole drawing: banner, sky, ground, north,
              season, latitude, hour, the layers (name, red, green, blue,
              transparency, reflection, visible, texture) and the shapes (type,
              selected, layer, attr, four points, four normals, text). Texts are
              converted from CP932 to UTF-8; floats are printed with 9 and doubles
              with 17 significant digits, so they read back exactly. A NaN or
              infinite value is written as the string "NaN", "Infinity" or
              "-Infinity".
       .pov   the POV-Ray scene the render command writes, seen through the
              start-up camera (straight down on the plan's origin from 50 m)
              in a view of W x H pixels (--size; default 640 x 480): the sun
              and sky of the drawing's rendering settings, one texture per
              layer, the faces on visible layers as triangles. POV-Ray
              renders it at that size with: povray +I<OUT> +W<W> +H<H>

OUT is replaced only after it has been written completely; when IN cannot be
read, nothing is written. An empty file, or one that is not a Marquetta drawing,
is refused rather than converted into an empty drawing; so is a DXF file without
an ENTITIES section.

Exit status: 0 converted, 1 a file could not be read or written (the message
says why), 2 wrong usage or an unknown extension.
)";

std::string LowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// A positive, finite number and nothing else.
bool ParsePositive(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size() && std::isfinite(value) &&
           value > 0;
}

constexpr int kMaxPixels = 100000;

bool IsPixelCount(double value) {
    return value == std::floor(value) && value <= kMaxPixels;
}

}  // namespace

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << kHelp;
        return 0;
    }
    std::vector<std::string> files;
    double paperWidth = 210.0, paperHeight = 297.0, scale = 100.0;
    double viewWidth = 640.0, viewHeight = 480.0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--paper" || a == "--scale" || a == "--size") {
            if (i + 1 == args.size()) {
                err << "marquetta-convert: " << a << " needs a value\n";
                return 2;
            }
            const std::string& value = args[++i];
            bool ok;
            if (a == "--scale") {
                ok = ParsePositive(value, scale);
            } else {
                double& w = a == "--size" ? viewWidth : paperWidth;
                double& h = a == "--size" ? viewHeight : paperHeight;
                const size_t comma = value.find(',');
                ok = comma != std::string::npos && ParsePositive(value.substr(0, comma), w) &&
                     ParsePositive(value.substr(comma + 1), h) &&
                     (a != "--size" || (IsPixelCount(w) && IsPixelCount(h)));
            }
            if (!ok) {
                err << "marquetta-convert: bad value for " << a << ": '" << value
                    << "' (--paper W,H and --scale N take positive numbers, --size W,H "
                       "whole numbers of pixels up to "
                    << kMaxPixels << ")\n";
                return 2;
            }
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) {
        err << "marquetta-convert: expected IN and OUT (see marquetta-convert --help)\n";
        return 2;
    }
    const std::string& in = files[0];
    const std::string& outPath = files[1];
    const std::string inExt = LowerExtension(in);
    const std::string outExt = LowerExtension(outPath);
    if (inExt != ".trn" && inExt != ".dxf") {
        err << "marquetta-convert: cannot read '" << inExt << "' files: " << in << "\n";
        return 2;
    }
    if (outExt != ".trn" && outExt != ".json" && outExt != ".dxf" && outExt != ".svg" &&
        outExt != ".pov") {
        err << "marquetta-convert: cannot write '" << outExt << "' files: " << outPath << "\n";
        return 2;
    }

    CZorader_ezDoc doc;
    if (inExt == ".dxf") {
        const DxfImportResult imported = ImportDxfFile(doc, in);
        if (!imported.message.empty()) {
            err << imported.message.text << "\n";
            return 1;
        }
        if (!imported.entitiesSection) {
            err << "marquetta-convert: " << in << " has no ENTITIES section; nothing converted\n";
            return 1;
        }
        if (!imported.report.empty()) {
            err << "marquetta-convert: " << in << ": " << imported.report << "\n";
        }
    } else {
        const LoadResult loaded = LoadDrawingFile(doc, in);
        if (loaded.foreignBanner) {
            err << "marquetta-convert: " << in
                << " is not a Marquetta drawing; nothing converted\n";
            return 1;
        }
        if (!loaded.ok()) {
            err << loaded.message << "\n";
            return 1;
        }
        if (loaded.emptyFile) {
            err << "marquetta-convert: " << in << " is empty; nothing converted\n";
            return 1;
        }
    }

    FileResult written;
    if (outExt == ".trn") {
        written = SaveDrawingFile(doc, outPath);
    } else if (outExt == ".dxf") {
        written = WriteDxfFile(doc, outPath);
    } else if (outExt == ".svg") {
        g_paperWidth = paperWidth;
        g_paperHeight = paperHeight;
        g_scaleDenominator = scale;
        written = ExportPrintedPageSvg(doc, outPath);
    } else if (outExt == ".pov") {
        ComputePaintTransforms(static_cast<int>(viewWidth), static_cast<int>(viewHeight));
        written = WritePovScene(doc, outPath);
    } else {
        written = WriteFileSafely(outPath, [&](SafeFileWriter& writer) {
            WriteDrawingJson(
                doc, [&](std::string_view piece) { writer.Write(piece.data(), piece.size()); });
        });
    }
    if (!written.ok()) {
        err << written.message << "\n";
        return 1;
    }
    return 0;
}

}  // namespace marquetta
