// Conversions between the drawing's CP932 byte strings and the UTF-8 and UTF-16 text
// of the outside world (dialogs, JSON, DXF files that declare UTF-8, archive strings
// stored as 16-bit characters).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace marquetta {

// Characters that CP932 cannot hold become "?".
std::string Utf16LeToCp932(std::string_view utf16le);
std::string Utf8ToCp932(std::string_view utf8);
// Bytes that are not valid CP932 become U+FFFD.
std::string Cp932ToUtf8(std::string_view cp932);
// The first character of a UTF-8 text that CP932 cannot hold (as its UTF-8 bytes, or
// the offending byte where the text is not UTF-8), or nothing when the whole text
// converts: what a dialog refuses rather than store a "?" in the drawing.
std::optional<std::string> FirstCharacterNotInCp932(std::string_view utf8);
// Whether the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

}  // namespace marquetta
