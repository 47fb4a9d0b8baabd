// The help command: the help file is opened with whatever the desktop uses for it.
#pragma once

#include <string>

namespace marquetta {

inline constexpr const char* kHelpFileName = "Marquetta_034.hlp";

// Where the help file is looked for: the name in the working directory, as an absolute
// path (the desktop's opener runs elsewhere); empty when the working directory cannot
// be told.
std::string HelpFilePath();

// Opens the help file with the desktop's default application. Nothing is said when
// there is no such file or the desktop cannot open it; a missing file is not handed to
// the desktop at all, so that its opener shows no error of its own either.
void OpenHelp();

}  // namespace marquetta
