// The printing commands: print with the print dialog (57607) and without it (57608),
// the print preview (57609), and the printer set-up (57606), which the view handles.
// Each prints the drawing's one page as printed_page.h draws it.
#pragma once

#include "model/document.h"
#include "platform/command_target.h"

namespace marquetta {

// The preview's page count as the settings keep it ("Settings", "PreviewPages"):
// 2 for a count of 2 or more, else 1 (also when the setting is missing).
int StoredPreviewPages();

// Registers the four commands on `target`, printing `doc`.
void RegisterPrintCommands(CommandTarget& target, const CZorader_ezDoc& doc);

}  // namespace marquetta
