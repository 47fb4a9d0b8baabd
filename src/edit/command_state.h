// The command state machine of the drawing view: what the draw and cancel commands set,
// the prompts of every step, the dispatch of a left click by the step, the draw command
// and the modify state, and the meaning of the right button in each state. The bodies
// are members of CZorader_ezView (view.h); the steps themselves live with their topic.
#pragma once

#include "model/document.h"

namespace marquetta {

// Prompt line texts.
inline constexpr const char* kPromptLineStart = "【直線】－始点";
inline constexpr const char* kPromptLineEnd = "【直線】－終点(右クリックで終了)";
inline constexpr const char* kPromptCircleCentre = "【円】－中心点";
inline constexpr const char* kPromptCircleRadius = "【円】－半径";
inline constexpr const char* kPromptArcCentre = "【円弧】－中心点";
inline constexpr const char* kPromptArcStart = "【円弧】－始点";
inline constexpr const char* kPromptArcEnd = "【円弧】－終点(D:逆廻り)";
inline constexpr const char* kPromptTextPoint = "【文字】－始点";
inline constexpr const char* kPromptMoveBase = "【移動】－基点";
inline constexpr const char* kPromptCopyBase = "【複写】－基点(M:連続)";
inline constexpr const char* kPromptNone = "";

// Esc: ends every command and step and clears the whole selection, whatever the layer.
// The arc direction and the offset width stay for the next time. Shapes being pasted
// go again, as if never pasted (no redo brings them back).
void CancelCommand(CZorader_ezDoc& doc);
// The same but for the selection, which stays: undo and redo end the running command
// so, then put the selection back as it was at the step.
void EndRunningCommand(CZorader_ezDoc& doc);
// What every command does as it ends, after its own tidying: back to no command, no
// step pending, no rubber band and no prompt, the view drawn again.
void ReturnToIdle();

}  // namespace marquetta
