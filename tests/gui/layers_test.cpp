// The layer dialog from the menu, clicked with the mouse: a click hides a layer, whose
// box empties and whose line leaves the view's pixels, and the saved file keeps the
// flag; a double click leaves the visibility and opens the colour and material dialog,
// whose colour button fills the swatch and whose OK stores the colour. A layer made
// and made current in the dialog takes the lines drawn next, in its colour.
#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <cstdlib>

#include "app/app_controller.h"
#include "gui/list_dialog.h"
#include "gui/main_frame.h"
#include "gui/model_dialog.h"
#include "gui/view_widget.h"
#include "gui_session.h"
#include "gui_tests.h"
#include "model/cp932.h"
#include "model/native_file.h"
#include "platform/command_ids.h"
#include "../test_shapes.h"
#include "ui/color_material_dialog.h"
#include "view/sheet.h"
#include "view/wireframe_layout.h"

namespace marquetta {
namespace {

// Whether `icon` appears in `image` somewhere, pixel for pixel over its opaque pixels.
bool Shows(const QImage& image, const QString& iconPath) {
    const QImage icon = QImage(iconPath).convertToFormat(QImage::Format_ARGB32);
    const QImage picture = image.convertToFormat(QImage::Format_ARGB32);
    for (int top = 0; top + icon.height() <= picture.height(); ++top) {
        for (int left = 0; left + icon.width() <= picture.width(); ++left) {
            bool same = true;
            for (int y = 0; same && y < icon.height(); ++y) {
                for (int x = 0; same && x < icon.width(); ++x) {
                    const QRgb p = icon.pixel(x, y);
                    same = qAlpha(p) == 0 || (picture.pixel(left + x, top + y) | 0xFF000000u) == p;
                }
            }
            if (same) {
                return true;
            }
        }
    }
    return false;
}

const QString kEmptyBox = QStringLiteral(":/icons/check_empty.xpm");
const QString kCheckedBox = QStringLiteral(":/icons/check_marked.xpm");

// Row `row` of the list as the user sees it.
QImage RowPicture(QListWidget* list, int row) {
    return list->viewport()->grab(list->visualItemRect(list->item(row))).toImage();
}

// A mouse click or double click as the window system delivers it, on a point of the
// list.
void ClickList(QListWidget* list, QPoint at, bool twice = false) {
    QWidget* window = list->window();
    const QPoint inWindow = list->viewport()->mapTo(window, at);
    if (twice) {
        QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, inWindow);
    } else {
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, inWindow);
    }
}

QPoint RowCentre(QListWidget* list, int row) {
    return list->visualItemRect(list->item(row)).center();
}

}  // namespace

class LayersTest : public QObject {
    Q_OBJECT

  private slots:
    void clicksHideLayersAndDoubleClicksEditTheirColour() {
        TempFolder folder;
        const std::string path = folder.Path("layers.trn");
        GuiSession s;
        QVERIFY(s.started);
        g_gridOn = 0;
        CZorader_ezDoc& doc = s.App().Document();
        testing::AddShape(doc, SHAPE_LINE, "0", {{-3000, 0, 0}, {3000, 0, 0}});
        testing::AddShape(doc, SHAPE_LINE, "walls", {{-3000, 0, 3000}, {3000, 0, 3000}});
        g_displayListValid = 0;
        const QImage before = s.Grab();
        QVERIFY(WhiteNear(before, Project(1000, 0, 0)));
        QVERIFY(WhiteNear(before, Project(1000, 0, 3000)));

        s.platform.showDialogs = true;
        s.platform.colors.push_back(RgbColor{255, 0, 0});
        QStringList rows;
        bool boxesShown = false;
        QString colorTitle;
        QColor swatchCenter;
        QString steppedTransparency;
        QString cancelCaption;
        bool boxRightUnderColour = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<CListDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                QApplication::activeModalWidget()->close();
                return;
            }
            QListWidget* list = dialog->List();
            for (auto* button : dialog->findChildren<QAbstractButton*>()) {
                if (button->text() != QStringLiteral("OK") &&
                    qobject_cast<QDialogButtonBox*>(button->parent()) != nullptr) {
                    cancelCaption = button->text();
                }
            }
            for (int i = 0; i < list->count(); ++i) {
                rows << list->item(i)->text();
            }
            const bool checkedAtFirst = Shows(RowPicture(list, 1), kCheckedBox);
            ClickList(list, RowCentre(list, 1));
            boxesShown = checkedAtFirst && Shows(RowPicture(list, 1), kEmptyBox) &&
                         Shows(RowPicture(list, 0), kCheckedBox);
            // Empty space below the rows.
            ClickList(list, QPoint(5, list->viewport()->height() - 3));

            QTimer::singleShot(0, this, [&] {
                auto* color = qobject_cast<CModelDialog*>(QApplication::activeModalWidget());
                if (color == nullptr) {
                    return;
                }
                colorTitle = color->windowTitle();
                // The double click left layer "0" shown: so does its box behind.
                boxRightUnderColour = Shows(RowPicture(list, 0), kCheckedBox);
                QTest::mouseClick(color->FieldButton(kColorField), Qt::LeftButton);
                QWidget* swatch = color->FieldSwatch(kColorField);
                swatchCenter = swatch->grab().toImage().pixelColor(swatch->rect().center());
                QTest::mouseClick(color->FieldButton(kTransparencyField, 1), Qt::LeftButton);
                QLineEdit* transparency = color->FieldEdit(kTransparencyField);
                steppedTransparency = transparency->text();
                QTest::keyClick(transparency, Qt::Key_Return);
            });
            ClickList(list, RowCentre(list, 0), true);
            dialog->reject();
        });
        s.Frame().Action(ID_LAYERS)->trigger();

        QCOMPARE(rows, QStringList({QStringLiteral("0"), QStringLiteral("walls")}));
        QVERIFY(boxesShown);
        QCOMPARE(colorTitle, QStringLiteral("色，材質"));
        QVERIFY(boxRightUnderColour);
        QCOMPARE(cancelCaption, QStringLiteral("ｷｬﾝｾﾙ"));
        QCOMPARE(swatchCenter, QColor(255, 0, 0));
        QCOMPARE(steppedTransparency, QStringLiteral("1"));
        QCOMPARE(g_layerAttributes[0], (std::array<double, 6>{1.0, 0.0, 0.0, 1 / 255.0, 0.0, 1.0}));
        QCOMPARE(g_layerAttributes[1][LAYER_VISIBLE], 0.0);

        // Cancel closed the dialog; the hidden layer's line is gone from the view.
        const QImage after = s.Grab();
        QVERIFY(WhiteNear(after, Project(1000, 0, 0)));
        QVERIFY(!WhiteNear(after, Project(1000, 0, 3000)));

        // The changed table made the drawing modified; saving keeps the flags.
        s.platform.fileNames.push_back(path);
        QTest::keyClick(&s.View(), Qt::Key_S, Qt::ControlModifier);
        BinaryReader reader;
        QCOMPARE(reader.Open(path), FileError::None);
        DrawingFileContents contents;
        QCOMPARE(ReadDrawingContents(reader, contents), FileError::None);
        QCOMPARE(contents.layers.size(), size_t{2});
        QCOMPARE(contents.layers[0].attributes[LAYER_VISIBLE], 1.0);
        QCOMPARE(contents.layers[1].attributes[LAYER_VISIBLE], 0.0);
    }

    // The done-when of layers of one's own, through the window: a layer made in the
    // dialog, made current with its button, a line drawn on it shows in the layer's
    // colour once "画層の色で表示" is checked, and in white again when it is not.
    void newCurrentLayerDrawsInItsColour() {
        GuiSession s;
        QVERIFY(s.started);
        // The grid stays: the line's ends snap to its points.
        CZorader_ezDoc& doc = s.App().Document();
        CViewWidget* view = &s.View();
        s.Grab();

        s.platform.showDialogs = true;
        QStringList buttons;
        QString nameTitle;
        bool boldCurrent = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<CListDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                QApplication::activeModalWidget()->close();
                return;
            }
            QAbstractButton* newButton = nullptr;
            QAbstractButton* currentButton = nullptr;
            for (auto* button : dialog->findChildren<QAbstractButton*>()) {
                buttons << button->text();
                if (button->text() == QStringLiteral("新規(&N)...")) {
                    newButton = button;
                } else if (button->text() == QStringLiteral("現在の画層(&C)")) {
                    currentButton = button;
                }
            }
            if (newButton == nullptr || currentButton == nullptr) {
                dialog->reject();
                return;
            }
            QTimer::singleShot(0, this, [&] {
                auto* name = qobject_cast<CModelDialog*>(QApplication::activeModalWidget());
                if (name == nullptr) {
                    return;
                }
                nameTitle = name->windowTitle();
                name->FieldEdit(0)->insert(QStringLiteral("壁"));
                QTest::keyClick(name->FieldEdit(0), Qt::Key_Return);
            });
            QTest::mouseClick(newButton, Qt::LeftButton);
            // The new layer is the one selected: the button makes it current.
            QTest::mouseClick(currentButton, Qt::LeftButton);
            QListWidget* list = dialog->List();
            boldCurrent = list->count() == 1 && list->item(0)->font().bold();
            dialog->accept();
        });
        s.Frame().Action(ID_LAYERS)->trigger();
        QCOMPARE(nameTitle, QStringLiteral("画層の新規作成"));
        QVERIFY(buttons.contains(QStringLiteral("名前変更(&R)...")));
        QVERIFY(buttons.contains(QStringLiteral("削除(&D)")));
        QCOMPARE(g_layerCount, 1);
        QCOMPARE(QString::fromStdString(Cp932ToUtf8(doc.CurrentLayer())), QStringLiteral("壁"));
        QVERIFY(boldCurrent);
        s.Frame().UpdateCommandUi();
        QCOMPARE(s.Frame().LayerList()->currentText(), QStringLiteral("壁"));
        QCOMPARE(s.Frame().LayerPane()->text(), QStringLiteral("画層：壁"));
        // A dark blue, lightened so that it shows on the background.
        SetLayerAppearance(0, {0.0, 0.0, 0.5, 0.0, 0.0, {}});

        QTest::keyClick(view, Qt::Key_L);
        const QPoint start = WidgetPoint(-1820, 0, 0);
        const QPoint end = WidgetPoint(1820, 0, 0);
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, start);
        QTest::mouseMove(view, end);
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, end);
        QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, end);
        QCOMPARE(doc.m_shapes.size(), size_t{1});
        QCOMPARE(doc.m_shapes.front()->m_strLayer, doc.CurrentLayer());
        QVERIFY(WhiteNear(s.Grab(), Project(455, 0, 0)));

        QAction* byLayer = s.Frame().Action(ID_COLOR_BY_LAYER);
        byLayer->trigger();
        s.Frame().UpdateCommandUi();
        QVERIFY(byLayer->isChecked());
        const uint32_t pen = LayerPen(0.0, 0.0, 0.5);
        const QColor expected((pen >> 16) & 0xFF, (pen >> 8) & 0xFF, pen & 0xFF);
        QVERIFY(expected.blue() > expected.red());
        const QImage coloured = s.Grab();
        bool seen = false;
        const QPointF middle = Project(455, 0, 0);
        for (int dy = -1; dy <= 1 && !seen; ++dy) {
            const QColor c = PixelAt(coloured, middle + QPointF(0, dy));
            seen = std::abs(c.red() - expected.red()) <= 2 && std::abs(c.green() - expected.green()) <= 2 &&
                   std::abs(c.blue() - expected.blue()) <= 2;
        }
        QVERIFY2(seen, qPrintable(PixelAt(coloured, middle).name()));
        QVERIFY(!WhiteNear(coloured, middle));

        byLayer->trigger();
        QVERIFY(WhiteNear(s.Grab(), Project(455, 0, 0)));
    }
};

std::unique_ptr<QObject> MakeLayersTest() {
    return std::make_unique<LayersTest>();
}

}  // namespace marquetta

#include "layers_test.moc"
