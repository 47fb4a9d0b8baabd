#include "gui/list_dialog.h"

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
    setFixedSize(FromDialogUnits(font(), 0, 0, 187, 93).size());
    list_->setGeometry(FromDialogUnits(font(), 7, 7, 120, 79));
    list_->setIconSize(QSize(16, 16));
    // The boxes are the state: a selection highlight would tint them.
    list_->setSelectionMode(QAbstractItemView::NoSelection);
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
