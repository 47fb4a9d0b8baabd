// The editing state tells the truth, with real keys, clicks and menus: a stretch undone
// and redone leaves no wall selected for Delete to erase; Esc takes a paste back while
// it is being placed, and New and Open end the placing; a selection on a hidden layer
// does not stop L from drawing.
#include <QAction>
#include <QTest>

#include "app/app_controller.h"
#include "edit/editing_state.h"
#include "edit/offset_stretch.h"
#include "gui/main_frame.h"
#include "gui/status_dialog_bar.h"
#include "gui/view_widget.h"
#include "gui_session.h"
#include "gui_tests.h"
#include "model/layers.h"
#include "model/native_file.h"
#include "platform/command_ids.h"

namespace marquetta {
namespace {

CShape& AddLine(CZorader_ezDoc& doc, Float3 a, Float3 b, const std::string& layer = "0") {
    EnsureLayer(layer);
    auto line = std::make_unique<CShape>();
    line->m_nType = SHAPE_LINE;
    line->m_strLayer = layer;
    line->m_pt[0] = a;
    line->m_pt[1] = b;
    g_displayListValid = 0;
    return doc.AppendShape(std::move(line));
}

QString Prompt(GuiSession& s) {
    return s.Frame().StatusDialogBar()->Prompt();
}

}  // namespace

class EditingStateTest : public QObject {
    Q_OBJECT

  private slots:
    // Draw a line short of a wall, 伸縮, click the wall, then the line, right click;
    // Ctrl+Z; Ctrl+Y: the wall is white, not selected, and Delete erases nothing.
    void redoOfAStretchLeavesTheWallUnselected() {
        GuiSession s;
        QVERIFY(s.started);
        CViewWidget* view = &s.View();
        CZorader_ezDoc& doc = s.App().Document();
        CShape& wall = AddLine(doc, {2730, 0, -1820}, {2730, 0, 1820});
        s.Grab();
        QTest::keyClick(view, Qt::Key_L);
        ClickAt(view, WidgetPoint(0, 0, 0));
        ClickAt(view, WidgetPoint(1820, 0, 0));
        QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, WidgetPoint(1820, 0, 0));
        QCOMPARE(doc.m_shapes.size(), size_t{2});
        const CShape& line = *doc.m_shapes.back();

        s.Frame().Action(ID_STRETCH)->trigger();
        ClickAt(view, WidgetPoint(2730, 0, -455));
        QCOMPARE(wall.m_bSelected, 1);  // the boundary, shown picked while stretch runs
        ClickAt(view, WidgetPoint(1365, 0, 0));  // in the half whose end reaches out
        QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, WidgetPoint(1365, 0, 0));
        QVERIFY(line.m_pt[1] == (Float3{2730, 0, 0}));
        QCOMPARE(wall.m_bSelected, 0);

        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(line.m_pt[1] == (Float3{1820, 0, 0}));
        QCOMPARE(wall.m_bSelected, 0);
        QTest::keyClick(view, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(line.m_pt[1] == (Float3{2730, 0, 0}));
        QCOMPARE(wall.m_bSelected, 0);
        QCOMPARE(selectionExists, 0);
        const QImage redone = s.Grab();
        QVERIFY(WhiteNear(redone, Project(2730, 0, 910)));
        QVERIFY(!ColourNear(redone, Project(2730, 0, 910), IsMagenta));

        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(doc.m_shapes.size(), size_t{2});
        QTest::keyClick(view, Qt::Key_L);
        QCOMPARE(Prompt(s), QStringLiteral("【直線】－始点"));
    }

    // Ctrl+V then Esc: the pasted line goes again, from the drawing and the screen, and
    // no redo brings it back. Ctrl+V then New or Open: the next click moves nothing.
    void escTakesAPasteBackAndNewOrOpenEndItsPlacing() {
        TempFolder folder;
        const std::string path = folder.Path("selected.trn");
        GuiSession s;
        QVERIFY(s.started);
        CViewWidget* view = &s.View();
        CZorader_ezDoc& doc = s.App().Document();
        // A drawing whose line is selected in its file.
        AddLine(doc, {0, 0, 1820}, {910, 0, 1820}).m_bSelected = 1;
        QVERIFY(SaveDrawingFile(doc, path).ok());
        QTest::keyClick(view, Qt::Key_Escape);
        s.Grab();
        ClickAt(view, WidgetPoint(455, 0, 1820));
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_Escape);

        // The pasted copy lies on its source until a click places it; the red band runs
        // from its first point to the cursor.
        QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(doc.m_shapes.size(), size_t{2});
        QTest::mouseMove(view, WidgetPoint(1820, 0, -910));
        const QPointF band = (Project(0, 0, 1820) + Project(1820, 0, -910)) / 2;
        QVERIFY(ColourNear(s.Grab(), band, IsRed));
        QTest::keyClick(view, Qt::Key_Escape);
        QCOMPARE(doc.m_shapes.size(), size_t{1});
        QCOMPARE(pastePlacing, 0);
        const QImage back = s.Grab();
        QVERIFY(!ColourNear(back, band, IsRed));
        QVERIFY(WhiteNear(back, Project(455, 0, 1820)));
        s.Frame().UpdateCommandUi();
        QVERIFY(!s.Frame().Action(ID_EDIT_REDO)->isEnabled());

        const struct {
            const char* name;
            Qt::Key key;
        } ends[] = {{"New", Qt::Key_N}, {"Open", Qt::Key_O}};
        for (const auto& end : ends) {
            QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(pastePlacing, 1);
            s.platform.answers.push_back(MessageAnswer::No);
            s.platform.fileNames.push_back(path);
            QTest::keyClick(view, end.key, Qt::ControlModifier);
            QCOMPARE(pastePlacing, 0);
            // A click would have moved the opened file's selected line.
            ClickAt(view, WidgetPoint(2730, 0, 2730));
            QVERIFY2(doc.m_shapes.empty() || doc.m_shapes.front()->m_pt[0] == (Float3{0, 0, 1820}),
                     end.name);
            QVERIFY2(!doc.History().CanUndo(), end.name);
            s.platform.fileNames.clear();
        }
    }

    // A line selected and then hidden with its layer: nobody sees the selection, yet L
    // starts at once and draws, and offset says why it does not start.
    void aHiddenSelectionDoesNotStopTheDrawCommands() {
        GuiSession s;
        QVERIFY(s.started);
        CViewWidget* view = &s.View();
        CZorader_ezDoc& doc = s.App().Document();
        CShape& hidden = AddLine(doc, {0, 0, 910}, {910, 0, 910}, "hidden");
        s.Grab();
        ClickAt(view, WidgetPoint(455, 0, 910));
        QCOMPARE(hidden.m_bSelected, 1);
        SetLayerVisible(FindLayer("hidden"), false);

        s.Frame().Action(ID_OFFSET)->trigger();
        QCOMPARE(Prompt(s), QString::fromUtf8(kPromptOffsetSelection));
        QCOMPARE(editState, static_cast<int>(EDIT_IDLE));

        QTest::keyClick(view, Qt::Key_L);
        QCOMPARE(Prompt(s), QStringLiteral("【直線】－始点"));
        QCOMPARE(hidden.m_bSelected, 0);
        ClickAt(view, WidgetPoint(0, 0, -910));
        ClickAt(view, WidgetPoint(1820, 0, -910));
        QCOMPARE(doc.m_shapes.size(), size_t{2});
        QVERIFY(WhiteNear(s.Grab(), Project(910, 0, -910)));
    }
};

std::unique_ptr<QObject> MakeEditingStateTest() {
    return std::make_unique<EditingStateTest>();
}

}  // namespace marquetta

#include "editing_state_test.moc"
