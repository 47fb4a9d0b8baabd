// Printing from the window: a drawing printed to a PDF file through the print command
// and rasterised by poppler's pdftoppm at 254 dpi (one pixel per 0.1 mm), so the page
// shows where the line really landed; direct printing, cancelled and failed jobs; the
// printer set-up turning the sheet; the print preview's keys and its kept page count;
// the painter pen's mapping; the two print dialogs' settings.
#include <QAction>
#include <QDialogButtonBox>
#include <QImage>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <cmath>

#include "app/app_controller.h"
#include "edit/dimension_geometry.h"
#include "gui/main_frame.h"
#include "gui/print_dialogs.h"
#include "gui/print_painter.h"
#include "gui/print_preview.h"
#include "gui/view_widget.h"
#include "gui_session.h"
#include "gui_tests.h"
#include "model/layers.h"
#include "platform/command_ids.h"
#include "view/printed_page.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

void AddShape(CZorader_ezDoc& doc, int type, std::initializer_list<Float3> points,
              const std::string& layer = "0") {
    EnsureLayer(layer);
    doc.m_current = CShape{};
    doc.m_current.m_nType = type;
    doc.m_current.m_strLayer = layer;
    int i = 0;
    for (const Float3& p : points) {
        doc.m_current.m_pt[i++] = p;
    }
    doc.AddCurrentShape();
    doc.m_current.m_nType = SHAPE_NONE;
    g_displayListValid = 0;
}

// The first page of a PDF at 254 dpi without smoothing, or a null image.
QImage Rasterise(const std::string& pdf, const QString& prefix) {
    QProcess process;
    process.start(
        QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-aa"), QStringLiteral("no"),
         QStringLiteral("-aaVector"), QStringLiteral("no"), QStringLiteral("-png"),
         QStringLiteral("-singlefile"), QString::fromStdString(pdf), prefix});
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        return QImage();
    }
    return QImage(prefix + QStringLiteral(".png"));
}

bool IsDark(const QImage& image, int x, int y) {
    return x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
           qGray(image.pixel(x, y)) < 128;
}

// The dark pixels of an image, as points.
std::vector<QPoint> DarkPixels(const QImage& image) {
    std::vector<QPoint> dark;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (IsDark(image, x, y)) {
                dark.emplace_back(x, y);
            }
        }
    }
    return dark;
}

// A drawing with the 1 m line from the origin along +X, a face and a line on a hidden
// layer; at 1:100 only the line, 10 mm long, belongs on paper.
void AddLineFaceAndHiddenLine(CZorader_ezDoc& doc) {
    AddShape(doc, SHAPE_LINE, {{0, 0, 0}, {1000, 0, 0}});
    AddShape(doc, SHAPE_FACE, {{2000, 0, 2000}, {4000, 0, 2000}, {4000, 0, 4000}, {2000, 0, 4000}});
    AddShape(doc, SHAPE_LINE, {{0, 0, -2000}, {1000, 0, -2000}}, "hidden");
    g_layerAttributes[FindLayer("hidden")][LAYER_VISIBLE] = 0.0;
}

}  // namespace

class PrintTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { QSettings().clear(); }

    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) {
            QFAIL("pdftoppm (poppler-utils) is missing: run scripts/setup.sh");
        }
    }

    void pdfPageShowsTheLineWhereItBelongs() {
        TempFolder folder;
        const std::string pdf = folder.Path("page.pdf");
        GuiSession s;
        QVERIFY(s.started);
        AddLineFaceAndHiddenLine(s.App().Document());
        // Set-up chooses the PDF printer on A4; the next paint measures its paper.
        s.platform.setupAnswers.push_back(ChoosePdfPrinter(""));
        s.Frame().RunCommand(ID_FILE_PRINT_SETUP);
        QCOMPARE(s.platform.setupDialogsShown, 1);
        s.Grab();
        QCOMPARE(g_paperPending, 0);

        // Ctrl+P, as the user prints; the print dialog sends the job to the file.
        s.platform.printAnswers.push_back(ChoosePdfPrinter(pdf));
        QTest::keyClick(&s.View(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(s.platform.printDialogsShown, 1);
        QVERIFY(s.platform.messages.empty());

        const QImage page = Rasterise(pdf, QString::fromStdString(folder.Path("page")));
        QVERIFY2(!page.isNull(), "pdftoppm could not read the printed file");
        // A4 at 254 dpi.
        QVERIFY2(std::abs(page.width() - 2100) <= 1 && std::abs(page.height() - 2970) <= 1,
                 qPrintable(QStringLiteral("%1 x %2").arg(page.width()).arg(page.height())));

        // The centre of the printable area, in pixels of 0.1 mm from the sheet's corner.
        const QRectF area = s.platform.Printer().pageLayout().paintRect(QPageLayout::Millimeter);
        QVERIFY(std::abs(area.width() - g_paperWidth) < 0.1);
        QVERIFY(std::abs(area.height() - g_paperHeight) < 0.1);
        const double cx = (area.left() + area.width() / 2) * 10;
        const double cy = (area.top() + area.height() / 2) * 10;

        const std::vector<QPoint> dark = DarkPixels(page);
        QVERIFY2(!dark.empty(), "nothing printed");
        int left = page.width(), right = -1, top = page.height(), bottom = -1;
        for (const QPoint& p : dark) {
            left = std::min(left, p.x());
            right = std::max(right, p.x());
            top = std::min(top, p.y());
            bottom = std::max(bottom, p.y());
        }
        // Everything dark is the one line: no face, nothing of the hidden layer.
        const QString found = QStringLiteral("dark from (%1, %2) to (%3, %4), centre (%5, %6)")
                                  .arg(left)
                                  .arg(top)
                                  .arg(right)
                                  .arg(bottom)
                                  .arg(cx)
                                  .arg(cy);
        QVERIFY2(std::abs(left - cx) <= 2, qPrintable(found));
        QVERIFY2(std::abs(right - (cx + 100)) <= 2, qPrintable(found));
        QVERIFY2(std::abs(top - cy) <= 2 && std::abs(bottom - cy) <= 2, qPrintable(found));
        // A whole line, not two dots at its ends.
        for (int x = left; x <= right; ++x) {
            QVERIFY2(IsDark(page, x, top) || IsDark(page, x, bottom), qPrintable(found));
        }
    }

    // A 3,600 mm dimension made at 1:100 with text 2.5 mm high prints its digits as
    // tall as the stroke font draws a 2.5 mm text (the glyphs of "3600" run from unit 1
    // to unit 14 of the 16 of the text height),
    // centred above the dimension line.
    void dimensionTextPrintsAtTheSetHeight() {
        TempFolder folder;
        const std::string pdf = folder.Path("dimension.pdf");
        GuiSession s;
        QVERIFY(s.started);
        QCOMPARE(g_scaleDenominator, 100.0);
        const DimensionResult dimension =
            LinearDimension({0, 0, 0}, {3600, 0, 0}, {1800, 0, -1000}, g_dimensionStyle, g_scaleDenominator);
        QCOMPARE(dimension.error, DimensionError::None);
        for (const CShape& shape : dimension.shapes) {
            AddShape(s.App().Document(), shape.m_nType, {shape.m_pt[0], shape.m_pt[1]});
            s.App().Document().m_shapes.back()->m_strText = shape.m_strText;
        }
        s.platform.setupAnswers.push_back(ChoosePdfPrinter(""));
        s.Frame().RunCommand(ID_FILE_PRINT_SETUP);
        s.Grab();
        s.platform.printAnswers.push_back(ChoosePdfPrinter(pdf));
        QTest::keyClick(&s.View(), Qt::Key_P, Qt::ControlModifier);
        const QImage page = Rasterise(pdf, QString::fromStdString(folder.Path("dimension")));
        QVERIFY2(!page.isNull(), "pdftoppm could not read the printed file");

        // The dimension line lies 10 mm above the sheet's centre; the text above it,
        // between x = 18 mm +- 4 mm (clear of the extension lines at 0 and 36 mm).
        const QRectF area = s.platform.Printer().pageLayout().paintRect(QPageLayout::Millimeter);
        const double cx = (area.left() + area.width() / 2) * 10 + 180;
        const double lineY = (area.top() + area.height() / 2) * 10 - 100;
        int top = page.height(), bottom = -1, left = page.width(), right = -1;
        for (const QPoint& p : DarkPixels(page)) {
            if (std::abs(p.x() - cx) <= 40 && p.y() < lineY - 3) {
                top = std::min(top, p.y());
                bottom = std::max(bottom, p.y());
                left = std::min(left, p.x());
                right = std::max(right, p.x());
            }
        }
        const QString found = QStringLiteral("text from (%1, %2) to (%3, %4), line at %5, centre %6")
                                  .arg(left).arg(top).arg(right).arg(bottom).arg(lineY).arg(cx);
        QVERIFY2(bottom >= 0, qPrintable(found));
        // 2.5 mm is 25 pixels; the digits' ink spans 13/16 of it, give or take a pixel.
        QVERIFY2(std::abs((bottom - top) - 25.0 * 13 / 16) <= 1.5, qPrintable(found));
        QVERIFY2(std::abs((left + right) / 2.0 - cx) <= 2.5, qPrintable(found));
        QVERIFY2(bottom < lineY - 3 && bottom > lineY - 12, qPrintable(found));
    }

    void directPrintAsksOnlyForTheFile() {
        TempFolder folder;
        GuiSession s;
        QVERIFY(s.started);
        AddShape(s.App().Document(), SHAPE_LINE, {{0, 0, 0}, {1000, 0, 0}});
        s.platform.setupAnswers.push_back(ChoosePdfPrinter(""));
        s.Frame().RunCommand(ID_FILE_PRINT_SETUP);

        // Cancelling the file dialog ends the job without a word.
        s.Frame().RunCommand(ID_FILE_PRINT_DIRECT);
        QCOMPARE(s.platform.fileRequests.size(), size_t{1});
        QVERIFY(s.platform.fileRequests[0].save);
        QCOMPARE(s.platform.fileRequests[0].defaultExtension, std::string("pdf"));
        QVERIFY(s.platform.messages.empty());

        const std::string pdf = folder.Path("direct.pdf");
        s.platform.fileNames.push_back(pdf);
        s.Frame().RunCommand(ID_FILE_PRINT_DIRECT);
        QCOMPARE(s.platform.printDialogsShown, 0);
        const std::optional<std::string> bytes = ReadFileBytes(pdf);
        QVERIFY(bytes.has_value());
        QCOMPARE(bytes->substr(0, 5), std::string("%PDF-"));
        QVERIFY(s.platform.messages.empty());
    }

    void cancelledOrFailedJobs() {
        TempFolder folder;
        GuiSession s;
        QVERIFY(s.started);
        AddShape(s.App().Document(), SHAPE_LINE, {{0, 0, 0}, {1000, 0, 0}});
        // The print dialog cancelled: no file, no message.
        const std::string pdf = folder.Path("cancelled.pdf");
        s.platform.printAnswers.push_back([pdf](QPrinter& printer) {
            ChoosePdfPrinter(pdf)(printer);
            return false;
        });
        s.Frame().RunCommand(ID_FILE_PRINT);
        QCOMPARE(s.platform.printDialogsShown, 1);
        QVERIFY(!ReadFileBytes(pdf).has_value());
        QVERIFY(s.platform.messages.empty());

        // A file that cannot be made: the job does not start, and the user hears of it.
        s.platform.printAnswers.push_back(ChoosePdfPrinter(folder.Path("missing/page.pdf")));
        s.Frame().RunCommand(ID_FILE_PRINT);
        QCOMPARE(s.platform.messages.size(), size_t{1});
        QCOMPARE(s.platform.messages[0].text, std::string("印刷を開始できませんでした。"));
        QCOMPARE(s.platform.messages[0].icon, MessageIcon::Exclamation);
    }

    void setUpWithLandscapePaperWidensTheSheet() {
        GuiSession s;
        QVERIFY(s.started);
        s.platform.setupAnswers.push_back(ChoosePdfPrinter("", false));
        s.Frame().RunCommand(ID_FILE_PRINT_SETUP);
        s.Grab();
        QVERIFY2(g_paperHeight > g_paperWidth, qPrintable(QString::number(g_paperWidth)));
        const double portraitWidth = g_paperWidth;

        s.platform.setupAnswers.push_back(ChoosePdfPrinter("", true));
        s.Frame().RunCommand(ID_FILE_PRINT_SETUP);
        QCOMPARE(g_paperPending, 1);
        s.Grab();
        QCOMPARE(g_paperPending, 0);
        QVERIFY2(g_paperWidth > g_paperHeight, qPrintable(QString::number(g_paperWidth)));
        QVERIFY(g_paperWidth > portraitWidth + 50);

        // Cancelled: the printer stays as it is, but the paper is measured again.
        g_paperWidth = 1.0;
        s.Frame().RunCommand(ID_FILE_PRINT_SETUP);
        QCOMPARE(s.platform.setupDialogsShown, 3);
        QCOMPARE(g_paperPending, 1);
        s.Grab();
        QVERIFY(g_paperWidth > g_paperHeight);
    }

    void paperTurnedInThePrintDialogOrPreviewTurnsTheSheet() {
        TempFolder folder;
        GuiSession s;
        QVERIFY(s.started);
        s.platform.setupAnswers.push_back(ChoosePdfPrinter("", false));
        s.Frame().RunCommand(ID_FILE_PRINT_SETUP);
        s.Grab();
        QVERIFY(g_paperHeight > g_paperWidth);
        // Landscape chosen in the print dialog: the page is drawn on the wide sheet.
        s.platform.printAnswers.push_back(ChoosePdfPrinter(folder.Path("wide.pdf"), true));
        s.Frame().RunCommand(ID_FILE_PRINT);
        QVERIFY(g_paperWidth > g_paperHeight);
        QCOMPARE(g_printOffsetX, g_scaleDenominator * g_paperWidth * 0.5);
        // Portrait again from the preview's own orientation button.
        QTimer::singleShot(0, this, [] {
            auto* preview = qobject_cast<CPrintPreview*>(QApplication::activeModalWidget());
            if (preview != nullptr) {
                preview->Preview()->setPortraitOrientation();
            }
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
        });
        s.Frame().RunCommand(ID_FILE_PRINT_PREVIEW);
        s.Grab();
        QVERIFY(g_paperHeight > g_paperWidth);
    }

    void previewKeysTurnPagesAndClose() {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        int drawn = 0;
        const PageDrawing draw = [&drawn](PrintPen& pen) {
            ++drawn;
            pen.MoveTo(0, 0);
            pen.LineTo(1000, -1000);
        };
        CPrintPreview preview(printer, draw, 1, nullptr, 3);
        preview.show();
        preview.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&preview));
        QPrintPreviewWidget* pages = preview.Preview();
        QVERIFY(pages != nullptr);
        QCOMPARE(pages->pageCount(), 3);
        QVERIFY(drawn >= 3);
        QCOMPARE(pages->currentPage(), 1);
        QTest::keyClick(&preview, Qt::Key_PageDown);
        QCOMPARE(pages->currentPage(), 2);
        QTest::keyClick(&preview, Qt::Key_PageDown);
        QTest::keyClick(&preview, Qt::Key_PageDown);
        QCOMPARE(pages->currentPage(), 3);
        QTest::keyClick(&preview, Qt::Key_PageUp);
        QCOMPARE(pages->currentPage(), 2);
        QTest::keyClick(&preview, Qt::Key_PageUp);
        QTest::keyClick(&preview, Qt::Key_PageUp);
        QCOMPARE(pages->currentPage(), 1);
        QTest::keyClick(&preview, Qt::Key_Escape);
        QVERIFY(!preview.isVisible());
        QCOMPARE(preview.result(), int(QDialog::Rejected));
    }

    void previewOpensWithTheKeptPageCount() {
        GuiSession s;
        QVERIFY(s.started);
        AddShape(s.App().Document(), SHAPE_LINE, {{0, 0, 0}, {1000, 0, 0}});
        QSettings().setValue(QStringLiteral("Settings/PreviewPages"), 2);
        int shownAtFirst = 0, pageCount = 0;
        bool facingButtonOn = false, singleButtonOn = true;
        QTimer::singleShot(0, this, [&] {
            auto* preview = qobject_cast<CPrintPreview*>(QApplication::activeModalWidget());
            if (preview == nullptr) {
                if (QWidget* other = QApplication::activeModalWidget()) {
                    other->close();
                }
                return;
            }
            shownAtFirst = preview->PagesShown();
            facingButtonOn =
                preview->findChild<QAction*>(QStringLiteral("facingModeAction"))->isChecked();
            singleButtonOn =
                preview->findChild<QAction*>(QStringLiteral("singleModeAction"))->isChecked();
            pageCount = preview->Preview()->pageCount();
            preview->Preview()->setSinglePageViewMode();
            QTest::keyClick(preview, Qt::Key_Escape);
        });
        s.Frame().RunCommand(ID_FILE_PRINT_PREVIEW);
        QCOMPARE(shownAtFirst, 2);
        QVERIFY(facingButtonOn && !singleButtonOn);
        QCOMPARE(pageCount, 1);
        QCOMPARE(QSettings().value(QStringLiteral("Settings/PreviewPages")).toInt(), 1);
    }

    void painterPenMapsTenthsOfMillimetres() {
        QImage image(300, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        // 254 dpi: one pixel per logical unit, y down the image for y down the page.
        DrawPrintedPage(painter, 254, 254, [](PrintPen& pen) {
            pen.MoveTo(10, -20);
            pen.LineTo(110, -20);
            pen.LineTo(110, -120);
            pen.MoveTo(200, -200);
            pen.LineTo(250, -200);
        });
        QVERIFY(painter.transform().isIdentity());
        // The current point starts at the corner, as on a printer.
        DrawPrintedPage(painter, 508, 508, [](PrintPen& pen) { pen.LineTo(40, -40); });
        painter.end();
        for (int x = 10; x <= 110; ++x) {
            QVERIFY2(IsDark(image, x, 20), qPrintable(QString::number(x)));
        }
        for (int y = 20; y <= 120; ++y) {
            QVERIFY2(IsDark(image, 110, y), qPrintable(QString::number(y)));
        }
        QVERIFY(!IsDark(image, 9, 20) && !IsDark(image, 111, 20) && !IsDark(image, 50, 21) &&
                !IsDark(image, 50, 19) && !IsDark(image, 110, 121));
        // Nothing joins the two strokes across the move.
        QVERIFY(!IsDark(image, 155, 160) && !IsDark(image, 120, 129));
        QVERIFY(IsDark(image, 200, 200) && IsDark(image, 250, 200));
        QVERIFY(!IsDark(image, 199, 200) && !IsDark(image, 251, 200));
        // Twice the resolution, twice the pixels: (40, -40) is (80, 80).
        QVERIFY(IsDark(image, 0, 0) && IsDark(image, 40, 40) && IsDark(image, 80, 80));
        QVERIFY(!IsDark(image, 82, 82));
    }

    void dialogsForPrintingAndForSetUp() {
        QPrinter printer(QPrinter::HighResolution);
        {
            QPrintDialog dialog(&printer);
            ConfigurePrintDialog(dialog);
            QVERIFY(dialog.testOption(QAbstractPrintDialog::PrintToFile));
            QVERIFY(!dialog.testOption(QAbstractPrintDialog::PrintPageRange));
            QVERIFY(!dialog.testOption(QAbstractPrintDialog::PrintSelection));
            QVERIFY(!dialog.testOption(QAbstractPrintDialog::PrintCurrentPage));
            QCOMPARE(dialog.printRange(), QAbstractPrintDialog::AllPages);
        }
        QPrintDialog dialog(&printer);
        ConfigurePrinterSetupDialog(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("プリンタの設定"));
        QCOMPARE(dialog.testOption(QAbstractPrintDialog::PrintToFile),
                 QPrinterInfo::availablePrinterNames().isEmpty());
        QVERIFY(!dialog.testOption(QAbstractPrintDialog::PrintPageRange));
        QVERIFY(!dialog.testOption(QAbstractPrintDialog::PrintSelection));
        QVERIFY(!dialog.testOption(QAbstractPrintDialog::PrintCurrentPage));
        auto* box = dialog.findChild<QDialogButtonBox*>();
        QVERIFY(box != nullptr && box->button(QDialogButtonBox::Ok) != nullptr);
        QCOMPARE(box->button(QDialogButtonBox::Ok)->text(), QStringLiteral("OK"));
    }
};

std::unique_ptr<QObject> MakePrintTest() {
    return std::make_unique<PrintTest>();
}

}  // namespace marquetta

#include "print_test.moc"
