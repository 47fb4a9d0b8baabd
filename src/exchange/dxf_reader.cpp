#include "exchange/dxf_reader.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "model/binary_file.h"

namespace marquetta {
namespace {

// Large enough that a file is read in few system calls; lines longer than this make
// the buffer grow, once at most (the longest line and its line end fit twice over).
constexpr size_t kInitialBuffer = size_t{1} << 20;
static_assert(2 * kInitialBuffer > kMaxDxfLineLength + 2);

std::string_view SkipSpace(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && detail::IsCSpace(s[i])) {
        ++i;
    }
    return s.substr(i);
}

}  // namespace

DxfLineReader::~DxfLineReader() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

FileError DxfLineReader::Open(const std::string& path) {
    uint64_t size = 0;
    const FileError error = OpenRegularFile(path, m_fd, size);
    if (error != FileError::None) {
        return error;
    }
    m_size = size;
    m_buffer.resize(kInitialBuffer);
    m_begin = m_end = m_scanned = 0;
    m_atEnd = false;
    return FileError::None;
}

void DxfLineReader::OpenText(std::string_view text) {
    m_size = text.size();
    m_buffer.assign(text.begin(), text.end());
    m_begin = m_scanned = 0;
    m_end = m_buffer.size();
    m_atEnd = true;
}

// Moves the unread bytes to the front, grows the buffer when they fill it, and reads
// more. Returns false at the end of the file.
bool DxfLineReader::Refill() {
    if (m_atEnd) {
        return false;
    }
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_end == m_buffer.size()) {
        m_buffer.resize(m_buffer.size() * 2);
    }
    ssize_t got;
    do {
        got = ::read(m_fd, m_buffer.data() + m_end, m_buffer.size() - m_end);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        throw FileFailure{FileError::OpenFailed};
    }
    if (got == 0) {
        m_atEnd = true;
        return false;
    }
    m_end += static_cast<size_t>(got);
    return true;
}

bool DxfLineReader::NextLineAfterRefill(std::string_view& line) {
    for (;;) {
        const char* start = m_buffer.data() + m_begin;
        const size_t available = m_end - m_begin;
        const void* lf = available > m_scanned
                             ? std::memchr(start + m_scanned, '\n', available - m_scanned)
                             : nullptr;
        size_t length;
        if (lf != nullptr) {
            length = static_cast<size_t>(static_cast<const char*>(lf) - start);
            m_begin += length + 1;
        } else {
            m_scanned = available;
            // A CR may still come before the LF, so one byte more is allowed here.
            if (available > kMaxDxfLineLength + 1) {
                throw FileFailure{FileError::UnexpectedFormat};
            }
            if (Refill()) {
                continue;
            }
            start = m_buffer.data() + m_begin;  // the unread bytes may have moved
            if (available == 0) {
                return false;
            }
            // The last line of a file that does not end with a line end.
            length = available;
            m_begin = m_end;
        }
        m_scanned = 0;
        if (length > 0 && start[length - 1] == '\r') {
            --length;
        }
        if (length > kMaxDxfLineLength) {
            throw FileFailure{FileError::UnexpectedFormat};
        }
        line = std::string_view(start, length);
        return true;
    }
}

double detail::ParseDxfRealInFull(std::string_view text) {
    text = SkipSpace(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    // from_chars would take a second sign, which the C conversion does not.
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        return 0.0;
    }
    double value = 0.0;
    std::chars_format format = std::chars_format::general;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        // "0x" followed by no hexadecimal digit still reads as the 0 before the x.
        format = std::chars_format::hex;
        text.remove_prefix(2);
    }
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, format);
    (void)end;
    // Shapes keep single-precision floats: a value beyond them would become infinite
    // there, and through the re-centring every other shape too.
    if (ec != std::errc() || !std::isfinite(value) || value > std::numeric_limits<float>::max()) {
        return 0.0;
    }
    return negative ? -value : value;
}

int detail::ParseDxfIntegerInFull(std::string_view text) {
    text = SkipSpace(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        return static_cast<int>(-value);
    }
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

}  // namespace marquetta
