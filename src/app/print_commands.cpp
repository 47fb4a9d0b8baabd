#include "app/print_commands.h"

#include <string>

#include "app/app_controller.h"
#include "platform/command_ids.h"
#include "platform/platform.h"
#include "ui/value_dialogs.h"
#include "view/printed_page.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

constexpr const char* kSettingsSection = "Settings";
constexpr const char* kPreviewPagesKey = "PreviewPages";

// The page on the sheet of the paper it is printed on: a paper or orientation chosen
// in the print dialog or in the preview's page set-up is measured before the page is
// drawn, and the view then shows the new sheet.
PageDrawing SheetPage(const CZorader_ezDoc& doc) {
    return [&doc](PrintPen& pen) {
        NoticePaperChange();
        if (g_paperPending == 1) {
            g_paperPending = 0;
            MeasurePaper();
            CurrentPlatform().InvalidateView();
        }
        PrintDrawing(doc, pen);
    };
}

// A dialog may have changed the paper without drawing a page: the next paint measures.
void RemeasureIfPaperChanged() {
    NoticePaperChange();
    if (g_paperPending == 1) {
        CurrentPlatform().InvalidateView();
    }
}

void Print(const CZorader_ezDoc& doc, bool askFirst) {
    Platform& platform = CurrentPlatform();
    const PrintResult result = platform.PrintPage(askFirst, SheetPage(doc));
    RemeasureIfPaperChanged();
    if (result == PrintResult::Failed) {
        platform.MessageBox("印刷を開始できませんでした。", kAppTitle, MessageIcon::Exclamation,
                            MessageButtons::Ok);
    }
}

void Preview(const CZorader_ezDoc& doc) {
    Platform& platform = CurrentPlatform();
    const int pages = StoredPreviewPages();
    const int shown = platform.PreviewPage(pages, SheetPage(doc));
    RemeasureIfPaperChanged();
    const std::string kept = std::to_string(shown);
    if (shown >= kMinPreviewPages && shown <= kMaxPreviewPages &&
        platform.ReadSetting(kSettingsSection, kPreviewPagesKey) != kept) {
        platform.WriteSetting(kSettingsSection, kPreviewPagesKey, kept);
    }
}

void SetUpPrinter() {
    Platform& platform = CurrentPlatform();
    platform.PrinterSetup();
    // Whatever was chosen, the next paint measures the printer's paper again.
    g_paperPending = 1;
    platform.InvalidateView();
}

}  // namespace

int StoredPreviewPages() {
    // More pages than the preview can show are held at its most; none, zero or less at
    // its least.
    const int stored =
        ReadLeadingInteger(CurrentPlatform().ReadSetting(kSettingsSection, kPreviewPagesKey));
    return stored >= kMaxPreviewPages ? kMaxPreviewPages : kMinPreviewPages;
}

void RegisterPrintCommands(CommandTarget& target, const CZorader_ezDoc& doc) {
    target.On(ID_FILE_PRINT, [&doc] { Print(doc, true); });
    target.On(ID_FILE_PRINT_DIRECT, [&doc] { Print(doc, false); });
    target.On(ID_FILE_PRINT_PREVIEW, [&doc] { Preview(doc); });
    target.On(ID_FILE_PRINT_SETUP, SetUpPrinter);
}

}  // namespace marquetta
