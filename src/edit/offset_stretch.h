// Offset and stretch: a parallel copy of a line at the typed width on the side the user
// points to, and lines trimmed or extended to a boundary line. Both work on lines only
// and in plan (x and z); the heights of end points are carried along.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "model/document.h"
#include "model/geometry.h"

namespace marquetta {

inline constexpr const char* kPromptOffsetReference = "【複線】－基準線の選択(右クリックで終了)";
inline constexpr const char* kPromptStretchBoundary = "【伸縮】－基準線の選択";
inline constexpr const char* kPromptStretchTarget = "【伸縮】－対象線の指示(右クリックで終了)";
// Why the commands did not start.
inline constexpr const char* kPromptOffsetSelection =
    "【複線】－選択中の図形があります。Escで選択を解除してから始めてください";
inline constexpr const char* kPromptStretchSelection =
    "【伸縮】－選択中の図形があります。Escで選択を解除してから始めてください";
inline constexpr const char* kPromptOffsetWidthSmall =
    "【複線】－幅は 0.01 以上（負の側は -0.01 以下）の数字で入力してください";
inline constexpr const char* kPromptOffsetWidthLarge =
    "【複線】－幅が大きすぎて図面に記録できません";

// A typed width smaller than this does not start the offset.
inline constexpr double kSmallestOffsetWidth = 0.01;
// Boundary and target count as parallel below this cross product.
inline constexpr double kParallelLimit = 1e-5;
// A stretch leaves at least this much of the target in plan.
inline constexpr double kShortestStretchedLine = 0.1;

// "【複線】－方向の指示(W=5)": the side prompt with the width without decimals.
std::string OffsetSidePrompt(double width);

// The offset command (only while nothing is selected): the width dialog; a width of at
// least 0.01 either way, and one that single precision holds, starts picking reference
// lines. A refusal says why on the prompt line.
void StartOffset();
// The stretch command (only while nothing is selected): picking the boundary line.
void StartStretch();

// Offset: the reference line, then the side click (never snapped) that makes the line.
void OffsetReferenceClick(CZorader_ezDoc& doc, int x, int y);
void OffsetSideClick(CZorader_ezDoc& doc, int x, int y);
// Stretch: the boundary line, then one target line per click.
void StretchBoundaryClick(CZorader_ezDoc& doc, int x, int y);
void StretchTargetClick(CZorader_ezDoc& doc, int x, int y);

// The end points of the line parallel to `line` at `width` on the side of `click`
// (the other side for a negative width; a click on the line counts as the negative
// side). Nothing for a line with no length in plan.
std::optional<std::array<Double3, 2>> OffsetLinePoints(const CShape& line, const Double3& click,
                                                       double width);

// The points of `target` trimmed or extended to the infinite line through `boundary`:
// where the boundary crosses the target, the end beyond the crossing from the click
// moves to it; otherwise the end in the clicked half does. Nothing when the lines are
// parallel or no more than 0.1 of the target would remain, or when the crossing lies
// beyond single precision (then `beyondRange` is set, where given).
std::optional<std::array<Float3, 4>> StretchedLinePoints(const CShape& target,
                                                         const CShape& boundary,
                                                         const Double3& click,
                                                         bool* beyondRange = nullptr);

}  // namespace marquetta
