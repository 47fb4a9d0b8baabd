#include "gui/screenshot_run.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>
#include <cstdio>
#include <memory>

#include "gui/main_frame.h"
#include "gui/view_widget.h"
#include "view/camera.h"

namespace marquetta {

namespace {

// Long enough for the view to repaint, and for a dialog to show, between two steps.
constexpr int kStepPauseMs = 150;

struct StepRun {
    CMainFrame* frame;
    std::vector<ScreenshotStep> steps;
    size_t next = 0;
    std::function<void()> done;
};

void Mouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::MouseButton button,
           Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// The view's pixel of a plan point (x right, y up the plan) through the last paint.
std::optional<QPointF> ViewPosition(const CViewWidget& view, double x, double y) {
    double wx = 0, wy = 0, wz = 0;
    if (!ProjectCaptured(x, 0.0, -y, wx, wy, wz)) {
        return std::nullopt;
    }
    return QPointF(std::round(wx), std::round(g_viewHeight - wy)) / view.devicePixelRatio();
}

void PointerStep(CViewWidget* view, const ScreenshotStep& step) {
    const std::optional<QPointF> at = ViewPosition(*view, step.x, step.y);
    if (!at) {
        std::fprintf(stderr, "marquetta: the point %g,%g is not in the view\n", step.x, step.y);
        return;
    }
    // The second point of a step is where the last mouse move left the cursor.
    Mouse(view, QEvent::MouseMove, *at, Qt::NoButton, Qt::NoButton);
    if (step.kind == ScreenshotStep::Kind::Move) {
        return;
    }
    const Qt::MouseButton button =
        step.kind == ScreenshotStep::Kind::Click ? Qt::LeftButton : Qt::RightButton;
    Mouse(view, QEvent::MouseButtonPress, *at, button, button);
    Mouse(view, QEvent::MouseButtonRelease, *at, button, Qt::NoButton);
}

void RunStep(CMainFrame& frame, const ScreenshotStep& step) {
    using Kind = ScreenshotStep::Kind;
    CViewWidget* view = frame.View();
    switch (step.kind) {
        case Kind::Command:
            frame.RunCommand(step.number);
            break;
        case Kind::Click:
        case Kind::RightClick:
        case Kind::Move:
            PointerStep(view, step);
            break;
        case Kind::Wheel: {
            const QPointF centre(view->width() / 2.0, view->height() / 2.0);
            for (int i = 0; i < std::abs(step.number); ++i) {
                QWheelEvent wheel(centre, view->mapToGlobal(centre), QPoint(),
                                  QPoint(0, step.number > 0 ? 120 : -120), Qt::NoButton,
                                  Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(view, &wheel);
            }
            break;
        }
        case Kind::Type:
            if (QWidget* field = QApplication::focusWidget()) {
                QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                              QString::fromStdString(step.text));
                QApplication::sendEvent(field, &key);
            }
            break;
        case Kind::Key:
            if (QWidget* field = QApplication::focusWidget()) {
                const bool enter = step.text == "Return";
                QKeyEvent key(QEvent::KeyPress, enter ? Qt::Key_Return : Qt::Key_Escape,
                              Qt::NoModifier, enter ? QStringLiteral("\r") : QStringLiteral("\x1b"));
                QApplication::sendEvent(field, &key);
            }
            break;
        case Kind::OpenRow: {
            QWidget* dialog = QApplication::activeModalWidget();
            auto* list = dialog != nullptr ? dialog->findChild<QAbstractItemView*>() : nullptr;
            if (list == nullptr || step.number >= list->model()->rowCount()) {
                std::fprintf(stderr, "marquetta: no list row %d to open\n", step.number);
                break;
            }
            const QPointF at = list->visualRect(list->model()->index(step.number, 0)).center();
            QWidget* area = list->viewport();
            Mouse(area, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
            Mouse(area, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
            Mouse(area, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
            break;
        }
    }
}

void RunNext(const std::shared_ptr<StepRun>& run) {
    if (run->next == run->steps.size()) {
        QTimer::singleShot(run->steps.empty() ? 0 : 2 * kStepPauseMs, run->frame, run->done);
        return;
    }
    const ScreenshotStep step = run->steps[run->next++];
    // Asked for before the step runs: one that opens a modal dialog waits in it.
    QTimer::singleShot(kStepPauseMs, run->frame, [run] { RunNext(run); });
    RunStep(*run->frame, step);
}

}  // namespace

void RunScreenshotSteps(CMainFrame& frame, std::vector<ScreenshotStep> steps,
                        std::function<void()> done) {
    auto run = std::make_shared<StepRun>(StepRun{&frame, std::move(steps), 0, std::move(done)});
    RunNext(run);
}

QPixmap ScreenshotPicture(CMainFrame& frame) {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
        return dialog->grab();
    }
    return frame.grab();
}

}  // namespace marquetta
