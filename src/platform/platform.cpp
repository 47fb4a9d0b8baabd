#include "platform/platform.h"

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

MessageAnswer HeadlessPlatform::MessageBox(std::string_view text, std::string_view caption,
                                           MessageIcon icon, MessageButtons buttons) {
    MessageAnswer answer = DefaultAnswer(buttons);
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    PlatformCall call;
    call.kind = PlatformCall::Kind::MessageBox;
    call.text = text;
    call.caption = caption;
    call.icon = icon;
    call.buttons = buttons;
    call.answer = answer;
    calls_.push_back(std::move(call));
    return answer;
}

void HeadlessPlatform::Beep(BeepKind kind) {
    PlatformCall call;
    call.kind = PlatformCall::Kind::Beep;
    call.beep = kind;
    calls_.push_back(std::move(call));
}

void HeadlessPlatform::SetPrompt(std::string_view text) {
    prompt_ = text;
    PlatformCall call;
    call.kind = PlatformCall::Kind::SetPrompt;
    call.text = text;
    calls_.push_back(std::move(call));
}

void HeadlessPlatform::TerminateProcess() {
    PlatformCall call;
    call.kind = PlatformCall::Kind::TerminateProcess;
    calls_.push_back(call);
    throw HeadlessTermination{};
}

std::optional<std::string> HeadlessPlatform::AskFileName(const FileDialogRequest& request) {
    PlatformCall call;
    call.kind = PlatformCall::Kind::AskFileName;
    call.fileDialog = request;
    calls_.push_back(std::move(call));
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

void HeadlessPlatform::WriteSetting(std::string_view section, std::string_view key,
                                    std::string_view value) {
    settings_[std::string(section) + "/" + std::string(key)] = value;
}

void HeadlessPlatform::CloseMainWindow() {
    PlatformCall call;
    call.kind = PlatformCall::Kind::CloseMainWindow;
    calls_.push_back(std::move(call));
    mainWindowClosed_ = true;
}

bool HeadlessPlatform::RunDialog(DialogModel& model) {
    PlatformCall call;
    call.kind = PlatformCall::Kind::RunDialog;
    call.caption = model.Title();
    call.dialogFields = model.Fields();
    calls_.push_back(std::move(call));
    while (!dialogs_.empty()) {
        DialogInput input = std::move(dialogs_.front());
        dialogs_.pop_front();
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

void HeadlessPlatform::SetCursor(CursorShape shape) {
    PlatformCall call;
    call.kind = PlatformCall::Kind::SetCursor;
    call.cursor = shape;
    calls_.push_back(std::move(call));
    cursor_ = shape;
}

void HeadlessPlatform::CaptureMouse() {
    PlatformCall call;
    call.kind = PlatformCall::Kind::CaptureMouse;
    calls_.push_back(std::move(call));
    captured_ = true;
}

void HeadlessPlatform::ReleaseMouse() {
    PlatformCall call;
    call.kind = PlatformCall::Kind::ReleaseMouse;
    calls_.push_back(std::move(call));
    captured_ = false;
}

bool HeadlessPlatform::OpenWithDesktop(const std::string& path) {
    PlatformCall call;
    call.kind = PlatformCall::Kind::OpenWithDesktop;
    call.text = path;
    calls_.push_back(std::move(call));
    return openResult_;
}

PrintResult HeadlessPlatform::PrintPage(bool askFirst, const PageDrawing& drawPage) {
    PrintResult result = PrintResult::Printed;
    if (!printResults_.empty()) {
        result = printResults_.front();
        printResults_.pop_front();
    }
    PlatformCall call;
    call.kind = PlatformCall::Kind::PrintPage;
    call.askFirst = askFirst;
    call.printResult = result;
    calls_.push_back(std::move(call));
    if (result == PrintResult::Printed) {
        page_.clear();
        RecordingPen pen(page_);
        drawPage(pen);
    }
    return result;
}

int HeadlessPlatform::PreviewPage(int pages, const PageDrawing& drawPage) {
    PlatformCall call;
    call.kind = PlatformCall::Kind::PreviewPage;
    call.previewPages = pages;
    calls_.push_back(std::move(call));
    page_.clear();
    RecordingPen pen(page_);
    drawPage(pen);
    return previewAnswer_.value_or(pages);
}

void HeadlessPlatform::PrinterSetup() {
    PlatformCall call;
    call.kind = PlatformCall::Kind::PrinterSetup;
    calls_.push_back(std::move(call));
    if (!setups_.empty()) {
        paper_ = setups_.front();
        setups_.pop_front();
    }
}

void HeadlessPlatform::InvalidateView() {
    PlatformCall call;
    call.kind = PlatformCall::Kind::InvalidateView;
    calls_.push_back(std::move(call));
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
