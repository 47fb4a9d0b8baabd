#include "platform/platform.h"

#include <utility>

namespace marquetta {

namespace {
HeadlessPlatform& FallbackPlatform() {
    static HeadlessPlatform fallback;
    return fallback;
}

Platform* g_currentPlatform = nullptr;
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
