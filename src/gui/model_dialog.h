// The one dialog class that shows any dialog model: its title, a column of labelled
// combo boxes and edit boxes, OK and Cancel. OK writes the fields back into the model
// and runs its check; a refusal is shown and the dialog stays open with the focus on
// the field at fault.
#pragma once

#include <QDialog>
#include <vector>

class QComboBox;
class QLineEdit;

namespace marquetta {

class DialogModel;
class Platform;

class CModelDialog : public QDialog {
    Q_OBJECT

  public:
    CModelDialog(DialogModel& model, Platform& platform, QWidget* parent = nullptr);

    // The edit box of field `index`: the line edit itself, or the combo box's.
    QLineEdit* FieldEdit(size_t index) const;
    QComboBox* FieldCombo(size_t index) const;  // null for an edit box

    void accept() override;

  private:
    DialogModel& model_;
    Platform& platform_;
    std::vector<QLineEdit*> edits_;
    std::vector<QComboBox*> combos_;
};

}  // namespace marquetta
