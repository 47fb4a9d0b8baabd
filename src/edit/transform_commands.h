// The rotate, mirror, mirror-copy and scale commands on the selection. Each takes the
// selection as move does (selected lines, circles, arcs and texts of visible layers;
// rotate also turns selected faces of visible layers, with their normals), collecting
// one first when there is none; rotate and scale then ask their value and wait for the
// centre or base point, mirror for the two points of its mirror line. What they change
// is one step of the history; the right button ends them at any step.
#pragma once

#include <optional>

#include "edit/shape_transform.h"
#include "model/document.h"

namespace marquetta {

inline constexpr const char* kPromptRotateSelect = "【回転】－選択(右クリックで確定)";
inline constexpr const char* kPromptRotateCentre = "【回転】－中心点(右クリックで終了)";
inline constexpr const char* kPromptMirrorSelect = "【鏡像】－選択(右クリックで確定)";
inline constexpr const char* kPromptMirrorFirst = "【鏡像】－鏡像線の1点目(右クリックで終了)";
inline constexpr const char* kPromptMirrorSecond = "【鏡像】－鏡像線の2点目(右クリックで終了)";
inline constexpr const char* kPromptMirrorCopySelect = "【鏡像複写】－選択(右クリックで確定)";
inline constexpr const char* kPromptMirrorCopyFirst =
    "【鏡像複写】－鏡像線の1点目(右クリックで終了)";
inline constexpr const char* kPromptMirrorCopySecond =
    "【鏡像複写】－鏡像線の2点目(右クリックで終了)";
inline constexpr const char* kPromptScaleSelect = "【尺度】－選択(右クリックで確定)";
inline constexpr const char* kPromptScaleBase = "【尺度】－基点(右クリックで終了)";
// A second point on the first gives no line.
inline constexpr const char* kPromptMirrorLineShort =
    "【鏡像】－2点が近すぎて鏡像線が決まりません。別の点を指示してください";
inline constexpr const char* kPromptMirrorCopyLineShort =
    "【鏡像複写】－2点が近すぎて鏡像線が決まりません。別の点を指示してください";

// Which of the four commands runs while editState is EDIT_TRANSFORM or
// EDIT_TRANSFORM_SELECT.
enum class TransformCommand { Rotate, Mirror, MirrorCopy, Scale };
extern TransformCommand transformCommand;
extern double transformValue;  // the turn in degrees, or the scale factor

// The command begins: with a selection straight to its value and points, else first
// collecting one (until the right button is released).
void StartTransform(CZorader_ezDoc& doc, TransformCommand command);
// The right button released while collecting: the value dialog (rotate, scale) and the
// first point's step. Without a selection the command ends.
void TransformSelectionCollected(CZorader_ezDoc& doc);
// A click while the command waits for a point (snapped with snap on, or refused).
void TransformClick(CZorader_ezDoc& doc, int x, int y);
// The second point of the mirror line typed as a distance from the first ("@").
void MirrorSecondPointAt(CZorader_ezDoc& doc, const Double3& point);
// The right button, or a drawing replaced: the command ends; the selection stays.
void EndTransform(CZorader_ezDoc& doc);

// The transform a click at `point` would make now: rotate and scale about the point,
// mirror in the line from the first point to it once that is given. Nothing while no
// such command waits for a point.
std::optional<ShapeTransform> PendingTransform(const Double3& point);

// Whether the command takes this shape: move's rule (selected, visible, of a known
// kind, not a face), faces of visible layers too for a turn.
bool TransformCarries(const CShape& shape, TransformKind kind);

// The selection turned, mirrored or scaled in place, or (copy) a transformed copy of
// each selected shape appended, on the source's layer; the shapes changed or the
// sources are deselected. One step of the history. A result that single precision
// cannot hold is refused (RefuseBeyondRange) and changes nothing: false.
bool TransformSelection(CZorader_ezDoc& doc, const ShapeTransform& transform, bool copy);

}  // namespace marquetta
