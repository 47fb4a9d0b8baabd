#include "app/screenshot_steps.h"

#include <charconv>

namespace marquetta {

namespace {

bool ParseNumber(std::string_view text, double& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool ParseInt(std::string_view text, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool ParsePoint(std::string_view text, double& x, double& y) {
    const size_t comma = text.find(',');
    return comma != std::string_view::npos && ParseNumber(text.substr(0, comma), x) &&
           ParseNumber(text.substr(comma + 1), y);
}

std::optional<ScreenshotStep> ParseStep(std::string_view step) {
    const size_t colon = step.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view name = step.substr(0, colon);
    const std::string_view value = step.substr(colon + 1);
    ScreenshotStep parsed;
    using Kind = ScreenshotStep::Kind;
    bool ok = false;
    if (name == "cmd") {
        parsed.kind = Kind::Command;
        ok = ParseInt(value, parsed.number);
    } else if (name == "click" || name == "rclick" || name == "move") {
        parsed.kind = name == "click"    ? Kind::Click
                      : name == "rclick" ? Kind::RightClick
                                         : Kind::Move;
        ok = ParsePoint(value, parsed.x, parsed.y);
    } else if (name == "wheel") {
        parsed.kind = Kind::Wheel;
        ok = ParseInt(value, parsed.number);
    } else if (name == "type") {
        parsed.kind = Kind::Type;
        parsed.text = value;
        ok = !value.empty();
    } else if (name == "key") {
        parsed.kind = Kind::Key;
        parsed.text = value;
        ok = value == "Return" || value == "Escape";
    } else if (name == "row") {
        parsed.kind = Kind::OpenRow;
        ok = ParseInt(value, parsed.number) && parsed.number >= 0;
    }
    return ok ? std::optional(parsed) : std::nullopt;
}

}  // namespace

std::optional<std::vector<ScreenshotStep>> ParseScreenshotSteps(std::string_view steps,
                                                                std::string& error) {
    std::vector<ScreenshotStep> parsed;
    while (!steps.empty()) {
        const size_t end = steps.find(';');
        const std::string_view step = steps.substr(0, end);
        steps = end == std::string_view::npos ? std::string_view() : steps.substr(end + 1);
        if (step.empty()) {
            continue;
        }
        std::optional<ScreenshotStep> one = ParseStep(step);
        if (!one) {
            error = "unknown or incomplete step \"" + std::string(step) + "\"";
            return std::nullopt;
        }
        parsed.push_back(std::move(*one));
    }
    return parsed;
}

}  // namespace marquetta
