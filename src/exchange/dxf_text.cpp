#include "exchange/dxf_text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "model/cp932.h"
#include "model/binary_file.h"
#include "text/text_layout.h"

namespace marquetta::dxf {
namespace {

bool IsAscii(std::string_view s) {
    for (const char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Whether a text holds nothing that a control code could begin with.
bool WithoutCodes(std::string_view s) {
    for (const char c : s) {
        if (c == '%' || c == '\\' || c == '^' || c == '{' || c == '}') {
            return false;
        }
    }
    return true;
}

size_t CountQuestionMarks(std::string_view s) {
    size_t n = 0;
    for (const char c : s) {
        n += c == '?' ? 1 : 0;
    }
    return n;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The value of four hexadecimal digits at s[i], or -1.
int32_t Hex4(std::string_view s, size_t i) {
    if (i + 4 > s.size()) {
        return -1;
    }
    int32_t v = 0;
    for (size_t k = 0; k < 4; ++k) {
        const int d = HexDigit(s[i + k]);
        if (d < 0) {
            return -1;
        }
        v = v * 16 + d;
    }
    return v;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The text being built, in the working encoding.
class Builder {
  public:
    Builder(bool utf8, int& lost) : m_utf8(utf8), m_lost(lost) {}

    void Byte(char c) { m_out += c; }
    void Bytes(std::string_view s) { m_out.append(s); }
    // One character by its code point. In CP932 it is converted here; one that CP932
    // cannot hold becomes "?" and is counted.
    void CodePoint(uint32_t cp) {
        if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            cp = 0xFFFD;
        }
        if (m_utf8 || cp < 0x80) {
            AppendUtf8(m_out, cp);
            return;
        }
        std::string utf8;
        AppendUtf8(utf8, cp);
        if (!Cp932Available()) {
            throw FileFailure{FileError::NoCp932};
        }
        const std::string converted = Utf8ToCp932(utf8);
        m_lost += converted == "?" ? 1 : 0;
        m_out += converted;
    }
    // A character given as its CP932 bytes (\M+1XXXX).
    void Cp932Character(int32_t code) {
        const char pair[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
        if (!m_utf8) {
            m_out.append(pair, code > 0xFF ? 2 : 1);
            return;
        }
        if (!Cp932Available()) {
            throw FileFailure{FileError::NoCp932};
        }
        m_out += Cp932ToUtf8(std::string_view(pair + (code > 0xFF ? 0 : 1), code > 0xFF ? 2 : 1));
    }
    void NewLine(std::vector<std::string>& lines) {
        lines.push_back(std::move(m_out));
        m_out.clear();
    }
    std::string& Text() { return m_out; }

  private:
    bool m_utf8;
    int& m_lost;
    std::string m_out;
};

// The length of the character at s[i] in the working encoding: two for a CP932 lead
// byte followed by its trail byte, otherwise one.
size_t CharacterLength(std::string_view s, size_t i, bool utf8) {
    return !utf8 && IsCp932LeadByte(static_cast<uint8_t>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// The control codes that TEXT and MTEXT share, at s[i]: the number of bytes they take
// (0 when none begins there), their character appended.
size_t DecodeCode(std::string_view s, size_t i, Builder& out) {
    if (s[i] == '%' && i + 2 < s.size() && s[i + 1] == '%') {
        const char c = s[i + 2];
        switch (c) {
            case 'd':
            case 'D':
                out.CodePoint(0xB0);  // degree sign
                return 3;
            case 'p':
            case 'P':
                out.CodePoint(0xB1);  // plus-minus sign
                return 3;
            case 'c':
            case 'C':
                // The diameter sign; CP932 has no such character, and Japanese drawings
                // write the Greek phi for it.
                out.CodePoint(0x3C6);
                return 3;
            case '%':
                out.Byte('%');
                return 3;
            case 'u':
            case 'U':
            case 'o':
            case 'O':
            case 'k':
            case 'K':
                return 3;  // underline, overline, strike-through: switched, not drawn
            default:
                break;
        }
        if (i + 4 < s.size() && c >= '0' && c <= '9' && s[i + 3] >= '0' && s[i + 3] <= '9' &&
            s[i + 4] >= '0' && s[i + 4] <= '9') {
            const int code = (c - '0') * 100 + (s[i + 3] - '0') * 10 + (s[i + 4] - '0');
            if ((code >= 32 && code < 127) || (code >= 160 && code <= 255)) {
                out.CodePoint(static_cast<uint32_t>(code));  // the Latin-1 character
                return 5;
            }
        }
        return 0;
    }
    if (s[i] == '\\' && i + 2 < s.size() && s[i + 2] == '+') {
        if (s[i + 1] == 'U' || s[i + 1] == 'u') {
            const int32_t cp = Hex4(s, i + 3);
            if (cp >= 0) {
                out.CodePoint(static_cast<uint32_t>(cp));
                return 7;
            }
        } else if ((s[i + 1] == 'M' || s[i + 1] == 'm') && i + 3 < s.size()) {
            const int32_t code = Hex4(s, i + 4);
            if (code >= 0 && s[i + 3] >= '1' && s[i + 3] <= '5') {
                if (s[i + 3] == '1') {
                    out.Cp932Character(code);
                } else {
                    out.CodePoint(0xFFFD);  // another Asian code page: not held
                }
                return 8;
            }
        }
    }
    return 0;
}

// Skips a number in an MTEXT code such as \H2.5x; and its optional ";".
size_t SkipNumberCode(std::string_view s, size_t i, bool relative) {
    while (i < s.size() && ((s[i] >= '0' && s[i] <= '9') || s[i] == '.' || s[i] == '-' ||
                            s[i] == '+' || s[i] == 'e' || s[i] == 'E')) {
        ++i;
    }
    if (relative && i < s.size() && (s[i] == 'x' || s[i] == 'X')) {
        ++i;
    }
    if (i < s.size() && s[i] == ';') {
        ++i;
    }
    return i;
}

// A stacked fraction \Sa/b; (also a#b and the tolerance form a^b): "a/b", or "a b"
// for the tolerance form. Returns where the code ends.
size_t Stacked(std::string_view s, size_t i, bool utf8, Builder& out) {
    std::string upper, lower;
    std::string* part = &upper;
    char divider = 0;
    while (i < s.size() && s[i] != ';') {
        if (s[i] == '\\' && i + 1 < s.size()) {
            ++i;  // an escaped character stands for itself
        } else if (divider == 0 && (s[i] == '/' || s[i] == '#' || s[i] == '^')) {
            divider = s[i];
            part = &lower;
            ++i;
            continue;
        }
        const size_t n = CharacterLength(s, i, utf8);
        part->append(s.substr(i, n));
        i += n;
    }
    out.Bytes(upper);
    if (divider != 0) {
        out.Byte(divider == '^' ? ' ' : '/');
        out.Bytes(lower);
    }
    return i < s.size() ? i + 1 : i;
}

}  // namespace

TextDecoder::~TextDecoder() {
    if (m_iconv != nullptr) {
        iconv_close(static_cast<iconv_t>(m_iconv));
    }
}

void TextDecoder::SetRelease(std::string_view acadver) {
    // From this release on, DXF files are written in UTF-8.
    constexpr int kFirstUtf8Release = 1021;
    int release = 0;
    if (acadver.size() >= 3 && acadver.substr(0, 2) == "AC") {
        for (const char c : acadver.substr(2)) {
            if (c < '0' || c > '9' || release > 100000) {
                break;
            }
            release = release * 10 + (c - '0');
        }
    }
    m_utf8 = release >= kFirstUtf8Release;
}

void TextDecoder::SetCodePage(std::string_view dwgcodepage) {
    std::string name;
    for (const char c : dwgcodepage) {
        if (c != ' ' && name.size() < 32) {
            name += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        }
    }
    std::string charset;
    if (name.rfind("ANSI_", 0) == 0) {
        charset = "CP" + name.substr(5);
    } else if (name.rfind("DOS", 0) == 0) {
        charset = "CP" + name.substr(3);
    } else if (name.rfind("ISO8859-", 0) == 0) {
        charset = "ISO-8859-" + name.substr(8);
    } else {
        charset = name;
    }
    if (m_iconv != nullptr) {
        iconv_close(static_cast<iconv_t>(m_iconv));
        m_iconv = nullptr;
    }
    // CP932 itself, and a code page this system does not know, are taken as CP932
    // bytes, as the drawing keeps them.
    if (charset.empty() || charset == "CP932") {
        return;
    }
    const iconv_t cd = iconv_open("UTF-8", charset.c_str());
    if (cd != reinterpret_cast<iconv_t>(-1)) {
        m_iconv = cd;
    }
}

bool TextDecoder::TakenAsItIs(std::string_view raw) const {
    return !WorkInUtf8() || IsAscii(raw);
}

std::string TextDecoder::ToWorking(std::string_view raw) const {
    if (m_utf8 || m_iconv == nullptr || IsAscii(raw)) {
        return std::string(raw);
    }
    const iconv_t cd = static_cast<iconv_t>(m_iconv);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    char* in = const_cast<char*>(raw.data());  // NOLINT(cppcoreguidelines-pro-type-const-cast): iconv takes char** but only reads the input
    size_t inLeft = raw.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* o = buffer;
        size_t oLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buffer, static_cast<size_t>(o - buffer));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            out += "\xEF\xBF\xBD";  // a byte the code page does not define
            ++in;
            --inLeft;
        }
    }
    return out;
}

std::string TextDecoder::ToDrawing(std::string working, int& lost) const {
    if (!WorkInUtf8() || IsAscii(working)) {
        return working;
    }
    if (!Cp932Available()) {
        throw FileFailure{FileError::NoCp932};
    }
    std::string converted = Utf8ToCp932(working);
    const size_t before = CountQuestionMarks(working);
    const size_t after = CountQuestionMarks(converted);
    lost += static_cast<int>(after > before ? after - before : 0);
    return converted;
}

std::string TextDecoder::Name(std::string_view raw, int& lost) const {
    if (TakenAsItIs(raw)) {
        return std::string(raw);
    }
    return ToDrawing(ToWorking(raw), lost);
}

std::string TextDecoder::Text(std::string_view raw, int& lost) const {
    if (WithoutCodes(raw) && TakenAsItIs(raw)) {
        return std::string(raw);
    }
    const std::string working = ToWorking(raw);
    const std::string_view s = working;
    const bool utf8 = WorkInUtf8();
    Builder out(utf8, lost);
    for (size_t i = 0; i < s.size();) {
        if (const size_t n = DecodeCode(s, i, out)) {
            i += n;
            continue;
        }
        const size_t n = CharacterLength(s, i, utf8);
        out.Bytes(s.substr(i, n));
        i += n;
    }
    return ToDrawing(std::move(out.Text()), lost);
}

std::vector<std::string> TextDecoder::MTextLines(std::string_view raw, int& lost) const {
    const std::string working = ToWorking(raw);
    const std::string_view s = working;
    const bool utf8 = WorkInUtf8();
    std::vector<std::string> lines;
    Builder out(utf8, lost);
    for (size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (const size_t n = DecodeCode(s, i, out)) {
            i += n;
            continue;
        }
        if (c == '\\' && i + 1 < s.size()) {
            const char d = s[i + 1];
            switch (d) {
                case '\\':
                case '{':
                case '}':
                    out.Byte(d);
                    i += 2;
                    continue;
                case 'P':
                case 'N':
                case 'X':
                    out.NewLine(lines);
                    i += 2;
                    continue;
                case '~':
                    out.Byte(' ');
                    i += 2;
                    continue;
                case 'S':
                    i = Stacked(s, i + 2, utf8, out);
                    continue;
                case 'L':
                case 'l':
                case 'O':
                case 'o':
                case 'K':
                case 'k':
                    i += 2;
                    continue;
                case 'A':
                    i = std::min(i + 3, s.size());
                    i += i < s.size() && s[i] == ';' ? 1 : 0;
                    continue;
                case 'H':
                case 'W':
                case 'Q':
                case 'T':
                    i = SkipNumberCode(s, i + 2, true);
                    continue;
                case 'C':
                case 'c':
                    i = SkipNumberCode(s, i + 2, false);
                    continue;
                case 'f':
                case 'F':
                case 'p': {
                    const size_t end = s.find(';', i + 2);
                    i = end == std::string_view::npos ? s.size() : end + 1;
                    continue;
                }
                default:
                    out.Byte('\\');  // an unknown code is shown as it is written
                    ++i;
                    continue;
            }
        }
        if (c == '{' || c == '}') {
            ++i;
            continue;
        }
        if (c == '^' && i + 1 < s.size()) {
            const char d = s[i + 1];
            if (d == ' ') {
                out.Byte('^');
                i += 2;
                continue;
            }
            if (d == 'J') {
                out.NewLine(lines);
                i += 2;
                continue;
            }
            if (d >= '@' && d <= '_') {
                out.Byte(' ');  // a control character (^I a tab) shows as a space
                i += 2;
                continue;
            }
        }
        const size_t n = CharacterLength(s, i, utf8);
        out.Bytes(s.substr(i, n));
        i += n;
    }
    // A break at the very end starts no line of its own.
    if (!out.Text().empty()) {
        out.NewLine(lines);
    }
    for (std::string& line : lines) {
        line = ToDrawing(std::move(line), lost);
    }
    return lines;
}

}  // namespace marquetta::dxf
