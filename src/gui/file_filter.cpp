#include "gui/file_filter.h"

#include <algorithm>
#include <vector>

namespace marquetta {
namespace {

std::vector<std::string> SplitBars(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t bar = text.find('|', start);
        parts.push_back(
            text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) {
            break;
        }
        start = bar + 1;
    }
    return parts;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string QtPatterns(const std::string& patterns) {
    std::string out;
    size_t start = 0;
    while (start <= patterns.size()) {
        const size_t semicolon = patterns.find(';', start);
        std::string one = Trimmed(patterns.substr(
            start, semicolon == std::string::npos ? std::string::npos : semicolon - start));
        if (one == "*.*") {
            one = "*";
        }
        if (!one.empty()) {
            out += (out.empty() ? "" : " ") + one;
        }
        if (semicolon == std::string::npos) {
            break;
        }
        start = semicolon + 1;
    }
    return out;
}

// The description without a trailing "(...)" that shows the patterns.
std::string DescriptionOnly(const std::string& description) {
    std::string text = Trimmed(description);
    if (!text.empty() && text.back() == ')') {
        const size_t open = text.rfind('(');
        if (open != std::string::npos) {
            text = Trimmed(text.substr(0, open));
        }
    }
    return text;
}

}  // namespace

std::string ToQtFileFilter(const std::string& filter) {
    const std::vector<std::string> parts = SplitBars(filter);
    std::string out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() && parts[i + 1].empty()) {
            break;  // the "||" that ends the list
        }
        const std::string patterns = QtPatterns(parts[i + 1]);
        std::string entry = DescriptionOnly(parts[i]);
        if (!patterns.empty()) {
            entry += (entry.empty() ? "(" : " (") + patterns + ")";
        }
        out += (out.empty() ? "" : ";;") + entry;
    }
    return out;
}

namespace {

constexpr const char* kAllFiles = "すべてのﾌｧｲﾙ (*)";

// The patterns of one Qt filter: those in its last "(...)", or the whole text.
std::vector<std::string> PatternsOf(const std::string& qtFilter) {
    std::string patterns = qtFilter;
    const size_t open = qtFilter.rfind('(');
    if (!qtFilter.empty() && qtFilter.back() == ')' && open != std::string::npos) {
        patterns = qtFilter.substr(open + 1, qtFilter.size() - open - 2);
    }
    std::vector<std::string> out;
    for (size_t start = 0; start < patterns.size();) {
        const size_t space = std::min(patterns.find(' ', start), patterns.size());
        if (space > start) {
            out.push_back(patterns.substr(start, space - start));
        }
        start = space + 1;
    }
    return out;
}

bool HasPattern(const std::string& qtFilter, const std::string& pattern) {
    const std::vector<std::string> patterns = PatternsOf(qtFilter);
    return std::find(patterns.begin(), patterns.end(), pattern) != patterns.end();
}

}  // namespace

QtFileFilters QtFiltersFor(const std::string& filter, const std::string& initialName) {
    std::vector<std::string> entries;
    const std::string qtFilters = ToQtFileFilter(filter);
    for (size_t start = 0; start < qtFilters.size();) {
        const size_t end = std::min(qtFilters.find(";;", start), qtFilters.size());
        entries.push_back(qtFilters.substr(start, end - start));
        start = end + 2;
    }
    if (initialName.find_first_of("*?") != std::string::npos) {
        const auto own = std::find_if(entries.begin(), entries.end(), [&](const std::string& e) {
            return HasPattern(e, initialName);
        });
        const std::string first = own == entries.end() ? initialName : *own;
        if (own != entries.end()) {
            entries.erase(own);
        }
        entries.insert(entries.begin(), first);
        if (std::none_of(entries.begin(), entries.end(),
                         [](const std::string& e) { return HasPattern(e, "*"); })) {
            entries.push_back(kAllFiles);
        }
    }
    QtFileFilters result;
    for (const std::string& entry : entries) {
        result.filters += (result.filters.empty() ? "" : ";;") + entry;
    }
    result.selected = entries.empty() ? std::string() : entries.front();
    return result;
}

}  // namespace marquetta
