// Buffered little-endian reading and writing of whole files, for the file formats.
// Reading knows the file's size, so a reader can refuse counts the rest of the file
// cannot hold before allocating anything. Writing goes to a temporary file in the
// target's folder that replaces the target only once everything is on disk; a symbolic
// link is followed, so the file it names is replaced and the link stays a link.
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

class SafeFileWriter {
public:
    SafeFileWriter() = default;
    ~SafeFileWriter();  // removes the temporary file unless Commit succeeded
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file beside the file `target` names, after following
    // symbolic links; it gets the mode of the file it replaces (and its owner when
    // running as root). When that folder takes no new file but the existing target may
    // be written, the data goes to a copy in the system's temporary folder instead, and
    // Commit rewrites the target in place from that copy once it has been verified.
    FileError Open(const std::string& target);
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
    // Flushes, syncs and renames over the target (or rewrites it in place).
    FileError Commit();
    // The complete copy left in the temporary folder when rewriting the target in place
    // failed part-way; empty otherwise.
    const std::string& KeptCopy() const { return m_keptCopy; }

private:
    void WriteSlow(const void* data, size_t count);
    void Flush();
    void Discard();
    FileError OpenCopyInTemporaryFolder(const struct stat& target);
    FileError CommitInPlace();

    int m_fd = -1;
    std::string m_target;  // the file written: symbolic links followed
    std::string m_tempPath;
    std::vector<char> m_buffer;
    size_t m_used = 0;
    // Rewriting in place: the bytes written so far and their checksum.
    bool m_inPlace = false;
    uint64_t m_written = 0;
    uint64_t m_checksum = 0;
    std::string m_keptCopy;
};

}  // namespace marquetta

namespace marquetta {

// Runs `write` on a SafeFileWriter for `path` and commits it; any failure leaves the
// old file as it was and comes back with its message (naming the copy that holds the
// data when an in-place rewrite failed). `cannotCreate`, when given, is the message
// for a file that cannot be created at all.
FileResult WriteFileSafely(const std::string& path,
                           const std::function<void(SafeFileWriter&)>& write,
                           const std::string& cannotCreate = {});

}  // namespace marquetta
