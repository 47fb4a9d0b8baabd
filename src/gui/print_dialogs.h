// Qt's print dialog in the program's two uses: before a print job of one page, and as
// the printer and page set-up, which only chooses the printer and its paper.
#pragma once

#include <QPrintDialog>

namespace marquetta {

// The print dialog for a one-page job: no page range, no current page, no selection;
// printing to a PDF file is offered.
void ConfigurePrintDialog(QPrintDialog& dialog);

// "プリンタの設定": the printer, its paper and orientation. Its button says OK. Without
// any printer on the system, the PDF file printer is offered so there is something to
// choose.
void ConfigurePrinterSetupDialog(QPrintDialog& dialog);

}  // namespace marquetta
