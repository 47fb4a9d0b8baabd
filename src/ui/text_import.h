// Importing a plain text file as text shapes (the 9 key): one text per line that holds
// anything, the lines one under the other from the origin towards +Z, 1.2 text heights
// apart, in the current text height, width and angle, on layer "0". Blank lines leave
// their gap.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/command_message.h"
#include "model/document.h"

namespace marquetta {

// The open dialog: the text files, shown as "*.txt" at first; no default extension.
inline constexpr const char* kTextImportFilter = "TEXTファイル(*.txt)|*.txt||";
inline constexpr const char* kTextImportInitialName = "*.txt";

// A longer line is taken in pieces of at most this many bytes, each a line of its own.
inline constexpr size_t kImportedLinePiece = 255;

// One text to be made: its line number (from 0, counting blank lines and every piece
// of a long line) and its CP932 bytes.
struct ImportedLine {
    size_t number = 0;
    std::string text;
    bool operator==(const ImportedLine&) const = default;
};

// The texts of a whole file's bytes. A line ends at LF, with a CR before it (or at the
// end of the file) dropped; the last line needs no line end. A file that is valid UTF-8
// (a byte-order mark is dropped) is converted to CP932, a character CP932 lacks
// becoming "?" (ImportTextFile asks first); any other file is taken byte for byte as
// CP932. Pieces of long lines never split a two-byte character.
std::vector<ImportedLine> ReadTextLines(std::string_view bytes);

// Makes the texts through the document's template and leaves no draw command behind.
// The number of texts made.
size_t AddImportedTexts(CZorader_ezDoc& doc, const std::vector<ImportedLine>& lines);

struct TextImportResult {
    bool opened = false;
    // The user chose not to import a file with characters the drawing cannot hold.
    bool declined = false;
    size_t textsMade = 0;
    // "%s が開けません" when the file could not be read; the CP932 message for UTF-8
    // text on a system without the converter.
    CommandMessage message;
};

// Reads the file and makes its texts; a file that cannot be read changes nothing. A
// UTF-8 file with characters CP932 cannot hold is imported with "?" in their place only
// when the user answers Yes to ReplacedCharactersQuestion.
TextImportResult ImportTextFile(CZorader_ezDoc& doc, const std::string& path);

// The question naming those characters (UTF-8), the first kNamedCharacters of them.
inline constexpr size_t kNamedCharacters = 20;
std::string ReplacedCharactersQuestion(const std::vector<std::string>& characters);

// The key's command: the open dialog; unless it is cancelled, the running command is
// cancelled, the file imported, and a file that cannot be read reported.
void RunTextImport(CZorader_ezDoc& doc);

}  // namespace marquetta
