#include "edit/editing_state.h"

namespace marquetta {

int editState = EDIT_IDLE;
int stepPending = 0;
int rubberBand = 0;
int basePointSet = 0;
int selectionExists = 0;
int continuousCopy = 0;
int pastePlacing = 0;
int arcReversed = 0;
int arcStartGiven = 0;
double arcStartAngle = 0.0;
double arcRadius = 0.0;
double offsetWidth = 0.0;
CShape* pickedLine = nullptr;
CShape* boundaryLine = nullptr;
Double3 firstPoint;
Double3 cursorPoint;
Double2 firstScreenPoint;
Double2 lastScreenPoint;
std::string lastText;
double lastTextHeight = 300.0;
double lastTextWidth = 300.0;
double lastTextAngle = 0.0;
std::array<std::string, kTextHistorySize> textHistory;

void InitEditingStateDefaults() {
    editState = EDIT_IDLE;
    stepPending = 0;
    rubberBand = 0;
    basePointSet = 0;
    selectionExists = 0;
    continuousCopy = 0;
    pastePlacing = 0;
    arcReversed = 0;
    arcStartGiven = 0;
    arcStartAngle = 0.0;
    arcRadius = 0.0;
    offsetWidth = 0.0;
    pickedLine = nullptr;
    boundaryLine = nullptr;
    firstPoint = {};
    cursorPoint = {};
    firstScreenPoint = {};
    lastScreenPoint = {};
    lastText.clear();
    lastTextHeight = 300.0;
    lastTextWidth = 300.0;
    lastTextAngle = 0.0;
    textHistory.fill({});
}

}  // namespace marquetta
