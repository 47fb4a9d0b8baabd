// Gives every program-wide value its start-up value, in the order the program sets
// them before the view window exists. Tests call it first so none depends on another.
#pragma once

namespace marquetta {

void InitProgramDefaults();

}  // namespace marquetta
