// Drawing with real key and mouse events: the line command from its key, two clicks on
// grid points and a right click to end the chain; the document then holds exactly that
// line at grid coordinates, the view shows it, and the saved file carries it.
#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <QTest>
#include <cmath>
#include <vector>

#include "app/app_controller.h"
#include "edit/editing_state.h"
#include "edit/snap_settings.h"
#include "gui/main_frame.h"
#include "gui/status_dialog_bar.h"
#include "gui/view_widget.h"
#include "gui_session.h"
#include "gui_tests.h"
#include "model/layers.h"
#include "model/native_file.h"
#include "platform/command_ids.h"
#include "../test_shapes.h"
#include "view/camera.h"
#include "view/paint_frame.h"

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

    // While the line command waits for a point, the snap target under the cursor is
    // marked in red by its kind and named in the status bar: a triangle on a wall's
    // middle, a square on its end; nothing away from any target.
    void snapMarkerShowsTheKindUnderTheCursor() {
        GuiSession s;
        QVERIFY(s.started);
        CViewWidget* view = &s.View();
        s.Frame().statusBar()->show();
        testing::AddShape(s.App().Document(), SHAPE_LINE, "0", {{-3000, 0, 1000}, {3000, 0, 1000}});
        g_displayListValid = 0;
        s.Frame().Action(ID_SNAP_MIDPOINT)->trigger();
        QVERIFY(s.Frame().Action(ID_SNAP_MIDPOINT)->isChecked());
        QTest::keyClick(view, Qt::Key_L);
        const double r = kSnapMarkerHalfSize;
        struct Case {
            const char* name;
            Double3 target;
            const char* kindName;
            std::vector<QPointF> red, notRed;  // offsets from the target's pixel
        };
        const std::vector<Case> cases = {
            {"middle", {0, 0, 1000}, "中点", {{0, -r}, {-r * 0.5, 0}, {r * 0.5, 0}}, {{-r, r}, {r, r}}},
            {"end", {3000, 0, 1000}, "端点", {{-r, r}, {r, r}, {-r, -r}, {0, r}}, {{0, -2 * r}}},
        };
        for (const Case& c : cases) {
            const QPoint cursor = WidgetPoint(c.target.x, c.target.y, c.target.z) + QPoint(1, 1);
            QTest::mouseMove(view, cursor);
            const QImage image = s.Grab();
            const QPointF at = Project(c.target.x, c.target.y, c.target.z);
            for (const QPointF& offset : c.red) {
                QVERIFY2(ColourNear(image, at + offset, IsRed), c.name);
            }
            for (const QPointF& offset : c.notRed) {
                QVERIFY2(!IsRed(PixelAt(image, at + offset)), c.name);
            }
            QVERIFY2(s.Frame().CoordinatePane()->text().startsWith(QString::fromUtf8(c.kindName)), c.name);
        }
        // Away from every target: no marker, no name.
        const QPoint away = WidgetPoint(0, 0, -3000);
        QTest::mouseMove(view, away);
        const QImage image = s.Grab();
        const QPointF at = Project(0, 0, -3000);
        for (const QPointF& offset : {QPointF{-r, r}, QPointF{r, -r}, QPointF{0, -r}}) {
            QVERIFY(!IsRed(PixelAt(image, at + offset)));
        }
        QVERIFY(s.Frame().CoordinatePane()->text().startsWith(QStringLiteral("X=")));
        s.Frame().Action(ID_SNAP_MIDPOINT)->trigger();  // as the other tests expect it
    }

    // F8 switches ortho; the status bar shows "直交" while it is on.
    void f8SwitchesOrthoAndItsPane() {
        GuiSession s;
        QVERIFY(s.started);
        s.Frame().statusBar()->show();
        QCOMPARE(s.Frame().OrthoPane()->text(), QString());
        QTest::keyClick(&s.View(), Qt::Key_F8);
        QTest::qWait(50);
        QCOMPARE(g_orthoOn, 1);
        QVERIFY(s.Frame().Action(ID_ORTHO)->isChecked());
        QCOMPARE(s.Frame().OrthoPane()->text(), QStringLiteral("直交"));
        QTest::keyClick(&s.View(), Qt::Key_F8);
        QTest::qWait(50);
        QCOMPARE(g_orthoOn, 0);
        QCOMPARE(s.Frame().OrthoPane()->text(), QString());
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

    // A length dimension of a 3,600 mm wall, clicked on its ends and placed on a grid
    // point: the text "3600" shows as white strokes above the dimension line, centred,
    // where nothing was before.
    void dimensionOfALineShowsItsText() {
        GuiSession s;
        QVERIFY(s.started);
        CViewWidget* view = &s.View();
        CZorader_ezDoc& doc = s.App().Document();
        EnsureLayer("0");
        doc.m_current.m_strLayer = "0";
        doc.m_current.m_nType = SHAPE_LINE;
        doc.m_current.m_pt[0] = {0, 0, 0};
        doc.m_current.m_pt[1] = {3640, 0, 0};
        doc.AddCurrentShape();
        doc.m_current.m_nType = SHAPE_NONE;
        s.Frame().RunCommand(ID_ZOOM_FIT);
        s.Grab();
        // The text's box: 250 mm high at 1:100, its baseline a quarter of that above
        // the dimension line at z = -910, about 480 mm long about x = 1820.
        const auto whiteInTextBox = [&](const QImage& image) {
            int white = 0;
            for (double x = 1600; x <= 2040; x += 10) {
                for (double z = -990; z >= -1150; z -= 10) {
                    white += IsWhite(PixelAt(image, Project(x, 0, z))) ? 1 : 0;
                }
            }
            return white;
        };
        QCOMPARE(whiteInTextBox(s.Grab()), 0);

        s.Frame().RunCommand(ID_DIM_LINEAR);
        QCOMPARE(s.Frame().StatusDialogBar()->Prompt(), QStringLiteral("【長さ寸法】－1点目"));
        for (const QPoint p : {WidgetPoint(0, 0, 0), WidgetPoint(3640, 0, 0), WidgetPoint(1820, 0, -910)}) {
            QTest::mouseMove(view, p);
            QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, p);
        }
        QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, WidgetPoint(1820, 0, -910));
        QCOMPARE(editState, static_cast<int>(EDIT_IDLE));
        QVERIFY(doc.m_shapes.back()->m_strText == "3640");

        const QImage after = s.Grab();
        QVERIFY2(whiteInTextBox(after) > 20, qPrintable(QString::number(whiteInTextBox(after))));
        // The dimension line itself, between the ticks.
        QVERIFY(WhiteNear(after, Project(900, 0, -910)));
        // Centred: as much ink left of the middle as right of it, give or take a glyph.
        int left = 0, right = 0;
        for (double x = 1560; x <= 2080; x += 5) {
            for (double z = -980; z >= -1160; z -= 5) {
                if (IsWhite(PixelAt(after, Project(x, 0, z)))) {
                    (x < 1820 ? left : right) += 1;
                }
            }
        }
        QVERIFY2(left > 0 && right > 0 && std::abs(left - right) < (left + right) / 3,
                 qPrintable(QStringLiteral("%1 left, %2 right").arg(left).arg(right)));
    }
};

std::unique_ptr<QObject> MakeDrawingTest() { return std::make_unique<DrawingTest>(); }

}  // namespace marquetta

#include "drawing_test.moc"
