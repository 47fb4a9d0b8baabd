#include "gui/model_dialog.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/dialog_model.h"
#include "platform/platform.h"
#include "ui/value_dialogs.h"

namespace marquetta {

namespace {

// A sunken frame filled with a field's colour, read from the model at every paint so
// that the colour the user chose stays when the dialog is covered and shown again.
class ColorSwatch : public QFrame {
  public:
    ColorSwatch(DialogModel& model, size_t field, QWidget* parent)
        : QFrame(parent), model_(model), field_(field) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setFixedSize(80, 48);
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        const RgbColor& color = model_.Fields()[field_].color;
        QPainter(this).fillRect(contentsRect(), QColor(color.red, color.green, color.blue));
    }

  private:
    DialogModel& model_;
    size_t field_;
};

// A combo box whose size never follows its list: the edit field scrolls sideways, and
// the drop-down list may be wider than the field but never than the dialog.
class BoundedCombo : public QComboBox {
  public:
    explicit BoundedCombo(QWidget* dialog) : QComboBox(dialog), dialog_(dialog) {
        setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        setMinimumContentsLength(4);
    }

    void showPopup() override {
        QComboBox::showPopup();
        QWidget* popup = view()->window();
        const QRect inside(dialog_->mapToGlobal(QPoint(0, 0)), dialog_->size());
        QRect r = popup->geometry();
        if (r.width() > inside.width()) {
            r.setWidth(inside.width());
        }
        if (r.right() > inside.right()) {
            r.moveRight(inside.right());
        }
        if (r.left() < inside.left()) {
            r.moveLeft(inside.left());
        }
        popup->setGeometry(r);
    }

  private:
    QWidget* dialog_;
};

QToolButton* Arrow(Qt::ArrowType type, QWidget* parent) {
    auto* arrow = new QToolButton(parent);
    arrow->setArrowType(type);
    arrow->setAutoRepeat(true);
    arrow->setFocusPolicy(Qt::NoFocus);
    arrow->setFixedSize(16, 11);
    return arrow;
}

}  // namespace

QSize DialogUnitsToPixels(const QFontMetrics& metrics, DialogUnits units) {
    // The average width of the Latin letters, as dialog templates measure it.
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseX = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    const int baseY = metrics.height();
    return QSize((units.width * baseX + 2) / 4, (units.height * baseY + 4) / 8);
}

CModelDialog::CModelDialog(DialogModel& model, Platform& platform, QWidget* parent)
    : QDialog(parent), model_(model), platform_(platform) {
    setWindowTitle(QString::fromStdString(model_.Title()));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    std::vector<DialogField>& fields = model_.Fields();
    // Neighbouring fields of one group sit in a box titled with it.
    QFormLayout* groupForm = nullptr;
    // Each row holds its field and the fields placed beside it; a field without a label
    // spans the label column too.
    QFormLayout* rowsOfRow = nullptr;
    QHBoxLayout* row = nullptr;
    auto place = [&](QFormLayout* rows, const DialogField& field, QWidget* label, QWidget* widget) {
        if (field.besidePrevious && row != nullptr && rowsOfRow == rows) {
            if (label != nullptr) {
                row->addWidget(label);
            }
            row->addWidget(widget, 1);
            return;
        }
        row = new QHBoxLayout;
        rowsOfRow = rows;
        row->addWidget(widget, 1);
        if (label != nullptr) {
            rows->addRow(label, row);
        } else {
            rows->addRow(row);
        }
    };
    auto labelOf = [this](const DialogField& field) -> QWidget* {
        return field.label.empty() ? nullptr
                                   : new QLabel(QString::fromStdString(field.label), this);
    };
    for (size_t index = 0; index < fields.size(); ++index) {
        const DialogField& field = fields[index];
        if (field.group.empty()) {
            groupForm = nullptr;
        } else if (groupForm == nullptr || field.group != fields[index - 1].group) {
            auto* box = new QGroupBox(QString::fromStdString(field.group), this);
            groupForm = new QFormLayout(box);
            form->addRow(box);
        }
        QFormLayout* rows = groupForm != nullptr ? groupForm : form;
        QLineEdit* edit = nullptr;
        QComboBox* combo = nullptr;
        QAbstractButton* button = nullptr;
        QAbstractButton* downArrow = nullptr;
        QWidget* swatch = nullptr;
        if (field.kind == DialogField::Kind::ColorButton) {
            button = new QPushButton(QString::fromStdString(field.label), this);
            swatch = new ColorSwatch(model_, index, this);
            connect(button, &QAbstractButton::clicked, this, [this, index] {
                model_.PressButton(index);
                for (QWidget* shown : swatches_) {
                    if (shown != nullptr) {
                        shown->update();
                    }
                }
            });
            place(rows, field, button, swatch);
        } else if (field.kind == DialogField::Kind::ComboBox) {
            combo = new BoundedCombo(this);
            combo->setEditable(true);
            // Picking from the list fills the edit box; typing never adds to the list.
            combo->setInsertPolicy(QComboBox::NoInsert);
            // What the user types stays as typed: no completing "9" to a preset "910".
            combo->setCompleter(nullptr);
            for (const std::string& choice : field.choices) {
                combo->addItem(QString::fromStdString(choice));
            }
            edit = combo->lineEdit();
            // The list opens on the entry the field holds, and the arrow keys go on from it.
            combo->setCurrentIndex(combo->findText(QString::fromStdString(field.text)));
            place(rows, field, labelOf(field), combo);
        } else if (field.spin) {
            auto* spinRow = new QWidget(this);
            auto* rowLayout = new QHBoxLayout(spinRow);
            rowLayout->setContentsMargins(0, 0, 0, 0);
            rowLayout->setSpacing(0);
            edit = new QLineEdit(spinRow);
            auto* arrows = new QVBoxLayout;
            arrows->setSpacing(0);
            button = Arrow(Qt::UpArrow, spinRow);
            downArrow = Arrow(Qt::DownArrow, spinRow);
            arrows->addWidget(button);
            arrows->addWidget(downArrow);
            rowLayout->addWidget(edit);
            rowLayout->addLayout(arrows);
            if (!field.note.empty()) {
                rowLayout->addSpacing(6);
                rowLayout->addWidget(new QLabel(QString::fromStdString(field.note), spinRow));
            }
            connect(button, &QAbstractButton::clicked, this, [this, index] { Step(index, 1); });
            connect(downArrow, &QAbstractButton::clicked, this, [this, index] { Step(index, -1); });
            edit->installEventFilter(this);
            place(rows, field, labelOf(field), spinRow);
        } else {
            edit = new QLineEdit(this);
            place(rows, field, labelOf(field), edit);
        }
        if (!field.hint.empty()) {
            form->addRow(QString(), new QLabel(QString::fromStdString(field.hint), this));
        }
        if (edit != nullptr) {
            edit->setText(QString::fromStdString(field.text));
            if (field.maxLength > 0) {
                edit->setMaxLength(field.maxLength);
            }
        }
        edits_.push_back(edit);
        combos_.push_back(combo);
        buttons_.push_back(button);
        downArrows_.push_back(downArrow);
        swatches_.push_back(swatch);
    }
    layout->addStretch(1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("ｷｬﾝｾﾙ"));
    // Enter in any field presses OK.
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CModelDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CModelDialog::reject);
    layout->addWidget(buttons);
    const DialogUnits units = model_.Size();
    if (units.width > 0 && units.height > 0) {
        // A font too large for the size still gets every field whole.
        setFixedSize(DialogUnitsToPixels(fontMetrics(), units).expandedTo(minimumSizeHint()));
    }
    for (QLineEdit* edit : edits_) {
        if (edit != nullptr) {
            edit->setFocus();
            edit->selectAll();
            break;
        }
    }
}

QLineEdit* CModelDialog::FieldEdit(size_t index) const {
    return index < edits_.size() ? edits_[index] : nullptr;
}

QComboBox* CModelDialog::FieldCombo(size_t index) const {
    return index < combos_.size() ? combos_[index] : nullptr;
}

QAbstractButton* CModelDialog::FieldButton(size_t index, int step) const {
    if (index >= buttons_.size()) {
        return nullptr;
    }
    return step < 0 ? downArrows_[index] : buttons_[index];
}

QWidget* CModelDialog::FieldSwatch(size_t index) const {
    return index < swatches_.size() ? swatches_[index] : nullptr;
}

void CModelDialog::Step(size_t index, int step) {
    QLineEdit* edit = edits_[index];
    const std::string stepped =
        StepSpinText(edit->text().toStdString(), step, *model_.Fields()[index].spin);
    edit->setText(QString::fromStdString(stepped));
    edit->selectAll();
}

bool CModelDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();  // NOLINT(cppcoreguidelines-pro-type-static-cast-downcast): a KeyPress, as type() said
        for (size_t i = 0; i < edits_.size(); ++i) {
            if (edits_[i] == watched && downArrows_[i] != nullptr &&
                (key == Qt::Key_Up || key == Qt::Key_Down)) {
                Step(i, key == Qt::Key_Up ? 1 : -1);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CModelDialog::accept() {
    std::vector<DialogField>& fields = model_.Fields();
    for (size_t i = 0; i < fields.size() && i < edits_.size(); ++i) {
        if (edits_[i] != nullptr) {
            fields[i].text = edits_[i]->text().toStdString();
        }
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
