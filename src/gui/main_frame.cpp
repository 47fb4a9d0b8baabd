#include "gui/main_frame.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>

#include "app/app_controller.h"
#include "edit/snap_settings.h"
#include "exchange/render_command.h"
#include "gui/key_translation.h"
#include "gui/lock_indicators.h"
#include "gui/qt_platform.h"
#include "gui/status_dialog_bar.h"
#include "gui/view_widget.h"
#include "model/layers.h"

namespace marquetta {
namespace {

// The tool-bar buttons' pictures, kept as files under res/icons.
const char* IconResource(int id) {
    switch (id) {
        case ID_FILE_NEW:
            return ":/icons/file_new.xpm";
        case ID_FILE_OPEN:
            return ":/icons/file_open.xpm";
        case ID_FILE_SAVE:
            return ":/icons/file_save.xpm";
        case ID_EDIT_CUT:
            return ":/icons/edit_cut.xpm";
        case ID_EDIT_COPY:
            return ":/icons/edit_copy.xpm";
        case ID_EDIT_PASTE:
            return ":/icons/edit_paste.xpm";
        case ID_FILE_PRINT:
            return ":/icons/file_print.xpm";
        case ID_VIEW_MOVE:
            return ":/icons/view_move.xpm";
        case ID_VIEW_ROTATE:
            return ":/icons/view_rotate.xpm";
        case ID_VIEW_ZOOM:
            return ":/icons/view_zoom.xpm";
        case ID_ZOOM_FIT:
            return ":/icons/view_fit.xpm";
        case ID_APP_ABOUT:
            return ":/icons/app_about.xpm";
        case ID_LINE:
            return ":/icons/draw_line.xpm";
        case ID_CIRCLE:
            return ":/icons/draw_circle.xpm";
        case ID_ARC:
            return ":/icons/draw_arc.xpm";
        case ID_TEXT:
            return ":/icons/draw_text.xpm";
        case ID_DIM_LINEAR:
            return ":/icons/draw_dimension.xpm";
        case ID_MEASURE:
            return ":/icons/view_measure.xpm";
        case ID_ERASE:
            return ":/icons/modify_erase.xpm";
        case ID_MOVE:
            return ":/icons/modify_move.xpm";
        case ID_COPY:
            return ":/icons/modify_copy.xpm";
        case ID_ROTATE:
            return ":/icons/modify_rotate.xpm";
        case ID_MIRROR:
            return ":/icons/modify_mirror.xpm";
        case ID_MIRROR_COPY:
            return ":/icons/modify_mirror_copy.xpm";
        case ID_SCALE_SHAPES:
            return ":/icons/modify_scale.xpm";
        case ID_OFFSET:
            return ":/icons/modify_offset.xpm";
        case ID_STRETCH:
            return ":/icons/modify_stretch.xpm";
        case ID_FILLET:
            return ":/icons/modify_fillet.xpm";
        case ID_CHAMFER:
            return ":/icons/modify_chamfer.xpm";
        case ID_TRIM:
            return ":/icons/modify_trim.xpm";
        case ID_RECTANGLE:
            return ":/icons/draw_rectangle.xpm";
        default:
            return nullptr;
    }
}

// The bars' own commands, which the main window handles itself.
bool IsFrameBarCommand(int id) {
    return id == ID_VIEW_TOOLBAR || id == ID_VIEW_STATUS_BAR;
}

constexpr const char* kIndicatorTexts[4] = {"ｶﾅ", "CAP", "NUM", "SCRL"};
// The status bar's pane while ortho is on.
constexpr const char* kOrthoPaneText = "直交";

}  // namespace

}  // namespace marquetta

// The pictures live in a static library: nothing would pull them into the program.
static void InitMarquettaResources() {
    Q_INIT_RESOURCE(marquetta);
}

namespace marquetta {

CMainFrame::CMainFrame(AppController& app, QtPlatform& platform) : app_(app), platform_(platform) {
    InitMarquettaResources();
    UpdateTitle();
    setWindowIcon(QIcon(QStringLiteral(":/marquetta.xpm")));

    view_ = new CViewWidget(app_.View(), this);
    setCentralWidget(view_);

    BuildMenus();
    // The bars in the order the window has always made them.
    standardBar_ =
        BuildToolBar(QStringLiteral("standard"), marquetta::StandardToolBar(), Qt::TopToolBarArea);
    BuildLayerBar();
    BuildDialogBar();
    drawingBar_ =
        BuildToolBar(QStringLiteral("drawing"), marquetta::DrawingToolBar(), Qt::LeftToolBarArea);
    BuildStatusBar();
    // Never narrower than the status dialog bar needs with its longest prompt: a tool-bar
    // layout may squeeze the bar's buttons over the prompt line.
    setMinimumWidth(std::max(minimumSizeHint().width(), dialogBarHost_->sizeHint().width()));
    resize(1024, 720);

    platform_.SetMainFrame(this);
    dialogBar_->SetPrompt(platform_.Prompt());

    // Accelerators are translated before any widget of this window sees the key.
    qApp->installEventFilter(this);
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &CMainFrame::UpdateCommandUi);
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::UpdateIndicators);
    // The status line tells when the grid is too fine to draw.
    connect(view_, &CViewWidget::Painted, this, &CMainFrame::UpdateStatusLine);
    connect(view_, &CViewWidget::CursorMoved, this, [this] {
        coordinatePane_->setText(QString::fromStdString(app_.View().CursorReadoutText()));
    });
    view_->setFocus();
    UpdateCommandUi();
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    // Closing the window below moves the focus: nothing of this class may run then.
    disconnect(qApp, nullptr, this, nullptr);
    platform_.SetMainFrame(nullptr);
}

QAction* CMainFrame::Action(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

QAction* CMainFrame::MakeAction(int id) {
    if (QAction* existing = Action(id)) {
        return existing;
    }
    const CommandInfo* info = FindCommand(id);
    // The caption keeps its "\t" part: Qt shows it as the item's shortcut text. The
    // keys themselves go through the accelerator table, never through Qt shortcuts.
    auto* action = new QAction(QString::fromUtf8(info ? info->caption : ""), this);
    action->setData(id);
    if (info != nullptr) {
        action->setStatusTip(QString::fromUtf8(info->statusText));
        if (info->toolTip[0] != '\0') {
            action->setToolTip(QString::fromUtf8(info->toolTip));
        }
    }
    if (const char* icon = IconResource(id)) {
        action->setIcon(QIcon(QString::fromLatin1(icon)));
        action->setIconVisibleInMenu(false);
    }
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    actions_[id] = action;
    return action;
}

void CMainFrame::BuildMenus() {
    for (const MenuItem& popup : MainMenu()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(popup.caption));
        AddMenuItems(menu, popup.children);
    }
}

void CMainFrame::AddMenuItems(QMenu* menu, const std::vector<MenuItem>& items) {
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUi);
    for (const MenuItem& item : items) {
        switch (item.kind) {
            case MenuItem::Kind::Separator:
                menu->addSeparator();
                break;
            case MenuItem::Kind::Popup:
                AddMenuItems(menu->addMenu(QString::fromUtf8(item.caption)), item.children);
                break;
            case MenuItem::Kind::Command:
                menu->addAction(MakeAction(item.id));
                // The recent files take the place of "最近使ったﾌｧｲﾙ", one item each.
                if (item.id == ID_FILE_MRU_FIRST) {
                    for (int i = 1; i < kRecentFileCount; ++i) {
                        menu->addAction(MakeAction(ID_FILE_MRU_FIRST + i));
                    }
                }
                break;
        }
    }
}

QToolBar* CMainFrame::BuildToolBar(const QString& name, const std::vector<int>& ids,
                                   Qt::ToolBarArea area) {
    auto* bar = new QToolBar(name, this);
    bar->setObjectName(name);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setAllowedAreas(area);
    bar->setIconSize(QSize(16, 15));
    for (int id : ids) {
        if (id == 0) {
            bar->addSeparator();
        } else {
            bar->addAction(MakeAction(id));
        }
    }
    addToolBar(area, bar);
    return bar;
}

void CMainFrame::BuildLayerBar() {
    layerBar_ = new QToolBar(QString::fromUtf8("画層"), this);
    layerBar_->setObjectName(QStringLiteral("layers"));
    layerBar_->setMovable(false);
    layerBar_->setFloatable(false);
    layerBar_->setAllowedAreas(Qt::TopToolBarArea);
    layerBar_->addWidget(new QLabel(QString::fromUtf8("画層："), layerBar_));
    layerList_ = new QComboBox(layerBar_);
    layerList_->setObjectName(QStringLiteral("layerList"));
    layerList_->setToolTip(QString::fromUtf8("現在の画層"));
    layerList_->setStatusTip(QString::fromUtf8("新しい図形を描く画層を選びます"));
    layerList_->setMinimumContentsLength(12);
    layerList_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // The keys stay the drawing's: the list takes the focus only while it is open.
    layerList_->setFocusPolicy(Qt::ClickFocus);
    layerBar_->addWidget(layerList_);
    connect(layerList_, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        ChooseLayer(app_.Document(), index);
        UpdateLayers();
        view_->setFocus();
    });
    addToolBar(Qt::TopToolBarArea, layerBar_);
}

void CMainFrame::UpdateLayers() {
    // Asked at every idle moment: the names are converted only when the table or the
    // current layer changed.
    std::vector<std::string> raw(g_layerNames.begin(), g_layerNames.begin() + std::clamp(g_layerCount, 0, kLayerSlots));
    raw.push_back(app_.Document().CurrentLayer());
    if (raw == shownRawLayers_) {
        return;
    }
    shownRawLayers_ = std::move(raw);
    LayerChoices choices = CurrentLayerChoices(app_.Document());
    if (choices == shownLayers_) {
        return;
    }
    if (choices.names != shownLayers_.names) {
        const QSignalBlocker block(layerList_);
        layerList_->clear();
        for (const std::string& name : choices.names) {
            layerList_->addItem(QString::fromStdString(name));
        }
    }
    layerList_->setCurrentIndex(choices.current);
    const QString current =
        choices.current >= 0 ? QString::fromStdString(choices.names[static_cast<size_t>(choices.current)]) : QString();
    layerPane_->setText(QString::fromUtf8("画層：") + current);
    shownLayers_ = std::move(choices);
}

void CMainFrame::BuildDialogBar() {
    dialogBarHost_ = new QToolBar(QStringLiteral("status dialog bar"), this);
    dialogBarHost_->setObjectName(QStringLiteral("dialogbar"));
    dialogBarHost_->setMovable(false);
    dialogBarHost_->setFloatable(false);
    dialogBarHost_->setAllowedAreas(Qt::BottomToolBarArea);
    dialogBar_ = new CStatusDialogBar(dialogBarHost_);
    dialogBarHost_->addWidget(dialogBar_);
    connect(dialogBar_, &CStatusDialogBar::CommandClicked, this, &CMainFrame::RunCommand);
    for (int id : CStatusDialogBar::kButtonIds) {
        if (const CommandInfo* info = FindCommand(id)) {
            dialogBar_->Button(id)->setStatusTip(QString::fromUtf8(info->statusText));
        }
    }
    addToolBar(Qt::BottomToolBarArea, dialogBarHost_);
}

void CMainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    messagePane_ = new QLabel(QString::fromUtf8(kIdleStatusText), bar);
    bar->addWidget(messagePane_, 1);
    layerPane_ = new QLabel(bar);
    layerPane_->setObjectName(QStringLiteral("layerPane"));
    layerPane_->setFrameShape(QFrame::StyledPanel);
    layerPane_->setFrameShadow(QFrame::Sunken);
    bar->addPermanentWidget(layerPane_);
    coordinatePane_ = new QLabel(bar);
    coordinatePane_->setFrameShape(QFrame::StyledPanel);
    coordinatePane_->setFrameShadow(QFrame::Sunken);
    coordinatePane_->setMinimumWidth(coordinatePane_->fontMetrics().horizontalAdvance(
        QString::fromUtf8("X=-1234567.8 Y=-1234567.8  距離=1234567.8 角度=359.9°")));
    bar->addPermanentWidget(coordinatePane_);
    orthoPane_ = new QLabel(bar);
    orthoPane_->setObjectName(QStringLiteral("orthoPane"));
    orthoPane_->setFrameShape(QFrame::StyledPanel);
    orthoPane_->setFrameShadow(QFrame::Sunken);
    orthoPane_->setAlignment(Qt::AlignCenter);
    orthoPane_->setMinimumWidth(orthoPane_->fontMetrics().horizontalAdvance(QString::fromUtf8(kOrthoPaneText)) + 8);
    bar->addPermanentWidget(orthoPane_);
    for (int pane = 0; pane < 4; ++pane) {
        auto* label = new QLabel(bar);
        label->setObjectName(QString::fromUtf8(kIndicatorTexts[pane]));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(
            label->fontMetrics().horizontalAdvance(QString::fromUtf8(kIndicatorTexts[pane])) + 8);
        bar->addPermanentWidget(label);
        indicators_[pane] = label;
    }
    // Made with the window, shown only when the user asks for it.
    bar->hide();
}

void CMainFrame::RunCommand(int id) {
    if (id == ID_VIEW_TOOLBAR) {
        const bool show = standardBar_->isHidden();
        standardBar_->setVisible(show);
        layerBar_->setVisible(show);
        drawingBar_->setVisible(show);
    } else if (id == ID_VIEW_STATUS_BAR) {
        statusBar()->setVisible(statusBar()->isHidden());
        UpdateIndicators();
    } else {
        app_.Execute(id);
    }
    UpdateCommandUi();
}

CommandUi CMainFrame::QueryCommand(int id) const {
    if (IsFrameBarCommand(id)) {
        CommandUi ui;
        ui.SetCheck(id == ID_VIEW_TOOLBAR ? !standardBar_->isHidden() : !statusBar()->isHidden());
        return ui;
    }
    return app_.Query(id);
}

void CMainFrame::UpdateCommandUi() {
    for (const auto& [id, action] : actions_) {
        const CommandUi ui = QueryCommand(id);
        action->setEnabled(ui.enabled);
        // A caption of the moment (undo and redo name their step).
        if (ui.text && action->text() != QString::fromStdString(*ui.text)) {
            action->setText(QString::fromStdString(*ui.text));
        }
        action->setCheckable(ui.checked.has_value());
        if (ui.checked) {
            action->setChecked(*ui.checked);
        }
    }
    for (int id : CStatusDialogBar::kButtonIds) {
        const CommandUi ui = QueryCommand(id);
        QPushButton* button = dialogBar_->Button(id);
        button->setEnabled(ui.enabled);
        if (ui.text) {
            button->setText(QString::fromStdString(*ui.text));
        }
    }
    const QString ortho = g_orthoOn == 1 ? QString::fromUtf8(kOrthoPaneText) : QString();
    if (orthoPane_->text() != ortho) {
        orthoPane_->setText(ortho);
    }
    UpdateRecentFiles();
    UpdateLayers();
    UpdateTitle();
}

// The drawing's name with the desktop's mark of unsaved changes after it.
void CMainFrame::UpdateTitle() {
    const std::string title = app_.Document().GetTitle();
    QString text = QString::fromStdString(app_.WindowTitle());
    text.insert(static_cast<int>(QString::fromStdString(title).size()), QStringLiteral("[*]"));
    if (text != windowTitle()) {
        setWindowTitle(text);
    }
    setWindowModified(app_.Document().IsModified());
}

void CMainFrame::UpdateStatusLine() {
    const PaintFrame* frame = view_->LastFrame();
    const bool gridTooFine = frame != nullptr && frame->gridTooFine;
    QString text = QString::fromUtf8(gridTooFine ? kGridTooFineText : kIdleStatusText);
    if (RenderRunning()) {
        text = QString::fromUtf8(kRenderingStatusText) +
               (gridTooFine ? QStringLiteral("　") + text : QString());
    }
    if (messagePane_->text() != text) {
        messagePane_->setText(text);
    }
}

void CMainFrame::UpdateRecentFiles() {
    const std::vector<std::string>& files = app_.RecentFiles().Files();
    const std::vector<std::string> captions = app_.RecentFileCaptions();
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* action = Action(ID_FILE_MRU_FIRST + i);
        const size_t index = static_cast<size_t>(i);
        if (files.empty()) {
            // No recent files: "最近使ったﾌｧｲﾙ" shows, disabled.
            action->setVisible(i == 0);
            action->setText(QString::fromUtf8(FindCommand(ID_FILE_MRU_FIRST)->caption));
            action->setStatusTip(QString::fromUtf8(FindCommand(ID_FILE_MRU_FIRST)->statusText));
        } else {
            action->setVisible(index < files.size());
            if (index < files.size()) {
                action->setText(QString::fromStdString(captions[index]));
                action->setStatusTip(QString::fromStdString(files[index]));
            }
        }
    }
}

void CMainFrame::UpdateIndicators() {
    // The locks are read from the display server only while someone can see them, and
    // only when they can have changed: after a key, or when the focus moved (the user
    // may have pressed a lock key in another window).
    if (statusBar()->isHidden()) {
        return;
    }
    const LockIndicators locks = ReadLockIndicators();
    const bool on[4] = {locks.kana, locks.capsLock, locks.numLock, locks.scrollLock};
    for (int pane = 0; pane < 4; ++pane) {
        const QString text = on[pane] ? QString::fromUtf8(kIndicatorTexts[pane]) : QString();
        if (indicators_[pane]->text() != text) {
            indicators_[pane]->setText(text);
        }
    }
}

bool CMainFrame::TranslateAccelerator(const QKeyEvent& event) {
    const CoreKeyPress press = TranslateKeyEvent(event);
    const int id = marquetta::TranslateAccelerator(press.key, press.modifiers, press.character);
    if (id == 0) {
        return false;
    }
    // A disabled command's key is still taken, as a disabled menu item would take it.
    RunCommand(id);
    return true;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        UpdateIndicators();
    }
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        // Keys for open menus, for the menu bar while it holds the keyboard (after Alt)
        // and for dialogs are theirs.
        if (widget != nullptr && widget->window() == this &&
            QApplication::activePopupWidget() == nullptr &&
            QApplication::activeModalWidget() == nullptr && !menuBar()->hasFocus() &&
            TranslateAccelerator(*static_cast<QKeyEvent*>(event))) {  // NOLINT(cppcoreguidelines-pro-type-static-cast-downcast): a KeyPress, as type() said
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!closeApproved_ && !app_.SaveModified()) {
        event->ignore();
        return;
    }
    closeApproved_ = false;
    event->accept();
}

void CMainFrame::CloseApproved() {
    closeApproved_ = true;
    close();
}

}  // namespace marquetta
