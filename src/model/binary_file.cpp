#include "model/binary_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
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
    struct stat st{};
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

void BinaryReader::OpenBytes(std::string_view bytes) {
    m_buffer.assign(bytes.begin(), bytes.end());
    m_size = bytes.size();
    m_position = 0;
    m_bufferPos = 0;
    m_bufferEnd = bytes.size();
}

void BinaryReader::Fill() {
    if (m_fd < 0) {
        throw FileFailure{FileError::UnexpectedFormat};  // the bytes in memory are all read
    }
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

void BinaryReader::ReadAcrossFills(void* out, size_t count) {
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

std::string_view BinaryReader::Buffered(size_t want) {
    const uint64_t wanted = std::min<uint64_t>(want, Remaining());
    if (m_fd >= 0 && m_bufferEnd - m_bufferPos < wanted) {
        // What is left moves to the front; the file's next bytes follow it.
        std::memmove(m_buffer.data(), m_buffer.data() + m_bufferPos, m_bufferEnd - m_bufferPos);
        m_bufferEnd -= m_bufferPos;
        m_bufferPos = 0;
        if (m_buffer.size() < wanted) {
            m_buffer.resize(static_cast<size_t>(wanted));
        }
        while (m_bufferEnd < wanted) {
            const ssize_t got = ::read(m_fd, m_buffer.data() + m_bufferEnd, m_buffer.size() - m_bufferEnd);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                throw FileFailure{FileError::OpenFailed};
            }
            if (got == 0) {
                break;  // the file is shorter than it was: the reader will find the end
            }
            m_bufferEnd += static_cast<size_t>(got);
        }
    }
    return {m_buffer.data() + m_bufferPos, m_bufferEnd - m_bufferPos};
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

namespace {

constexpr int kMaxLinks = 40;
// The longest name of one folder entry on Linux's file systems.
constexpr size_t kLongestName = 255;

// The file a path names once symbolic links are followed; a link to a missing file
// gives that file's path, so that saving creates it and the link stays a link.
bool FollowLinks(const std::string& path, std::string& resolved) {
    namespace fs = std::filesystem;
    fs::path current(path);
    for (int i = 0; i < kMaxLinks; ++i) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(current, ec))) {
            resolved = current.string();
            return true;
        }
        const fs::path link = fs::read_symlink(current, ec);
        if (ec) {
            return false;
        }
        current = link.is_absolute() ? link : current.parent_path() / link;
    }
    return false;
}

bool IsFolder(const std::filesystem::path& folder) {
    struct stat st{};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::filesystem::path FolderOf(const std::string& path) {
    const std::filesystem::path file(path);
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

// Whether the file carries extended attributes (ACLs among them) that a new file put in
// its place would not have. A security label is given to every new file by the system's
// policy and does not count.
bool HasExtendedAttributes(const std::string& path) {
    const ssize_t size = ::listxattr(path.c_str(), nullptr, 0);
    if (size <= 0) {
        return false;  // none, or a file system without them
    }
    std::vector<char> names(static_cast<size_t>(size));
    const ssize_t got = ::listxattr(path.c_str(), names.data(), names.size());
    if (got < 0) {
        return true;  // they grew meanwhile: there are some
    }
    for (size_t at = 0; at < static_cast<size_t>(got);) {
        const std::string_view name(names.data() + at);
        if (name != "security.selinux") {
            return true;
        }
        at += name.size() + 1;
    }
    return false;
}

// Whether the file is one that only a rewrite in place keeps whole: a replacement
// would split its hard links, take it from its owner, or drop its attributes.
bool KeptOnlyInPlace(const struct stat& st, const std::string& path) {
    return st.st_nlink > 1 || st.st_uid != ::geteuid() || HasExtendedAttributes(path);
}

// The errors of a rename that another route may get round: a folder whose sticky bit
// keeps the file from being replaced, a file mounted in its place.
bool RenameRefused(int err) {
    return err == EPERM || err == EACCES || err == EBUSY;
}

// FNV-1a over the bytes, to verify copies.
uint64_t Checksum(uint64_t hash, const char* data, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        hash = (hash ^ static_cast<unsigned char>(data[i])) * 0x100000001B3ull;
    }
    return hash;
}
constexpr uint64_t kChecksumStart = 0xCBF29CE484222325ull;

// The size and checksum of what `fd` holds from its start.
bool ChecksumOf(int fd, uint64_t& size, uint64_t& checksum) {
    std::vector<char> buffer(kBufferSize);
    size = 0;
    checksum = kChecksumStart;
    for (;;) {
        const ssize_t n = ::pread(fd, buffer.data(), buffer.size(), static_cast<off_t>(size));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        checksum = Checksum(checksum, buffer.data(), static_cast<size_t>(n));
        size += static_cast<uint64_t>(n);
    }
}

// Writes the whole run at `offset`; 0, or the error that stopped it.
int WriteAll(int fd, const char* data, size_t count, off_t offset) {
    while (count > 0) {
        const ssize_t n = ::pwrite(fd, data, count, offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : EIO;
        }
        data += n;
        count -= static_cast<size_t>(n);
        offset += n;
    }
    return 0;
}

// Gives the new file the permissions, the group and (for root) the owner of the one it
// replaces, as far as the system lets it, or the usual permissions of a new file.
void TakeOwnerAndMode(int fd, const struct stat* replaced) {
    mode_t mode;
    if (replaced != nullptr) {
        const uid_t owner = ::geteuid() == 0 ? replaced->st_uid : static_cast<uid_t>(-1);
        if (::fchown(fd, owner, replaced->st_gid) != 0) {
            // A group the user is not in: the file then goes in place (SameOwnerAndMode).
        }
        mode = replaced->st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
}

bool SameOwnerAndMode(int fd, const struct stat& replaced) {
    struct stat st{};
    return ::fstat(fd, &st) == 0 && st.st_uid == replaced.st_uid && st.st_gid == replaced.st_gid &&
           (st.st_mode & 07777) == (replaced.st_mode & 07777);
}

// The copy's name in the temporary folder: the file's own with a suffix, so that the
// user knows it, where that is a valid name; else a short one.
std::string CopyPattern(const std::filesystem::path& folder, const std::string& name) {
    const std::string own = name + ".XXXXXX";
    return (folder / (own.size() <= kLongestName ? own : std::string("marquetta-save.XXXXXX")))
        .string();
}

}  // namespace

FileError SafeFileWriter::Open(const std::string& target, SaveTarget kind) {
    namespace fs = std::filesystem;
    if (fs::path(target).filename().empty()) {
        return FileError::NotFound;
    }
    m_kind = kind;
    // The scratch file's own name is replaced, whatever it is; the user's file is the
    // one a link names.
    if (kind == SaveTarget::ScratchFile) {
        m_target = target;
    } else if (!FollowLinks(target, m_target)) {
        return FileError::SaveFailed;
    }
    // Saving over a folder, a device, a pipe or a socket, or a file we may not write,
    // fails before anything else: a rename would put a regular file in its place.
    struct stat st{};
    const bool exists = ::lstat(m_target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        return FileError::InUseWriting;
    }
    if (exists && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
        return FileError::NotRegularFile;
    }
    m_replaces = exists && S_ISREG(st.st_mode);
    if (m_replaces && ::access(m_target.c_str(), W_OK) != 0) {
        return FileError::InUseWriting;
    }
    if (m_replaces) {
        m_replaced = st;
        if (kind == SaveTarget::UsersFile && KeptOnlyInPlace(st, m_target)) {
            return OpenCopyInTemporaryFolder();
        }
    }
    const fs::path folder = FolderOf(m_target);
    // A short name of its own: the file's name and a suffix could pass the limit.
    std::string pattern = (folder / ".marquetta.XXXXXX").string();
    m_fd = ::mkstemp(pattern.data());
    if (m_fd < 0) {
        const int err = errno;
        // Only a folder that refuses new files sends the data round the temporary
        // folder: on a full or failing disk the file is not rewritten in place.
        if (m_replaces && MayRewriteInPlace() && (err == EACCES || err == EPERM || err == EROFS)) {
            return OpenCopyInTemporaryFolder();
        }
        // A folder that exists but takes no file (such as /proc) is no missing path.
        return err == ENOENT && IsFolder(folder) ? FileError::InUseWriting : WriteError(err);
    }
    m_tempPath = pattern;
    TakeOwnerAndMode(m_fd, m_replaces ? &st : nullptr);
    if (m_replaces && kind == SaveTarget::UsersFile && !SameOwnerAndMode(m_fd, st)) {
        // The new file could not take the group or permissions of the old one.
        Discard();
        return OpenCopyInTemporaryFolder();
    }
    m_buffer.resize(kBufferSize);
    m_used = 0;
    m_written = 0;
    return FileError::None;
}

bool SafeFileWriter::MayRewriteInPlace() const {
    // The scratch file is never written through a second link to it.
    return m_replaces && (m_kind == SaveTarget::UsersFile || m_replaced.st_nlink == 1);
}

FileError SafeFileWriter::OpenCopyInTemporaryFolder() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path folder = fs::temp_directory_path(ec);
    if (ec) {
        return FileError::InUseWriting;
    }
    std::string pattern = CopyPattern(folder, fs::path(m_target).filename().string());
    m_fd = ::mkstemp(pattern.data());
    if (m_fd < 0) {
        return FileError::InUseWriting;
    }
    m_tempPath = pattern;
    // The copy holds the user's data and may be all that is left of it: private.
    ::fchmod(m_fd, m_replaced.st_mode & 0600);
    m_buffer.resize(kBufferSize);
    m_used = 0;
    m_inPlace = true;
    m_written = 0;
    m_checksum = kChecksumStart;
    return FileError::None;
}

void SafeFileWriter::Flush() {
    if (m_inPlace) {
        m_checksum = Checksum(m_checksum, m_buffer.data(), m_used);
    }
    m_written += m_used;
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
    if (m_inPlace) {
        return RewriteInPlace();
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
        err = errno;
        if (RenameRefused(err) && MayRewriteInPlace()) {
            // The complete file beside the target is the copy it is rewritten from.
            m_fd = ::open(m_tempPath.c_str(), O_RDONLY | O_CLOEXEC);
            if (m_fd >= 0) {
                return RewriteInPlace();
            }
        }
        Discard();
        return WriteError(err);
    }
    m_tempPath.clear();
    return SyncFolder();
}

// The rename is on disk only once the folder is: until then a power loss can bring
// the old file back.
FileError SafeFileWriter::SyncFolder() const {
    const int folder = ::open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return FileError::None;  // a folder we may not read: the system syncs it in time
    }
    const int err = ::fsync(folder) == 0 ? 0 : errno;
    ::close(folder);
    // EINVAL: a file system that has no use for it.
    return err == 0 || err == EINVAL ? FileError::None : WriteError(err);
}

// The target is rewritten only from a copy that reads back whole; should the rewrite
// fail, the copy stays and the user is told where it is.
FileError SafeFileWriter::RewriteInPlace() {
    uint64_t size = 0;
    uint64_t checksum = 0;
    if (::fsync(m_fd) != 0 || !ChecksumOf(m_fd, size, checksum) || size != m_written ||
        (m_inPlace && checksum != m_checksum)) {
        Discard();
        return FileError::SaveFailed;
    }
    // The file checked when the save began, and no other: never a pipe or a link put in
    // its place since.
    const int target = ::open(m_target.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (target < 0) {
        const FileError error = WriteError(errno);
        Discard();
        return error;
    }
    struct stat st{};
    if (::fstat(target, &st) != 0 || !S_ISREG(st.st_mode) || st.st_dev != m_replaced.st_dev ||
        st.st_ino != m_replaced.st_ino) {
        ::close(target);
        Discard();
        return FileError::SaveFailed;
    }
    FileError error = FileError::None;
    std::vector<char> buffer(kBufferSize);
    for (uint64_t done = 0; done < size && error == FileError::None;) {
        const ssize_t n = ::pread(m_fd, buffer.data(), buffer.size(), static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = FileError::SaveFailed;
            break;
        }
        if (const int err =
                WriteAll(target, buffer.data(), static_cast<size_t>(n), static_cast<off_t>(done))) {
            error = WriteError(err);
        }
        done += static_cast<uint64_t>(n);
    }
    uint64_t writtenSize = 0;
    uint64_t writtenChecksum = 0;
    if (error == FileError::None &&
        (::ftruncate(target, static_cast<off_t>(size)) != 0 || ::fsync(target) != 0 ||
         !ChecksumOf(target, writtenSize, writtenChecksum) || writtenSize != size ||
         writtenChecksum != checksum)) {
        error = FileError::SaveFailed;
    }
    ::close(target);
    if (error != FileError::None) {
        ::close(m_fd);
        m_fd = -1;
        m_keptCopy = m_tempPath;
        m_tempPath.clear();
        return error;
    }
    Discard();
    return FileError::None;
}

}  // namespace marquetta

namespace marquetta {

FileResult WriteFileSafely(const std::string& path,
                           const std::function<void(SafeFileWriter&)>& write,
                           const std::string& cannotCreate, SaveTarget kind) {
    SafeFileWriter writer;
    FileError error = writer.Open(path, kind);
    // A device or a pipe is named as such: it is there, but no file to write.
    if (error != FileError::None && error != FileError::NotRegularFile && !cannotCreate.empty()) {
        return FileResult{FileError::SaveFailed, cannotCreate};
    }
    if (error == FileError::None) {
        try {
            write(writer);
            error = writer.Commit();
        } catch (const FileFailure& failure) {
            error = failure.error;
        }
    }
    FileResult result = MakeFileResult(error, path);
    if (!writer.KeptCopy().empty()) {
        result.message += "\n書き込んだ内容は " + writer.KeptCopy() + " に残っています。";
    }
    return result;
}

}  // namespace marquetta
