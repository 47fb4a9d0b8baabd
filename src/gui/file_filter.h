// File-dialog filters: the program writes them as "Name (*.ext)|*.ext||" pairs of a
// description and its patterns; Qt's dialogs want "Name (*.ext);;Other (*)".
#pragma once

#include <string>

namespace marquetta {

// "Marquetta Files (*.trn)|*.trn||" -> "Marquetta Files (*.trn)". Patterns separated by
// ';' become space-separated, "*.*" (every file) becomes "*", and the patterns shown in
// the description are replaced by the ones that really filter. Empty: every file.
std::string ToQtFileFilter(const std::string& filter);

// The filters of a file dialog in Qt's form, and the one shown first. An initial name
// that is a pattern ("*.dxf") filters the list: the filter with that pattern comes
// first (made from the pattern itself when the list has none), and every file is
// offered after the rest.
struct QtFileFilters {
    std::string filters;   // ";;" between them
    std::string selected;  // empty: none
};
QtFileFilters QtFiltersFor(const std::string& filter, const std::string& initialName);

}  // namespace marquetta
