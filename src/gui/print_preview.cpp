#include "gui/print_preview.h"

#include <QAction>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QShortcut>

#include "gui/print_painter.h"

namespace marquetta {

CPrintPreview::CPrintPreview(QPrinter& printer, PageDrawing drawPage, int pages, QWidget* parent,
                             int pageCount)
    : QPrintPreviewDialog(&printer, parent), drawPage_(std::move(drawPage)), pageCount_(pageCount) {
    preview_ = findChild<QPrintPreviewWidget*>();
    connect(this, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { PrintPages(*target, drawPage_, pageCount_); });
    if (pages == kMaxPreviewPages) {
        // Through the dialog's own button, so that the button shows the choice too.
        if (auto* facing = findChild<QAction*>(QStringLiteral("facingModeAction"))) {
            facing->trigger();
        } else if (preview_ != nullptr) {
            preview_->setViewMode(QPrintPreviewWidget::FacingPagesView);
        }
    }
    // Window-wide, so that they work wherever the focus is inside the preview.
    auto* next = new QShortcut(QKeySequence(Qt::Key_PageDown), this);
    connect(next, &QShortcut::activated, this, &CPrintPreview::NextPage);
    auto* previous = new QShortcut(QKeySequence(Qt::Key_PageUp), this);
    connect(previous, &QShortcut::activated, this, &CPrintPreview::PreviousPage);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &CPrintPreview::reject);
}

int CPrintPreview::PagesShown() const {
    return preview_ != nullptr && preview_->viewMode() == QPrintPreviewWidget::FacingPagesView
               ? kMaxPreviewPages
               : kMinPreviewPages;
}

void CPrintPreview::NextPage() {
    if (preview_ != nullptr && preview_->currentPage() < preview_->pageCount()) {
        preview_->setCurrentPage(preview_->currentPage() + 1);
    }
}

void CPrintPreview::PreviousPage() {
    if (preview_ != nullptr && preview_->currentPage() > 1) {
        preview_->setCurrentPage(preview_->currentPage() - 1);
    }
}

}  // namespace marquetta
