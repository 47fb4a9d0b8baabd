#include "view/sheet.h"

#include <optional>

#include "platform/platform.h"

namespace marquetta {

int g_snapOn = 1;
int g_gridOn = 1;
double g_gridPitch = 910.0;
double g_scaleDenominator = 100.0;
double g_paperWidth = 210.0;
double g_paperHeight = 297.0;
int g_paperPending = 1;

namespace {
// The paper the sheet was last measured from.
std::optional<PrinterPaper> measuredPaper;
}  // namespace

void InitSheetDefaults() {
    g_snapOn = 1;
    g_gridOn = 1;
    g_gridPitch = 910.0;
    g_scaleDenominator = 100.0;
    g_paperWidth = 210.0;
    g_paperHeight = 297.0;
    g_paperPending = 1;
    measuredPaper.reset();
}

void MeasurePaper() {
    Platform& platform = CurrentPlatform();
    const std::optional<PrinterPaper> paper = platform.DefaultPrinterPaper();
    if (!paper) {
        platform.MessageBox(
            "通常使うプリンタが設定されていません。\nコントロールパネルでプリンタを追加して下さい。\n強制的に終了します。",
            "Marquetta", MessageIcon::Exclamation, MessageButtons::Ok);
        platform.TerminateProcess();
        return;
    }
    measuredPaper = paper;
    if (paper->dotsPerInchX > 0) {
        g_paperWidth = paper->printableWidthPixels * 25.4 / paper->dotsPerInchX;
    }
    if (paper->dotsPerInchY > 0) {
        g_paperHeight = paper->printableHeightPixels * 25.4 / paper->dotsPerInchY;
    }
}

void NoticePaperChange() {
    const std::optional<PrinterPaper> paper = CurrentPlatform().DefaultPrinterPaper();
    if (paper && paper != measuredPaper) {
        g_paperPending = 1;
    }
}

}  // namespace marquetta
