#include "app/dialog_commands.h"

#include "platform/command_ids.h"
#include "ui/help.h"
#include "ui/value_dialogs.h"
#include "view/sheet.h"

namespace marquetta {

std::string ScaleCaption() {
    return "SCL:1/" + FormatTruncated(g_scaleDenominator);
}

void RegisterDialogCommands(CommandTarget& frame, CommandTarget& help) {
    frame.On(ID_GRID_PITCH, [] { RunGridDialog(); });
    frame.On(
        ID_SCALE, [] { RunScaleDialog(); }, [](CommandUi& ui) { ui.SetText(ScaleCaption()); });
    help.On(ID_HELP, OpenHelp);
}

}  // namespace marquetta
