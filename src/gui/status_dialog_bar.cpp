#include "gui/status_dialog_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "app/command_table.h"

namespace marquetta {

const int CStatusDialogBar::kButtonIds[4] = {ID_SNAP_TOGGLE, ID_GRID_TOGGLE, ID_RELATIVE_ENTRY,
                                             ID_SCALE};

namespace {

// The longest prompt of the editing commands.
constexpr const char* kLongestPrompt = "【伸縮】－対象線の指示(右クリックで終了)";

// The captions a button shows before the first idle update.
const char* InitialCaption(int id) {
    switch (id) {
        case ID_SNAP_TOGGLE:
            return "SNP_ON";
        case ID_GRID_TOGGLE:
            return "GRD_ON";
        case ID_RELATIVE_ENTRY:
            return "相対距離";
        default:
            return "SCL:1/100";
    }
}

}  // namespace

CStatusDialogBar::CStatusDialogBar(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(4);

    prompt_ = new QLabel(QString::fromUtf8(kInitialPromptText), this);
    prompt_->setObjectName(QString::number(kPromptLabelId));
    prompt_->setFrameShape(QFrame::StyledPanel);
    prompt_->setFrameShadow(QFrame::Sunken);
    // Wide enough for the longest prompt, so that no window width cuts one short (the
    // window's minimum follows from its bars).
    prompt_->setMinimumWidth(
        std::max(240, prompt_->fontMetrics().horizontalAdvance(QString::fromUtf8(kLongestPrompt)) +
                          2 * prompt_->frameWidth() + 8));
    prompt_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    layout->addWidget(prompt_, 1);

    for (int id : kButtonIds) {
        auto* button = new QPushButton(QString::fromUtf8(InitialCaption(id)), this);
        button->setObjectName(QString::number(id));
        // The buttons never take the focus from the view, whose keys they would swallow.
        button->setFocusPolicy(Qt::NoFocus);
        button->setMinimumWidth(
            button->fontMetrics().horizontalAdvance(QStringLiteral("SCL:1/0000")) + 16);
        connect(button, &QPushButton::clicked, this, [this, id] { emit CommandClicked(id); });
        layout->addWidget(button);
        buttons_[id] = button;
    }
}

void CStatusDialogBar::SetPrompt(const QString& text) {
    prompt_->setText(text);
}

QString CStatusDialogBar::Prompt() const {
    return prompt_->text();
}

QPushButton* CStatusDialogBar::Button(int id) const {
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

}  // namespace marquetta
