// The main window: the menu bar, the standard tool bar at the top, the status dialog
// bar along the bottom, the drawing tool bar at the left, the status bar (hidden until
// asked for, with the current layer) and the drawing view in the middle; the tool bar
// "画層" lists the layers and chooses the current one. Everything it shows comes from the
// command table and the controller's update handlers; every command it sends goes
// through the controller, except the two that show and hide its own bars.
#pragma once

#include <QMainWindow>
#include <map>
#include <string>
#include <vector>

#include "app/command_table.h"
#include "platform/command_target.h"
#include "ui/layer_dialog.h"

class QComboBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QToolBar;

namespace marquetta {

class AppController;
class CStatusDialogBar;
class CViewWidget;
class QtPlatform;

// The status bar's panes after the message pane, left to right.
enum IndicatorPane { INDICATOR_KANA, INDICATOR_CAPS, INDICATOR_NUM, INDICATOR_SCROLL };

class CMainFrame : public QMainWindow {
    Q_OBJECT

  public:
    CMainFrame(AppController& app, QtPlatform& platform);
    ~CMainFrame() override;

    AppController& App() const { return app_; }
    CViewWidget* View() const { return view_; }
    CStatusDialogBar* StatusDialogBar() const { return dialogBar_; }
    QToolBar* StandardBar() const { return standardBar_; }
    QToolBar* DrawingBar() const { return drawingBar_; }
    // The bar that holds the status dialog bar.
    QToolBar* DialogBarHost() const { return dialogBarHost_; }
    QLabel* MessagePane() const { return messagePane_; }
    QLabel* CoordinatePane() const { return coordinatePane_; }
    QLabel* OrthoPane() const { return orthoPane_; }
    QLabel* Indicator(IndicatorPane pane) const { return indicators_[pane]; }
    // The tool bar "画層" with its list of layers, and the status bar's current layer.
    QToolBar* LayerBar() const { return layerBar_; }
    QComboBox* LayerList() const { return layerList_; }
    QLabel* LayerPane() const { return layerPane_; }
    // The menu item and tool-bar button of a command, or null.
    QAction* Action(int id) const;

    // A command from a menu, a tool bar, a key or a status-bar button.
    void RunCommand(int id);
    // What the command's menu item or button shows.
    CommandUi QueryCommand(int id) const;
    // Runs the update handlers: enabled states, check marks and captions of every menu
    // item and button, the recent files and the title. Runs whenever the program goes
    // idle and before a menu opens.
    void UpdateCommandUi();
    void UpdateTitle();
    // Closes the window without asking about the drawing: the caller has asked.
    void CloseApproved();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The bars stay where they are: no menu to hide or move them.
    QMenu* createPopupMenu() override { return nullptr; }

  private:
    QAction* MakeAction(int id);
    void BuildMenus();
    void AddMenuItems(QMenu* menu, const std::vector<MenuItem>& items);
    QToolBar* BuildToolBar(const QString& name, const std::vector<int>& ids, Qt::ToolBarArea area);
    void BuildDialogBar();
    void BuildStatusBar();
    void UpdateRecentFiles();
    void BuildLayerBar();
    // The layer list and the status bar's pane show the table and the current layer.
    void UpdateLayers();
    void UpdateIndicators();
    // The message pane's idle text: "ﾚﾃﾞｨ", or why the grid is not drawn; while a render
    // runs, that it does (before why the grid is not drawn).
    void UpdateStatusLine();
    // A key press for the main window: its accelerator's command runs, and the key goes
    // no further. False when the key has no accelerator.
    bool TranslateAccelerator(const QKeyEvent& event);

    AppController& app_;
    QtPlatform& platform_;
    CViewWidget* view_ = nullptr;
    CStatusDialogBar* dialogBar_ = nullptr;
    QToolBar* standardBar_ = nullptr;
    QToolBar* drawingBar_ = nullptr;
    QToolBar* dialogBarHost_ = nullptr;
    QLabel* messagePane_ = nullptr;
    QLabel* coordinatePane_ = nullptr;
    QLabel* orthoPane_ = nullptr;
    QLabel* indicators_[4] = {};
    QToolBar* layerBar_ = nullptr;
    QComboBox* layerList_ = nullptr;
    QLabel* layerPane_ = nullptr;
    LayerChoices shownLayers_;
    std::vector<std::string> shownRawLayers_;
    std::map<int, QAction*> actions_;
    bool closeApproved_ = false;
};

}  // namespace marquetta
