// Buffered little-endian reading and writing of whole files, for the file formats.
// Reading knows the file's size, so a reader can refuse counts the rest of the file
// cannot hold before allocating anything. Writing goes to a temporary file in the
// target's folder that replaces the target only once everything is on disk (or, for a
// file that must keep its identity, to a verified copy the target is rewritten from).
#pragma once

#include <sys/stat.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/file_errors.h"

namespace marquetta {

static_assert(std::endian::native == std::endian::little,
              "the file formats are little-endian and read in place");

// Thrown inside the readers and writers; turned into a FileResult at their edge.
struct FileFailure {
    FileError error;
};

// Opens a regular file for reading: its descriptor and size, or why it cannot be read
// (missing, no permission, a folder or device).
FileError OpenRegularFile(const std::string& path, int& fd, uint64_t& size);

class BinaryReader {
public:
    BinaryReader() = default;
    ~BinaryReader();
    BinaryReader(const BinaryReader&) = delete;
    BinaryReader& operator=(const BinaryReader&) = delete;

    // Opens a regular file; returns the reason when it cannot be opened.
    FileError Open(const std::string& path);
    // Reads a copy of `bytes` in memory instead (the clipboard), with the same checks.
    void OpenBytes(std::string_view bytes);
    uint64_t Size() const { return m_size; }
    uint64_t Remaining() const { return m_size - m_position; }

    // Each throws FileFailure{UnexpectedFormat} at the end of the file and
    // FileFailure{OpenFailed} on a read error.
    void Read(void* out, size_t count) {
        // Most reads are a few bytes that the buffer already holds.
        if (count <= m_bufferEnd - m_bufferPos) {
            std::memcpy(out, m_buffer.data() + m_bufferPos, count);
            m_bufferPos += count;
            m_position += count;
            return;
        }
        ReadAcrossFills(out, count);
    }
    template <class T>
    T Get() {
        T value;
        Read(&value, sizeof value);
        return value;
    }
    // Refuses (UnexpectedFormat) a claim of more bytes than the file has left.
    void Require(uint64_t bytes) const;
    // The bytes from the current position on that lie in memory, after reading more so
    // that there are at least `want` of them where the file has that many (the buffer
    // grows to hold them). Throws FileFailure{OpenFailed} on a read error.
    std::string_view Buffered(size_t want);
    // Moves on by `count` of the bytes Buffered returned.
    void Skip(size_t count) {
        m_bufferPos += count;
        m_position += count;
    }

private:
    void Fill();
    void ReadAcrossFills(void* out, size_t count);

    int m_fd = -1;
    uint64_t m_size = 0;
    uint64_t m_position = 0;  // of the next byte handed out
    std::vector<char> m_buffer;
    size_t m_bufferPos = 0;
    size_t m_bufferEnd = 0;
};

// How a writer treats the name it is given.
enum class SaveTarget {
    // The user's file. Symbolic links are followed: the file a link names is replaced
    // and the link stays. A file that a replacement would change beyond its contents
    // (other hard links, another owner, a group or permissions a new file cannot take,
    // extended attributes or ACLs) is rewritten in place from a verified copy instead.
    UsersFile,
    // The program's own scratch file (the render's scene): the name itself is replaced,
    // never written through a symbolic or a hard link to another file.
    ScratchFile,
};

class SafeFileWriter {
public:
    SafeFileWriter() = default;
    ~SafeFileWriter();  // removes the temporary file unless Commit succeeded
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file beside the file `target` names (see SaveTarget); it gets
    // the mode, the group and (for root) the owner of the file it replaces. A target
    // that is there but no regular file (a device, a pipe, a socket) is refused
    // (NotRegularFile), a folder too (InUseWriting). When the file must keep its
    // identity, or its folder takes no new file but the file may be written, the data
    // goes to a copy in the system's temporary folder instead, and Commit rewrites the
    // target in place from that copy once it has been verified.
    FileError Open(const std::string& target, SaveTarget kind = SaveTarget::UsersFile);
    // Throws FileFailure{DiskFull or SaveFailed}.
    void Write(const void* data, size_t count) {
        if (count > m_buffer.size() - m_used) {
            WriteSlow(data, count);
            return;
        }
        std::memcpy(m_buffer.data() + m_used, data, count);
        m_used += count;
    }
    template <class T>
    void Put(T value) {
        Write(&value, sizeof value);
    }
    // Flushes, syncs and renames over the target, then syncs its folder. A rename that
    // the folder or a mount refuses is followed by a rewrite in place from the complete
    // temporary file. Or rewrites the target in place from the copy.
    FileError Commit();
    // The complete copy left when rewriting the target in place failed part-way; empty
    // otherwise.
    const std::string& KeptCopy() const { return m_keptCopy; }

private:
    void WriteSlow(const void* data, size_t count);
    void Flush();
    void Discard();
    bool MayRewriteInPlace() const;
    FileError OpenCopyInTemporaryFolder();
    FileError RewriteInPlace();
    FileError SyncFolder() const;

    int m_fd = -1;
    SaveTarget m_kind = SaveTarget::UsersFile;
    std::string m_target;  // the file written: symbolic links followed for the user's file
    std::string m_tempPath;
    std::vector<char> m_buffer;
    size_t m_used = 0;
    uint64_t m_written = 0;  // bytes flushed
    // The regular file being replaced, as it was when the save began.
    bool m_replaces = false;
    struct stat m_replaced {};
    // Writing to a copy in the temporary folder from the start: the checksum of what
    // was flushed.
    bool m_inPlace = false;
    uint64_t m_checksum = 0;
    std::string m_keptCopy;
};

}  // namespace marquetta

namespace marquetta {

// Runs `write` on a SafeFileWriter for `path` and commits it; any failure leaves the
// old file as it was and comes back with its message (naming the copy that holds the
// data when an in-place rewrite failed). `cannotCreate`, when given, is the message
// for a file that cannot be created at all (a target that is no regular file keeps its
// own message).
FileResult WriteFileSafely(const std::string& path,
                           const std::function<void(SafeFileWriter&)>& write,
                           const std::string& cannotCreate = {},
                           SaveTarget kind = SaveTarget::UsersFile);

}  // namespace marquetta
