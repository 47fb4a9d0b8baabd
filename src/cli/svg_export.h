// The printed page as an SVG document: the same drawing code as printing, through a
// pen that writes paths. The page is the printable area, in millimetres from its
// top-left corner; strokes are black on white.
#pragma once

#include <string>

#include "model/document.h"
#include "model/file_errors.h"

namespace marquetta {

// The page of the current sheet settings (paper size and scale) as SVG text.
std::string PrintedPageSvg(const CZorader_ezDoc& doc);

// Writes PrintedPageSvg to `path` through a temporary file.
FileResult ExportPrintedPageSvg(const CZorader_ezDoc& doc, const std::string& path);

}  // namespace marquetta
