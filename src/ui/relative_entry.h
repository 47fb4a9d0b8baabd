// Typed relative entry (the "相対距離" button and the "@" key): instead of clicking the
// next point, the user types it relative to the base point. A displacement ends a line
// of the chain, or gives the destination of a move or copy; a sweep angle ends an arc.
// The entry finishes the step that the click would have finished.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "model/document.h"
#include "model/geometry.h"
#include "ui/value_dialogs.h"

namespace marquetta {

// "相対距離": Δx, Δy and optionally Δz; no presets. OK refuses a text that does not
// read wholly as those numbers or as "length<angle" (ReadTypedPoint), naming it.
class RelativeDistanceDialog : public ValueDialog {
  public:
    RelativeDistanceDialog();
    std::optional<DialogRefusal> Validate() override;
};

// "相対角度": the sweep in degrees, with the usual angles offered in text order. OK
// refuses a text that is not one number (a "<" before it is allowed), naming it.
class RelativeAngleDialog : public ValueDialog {
  public:
    RelativeAngleDialog();
    std::optional<DialogRefusal> Validate() override;
};

// The forms a typed relative point may take.
enum class TypedForm {
    Unreadable,    // anything else
    Displacement,  // "Δx, Δy" or "Δx, Δy, Δz" (commas or blanks between)
    Polar,         // "length<angle": degrees counter-clockwise from east
};
struct TypedPoint {
    TypedForm form = TypedForm::Unreadable;
    std::array<double, 3> numbers{};  // as typed, in their order
    size_t count = 0;
};
// Reads the whole typed text: an optional "@" first, then the numbers of one form and
// nothing else. Full-width digits, signs, points, commas, "@" and "<" read as their
// ASCII forms. A number may follow another without a blank when it begins with its
// sign ("10-20").
TypedPoint ReadTypedPoint(std::string_view text);

// Each typed number outside 0.01 ... 999999.9 in magnitude counts as 0, and a
// displacement shorter than this is refused.
inline constexpr double kSmallestTypedValue = 0.01;
inline constexpr double kLargestTypedValue = 999999.9;
inline constexpr double kShortestDisplacement = 1.0;

// The world displacement of a typed "a, b[, c]": a along +X, b along -Z (up the plan),
// c along +Y (height), each outside 0.01 ... 999999.9 in magnitude counting as 0; or of
// a typed "length<angle" on the plan, the angle in degrees counter-clockwise from east
// (+X), the length counting as 0 outside that range.
// Nothing for a text that does not read as a displacement (ReadTypedPoint), or one
// shorter than 1.
std::optional<Double3> ReadDisplacement(std::string_view text);

// The first number of a typed sweep angle, after a "<" typed before it; none (or one
// that is not finite) gives 0.
double ReadSweepAngle(std::string_view text);

// What the entry says, on the prompt line, when it does nothing.
inline constexpr const char* kPromptEntryTooShort =
    "相対距離が 1 mm 未満のため、何もしませんでした";
inline constexpr const char* kPromptEntryNoArcStart =
    "【円弧】－始点を指示してから角度を入力してください";
inline constexpr const char* kPromptEntryNotHere =
    "相対入力は直線の終点、円弧の終点、移動と複写の目的点、鏡像線の2点目、矩形の対角点、寸法と測定の点で使えます";

// The entry itself, by the state at the moment of the command: the end of a line
// (the chain goes on from it), the end of an arc (the arc command ends), the
// destination of a move or copy (continuous copy goes on from the same base point), or
// a rectangle's opposite corner (the rectangle command ends).
// Any other state, and Cancel in the dialog, change nothing; the prompt line says why
// where the entry was refused (a state without a use for it, a displacement too short,
// a point beyond single precision).
void RunRelativeEntry(CZorader_ezDoc& doc);

}  // namespace marquetta
