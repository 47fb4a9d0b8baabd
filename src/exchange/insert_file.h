// Inserting a drawing file: the layers and shapes of another native file are added to
// the open drawing, the shapes selected, without moving anything. The whole file is
// read and checked first, so a short or malformed file adds nothing.
//
// The desktop's insert command shows the open dialog (kInsertFilter, initial name
// "*.trn"), calls InsertDrawingFile with its cancel command, shows the message if
// there is one, and after an insert sets selectionExists to 1 and repaints without
// erasing the background.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "exchange/command_message.h"
#include "model/document.h"
#include "model/native_file.h"

namespace marquetta {

inline constexpr int kInsertCommand = 32772;
inline constexpr const char* kInsertFilter = "Tarno_IIIファイル(*.trn)|*.trn||";
inline constexpr const char* kInsertInitialName = "*.trn";
inline constexpr const char* kInsertPrompt = "オブジェクトを挿入";

struct InsertResult {
    // True when the file was read and merged; the caller then records that a
    // selection exists.
    bool inserted = false;
    // The warning when nothing was inserted.
    CommandMessage message;
    size_t shapesAdded = 0;
    int layersAdded = 0;
};

// `runCancelCommand` is the view's cancel command; it runs first, before the file is
// opened, and clears the earlier selection. Layers are merged by exact name: a new name
// is appended with the file's colour, transparency, reflection, visible flag and
// texture while fewer than 99 layers exist; an existing layer keeps its own values.
// The file's banner and rendering settings are not used.
InsertResult InsertDrawingFile(CZorader_ezDoc& doc, const std::string& path,
                               const std::function<void()>& runCancelCommand = {});
// The same for a drawing file's bytes held in memory; `path` names them in messages.
InsertResult InsertDrawingBytes(CZorader_ezDoc& doc, std::string_view bytes,
                                const std::string& path,
                                const std::function<void()>& runCancelCommand = {});

// The merge of an insert (also of a paste): the layers of `contents` by name, then its
// shapes appended selected, as read; counted into `result`.
void MergeDrawingContents(CZorader_ezDoc& doc, DrawingFileContents& contents,
                          InsertResult& result);

// The clipboard carries shapes between drawings, and from any program. Beyond the
// checks of reading the bytes as a drawing file, what a paste takes is bounded: shapes
// of the kinds the program draws, whose points and sizes are finite numbers (the first
// point becomes the placement's base), and texts, layer names and materials no longer
// than the longest line the DXF reader takes.
inline constexpr size_t kMaxClipboardStringBytes = size_t{1} << 20;

// Why a shape cannot go through the clipboard (UTF-8, for the user); empty when it can.
std::string ClipboardShapeProblem(const CShape& shape);
// The same for everything a paste would take: the layers' names and materials, then
// each shape; empty when the whole paste can be taken.
std::string ClipboardContentsProblem(const DrawingFileContents& contents);

}  // namespace marquetta
