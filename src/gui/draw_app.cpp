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
#include "gui/view_widget.h"

namespace marquetta {

CDrawApp::CDrawApp(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(QString::fromLatin1(kSettingsOrganization));
    setApplicationName(QString::fromLatin1(kSettingsApplication));
    setApplicationVersion(QStringLiteral("0.1.0"));
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
    parser.addPositionalArgument(QStringLiteral("drawing"),
                                 QStringLiteral("A drawing (.trn) to open."),
                                 QStringLiteral("[drawing]"));
    parser.process(*this);
    screenshotPath_ = parser.value(screenshot);

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
    if (!screenshotPath_.isEmpty() && !viewCanPaint_) {
        // No paint will come: the window as it is, once it has shown.
        QTimer::singleShot(0, this, &CDrawApp::SaveScreenshot);
    } else if (!screenshotPath_.isEmpty()) {
        // After the first paint has reached the screen, once the menus have painted too.
        CViewWidget* view = program_->MainFrame().View();
        connect(view, &QOpenGLWidget::frameSwapped, this, [this] {
            if (!screenshotSaved_) {
                screenshotSaved_ = true;
                QTimer::singleShot(0, this, &CDrawApp::SaveScreenshot);
            }
        });
    }
    return exec();
}

void CDrawApp::SaveScreenshot() {
    CMainFrame& frame = program_->MainFrame();
    const bool saved = frame.grab().save(screenshotPath_, "PNG");
    if (!saved) {
        std::fprintf(stderr, "marquetta: cannot write %s\n",
                     screenshotPath_.toLocal8Bit().constData());
    }
    // No save question: the screenshot run has not changed the drawing.
    frame.CloseApproved();
    exit(saved ? 0 : 1);
}

}  // namespace marquetta
