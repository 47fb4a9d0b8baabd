// The recent-file list of the File menu: four entries, most recent first, kept in the
// user's settings under "Recent File List" as "File1" to "File4".
#pragma once

#include <string>
#include <vector>

namespace marquetta {

class RecentFileList {
public:
    // Reads the list from the platform's settings.
    void Load();
    // Puts `path` first (moving it if it is there already) and saves the list.
    void Add(const std::string& path);
    void Remove(const std::string& path);
    const std::vector<std::string>& Files() const { return m_files; }
    // The menu caption of entry `index`: "&1 plan.trn" ("&&" for an "&" in the name).
    std::string Caption(size_t index) const;

private:
    void Save() const;
    std::vector<std::string> m_files;
};

}  // namespace marquetta
