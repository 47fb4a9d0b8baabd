// The one dialog class that shows any dialog model: its title, rows of labelled combo
// boxes, edit boxes (some with up and down arrows, some with a note after them, some in
// titled group boxes), each with its hint under it, and colour buttons with their
// swatches, "OK" and "ｷｬﾝｾﾙ", at the model's size in dialog units where it gives one.
// OK writes the fields back into the model and runs its check; a refusal is shown and
// the dialog stays open with the focus on the field at fault.
#pragma once

#include <QDialog>
#include <QFontMetrics>
#include <vector>

#include "platform/dialog_model.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;

namespace marquetta {

class Platform;

// Dialog units in pixels of a dialog font.
QSize DialogUnitsToPixels(const QFontMetrics& metrics, DialogUnits units);

class CModelDialog : public QDialog {
    Q_OBJECT

  public:
    CModelDialog(DialogModel& model, Platform& platform, QWidget* parent = nullptr);

    // The edit box of field `index`: the line edit itself, or the combo box's.
    QLineEdit* FieldEdit(size_t index) const;
    QComboBox* FieldCombo(size_t index) const;  // null for an edit box
    // A colour button, or the up (step +1) or down (-1) arrow of an edit; else null.
    QAbstractButton* FieldButton(size_t index, int step = 0) const;
    // The swatch of a colour button, painted from the model's colour; else null.
    QWidget* FieldSwatch(size_t index) const;

    void accept() override;

  protected:
    // The arrow keys in an edit with arrows step its number.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Step(size_t index, int step);

    DialogModel& model_;
    Platform& platform_;
    std::vector<QLineEdit*> edits_;
    std::vector<QComboBox*> combos_;
    // Per field: the colour button or the up arrow, the swatch or the down arrow.
    std::vector<QAbstractButton*> buttons_;
    std::vector<QAbstractButton*> downArrows_;
    std::vector<QWidget*> swatches_;
};

}  // namespace marquetta
