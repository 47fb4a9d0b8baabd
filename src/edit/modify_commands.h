// The modify commands that work on the selection: erase, move and copy, with move's and
// copy's base-point and destination steps and continuous copy. Selecting itself (clicks
// and windows in the idle and collecting states) is the command state machine's first
// and second step with picking's pickToggle and selectInWindow.
#pragma once

#include "model/document.h"
#include "model/geometry.h"

namespace marquetta {

inline constexpr const char* kPromptMoveSelect = "【移動】－選択(右クリックで確定)";
inline constexpr const char* kPromptMoveDestination = "【移動】－目的点";
// The copy command shows the key as "m"; the right button's prompt shows it as "M".
inline constexpr const char* kPromptCopyStart = "【複写】－基点(m:連続)";
inline constexpr const char* kPromptCopySelect = "【複写】－選択(右クリックで確定)";
inline constexpr const char* kPromptCopyDestination = "【複写】－目的点(右クリックで終了)";
inline constexpr const char* kPromptPasteDestination = "【貼り付け】－目的点(右クリックでその場)";

// Removes every selected shape, whatever its layer; nothing goes to a clipboard. The
// command and its prompt stay as they are.
void EraseSelection(CZorader_ezDoc& doc);

// The move and copy commands: straight to the base point with a selection, else first
// collecting one (until the right button is released).
void StartMove();
void StartCopy();

// The base point of a move or copy (snapped with snap on, or refused).
void BasePointClick(const CZorader_ezDoc& doc, int x, int y);
// The destination (snapped with snap on; a refused click leaves the step pending).
void DestinationClick(CZorader_ezDoc& doc, int x, int y);

// Shapes just pasted (and selected) follow the cursor from `base` until a click places
// them, as the destination of a move; the right button leaves them where they are.
void StartPastePlacement(const Float3& base);
// The right button while placing: the shapes stay, selected, and the move ends.
void EndPastePlacement(const CZorader_ezDoc& doc);
// The same when a placement is going on: another command begins, or the drawing is
// replaced.
void EndAnyPastePlacement(const CZorader_ezDoc& doc);

// The selected lines, circles, arcs and texts of visible layers moved by destination -
// firstPoint and deselected; the move ends. Faces, shapes of kinds the program does not
// know and shapes of hidden layers stay where they are and stay selected. Placing
// pasted shapes moves every selected shape of a known kind. A move that would take a
// coordinate beyond single precision is refused (RefuseBeyondRange) and changes
// nothing: false.
bool MoveSelectionTo(CZorader_ezDoc& doc, const Double3& destination);
// A copy of each of those shapes, moved by destination - firstPoint. Without
// continuous copy the sources are deselected and the copy ends; with it they stay
// selected and the next destination is awaited from the same base point. Refused as
// the move is.
bool CopySelectionTo(CZorader_ezDoc& doc, const Double3& destination);

}  // namespace marquetta
