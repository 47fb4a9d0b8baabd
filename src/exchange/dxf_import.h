// DXF import: replaces the drawing with the LINE, CIRCLE, ARC, TEXT, SOLID and 3DFACE
// entities of the ENTITIES section of a tagged-text DXF file, rebuilds the layer table
// from the layer names met, and moves the drawing so that the centre of its plan
// extents lies at the origin.
//
// The desktop's import command shows the file dialog and, when the drawing is
// modified, asks DxfImportSaveQuestion (yes saves first, cancel stops); then it sets
// the wait cursor, captures the mouse, calls ImportDxfFile with its cancel command,
// restores the cursor, shows the result's message if there is one, and redraws the
// whole view erasing the background.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

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

struct DxfImportResult {
    // False when the file could not be opened or read to its end: the drawing and the
    // layer table are as they were, and `message` says why.
    bool replaced = false;
    // A warning to show; empty after a clean import.
    CommandMessage message;
    // Whether the file has an ENTITIES section (without one the drawing is empty).
    bool entitiesSection = false;
    size_t shapesMade = 0;
};

// The import proper, from opening the file on. `runCancelCommand` is the view's cancel
// command; it runs once the file has been opened, before the drawing is replaced. The
// drawing is replaced only by a file read to its end; an entity with a value that a
// float cannot hold is skipped.
DxfImportResult ImportDxfFile(CZorader_ezDoc& doc, const std::string& path,
                              const std::function<void()>& runCancelCommand = {});
// The same for a DXF file's bytes held in memory; `path` names them in messages.
DxfImportResult ImportDxfBytes(CZorader_ezDoc& doc, std::string_view bytes,
                               const std::string& path,
                               const std::function<void()>& runCancelCommand = {});
// The import from a line reader already opened; `path` names the file in messages.
DxfImportResult ImportDxfLines(CZorader_ezDoc& doc, DxfLineReader& lines, const std::string& path,
                               const std::function<void()>& runCancelCommand = {});

struct DxfReadSummary {
    bool entitiesSection = false;
    size_t shapesMade = 0;
    // Plan extents of everything imported, in DXF coordinates; min above max when
    // nothing was imported.
    double minX = 1e20;
    double minY = 1e20;
    double maxX = -1e20;
    double maxY = -1e20;
    // Set when reading the file failed part-way (a read error, a line too long, text
    // that needs the missing CP932 converter); the shapes made before stay in the
    // document read into.
    FileError readError = FileError::None;
};

// Reads the pairs into shapes appended to `doc` through its current-shape template,
// creating layers as their names are first used. Does not re-centre.
DxfReadSummary ReadDxfEntities(DxfLineReader& lines, CZorader_ezDoc& doc);

// Moves every shape by -cx in x and +cy in z, (cx, cy) being the centre of the plan
// extents in DXF coordinates.
void RecentreImportedShapes(CZorader_ezDoc& doc, const DxfReadSummary& summary);

}  // namespace marquetta
