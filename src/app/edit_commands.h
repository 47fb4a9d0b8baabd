// The edit menu's undo, redo, copy and paste: what they show and the clipboard form of
// shapes. Their handlers are the document's (AppController registers them).
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "model/undo_history.h"

namespace marquetta {

// The program's own clipboard form of shapes: a drawing file holding them and the
// layers they use. The copy also puts them on the clipboard as the text of a DXF file.
inline constexpr const char* kShapesMimeType = "application/x-marquetta-shapes";

// What a paste says when the clipboard's shapes cannot be read.
inline constexpr const char* kPasteRefusedMessage =
    "クリップボードの図形を読み込めません。何も貼り付けませんでした。";

// The menu captions, naming the step they take back or do again when there is one:
// "元に戻す(&U) 移動\tCtrl+Z", "やり直し(&R) 移動\tCtrl+Y".
std::string UndoCaption(std::optional<StepKind> step);
std::string RedoCaption(std::optional<StepKind> step);

// What the copy command says of the selected shapes it left out, none of which a paste
// would take (ClipboardShapeProblem), with why the first could not go.
std::string CopyLeftOutPrompt(size_t count, const std::string& why);

}  // namespace marquetta
