// The screenshot run: the --steps given on the command line, played into the real
// window with real events, and the picture taken afterwards (the open dialog, or the
// main window).
#pragma once

#include <QPixmap>
#include <functional>
#include <vector>

#include "app/screenshot_steps.h"

namespace marquetta {

class CMainFrame;

// Plays the steps one after another from the event loop, a moment apart so that the
// view repaints between them, then runs `done`. A step that opens a modal dialog waits
// inside it while the next steps act on that dialog.
void RunScreenshotSteps(CMainFrame& frame, std::vector<ScreenshotStep> steps,
                        std::function<void()> done);

// The open modal dialog when there is one, otherwise the main window.
QPixmap ScreenshotPicture(CMainFrame& frame);

}  // namespace marquetta
