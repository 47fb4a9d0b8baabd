#include "gui/print_dialogs.h"

#include <QDialogButtonBox>
#include <QPrinterInfo>
#include <QPushButton>

namespace marquetta {

void ConfigurePrintDialog(QPrintDialog& dialog) {
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintCollateCopies);
    // Setting a page range would offer it again: the job has one page.
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
}

void ConfigurePrinterSetupDialog(QPrintDialog& dialog) {
    QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintShowPageSize;
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        options |= QAbstractPrintDialog::PrintToFile;
    }
    dialog.setOptions(options);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    dialog.setWindowTitle(QString::fromUtf8("プリンタの設定"));
    // Accepting chooses; nothing is printed.
    if (auto* box = dialog.findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) {
            ok->setText(QStringLiteral("OK"));
        }
    }
}

}  // namespace marquetta
