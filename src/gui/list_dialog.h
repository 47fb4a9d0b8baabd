// The dialog that shows a list dialog model: one column of items without a header,
// each with an empty or a checked box, and OK and Cancel beside it, laid out in dialog
// units (a quarter of the font's average character width, an eighth of its height).
// A click and a double click go to the model with the item under the pointer.
#pragma once

#include <QDialog>
#include <QIcon>

class QListWidget;

namespace marquetta {

class ListDialogModel;

class CListDialog : public QDialog {
    Q_OBJECT

  public:
    CListDialog(ListDialogModel& model, QWidget* parent = nullptr);

    QListWidget* List() const { return list_; }
    // Shows the model's items again; a dialog that opens over this one calls it first,
    // so that the list behind it shows what the model holds then.
    void Refresh();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int ItemAt(const QPoint& position) const;

    ListDialogModel& model_;
    QListWidget* list_;
    QIcon empty_;
    QIcon checked_;
    // The release that ends a double click is not a click of its own.
    bool releaseEndsDoubleClick_ = false;
};

}  // namespace marquetta
