// Helpers for tests that write and read real files: a temporary folder that removes
// itself, a scoped working folder, whole-file reads and writes, a builder for golden
// bytes, and a system without the CP932 converter.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "model/cp932.h"

namespace marquetta::testing {

// For its lifetime the conversions behave as on a system whose iconv lacks CP932.
struct WithoutCp932 {
    WithoutCp932() { SimulateMissingCp932(true); }
    ~WithoutCp932() { SimulateMissingCp932(false); }
};

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "marquetta.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Works inside `folder` for the life of the scope, also when an assertion leaves early.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::filesystem::path& folder)
        : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~ScopedWorkingDirectory() { std::filesystem::current_path(m_previous); }
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

private:
    std::filesystem::path m_previous;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Little-endian bytes, appended value by value.
class Bytes {
public:
    Bytes& u8(uint8_t v) { return Raw(&v, 1); }
    Bytes& u16(uint16_t v) { return Raw(&v, 2); }
    Bytes& i32(int32_t v) { return Raw(&v, 4); }
    Bytes& u32(uint32_t v) { return Raw(&v, 4); }
    Bytes& f32(float v) { return Raw(&v, 4); }
    Bytes& f64(double v) { return Raw(&v, 8); }
    Bytes& zeros(size_t n) {
        m_bytes.append(n, '\0');
        return *this;
    }
    Bytes& text(const std::string& s) {
        m_bytes += s;
        return *this;
    }
    // A string shorter than 255 bytes: one length byte, then the bytes.
    Bytes& str(const std::string& s) { return u8(static_cast<uint8_t>(s.size())).text(s); }
    Bytes& hex(const std::string& spaced) {
        for (size_t i = 0; i + 1 < spaced.size() + 1; ++i) {
            if (spaced[i] == ' ') {
                continue;
            }
            m_bytes += static_cast<char>(std::stoi(spaced.substr(i, 2), nullptr, 16));
            ++i;
        }
        return *this;
    }
    const std::string& get() const { return m_bytes; }
    size_t size() const { return m_bytes.size(); }

private:
    Bytes& Raw(const void* p, size_t n) {
        m_bytes.append(static_cast<const char*>(p), n);
        return *this;
    }
    std::string m_bytes;
};

}  // namespace marquetta::testing
