// The window that shows a rendered picture at its own size, scrolling when it is
// larger than the screen allows; titled with the picture's file name.
#pragma once

#include <QScrollArea>

class QLabel;

namespace marquetta {

class CPictureWindow : public QScrollArea {
  public:
    explicit CPictureWindow(QWidget* parent = nullptr);

    // Shows the picture in `path` (read anew each time); false when it cannot be read.
    bool ShowFile(const QString& path);
    QLabel* Picture() const { return picture_; }

  private:
    QLabel* picture_;
};

}  // namespace marquetta
