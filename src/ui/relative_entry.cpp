#include "ui/relative_entry.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "edit/command_state.h"
#include "edit/draw_commands.h"
#include "edit/editing_state.h"
#include "edit/modify_commands.h"
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

bool Counts(double value) {
    const double magnitude = std::fabs(value);
    return magnitude >= kSmallestTypedValue && magnitude <= kLargestTypedValue;
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
        cursorPoint = {firstPoint.x + delta->x, firstPoint.y + delta->y, firstPoint.z + delta->z};
        AddDrawnShape(doc, SHAPE_LINE, firstPoint, Narrow(cursorPoint), {});
        firstPoint = cursorPoint;  // the chain goes on from the new end
    }
    g_displayListValid = 0;
    CurrentPlatform().InvalidateView();
}

void EnterArcEnd(CZorader_ezDoc& doc) {
    RelativeAngleDialog dialog;
    if (!CurrentPlatform().RunDialog(dialog)) {
        return;
    }
    arcStartGiven = 0;
    const double sweep = ReadSweepAngle(dialog.Text());
    const TypedArc arc = TypedArcAngles(arcStartAngle, sweep, arcReversed == 1);
    arcStartAngle = arc.start;
    const auto radius = static_cast<float>(arcRadius);
    if (arcRadius > kSmallestLength) {
        if (arc.fullCircle) {
            AddDrawnShape(doc, SHAPE_CIRCLE, firstPoint, Float3{radius, 0.0f, 0.0f}, {});
        } else if (arc.end != arc.start) {
            AddDrawnShape(
                doc, SHAPE_ARC, firstPoint,
                Float3{radius, static_cast<float>(arc.start), static_cast<float>(arc.end)}, {});
        }
    }
    // Whatever was typed, the arc command ends.
    doc.m_current.m_nType = SHAPE_NONE;
    CurrentPlatform().SetPrompt(kPromptNone);
    g_displayListValid = 0;
    CurrentPlatform().InvalidateView();
    stepPending = 0;
    rubberBand = 0;
    basePointSet = 0;
}

void EnterDestination(CZorader_ezDoc& doc) {
    RelativeDistanceDialog dialog;
    if (!CurrentPlatform().RunDialog(dialog)) {
        return;
    }
    const std::optional<Double3> delta = ReadDisplacement(dialog.Text());
    if (!delta) {
        return;
    }
    cursorPoint = {firstPoint.x + delta->x, firstPoint.y + delta->y, firstPoint.z + delta->z};
    if (editState == EDIT_MOVE) {
        MoveSelectionTo(doc, cursorPoint);
    } else {
        CopySelectionTo(doc, cursorPoint);
    }
    if (editState == EDIT_IDLE) {
        // The command ended: no destination is pending any more.
        stepPending = 0;
        rubberBand = 0;
    }
    g_displayListValid = 0;
    CurrentPlatform().InvalidateView();
}

}  // namespace

RelativeDistanceDialog::RelativeDistanceDialog() : ValueDialog("相対距離", "＠", {}) {
    Fields()[0].hint = "（例： Δｘ，Δｙ）";
}

RelativeAngleDialog::RelativeAngleDialog()
    : ValueDialog("相対角度", "＜", {"45", "90", "135", "180", "225", "270", "315"}) {
    // The list is sorted as text: 135 ... 315 come before 45 and 90.
    std::vector<std::string>& presets = Fields()[0].choices;
    std::sort(presets.begin(), presets.end());
    Fields()[0].hint = "（単位： 度）";
}

std::optional<Double3> ReadDisplacement(std::string_view text) {
    const std::string numbers = NumbersOnly(text);
    std::string_view rest = numbers;
    double v[3] = {0.0, 0.0, 0.0};
    for (double& value : v) {
        size_t used = 0;
        const std::optional<double> read = ReadLeadingDouble(rest, &used);
        if (!read) {
            break;
        }
        value = Counts(*read) ? *read : 0.0;
        rest.remove_prefix(used);
    }
    if (std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) < kShortestDisplacement) {
        return std::nullopt;
    }
    return Double3{v[0], v[2], -v[1]};
}

double ReadSweepAngle(std::string_view text) {
    // Read as a typed offset width is read: the first number after commas and blanks.
    return ReadOffsetWidth(NumbersOnly(text));
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
            }
            return;
        case SHAPE_NONE:
            if (editState == EDIT_MOVE || editState == EDIT_COPY) {
                EnterDestination(doc);
            }
            return;
        default:
            return;
    }
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
