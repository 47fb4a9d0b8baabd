#include "ui/help.h"

#include <system_error>

#include "exchange/command_message.h"
#include "exchange/render_command.h"
#include "platform/platform.h"

// The build defines MARQUETTA_VERSION, MARQUETTA_MANUAL_SOURCE (the manual's folder in
// the source tree) and MARQUETTA_MANUAL_FROM_PROGRAM (the installed manual's folder,
// relative to the installed program's).

namespace marquetta {

namespace {

constexpr const char* kManualFirstPage = "index.html";
// Lines of what a failed opener said that the message shows.
constexpr size_t kOpenerOutputLines = 4;

bool IsFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The folder of the running program, empty when the system does not say.
std::filesystem::path ProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
}

}  // namespace

std::string HelpFilePath() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    if (error) {
        return {};
    }
    return (folder / kHelpFileName).string();
}

std::string FindManual(const std::filesystem::path& programFolder,
                       const std::filesystem::path& sourceManualFolder) {
    for (const std::filesystem::path& folder :
         {programFolder.empty() ? std::filesystem::path()
                                : programFolder / MARQUETTA_MANUAL_FROM_PROGRAM,
          sourceManualFolder}) {
        if (folder.empty()) {
            continue;
        }
        const std::filesystem::path page = folder / kManualFirstPage;
        if (IsFile(page)) {
            // The browser is told a plain absolute path, without "..".
            std::error_code error;
            const std::filesystem::path plain = std::filesystem::canonical(page, error);
            return (error ? page : plain).string();
        }
    }
    return {};
}

std::string ManualIndexPath() {
    return FindManual(ProgramFolder(), MARQUETTA_MANUAL_SOURCE);
}

void OpenHelp() {
    const std::string helpFile = HelpFilePath();
    if (!helpFile.empty() && IsFile(helpFile)) {
        // The answer is not needed: a file the desktop cannot open fails silently.
        CurrentPlatform().OpenWithDesktop(helpFile, nullptr);
        return;
    }
    Platform& platform = CurrentPlatform();
    const std::string manual = ManualIndexPath();
    if (manual.empty()) {
        platform.MessageBox("マニュアルが見つかりません。\nインストールし直してください。",
                            kApplicationCaption, MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    // The opener answers later (the program goes on meanwhile): a browser that cannot be
    // started is told then, with what the opener said.
    auto cannotOpen = [manual](const std::string& said) {
        std::string text = "マニュアルをブラウザで開けませんでした。\n" + manual +
                           "\nをブラウザで開いてください。";
        if (!said.empty()) {
            text += "\n\n" + said;
        }
        CurrentPlatform().MessageBox(text, kApplicationCaption, MessageIcon::Exclamation,
                                     MessageButtons::Ok);
    };
    if (!platform.OpenWithDesktop(manual, [cannotOpen](const ProgramEnd& end) {
            if (!end.ok()) {
                cannotOpen(LastLines(end.output, kOpenerOutputLines));
            }
        })) {
        cannotOpen(std::string());
    }
}

const char* ProgramVersion() {
    return MARQUETTA_VERSION;
}

std::string AboutText() {
    const std::string manual = ManualIndexPath();
    return std::string("Marquetta バージョン ") + ProgramVersion() +
           "\n図面を描き、DXF と POV-Ray で交換する作図プログラム\n"
           "マニュアル: " +
           (manual.empty() ? std::string("見つかりません") : manual) +
           "\nCopyright (C) 2026 The Marquetta developers\nGPL-2.0-or-later";
}

}  // namespace marquetta
