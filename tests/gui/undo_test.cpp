// Undo, redo, copy and paste with real keys and clicks: two lines drawn, Ctrl+Z takes
// the second off the screen and Ctrl+Y brings it back; a line selected and copied, a
// new drawing, Ctrl+V and a click put the copy where the click was.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include "app/app_controller.h"
#include "edit/editing_state.h"
#include "gui/main_frame.h"
#include "gui/view_widget.h"
#include "gui_session.h"
#include "gui_tests.h"
#include "model/layers.h"
#include "platform/command_ids.h"

namespace marquetta {

class UndoTest : public QObject {
    Q_OBJECT

  private slots:
    void ctrlZTakesTheSecondLineAwayAndCtrlYBringsItBack() {
        GuiSession s;
        QVERIFY(s.started);
        CViewWidget* view = &s.View();
        s.Grab();
        QTest::keyClick(view, Qt::Key_L);
        ClickAt(view, WidgetPoint(910, 0, 0));
        ClickAt(view, WidgetPoint(1820, 0, 0));
        ClickAt(view, WidgetPoint(1820, 0, -910));
        QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, WidgetPoint(1820, 0, -910));
        CZorader_ezDoc& doc = s.App().Document();
        QCOMPARE(doc.m_shapes.size(), size_t{2});
        const QPointF first = Project(1365, 0, 0);
        const QPointF second = Project(1820, 0, -455);
        QImage image = s.Grab();
        QVERIFY(WhiteNear(image, first));
        QVERIFY(WhiteNear(image, second));
        s.Frame().UpdateCommandUi();  // as the idle loop and an opening menu do
        QCOMPARE(s.Frame().Action(ID_EDIT_UNDO)->text(),
                 QStringLiteral("元に戻す(&U) 直線\tCtrl+Z"));

        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(doc.m_shapes.size(), size_t{1});
        image = s.Grab();
        QVERIFY(WhiteNear(image, first));
        QVERIFY(IsBackground(PixelAt(image, second)));
        QVERIFY(s.Frame().Action(ID_EDIT_REDO)->isEnabled());

        QTest::keyClick(view, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(doc.m_shapes.size(), size_t{2});
        QVERIFY(WhiteNear(s.Grab(), second));
        QVERIFY(!s.Frame().Action(ID_EDIT_REDO)->isEnabled());
    }

    void copyNewDrawingPasteAndAClickPlacesTheCopy() {
        GuiSession s;
        QVERIFY(s.started);
        CViewWidget* view = &s.View();
        CZorader_ezDoc& doc = s.App().Document();
        EnsureLayer("0");
        auto line = std::make_unique<CShape>();
        line->m_nType = SHAPE_LINE;
        line->m_strLayer = "0";
        line->m_pt[1] = {910, 0, 0};
        doc.AppendShape(std::move(line));
        g_displayListValid = 0;
        s.Grab();

        ClickAt(view, WidgetPoint(455, 0, 0));
        QCOMPARE(selectionExists, 1);
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        // Other programs get the shapes as the text of a DXF file.
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(
            QStringLiteral("999\r\nCreated by Marquetta\r\n")));
        s.platform.answers.push_back(MessageAnswer::No);
        QTest::keyClick(view, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(doc.m_shapes.empty());

        QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(doc.m_shapes.size(), size_t{1});
        // Snapped to the grid point under the click, the copy's start goes there.
        ClickAt(view, WidgetPoint(1820, 0, -910) + QPoint(1, 0));
        const CShape& copy = *doc.m_shapes.front();
        QVERIFY(copy.m_pt[0] == (Float3{1820, 0, -910}));
        QVERIFY(copy.m_pt[1] == (Float3{2730, 0, -910}));
        QCOMPARE(copy.m_bSelected, 0);
        const QImage image = s.Grab();
        QVERIFY(WhiteNear(image, Project(2275, 0, -910)));
        QVERIFY(IsBackground(PixelAt(image, Project(455, 0, 0))));
    }
};

std::unique_ptr<QObject> MakeUndoTest() { return std::make_unique<UndoTest>(); }

}  // namespace marquetta

#include "undo_test.moc"
