#include "app/recent_files.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "app/command_table.h"
#include "exchange/command_message.h"
#include "platform/platform.h"

namespace marquetta {
namespace {
constexpr const char* kSection = "Recent File List";
std::string Key(size_t index) { return "File" + std::to_string(index + 1); }
}  // namespace

void RecentFileList::Load() {
    m_files.clear();
    for (size_t i = 0; i < kRecentFileCount; ++i) {
        std::string path = CurrentPlatform().ReadSetting(kSection, Key(i));
        if (!path.empty() && std::find(m_files.begin(), m_files.end(), path) == m_files.end()) {
            m_files.push_back(std::move(path));
        }
    }
}

void RecentFileList::Add(const std::string& path) {
    m_files.erase(std::remove(m_files.begin(), m_files.end(), path), m_files.end());
    m_files.insert(m_files.begin(), path);
    if (m_files.size() > kRecentFileCount) {
        m_files.resize(kRecentFileCount);
    }
    Save();
}

void RecentFileList::Remove(const std::string& path) {
    m_files.erase(std::remove(m_files.begin(), m_files.end(), path), m_files.end());
    Save();
}

namespace {

// A shortened path stays within this many characters where it can.
constexpr size_t kShortPathLength = 40;
constexpr const char* kEllipsis = "\xE2\x80\xA6";  // "…"

size_t Characters(std::string_view utf8) {
    size_t count = 0;
    for (const char c : utf8) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    return count;
}

// The path with the folders between its first one and the last `keep` ones left out;
// the whole path once nothing would be left out.
std::string Shortened(const std::string& path, size_t keep) {
    std::vector<std::string_view> parts;  // "" first for an absolute path
    for (size_t start = 0;;) {
        const size_t slash = path.find('/', start);
        parts.emplace_back(std::string_view(path).substr(start, slash - start));
        if (slash == std::string::npos) {
            break;
        }
        start = slash + 1;
    }
    // The first folder (after the root), the left-out ones, the kept ones, the name.
    const size_t head = parts[0].empty() ? 2 : 1;
    if (parts.size() < head + 1 + keep + 1) {
        return path;
    }
    std::string text;
    for (size_t i = 0; i < head; ++i) {
        text += parts[i];
        text += '/';
    }
    text += kEllipsis;
    for (size_t i = parts.size() - 1 - keep; i < parts.size(); ++i) {
        text += '/';
        text += parts[i];
    }
    return text;
}

}  // namespace

std::vector<std::string> RecentFileList::Captions(const std::string& currentFolder) const {
    namespace fs = std::filesystem;
    const size_t n = m_files.size();
    std::vector<std::string> texts(n);
    std::vector<size_t> keep(n, 0);
    std::vector<bool> fixed(n, false);
    for (size_t i = 0; i < n; ++i) {
        const fs::path path(m_files[i]);
        if (path.parent_path() == fs::path(currentFolder)) {
            texts[i] = path.filename().string();
            fixed[i] = true;
            continue;
        }
        texts[i] = Shortened(m_files[i], 0);
        while (texts[i] != m_files[i]) {
            const std::string longer = Shortened(m_files[i], keep[i] + 1);
            if (Characters(longer) > kShortPathLength) {
                break;
            }
            ++keep[i];
            texts[i] = longer;
        }
    }
    // Two files that shorten alike show more of their folders, up to their whole paths,
    // which always differ.
    for (bool changed = true; changed;) {
        changed = false;
        for (size_t i = 0; i < n; ++i) {
            for (size_t j = i + 1; j < n; ++j) {
                if (texts[i] != texts[j]) {
                    continue;
                }
                for (const size_t k : {i, j}) {
                    if (!fixed[k] && texts[k] != m_files[k]) {
                        texts[k] = Shortened(m_files[k], ++keep[k]);
                        changed = true;
                    }
                }
            }
        }
    }
    std::vector<std::string> captions(n);
    for (size_t i = 0; i < n; ++i) {
        char number[24];
        std::snprintf(number, sizeof number, "&%zu ", i + 1);
        std::string& caption = captions[i];
        caption = number;
        // An "&" in the name is shown as itself, not as a mnemonic.
        for (const char c : texts[i]) {
            caption += c;
            if (c == '&') {
                caption += '&';
            }
        }
    }
    return captions;
}

void RecentFileList::Save() const {
    std::vector<std::pair<std::string, std::string>> values;
    for (size_t i = 0; i < kRecentFileCount; ++i) {
        values.emplace_back(Key(i), i < m_files.size() ? m_files[i] : "");
    }
    Platform& platform = CurrentPlatform();
    if (!platform.WriteSettings(kSection, values)) {
        platform.MessageBox(kRecentFilesNotSaved, kWarningCaption, MessageIcon::Exclamation,
                            MessageButtons::Ok);
    }
}

}  // namespace marquetta
