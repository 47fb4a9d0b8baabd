#include "model/binary_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace marquetta {
namespace {

constexpr size_t kBufferSize = 1 << 16;

FileError ReadOpenError(int err) {
    switch (err) {
        case ENOENT:
        case ENOTDIR:
        case ENAMETOOLONG:
            return FileError::NotFound;
        case EACCES:
        case EPERM:
        case EBUSY:
        case ETXTBSY:
        case EAGAIN:
            return FileError::InUseReading;
        default:
            return FileError::OpenFailed;
    }
}

FileError WriteError(int err) {
    switch (err) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return FileError::DiskFull;
        case ENOENT:
        case ENOTDIR:
        case ENAMETOOLONG:
            return FileError::NotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EBUSY:
        case ETXTBSY:
            return FileError::InUseWriting;
        default:
            return FileError::SaveFailed;
    }
}

}  // namespace

BinaryReader::~BinaryReader() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

FileError OpenRegularFile(const std::string& path, int& fd, uint64_t& size) {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return ReadOpenError(errno);
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fd = -1;
        return FileError::OpenFailed;
    }
    size = static_cast<uint64_t>(st.st_size);
    return FileError::None;
}

FileError BinaryReader::Open(const std::string& path) {
    const FileError error = OpenRegularFile(path, m_fd, m_size);
    if (error == FileError::None) {
        m_buffer.resize(kBufferSize);
    }
    return error;
}

void BinaryReader::Fill() {
    ssize_t got;
    do {
        got = ::read(m_fd, m_buffer.data(), m_buffer.size());
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        throw FileFailure{FileError::OpenFailed};
    }
    if (got == 0) {
        throw FileFailure{FileError::UnexpectedFormat};
    }
    m_bufferPos = 0;
    m_bufferEnd = static_cast<size_t>(got);
}

void BinaryReader::Read(void* out, size_t count) {
    auto* dst = static_cast<char*>(out);
    while (count > 0) {
        if (m_bufferPos == m_bufferEnd) {
            Fill();
        }
        const size_t n = std::min(count, m_bufferEnd - m_bufferPos);
        std::memcpy(dst, m_buffer.data() + m_bufferPos, n);
        m_bufferPos += n;
        m_position += n;
        dst += n;
        count -= n;
    }
}

void BinaryReader::Require(uint64_t bytes) const {
    if (bytes > Remaining()) {
        throw FileFailure{FileError::UnexpectedFormat};
    }
}

SafeFileWriter::~SafeFileWriter() { Discard(); }

void SafeFileWriter::Discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

FileError SafeFileWriter::Open(const std::string& target) {
    namespace fs = std::filesystem;
    m_target = target;
    const fs::path targetPath(target);
    if (targetPath.filename().empty()) {
        return FileError::NotFound;
    }
    // Saving over a folder, or a file we may not write, fails before anything else.
    struct stat st;
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        return FileError::InUseWriting;
    }
    if (exists && ::access(target.c_str(), W_OK) != 0) {
        return FileError::InUseWriting;
    }
    const fs::path folder = targetPath.has_parent_path() ? targetPath.parent_path() : fs::path(".");
    // Built up in steps: g++ 12 at -O3 warns wrongly about `"." + name + ".XXXXXX"`.
    std::string tempName = ".";
    tempName += targetPath.filename().string();
    tempName += ".XXXXXX";
    std::string pattern = (folder / tempName).string();
    m_fd = ::mkstemp(pattern.data());
    if (m_fd < 0) {
        return WriteError(errno);
    }
    m_tempPath = pattern;
    // The saved file keeps the permissions of the one it replaces, or gets the
    // usual ones for a new file.
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(m_fd, mode);
    m_buffer.resize(kBufferSize);
    m_used = 0;
    return FileError::None;
}

void SafeFileWriter::Flush() {
    size_t done = 0;
    while (done < m_used) {
        const ssize_t n = ::write(m_fd, m_buffer.data() + done, m_used - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileFailure{WriteError(errno)};
        }
        done += static_cast<size_t>(n);
    }
    m_used = 0;
}

void SafeFileWriter::WriteSlow(const void* data, size_t count) {
    const auto* src = static_cast<const char*>(data);
    while (count > 0) {
        if (m_used == m_buffer.size()) {
            Flush();
        }
        const size_t n = std::min(count, m_buffer.size() - m_used);
        std::memcpy(m_buffer.data() + m_used, src, n);
        m_used += n;
        src += n;
        count -= n;
    }
}

FileError SafeFileWriter::Commit() {
    try {
        Flush();
    } catch (const FileFailure& failure) {
        Discard();
        return failure.error;
    }
    int err = ::fsync(m_fd) == 0 ? 0 : errno;
    if (::close(m_fd) != 0 && err == 0) {
        err = errno;
    }
    m_fd = -1;
    if (err != 0) {
        Discard();
        return WriteError(err);
    }
    if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0) {
        const FileError error = WriteError(errno);
        Discard();
        return error;
    }
    m_tempPath.clear();
    return FileError::None;
}

}  // namespace marquetta

namespace marquetta {

FileResult WriteFileSafely(const std::string& path,
                           const std::function<void(SafeFileWriter&)>& write) {
    SafeFileWriter writer;
    FileError error = writer.Open(path);
    if (error == FileError::None) {
        try {
            write(writer);
            error = writer.Commit();
        } catch (const FileFailure& failure) {
            error = failure.error;
        }
    }
    return MakeFileResult(error, path);
}

}  // namespace marquetta
