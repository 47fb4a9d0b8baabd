// The strings of a DXF file as the drawing keeps them (CP932): the file's encoding
// (UTF-8 from release AC1021 on, otherwise the code page that $DWGCODEPAGE names),
// the control codes of texts (%%d, %%p, %%c, %%%, %%nnn, \U+XXXX, \M+1XXXX) and the
// formatting codes of multi-line texts (MTEXT), which are removed, one line per \P.
//
// Every conversion counts the characters that CP932 cannot hold: they become "?".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace marquetta::dxf {

class TextDecoder {
  public:
    TextDecoder() = default;
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    // From the header: the release ("AC1021" and later write UTF-8) and the code page
    // of an older file ("ANSI_1252"; "ANSI_932", an unknown one or none: CP932 bytes
    // taken as they are).
    void SetRelease(std::string_view acadver);
    void SetCodePage(std::string_view dwgcodepage);

    // Whether a name or text needs no conversion at all (plain ASCII, or a CP932 file).
    bool TakenAsItIs(std::string_view raw) const;
    // A layer or block name in CP932. Adds the characters lost to `lost`. Throws
    // FileFailure{NoCp932} when the text needs the converter this system lacks.
    std::string Name(std::string_view raw, int& lost) const;
    // A text string (TEXT, ATTRIB) with its control codes decoded, in CP932.
    std::string Text(std::string_view raw, int& lost) const;
    // The lines of an MTEXT string with its formatting removed, in CP932. A line that
    // ends empty is kept (it leaves its gap).
    std::vector<std::string> MTextLines(std::string_view raw, int& lost) const;

  private:
    // The text in the encoding it is worked on: UTF-8 for UTF-8 files and converted
    // code pages, CP932 bytes otherwise.
    bool WorkInUtf8() const { return m_utf8 || m_iconv != nullptr; }
    std::string ToWorking(std::string_view raw) const;
    std::string ToDrawing(std::string working, int& lost) const;

    bool m_utf8 = false;
    void* m_iconv = nullptr;  // iconv_t from the code page to UTF-8, or none
};

}  // namespace marquetta::dxf
