#include "ui/relative_entry.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "edit/command_state.h"
#include "edit/corner_commands.h"
#include "edit/dimension_commands.h"
#include "edit/draw_commands.h"
#include "edit/editing_state.h"
#include "edit/modify_commands.h"
#include "edit/transform_commands.h"
#include "edit/view.h"
#include "model/layers.h"
#include "platform/command_ids.h"
#include "platform/platform.h"

namespace marquetta {
namespace {

// The typed text with the full-width forms an input method gives (digits, signs, the
// point, the comma of the dialog's own example, the ideographic space) as their ASCII
// letters, and every comma as a blank.
std::string NumbersOnly(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto b0 = static_cast<unsigned char>(utf8[i]);
        const auto b1 = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0u;
        const auto b2 = i + 2 < utf8.size() ? static_cast<unsigned char>(utf8[i + 2]) : 0u;
        char c = static_cast<char>(b0);
        if (b0 == 0xEF && b1 == 0xBC && b2 >= 0x81 && b2 <= 0xBF) {
            c = static_cast<char>(b2 - 0x81 + 0x21);  // U+FF01 ... U+FF3F
            i += 2;
        } else if (b0 == 0xEF && b1 == 0xBD && b2 >= 0x80 && b2 <= 0x9E) {
            c = static_cast<char>(b2 - 0x80 + 0x60);  // U+FF40 ... U+FF5E
            i += 2;
        } else if (b0 == 0xE3 && b1 == 0x80 && b2 == 0x80) {
            c = ' ';  // U+3000
            i += 2;
        }
        out += c == ',' ? ' ' : c;
    }
    return out;
}

// The refusals of the two dialogs; %1 is the text as typed.
constexpr const char* kNoNumberMessage = "数字を入力してください。";
constexpr const char* kUnreadableDistanceMessage =
    "「%1」は相対距離として読めません。「Δx, Δy」「Δx, Δy, Δz」または「長さ<角度」の数字で入力してください。";
constexpr const char* kUnreadableAngleMessage =
    "「%1」は角度として読めません。度の数字を一つ入力してください。";

std::string Named(const char* message, const std::string& typed) {
    std::string text = message;
    const size_t at = text.find("%1");
    text.replace(at, 2, typed);
    return text;
}

bool IsBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view SkipBlanks(std::string_view text) {
    while (!text.empty() && IsBlankChar(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

bool Blank(std::string_view text) {
    return SkipBlanks(text).empty();
}

bool Counts(double value) {
    const double magnitude = std::fabs(value);
    return magnitude >= kSmallestTypedValue && magnitude <= kLargestTypedValue;
}

// "length<angle": the angle in degrees counter-clockwise from east (+X) towards north
// (-Z). Whole quarter turns are exact, so "1000<90" goes straight up the plan.
std::optional<Double3> PolarDisplacement(double typedLength, double degrees) {
    const double length = Counts(typedLength) ? typedLength : 0.0;
    if (std::fabs(length) < kShortestDisplacement || !std::isfinite(degrees)) {
        return std::nullopt;
    }
    double turn = std::fmod(degrees, 360.0);
    if (turn < 0.0) {
        turn += 360.0;
    }
    double east = 0.0;
    double north = 0.0;
    if (turn == 0.0 || turn == 90.0 || turn == 180.0 || turn == 270.0) {
        const int quarter = static_cast<int>(turn / 90.0);
        const int cosines[4] = {1, 0, -1, 0};
        east = length * cosines[quarter];
        north = length * cosines[(quarter + 3) % 4];
    } else {
        const double radians = turn * 3.14159265358979323846 / 180.0;
        east = length * std::cos(radians);
        north = length * std::sin(radians);
    }
    return Double3{east + 0.0, 0.0, -north + 0.0};
}

// The arc that a typed sweep makes from the start angle, as it is stored: the start
// from 0 to 360, the end above it. A reversed arc sweeps the other way; a sweep of a
// full turn or more makes a circle instead.
struct TypedArc {
    double start = 0.0;
    double end = 0.0;
    bool fullCircle = false;
};

TypedArc TypedArcAngles(double start, double sweep, bool reversed) {
    TypedArc arc;
    arc.start = start;
    arc.end = reversed ? start - sweep : start + sweep;
    if (arc.end < arc.start) {
        const double from = arc.start;
        arc.start = arc.end;
        arc.end = static_cast<float>(from);
    }
    if (arc.start < 0.0) {
        arc.start += 360.0;
    }
    if (arc.end < arc.start) {
        arc.end += 360.0;
    }
    arc.fullCircle = !(sweep > -360.0 && sweep < 360.0);
    return arc;
}

void EnterLineEnd(CZorader_ezDoc& doc) {
    RelativeDistanceDialog dialog;
    if (!CurrentPlatform().RunDialog(dialog)) {
        return;
    }
    if (const std::optional<Double3> delta = ReadDisplacement(dialog.Text())) {
        const Double3 end{firstPoint.x + delta->x, firstPoint.y + delta->y,
                          firstPoint.z + delta->z};
        if (AddDrawnShape(doc, SHAPE_LINE, firstPoint, Narrow(end), {})) {
            cursorPoint = end;
            firstPoint = end;  // the chain goes on from the new end
            CurrentPlatform().SetPrompt(kPromptLineEnd);
        }
    } else {
        CurrentPlatform().SetPrompt(kPromptEntryTooShort);
    }
    g_displayListValid = 0;
    CurrentPlatform().InvalidateView();
}

void EnterArcEnd(CZorader_ezDoc& doc) {
    RelativeAngleDialog dialog;
    if (!CurrentPlatform().RunDialog(dialog)) {
        return;
    }
    const double sweep = ReadSweepAngle(dialog.Text());
    const TypedArc arc = TypedArcAngles(arcStartAngle, sweep, arcReversed == 1);
    const auto radius = static_cast<float>(arcRadius);
    if (arcRadius > kSmallestLength) {
        bool made = true;
        if (arc.fullCircle) {
            made = AddDrawnShape(doc, SHAPE_CIRCLE, firstPoint, Float3{radius, 0.0f, 0.0f}, {});
        } else if (arc.end != arc.start) {
            made = AddDrawnShape(
                doc, SHAPE_ARC, firstPoint,
                Float3{radius, static_cast<float>(arc.start), static_cast<float>(arc.end)}, {});
        }
        if (!made) {
            return;  // refused, and said why: the arc still waits for its end
        }
    }
    arcStartGiven = 0;
    arcStartAngle = arc.start;
    // Whatever was typed, the arc command ends.
    doc.m_current.m_nType = SHAPE_NONE;
    CurrentPlatform().SetPrompt(kPromptNone);
    g_displayListValid = 0;
    CurrentPlatform().InvalidateView();
    stepPending = 0;
    rubberBand = 0;
    basePointSet = 0;
}

// The point typed as a displacement from the step's first point; nothing when the
// dialog is cancelled or its text is refused (the prompt then says why).
std::optional<Double3> AskTypedPoint() {
    RelativeDistanceDialog dialog;
    if (!CurrentPlatform().RunDialog(dialog)) {
        return std::nullopt;
    }
    const std::optional<Double3> delta = ReadDisplacement(dialog.Text());
    if (!delta) {
        CurrentPlatform().SetPrompt(kPromptEntryTooShort);
        return std::nullopt;
    }
    return Double3{firstPoint.x + delta->x, firstPoint.y + delta->y, firstPoint.z + delta->z};
}

void EnterRectangleCorner(CZorader_ezDoc& doc) {
    if (const std::optional<Double3> corner = AskTypedPoint()) {
        if (MakeRectangle(doc, firstPoint, *corner)) {
            cursorPoint = *corner;
        }
    }
}

// The next point of a dimension or a measurement, from the step's first point.
void EnterDimensionPoint(CZorader_ezDoc& doc) {
    if (const std::optional<Double3> point = AskTypedPoint()) {
        DimensionPointTyped(doc, *point);
    }
}

void EnterDestination(CZorader_ezDoc& doc) {
    const std::optional<Double3> typed = AskTypedPoint();
    if (!typed) {
        return;
    }
    const Double3 destination = *typed;
    const bool done = editState == EDIT_MOVE ? MoveSelectionTo(doc, destination)
                                             : CopySelectionTo(doc, destination);
    if (!done) {
        return;  // refused, and said why
    }
    cursorPoint = destination;
    if (editState == EDIT_IDLE) {
        // The command ended: no destination is pending any more.
        stepPending = 0;
        rubberBand = 0;
    }
    g_displayListValid = 0;
    CurrentPlatform().InvalidateView();
}

// The second point of a mirror line, typed from the first.
void EnterMirrorPoint(CZorader_ezDoc& doc) {
    if (const std::optional<Double3> point = AskTypedPoint()) {
        MirrorSecondPointAt(doc, *point);
        g_displayListValid = 0;
        CurrentPlatform().InvalidateView();
    }
}

}  // namespace

RelativeDistanceDialog::RelativeDistanceDialog() : ValueDialog("相対距離", "＠", {}) {
    Fields()[0].hint = "（例： Δｘ，Δｙ　または　長さ＜角度）";
}

std::optional<DialogRefusal> RelativeDistanceDialog::Validate() {
    const std::string& typed = Text();
    if (Blank(typed)) {
        return DialogRefusal{kNoNumberMessage, 0};
    }
    if (ReadTypedPoint(typed).form == TypedForm::Unreadable) {
        return DialogRefusal{Named(kUnreadableDistanceMessage, typed), 0};
    }
    return std::nullopt;
}

RelativeAngleDialog::RelativeAngleDialog()
    : ValueDialog("相対角度", "＜", {"45", "90", "135", "180", "225", "270", "315"}) {
    // The list is sorted as text: 135 ... 315 come before 45 and 90.
    std::vector<std::string>& presets = Fields()[0].choices;
    std::sort(presets.begin(), presets.end());
    Fields()[0].hint = "（単位： 度）";
}

std::optional<DialogRefusal> RelativeAngleDialog::Validate() {
    const std::string& typed = Text();
    if (Blank(typed)) {
        return DialogRefusal{kNoNumberMessage, 0};
    }
    // One number, after the "<" of the dialog's label if the user types it too.
    const std::string numbers = NumbersOnly(typed);
    std::string_view rest = SkipBlanks(numbers);
    if (!rest.empty() && rest.front() == '<') {
        rest.remove_prefix(1);
    }
    size_t used = 0;
    if (!ReadLeadingDouble(rest, &used) || !Blank(rest.substr(used))) {
        return DialogRefusal{Named(kUnreadableAngleMessage, typed), 0};
    }
    return std::nullopt;
}

TypedPoint ReadTypedPoint(std::string_view text) {
    const std::string numbers = NumbersOnly(text);
    std::string_view rest = SkipBlanks(numbers);
    if (!rest.empty() && rest.front() == '@') {
        rest.remove_prefix(1);
    }
    TypedPoint point;
    bool polar = false;
    while (true) {
        size_t used = 0;
        const std::optional<double> value = ReadLeadingDouble(rest, &used);
        if (!value || point.count == (polar ? 2 : 3)) {
            return {};
        }
        point.numbers[point.count++] = *value;
        rest.remove_prefix(used);
        const std::string_view after = SkipBlanks(rest);
        const bool apart = after.size() < rest.size();
        rest = after;
        if (rest.empty()) {
            break;
        }
        if (rest.front() == '<' && point.count == 1) {
            polar = true;
            rest.remove_prefix(1);
        } else if (polar || (!apart && rest.front() != '+' && rest.front() != '-')) {
            return {};  // "10<20 30", "1.5.5", "1e5e3"
        }
    }
    if (polar && point.count != 2) {
        return {};
    }
    point.form = polar ? TypedForm::Polar : TypedForm::Displacement;
    return point;
}

std::optional<Double3> ReadDisplacement(std::string_view text) {
    const TypedPoint point = ReadTypedPoint(text);
    if (point.form == TypedForm::Polar) {
        return PolarDisplacement(point.numbers[0], point.numbers[1]);
    }
    if (point.form != TypedForm::Displacement) {
        return std::nullopt;
    }
    double v[3] = {0.0, 0.0, 0.0};
    for (size_t i = 0; i < point.count; ++i) {
        v[i] = Counts(point.numbers[i]) ? point.numbers[i] : 0.0;
    }
    if (std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) < kShortestDisplacement) {
        return std::nullopt;
    }
    return Double3{v[0], v[2], -v[1]};
}

double ReadSweepAngle(std::string_view text) {
    // Read as a typed offset width is read: the first number after commas and blanks,
    // and after the "<" of the dialog's label where the user types it too.
    const std::string numbers = NumbersOnly(text);
    std::string_view rest = SkipBlanks(numbers);
    if (!rest.empty() && rest.front() == '<') {
        rest.remove_prefix(1);
    }
    return ReadOffsetWidth(rest);
}

void RunRelativeEntry(CZorader_ezDoc& doc) {
    switch (doc.m_current.m_nType) {
        case SHAPE_LINE:
            EnterLineEnd(doc);
            return;
        case SHAPE_ARC:
            // Before its start is given an arc has no radius of its own: a stale one
            // from an earlier arc must not make this one.
            if (arcStartGiven == 1) {
                EnterArcEnd(doc);
            } else {
                CurrentPlatform().SetPrompt(kPromptEntryNoArcStart);
            }
            return;
        case SHAPE_NONE:
            if (editState == EDIT_MOVE || editState == EDIT_COPY) {
                EnterDestination(doc);
                return;
            }
            if (editState == EDIT_TRANSFORM && basePointSet == 1) {
                EnterMirrorPoint(doc);
                return;
            }
            if (editState == EDIT_RECTANGLE && stepPending == 1) {
                EnterRectangleCorner(doc);
                return;
            }
            if ((editState == EDIT_DIMENSION || editState == EDIT_MEASURE) && basePointSet == 1) {
                EnterDimensionPoint(doc);
                return;
            }
            break;
        default:
            break;
    }
    CurrentPlatform().SetPrompt(kPromptEntryNotHere);
}

void CZorader_ezView::RegisterRelativeEntryCommand() {
    m_commands.On(
        ID_RELATIVE_ENTRY, [this] { OnRelativeEntry(); },
        [](CommandUi& ui) { ui.Enable(basePointSet == 1); });
}

void CZorader_ezView::OnRelativeEntry() {
    RunRelativeEntry(m_doc);
}

}  // namespace marquetta
