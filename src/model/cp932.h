// Conversions between the drawing's CP932 byte strings and the UTF-8 and UTF-16 text
// of the outside world (dialogs, JSON, DXF files that declare UTF-8, archive strings
// stored as 16-bit characters).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace marquetta {

// Whether this system's iconv converts CP932 (a minimal system may lack it); asked of
// iconv once. Without it the conversions below still work for ASCII, and every other
// character becomes its replacement; the file readers refuse text that needs it.
bool Cp932Available();
// Makes the conversions behave as on a system without CP932 (tests), or as this one.
void SimulateMissingCp932(bool missing);
// The warning shown at start-up on a system without CP932.
extern const char* const kCp932MissingMessage;

// Characters that CP932 cannot hold become "?".
std::string Utf16LeToCp932(std::string_view utf16le);
std::string Utf8ToCp932(std::string_view utf8);
// Bytes that are not valid CP932 become U+FFFD.
std::string Cp932ToUtf8(std::string_view cp932);
// The characters of a UTF-8 text that CP932 cannot hold (as their UTF-8 bytes, or the
// offending byte where the text is not UTF-8), each once, in the order they first
// appear; empty when the whole text converts. What a dialog refuses, naming them,
// rather than store a "?" in the drawing.
std::vector<std::string> CharactersOutsideCp932(std::string_view utf8);
// Whether the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

}  // namespace marquetta
