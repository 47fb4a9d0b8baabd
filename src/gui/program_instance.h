// One run of the program inside a Qt application: the start-up values, the platform,
// the controller with the document and its view, and the main window, made in the
// order the program has always made them. The desktop program makes one; the GUI
// tests make one per test with a platform that answers the dialogs.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace marquetta {

class AppController;
class CMainFrame;
class QtPlatform;

class ProgramInstance {
  public:
    // Installs `platform` (not owned) as the core's platform until destruction.
    explicit ProgramInstance(QtPlatform& platform);
    ~ProgramInstance();
    ProgramInstance(const ProgramInstance&) = delete;
    ProgramInstance& operator=(const ProgramInstance&) = delete;

    // Processes the command line (nothing, or a drawing file to open) and shows the
    // window. False when the program must end: the user has been told why.
    bool Start(const std::vector<std::string>& args);

    AppController& Controller() { return *controller_; }
    CMainFrame& MainFrame() { return *frame_; }

  private:
    QtPlatform& platform_;
    std::unique_ptr<AppController> controller_;
    std::unique_ptr<CMainFrame> frame_;
};

}  // namespace marquetta
