// The layer dialog from the menu, clicked with the mouse: a click hides a layer, whose
// box empties and whose line leaves the view's pixels, and the saved file keeps the
// flag; a double click leaves the visibility and opens the colour and material dialog,
// whose colour button fills the swatch and whose OK stores the colour.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include "app/app_controller.h"
#include "gui/list_dialog.h"
#include "gui/main_frame.h"
#include "gui/model_dialog.h"
#include "gui/view_widget.h"
#include "gui_session.h"
#include "gui_tests.h"
#include "model/native_file.h"
#include "platform/command_ids.h"
#include "../test_shapes.h"
#include "ui/color_material_dialog.h"
#include "view/sheet.h"

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
                if (button->text() != QStringLiteral("OK")) {
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
};

std::unique_ptr<QObject> MakeLayersTest() {
    return std::make_unique<LayersTest>();
}

}  // namespace marquetta

#include "layers_test.moc"
