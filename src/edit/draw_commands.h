// The draw commands: the clicks that make lines, circles, arcs and texts, and the
// geometry they compute. Every click point is the ground point under the cursor or,
// with snap on, the snap target; a click without a target is refused.
#pragma once

#include <string>

#include "model/document.h"
#include "model/geometry.h"

namespace marquetta {

// Shorter than this, a line, circle or arc is not made.
inline constexpr double kSmallestLength = 0.01;

// An editing point as the single-precision point of a stored shape; a value beyond
// single precision becomes an infinity of its sign, which FitsFloat refuses.
float Narrow(double value);
Float3 Narrow(const Double3& p);

// What a command says, refusing a point or a size that single precision cannot hold
// (a click near the horizon, a move far beyond the drawing): it stores nothing.
inline constexpr const char* kPromptBeyondRange =
    "座標が大きすぎて図面に記録できません（何も変更していません）";
// Whether a value, or every coordinate of a point, stays finite in single precision.
bool FitsFloat(double value);
bool FitsFloat(const Double3& point);
bool FitsFloat(const Float3& point);
// Says so on the prompt line, with the warning beep of a refused click.
void RefuseBeyondRange();

// Makes a shape as the user draws it: through the template, on the document's current
// layer (created by EnsureLayer if need be), white, not selected, with `text`; one undo step, named by the kind. Only
// m_pt[0] and m_pt[1] are written; the template's other slots keep what they held, and
// its type stays `type`. A point that single precision cannot hold is refused
// (RefuseBeyondRange): false, and nothing is made.
bool AddDrawnShape(CZorader_ezDoc& doc, int type, const Double3& p0, const Float3& p1,
                   const std::string& text);

// A first point: the point under the cursor (also the first screen point), with snap on
// the snap target in its place. `startsStep` makes a step pending with a preview. False
// when snap refused the click; nothing is then pending.
bool TakeFirstPoint(const CZorader_ezDoc& doc, int x, int y, bool startsStep);
// A second point in cursorPoint: as the last mouse move left it, or with snap on the
// snap target. False when snap refused the click; the step then stays pending.
bool TakeSecondPoint(const CZorader_ezDoc& doc, int x, int y);

// Line: the first click starts a chain, every further click makes a line from the
// chain's last point (unless it is no longer than kSmallestLength) and goes on from it.
// A refused point leaves the chain where it was. Circles, arcs and texts whose point or
// radius is refused keep waiting for that click.
void LineFirstClick(const CZorader_ezDoc& doc, int x, int y);
void LineNextClick(CZorader_ezDoc& doc, int x, int y);
// Circle: the centre, then a point on the circle; one circle per command.
void CircleCentreClick(const CZorader_ezDoc& doc, int x, int y);
void CircleRadiusClick(CZorader_ezDoc& doc, int x, int y);
// Arc: the centre, then the start (radius and start angle), then the end direction.
void ArcCentreClick(const CZorader_ezDoc& doc, int x, int y);
void ArcPointClick(CZorader_ezDoc& doc, int x, int y);
// Text: the insertion point, then the text dialog; one text per command.
void TextClick(CZorader_ezDoc& doc, int x, int y);

// Opens the text dialog on a text shape's text, height, width and angle; OK with a
// text changes the shape in place (same place in the list, layer and selection) as one
// step of the history. Cancel, or OK with nothing changed, changes nothing.
void EditTextShape(CZorader_ezDoc& doc, const CShape& shape);

// The angle in degrees [0, 360] of the direction (dx, dz) of the given length, measured
// as arcs are: 0 along +X, 90 along -Z.
double DirectionAngle(double dx, double dz, double length);

// The start and end of an arc from its start angle and the raw end angle: the end is
// brought above the start, and a reversed arc exchanges the two.
struct ArcAngles {
    double start = 0.0;
    double end = 0.0;
};
ArcAngles ArcEndAngles(double start, double end, bool reversed);

// A typed text angle (-360 ... 360) brought into [0, 360) with one correction each way.
double NormalizeTextAngle(double angle);

// Puts `text` at the head of textHistory unless the history holds it already.
void RememberText(const std::string& text);

}  // namespace marquetta
