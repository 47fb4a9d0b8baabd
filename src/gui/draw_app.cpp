#include "gui/draw_app.h"

#include <QCommandLineParser>
#include <QIcon>
#include <QTimer>
#include <cstdio>

#include "app/app_controller.h"
#include "gui/gl_context_check.h"
#include "gui/main_frame.h"
#include "gui/program_instance.h"
#include "gui/qt_platform.h"
#include "gui/screenshot_run.h"
#include "gui/view_widget.h"
#include "ui/help.h"

namespace marquetta {

CDrawApp::CDrawApp(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(QString::fromLatin1(kSettingsOrganization));
    setApplicationName(QString::fromLatin1(kSettingsApplication));
    setApplicationVersion(QString::fromLatin1(ProgramVersion()));
    setWindowIcon(QIcon(QStringLiteral(":/marquetta.xpm")));
}

CDrawApp::~CDrawApp() {
    program_.reset();
    platform_.reset();
}

bool CDrawApp::InitInstance() {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Marquetta, a drafting program"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Save a PNG picture of the window after its first paint, then end."),
        QStringLiteral("file"));
    parser.addOption(screenshot);
    const QCommandLineOption steps(
        QStringLiteral("steps"),
        QStringLiteral("Before the screenshot, run these steps, separated by \";\": cmd:ID, "
                       "click:X,Y, rclick:X,Y, move:X,Y (a plan point in mm), wheel:N, "
                       "type:TEXT (into the open dialog), key:Return or key:Escape (pressed there), "
                       "row:N (double-click a row of its list)."),
        QStringLiteral("steps"));
    parser.addOption(steps);
    parser.addPositionalArgument(QStringLiteral("drawing"),
                                 QStringLiteral("A drawing (.trn) to open."),
                                 QStringLiteral("[drawing]"));
    parser.process(*this);
    screenshotPath_ = parser.value(screenshot);
    std::string stepsError;
    std::optional<std::vector<ScreenshotStep>> parsedSteps =
        ParseScreenshotSteps(parser.value(steps).toStdString(), stepsError);
    if (!parsedSteps) {
        std::fprintf(stderr, "marquetta: --steps: %s\n", stepsError.c_str());
        return false;
    }
    steps_ = std::move(*parsedSteps);

    platform_ = std::make_unique<QtPlatform>();
    const GlContextCheck check = CheckGlContext(ViewSurfaceFormat());
    ReportGlContextCheck(check, *platform_);
    viewCanPaint_ = check == GlContextCheck::Ok;

    std::vector<std::string> args;
    for (const QString& arg : parser.positionalArguments()) {
        args.push_back(arg.toStdString());
    }
    program_ = std::make_unique<ProgramInstance>(*platform_);
    return program_->Start(args);
}

int CDrawApp::Run() {
    if (screenshotPath_.isEmpty() && steps_.empty()) {
        return exec();
    }
    const auto start = [this] {
        RunScreenshotSteps(program_->MainFrame(), steps_, [this] {
            if (!screenshotPath_.isEmpty()) {
                SaveScreenshot();
            }
        });
    };
    if (!viewCanPaint_) {
        // No paint will come: the window as it is, once it has shown.
        QTimer::singleShot(0, this, start);
    } else {
        // After the first paint has reached the screen, once the menus have painted too.
        CViewWidget* view = program_->MainFrame().View();
        connect(view, &QOpenGLWidget::frameSwapped, this, [this, start] {
            if (!stepsStarted_) {
                stepsStarted_ = true;
                QTimer::singleShot(0, this, start);
            }
        });
    }
    return exec();
}

void CDrawApp::SaveScreenshot() {
    CMainFrame& frame = program_->MainFrame();
    // The smallest file: the pictures go into the manual.
    const bool saved = ScreenshotPicture(frame).save(screenshotPath_, "PNG", 0);
    if (!saved) {
        std::fprintf(stderr, "marquetta: cannot write %s\n",
                     screenshotPath_.toLocal8Bit().constData());
    }
    // No save question: the picture is all that the run was for. An open dialog ends
    // with the program.
    frame.CloseApproved();
    exit(saved ? 0 : 1);
}

}  // namespace marquetta
