// The value dialogs from the window, typed into with real keys: the grid dialog from
// Shift+G changing the pitch and the grid button's caption, the scale dialog from the
// scale button changing the scale and its caption; values out of range and Cancel
// changing nothing.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <cmath>

#include "edit/editing_state.h"
#include "gui/main_frame.h"
#include "gui/model_dialog.h"
#include "gui/status_dialog_bar.h"
#include "gui/view_widget.h"
#include "gui_session.h"
#include "gui_tests.h"
#include "platform/command_ids.h"
#include "view/camera.h"
#include "view/sheet.h"

namespace marquetta {

class DialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { QSettings().clear(); }

    void gridDialogFromShiftG() {
        GuiSession s;
        QVERIFY(s.started);
        s.platform.showDialogs = true;
        QPushButton* grid = s.Frame().StatusDialogBar()->Button(ID_GRID_TOGGLE);
        QCOMPARE(grid->text(), QStringLiteral("GRD:910"));
        g_gridOn = 0;

        Typing typing;
        TypeIntoNextDialog(this, typing, QStringLiteral("455"), Qt::Key_Return);
        QTest::keyClick(&s.View(), Qt::Key_G, Qt::ShiftModifier);
        QVERIFY(typing.seen);
        QCOMPARE(typing.title, QStringLiteral("グリッド"));
        QCOMPARE(typing.textAtFirst, QStringLiteral("910"));
        QCOMPARE(typing.presets, QStringList({QStringLiteral("455"), QStringLiteral("910"),
                                              QStringLiteral("1000")}));
        QCOMPARE(g_gridPitch, 455.0);
        QCOMPARE(g_gridOn, 1);
        QCOMPARE(grid->text(), QStringLiteral("GRD:455"));

        // Out of range, and Cancel: nothing changes.
        Typing tooSmall;
        TypeIntoNextDialog(this, tooSmall, QStringLiteral("9"), Qt::Key_Return);
        QTest::keyClick(&s.View(), Qt::Key_G, Qt::ShiftModifier);
        QVERIFY(tooSmall.seen);
        QCOMPARE(tooSmall.textAtFirst, QStringLiteral("455"));
        Typing cancelled;
        TypeIntoNextDialog(this, cancelled, QStringLiteral("1000"), Qt::Key_Escape);
        QTest::keyClick(&s.View(), Qt::Key_G, Qt::ShiftModifier);
        QVERIFY(cancelled.seen);
        QCOMPARE(g_gridPitch, 455.0);
        QCOMPARE(grid->text(), QStringLiteral("GRD:455"));

        // The C-style reading: the digits before the first other character.
        Typing withUnit;
        TypeIntoNextDialog(this, withUnit, QStringLiteral("9999mm"), Qt::Key_Return);
        QTest::keyClick(&s.View(), Qt::Key_G, Qt::ShiftModifier);
        QCOMPARE(g_gridPitch, 9999.0);
        QCOMPARE(grid->text(), QStringLiteral("GRD:9999"));
        QVERIFY(s.platform.messages.empty());
    }

    void scaleDialogFromTheScaleButton() {
        GuiSession s;
        QVERIFY(s.started);
        s.platform.showDialogs = true;
        QPushButton* scale = s.Frame().StatusDialogBar()->Button(ID_SCALE);
        QCOMPARE(scale->text(), QStringLiteral("SCL:1/100"));

        Typing typing;
        TypeIntoNextDialog(this, typing, QStringLiteral("999"), Qt::Key_Return);
        QTest::mouseClick(scale, Qt::LeftButton);
        QVERIFY(typing.seen);
        QCOMPARE(typing.title, QStringLiteral("縮尺"));
        QCOMPARE(typing.textAtFirst, QStringLiteral("100"));
        QCOMPARE(g_scaleDenominator, 999.0);
        QCOMPARE(scale->text(), QStringLiteral("SCL:1/999"));

        Typing tooLarge;
        TypeIntoNextDialog(this, tooLarge, QStringLiteral("1000"), Qt::Key_Return);
        QTest::mouseClick(scale, Qt::LeftButton);
        QVERIFY(tooLarge.seen);
        QCOMPARE(tooLarge.textAtFirst, QStringLiteral("999"));
        Typing zero;
        TypeIntoNextDialog(this, zero, QStringLiteral("0"), Qt::Key_Return);
        QTest::mouseClick(scale, Qt::LeftButton);
        QVERIFY(zero.seen);
        QCOMPARE(g_scaleDenominator, 999.0);
        QCOMPARE(scale->text(), QStringLiteral("SCL:1/999"));

        Typing one;
        TypeIntoNextDialog(this, one, QStringLiteral("1"), Qt::Key_Return);
        QTest::mouseClick(scale, Qt::LeftButton);
        QCOMPARE(g_scaleDenominator, 1.0);
        QCOMPARE(scale->text(), QStringLiteral("SCL:1/1"));
    }

    void textDialogKeepsItsSizeWhateverItsHistory() {
        GuiSession s;
        QVERIFY(s.started);
        s.platform.showDialogs = true;
        s.Grab();
        const QPointF origin = Project(0, 0, 0);
        const QPoint click(static_cast<int>(std::lround(origin.x())),
                           static_cast<int>(std::lround(g_viewHeight - origin.y())));
        QSize sizes[2];
        bool buttonsInside[2] = {false, false};
        int popupWidth = 0;
        for (int run = 0; run < 2; ++run) {
            if (run == 1) {
                // After one long text the last text and the history hold 250 characters.
                lastText = std::string(250, 'W');
                textHistory[0] = lastText;
            }
            QTimer::singleShot(0, this, [&, run] {
                auto* dialog = qobject_cast<CModelDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr) {
                    return;
                }
                sizes[run] = dialog->size();
                buttonsInside[run] = true;
                for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
                    const QRect r(button->mapTo(dialog, QPoint(0, 0)), button->size());
                    buttonsInside[run] = buttonsInside[run] && dialog->rect().contains(r);
                }
                QComboBox* combo = dialog->FieldCombo(0);
                combo->showPopup();
                popupWidth = combo->view()->window()->width();
                combo->hidePopup();
                dialog->reject();
            });
            QTest::keyClick(&s.View(), Qt::Key_T);
            QTest::mouseClick(&s.View(), Qt::LeftButton, Qt::NoModifier, click);
        }
        QVERIFY(!sizes[0].isEmpty());
        QCOMPARE(sizes[1], sizes[0]);
        QVERIFY(buttonsInside[0] && buttonsInside[1]);
        QVERIFY2(popupWidth > 0 && popupWidth <= sizes[1].width(),
                 qPrintable(QString::number(popupWidth)));
    }

    void standardButtonsReadInJapanese() {
        GuiSession s;
        QVERIFY(s.started);
        QString cancel;
        QTimer::singleShot(0, this, [&cancel] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                cancel = box->button(QMessageBox::Cancel)->text();
                box->reject();
            }
        });
        s.platform.QtPlatform::MessageBox("?", "Marquetta", MessageIcon::Question,
                                          MessageButtons::OkCancel);
        QCOMPARE(cancel, QStringLiteral("キャンセル"));

        s.platform.showDialogs = true;
        QStringList buttons;
        QTimer::singleShot(0, this, [&buttons] {
            if (auto* dialog = qobject_cast<CModelDialog*>(QApplication::activeModalWidget())) {
                for (QPushButton* button :
                     dialog->findChild<QDialogButtonBox*>()->findChildren<QPushButton*>()) {
                    buttons << button->text();
                }
                dialog->reject();
            }
        });
        QTest::keyClick(&s.View(), Qt::Key_G, Qt::ShiftModifier);
        buttons.sort();
        QCOMPARE(buttons, QStringList({QStringLiteral("OK"), QStringLiteral("ｷｬﾝｾﾙ")}));
    }
};

std::unique_ptr<QObject> MakeDialogsTest() {
    return std::make_unique<DialogsTest>();
}

}  // namespace marquetta

#include "dialogs_test.moc"
