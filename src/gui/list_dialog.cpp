#include "gui/list_dialog.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QIcon>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>

#include "platform/dialog_model.h"

namespace marquetta {

namespace {

// A rectangle given in dialog units, in pixels of `font`.
QRect FromDialogUnits(const QFont& font, int x, int y, int width, int height) {
    const QFontMetrics metrics(font);
    const int alphabet =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int unitX = (alphabet / 26 + 1) / 2;
    const int unitY = metrics.height();
    return QRect(x * unitX / 4, y * unitY / 8, width * unitX / 4, height * unitY / 8);
}

}  // namespace

CListDialog::CListDialog(ListDialogModel& model, QWidget* parent)
    : QDialog(parent),
      model_(model),
      list_(new QListWidget(this)),
      empty_(QStringLiteral(":/icons/check_empty.xpm")),
      checked_(QStringLiteral(":/icons/check_marked.xpm")) {
    setWindowTitle(QString::fromStdString(model_.Title()));
    // The boxes are the state: a selected row shows them as they are, not tinted.
    empty_.addFile(QStringLiteral(":/icons/check_empty.xpm"), QSize(), QIcon::Selected);
    checked_.addFile(QStringLiteral(":/icons/check_marked.xpm"), QSize(), QIcon::Selected);
    // The model's own buttons go under OK and Cancel, 17 units apart, and the dialog
    // and its list grow to hold them.
    const std::vector<std::string> captions = model_.Buttons();
    const int count = static_cast<int>(captions.size());
    const int height = count == 0 ? 93 : std::max(93, 41 + 17 * (count - 1) + 14 + 7);
    setFixedSize(FromDialogUnits(font(), 0, 0, 187, height).size());
    list_->setGeometry(FromDialogUnits(font(), 7, 7, 120, height - 14));
    list_->setIconSize(QSize(16, 16));
    // The boxes are the state: without buttons that act on a layer, a selection
    // highlight would only tint them.
    list_->setSelectionMode(captions.empty() ? QAbstractItemView::NoSelection
                                             : QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->viewport()->installEventFilter(this);

    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    buttons->setGeometry(FromDialogUnits(font(), 130, 7, 50, 31));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    // As the program's other dialogs write it, not as Qt's translation does.
    buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("ｷｬﾝｾﾙ"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (size_t i = 0; i < captions.size(); ++i) {
        auto* button = new QPushButton(QString::fromStdString(captions[i]), this);
        button->setAutoDefault(false);
        button->setGeometry(FromDialogUnits(font(), 130, 41 + 17 * static_cast<int>(i), 50, 14));
        connect(button, &QPushButton::clicked, this, [this, i] {
            const QModelIndex current = list_->currentIndex();
            model_.PressButton(i, current.isValid() && list_->selectionModel()->isSelected(current)
                                      ? current.row()
                                      : -1);
            Refresh();
            if (const int row = model_.Selection(); row >= 0 && row < list_->count()) {
                list_->setCurrentRow(row);
            }
        });
    }
    Refresh();
}

void CListDialog::Refresh() {
    const std::vector<ListDialogItem> items = model_.Items();
    while (list_->count() > static_cast<int>(items.size())) {
        delete list_->takeItem(list_->count() - 1);
    }
    for (size_t i = 0; i < items.size(); ++i) {
        const int row = static_cast<int>(i);
        if (row >= list_->count()) {
            list_->addItem(new QListWidgetItem);
        }
        QListWidgetItem* item = list_->item(row);
        item->setText(QString::fromStdString(items[i].text));
        item->setIcon(items[i].checked ? checked_ : empty_);
        QFont bold = list_->font();
        bold.setBold(items[i].marked);
        item->setFont(bold);
    }
}

int CListDialog::ItemAt(const QPoint& position) const {
    const QModelIndex index = list_->indexAt(position);
    return index.isValid() ? index.row() : -1;
}

bool CListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched != list_->viewport()) {
        return QDialog::eventFilter(watched, event);
    }
    // Paints, resizes and the like reach the viewport too: only mouse events are ours.
    const auto* mouse = dynamic_cast<const QMouseEvent*>(event);
    if (mouse == nullptr) {
        return QDialog::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            // A release lost to the colour dialog must not swallow this click.
            releaseEndsDoubleClick_ = false;
            break;
        case QEvent::MouseButtonRelease:
            if (mouse->button() == Qt::LeftButton) {
                if (releaseEndsDoubleClick_) {
                    releaseEndsDoubleClick_ = false;
                } else {
                    model_.Click(ItemAt(mouse->position().toPoint()));
                    Refresh();
                }
            }
            break;
        case QEvent::MouseButtonDblClick:
            if (mouse->button() == Qt::LeftButton) {
                releaseEndsDoubleClick_ = true;
                model_.DoubleClick(ItemAt(mouse->position().toPoint()));
                Refresh();
                return true;
            }
            break;
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace marquetta
