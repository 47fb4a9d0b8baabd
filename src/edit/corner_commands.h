// Fillet, chamfer, trim and rectangle: the commands that join two lines at a corner
// (with an arc, a chamfer line or sharp), cut shapes back at their crossings with a
// cutting edge, and draw a rectangle as four lines. All work in plan (x and z); the
// heights of the points they keep are carried along. Each change is one undo step.
#pragma once

#include <array>
#include <optional>

#include "edit/corner_geometry.h"
#include "model/document.h"
#include "model/geometry.h"

namespace marquetta {

inline constexpr const char* kPromptFilletFirst = "【角丸め】－1本目の線の選択(右クリックで終了)";
inline constexpr const char* kPromptFilletSecond = "【角丸め】－2本目の線の選択";
inline constexpr const char* kPromptChamferFirst = "【面取り】－1本目の線の選択(右クリックで終了)";
inline constexpr const char* kPromptChamferSecond = "【面取り】－2本目の線の選択";
inline constexpr const char* kPromptTrimEdge = "【トリム】－切り取りの境界の選択(右クリックで終了)";
inline constexpr const char* kPromptTrimTarget = "【トリム】－切り取る部分の指示(右クリックで終了)";
inline constexpr const char* kPromptRectangleFirst = "【矩形】－始点";
inline constexpr const char* kPromptRectangleSecond = "【矩形】－対角点";
// Why a corner, a trim or a rectangle was refused; nothing was changed.
inline constexpr const char* kPromptCornerParallel =
    "2本の線が平行なため角を作れません（何も変更していません）";
inline constexpr const char* kPromptFilletTooLarge =
    "半径が線の長さに対して大きすぎます（何も変更していません）";
inline constexpr const char* kPromptChamferTooLarge =
    "面取りの長さが線の長さに対して大きすぎます（何も変更していません）";
inline constexpr const char* kPromptCornerSameLine =
    "同じ線が選ばれました。もう1本の線を選んでください";
inline constexpr const char* kPromptTrimNoCrossing =
    "【トリム】－この図形は境界と交わっていません（何も変更していません）";
inline constexpr const char* kPromptTrimNotCurve =
    "【トリム】－直線・円・円弧を選んでください";
inline constexpr const char* kPromptRectangleFlat =
    "【矩形】－幅か高さが 0 の矩形は作れません。別の対角点を指示してください";

// The commands: fillet and chamfer ask their values first (Cancel starts nothing).
// Each ends the command running and lets go of the selection, as drawing does.
void StartFillet(CZorader_ezDoc& doc);
void StartChamfer(CZorader_ezDoc& doc);
void StartTrim(CZorader_ezDoc& doc);
void StartRectangle(CZorader_ezDoc& doc);

// The clicks, by step: the first line (or cutting edge, or corner), then the second
// line (or each part to cut away, or the opposite corner).
void CornerFirstClick(CZorader_ezDoc& doc, int x, int y);
void CornerSecondClick(CZorader_ezDoc& doc, int x, int y);
void TrimEdgeClick(CZorader_ezDoc& doc, int x, int y);
void TrimTargetClick(CZorader_ezDoc& doc, int x, int y);
void RectangleFirstClick(const CZorader_ezDoc& doc, int x, int y);
void RectangleSecondClick(CZorader_ezDoc& doc, int x, int y);

// The right button: the command ends; a line or edge picked stays no selection.
void EndCornerCommand(CZorader_ezDoc& doc);

// Whether `state` is one of these commands' editing states.
bool IsCornerState(int state);

// The changes themselves, for the clicks and for typed entry. Each says why on the
// prompt line when it refuses (and beeps), and changes nothing then: false.
//
// Joins two lines at the corner on the sides clicked (plan points), with an arc of
// `radius` (0: sharp) on the first line's layer.
bool FilletLines(CZorader_ezDoc& doc, CShape& first, const Double3& click1, CShape& second,
                 const Double3& click2, double radius);
// The same, cutting the lines back by the two distances and joining them with a line.
bool ChamferLines(CZorader_ezDoc& doc, CShape& first, const Double3& click1, CShape& second,
                  const Double3& click2, double distance1, double distance2);
// Cuts away the part of `target` (a line, arc or circle) around `click` between its
// crossings with `edge`: a line or arc may become two, a circle becomes an arc.
bool TrimShape(CZorader_ezDoc& doc, CShape& target, const CShape& edge, const Double3& click);
// Four lines on the current layer round the rectangle with corners `a` and `b` in plan,
// at the height of `a`; the command ends.
bool MakeRectangle(CZorader_ezDoc& doc, const Double3& a, const Double3& b);

// The rectangle's corners in drawing order from `a`, at the height of `a`.
std::array<Double3, 4> RectangleCorners(const Double3& a, const Double3& b);

// A line, arc or circle in plan; nothing for other kinds.
std::optional<CutCurve> CutCurveOf(const CShape& shape);

}  // namespace marquetta
