// What an exchange command asks the desktop to show when it ends: a message box text,
// its caption and its icon, exactly as the user sees them. An empty text means no
// message box at all.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace marquetta {

// Caption of the program's own warnings.
inline constexpr const char* kWarningCaption = "ワーニング";
// Caption of the messages the file layer raises while reading a drawing file.
inline constexpr const char* kApplicationCaption = "Marquetta";

struct CommandMessage {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;

    bool empty() const { return text.empty(); }
};

// "%s が開けません" with the full path, as a warning.
CommandMessage CannotOpenMessage(std::string_view path);

}  // namespace marquetta
