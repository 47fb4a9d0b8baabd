#include "gui/view_widget.h"

#include <GL/gl.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "edit/view.h"
#include "gui/gl_context_check.h"
#include "gui/key_translation.h"
#include "platform/keys.h"

namespace marquetta {

CViewWidget::CViewWidget(CZorader_ezView& view, QWidget* parent)
    : QOpenGLWidget(parent), view_(view) {
    setFormat(ViewSurfaceFormat());
    // Every paint clears the whole buffer itself.
    setUpdateBehavior(QOpenGLWidget::NoPartialUpdate);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(64, 64);
    // The previews follow the cursor with no button held.
    setMouseTracking(true);
}

void CViewWidget::resizeGL(int width, int height) {
    const qreal ratio = devicePixelRatio();
    glViewport(0, 0, static_cast<int>(width * ratio), static_cast<int>(height * ratio));
}

void CViewWidget::paintGL() {
    const qreal ratio = devicePixelRatio();
    const int w = static_cast<int>(width() * ratio);
    const int h = static_cast<int>(height() * ratio);
    const PaintFrame& frame = view_.OnPaint(w, h);
    DrawPaintFrame(frame, w, h);
    if (frame.wireframeRebuilt) {
        ++wireframeChanges_;
    }
    lastFrame_ = &frame;
    emit Painted(++paints_);
}

QPoint CViewWidget::DevicePosition(const QMouseEvent& event) const {
    const QPointF p = event.position() * devicePixelRatio();
    return QPoint(static_cast<int>(p.x()), static_cast<int>(p.y()));
}

void CViewWidget::mousePressEvent(QMouseEvent* event) {
    const QPoint p = DevicePosition(*event);
    switch (event->button()) {
        case Qt::LeftButton:
            view_.OnLButtonDown(p.x(), p.y(),
                                (event->modifiers() & Qt::ShiftModifier) ? MOD_SHIFT : MOD_NONE);
            break;
        case Qt::MiddleButton:
            view_.OnMButtonDown(p.x(), p.y());
            break;
        case Qt::RightButton: {
            int modifiers = 0;
            if (event->modifiers() & Qt::ShiftModifier) {
                modifiers |= MOD_SHIFT;
            }
            if (event->modifiers() & Qt::ControlModifier) {
                modifiers |= MOD_CTRL;
            }
            int buttons = 0;
            if (event->buttons() & Qt::LeftButton) {
                buttons |= MOUSE_LEFT;
            }
            if (event->buttons() & Qt::RightButton) {
                buttons |= MOUSE_RIGHT;
            }
            if (event->buttons() & Qt::MiddleButton) {
                buttons |= MOUSE_MIDDLE;
            }
            view_.OnRButtonDown(p.x(), p.y(), modifiers, buttons | MOUSE_RIGHT);
            break;
        }
        default:
            QOpenGLWidget::mousePressEvent(event);
            return;
    }
    event->accept();
}

void CViewWidget::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = DevicePosition(*event);
    switch (event->button()) {
        case Qt::LeftButton:
            view_.OnLButtonUp(p.x(), p.y());
            break;
        case Qt::MiddleButton:
            view_.OnMButtonUp(p.x(), p.y());
            break;
        case Qt::RightButton:
            view_.OnRButtonUp(p.x(), p.y());
            break;
        default:
            QOpenGLWidget::mouseReleaseEvent(event);
            return;
    }
    event->accept();
}

void CViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);  // the other buttons' second press is a press as any
        return;
    }
    const QPoint p = DevicePosition(*event);
    view_.OnLButtonDblClk(p.x(), p.y());
    event->accept();
}

void CViewWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = DevicePosition(*event);
    view_.OnMouseMove(p.x(), p.y());
    emit CursorMoved();
    event->accept();
}

void CViewWidget::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta != 0) {
        const QPointF p = event->position() * devicePixelRatio();
        view_.OnMouseWheel(delta, static_cast<int>(p.x()), static_cast<int>(p.y()));
        emit CursorMoved();
    }
    event->accept();
}

void CViewWidget::keyPressEvent(QKeyEvent* event) {
    // With Alt held a key belongs to the menu bar, never to the view.
    if (!(event->modifiers() & Qt::AltModifier)) {
        const int key = TranslateKeyEvent(*event).key;
        if (key != 0) {
            view_.OnKeyDown(key);
        }
    }
    QOpenGLWidget::keyPressEvent(event);
}

}  // namespace marquetta
