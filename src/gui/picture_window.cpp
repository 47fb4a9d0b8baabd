#include "gui/picture_window.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

namespace marquetta {

CPictureWindow::CPictureWindow(QWidget* parent)
    : QScrollArea(parent), picture_(new QLabel(this)) {
    setWindowFlag(Qt::Window);
    setBackgroundRole(QPalette::Dark);
    setAlignment(Qt::AlignCenter);
    setWidget(picture_);
}

bool CPictureWindow::ShowFile(const QString& path) {
    const QImage image(path);
    if (image.isNull()) {
        return false;
    }
    picture_->setPixmap(QPixmap::fromImage(image));
    picture_->adjustSize();
    setWindowTitle(QFileInfo(path).fileName());
    // The picture's size plus the frame, at most most of the screen.
    QSize size = image.size() + QSize(2 * frameWidth(), 2 * frameWidth());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableSize() * 9 / 10);
    }
    resize(size);
    show();
    raise();
    activateWindow();
    return true;
}

}  // namespace marquetta
