// The drawing view's window: a QOpenGLWidget that hosts the core view and draws the
// frame each paint asks of it.
#pragma once

#include <QOpenGLWidget>

#include "gui/gl_frame_painter.h"

namespace marquetta {

class CZorader_ezView;

class CViewWidget : public QOpenGLWidget {
    Q_OBJECT

  public:
    CViewWidget(CZorader_ezView& view, QWidget* parent = nullptr);

    // The frame of the last paint, or null before the first.
    const PaintFrame* LastFrame() const { return lastFrame_; }
    // How many paints drew a wireframe that had changed since the paint before.
    int WireframeChanges() const { return wireframeChanges_; }

  signals:
    // After each paint, with the number of paints so far.
    void Painted(int paints);
    // After the mouse moved over the view or the wheel turned.
    void CursorMoved();

  protected:
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // The view's keys, then Qt's own handling of the key.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The event's position in the device pixels the paint measures.
    QPoint DevicePosition(const QMouseEvent& event) const;

    CZorader_ezView& view_;
    const PaintFrame* lastFrame_ = nullptr;
    int paints_ = 0;
    int wireframeChanges_ = 0;
};

}  // namespace marquetta
