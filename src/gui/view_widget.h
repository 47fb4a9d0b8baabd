// The drawing view's window: a QOpenGLWidget that hosts the core view, draws the
// frame each paint asks of it, and owns the display list of the wireframe for as long
// as its context lives.
#pragma once

#include <QOpenGLWidget>

#include "gui/gl_frame_painter.h"

namespace marquetta {

class CZorader_ezView;

class CViewWidget : public QOpenGLWidget {
    Q_OBJECT

  public:
    CViewWidget(CZorader_ezView& view, QWidget* parent = nullptr);
    ~CViewWidget() override;

    // The frame of the last paint, or null before the first.
    const PaintFrame* LastFrame() const { return lastFrame_; }
    // The display list's name; 0 before the context exists or when none could be made.
    unsigned int DisplayList() const { return list_.name; }
    // How many paints compiled the wireframe into the display list.
    int WireframeCompiles() const { return compiles_; }

  signals:
    // After each paint, with the number of paints so far.
    void Painted(int paints);

  protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // The view's keys, then Qt's own handling of the key.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void DeleteDisplayList();
    // The event's position in the device pixels the paint measures.
    QPoint DevicePosition(const QMouseEvent& event) const;

    CZorader_ezView& view_;
    WireframeList list_;
    const PaintFrame* lastFrame_ = nullptr;
    int paints_ = 0;
    int compiles_ = 0;
};

}  // namespace marquetta
