#include "ui/help.h"

#include <filesystem>
#include <system_error>

#include "platform/platform.h"

namespace marquetta {

std::string HelpFilePath() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    if (error) {
        return {};
    }
    return (folder / kHelpFileName).string();
}

void OpenHelp() {
    const std::string path = HelpFilePath();
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) {
        return;
    }
    // The answer is not needed: a file the desktop cannot open fails silently.
    CurrentPlatform().OpenWithDesktop(path);
}

}  // namespace marquetta
