#include "model/cp932.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace marquetta {

const char* const kCp932MissingMessage =
    "このシステムの文字コード変換 (iconv) には CP932 (シフト JIS) がありません。\n"
    "日本語の画層名や文字を含むﾌｧｲﾙは読み込めず、日本語の文字は正しく表示されません。";

namespace {

bool g_simulateMissing = false;

size_t Utf8SequenceLength(std::string_view s, size_t i);

// How many input bytes one unconvertible character takes, at the start of `rest`.
using SkipFunction = size_t (*)(std::string_view rest);

// Without a converter only ASCII passes; `unit` is 2 for UTF-16LE input, 1 otherwise.
std::string ConvertAsciiOnly(std::string_view in, size_t unit, std::string_view replacement,
                             SkipFunction skip, std::vector<size_t>* failures) {
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size();) {
        const auto c = static_cast<unsigned char>(in[i]);
        if (c < 0x80 && (unit == 1 || (i + 1 < in.size() && in[i + 1] == 0))) {
            out += static_cast<char>(c);
            i += unit;
            continue;
        }
        if (failures != nullptr) {
            failures->push_back(i);
        }
        out.append(replacement);
        const size_t n = skip(in.substr(i));
        i += n == 0 ? 1 : n;
    }
    return out;
}

// One conversion with glibc iconv. A character that cannot be converted (or is cut
// short) is replaced by `replacement`; `failures`, when given, gets the input offset
// of every such character.
std::string Convert(const char* to, const char* from, std::string_view in,
                    std::string_view replacement, SkipFunction skip,
                    std::vector<size_t>* failures = nullptr) {
    iconv_t cd = g_simulateMissing ? reinterpret_cast<iconv_t>(-1) : iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return ConvertAsciiOnly(in, std::string_view(from) == "UTF-16LE" ? 2 : 1, replacement,
                                skip, failures);
    }
    std::string out;
    out.reserve(in.size() * 2);
    char* inPtr = const_cast<char*>(in.data());  // NOLINT(cppcoreguidelines-pro-type-const-cast): iconv takes char** but only reads the input
    size_t inLeft = in.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (rc == static_cast<size_t>(-1)) {
            if (errno == E2BIG) {
                continue;
            }
            // EILSEQ or EINVAL: an unconvertible or incomplete sequence.
            if (failures != nullptr) {
                failures->push_back(in.size() - inLeft);
            }
            out.append(replacement);
            size_t n = skip(std::string_view(inPtr, inLeft));
            n = n == 0 ? 1 : (n < inLeft ? n : inLeft);
            inPtr += n;
            inLeft -= n;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    iconv_close(cd);
    return out;
}

// Length of the UTF-8 sequence starting at s[i], or 0 when it is malformed.
size_t Utf8SequenceLength(std::string_view s, size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    size_t n;
    unsigned min;
    if (b < 0x80) {
        return 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
        min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size()) {
        return 0;
    }
    unsigned cp = b & (0xFF >> (n + 1));
    for (size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return n;
}

size_t SkipUtf16Le(std::string_view rest) {
    if (rest.size() >= 4) {
        const unsigned hi = static_cast<unsigned char>(rest[0]) | static_cast<unsigned char>(rest[1]) << 8;
        const unsigned lo = static_cast<unsigned char>(rest[2]) | static_cast<unsigned char>(rest[3]) << 8;
        if (hi >= 0xD800 && hi <= 0xDBFF && lo >= 0xDC00 && lo <= 0xDFFF) {
            return 4;
        }
    }
    return 2;
}

size_t SkipUtf8(std::string_view rest) { return Utf8SequenceLength(rest, 0); }

size_t SkipOneByte(std::string_view) { return 1; }

// ASCII reads the same in CP932 and UTF-8; most names and texts are plain ASCII.
bool IsAscii(std::string_view s) {
    for (const char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool Cp932Available() {
    static const bool available = [] {
        for (const auto& [to, from] : {std::pair{"CP932", "UTF-8"}, std::pair{"UTF-8", "CP932"},
                                       std::pair{"CP932", "UTF-16LE"}}) {
            iconv_t cd = iconv_open(to, from);
            if (cd == reinterpret_cast<iconv_t>(-1)) {
                return false;
            }
            iconv_close(cd);
        }
        return true;
    }();
    return available && !g_simulateMissing;
}

void SimulateMissingCp932(bool missing) {
    g_simulateMissing = missing;
}

std::string Utf16LeToCp932(std::string_view utf16le) {
    return Convert("CP932", "UTF-16LE", utf16le, "?", SkipUtf16Le);
}

std::string Utf8ToCp932(std::string_view utf8) {
    if (IsAscii(utf8)) {
        return std::string(utf8);
    }
    return Convert("CP932", "UTF-8", utf8, "?", SkipUtf8);
}

std::string Cp932ToUtf8(std::string_view cp932) {
    if (IsAscii(cp932)) {
        return std::string(cp932);
    }
    return Convert("UTF-8", "CP932", cp932, "\xEF\xBF\xBD", SkipOneByte);
}

std::vector<std::string> CharactersOutsideCp932(std::string_view utf8) {
    std::vector<std::string> outside;
    if (IsAscii(utf8)) {
        return outside;
    }
    std::vector<size_t> failures;
    Convert("CP932", "UTF-8", utf8, "", SkipUtf8, &failures);
    for (const size_t at : failures) {
        const size_t length = Utf8SequenceLength(utf8, at);
        std::string character(utf8.substr(at, length == 0 ? 1 : length));
        if (std::find(outside.begin(), outside.end(), character) == outside.end()) {
            outside.push_back(std::move(character));
        }
    }
    return outside;
}

bool IsValidUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const size_t n = Utf8SequenceLength(bytes, i);
        if (n == 0) {
            return false;
        }
        i += n;
    }
    return true;
}

}  // namespace marquetta
