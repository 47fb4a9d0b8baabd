// DXF import: replaces the drawing with the model space of a tagged-text DXF file:
// lines, circles, arcs, texts, solids and faces, and everything that CAD programs
// write today as those (polylines, blocks, multi-line texts, curves, dimensions,
// leaders, hatch boundaries; dxf_entities.h says how). The layer table is rebuilt from
// the layer names met, in the colours of the file's layers; a drawing in other units
// ($INSUNITS) is scaled to millimetres; and the drawing is moved by whole grid pitches
// so that the centre of its plan extents comes as near the origin as the grid allows.
//
// The desktop's import command shows the file dialog and, when the drawing is
// modified, asks DxfImportSaveQuestion (yes saves first, cancel stops); then it sets
// the wait cursor, captures the mouse, calls ImportDxfFile with its cancel command,
// restores the cursor, shows the result's message if there is one, puts
// DxfImportStatusText on the status line after an import, shows the report of what
// was left out if there is one, and redraws the whole view erasing the background.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "exchange/command_message.h"
#include "exchange/dxf_reader.h"
#include "model/document.h"

namespace marquetta {

inline constexpr int kDxfImportCommand = 32771;
// The open dialog: default extension and initial file name; no filter list.
inline constexpr const char* kDxfImportDefaultExtension = "dxf";
inline constexpr const char* kDxfImportInitialName = "*.dxf";

// The question asked before importing over a modified drawing: the document's title,
// a space and "への変更を保存しますか？" (yes / no / cancel, exclamation icon).
std::string DxfImportSaveQuestion(const CZorader_ezDoc& doc);

// Placing blocks stops past this many shapes (and as many steps of work): a file whose
// nested grids of blocks would grow beyond it is refused. The lines that curves
// (ellipses, splines) become beyond the first of each count too, so that a few bytes
// of curves cannot ask for billions of lines either.
inline constexpr uint64_t kDxfExpansionBound = 10'000'000;

struct DxfReadOptions {
    uint64_t expansionBound = kDxfExpansionBound;
    // Shapes are made relative to a point near the first one (on the grid), so that a
    // plan far from the origin keeps its precision until it is moved there.
    bool nearFirstPoint = false;
};

struct DxfImportResult {
    // False when the file could not be opened or read to its end, or its blocks would
    // grow past the bound: the drawing and the layer table are as they were, and
    // `message` says why.
    bool replaced = false;
    // A warning to show; empty after a clean import.
    CommandMessage message;
    // Whether the file has an ENTITIES section (without one the drawing is empty).
    bool entitiesSection = false;
    size_t shapesMade = 0;
    // What the drawing could not hold, as the user is told it ("取り込めなかった図形:
    // IMAGE 2, 文字の変換 3"); empty when nothing was left out.
    std::string report;
    // How far the plan was moved, in millimetres along the file's X and Y (whole grid
    // pitches), and the millimetres per unit of the file.
    double movedX = 0.0;
    double movedY = 0.0;
    double unitScale = 1.0;
    std::string units;  // the name of the file's units when they were not millimetres
};

// The status line after an import: how far the drawing was moved (and from which
// units it was scaled).
std::string DxfImportStatusText(const DxfImportResult& result);
// The report of what was left out, as a message ("ＤＸＦ", information); empty when
// nothing was.
CommandMessage DxfImportReportMessage(const DxfImportResult& result);

// The import proper, from opening the file on. `runCancelCommand` is the view's cancel
// command; it runs once the file has been opened, before the drawing is replaced. The
// drawing is replaced only by a file read to its end; an entity with a value that a
// float cannot hold is skipped.
DxfImportResult ImportDxfFile(CZorader_ezDoc& doc, const std::string& path,
                              const std::function<void()>& runCancelCommand = {},
                              uint64_t expansionBound = kDxfExpansionBound);
// The same for a DXF file's bytes held in memory; `path` names them in messages.
DxfImportResult ImportDxfBytes(CZorader_ezDoc& doc, std::string_view bytes,
                               const std::string& path,
                               const std::function<void()>& runCancelCommand = {},
                               uint64_t expansionBound = kDxfExpansionBound);
// The import from a line reader already opened; `path` names the file in messages.
DxfImportResult ImportDxfLines(CZorader_ezDoc& doc, DxfLineReader& lines, const std::string& path,
                               const std::function<void()>& runCancelCommand = {},
                               uint64_t expansionBound = kDxfExpansionBound);

struct DxfReadSummary {
    bool entitiesSection = false;
    size_t shapesMade = 0;
    // Plan extents of everything imported, in the file's X and Y scaled to
    // millimetres; min above max when nothing was imported.
    double minX = 1e20;
    double minY = 1e20;
    double maxX = -1e20;
    double maxY = -1e20;
    // The point the shapes were made relative to (X and Y in millimetres; zero unless
    // DxfReadOptions::nearFirstPoint).
    double originX = 0.0;
    double originY = 0.0;
    double unitScale = 1.0;
    int unitCode = 0;  // $INSUNITS
    // What was left out (ImportReport's text); empty when nothing was.
    std::string report;
    // Set when reading the file failed part-way (a read error, a line too long, text
    // that needs the missing CP932 converter); the shapes made before stay in the
    // document read into.
    FileError readError = FileError::None;
    // Set when placing its blocks, or the lines of its curves, went past the bound; the
    // shapes made before stay.
    bool tooLarge = false;
    bool curvesTooLarge = false;  // the lines of curves went past it
};

// Reads the pairs into shapes appended to `doc` through its current-shape template,
// creating layers as their names are first used. Does not re-centre.
DxfReadSummary ReadDxfEntities(DxfLineReader& lines, CZorader_ezDoc& doc,
                               const DxfReadOptions& options = {});

// Moves every shape so that the centre of the plan extents comes to the origin, by
// whole pitches of the grid (exactly, when there is no usable pitch). Returns how far
// the plan moved, in millimetres along the file's X and Y.
std::pair<double, double> RecentreImportedShapes(CZorader_ezDoc& doc,
                                                 const DxfReadSummary& summary);

}  // namespace marquetta
