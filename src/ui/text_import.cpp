#include "ui/text_import.h"

#include <algorithm>

#include "edit/command_state.h"
#include "edit/draw_commands.h"
#include "edit/editing_state.h"
#include "model/binary_file.h"
#include "model/cp932.h"
#include "model/layers.h"
#include "platform/platform.h"
#include "text/text_layout.h"

namespace marquetta {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// The lines stand this many text heights apart.
constexpr double kLineSpacing = 1.2;

// The end of the piece of a line that starts at `begin`: as many whole characters as
// fit in kImportedLinePiece bytes. A lead byte at the end of the line stands alone.
size_t PieceEnd(std::string_view text, size_t begin, size_t lineEnd) {
    size_t i = begin;
    while (i < lineEnd) {
        const size_t width =
            IsCp932LeadByte(static_cast<uint8_t>(text[i])) && i + 1 < lineEnd ? 2 : 1;
        if (i + width - begin > kImportedLinePiece) {
            break;
        }
        i += width;
    }
    return i;
}

}  // namespace

std::vector<ImportedLine> ReadTextLines(std::string_view bytes) {
    std::string converted;
    std::string_view text = bytes;
    if (IsValidUtf8(bytes)) {
        if (text.starts_with(kByteOrderMark)) {
            text.remove_prefix(kByteOrderMark.size());
        }
        converted = Utf8ToCp932(text);
        text = converted;
    }
    std::vector<ImportedLine> lines;
    size_t number = 0;
    size_t begin = 0;
    while (begin < text.size()) {
        const size_t lf = text.find('\n', begin);
        const size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
        size_t end = lf == std::string_view::npos ? text.size() : lf;
        if (end > begin && text[end - 1] == '\r') {
            --end;
        }
        if (end == begin) {
            ++number;  // a blank line leaves its gap
        }
        while (begin < end) {
            const size_t pieceEnd = PieceEnd(text, begin, end);
            lines.push_back({number++, std::string(text.substr(begin, pieceEnd - begin))});
            begin = pieceEnd;
        }
        begin = next;
    }
    return lines;
}

size_t AddImportedTexts(CZorader_ezDoc& doc, const std::vector<ImportedLine>& lines) {
    UndoStep step(doc.History(), StepKind::TextImport);
    const double height = lastTextHeight;
    const Float3 size{static_cast<float>(height), static_cast<float>(lastTextWidth),
                      static_cast<float>(lastTextAngle)};
    for (const ImportedLine& line : lines) {
        const Double3 at{0.0, 0.0, static_cast<double>(line.number) * height * kLineSpacing};
        AddDrawnShape(doc, SHAPE_TEXT, at, size, line.text);
    }
    doc.m_current.m_nType = SHAPE_NONE;
    return lines.size();
}

TextImportResult ImportTextFile(CZorader_ezDoc& doc, const std::string& path) {
    TextImportResult result;
    std::string bytes;
    BinaryReader reader;
    if (reader.Open(path) != FileError::None) {
        result.message = CannotOpenMessage(path);
        return result;
    }
    try {
        bytes.resize(reader.Size());
        reader.Read(bytes.data(), bytes.size());
    } catch (const FileFailure&) {
        result.message = CannotOpenMessage(path);
        return result;
    }
    result.opened = true;
    // Without the converter every Japanese character would become "?": such a file is
    // refused, as the drawing readers refuse theirs.
    const bool ascii = std::none_of(bytes.begin(), bytes.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (!ascii && !Cp932Available() && IsValidUtf8(bytes)) {
        result.message = CommandMessage{MakeFileResult(FileError::NoCp932, path).message,
                                        kWarningCaption, MessageIcon::Exclamation};
        return result;
    }
    // Characters the drawing cannot hold would become "?": the user decides, knowing
    // which.
    if (!ascii && IsValidUtf8(bytes)) {
        std::string_view text = bytes;
        if (text.starts_with(kByteOrderMark)) {
            text.remove_prefix(kByteOrderMark.size());
        }
        const std::vector<std::string> outside = CharactersOutsideCp932(text);
        if (!outside.empty() &&
            CurrentPlatform().MessageBox(ReplacedCharactersQuestion(outside), kWarningCaption,
                                         MessageIcon::Exclamation,
                                         MessageButtons::YesNo) != MessageAnswer::Yes) {
            result.declined = true;
            return result;
        }
    }
    result.textsMade = AddImportedTexts(doc, ReadTextLines(bytes));
    return result;
}

std::string ReplacedCharactersQuestion(const std::vector<std::string>& characters) {
    std::string list;
    size_t shown = 0;
    for (const std::string& character : characters) {
        if (shown++ == kNamedCharacters) {
            list += "…";
            break;
        }
        list += character;
    }
    return "「" + list + "」は図面に保存できない文字です。「?」に置き換えて読み込みますか？";
}

void RunTextImport(CZorader_ezDoc& doc) {
    Platform& platform = CurrentPlatform();
    FileDialogRequest request;
    request.filter = kTextImportFilter;
    request.initialName = kTextImportInitialName;
    // Starts where the user works, like the program's other file dialogs.
    const std::optional<std::string> path =
        AskFileNameFrom(platform, request, doc.GetPathName());
    if (!path) {
        return;
    }
    UndoStep step(doc.History(), StepKind::TextImport);
    // No command is left half done under the new texts.
    CancelCommand(doc);
    const TextImportResult result = ImportTextFile(doc, *path);
    if (!result.message.empty()) {
        platform.MessageBox(result.message.text, result.message.caption, result.message.icon,
                            MessageButtons::Ok);
    }
    if (result.textsMade > 0) {
        g_displayListValid = 0;
        platform.InvalidateView();
    }
}

}  // namespace marquetta
