// Modifying with real key and mouse events: a selection window opened by one click and
// closed by another, its red rectangle on the screen while it is open; Shift+M with a
// base and a destination click moving a line; Delete erasing it; the offset command
// from the menu with a width typed into its dialog; Shift+R turning a line about a click;
// the previews of mirror, scale and rectangle; a fillet and the arc it draws.
#include <QAction>
#include <cmath>
#include <QTest>

#include "app/app_controller.h"
#include "edit/editing_state.h"
#include "gui/main_frame.h"
#include "gui/status_dialog_bar.h"
#include "gui/view_widget.h"
#include "gui_session.h"
#include "gui_tests.h"
#include "model/layers.h"
#include "platform/command_ids.h"
#include "view/camera.h"

namespace marquetta {
namespace {

CShape& AddLine(CZorader_ezDoc& doc, Float3 a, Float3 b) {
    EnsureLayer("0");
    auto line = std::make_unique<CShape>();
    line->m_nType = SHAPE_LINE;
    line->m_strLayer = "0";
    line->m_pt[0] = a;
    line->m_pt[1] = b;
    g_displayListValid = 0;
    return doc.AppendShape(std::move(line));
}

}  // namespace

class ModifyTest : public QObject {
    Q_OBJECT

  private slots:
    void selectionWindowShowsItsRectangleAndSelects() {
        GuiSession s;
        QVERIFY(s.started);
        CViewWidget* view = &s.View();
        CShape& line = AddLine(s.App().Document(), {0, 0, 0}, {1820, 0, -1820});
        s.Grab();

        const QPoint from = WidgetPoint(-1365, 0, 455);
        const QPoint to = WidgetPoint(3185, 0, -2730);
        ClickAt(view, from);
        QCOMPARE(stepPending, 1);
        QTest::mouseMove(view, to);
        const QImage open = s.Grab();
        // The middle of each edge is red (window coordinates count y from the bottom).
        const double h = g_viewHeight;
        const double x1 = from.x(), y1 = h - from.y(), x2 = to.x(), y2 = h - to.y();
        const QPointF edges[] = {
            {(x1 + x2) / 2, y1}, {(x1 + x2) / 2, y2}, {x1, (y1 + y2) / 2}, {x2, (y1 + y2) / 2}};
        for (const QPointF& edge : edges) {
            QVERIFY2(ColourNear(open, edge, IsRed),
                     qPrintable(QStringLiteral("%1,%2").arg(edge.x()).arg(edge.y())));
        }
        QVERIFY(!ColourNear(open, QPointF((x1 + x2) / 2 + 7, (y1 + y2) / 2 + 7), IsRed));

        ClickAt(view, to);
        QCOMPARE(stepPending, 0);
        QCOMPARE(line.m_bSelected, 1);
        QCOMPARE(selectionExists, 1);
        const QImage closed = s.Grab();
        QVERIFY(ColourNear(closed, Project(455, 0, -455), IsMagenta));
        QVERIFY(!ColourNear(closed, QPointF((x1 + x2) / 2, y1), IsRed));
    }

    // While a move waits for its destination the selected line is drawn in red where the
    // snapped cursor would put it; a window opened to the left is drawn dashed.
    void ghostFollowsTheSnappedCursorAndCrossingWindowIsDashed() {
        GuiSession s;
        QVERIFY(s.started);
        CViewWidget* view = &s.View();
        CShape& line = AddLine(s.App().Document(), {910, 0, 0}, {1820, 0, 0});
        s.Grab();
        ClickAt(view, WidgetPoint(1365, 0, 0));
        QTest::keyClick(view, Qt::Key_M, Qt::ShiftModifier);
        ClickAt(view, WidgetPoint(910, 0, 0) + QPoint(1, 1));  // snaps to the end
        QTest::mouseMove(view, WidgetPoint(910, 0, -1820) + QPoint(2, -1));  // near a grid point
        const QImage moving = s.Grab();
        QVERIFY(ColourNear(moving, Project(1365, 0, -1820), IsRed));
        QVERIFY(ColourNear(moving, Project(1729, 0, -1820), IsRed));
        QVERIFY(ColourNear(moving, Project(1365, 0, 0), IsMagenta));  // still in its place
        QVERIFY(line.m_pt[0] == (Float3{910, 0, 0}));
        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY(!ColourNear(s.Grab(), Project(1365, 0, -1820), IsRed));

        const QPoint from = WidgetPoint(3185, 0, 455);
        const QPoint to = WidgetPoint(-1365, 0, -2730);
        ClickAt(view, from);
        QTest::mouseMove(view, to);
        const QImage open = s.Grab();
        const double h = g_viewHeight;
        const double y1 = h - from.y();
        int red = 0, gaps = 0;
        for (int x = to.x() + 4; x < from.x() - 4; ++x) {
            bool any = false;
            for (int dy = -1; dy <= 1; ++dy) {
                any = any || IsRed(PixelAt(open, QPointF(x + 0.5, y1 + dy + 0.5)));
            }
            ++(any ? red : gaps);
        }
        QVERIFY2(red > 20 && gaps > 20, qPrintable(QStringLiteral("%1 red, %2 gaps").arg(red).arg(gaps)));
        ClickAt(view, to);
        QCOMPARE(line.m_bSelected, 1);
    }

    void shiftMMovesAndDeleteErases() {
        GuiSession s;
        QVERIFY(s.started);
        CViewWidget* view = &s.View();
        CZorader_ezDoc& doc = s.App().Document();
        CShape& line = AddLine(doc, {910, 0, 0}, {1820, 0, 0});
        s.Grab();

        ClickAt(view, WidgetPoint(1365, 0, 0));
        QCOMPARE(line.m_bSelected, 1);
        QTest::keyClick(view, Qt::Key_M, Qt::ShiftModifier);
        QCOMPARE(s.Frame().StatusDialogBar()->Prompt(), QStringLiteral("【移動】－基点"));
        ClickAt(view, WidgetPoint(910, 0, 0) + QPoint(1, 1));  // snaps to the end
        QCOMPARE(s.Frame().StatusDialogBar()->Prompt(), QStringLiteral("【移動】－目的点"));
        ClickAt(view, WidgetPoint(910, 0, -910) + QPoint(-1, 0));  // snaps to the grid
        QVERIFY(line.m_pt[0] == (Float3{910, 0, -910}));
        QVERIFY(line.m_pt[1] == (Float3{1820, 0, -910}));
        QCOMPARE(line.m_bSelected, 0);
        QCOMPARE(editState, static_cast<int>(EDIT_IDLE));
        const QImage moved = s.Grab();
        QVERIFY(WhiteNear(moved, Project(1365, 0, -910)));
        QVERIFY(IsBackground(PixelAt(moved, Project(1365, 0, 0))));

        ClickAt(view, WidgetPoint(1365, 0, -910));
        QTest::keyClick(view, Qt::Key_Delete);
        QVERIFY(doc.m_shapes.empty());
        QVERIFY(doc.IsModified());
        QVERIFY(IsBackground(PixelAt(s.Grab(), Project(1365, 0, -910))));
    }

    // Shift+R with 90 typed: the selection turned about the cursor follows it in red,
    // the click turns the line itself, and undo puts it back.
    void shiftRRotatesTheSelectionAboutTheClick() {
        GuiSession s;
        QVERIFY(s.started);
        s.platform.showDialogs = true;
        CViewWidget* view = &s.View();
        CZorader_ezDoc& doc = s.App().Document();
        CShape& line = AddLine(doc, {910, 0, 0}, {1820, 0, 0});
        s.Grab();
        ClickAt(view, WidgetPoint(1365, 0, 0));
        QCOMPARE(line.m_bSelected, 1);

        Typing typing;
        TypeIntoNextDialog(this, typing, QStringLiteral("90"), Qt::Key_Return);
        QTest::keyClick(view, Qt::Key_R, Qt::ShiftModifier);
        QVERIFY(typing.seen);
        QCOMPARE(typing.title, QStringLiteral("回転角"));
        QCOMPARE(s.Frame().StatusDialogBar()->Prompt(),
                 QStringLiteral("【回転】－中心点(右クリックで終了)"));
        QTest::mouseMove(view, WidgetPoint(910, 0, 0) + QPoint(1, 1));  // snaps to the end
        const QImage turning = s.Grab();
        QVERIFY(ColourNear(turning, Project(910, 0, -455), IsRed));
        QVERIFY(ColourNear(turning, Project(1365, 0, 0), IsMagenta));  // still in its place

        ClickAt(view, WidgetPoint(910, 0, 0) + QPoint(1, 1));
        QVERIFY(line.m_pt[0] == (Float3{910, 0, 0}));
        QVERIFY(line.m_pt[1] == (Float3{910, 0, -910}));
        QCOMPARE(editState, static_cast<int>(EDIT_IDLE));
        const QImage turned = s.Grab();
        QVERIFY(WhiteNear(turned, Project(910, 0, -455)));
        QVERIFY(!ColourNear(turned, Project(910, 0, -455), IsRed));
        QVERIFY(IsBackground(PixelAt(turned, Project(1365, 0, 0))));

        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(line.m_pt[1] == (Float3{1820, 0, 0}));
        QVERIFY(IsBackground(PixelAt(s.Grab(), Project(910, 0, -455))));
    }

    // While the last point is awaited, mirror, scale and rectangle draw their result in
    // the preview colour at the cursor; the selected line stays where it is.
    void previewsFollowTheCursor() {
        GuiSession s;
        QVERIFY(s.started);
        s.platform.showDialogs = true;
        CViewWidget* view = &s.View();
        CZorader_ezDoc& doc = s.App().Document();
        CShape& line = AddLine(doc, {910, 0, 0}, {1820, 0, 0});
        s.Grab();
        const struct {
            const char* name;
            int id;
            const char* value;   // typed into the command's dialog
            bool selects;        // the line is selected first
            QPoint cursor;       // after a click at the origin where the command takes two
            std::vector<QPointF> red;
            std::vector<QPointF> clear;
        } cases[] = {
            // The mirror line from the origin straight up the screen.
            {"mirror", ID_MIRROR, nullptr, true, WidgetPoint(0, 0, -910),
             {Project(-1365, 0, 0)}, {Project(-455, 0, 0)}},
            {"scale by a half about the cursor", ID_SCALE_SHAPES, "0.5", true, WidgetPoint(0, 0, 0),
             {Project(682, 0, 0)}, {Project(300, 0, 0)}},
            {"rectangle", ID_RECTANGLE, nullptr, false, WidgetPoint(910, 0, -910),
             {Project(455, 0, 0), Project(910, 0, -455), Project(455, 0, -910), Project(0, 0, -455)},
             {Project(455, 0, -455)}},
        };
        for (const auto& c : cases) {
            const QString name = QString::fromUtf8(c.name);
            QTest::keyClick(view, Qt::Key_Escape);
            if (c.selects) {
                ClickAt(view, WidgetPoint(1365, 0, 0));
                QCOMPARE(line.m_bSelected, 1);
            }
            Typing typing;
            if (c.value != nullptr) {
                TypeIntoNextDialog(this, typing, QString::fromUtf8(c.value), Qt::Key_Return);
            }
            s.Frame().Action(c.id)->trigger();
            QCOMPARE(typing.seen, c.value != nullptr);
            if (c.id != ID_SCALE_SHAPES) {
                ClickAt(view, WidgetPoint(0, 0, 0));
            }
            QTest::mouseMove(view, c.cursor);
            const QImage shown = s.Grab();
            for (const QPointF& at : c.red) {
                QVERIFY2(ColourNear(shown, at, IsRed), qPrintable(name));
            }
            for (const QPointF& at : c.clear) {
                QVERIFY2(IsBackground(PixelAt(shown, at)), qPrintable(name));
            }
            if (c.selects) {
                QVERIFY2(ColourNear(shown, Project(1365, 0, 0), IsMagenta), qPrintable(name));
            }
        }
        QCOMPARE(doc.m_shapes.size(), size_t{1});
    }

    void offsetFromTheMenuWithATypedWidth() {
        GuiSession s;
        QVERIFY(s.started);
        s.platform.showDialogs = true;
        CViewWidget* view = &s.View();
        CZorader_ezDoc& doc = s.App().Document();
        AddLine(doc, {0, 0, 0}, {1820, 0, 0});
        s.Grab();

        Typing typing;
        TypeIntoNextDialog(this, typing, QStringLiteral("910"), Qt::Key_Return);
        s.Frame().Action(ID_OFFSET)->trigger();
        QVERIFY(typing.seen);
        QCOMPARE(typing.title, QStringLiteral("複線の幅入力"));
        QVERIFY(typing.presets.isEmpty());
        QCOMPARE(s.Frame().StatusDialogBar()->Prompt(),
                 QStringLiteral("【複線】－基準線の選択(右クリックで終了)"));

        ClickAt(view, WidgetPoint(455, 0, 0));
        QCOMPARE(s.Frame().StatusDialogBar()->Prompt(),
                 QStringLiteral("【複線】－方向の指示(W=910)"));
        ClickAt(view, WidgetPoint(700, 0, -300));  // above the line on the screen
        QCOMPARE(doc.m_shapes.size(), size_t{2});
        const CShape& made = *doc.m_shapes.back();
        QVERIFY(made.m_pt[0] == (Float3{0, 0, -910}));
        QVERIFY(made.m_pt[1] == (Float3{1820, 0, -910}));
        QVERIFY(WhiteNear(s.Grab(), Project(455, 0, -910)));
        // A right click at the reference step ends the command.
        QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, WidgetPoint(455, 0, 455));
        QCOMPARE(editState, static_cast<int>(EDIT_IDLE));
        QCOMPARE(s.Frame().StatusDialogBar()->Prompt(), QString());
    }

    // Two walls meeting at (1820, 0) rounded with radius 910: the arc about (910, -910)
    // is drawn in white where the corner was cut away.
    void filletFromTheMenuDrawsItsArc() {
        GuiSession s;
        QVERIFY(s.started);
        s.platform.showDialogs = true;
        CViewWidget* view = &s.View();
        CZorader_ezDoc& doc = s.App().Document();
        AddLine(doc, {0, 0, 0}, {1820, 0, 0});
        AddLine(doc, {1820, 0, 0}, {1820, 0, -1820});
        const QImage before = s.Grab();
        QVERIFY(WhiteNear(before, Project(1820, 0, -200)));

        Typing typing;
        TypeIntoNextDialog(this, typing, QStringLiteral("910"), Qt::Key_Return);
        s.Frame().Action(ID_FILLET)->trigger();
        QVERIFY(typing.seen);
        QCOMPARE(typing.title, QStringLiteral("半径"));
        ClickAt(view, WidgetPoint(455, 0, 0));
        ClickAt(view, WidgetPoint(1820, 0, -1365));
        QCOMPARE(doc.m_shapes.size(), size_t{3});
        QCOMPARE(s.Frame().StatusDialogBar()->Prompt(),
                 QStringLiteral("【角丸め】－1本目の線の選択(右クリックで終了)"));

        const QImage rounded = s.Grab();
        const double r = 910.0, c = 0.7071067811865476;
        for (const double a : {0.2, 0.5, 0.8}) {  // along the quarter from 270 to 360
            const double t = (270.0 + 90.0 * a) * 3.14159265358979 / 180.0;
            const QPointF on = Project(910 + r * std::cos(t), 0, -910 - r * std::sin(t));
            QVERIFY2(WhiteNear(rounded, on), qPrintable(QStringLiteral("%1").arg(a)));
        }
        QVERIFY(IsBackground(PixelAt(rounded, Project(1820, 0, -200))));
        QVERIFY(IsBackground(PixelAt(rounded, Project(1700, 0, 0))));
        QVERIFY(IsBackground(PixelAt(rounded, Project(910 + 0.5 * r * c, 0, -910 + 0.5 * r * c))));
        QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, WidgetPoint(455, 0, 455));
        QCOMPARE(editState, static_cast<int>(EDIT_IDLE));
    }
};

std::unique_ptr<QObject> MakeModifyTest() {
    return std::make_unique<ModifyTest>();
}

}  // namespace marquetta

#include "modify_test.moc"
