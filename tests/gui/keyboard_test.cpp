// The keyboard in the window: a line ended by a typed relative point ("@" and the
// relative distance dialog), and a text file imported with the 9 key.
#include <QTest>
#include <algorithm>
#include <cmath>

#include "app/app_controller.h"
#include "gui/main_frame.h"
#include "gui/view_widget.h"
#include "gui_session.h"
#include "gui_tests.h"
#include "view/camera.h"

namespace marquetta {
namespace {

// White pixels inside the window rectangle spanned by two world points of the ground.
int WhitePixelsBetween(const QImage& image, double x1, double z1, double x2, double z2) {
    const QPointF a = Project(x1, 0, z1);
    const QPointF b = Project(x2, 0, z2);
    int count = 0;
    for (int x = static_cast<int>(std::min(a.x(), b.x())); x <= std::max(a.x(), b.x()); ++x) {
        for (int y = static_cast<int>(std::min(a.y(), b.y())); y <= std::max(a.y(), b.y()); ++y) {
            count += x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
                     IsWhite(PixelFromBottom(image, x, y));
        }
    }
    return count;
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

  private slots:
    void atSignEndsALineAtATypedPoint() {
        GuiSession s;
        QVERIFY(s.started);
        s.platform.showDialogs = true;
        CViewWidget* view = &s.View();
        s.Grab();

        QTest::keyClick(view, Qt::Key_L);
        const QPoint start = WidgetPoint(910, 0, 0);
        QTest::mouseMove(view, start);
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, start);

        Typing typing;
        TypeIntoNextDialog(this, typing, QStringLiteral("1000,500"), Qt::Key_Return);
        QTest::keyClick(view, '@');
        QVERIFY(typing.seen);
        QCOMPARE(typing.title, QStringLiteral("相対距離"));
        QVERIFY(typing.labels.contains(QStringLiteral("＠")));
        QVERIFY(typing.labels.contains(QStringLiteral("（例： Δｘ，Δｙ　または　長さ＜角度）")));

        CZorader_ezDoc& doc = s.App().Document();
        QCOMPARE(doc.m_shapes.size(), size_t{1});
        QVERIFY(doc.m_shapes.front()->m_pt[0] == (Float3{910, 0, 0}));
        QVERIFY(doc.m_shapes.front()->m_pt[1] == (Float3{1910, 0, -500}));
        QVERIFY(WhiteNear(s.Grab(), Project(1410, 0, -250)));
    }

    void nineImportsTheChosenTextFile() {
        TempFolder folder;
        const std::string path = folder.Path("lines.txt");
        QVERIFY(WriteFileBytes(path, "日本\n\n語\n"));
        GuiSession s;
        QVERIFY(s.started);
        CViewWidget* view = &s.View();
        // Closer, so that the 300 mm letters are large: 15 steps of 0.9.
        for (int i = 0; i < 15; ++i) {
            QTest::keyClick(view, Qt::Key_PageUp);
        }
        QVERIFY(std::abs(g_viewTranslate.z + 50000 * std::pow(0.9, 15)) < 0.1);
        const int before = WhitePixelsBetween(s.Grab(), -100, 100, 700, -400);

        s.platform.fileNames.push_back(path);
        QTest::keyClick(view, Qt::Key_9);
        QCOMPARE(s.platform.fileRequests.size(), size_t{1});
        CZorader_ezDoc& doc = s.App().Document();
        QCOMPARE(doc.m_shapes.size(), size_t{2});
        QCOMPARE(doc.m_shapes.front()->m_strText, std::string("\x93\xFA\x96\x7B"));
        QCOMPARE(doc.m_shapes.back()->m_strText, std::string("\x8C\xEA"));
        QVERIFY(doc.m_shapes.back()->m_pt[0] == (Float3{0, 0, 720}));
        QVERIFY(s.platform.messages.empty());

        // The first line's strokes show by the origin.
        QVERIFY(WhitePixelsBetween(s.Grab(), -100, 100, 700, -400) > before + 20);
    }
};

std::unique_ptr<QObject> MakeKeyboardTest() {
    return std::make_unique<KeyboardTest>();
}

}  // namespace marquetta

#include "keyboard_test.moc"
