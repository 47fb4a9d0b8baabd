#include "app/recent_files.h"

#include <algorithm>

#include "app/command_table.h"
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

std::string RecentFileList::Caption(size_t index) const {
    const std::string& path = m_files.at(index);
    const size_t slash = path.find_last_of('/');
    std::string caption = "&" + std::to_string(index + 1) + " ";
    // An "&" in the name is shown as itself, not as a mnemonic.
    for (const char c : slash == std::string::npos ? path : path.substr(slash + 1)) {
        caption += c;
        if (c == '&') {
            caption += '&';
        }
    }
    return caption;
}

void RecentFileList::Save() const {
    for (size_t i = 0; i < kRecentFileCount; ++i) {
        CurrentPlatform().WriteSetting(kSection, Key(i), i < m_files.size() ? m_files[i] : "");
    }
}

}  // namespace marquetta
