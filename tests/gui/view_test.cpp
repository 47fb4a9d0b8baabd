// The drawing view through its keys and pixels: the letter accelerators toggle the
// status-bar captions and never reach the view, the background and the grid points
// land where the core's captured transforms put them, and the wireframe toggle swaps
// the outline of a face for its lit surface, with the display list compiled only after
// a change.
#include <QAction>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <memory>

#include "app/app_controller.h"
#include "gui/main_frame.h"
#include "gui/status_dialog_bar.h"
#include "gui/view_widget.h"
#include "gui_session.h"
#include "gui_tests.h"
#include "model/layers.h"
#include "platform/command_ids.h"
#include "view/camera.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

// Counts the key presses that reach an object, other than the modifier keys alone.
class KeyCounter : public QObject {
  public:
    int presses = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key != Qt::Key_Shift && key != Qt::Key_Control && key != Qt::Key_Alt) {
                ++presses;
            }
        }
        return false;
    }
};

// A face 6000 mm square, 1000 mm above the ground (between the camera and the grid),
// on a layer coloured (0.2, 0.6, 0.9), its corners counter-clockwise on the screen so
// its front faces the viewer.
void AddFace(CZorader_ezDoc& doc) {
    EnsureLayer("face");
    const int layer = FindLayer("face");
    g_layerAttributes[layer][LAYER_RED] = 0.2;
    g_layerAttributes[layer][LAYER_GREEN] = 0.6;
    g_layerAttributes[layer][LAYER_BLUE] = 0.9;
    auto face = std::make_unique<CShape>();
    face->m_nType = SHAPE_FACE;
    face->m_strLayer = "face";
    const float corners[4][2] = {{-3000, 3000}, {3000, 3000}, {3000, -3000}, {-3000, -3000}};
    for (int i = 0; i < 4; ++i) {
        face->m_pt[i] = Float3{corners[i][0], 1000.0f, corners[i][1]};
        face->m_normal[i] = Float3{0.0f, 1.0f, 0.0f};
    }
    doc.AppendShape(std::move(face));
    g_displayListValid = 0;
}

// Lets the event loop run until it has nothing to do and waits, as it does when the
// user pauses.
void LetTheProgramIdle() {
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

class ViewTest : public QObject {
    Q_OBJECT

  private slots:
    void snapAndGridKeysToggleTheCaptions() {
        GuiSession s;
        QVERIFY(s.started);
        CStatusDialogBar* bar = s.Frame().StatusDialogBar();
        CViewWidget* view = &s.View();

        QTest::keyClick(view, Qt::Key_S);
        QCOMPARE(g_snapOn, 0);
        QCOMPARE(bar->Button(ID_SNAP_TOGGLE)->text(), QStringLiteral("snp_off"));
        QTest::keyClick(view, Qt::Key_S);
        QCOMPARE(g_snapOn, 1);
        QCOMPARE(bar->Button(ID_SNAP_TOGGLE)->text(), QStringLiteral("SNP_ON"));

        QTest::keyClick(view, Qt::Key_G);
        QCOMPARE(g_gridOn, 0);
        QCOMPARE(bar->Button(ID_GRID_TOGGLE)->text(), QStringLiteral("grd_off"));
        QTest::keyClick(view, Qt::Key_G);
        QCOMPARE(bar->Button(ID_GRID_TOGGLE)->text(), QStringLiteral("GRD:910"));
    }

    void snapToggleDoesNotRepaintTheView() {
        GuiSession s;
        QVERIFY(s.started);
        int paints = 0;
        connect(&s.View(), &CViewWidget::Painted, this, [&paints] { ++paints; });
        LetTheProgramIdle();
        paints = 0;
        QTest::keyClick(&s.View(), Qt::Key_S);
        LetTheProgramIdle();
        QCOMPARE(paints, 0);
        QTest::keyClick(&s.View(), Qt::Key_G);
        LetTheProgramIdle();
        QVERIFY(paints > 0);
    }

    void captionsFollowTheStateWhenIdle() {
        GuiSession s;
        QVERIFY(s.started);
        QPushButton* snap = s.Frame().StatusDialogBar()->Button(ID_SNAP_TOGGLE);
        // Straight to the controller: only the idle update can tell the button.
        s.App().Execute(ID_SNAP_TOGGLE);
        QCOMPARE(snap->text(), QStringLiteral("SNP_ON"));
        LetTheProgramIdle();
        QCOMPARE(snap->text(), QStringLiteral("snp_off"));
        g_gridPitch = 455.9;
        LetTheProgramIdle();
        QCOMPARE(s.Frame().StatusDialogBar()->Button(ID_GRID_TOGGLE)->text(),
                 QStringLiteral("GRD:455"));
        s.App().Document().SetPathName("/tmp/plan.trn");
        LetTheProgramIdle();
        QCOMPARE(s.Frame().windowTitle(), QStringLiteral("plan.trn[*] - Marquetta"));
    }

    void acceleratorLettersNeverReachTheView() {
        GuiSession s;
        QVERIFY(s.started);
        KeyCounter counter;
        s.View().installEventFilter(&counter);
        for (Qt::Key key : {Qt::Key_S, Qt::Key_G, Qt::Key_S, Qt::Key_G, Qt::Key_L, Qt::Key_C,
                            Qt::Key_A, Qt::Key_T}) {
            QTest::keyClick(&s.View(), key);
            QTest::keyClick(&s.View(), Qt::Key_Escape);
            QVERIFY2(counter.presses == 0, qPrintable(QString::number(key, 16)));
        }
        QTest::keyClick(&s.View(), '@', Qt::ShiftModifier);
        QCOMPARE(counter.presses, 0);
        // Keys without an accelerator are the view's.
        QTest::keyClick(&s.View(), Qt::Key_Q);
        QTest::keyClick(&s.View(), Qt::Key_Home);
        QCOMPARE(counter.presses, 2);
        s.View().removeEventFilter(&counter);
    }

    void backgroundAndGridPointsWhereTheCoreProjectsThem() {
        GuiSession s;
        QVERIFY(s.started);
        const QImage image = s.Grab();
        const PaintFrame* frame = s.View().LastFrame();
        QVERIFY(frame != nullptr);
        QCOMPARE(image.width(), frame->viewport[2]);
        QCOMPARE(image.height(), frame->viewport[3]);
        // The grid covers the sheet at the scale, centred on the origin; only the part of
        // it in the window is drawn.
        const int nx = static_cast<int>(g_scaleDenominator * g_paperWidth * 0.5 / g_gridPitch);
        QVERIFY(!frame->gridPoints.empty());
        QCOMPARE(frame->gridPoints[0], static_cast<float>(-nx * g_gridPitch));

        int checked = 0;
        for (size_t i = 0; i + 2 < frame->gridPoints.size(); i += 3) {
            const QPointF p =
                Project(frame->gridPoints[i], frame->gridPoints[i + 1], frame->gridPoints[i + 2]);
            QVERIFY(p.x() > -1 && p.y() > -1 && p.x() < image.width() + 1 &&
                    p.y() < image.height() + 1);
            if (p.x() < 2 || p.y() < 2 || p.x() > image.width() - 2 || p.y() > image.height() - 2) {
                continue;
            }
            QVERIFY2(WhitePointAt(image, p.x(), p.y()),
                     qPrintable(QStringLiteral("grid point at %1, %2").arg(p.x()).arg(p.y())));
            ++checked;
        }
        QVERIFY(checked > 100);
        // Between the points and in the corners: the ground's colour.
        for (const QPointF p :
             {Project(455, 0, 455), Project(-455, 0, 1365), QPointF(0.5, 0.5),
              QPointF(image.width() - 0.5, 0.5), QPointF(0.5, image.height() - 0.5)}) {
            QVERIFY2(IsBackground(PixelAt(image, p)), qPrintable(PixelAt(image, p).name()));
        }
    }

    void gridTooFineShowsTheSheetsEdgesAndSaysSo() {
        GuiSession s;
        QVERIFY(s.started);
        CMainFrame& f = s.Frame();
        f.RunCommand(ID_VIEW_STATUS_BAR);
        QCOMPARE(f.MessagePane()->text(), QStringLiteral("ﾚﾃﾞｨ"));
        // Pitch 10 at 1:700, seen from far enough to show the whole sheet.
        g_gridPitch = 10;
        g_scaleDenominator = 700;
        g_viewTranslate.z = -500000;
        const QImage image = s.Grab();
        QVERIFY(s.View().LastFrame()->gridPoints.empty());
        QCOMPARE(f.MessagePane()->text(),
                 QStringLiteral("グリッドが細かすぎるため表示していません"));
        const double halfX = 700 * g_paperWidth / 2, halfZ = 700 * g_paperHeight / 2;
        // Inside the sheet, the ground; along its top edge, a dotted white line.
        QVERIFY(IsBackground(PixelAt(image, Project(0, 0, 0))));
        QVERIFY(IsBackground(PixelAt(image, Project(halfX / 2, 0, halfZ / 2))));
        const QPointF left = Project(-halfX, 0, -halfZ), right = Project(halfX, 0, -halfZ);
        int lit = 0, pixels = 0;
        for (int x = static_cast<int>(left.x()) + 3; x < static_cast<int>(right.x()) - 3; ++x) {
            ++pixels;
            lit += WhiteNear(image, QPointF(x + 0.5, left.y())) ? 1 : 0;
        }
        QVERIFY2(pixels > 50 && lit == pixels,
                 qPrintable(QStringLiteral("%1 of %2").arg(lit).arg(pixels)));
        // Close enough again, the points come back and the status line says ready.
        g_viewTranslate.z = -2000;
        s.Grab();
        QVERIFY(!s.View().LastFrame()->gridPoints.empty());
        QCOMPARE(f.MessagePane()->text(), QStringLiteral("ﾚﾃﾞｨ"));
    }

    void gridOffLeavesTheGround() {
        GuiSession s;
        QVERIFY(s.started);
        QTest::keyClick(&s.View(), Qt::Key_G);
        const QImage image = s.Grab();
        QVERIFY(s.View().LastFrame()->gridPoints.empty());
        QVERIFY(IsBackground(PixelAt(image, Project(0, 0, 0))));
        QVERIFY(IsBackground(PixelAt(image, Project(910, 0, 910))));
    }

    void wireframeToggleSwapsOutlineForSurface() {
        GuiSession s;
        QVERIFY(s.started);
        AddFace(s.App().Document());
        QAction* wireframe = s.Frame().Action(ID_WIREFRAME);
        QVERIFY(wireframe->isChecked());

        QImage image = s.Grab();
        const QPointF inside = Project(1500, 1000, 700);
        const QPointF edge = Project(0, 1000, 3000);
        QVERIFY(IsBackground(PixelAt(image, inside)));
        QVERIFY(WhiteNear(image, edge));

        wireframe->trigger();
        QVERIFY(!wireframe->isChecked());
        image = s.Grab();
        // Lit from the eye: 0.4 x 0.2 global and 0.5 x 0.2 light ambient, plus the
        // layer's colour as diffuse.
        const QColor lit = PixelAt(image, inside);
        QVERIFY2(
            std::abs(lit.red() - 97) <= 2 && std::abs(lit.green() - 199) <= 2 && lit.blue() >= 253,
            qPrintable(lit.name()));

        wireframe->trigger();
        QVERIFY(wireframe->isChecked());
        image = s.Grab();
        QVERIFY(IsBackground(PixelAt(image, inside)));
        QVERIFY(WhiteNear(image, edge));
    }

    void wireframeIsRedrawnOnlyAfterAChange() {
        GuiSession s;
        QVERIFY(s.started);
        AddFace(s.App().Document());
        s.Grab();
        const int changes = s.View().WireframeChanges();
        // Replayed as it was: no change, and the outline is still drawn.
        const QImage replayed = s.Grab();
        QCOMPARE(s.View().WireframeChanges(), changes);
        QVERIFY(WhiteNear(replayed, Project(0, 1000, 3000)));
        // A change makes the next paint draw it again.
        g_displayListValid = 0;
        s.Grab();
        QCOMPARE(s.View().WireframeChanges(), changes + 1);
    }
};

std::unique_ptr<QObject> MakeViewTest() {
    return std::make_unique<ViewTest>();
}

}  // namespace marquetta

#include "view_test.moc"
