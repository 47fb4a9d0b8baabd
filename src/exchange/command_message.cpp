#include "exchange/command_message.h"

namespace marquetta {

CommandMessage CannotOpenMessage(std::string_view path) {
    std::string text(path);
    text += " が開けません";
    return CommandMessage{std::move(text), kWarningCaption, MessageIcon::Exclamation};
}

}  // namespace marquetta
