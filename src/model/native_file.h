// The native drawing file (.trn): the rendering settings, the whole layer table and
// the drawing list, in the byte layout of the document archive.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "model/binary_file.h"
#include "model/document.h"
#include "model/file_errors.h"
#include "model/layers.h"

namespace marquetta {

// The first string of every drawing file: 15 visible characters and 5 spaces.
extern const std::string g_fileBanner;

struct LoadResult : FileResult {
    bool foreignBanner = false;  // another kind of file: refused (NotADrawing)
    bool emptyFile = false;      // 0 bytes: nothing read, the drawing kept as it was
};

// The extensions of the other formats the program writes (DXF, SVG, the POV-Ray
// scene, the JSON dump, a printed PDF, a rendered picture), without the dot.
inline constexpr const char* kOtherFormatExtensions[] = {"dxf", "svg", "pov", "json", "pdf", "png"};
// The name a drawing is saved under when asked for `path`: `path` itself, or with ".trn"
// added where its extension (in any letter case) belongs to another format, so that no
// program takes the drawing for a file of that format.
std::string NativeFileName(const std::string& path);

// Saves the settings, the layer table and the shapes. The target is replaced only
// after the whole file is written; on failure the old file is untouched. On success
// the document takes the path and is no longer modified.
FileResult SaveDrawingFile(CZorader_ezDoc& doc, const std::string& path);

// Opens a drawing. A file of 0 bytes is not read and the document takes its name. A
// file of another kind (a banner not the drawing file's: a newer version's, another
// program's) is refused with a message naming it and its banner where printable, and
// changes nothing, so that no later save can write over it. Otherwise the whole file
// is read and checked first: a file that cannot be opened, or that fails part-way,
// leaves the drawing, the layer table and the settings as they were; a good one
// replaces the shapes, the settings and the stored layer slots.
LoadResult LoadDrawingFile(CZorader_ezDoc& doc, const std::string& path);
// The same for a drawing file's bytes held in memory; the document takes `path`.
LoadResult LoadDrawingBytes(CZorader_ezDoc& doc, std::string_view bytes, const std::string& path);

// One layer record of a drawing file.
struct StoredLayer {
    std::string name;
    std::array<double, LAYER_ATTRIBUTE_COUNT> attributes{};
    std::string texture;
};

// Everything a drawing file holds, read apart from the program's own state.
struct DrawingFileContents {
    std::string banner;
    std::string sky;
    std::string ground;
    double north = 0.0;
    double season = 0.0;
    double latitude = 0.0;
    double hour = 0.0;
    std::vector<StoredLayer> layers;
    std::vector<CShape> shapes;
};

// Reads a whole drawing file from an opened reader with the checks of loading (string
// forms, counts, class tags), but the banner is kept rather than compared. `contents`
// is filled only when the whole file was read; otherwise it is untouched and the error
// says why (UnexpectedFormat for a short or malformed file).
FileError ReadDrawingContents(BinaryReader& reader, DrawingFileContents& contents);

// Shapes as the clipboard carries them between drawings: a drawing file in memory with
// the rendering settings, the layers the shapes use (in table order) and the shapes.
std::string ShapesToBytes(const std::vector<const CShape*>& shapes);
// ReadDrawingContents over bytes in memory, which may come from anywhere.
FileError ReadDrawingBytes(std::string_view bytes, DrawingFileContents& contents);

}  // namespace marquetta
