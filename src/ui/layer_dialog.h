// The layer dialog ("画　　層"): every layer of the table in table order, each with a
// check box that shows whether it is visible. A click shows or hides the layer under
// the pointer at once; a double click opens its colour and material dialog. Changes go
// to the table as they are made: OK and Cancel only close the dialog.
#pragma once

#include <string>
#include <vector>

#include "platform/dialog_model.h"

namespace marquetta {

class LayerDialog : public ListDialogModel {
  public:
    std::string Title() const override { return "画　　層"; }
    // The names in UTF-8, checked while the layer is visible.
    std::vector<ListDialogItem> Items() const override;
    // Shows the layer when hidden, hides it when shown; -1 (empty space) does nothing.
    void Click(int item) override;
    // The second press of a double click: toggles again, so that with the click of the
    // first press the visibility is as it was, then edits the layer's colour and
    // material.
    void DoubleClick(int item) override;
};

// The layer command: runs the layer dialog, then, whether it ended with OK or Cancel,
// marks the wireframe stale and repaints the view. True when the dialog left the
// table other than it found it.
bool RunLayerDialog();

}  // namespace marquetta
