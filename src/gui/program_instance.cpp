#include "gui/program_instance.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/app_controller.h"
#include "app/program_defaults.h"
#include "gui/main_frame.h"
#include "gui/qt_platform.h"

namespace marquetta {
namespace {

// Qt's own texts (the buttons of message boxes and of the file, print and colour
// dialogs) in Japanese like the rest of the program, once per application. Without
// the translation installed they stay in English.
void InstallQtTranslation() {
    static QTranslator* installed = nullptr;
    if (installed != nullptr || qApp == nullptr) {
        return;
    }
    auto* translator = new QTranslator(qApp);
    if (translator->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator);
        installed = translator;
    } else {
        delete translator;
    }
}

}  // namespace

ProgramInstance::ProgramInstance(QtPlatform& platform) : platform_(platform) {
    InstallQtTranslation();
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
