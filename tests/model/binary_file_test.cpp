// The one writer of every file format: saving through symbolic links, keeping the
// replaced file's mode and owner, refusing targets that are no regular file, keeping a
// file's identity (hard links, owner, attributes) by rewriting it in place, saving into
// a folder that takes no new file or onto a mounted file, and names near the limit.
#include "model/binary_file.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
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
constexpr uid_t kOtherUser = 65533;  // a second user without privileges

FileResult WriteText(const std::string& path, const std::string& text) {
    return WriteFileSafely(path, [&](SafeFileWriter& w) { w.Write(text.data(), text.size()); });
}

std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

size_t EntriesIn(const fs::path& folder) {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Runs `body` in a child process; its answer.
bool InChild(const std::function<bool()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// Runs `body` as the user `uid` (in that user's group alone) in a child process; its
// answer. Only root can become another user.
bool AsUser(uid_t uid, const std::function<bool()>& body) {
    return InChild([&] {
        const gid_t groups[] = {uid};
        return ::setgroups(1, groups) == 0 && ::setresgid(uid, uid, uid) == 0 &&
               ::setresuid(uid, uid, uid) == 0 && body();
    });
}

// Runs `body` as a user without privileges when the tests run as root (who may create
// files in any folder), in a child process; its answer.
bool AsUnprivilegedUser(const std::function<bool()>& body) {
    return ::geteuid() == 0 ? AsUser(kNobody, body) : body();
}

// The copies of `name` left in the temporary folder.
size_t CopiesLeft(const std::string& name) {
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(fs::temp_directory_path())) {
        count += entry.path().filename().string().rfind(name, 0) == 0;
    }
    return count;
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

// A device, a pipe or a socket is never replaced by a regular file (as root a rename
// would even replace /dev/null), whichever writer saves, also through a link.
TEST(SafeFileWriterTest, TargetThatIsNoRegularFileIsRefused) {
    InitProgramDefaults();
    CZorader_ezDoc doc;
    TempDir dir;
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    // Root makes a null device of its own; anyone else may try the system's, which no
    // rename by them can touch.
    std::string device = "/dev/null";
    if (::geteuid() == 0) {
        device = dir.File("null");
        ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
    }
    const std::string socketPath = dir.File("socket");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    fs::create_symlink(fifo, dir.File("link"));
    const std::vector<std::string> before = Listing(dir.Path());

    using Writer = std::function<FileResult(const std::string&)>;
    const Writer writers[] = {
        [&](const std::string& p) { return SaveDrawingFile(doc, p); },
        // The writers that name a file they cannot create say which this one is.
        [&](const std::string& p) { return WriteDxfFile(doc, p); },
    };
    for (const std::string& target : {fifo, device, socketPath, dir.File("link")}) {
        for (const Writer& write : writers) {
            SCOPED_TRACE(target);
            const FileResult r = write(target);
            EXPECT_EQ(r.error, FileError::NotRegularFile);
            EXPECT_EQ(r.message, target + " は通常のﾌｧｲﾙではないため、書き込めません。");
        }
    }
    ::close(sock);
    struct stat st;
    EXPECT_TRUE(::stat(fifo.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    EXPECT_TRUE(::stat(device.c_str(), &st) == 0 && S_ISCHR(st.st_mode));
    EXPECT_TRUE(::stat(socketPath.c_str(), &st) == 0 && S_ISSOCK(st.st_mode));
    EXPECT_TRUE(fs::is_symlink(dir.File("link")));
    EXPECT_EQ(Listing(dir.Path()), before);
}

// A file that a new one put in its place would change beyond its contents is rewritten
// in place from a verified copy: the same inode keeps its other names, its owner, group
// and permissions and its attributes, and its owner can go on saving it. A plain file of
// one's own is replaced as before. The cases of other users are made as root, saving as
// users without privileges.
TEST(SafeFileWriterTest, FileThatMustKeepItsIdentityIsRewrittenInPlace) {
    const bool root = ::geteuid() == 0;
    TempDir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    const std::string name = "keep-" + dir.Path().filename().string() + ".trn";
    const fs::path folder = dir.Path() / "shared";
    const std::string path = (folder / name).string();
    // An ACL granting user 1 read and write, in the form the system keeps it.
    const unsigned char acl[] = {2, 0, 0,   0,   1,   0,   6,  0, 255, 255, 255, 255, 2,   0,  6,
                                 0, 1, 0,   0,   0,   4,   0,  4, 0,   255, 255, 255, 255, 16, 0,
                                 6, 0, 255, 255, 255, 255, 32, 0, 4,   0,   255, 255, 255, 255};
    const auto give = [&](uid_t owner, gid_t group, mode_t mode) {
        ASSERT_EQ(::chown(path.c_str(), owner, group), 0);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    };
    const struct {
        const char* what;
        mode_t folderMode;
        std::function<void()> prepare;
        uid_t saver;  // 0: the test itself
        bool inPlace;
    } cases[] = {
        {"a plain file of one's own", 0755, [] {}, 0, false},
        {"a second hard link", 0755,
         [&] { ASSERT_EQ(::link(path.c_str(), (folder / "other-name").c_str()), 0); }, 0, true},
        {"an extended attribute", 0755,
         [&] { ASSERT_EQ(::setxattr(path.c_str(), "user.marquetta", "kept", 4, 0), 0); }, 0, true},
        {"an ACL", 0755,
         [&] {
             ASSERT_EQ(::setxattr(path.c_str(), "system.posix_acl_access", acl, sizeof acl, 0), 0);
         },
         0, true},
        // Another user's file that all may write, in a shared folder and in a sticky one.
        {"another owner, shared folder", 0777, [&] { give(kNobody, kNobody, 0666); }, kOtherUser,
         true},
        {"another owner, sticky folder", 01777, [&] { give(kNobody, kNobody, 0666); }, kOtherUser,
         true},
        // One's own file, of a group the user is not in.
        {"a group a new file cannot take", 0777, [&] { give(kNobody, 0, 0664); }, kNobody, true},
    };
    for (const auto& c : cases) {
        if (c.saver != 0 && !root) {
            continue;  // only root can make another user's file
        }
        SCOPED_TRACE(c.what);
        fs::remove_all(folder);
        fs::create_directory(folder);
        ASSERT_EQ(::chmod(folder.c_str(), c.folderMode), 0);
        WriteBytes(path, "the old drawing, longer than the new one");
        c.prepare();
        struct stat before;
        ASSERT_EQ(::stat(path.c_str(), &before), 0);
        const ssize_t attributes = ::listxattr(path.c_str(), nullptr, 0);
        const std::vector<std::string> names = Listing(folder);
        const auto save = [&] { return WriteText(path, "new").ok(); };
        EXPECT_TRUE(c.saver != 0 ? AsUser(c.saver, save) : save());

        struct stat after;
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(ReadBytes(path), "new");
        EXPECT_EQ(after.st_ino == before.st_ino, c.inPlace);
        if (c.inPlace) {
            EXPECT_EQ(after.st_nlink, before.st_nlink);
            EXPECT_EQ(after.st_uid, before.st_uid);
            EXPECT_EQ(after.st_gid, before.st_gid);
            EXPECT_EQ(after.st_mode, before.st_mode);
            EXPECT_EQ(::listxattr(path.c_str(), nullptr, 0), attributes);
        }
        EXPECT_EQ(Listing(folder), names);
        EXPECT_EQ(CopiesLeft(name), 0u);
        if (c.saver != 0 && before.st_uid != c.saver) {
            // The owner saves their own file again.
            EXPECT_TRUE(AsUser(before.st_uid, [&] { return WriteText(path, "mine").ok(); }));
            EXPECT_EQ(ReadBytes(path), "mine");
        }
    }
    // The attribute's value is kept too.
    fs::remove_all(folder);
    fs::create_directory(folder);
    WriteBytes(path, "old");
    ASSERT_EQ(::setxattr(path.c_str(), "user.marquetta", "kept", 4, 0), 0);
    ASSERT_TRUE(WriteText(path, "new").ok());
    char value[8] = {};
    EXPECT_EQ(::getxattr(path.c_str(), "user.marquetta", value, sizeof value), 4);
    EXPECT_STREQ(value, "kept");
}

// A file mounted over another (a bind mount) refuses the rename over it; the file is
// then rewritten in place through the mount from the complete temporary file. Needs a
// mount namespace of its own, which only root may make.
TEST(SafeFileWriterTest, FileMountedInPlaceIsRewrittenThroughTheMount) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "a bind mount needs root";
    }
    TempDir dir;
    const std::string source = dir.File("source.trn");
    const std::string target = dir.File("plan.trn");
    WriteBytes(source, "the mounted drawing, longer than the new one");
    WriteBytes(target, "the file under the mount");
    const bool saved = InChild([&] {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            std::fprintf(stderr, "no mount namespace: %s\n", std::strerror(errno));
            return false;
        }
        return WriteText(target, "new").ok() && ReadBytes(target) == "new" &&
               EntriesIn(dir.Path()) == 2;
    });
    EXPECT_TRUE(saved);
    EXPECT_EQ(ReadBytes(source), "new");
    EXPECT_EQ(ReadBytes(target), "the file under the mount");
    EXPECT_EQ(EntriesIn(dir.Path()), 2u);
}

// A name near the limit of 255 bytes saves and reads back, by rename and in place: the
// temporary names never pass the limit.
TEST(SafeFileWriterTest, NamesNearTheLimitSave) {
    InitProgramDefaults();
    std::string kanji;
    for (int i = 0; i < 82; ++i) {
        kanji += "図";
    }
    const std::string names[] = {std::string(247, 'a') + ".trn", kanji + ".trn"};
    for (const std::string& name : names) {
        for (const bool hardLinked : {false, true}) {
            SCOPED_TRACE(std::to_string(name.size()) +
                         (hardLinked ? " bytes, in place" : " bytes"));
            ASSERT_LE(name.size(), 255u);
            TempDir dir;
            const std::string path = dir.File(name);
            WriteBytes(path, "old");
            if (hardLinked) {
                ASSERT_EQ(::link(path.c_str(), dir.File("other").c_str()), 0);
            }
            CZorader_ezDoc doc;
            const FileResult saved = SaveDrawingFile(doc, path);
            ASSERT_TRUE(saved.ok()) << saved.message;
            CZorader_ezDoc loaded;
            EXPECT_TRUE(LoadDrawingFile(loaded, path).ok());
            EXPECT_EQ(EntriesIn(dir.Path()), hardLinked ? 2u : 1u);
        }
    }
    EXPECT_EQ(CopiesLeft("marquetta-save."), 0u);
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
