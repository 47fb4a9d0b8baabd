#include "exchange/render_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "exchange/command_message.h"
#include "exchange/pov_scene.h"
#include "platform/platform.h"
#include "view/camera.h"

namespace marquetta {

std::string g_rendererPath;

namespace {

// A renderer started by the render command has not ended yet.
bool renderRunning = false;

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

bool IsBlankLine(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

void Warn(const std::string& text) {
    CurrentPlatform().MessageBox(text, kWarningCaption, MessageIcon::Exclamation,
                                 MessageButtons::Ok);
}

std::string CurrentFolder() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::string(".") : folder.string();
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Takes away the picture of an earlier render, so that only a picture this render
// writes can be shown; an error text when it stays.
std::string RemoveEarlierPicture(const std::string& picture) {
    if (::unlink(picture.c_str()) == 0 || errno == ENOENT) {
        return std::string();
    }
    return "以前の画像 " + picture + " を削除できないため、レンダリングできません（" +
           std::strerror(errno) + "）";
}

// The headline, and the last lines the renderer wrote when there are any.
std::string WithLastLines(std::string headline, const ProgramEnd& end) {
    const std::string lines = LastLines(end.output, kRendererOutputLines);
    if (!lines.empty()) {
        headline += "\n\n";
        headline += lines;
    }
    return headline;
}

// After the renderer has ended: its picture, or what it said when it failed. The
// picture was removed before the start, so one that is there now is new.
void RendererEnded(const ProgramEnd& end, const std::string& picture) {
    renderRunning = false;
    CurrentPlatform().InvalidateView();  // the status line
    if (end.ok()) {
        if (!IsRegularFile(picture)) {
            Warn(WithLastLines("POV-Ray は終了しましたが、画像 " + picture +
                                   " を書き出していません",
                               end));
        } else if (!CurrentPlatform().ShowPicture(picture)) {
            Warn(CannotOpenMessage(picture).text);
        }
        return;
    }
    char headline[128];
    std::snprintf(headline, sizeof headline,
                  end.exited ? "POV-Ray がエラーで終了しました（終了コード %d）"
                             : "POV-Ray が異常終了しました（シグナル %d）",
                  end.status);
    Warn(WithLastLines(headline, end));
}

}  // namespace

std::string FindProgramOnPath(std::string_view pathValue, const std::string& name) {
    size_t start = 0;
    while (start <= pathValue.size()) {
        size_t end = pathValue.find(':', start);
        if (end == std::string_view::npos) {
            end = pathValue.size();
        }
        const std::string folder(pathValue.substr(start, end - start));
        const std::filesystem::path candidate =
            std::filesystem::path(folder.empty() ? "." : folder) / name;
        if (IsExecutableFile(candidate.string())) {
            std::error_code error;
            const std::filesystem::path absolute = std::filesystem::absolute(candidate, error);
            return (error ? candidate : absolute).lexically_normal().string();
        }
        start = end + 1;
    }
    return std::string();
}

void InitRendererDefaults() {
    const char* path = std::getenv("PATH");
    g_rendererPath = path != nullptr ? FindProgramOnPath(path, kRendererName) : std::string();
    renderRunning = false;
}

bool RenderRunning() {
    return renderRunning;
}

std::vector<std::string> RendererArguments() {
    char width[32];
    char height[32];
    std::snprintf(width, sizeof width, "+W%d", static_cast<int>(g_viewWidth));
    std::snprintf(height, sizeof height, "+H%d", static_cast<int>(g_viewHeight));
    return {std::string("+I") + kSceneFileName, std::string("+O") + kPictureFileName, "+FN",
            width, height};
}

std::string LastLines(std::string_view output, size_t count) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i <= output.size(); ++i) {
        if (i == output.size() || output[i] == '\n' || output[i] == '\r') {
            const std::string_view line = output.substr(start, i - start);
            if (!IsBlankLine(line)) {
                lines.push_back(line);
            }
            start = i + 1;
        }
    }
    const size_t first = lines.size() > count ? lines.size() - count : 0;
    std::string text;
    for (size_t i = first; i < lines.size(); ++i) {
        if (!text.empty()) {
            text += '\n';
        }
        text += lines[i];
    }
    return text;
}

void RenderDrawing(const CZorader_ezDoc& doc) {
    // A second renderer would write the same picture, and the scene it reads would be
    // rewritten under the first.
    if (renderRunning) {
        Warn("POV-Ray がレンダリング中です。終わってからもう一度レンダリングしてください。");
        return;
    }
    const std::string folder = CurrentFolder();
    const std::string scene = (std::filesystem::path(folder) / kSceneFileName).string();
    // The scene is the program's own scratch file: a link named like it is replaced,
    // so that no file it points to is overwritten.
    const FileResult written = WritePovScene(doc, scene, SaveTarget::ScratchFile);
    if (!written.ok()) {
        Warn(written.message);
        return;
    }
    if (g_rendererPath.empty()) {
        Warn("POV-Ray（" + std::string(kRendererName) +
             "）が見つからないため、レンダリングできません。シーンは " + scene +
             " に書き出しました。");
        return;
    }
    const std::string picture = (std::filesystem::path(folder) / kPictureFileName).string();
    if (const std::string error = RemoveEarlierPicture(picture); !error.empty()) {
        Warn(error);
        return;
    }
    const ProgramLaunch launch{g_rendererPath, RendererArguments(), folder};
    // Running from here on: a platform may report the end before StartProgram returns.
    renderRunning = true;
    if (!CurrentPlatform().StartProgram(
            launch, [picture](const ProgramEnd& end) { RendererEnded(end, picture); })) {
        renderRunning = false;
        Warn(g_rendererPath + " を起動できません");
        return;
    }
    CurrentPlatform().InvalidateView();  // the status line
}

}  // namespace marquetta
