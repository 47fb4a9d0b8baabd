// The print preview: Qt's preview dialog over the program's printer, drawing the
// printed page, with the preview's own keys: Page Down for the next page, Page Up for
// the one before, Esc to close. It opens showing one page or two side by side and
// tells afterwards which the user left it at.
#pragma once

#include <QPrintPreviewDialog>

#include "platform/platform.h"

class QPrintPreviewWidget;

namespace marquetta {

class CPrintPreview : public QPrintPreviewDialog {
    Q_OBJECT

  public:
    // `pages`: 2 for two pages side by side, anything else one. `pageCount`: the pages
    // of the job, each drawn by `drawPage` (the program prints one).
    CPrintPreview(QPrinter& printer, PageDrawing drawPage, int pages, QWidget* parent = nullptr,
                  int pageCount = 1);

    QPrintPreviewWidget* Preview() const { return preview_; }
    // 2 while it shows two pages side by side, else 1.
    int PagesShown() const;

  private:
    void NextPage();
    void PreviousPage();

    PageDrawing drawPage_;
    int pageCount_;
    QPrintPreviewWidget* preview_ = nullptr;
};

}  // namespace marquetta
