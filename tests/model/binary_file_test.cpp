// The one writer of every file format: saving through symbolic links, keeping the
// replaced file's mode and owner, and saving into a folder that takes no new file.
#include "model/binary_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "app/program_defaults.h"
#include "exchange/dxf_writer.h"
#include "model/native_file.h"
#include "test_files.h"

namespace marquetta {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

constexpr uid_t kNobody = 65534;

FileResult WriteText(const std::string& path, const std::string& text) {
    return WriteFileSafely(path, [&](SafeFileWriter& w) { w.Write(text.data(), text.size()); });
}

size_t EntriesIn(const fs::path& folder) {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Runs `body` as a user without privileges when the tests run as root (who may create
// files in any folder), in a child process; its answer.
bool AsUnprivilegedUser(const std::function<bool()>& body) {
    if (::geteuid() != 0) {
        return body();
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const bool ok = ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && body();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

TEST(SafeFileWriterTest, SavingThroughALinkReplacesTheFileItNames) {
    InitProgramDefaults();
    CZorader_ezDoc doc;
    using Writer = std::function<FileResult(const std::string&)>;
    const struct {
        const char* name;
        Writer write;
    } writers[] = {
        {"drawing.trn", [&](const std::string& p) { return SaveDrawingFile(doc, p); }},
        {"plan.dxf", [&](const std::string& p) { return WriteDxfFile(doc, p); }},
    };
    for (const auto& writer : writers) {
        SCOPED_TRACE(writer.name);
        TempDir dir;
        fs::create_directory(dir.Path() / "real");
        fs::create_directory(dir.Path() / "links");
        const fs::path real = dir.Path() / "real" / writer.name;
        WriteBytes(real.string(), "old");
        // A relative link, and a link to that link.
        const fs::path link = dir.Path() / "links" / writer.name;
        fs::create_symlink(fs::path("..") / "real" / writer.name, link);
        const fs::path chain = dir.Path() / "links" / "chain";
        fs::create_symlink(link, chain);

        for (const fs::path& through : {link, chain}) {
            WriteBytes(real.string(), "old");
            const FileResult r = writer.write(through.string());
            ASSERT_TRUE(r.ok()) << r.message;
            EXPECT_TRUE(fs::is_symlink(link));
            EXPECT_TRUE(fs::is_symlink(chain));
            EXPECT_NE(ReadBytes(real.string()), "old");
            EXPECT_EQ(ReadBytes(through.string()), ReadBytes(real.string()));
            EXPECT_EQ(EntriesIn(dir.Path() / "real"), 1u);  // no temporary file left
            EXPECT_EQ(EntriesIn(dir.Path() / "links"), 2u);
        }
    }
    // A link to a file not yet there creates that file.
    TempDir dir;
    fs::create_symlink("made.trn", dir.Path() / "link.trn");
    ASSERT_TRUE(WriteText(dir.File("link.trn"), "new").ok());
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "link.trn"));
    EXPECT_EQ(ReadBytes(dir.File("made.trn")), "new");
}

TEST(SafeFileWriterTest, ReplacedFileKeepsItsModeAndOwner) {
    TempDir dir;
    const std::string path = dir.File("plan.trn");
    WriteBytes(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
    // Only root can give a file away; everyone else keeps their own files.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    }
    ASSERT_TRUE(WriteText(path, "new").ok());
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(st.st_uid, root ? kNobody : ::geteuid());
    EXPECT_EQ(ReadBytes(path), "new");
}

TEST(SafeFileWriterTest, FolderThatTakesNoNewFileIsWrittenInPlace) {
    TempDir dir;
    // Others may pass through the test's folder; the inner one takes no new file.
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    const fs::path locked = dir.Path() / "locked";
    fs::create_directory(locked);
    // A name of its own, so that no other test's copy in the temporary folder counts.
    const std::string name = "in-place-" + dir.Path().filename().string() + ".trn";
    const std::string path = (locked / name).string();
    const std::string tempFolder = fs::temp_directory_path().string();
    auto copiesLeft = [&] {
        size_t count = 0;
        for (const auto& entry : fs::directory_iterator(tempFolder)) {
            count += entry.path().filename().string().rfind(name, 0) == 0;
        }
        return count;
    };
    const struct {
        const char* what;
        std::string temporaryFolder;  // where the verified copy goes
        bool saved;
    } cases[] = {
        {"temporary folder free", tempFolder, true},
        {"temporary folder locked too", locked.string(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(path, "the old drawing, longer than the new one");
        ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
        ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
        const bool saved = AsUnprivilegedUser([&] {
            ::setenv("TMPDIR", c.temporaryFolder.c_str(), 1);
            const bool ok = WriteText(path, "new").ok();
            ::setenv("TMPDIR", tempFolder.c_str(), 1);
            return ok;
        });
        ASSERT_EQ(::chmod(locked.c_str(), 0755), 0);
        EXPECT_EQ(saved, c.saved);
        EXPECT_EQ(ReadBytes(path), c.saved ? "new" : "the old drawing, longer than the new one");
        EXPECT_EQ(EntriesIn(locked), 1u);
        EXPECT_EQ(copiesLeft(), 0u);
    }
}

}  // namespace
}  // namespace marquetta
