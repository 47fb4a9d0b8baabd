#include "platform/platform.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <utility>

#include "text/print_pen.h"

namespace marquetta {

namespace {
HeadlessPlatform& FallbackPlatform() {
    static HeadlessPlatform fallback;
    return fallback;
}

Platform* g_currentPlatform = nullptr;

class RecordingPen : public PrintPen {
  public:
    explicit RecordingPen(std::vector<PenStep>& steps) : steps_(steps) {}
    void MoveTo(int x, int y) override { steps_.push_back({false, x, y}); }
    void LineTo(int x, int y) override { steps_.push_back({true, x, y}); }

  private:
    std::vector<PenStep>& steps_;
};
}  // namespace

Platform& CurrentPlatform() {
    return g_currentPlatform != nullptr ? *g_currentPlatform : FallbackPlatform();
}

void SetCurrentPlatform(Platform* platform) {
    g_currentPlatform = platform;
}

ScopedPlatform::ScopedPlatform(Platform& platform) : previous_(g_currentPlatform) {
    g_currentPlatform = &platform;
}

ScopedPlatform::~ScopedPlatform() {
    g_currentPlatform = previous_;
}

namespace {
constexpr const char* kFolderSection = "Settings";
constexpr const char* kFolderKey = "FileDialogFolder";

std::string FolderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    const passwd* user = ::getpwuid(::getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "/";
}
}  // namespace

std::string FileDialogFolder(Platform& platform, const std::string& drawingPath) {
    if (!drawingPath.empty()) {
        return FolderOf(drawingPath);
    }
    std::string last = platform.ReadSetting(kFolderSection, kFolderKey);
    return last.empty() ? HomeFolder() : last;
}

std::optional<std::string> AskFileNameFrom(Platform& platform, FileDialogRequest request,
                                           const std::string& drawingPath) {
    if (request.folder.empty()) {
        request.folder = FileDialogFolder(platform, drawingPath);
    }
    std::optional<std::string> path = platform.AskFileName(request);
    if (path) {
        platform.WriteSetting(kFolderSection, kFolderKey, FolderOf(*path));
    }
    return path;
}

MessageAnswer DefaultAnswer(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel:
            return MessageAnswer::Yes;
        case MessageButtons::Ok:
        case MessageButtons::OkCancel:
            break;
    }
    return MessageAnswer::Ok;
}

PlatformCall& HeadlessPlatform::Record(PlatformCall::Kind kind) {
    calls_.emplace_back();
    calls_.back().kind = kind;
    return calls_.back();
}

MessageAnswer HeadlessPlatform::MessageBox(std::string_view text, std::string_view caption,
                                           MessageIcon icon, MessageButtons buttons) {
    MessageAnswer answer = DefaultAnswer(buttons);
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    PlatformCall& call = Record(PlatformCall::Kind::MessageBox);
    call.text = text;
    call.caption = caption;
    call.icon = icon;
    call.buttons = buttons;
    call.answer = answer;
    return answer;
}

void HeadlessPlatform::Beep(BeepKind kind) {
    PlatformCall& call = Record(PlatformCall::Kind::Beep);
    call.beep = kind;
}

void HeadlessPlatform::SetPrompt(std::string_view text) {
    prompt_ = text;
    PlatformCall& call = Record(PlatformCall::Kind::SetPrompt);
    call.text = text;
}

void HeadlessPlatform::TerminateProcess() {
    Record(PlatformCall::Kind::TerminateProcess);
    throw HeadlessTermination{};
}

std::optional<std::string> HeadlessPlatform::AskFileName(const FileDialogRequest& request) {
    PlatformCall& call = Record(PlatformCall::Kind::AskFileName);
    call.fileDialog = request;
    if (fileNames_.empty()) {
        return std::nullopt;
    }
    std::optional<std::string> answer = std::move(fileNames_.front());
    fileNames_.pop_front();
    return answer;
}

std::string HeadlessPlatform::ReadSetting(std::string_view section, std::string_view key) {
    const auto it = settings_.find(std::string(section) + "/" + std::string(key));
    return it == settings_.end() ? std::string() : it->second;
}

bool HeadlessPlatform::WriteSettings(
    std::string_view section, const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [key, value] : values) {
        settings_[std::string(section) + "/" + key] = value;
    }
    return true;
}

void HeadlessPlatform::CloseMainWindow() {
    Record(PlatformCall::Kind::CloseMainWindow);
    mainWindowClosed_ = true;
}

bool HeadlessPlatform::RunDialog(DialogModel& model) {
    PlatformCall& call = Record(PlatformCall::Kind::RunDialog);
    call.caption = model.Title();
    call.dialogFields = model.Fields();
    while (!dialogs_.empty()) {
        DialogInput input = std::move(dialogs_.front());
        dialogs_.pop_front();
        for (const size_t button : input.buttons) {
            model.PressButton(button);
        }
        if (!input.ok) {
            return false;
        }
        std::vector<DialogField>& fields = model.Fields();
        for (size_t i = 0; i < input.fields.size() && i < fields.size(); ++i) {
            fields[i].text = input.fields[i];
        }
        const std::optional<DialogRefusal> refusal = model.Validate();
        if (!refusal) {
            return true;
        }
        MessageBox(refusal->message, "Marquetta", MessageIcon::Exclamation, MessageButtons::Ok);
    }
    return false;
}

bool HeadlessPlatform::RunListDialog(ListDialogModel& model) {
    PlatformCall& call = Record(PlatformCall::Kind::RunListDialog);
    call.caption = model.Title();
    call.listItems = model.Items();
    if (listDialogs_.empty()) {
        return false;
    }
    const ListDialogInput input = std::move(listDialogs_.front());
    listDialogs_.pop_front();
    for (const ListStep& step : input.steps) {
        if (step.button >= 0) {
            model.PressButton(static_cast<size_t>(step.button), step.item);
        } else if (step.doubleClick) {
            model.DoubleClick(step.item);
        } else {
            model.Click(step.item);
        }
    }
    return input.ok;
}

std::optional<RgbColor> HeadlessPlatform::ChooseColor(RgbColor initial) {
    PlatformCall& call = Record(PlatformCall::Kind::ChooseColor);
    call.color = initial;
    if (colors_.empty()) {
        return std::nullopt;
    }
    const std::optional<RgbColor> answer = colors_.front();
    colors_.pop_front();
    return answer;
}

void HeadlessPlatform::SetCursor(CursorShape shape) {
    PlatformCall& call = Record(PlatformCall::Kind::SetCursor);
    call.cursor = shape;
    cursor_ = shape;
}

void HeadlessPlatform::CaptureMouse() {
    Record(PlatformCall::Kind::CaptureMouse);
    captured_ = true;
}

void HeadlessPlatform::ReleaseMouse() {
    Record(PlatformCall::Kind::ReleaseMouse);
    captured_ = false;
}

bool HeadlessPlatform::OpenWithDesktop(const std::string& path, ProgramEnded ended) {
    PlatformCall& call = Record(PlatformCall::Kind::OpenWithDesktop);
    call.text = path;
    if (openResult_) {
        running_.push_back(std::move(ended));
    }
    return openResult_;
}

PrintResult HeadlessPlatform::PrintPage(bool askFirst, const PageDrawing& drawPage) {
    PrintResult result = PrintResult::Printed;
    if (!printResults_.empty()) {
        result = printResults_.front();
        printResults_.pop_front();
    }
    PlatformCall& call = Record(PlatformCall::Kind::PrintPage);
    call.askFirst = askFirst;
    call.printResult = result;
    if (result == PrintResult::Printed) {
        page_.clear();
        RecordingPen pen(page_);
        drawPage(pen);
    }
    return result;
}

int HeadlessPlatform::PreviewPage(int pages, const PageDrawing& drawPage) {
    PlatformCall& call = Record(PlatformCall::Kind::PreviewPage);
    call.previewPages = pages;
    page_.clear();
    RecordingPen pen(page_);
    drawPage(pen);
    return previewAnswer_.value_or(pages);
}

void HeadlessPlatform::PrinterSetup() {
    Record(PlatformCall::Kind::PrinterSetup);
    if (!setups_.empty()) {
        paper_ = setups_.front();
        setups_.pop_front();
    }
}

bool HeadlessPlatform::StartProgram(const ProgramLaunch& launch, ProgramEnded ended) {
    PlatformCall& call = Record(PlatformCall::Kind::StartProgram);
    call.launch = launch;
    if (startResult_) {
        running_.push_back(std::move(ended));
    }
    return startResult_;
}

bool HeadlessPlatform::FinishProgram(const ProgramEnd& end) {
    if (running_.empty()) {
        return false;
    }
    const ProgramEnded ended = std::move(running_.front());
    running_.pop_front();
    if (ended) {
        ended(end);
    }
    return true;
}

bool HeadlessPlatform::ShowPicture(const std::string& path) {
    PlatformCall& call = Record(PlatformCall::Kind::ShowPicture);
    call.text = path;
    return pictureResult_;
}

std::optional<std::string> HeadlessPlatform::ReadClipboard(std::string_view mimeType) {
    for (const ClipboardForm& form : clipboard_) {
        if (form.mimeType == mimeType) {
            return form.bytes;
        }
    }
    return std::nullopt;
}

void HeadlessPlatform::InvalidateView() {
    Record(PlatformCall::Kind::InvalidateView);
}

std::vector<PlatformCall> HeadlessPlatform::CallsOf(PlatformCall::Kind kind) const {
    std::vector<PlatformCall> result;
    for (const PlatformCall& call : calls_) {
        if (call.kind == kind) {
            result.push_back(call);
        }
    }
    return result;
}

}  // namespace marquetta
