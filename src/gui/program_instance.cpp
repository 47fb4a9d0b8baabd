#include "gui/program_instance.h"

#include "app/app_controller.h"
#include "app/program_defaults.h"
#include "gui/main_frame.h"
#include "gui/qt_platform.h"

namespace marquetta {

ProgramInstance::ProgramInstance(QtPlatform& platform) : platform_(platform) {
    // The platform first: the controller reads the recent files through it.
    SetCurrentPlatform(&platform_);
    // Every program-wide value is set before the view window exists.
    InitProgramDefaults();
    controller_ = std::make_unique<AppController>();
    frame_ = std::make_unique<CMainFrame>(*controller_, platform_);
}

ProgramInstance::~ProgramInstance() {
    frame_.reset();
    controller_.reset();
    SetCurrentPlatform(nullptr);
}

bool ProgramInstance::Start(const std::vector<std::string>& args) {
    if (!controller_->Start(args)) {
        return false;
    }
    frame_->show();
    frame_->UpdateCommandUi();
    return true;
}

}  // namespace marquetta
