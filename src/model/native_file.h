// The native drawing file (.trn): the rendering settings, the whole layer table and
// the drawing list, in the byte layout of the document archive.
#pragma once

#include <string>

#include "model/document.h"
#include "model/file_errors.h"

namespace marquetta {

// The first string of every drawing file: 15 visible characters and 5 spaces.
extern const std::string g_fileBanner;

struct LoadResult : FileResult {
    bool foreignBanner = false;  // another kind of file: read as an empty drawing
    bool emptyFile = false;      // 0 bytes: nothing read, the drawing kept as it was
};

// Saves the settings, the layer table and the shapes. The target is replaced only
// after the whole file is written; on failure the old file is untouched. On success
// the document takes the path and is no longer modified.
FileResult SaveDrawingFile(CZorader_ezDoc& doc, const std::string& path);

// Opens a drawing. When the file cannot be opened the drawing stays as it was. A file
// of 0 bytes is not read and the document takes its name. Otherwise the shapes are
// replaced: a foreign banner gives an empty drawing and counts as success; a file that
// fails part-way leaves an untitled, empty drawing, with the layers and settings that
// were read before the failure.
LoadResult LoadDrawingFile(CZorader_ezDoc& doc, const std::string& path);

}  // namespace marquetta
