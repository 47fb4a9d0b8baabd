// The dimension commands (length, aligned, radius, diameter, angle) and the measure
// command: their clicks, prompts, refusals and previews. A dimension is made of
// ordinary shapes (dimension_geometry.h) added on the current layer as one step of the
// history; measuring adds nothing. Both go on until the right button.
#pragma once

#include <string>
#include <vector>

#include "model/document.h"
#include "model/geometry.h"
#include "model/shape.h"

namespace marquetta {

inline constexpr const char* kPromptDimLinearFirst = "【長さ寸法】－1点目";
inline constexpr const char* kPromptDimLinearSecond = "【長さ寸法】－2点目";
inline constexpr const char* kPromptDimLinearPlace = "【長さ寸法】－寸法線の位置(右クリックで終了)";
inline constexpr const char* kPromptDimAlignedFirst = "【平行寸法】－1点目";
inline constexpr const char* kPromptDimAlignedSecond = "【平行寸法】－2点目";
inline constexpr const char* kPromptDimAlignedPlace = "【平行寸法】－寸法線の位置(右クリックで終了)";
inline constexpr const char* kPromptDimRadiusPick = "【半径寸法】－円・円弧を選択";
inline constexpr const char* kPromptDimRadiusPlace = "【半径寸法】－文字の側(右クリックで終了)";
inline constexpr const char* kPromptDimDiameterPick = "【直径寸法】－円・円弧を選択";
inline constexpr const char* kPromptDimDiameterPlace = "【直径寸法】－文字の側(右クリックで終了)";
inline constexpr const char* kPromptDimAngleFirst = "【角度寸法】－1本目の直線";
inline constexpr const char* kPromptDimAngleSecond = "【角度寸法】－2本目の直線";
inline constexpr const char* kPromptDimAnglePlace = "【角度寸法】－円弧の位置(右クリックで終了)";
inline constexpr const char* kPromptMeasureFirst = "【測定】－始点(Shift+クリックで図形の長さ)";

// Why a click was refused (after the beep).
inline constexpr const char* kPromptDimCoincident = "点が一致しています。別の点をクリックしてください";
inline constexpr const char* kPromptDimZeroLength =
    "その向きの長さが0です。寸法線の位置を変えてください";
inline constexpr const char* kPromptDimNeedsCircle = "円または円弧をクリックしてください";
inline constexpr const char* kPromptDimNeedsLine = "円や円弧ではなく直線をクリックしてください";
inline constexpr const char* kPromptDimNoLine = "直線をクリックしてください";
inline constexpr const char* kPromptDimParallel =
    "2本の直線が平行です。平行でない直線をクリックしてください";
inline constexpr const char* kPromptDimOnCentre = "中心とは別の位置をクリックしてください";
inline constexpr const char* kPromptMeasureNoShape = "線・円・円弧をShift+クリックしてください";

// Begins the dimension command `command` (ID_DIM_LINEAR ... ID_DIM_ANGLE).
void StartDimension(CZorader_ezDoc& doc, int command);
// A click of the dimension command in progress; `first` when no step was pending.
void DimensionClick(CZorader_ezDoc& doc, int x, int y);
// What the next click would add, with the cursor at `cursor`: shown red as the preview.
std::vector<CShape> DimensionPreview(const Double3& cursor);

// Begins measuring.
void StartMeasure(CZorader_ezDoc& doc);
// A click while measuring: with Shift the shape under the cursor is measured, else
// the point is taken and its distance and angle from the previous one said.
void MeasureClick(const CZorader_ezDoc& doc, int x, int y, bool shift);
// "  合計=…" while measuring: the total so far with the cursor's distance added; empty
// otherwise. The status bar shows it after the cursor's readout.
std::string MeasureReadout(const Double3& cursor);
// The text a Shift+click on the shape says: "長さ=…" of a line or arc (with its radius),
// "半径=… 円周=…" of a circle; empty for other kinds.
std::string ShapeMeasureText(const CShape& shape);

// A point typed relative to the step's first point (the "@" entry) in place of the
// click that the dimension or measurement waits for; it is taken as that click's.
void DimensionPointTyped(CZorader_ezDoc& doc, const Double3& point);
// The measured point in cursorPoint, said with its distance from firstPoint.
void MeasurePointGiven();

// The right button: the dimension or measure command ends.
void EndDimensionOrMeasure();

void InitDimensionCommandDefaults();

}  // namespace marquetta
