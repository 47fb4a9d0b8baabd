// Help and the About box. The help command opens the help file of the working folder
// when there is one, as it always has; otherwise the program's own manual, HTML pages
// installed beside the program, in the desktop's browser.
#pragma once

#include <filesystem>
#include <string>

namespace marquetta {

inline constexpr const char* kHelpFileName = "Marquetta_034.hlp";

// Where the help file is looked for: the name in the working directory, as an absolute
// path (the desktop's opener runs elsewhere); empty when the working directory cannot
// be told.
std::string HelpFilePath();

// The manual's first page for a program in `programFolder`: the installed copy (in
// share/doc/marquetta/manual of the program's prefix), else the copy in
// `sourceManualFolder` (a program run from its build tree); empty when neither exists.
std::string FindManual(const std::filesystem::path& programFolder,
                       const std::filesystem::path& sourceManualFolder);
// FindManual for this program and the source tree it was built from.
std::string ManualIndexPath();

// The help file when the working directory holds one: opened with the desktop's default
// application, silently (nothing is said when the desktop cannot open it). Otherwise
// the manual in the desktop's browser; a message says so when there is no manual, and
// when the desktop's opener cannot be started or answers that it failed (then with
// what it said), and where the manual lies.
void OpenHelp();

// The program's version, "0.1.0".
const char* ProgramVersion();
// What the About box says: the program, its version, where the manual is, the licence.
std::string AboutText();

}  // namespace marquetta
