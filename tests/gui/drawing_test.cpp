// Drawing with real key and mouse events: the line command from its key, two clicks on
// grid points and a right click to end the chain; the document then holds exactly that
// line at grid coordinates, the view shows it, and the saved file carries it.
#include <QTest>
#include <cmath>

#include "app/app_controller.h"
#include "edit/editing_state.h"
#include "gui/main_frame.h"
#include "gui/status_dialog_bar.h"
#include "gui/view_widget.h"
#include "gui_session.h"
#include "gui_tests.h"
#include "model/native_file.h"
#include "platform/command_ids.h"
#include "view/camera.h"

namespace marquetta {

class DrawingTest : public QObject {
    Q_OBJECT

  private slots:
    void lineBetweenTwoGridPointsWithKeysAndMouse() {
        TempFolder folder;
        GuiSession s;
        QVERIFY(s.started);
        CViewWidget* view = &s.View();
        s.Grab();

        QTest::keyClick(view, Qt::Key_L);
        QCOMPARE(s.App().Document().m_current.m_nType, static_cast<int32_t>(SHAPE_LINE));

        // One pixel off each grid point: snapping takes the grid point itself.
        const QPoint start = WidgetPoint(910, 0, 0) + QPoint(1, 0);
        const QPoint end = WidgetPoint(1820, 0, -910) + QPoint(0, -1);
        QTest::mouseMove(view, start);
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, start);
        QCOMPARE(rubberBand, 1);
        QTest::mouseMove(view, end);
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, end);
        // The chain goes on from the end point until the right button ends it.
        QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, end);
        QCOMPARE(s.App().Document().m_current.m_nType, static_cast<int32_t>(SHAPE_NONE));
        QCOMPARE(rubberBand, 0);

        CZorader_ezDoc& doc = s.App().Document();
        QCOMPARE(doc.m_shapes.size(), size_t{1});
        const CShape& line = *doc.m_shapes.front();
        QCOMPARE(line.m_nType, static_cast<int32_t>(SHAPE_LINE));
        QCOMPARE(line.m_strLayer, std::string("0"));
        QVERIFY(line.m_pt[0] == (Float3{910.0f, 0.0f, 0.0f}));
        QVERIFY(line.m_pt[1] == (Float3{1820.0f, 0.0f, -910.0f}));
        QVERIFY(doc.IsModified());

        // Its middle is white on the screen.
        QVERIFY(WhiteNear(s.Grab(), Project(1365, 0, -455)));

        const std::string path = folder.Path("line.trn");
        s.platform.fileNames.push_back(path);
        QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!doc.IsModified());
        CZorader_ezDoc saved;
        QVERIFY(LoadDrawingFile(saved, path).ok());
        QCOMPARE(saved.m_shapes.size(), size_t{1});
        QVERIFY(*saved.m_shapes.front() == line);
    }

    void escapeCancelsAndThePromptFollowsTheCommand() {
        GuiSession s;
        QVERIFY(s.started);
        CViewWidget* view = &s.View();
        s.Grab();
        QTest::keyClick(view, Qt::Key_C);
        QCOMPARE(s.Frame().StatusDialogBar()->Prompt(), QStringLiteral("【円】－中心点"));
        const QPoint centre = WidgetPoint(0, 0, 0);
        QTest::mouseMove(view, centre);
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, centre);
        QCOMPARE(stepPending, 1);
        QTest::keyClick(view, Qt::Key_Escape);
        QCOMPARE(stepPending, 0);
        QCOMPARE(s.App().Document().m_current.m_nType, static_cast<int32_t>(SHAPE_NONE));
        QVERIFY(s.App().Document().m_shapes.empty());
    }
};

std::unique_ptr<QObject> MakeDrawingTest() { return std::make_unique<DrawingTest>(); }

}  // namespace marquetta

#include "drawing_test.moc"
