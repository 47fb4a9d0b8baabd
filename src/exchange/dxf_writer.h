// DXF export: the whole drawing list as a tagged-text DXF file with a fixed preamble
// (header extents, a line-type table, a text-style table) and one entity per shape.
// Lines end with CR LF. The file is written beside the target and renamed over it only
// when complete, so a failed export leaves an existing file as it was.
//
// The desktop's export command shows the save dialog on the drawing's name with ".dxf"
// (kDxfExportFilter; a name typed without an extension gains ".dxf" there and is asked
// about before it replaces a file, and so is the offered name accepted as it is; a name
// typed with its extension is not), calls ExportDxfFile and shows its message.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "exchange/command_message.h"
#include "model/document.h"
#include "model/file_errors.h"

namespace marquetta {

inline constexpr int kDxfExportCommand = 32784;
inline constexpr const char* kDxfExportFilter = "DXF ファイル (*.dxf)|*.dxf||";
inline constexpr const char* kDxfExportDefaultExtension = "dxf";

// Whether the path contains ".dxf" or ".DXF" anywhere (other letter cases do not count).
bool HasDxfExtension(std::string_view path);

// Writes the drawing as DXF. A file that cannot be created gives "%s が開けません";
// a failure while writing gives the file layer's message.
FileResult WriteDxfFile(const CZorader_ezDoc& doc, const std::string& path);
// What WriteDxfFile would write for a drawing of these shapes alone.
std::string DxfText(const std::vector<const CShape*>& shapes);

struct DxfExportResult {
    bool written = false;
    // The success note ("ＤＸＦ", information) or the warning.
    CommandMessage message;
};

// The export command from the extension check on.
DxfExportResult ExportDxfFile(const CZorader_ezDoc& doc, const std::string& path);

}  // namespace marquetta
