// The editing commands' progress: the active modify command and its step, the points
// given so far, the selection flag and the settings that carry from one command to
// the next. One view, one document: all of it is program-wide.
#pragma once

#include <array>
#include <string>

#include "model/geometry.h"
#include "model/shape.h"

namespace marquetta {

// editState: the modify command in progress.
enum EditState : int {
    EDIT_IDLE = 0,            // left clicks select shapes
    EDIT_MOVE = 1,            // base point, then (with stepPending) the destination
    EDIT_MOVE_SELECT = 2,     // collecting the selection to move
    EDIT_COPY = 3,            // base point, then the destination
    EDIT_COPY_SELECT = 4,     // collecting the selection to copy
    EDIT_OFFSET = 5,          // reference line, then (with stepPending) the side
    EDIT_STRETCH = 6,         // boundary line, then (with stepPending) target lines
    EDIT_TRANSFORM_SELECT = 20,  // collecting the selection to rotate, mirror or scale
    EDIT_TRANSFORM = 21,         // rotate, mirror or scale waiting for its points
    EDIT_FILLET = 22,         // first line, then (with stepPending) the second
    EDIT_CHAMFER = 23,        // first line, then (with stepPending) the second
    EDIT_TRIM = 24,           // cutting edge, then (with stepPending) the parts to cut away
    EDIT_RECTANGLE = 25,      // first corner, then (with stepPending) the opposite corner
    EDIT_DIMENSION = 30,      // the points or shapes of a dimension, then its place
    EDIT_MEASURE = 31,        // points whose distances are said, or Shift+click shapes
};

inline constexpr int kTextHistorySize = 10;

extern int editState;
extern int stepPending;      // 1 once the first point or line of a two-step action is given
extern int rubberBand;       // previews follow the cursor while a step is pending
extern int basePointSet;     // a base point exists: relative entry is possible
extern int selectionExists;  // at least one shape is selected
extern int continuousCopy;   // copy goes on after each destination
extern int pastePlacing;     // the move in progress places shapes just pasted
extern int arcReversed;      // the arc runs clockwise; carries over to later arcs
extern int arcStartGiven;    // between an arc's start click and its end click
extern double arcStartAngle;  // degrees, measured at the arc's start click
extern double arcRadius;      // measured at the arc's start click
extern double offsetWidth;    // offset distance
extern CShape* pickedLine;    // shapes of the document's list, or null
extern CShape* boundaryLine;
extern Double3 firstPoint;         // world point of the current step's first click
extern Double3 cursorPoint;        // world point under the cursor, or its snap target
extern Double2 firstScreenPoint;   // pixel of the click that gave firstPoint
extern Double2 lastScreenPoint;    // pixel of the last cursor-point computation

// Settings for new texts: they preset the text dialog and serve the text-file import.
extern std::string lastText;  // CP932
extern double lastTextHeight;
extern double lastTextWidth;
extern double lastTextAngle;  // degrees
extern std::array<std::string, kTextHistorySize> textHistory;  // most recent first

void InitEditingStateDefaults();

}  // namespace marquetta
