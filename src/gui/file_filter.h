// File-dialog helpers: the program writes its filters as "Name (*.ext)|*.ext||" pairs
// of a description and its patterns; Qt's dialogs want "Name (*.ext);;Other (*)".
#pragma once

#include <string>

namespace marquetta {

// "Marquetta Files (*.trn)|*.trn||" -> "Marquetta Files (*.trn)". Patterns separated by
// ';' become space-separated, "*.*" (every file) becomes "*", and the patterns shown in
// the description are replaced by the ones that really filter. Empty: every file.
std::string ToQtFileFilter(const std::string& filter);

// Appends "." + extension when the file name (after the last '/') has no extension.
std::string WithDefaultExtension(const std::string& path, const std::string& extension);

}  // namespace marquetta
