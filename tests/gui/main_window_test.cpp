// The main window as it opens: the menu tree with its captions, the tool bars in their
// places, the status dialog bar and the hidden status bar, which commands are disabled,
// the bars' own commands, the title and closing with a modified drawing.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include "app/app_controller.h"
#include "gui/main_frame.h"
#include "gui/status_dialog_bar.h"
#include "gui/view_widget.h"
#include "gui_session.h"
#include "gui_tests.h"
#include "platform/command_ids.h"

namespace marquetta {
namespace {

// A menu as text: command ids, "-" for separators, "[caption: ...]" for popups.
QString Describe(const QMenu* menu) {
    QStringList parts;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            parts << QStringLiteral("-");
        } else if (action->menu() != nullptr) {
            parts << QStringLiteral("[%1: %2]").arg(action->text(), Describe(action->menu()));
        } else if (action->isVisible()) {
            parts << QString::number(action->data().toInt());
        }
    }
    return parts.join(QLatin1Char(' '));
}

QString DescribeBar(const QToolBar* bar) {
    QStringList parts;
    for (QAction* action : bar->actions()) {
        parts << (action->isSeparator() ? QStringLiteral("-")
                                        : QString::number(action->data().toInt()));
    }
    return parts.join(QLatin1Char(' '));
}

// Whether a picture has any opaque pixel that is not white: something was drawn.
bool HasDrawing(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() == 255 && c != Qt::white) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void menuTreeInOrder() {
        GuiSession s;
        QVERIFY(s.started);
        const QList<QAction*> menus = s.Frame().menuBar()->actions();
        QStringList titles;
        for (QAction* menu : menus) {
            titles << menu->text();
        }
        QCOMPARE(titles, QStringList({"ﾌｧｲﾙ(&F)", "編集(&E)", "表示(&V)", "作成(&D)", "修正(&M)",
                                      "レンダリング", "ﾍﾙﾌﾟ(&H)"}));
        QCOMPARE(Describe(menus[0]->menu()),
                 QStringLiteral("57600 57601 57603 57604 - [読み込み(&F)...: 32771] "
                                "[書き出し(&E): 32784 32788] - 32772 - 57607 57609 57606 - "
                                "57616 - 57665"));
        QCOMPARE(Describe(menus[1]->menu()), QStringLiteral("57643 57644 - 57635 57634 57637 - 57642"));
        QCOMPARE(Describe(menus[2]->menu()),
                 QStringLiteral("32778 32843 - [スナップ(&N): 32850 32851 32852 32853 32854 32855 - 32856] - "
                                "32840 32876 - 32777 32785 32786 - 59392 59393"));
        QCOMPARE(Describe(menus[3]->menu()),
                 QStringLiteral("32791 32867 32792 32793 32794 - "
                                "[寸法(&N): 32870 32871 32872 32873 32874 - 32875] - 32783"));
        QCOMPARE(Describe(menus[4]->menu()),
                 QStringLiteral("32800 32801 32802 32860 32861 32862 32863 - 32808 32809 32864 32865 32866 - 32842"));
        QCOMPARE(Describe(menus[5]->menu()), QStringLiteral("32789 - 32790"));
        QCOMPARE(Describe(menus[6]->menu()), QStringLiteral("32807 57664"));
    }

    void captionsKeepMnemonicsAndShortcutTexts() {
        GuiSession s;
        QVERIFY(s.started);
        CMainFrame& f = s.Frame();
        QCOMPARE(f.Action(ID_FILE_NEW)->text(), QStringLiteral("新規作成(&N)\tCtrl+N"));
        QCOMPARE(f.Action(ID_FILE_SAVE_AS)->text(), QStringLiteral("名前を付けて保存(&A)..."));
        QCOMPARE(f.Action(ID_ERASE)->text(), QStringLiteral("消去(&E)\tShift+E"));
        QCOMPARE(f.Action(ID_PARALLEL_PROJECTION)->text(), QStringLiteral("平行透視（&P）"));
        QCOMPARE(f.Action(ID_VIEW_STATUS_BAR)->text(), QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰ(&S)"));
        // The keys are the accelerator table's alone: no Qt shortcut may bypass it.
        for (QAction* action : f.findChildren<QAction*>()) {
            QVERIFY2(action->shortcut().isEmpty(), qPrintable(action->text()));
        }
        // No recent files yet: "最近使ったﾌｧｲﾙ" shows, disabled.
        QAction* recent = f.Action(ID_FILE_MRU_FIRST);
        QCOMPARE(recent->text(), QStringLiteral("最近使ったﾌｧｲﾙ"));
        QVERIFY(recent->isVisible());
        QVERIFY(!recent->isEnabled());
        QVERIFY(!f.Action(ID_FILE_MRU_FIRST + 1)->isVisible());
    }

    void toolBarsInTheirPlaces() {
        GuiSession s;
        QVERIFY(s.started);
        CMainFrame& f = s.Frame();
        QCOMPARE(f.toolBarArea(f.StandardBar()), Qt::TopToolBarArea);
        QCOMPARE(f.toolBarArea(f.DialogBarHost()), Qt::BottomToolBarArea);
        QCOMPARE(f.toolBarArea(f.DrawingBar()), Qt::LeftToolBarArea);
        QCOMPARE(f.toolBarArea(f.LayerBar()), Qt::TopToolBarArea);
        QCOMPARE(f.LayerBar()->windowTitle(), QStringLiteral("画層"));
        QCOMPARE(f.LayerList()->currentText(), QStringLiteral("0"));
        QCOMPARE(DescribeBar(f.StandardBar()),
                 QStringLiteral("57600 57601 57603 - 57635 57634 57637 - 57607 - 32773 32776 "
                                "32775 32840 - 57664"));
        QCOMPARE(DescribeBar(f.DrawingBar()),
                 QStringLiteral("32791 32867 32792 32793 32794 - 32870 32876 - 32800 32801 32802 32860 "
                                "32861 32862 32863 - 32808 32809 32864 32865 32866"));
        for (QToolBar* bar : {f.StandardBar(), f.DrawingBar(), f.DialogBarHost(), f.LayerBar()}) {
            QVERIFY(!bar->isMovable());
            QVERIFY(!bar->isFloatable());
            QVERIFY(bar->isVisible());
        }
        for (QToolBar* bar : {f.StandardBar(), f.DrawingBar()}) {
            for (QAction* action : bar->actions()) {
                if (action->isSeparator()) {
                    continue;
                }
                const QImage icon = action->icon().pixmap(QSize(16, 15)).toImage();
                QCOMPARE(icon.size(), QSize(16, 15));
                QVERIFY2(HasDrawing(icon), qPrintable(QString::number(action->data().toInt())));
            }
        }
        QCOMPARE(f.Action(ID_LINE)->toolTip(), QStringLiteral("直線"));
        QCOMPARE(f.Action(ID_VIEW_ZOOM)->toolTip(), QStringLiteral("ズーム"));
        QCOMPARE(f.Action(ID_INSERT_FILE)->toolTip(), QStringLiteral("挿入"));
    }

    void statusDialogBarShowsPromptAndCaptions() {
        GuiSession s;
        QVERIFY(s.started);
        CStatusDialogBar* bar = s.Frame().StatusDialogBar();
        QCOMPARE(bar->Prompt(), QStringLiteral("レディ"));
        QCOMPARE(bar->Button(ID_SNAP_TOGGLE)->text(), QStringLiteral("SNP_ON"));
        QCOMPARE(bar->Button(ID_GRID_TOGGLE)->text(), QStringLiteral("GRD:910"));
        QCOMPARE(bar->Button(ID_RELATIVE_ENTRY)->text(), QStringLiteral("相対距離"));
        QCOMPARE(bar->Button(ID_SCALE)->text(), QStringLiteral("SCL:1/100"));
        // Relative entry needs a base point, which nothing has given yet.
        QVERIFY(!bar->Button(ID_RELATIVE_ENTRY)->isEnabled());
        // The prompt line is the platform's.
        s.platform.SetPrompt("【直線】－始点");
        QCOMPARE(bar->Prompt(), QStringLiteral("【直線】－始点"));
        // Left to right: prompt, then the buttons in order.
        int lastX = bar->findChild<QLabel*>(QStringLiteral("1021"))->geometry().right();
        for (int id : {ID_SNAP_TOGGLE, ID_GRID_TOGGLE, ID_RELATIVE_ENTRY, ID_SCALE}) {
            const QRect r = bar->Button(id)->geometry();
            QVERIFY(r.left() > lastX);
            lastX = r.right();
        }
    }

    void statusDialogBarStaysReadableInANarrowWindow() {
        GuiSession s;
        QVERIFY(s.started);
        CMainFrame& f = s.Frame();
        const QString longest = QStringLiteral("【伸縮】－対象線の指示(右クリックで終了)");
        s.platform.SetPrompt(longest.toStdString());
        f.resize(500, 400);
        QTest::qWait(50);
        CStatusDialogBar* bar = f.StatusDialogBar();
        const QLabel* prompt = bar->findChild<QLabel*>(QStringLiteral("1021"));
        QVERIFY(prompt->contentsRect().width() >= prompt->fontMetrics().horizontalAdvance(longest));
        int lastX = prompt->geometry().right();
        for (int id : {ID_SNAP_TOGGLE, ID_GRID_TOGGLE, ID_RELATIVE_ENTRY, ID_SCALE}) {
            QPushButton* button = bar->Button(id);
            const QRect r = button->geometry();
            QVERIFY2(r.left() > lastX, qPrintable(button->text()));
            QVERIFY(r.width() >=
                    button->fontMetrics().horizontalAdvance(QStringLiteral("SCL:1/999")));
            QVERIFY(button->mapTo(&f, QPoint(r.width(), 0)).x() <= f.width());
            lastX = r.right();
        }
    }

    void clickingAStatusButtonRunsItsCommand() {
        GuiSession s;
        QVERIFY(s.started);
        QPushButton* snap = s.Frame().StatusDialogBar()->Button(ID_SNAP_TOGGLE);
        QTest::mouseClick(snap, Qt::LeftButton);
        QCOMPARE(snap->text(), QStringLiteral("snp_off"));
        QTest::mouseClick(snap, Qt::LeftButton);
        QCOMPARE(snap->text(), QStringLiteral("SNP_ON"));
    }

    void itemsWithoutHandlersAreDisabled() {
        GuiSession s;
        QVERIFY(s.started);
        CMainFrame& f = s.Frame();
        for (int id : {ID_POV_EXPORT, ID_SPHERE, ID_EDIT_UNDO, ID_EDIT_COPY, ID_EDIT_PASTE,
                       ID_VIEW_ROTATE, ID_PARALLEL_PROJECTION, ID_WALK_THROUGH}) {
            QVERIFY2(!f.Action(id)->isEnabled(), qPrintable(QString::number(id)));
        }
        QVERIFY(!f.Action(ID_PARALLEL_PROJECTION)->isChecked());
        QVERIFY(!f.Action(ID_WALK_THROUGH)->isChecked());
        for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_APP_EXIT,
                       ID_APP_ABOUT, ID_WIREFRAME, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_EDIT_CUT,
                       ID_ERASE, ID_MOVE, ID_COPY, ID_ROTATE, ID_MIRROR, ID_MIRROR_COPY,
                       ID_SCALE_SHAPES, ID_OFFSET, ID_STRETCH, ID_FILLET, ID_CHAMFER, ID_TRIM,
                       ID_RECTANGLE}) {
            QVERIFY2(f.Action(id)->isEnabled(), qPrintable(QString::number(id)));
        }
        QVERIFY(f.Action(ID_WIREFRAME)->isChecked());
        // A disabled command's key runs nothing: Ctrl+Z reaches neither undo nor the view.
        QTest::keyClick(f.View(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(s.platform.messages.empty());
    }

    void barCommandsShowAndHideTheBars() {
        GuiSession s;
        QVERIFY(s.started);
        CMainFrame& f = s.Frame();
        QStatusBar* status = f.statusBar();
        // Made with the window but hidden until asked for.
        QVERIFY(status->isHidden());
        QVERIFY(!f.Action(ID_VIEW_STATUS_BAR)->isChecked());
        f.Action(ID_VIEW_STATUS_BAR)->trigger();
        QVERIFY(status->isVisible());
        QVERIFY(f.Action(ID_VIEW_STATUS_BAR)->isChecked());
        QCOMPARE(f.MessagePane()->text(), QStringLiteral("ﾚﾃﾞｨ"));
        QVERIFY(f.Indicator(INDICATOR_KANA)->isVisible());
        QVERIFY(f.Indicator(INDICATOR_SCROLL)->geometry().left() >
                f.Indicator(INDICATOR_CAPS)->geometry().left());
        // Hovering an item puts its status text in the message pane.
        f.Action(ID_FILE_NEW)->showStatusText(&f);
        QCOMPARE(status->currentMessage(), QStringLiteral("新規に文書を作成します"));
        f.Action(ID_VIEW_STATUS_BAR)->trigger();
        QVERIFY(status->isHidden());

        QVERIFY(f.Action(ID_VIEW_TOOLBAR)->isChecked());
        f.Action(ID_VIEW_TOOLBAR)->trigger();
        QVERIFY(f.StandardBar()->isHidden());
        QVERIFY(f.DrawingBar()->isHidden());
        QVERIFY(!f.DialogBarHost()->isHidden());
        QVERIFY(!f.Action(ID_VIEW_TOOLBAR)->isChecked());
        f.Action(ID_VIEW_TOOLBAR)->trigger();
        QVERIFY(f.StandardBar()->isVisible());
        QVERIFY(f.DrawingBar()->isVisible());
    }

    void capsLockShowsInItsPaneAfterAKey() {
        GuiSession s;
        QVERIFY(s.started);
        CMainFrame& f = s.Frame();
        f.Action(ID_VIEW_STATUS_BAR)->trigger();
        QCOMPARE(f.Indicator(INDICATOR_CAPS)->text(), QString());
        QVERIFY(SetCapsLock(true));
        // Going idle reads nothing from the display server; a key does.
        f.UpdateCommandUi();
        const QString capsWhileIdle = f.Indicator(INDICATOR_CAPS)->text();
        QTest::keyClick(&s.View(), Qt::Key_CapsLock);
        const QString capsAfterKey = f.Indicator(INDICATOR_CAPS)->text();
        QVERIFY(SetCapsLock(false));
        QCOMPARE(capsWhileIdle, QString());
        QCOMPARE(capsAfterKey, QStringLiteral("CAP"));
        QCOMPARE(f.Indicator(INDICATOR_NUM)->text(), QString());
        // So does the focus moving (the lock may have changed in another window).
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        s.View().setFocus();
        s.View().clearFocus();
        QCOMPARE(f.Indicator(INDICATOR_CAPS)->text(), QString());
    }

    void menuBarKeepsTheKeysAfterAlt() {
        GuiSession s;
        QVERIFY(s.started);
        CMainFrame& f = s.Frame();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        const int& drawing = s.App().Document().m_current.m_nType;
        // Alt hands the keyboard to the menu bar: L is no accelerator there, D opens
        // "作成(&D)", and in it L is the mnemonic of "直線(&L)".
        QTest::keyClick(&s.View(), Qt::Key_Alt, Qt::AltModifier);
        QVERIFY(f.menuBar()->hasFocus());
        QTest::keyClick(f.menuBar(), Qt::Key_L);
        QCOMPARE(drawing, int(SHAPE_NONE));
        QTest::keyClick(f.menuBar(), Qt::Key_D);
        QCOMPARE(QApplication::activePopupWidget(), f.menuBar()->actions()[3]->menu());
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_L);
        QCOMPARE(drawing, int(SHAPE_LINE));
        // "DXFファイル(D)..." answers to its D: Alt, ﾌｧｲﾙ, 読み込み, DXF.
        QVERIFY(s.View().hasFocus());
        QTest::keyClick(&s.View(), Qt::Key_Alt, Qt::AltModifier);
        for (Qt::Key key : {Qt::Key_F, Qt::Key_F, Qt::Key_D}) {
            QWidget* popup = QApplication::activePopupWidget();
            QTest::keyClick(popup != nullptr ? popup : QApplication::focusWidget(), key);
        }
        QCOMPARE(s.platform.fileRequests.size(), size_t{1});
        QCOMPARE(s.platform.fileRequests[0].save, false);
    }

    void titleNamesTheDrawing() {
        GuiSession s;
        QVERIFY(s.started);
        QCOMPARE(s.Frame().windowTitle(), QStringLiteral("無題[*] - Marquetta"));
    }

    void aboutBoxComesFromTheApplication() {
        GuiSession s;
        QVERIFY(s.started);
        s.Frame().Action(ID_APP_ABOUT)->trigger();
        QCOMPARE(s.platform.messages.size(), size_t{1});
        QCOMPARE(QString::fromStdString(s.platform.messages[0].caption),
                 QStringLiteral("Marquetta のﾊﾞｰｼﾞｮﾝ情報"));
    }

    void closingAModifiedDrawingAsksFirst() {
        GuiSession s;
        QVERIFY(s.started);
        s.App().Document().SetModifiedFlag(true);
        s.platform.answers.push_back(MessageAnswer::Cancel);
        QVERIFY(!s.Frame().close());
        QVERIFY(s.Frame().isVisible());
        QCOMPARE(s.platform.messages.size(), size_t{1});
        QCOMPARE(s.platform.messages[0].buttons, MessageButtons::YesNoCancel);
        s.platform.answers.push_back(MessageAnswer::No);
        QVERIFY(s.Frame().close());
        QVERIFY(!s.Frame().isVisible());
        QCOMPARE(s.platform.messages.size(), size_t{2});
    }

    void exitAsksOnceAndCloses() {
        GuiSession s;
        QVERIFY(s.started);
        s.App().Document().SetModifiedFlag(true);
        s.platform.answers.push_back(MessageAnswer::No);
        s.Frame().Action(ID_APP_EXIT)->trigger();
        QVERIFY(!s.Frame().isVisible());
        QCOMPARE(s.platform.messages.size(), size_t{1});
    }
};

std::unique_ptr<QObject> MakeMainWindowTest() {
    return std::make_unique<MainWindowTest>();
}

}  // namespace marquetta

#include "main_window_test.moc"
