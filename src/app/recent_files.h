// The recent-file list of the File menu: four entries, most recent first, kept in the
// user's settings under "Recent File List" as "File1" to "File4".
#pragma once

#include <string>
#include <vector>

namespace marquetta {

// Told when the list cannot be written to the settings (a full or failing disk); the
// settings file is then as it was.
inline constexpr const char* kRecentFilesNotSaved = "最近使ったﾌｧｲﾙの一覧を保存できません。";

class RecentFileList {
public:
    // Reads the list from the platform's settings.
    void Load();
    // Puts `path` first (moving it if it is there already) and saves the list; a list
    // that cannot be saved is kept for this run and the user is told.
    void Add(const std::string& path);
    void Remove(const std::string& path);
    const std::vector<std::string>& Files() const { return m_files; }
    // The menu captions, "&1 plan.trn" ("&&" for an "&"): the name alone for a file
    // in `currentFolder`, otherwise the path shortened in the middle to a readable
    // length, never the same text for two files.
    std::vector<std::string> Captions(const std::string& currentFolder) const;

private:
    void Save() const;
    std::vector<std::string> m_files;
};

}  // namespace marquetta
