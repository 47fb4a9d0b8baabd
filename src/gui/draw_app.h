// The application: a Qt application that checks the view's rendering context, runs
// one ProgramInstance on the command line's drawing and, when asked, runs a few steps
// and saves a picture of the window or the open dialog after its first paint and ends.
#pragma once

#include <QApplication>
#include <QString>
#include <memory>
#include <vector>

#include "app/screenshot_steps.h"

namespace marquetta {

class ProgramInstance;
class QtPlatform;

class CDrawApp : public QApplication {
    Q_OBJECT

  public:
    CDrawApp(int& argc, char** argv);
    ~CDrawApp() override;

    // Start-up; false when the program must end (exit status 1).
    bool InitInstance();
    // The event loop, or the screenshot run.
    int Run();

  private:
    void SaveScreenshot();

    std::unique_ptr<QtPlatform> platform_;
    std::unique_ptr<ProgramInstance> program_;
    QString screenshotPath_;
    bool viewCanPaint_ = true;
    std::vector<ScreenshotStep> steps_;
    bool stepsStarted_ = false;
};

}  // namespace marquetta
