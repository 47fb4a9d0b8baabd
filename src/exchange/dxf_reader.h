// Streaming reader of tagged-text DXF: the file is read once through a large buffer
// and handed out as pairs of a group code and a value line, with no copy of the file
// and no allocation per value. Also the text-to-number conversions DXF import uses.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <charconv>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "model/file_errors.h"

namespace marquetta {

// The group code of a code line that holds no number: it matches no group that is read.
inline constexpr int kNoGroupCode = INT_MIN;

// The longest line read: no real DXF line comes near it, and a file without line ends
// is refused rather than read into memory whole.
inline constexpr size_t kMaxDxfLineLength = size_t{1} << 20;

// Lines of a file without their line ends. A line ends at LF; a CR just before the LF
// (or at the end of an unterminated last line) is removed with it. A line up to
// kMaxDxfLineLength bytes (line end not counted) is handed out whole; a longer one
// fails the read.
class DxfLineReader {
  public:
    DxfLineReader() = default;
    ~DxfLineReader();
    DxfLineReader(const DxfLineReader&) = delete;
    DxfLineReader& operator=(const DxfLineReader&) = delete;

    // Opens a regular file for reading; anything else (missing, a folder, no
    // permission) fails.
    FileError Open(const std::string& path);
    // Only for tests and benchmarks that read from memory: the text of a whole file.
    void OpenText(std::string_view text);
    // The size of the file opened, in bytes.
    uint64_t Size() const { return m_size; }

    // The next line, valid until the next call; false at the end of the file. Throws
    // FileFailure{OpenFailed} when reading fails and FileFailure{UnexpectedFormat} at a
    // line longer than kMaxDxfLineLength.
    bool NextLine(std::string_view& line) {
        // Most lines lie whole in the buffer: found with one look for the line end.
        const char* start = m_buffer.data() + m_begin;
        const size_t available = m_end - m_begin;
        if (m_scanned == 0 && available > 0) {
            if (const char* lf = FindLineFeed(start, start + available)) {
                size_t length = static_cast<size_t>(lf - start);
                if (length <= kMaxDxfLineLength) {
                    m_begin += length + 1;
                    if (length > 0 && start[length - 1] == '\r') {
                        --length;
                    }
                    line = std::string_view(start, length);
                    return true;
                }
            }
        }
        return NextLineAfterRefill(line);
    }

  private:
    // The first LF in [begin, end), or null. DXF lines are short: sixteen bytes are
    // looked at together, without the cost of a call.
    static const char* FindLineFeed(const char* begin, const char* end) {
#if defined(__SSE2__)
        const __m128i lf = _mm_set1_epi8('\n');
        for (; end - begin >= 16; begin += 16) {
            const int hits = _mm_movemask_epi8(
                _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(begin)), lf));
            if (hits != 0) {
                return begin + __builtin_ctz(static_cast<unsigned>(hits));
            }
        }
#endif
        return static_cast<const char*>(std::memchr(begin, '\n', static_cast<size_t>(end - begin)));
    }
    bool NextLineAfterRefill(std::string_view& line);
    bool Refill();

    int m_fd = -1;
    uint64_t m_size = 0;
    std::vector<char> m_buffer;
    size_t m_begin = 0;    // first byte not handed out yet
    size_t m_end = 0;      // end of the bytes read so far
    size_t m_scanned = 0;  // bytes after m_begin known to hold no LF
    bool m_atEnd = false;
};

// The group code of a code line: leading white space skipped, then the number that its
// next three characters begin with (a longer code is cut to its first three digits);
// kNoGroupCode when they begin with no number.
namespace detail {
// White space as the C conversions skip it.
inline bool IsCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
}  // namespace detail

inline int ParseGroupCode(std::string_view line) {
    size_t start = 0;
    while (start < line.size() && detail::IsCSpace(line[start])) {
        ++start;
    }
    line = line.substr(start, 3);
    size_t i = 0;
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-')) {
        negative = line[i] == '-';
        ++i;
    }
    if (i == line.size() || line[i] < '0' || line[i] > '9') {
        return kNoGroupCode;
    }
    int value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        value = value * 10 + (line[i] - '0');
    }
    return negative ? -value : value;
}

// One code/value pair.
struct DxfPair {
    int code = kNoGroupCode;
    std::string_view value;  // valid until the next pair is read
};

class DxfPairReader {
  public:
    explicit DxfPairReader(DxfLineReader& lines) : m_lines(lines) {}
    // false when no further complete pair can be read.
    bool Next(DxfPair& pair) {
        std::string_view line;
        if (!m_lines.NextLine(line)) {
            return false;
        }
        pair.code = ParseGroupCode(line);
        return m_lines.NextLine(pair.value);
    }

  private:
    DxfLineReader& m_lines;
};

namespace detail {
double ParseDxfRealInFull(std::string_view text);

// ParseDxfReal for the common case, a plain decimal number; false, with nothing read,
// when the text needs the whole rule.
inline bool ParsePlainReal(std::string_view text, double& value) {
    const char* p = text.data();
    const char* end = p + text.size();
    const bool negative = p != end && *p == '-';
    p += negative ? 1 : 0;
    if (p == end || *p < '0' || *p > '9' || (end - p > 1 && p[0] == '0' && (p[1] | 0x20) == 'x')) {
        return false;
    }
    // Digits with at most one point and no exponent, as nearly every DXF value is: when
    // they make a whole number m below 2^53 and hold k <= 22 decimals, m and 10^k are
    // both exact doubles and one division gives the correctly rounded value, the one
    // from_chars gives too. Up to 19 digits cannot overflow m; more take the long way.
    uint64_t mantissa = 0;
    const char* q = p;
    for (; q != end && static_cast<unsigned>(*q - '0') < 10; ++q) {
        mantissa = mantissa * 10 + static_cast<unsigned>(*q - '0');
    }
    ptrdiff_t digits = q - p;
    ptrdiff_t decimals = 0;
    if (q != end && *q == '.') {
        const char* first = ++q;
        for (; q != end && static_cast<unsigned>(*q - '0') < 10; ++q) {
            mantissa = mantissa * 10 + static_cast<unsigned>(*q - '0');
        }
        decimals = q - first;
        digits += decimals;
    }
    if (digits <= 19 && decimals <= 22 && mantissa <= (uint64_t{1} << 53) &&
        (q == end || (*q | 0x20) != 'e')) {
        static constexpr double kTens[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        // Below 2^53 the value always fits a float.
        value = static_cast<double>(mantissa) / kTens[decimals];
        value = negative ? -value : value;
        return true;
    }
    const auto [stop, ec] = std::from_chars(p, end, value);
    (void)stop;
    if (ec != std::errc() || !(value <= std::numeric_limits<float>::max())) {
        value = 0.0;  // the whole rule's answer too: not finite or beyond a float
    } else if (negative) {
        value = -value;
    }
    return true;
}
}  // namespace detail

// A real number as the C conversion reads it: leading white space, one optional sign,
// the longest valid prefix; nothing usable gives 0 (so do "--5" and "+-5"). Values that
// are not finite (infinity, NaN, out of range) and values too large for the shapes'
// floats also give 0, so one bad number cannot spoil a whole drawing.
inline double ParseDxfReal(std::string_view text) {
    double value;
    return detail::ParsePlainReal(text, value) ? value : detail::ParseDxfRealInFull(text);
}

namespace detail {
int ParseDxfIntegerInFull(std::string_view text);
}  // namespace detail

// A whole number as the C conversion reads it; nothing usable gives 0. Saturates at the
// limits of int.
inline int ParseDxfInteger(std::string_view text) {
    // Most are a few digits alone (a colour, a flag), read here without a call.
    if (text.empty() || text.size() > 9) {
        return detail::ParseDxfIntegerInFull(text);
    }
    int value = 0;
    for (const char c : text) {
        const auto digit = static_cast<unsigned>(c - '0');
        if (digit > 9) {
            return detail::ParseDxfIntegerInFull(text);
        }
        value = value * 10 + static_cast<int>(digit);
    }
    return value;
}

}  // namespace marquetta
