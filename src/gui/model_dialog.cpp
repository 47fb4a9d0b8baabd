#include "gui/model_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/dialog_model.h"
#include "platform/platform.h"

namespace marquetta {

CModelDialog::CModelDialog(DialogModel& model, Platform& platform, QWidget* parent)
    : QDialog(parent), model_(model), platform_(platform) {
    setWindowTitle(QString::fromStdString(model_.Title()));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    for (const DialogField& field : model_.Fields()) {
        QLineEdit* edit = nullptr;
        QComboBox* combo = nullptr;
        if (field.kind == DialogField::Kind::ComboBox) {
            combo = new QComboBox(this);
            combo->setEditable(true);
            // Picking from the list fills the edit box; typing never adds to the list.
            combo->setInsertPolicy(QComboBox::NoInsert);
            // What the user types stays as typed: no completing "9" to a preset "910".
            combo->setCompleter(nullptr);
            for (const std::string& choice : field.choices) {
                combo->addItem(QString::fromStdString(choice));
            }
            edit = combo->lineEdit();
            form->addRow(QString::fromStdString(field.label), combo);
        } else {
            edit = new QLineEdit(this);
            form->addRow(QString::fromStdString(field.label), edit);
        }
        edit->setText(QString::fromStdString(field.text));
        if (field.maxLength > 0) {
            edit->setMaxLength(field.maxLength);
        }
        edits_.push_back(edit);
        combos_.push_back(combo);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    // Enter in any field presses OK.
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CModelDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CModelDialog::reject);
    layout->addWidget(buttons);
    if (!edits_.empty()) {
        edits_.front()->setFocus();
        edits_.front()->selectAll();
    }
}

QLineEdit* CModelDialog::FieldEdit(size_t index) const {
    return index < edits_.size() ? edits_[index] : nullptr;
}

QComboBox* CModelDialog::FieldCombo(size_t index) const {
    return index < combos_.size() ? combos_[index] : nullptr;
}

void CModelDialog::accept() {
    std::vector<DialogField>& fields = model_.Fields();
    for (size_t i = 0; i < fields.size() && i < edits_.size(); ++i) {
        fields[i].text = edits_[i]->text().toStdString();
    }
    if (const std::optional<DialogRefusal> refusal = model_.Validate()) {
        platform_.MessageBox(refusal->message, "Marquetta", MessageIcon::Exclamation,
                             MessageButtons::Ok);
        if (QLineEdit* edit = FieldEdit(refusal->field)) {
            edit->setFocus();
            edit->selectAll();
        }
        return;
    }
    QDialog::accept();
}

}  // namespace marquetta
