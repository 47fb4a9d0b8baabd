#include "gui/file_filter.h"

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

std::string WithDefaultExtension(const std::string& path, const std::string& extension) {
    if (extension.empty()) {
        return path;
    }
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    // A leading dot marks a hidden file, not an extension.
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot != 0 && dot + 1 < name.size()) {
        return path;
    }
    if (!name.empty() && name.back() == '.') {
        return path + extension;
    }
    return path + "." + extension;
}

}  // namespace marquetta
