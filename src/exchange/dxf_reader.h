// Streaming reader of tagged-text DXF: the file is read once through a large buffer
// and handed out as pairs of a group code and a value line, with no copy of the file
// and no allocation per value. Also the text-to-number conversions DXF import uses.
#pragma once

#include <climits>
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

    // The next line, valid until the next call; false at the end of the file. Throws
    // FileFailure{OpenFailed} when reading fails and FileFailure{UnexpectedFormat} at a
    // line longer than kMaxDxfLineLength.
    bool NextLine(std::string_view& line);

  private:
    bool Refill();

    int m_fd = -1;
    std::vector<char> m_buffer;
    size_t m_begin = 0;    // first byte not handed out yet
    size_t m_end = 0;      // end of the bytes read so far
    size_t m_scanned = 0;  // bytes after m_begin known to hold no LF
    bool m_atEnd = false;
};

// One code/value pair.
struct DxfPair {
    int code = kNoGroupCode;
    std::string_view value;  // valid until the next pair is read
};

class DxfPairReader {
  public:
    explicit DxfPairReader(DxfLineReader& lines) : m_lines(lines) {}
    // false when no further complete pair can be read.
    bool Next(DxfPair& pair);

  private:
    DxfLineReader& m_lines;
};

// The group code of a code line: leading white space skipped, then the number that its
// next three characters begin with (a longer code is cut to its first three digits);
// kNoGroupCode when they begin with no number.
int ParseGroupCode(std::string_view line);

// A real number as the C conversion reads it: leading white space, one optional sign,
// the longest valid prefix; nothing usable gives 0 (so do "--5" and "+-5"). Values that
// are not finite (infinity, NaN, out of range) and values too large for the shapes'
// floats also give 0, so one bad number cannot spoil a whole drawing.
double ParseDxfReal(std::string_view text);

// A whole number as the C conversion reads it; nothing usable gives 0. Saturates at the
// limits of int.
int ParseDxfInteger(std::string_view text);

}  // namespace marquetta
