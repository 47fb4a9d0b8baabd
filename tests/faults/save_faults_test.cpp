// Every writer run with each of its file calls failing in turn (ENOSPC, then EIO),
// through the write-fault library preloaded into the real program: the previous file
// stays byte for byte (or, once the rename is done, holds the whole new one), the user is
// told what the program documents for that failure, no temporary file is left, and the
// next save succeeds. The same for the rewrites in place (a folder that takes no new
// file, a file with a second link, a rename refused), where a failure part-way keeps a
// whole copy and names it; and targets that are no regular file are never touched.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/program_defaults.h"
#include "model/native_file.h"
#include "test_files.h"

extern char** environ;

namespace marquetta {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

const std::string kDiskFull = "出力先のﾃﾞｨｽｸ ﾄﾞﾗｲﾌﾞの空き容量が不足しています。";
const std::string kSaveFailed = "ﾄﾞｷｭﾒﾝﾄの保存に失敗しました。";
const std::string kPrevious = "the previous file, which no failed save may touch\n";

struct FaultRun {
    int status = -1;
    std::string errors;  // what the program told the user (its stderr)
    long calls = 0;      // file calls counted in the folder
    std::string failed;  // the call made to fail, "-" for none
    std::vector<std::string> trace;  // the calls counted, in order
};

// Runs `args` with the fault library preloaded: the call `failAt` (0: none) on files in
// `folder` fails with `error`.
// When the tests run as root, a non-zero `asUser` runs the program as that user (root
// may create files in any folder).
FaultRun RunWithFault(const std::vector<std::string>& args, const fs::path& folder, long failAt,
                 int error, const std::vector<std::string>& extraEnvironment = {},
                 uid_t asUser = 0) {
    const fs::path report = folder.parent_path() / "fault-report";
    const fs::path errors = folder.parent_path() / "fault-stderr";
    std::vector<std::string> env = {
        std::string("LD_PRELOAD=") + MARQUETTA_WRITE_FAULTS_LIBRARY,
        "MARQUETTA_FAULT_DIR=" + folder.string(),
        "MARQUETTA_FAULT_AT=" + std::to_string(failAt),
        "MARQUETTA_FAULT_ERRNO=" + std::to_string(error),
        "MARQUETTA_FAULT_REPORT=" + report.string(),
    };
    // A sanitized program accepts a library loaded ahead of its runtime.
    const char* asan = std::getenv("ASAN_OPTIONS");
    env.push_back(std::string("ASAN_OPTIONS=") + (asan ? asan : "") + ":verify_asan_link_order=0");
    env.insert(env.end(), extraEnvironment.begin(), extraEnvironment.end());
    // The rest of this program's environment, less what is set above (the first of
    // two equal names would win).
    const size_t own = env.size();
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string_view entry(*e);
        const std::string_view name = entry.substr(0, entry.find('=') + 1);
        if (std::none_of(env.begin(), env.begin() + static_cast<std::ptrdiff_t>(own),
                         [&](const std::string& set) { return set.starts_with(name); })) {
            env.emplace_back(entry);
        }
    }
    std::vector<char*> argv;
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);

    fs::remove(report);
    const bool switchUser = asUser != 0 && ::geteuid() == 0;
    if (switchUser) {
        WriteBytes(report.string(), "");  // for the library to write as that user
        fs::permissions(report, fs::perms::all & ~fs::perms::others_exec & ~fs::perms::group_exec &
                                    ~fs::perms::owner_exec);
    }
    FaultRun run;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 2);
        const gid_t groups[] = {asUser};
        if (switchUser &&
            (::setgroups(1, groups) != 0 || ::setgid(asUser) != 0 || ::setuid(asUser) != 0)) {
            ::_exit(126);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.errors = ReadBytes(errors.string());
    std::istringstream counted(ReadBytes(report.string()));
    counted >> run.calls >> run.failed;
    for (std::string call; counted >> call;) {
        run.trace.push_back(call);
    }
    return run;
}

// The names in a folder.
std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The sample drawing with enough lines and faces added that every writer fills its
// buffer several times over.
std::string LargeDrawing(const std::string& path) {
    InitProgramDefaults();
    CZorader_ezDoc doc;
    EXPECT_TRUE(LoadDrawingFile(doc, std::string(MARQUETTA_SOURCE_DIR) + "/res/samples/sample.trn").ok());
    for (int i = 0; i < 3000; ++i) {
        const auto x = static_cast<float>(i * 10);
        doc.m_current = {};
        doc.m_current.m_nType = i % 5 == 0 ? SHAPE_FACE : SHAPE_LINE;
        doc.SetCurrentLayer("0");
        doc.m_current.m_pt[0] = {x, 0.0f, 0.0f};
        doc.m_current.m_pt[1] = {x, 0.0f, 5000.0f};
        doc.m_current.m_pt[2] = {x + 5.0f, 3000.0f, 5000.0f};
        doc.m_current.m_pt[3] = {x + 5.0f, 3000.0f, 0.0f};
        doc.AddCurrentShape();
    }
    EXPECT_TRUE(SaveDrawingFile(doc, path).ok());
    return path;
}

struct Writer {
    const char* extension;
    // Whether a file that cannot be created is reported as "%s が開けません" rather than
    // by the error itself.
    bool cannotOpenMessage;
};

void PrintTo(const Writer& writer, std::ostream* out) {
    *out << writer.extension;
}

class SaveFaultsTest : public ::testing::TestWithParam<Writer> {};

TEST_P(SaveFaultsTest, EveryFailedCallKeepsThePreviousFileAndIsReported) {
    const Writer writer = GetParam();
    TempDir dir;
    const fs::path folder = dir.Path() / "out";
    fs::create_directory(folder);
    const std::string input = LargeDrawing(dir.File("input.trn"));
    const std::string target = (folder / (std::string("plan.") + writer.extension)).string();
    const std::vector<std::string> convert = {MARQUETTA_CONVERT_EXE, input, target};

    // A save without faults gives the bytes every later save must give, and the count
    // of calls to fail one by one.
    const FaultRun clean = RunWithFault(convert, folder, 0, ENOSPC);
    ASSERT_EQ(clean.status, 0) << clean.errors;
    // Creating, two writes or more, syncing, closing and renaming, then syncing the
    // folder, without which a power loss could bring the old file back.
    ASSERT_GE(clean.calls, 7);
    EXPECT_EQ(clean.trace.front(), "mkstemp");
    EXPECT_EQ(std::vector<std::string>(clean.trace.end() - 4, clean.trace.end()),
              (std::vector<std::string>{"fsync", "close", "rename", "fsync-folder"}));
    const std::string expected = ReadBytes(target);

    for (const int error : {ENOSPC, EIO}) {
        for (long at = 1; at <= clean.calls; ++at) {
            SCOPED_TRACE("error " + std::to_string(error) + ", call " + std::to_string(at));
            WriteBytes(target, kPrevious);
            const FaultRun run = RunWithFault(convert, folder, at, error);
            ASSERT_NE(run.failed, "-");
            EXPECT_EQ(run.status, 1) << run.failed;
            // After the rename the new file is whole in place; the failed sync of the
            // folder is still told, so that the user saves again.
            const std::string& kept = run.failed == "fsync-folder" ? expected : kPrevious;
            EXPECT_TRUE(ReadBytes(target) == kept) << run.failed << " changed the file";
            EXPECT_EQ(Listing(folder), std::vector<std::string>{fs::path(target).filename()})
                << run.failed;
            const bool creating = run.failed == "mkstemp" || run.failed.starts_with("open");
            const std::string message =
                creating && writer.cannotOpenMessage ? target + " が開けません"
                : error == ENOSPC                    ? kDiskFull
                                                     : kSaveFailed;
            EXPECT_NE(run.errors.find(message), std::string::npos)
                << run.failed << " told: " << run.errors;
        }
    }
    // And then the disk is fine again.
    const FaultRun again = RunWithFault(convert, folder, 0, ENOSPC);
    EXPECT_EQ(again.status, 0) << again.errors;
    EXPECT_TRUE(ReadBytes(target) == expected) << "the save after the faults differs";
}

// A pipe or a device in place of the file is refused before any file call is made in
// its folder: no temporary file, nothing renamed over it.
TEST_P(SaveFaultsTest, TargetThatIsNoRegularFileIsNeverTouched) {
    const Writer writer = GetParam();
    TempDir dir;
    const fs::path folder = dir.Path() / "out";
    fs::create_directory(folder);
    const std::string input = LargeDrawing(dir.File("input.trn"));
    const std::string pipe = (folder / (std::string("pipe.") + writer.extension)).string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
    std::vector<std::string> targets = {pipe};
    if (::geteuid() == 0) {
        const std::string device = (folder / (std::string("null.") + writer.extension)).string();
        ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
        targets.push_back(device);
    }
    const std::vector<std::string> names = Listing(folder);
    for (const std::string& target : targets) {
        const FaultRun run = RunWithFault({MARQUETTA_CONVERT_EXE, input, target}, folder, 0, EIO);
        EXPECT_EQ(run.status, 1) << target;
        EXPECT_EQ(run.calls, 0) << target;
        EXPECT_NE(run.errors.find(target + " は通常のﾌｧｲﾙではないため、書き込めません。"),
                  std::string::npos)
            << run.errors;
    }
    EXPECT_EQ(Listing(folder), names);
    struct stat st;
    EXPECT_TRUE(::stat(pipe.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
}

INSTANTIATE_TEST_SUITE_P(Writers, SaveFaultsTest,
                         ::testing::Values(Writer{"trn", false}, Writer{"dxf", true},
                                           Writer{"pov", true}, Writer{"svg", false}),
                         [](const auto& info) { return std::string(info.param.extension); });

// The program's Save command over the drawing it opened: a failed save keeps the file,
// tells the user and leaves the drawing marked modified, so nothing drawn is lost. Also
// for a name near the limit of 255 bytes, which the temporary name must not pass.
TEST(SaveCommandFaultsTest, AFailedSaveKeepsTheFileAndTheDrawingModified) {
    for (const std::string& name : {std::string("plan.trn"), std::string(247, 'p') + ".trn"}) {
        SCOPED_TRACE(std::to_string(name.size()) + " bytes");
        TempDir dir;
        const fs::path folder = dir.Path() / "plans";
        fs::create_directory(folder);
        const std::string target = LargeDrawing((folder / name).string());
        const std::string previous = ReadBytes(target);
        auto save = [&](long at, int error) {
            WriteBytes(target, previous);
            return RunWithFault({MARQUETTA_SAVE_COMMAND_DRIVER, target}, folder, at, error);
        };
        const FaultRun clean = save(0, ENOSPC);
        ASSERT_EQ(clean.status, 0) << clean.errors;
        ASSERT_GE(clean.calls, 7);
        EXPECT_EQ(clean.trace.back(), "fsync-folder");
        const std::string expected = ReadBytes(target);
        ASSERT_FALSE(expected == previous);

        for (const int error : {ENOSPC, EIO}) {
            for (long at = 1; at <= clean.calls; ++at) {
                SCOPED_TRACE("error " + std::to_string(error) + ", call " + std::to_string(at));
                const FaultRun run = save(at, error);
                ASSERT_NE(run.failed, "-");
                EXPECT_EQ(run.status, 1) << run.failed << " told: " << run.errors;
                const std::string& kept = run.failed == "fsync-folder" ? expected : previous;
                EXPECT_TRUE(ReadBytes(target) == kept) << run.failed << " changed the file";
                EXPECT_EQ(Listing(folder), std::vector<std::string>{name}) << run.failed;
                EXPECT_NE(run.errors.find(error == ENOSPC ? kDiskFull : kSaveFailed),
                          std::string::npos)
                    << run.failed << " told: " << run.errors;
            }
        }
        EXPECT_EQ(save(0, ENOSPC).status, 0);
        EXPECT_TRUE(ReadBytes(target) == expected) << "the save after the faults differs";
    }
}

// A drawing rewritten in place from a verified copy, by each route that leads there: a
// folder that takes no new file (the copy in the temporary folder, saved by a user who
// may not add files there), a file with a second hard link (which a new file would
// split), and a rename refused over a file mounted in place or another user's file in a
// sticky folder (the complete temporary file beside it is the copy). Each call of the
// save fails in turn: before the file is opened for the rewrite nothing changes and no
// copy is left; a failure while rewriting leaves the copy whole and the message names
// it; a failed close after the rewrite was read back counts as saved. Both the native
// file and the POV-Ray scene writer tell where the copy is. The next save succeeds.
TEST(InPlaceSaveFaultsTest, AFailedRewriteKeepsTheCopyAndSaysWhereItIs) {
    constexpr uid_t kNobody = 65534;
    const struct {
        const char* what;
        bool lockedFolder;  // saved by an unprivileged user into a folder without write access
        bool hardLink;
        int renameRefused;  // the error every rename in the folder gets; 0: none
    } routes[] = {
        {"folder that takes no new file", true, false, 0},
        {"second hard link", false, true, 0},
        {"rename refused, mounted file", false, false, EBUSY},
        {"rename refused, sticky folder", false, false, EPERM},
    };
    for (const auto& route : routes) {
        for (const char* extension : {"trn", "pov"}) {
            SCOPED_TRACE(std::string(route.what) + ", ." + extension);
            TempDir dir;
            // The program may run as another user: it must reach the folders and the input.
            fs::permissions(dir.Path(), fs::perms::all);
            const fs::path folder = dir.Path() / "plans";
            const fs::path temporary = dir.Path() / "tmp";
            fs::create_directory(folder);
            fs::create_directory(temporary);
            fs::permissions(temporary, fs::perms::all);
            const std::string input = LargeDrawing(dir.File("input.trn"));
            fs::permissions(input, fs::perms::others_read, fs::perm_options::add);
            const std::string target = (folder / (std::string("plan.") + extension)).string();
            const std::string otherName = (folder / "other-name").string();
            std::vector<std::string> environment = {"TMPDIR=" + temporary.string()};
            if (route.renameRefused != 0) {
                environment.push_back("MARQUETTA_FAULT_RENAME=" +
                                      std::to_string(route.renameRefused));
            }
            auto save = [&](long at) {
                WriteBytes(target, kPrevious);
                fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write |
                                            fs::perms::group_read | fs::perms::group_write |
                                            fs::perms::others_read | fs::perms::others_write);
                if (route.hardLink && !fs::exists(otherName)) {
                    fs::create_hard_link(target, otherName);
                }
                if (route.lockedFolder) {
                    fs::permissions(
                        folder,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
                }
                const FaultRun run =
                    RunWithFault({MARQUETTA_CONVERT_EXE, input, target}, folder, at, EIO,
                                 environment, route.lockedFolder ? kNobody : 0);
                fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
                return run;
            };
            std::vector<std::string> names = {fs::path(target).filename()};
            if (route.hardLink) {
                names.insert(names.begin(), "other-name");
            }
            const FaultRun clean = save(0);
            ASSERT_EQ(clean.status, 0) << clean.errors;
            const std::string expected = ReadBytes(target);
            ASSERT_NE(expected, kPrevious);
            ASSERT_TRUE(fs::is_empty(temporary));
            ASSERT_EQ(Listing(folder), names);
            if (route.hardLink) {
                EXPECT_TRUE(ReadBytes(otherName) == expected) << "the link was split";
            }
            // The rewrite opens the file last of all it opens in the folder; its close ends it.
            const auto last = [&](const char* call) {
                const auto at =
                    std::find_if(clean.trace.rbegin(), clean.trace.rend(),
                                 [&](const std::string& c) { return c.starts_with(call); });
                return static_cast<long>(clean.trace.rend() - at);  // from 1
            };
            const long opening = last("open");
            const long closing = last("close");
            ASSERT_GT(opening, 0);
            ASSERT_GT(closing, opening);
            // The first call of a locked folder is the temporary file it refuses.
            for (long at = route.lockedFolder ? 2 : 1; at <= clean.calls; ++at) {
                const FaultRun run = save(at);
                SCOPED_TRACE(std::to_string(at) + " " + run.failed);
                std::vector<std::string> copies = Listing(temporary);
                for (const std::string& name : Listing(folder)) {
                    if (std::find(names.begin(), names.end(), name) == names.end()) {
                        copies.push_back((folder / name).string());
                    }
                }
                if (at == closing) {
                    // Synced and read back before the file is closed: the drawing is saved.
                    EXPECT_EQ(run.status, 0) << run.errors;
                    EXPECT_TRUE(ReadBytes(target) == expected);
                    EXPECT_TRUE(copies.empty());
                } else if (at <= opening) {
                    EXPECT_EQ(run.status, 1);
                    EXPECT_FALSE(run.errors.empty());
                    EXPECT_TRUE(ReadBytes(target) == kPrevious);
                    EXPECT_TRUE(copies.empty());
                } else {
                    EXPECT_EQ(run.status, 1);
                    ASSERT_EQ(copies.size(), 1u);
                    const fs::path copy =
                        copies[0].front() == '/' ? fs::path(copies[0]) : temporary / copies[0];
                    EXPECT_TRUE(ReadBytes(copy.string()) == expected)
                        << "the kept copy is not whole";
                    EXPECT_NE(run.errors.find(copy.string() + " に残っています"), std::string::npos)
                        << run.errors;
                    fs::remove(copy);
                }
                if (route.hardLink) {
                    EXPECT_EQ(fs::hard_link_count(target), 2u);
                }
            }
            EXPECT_EQ(save(0).status, 0);
            EXPECT_TRUE(ReadBytes(target) == expected);
        }
    }
}

#ifdef MARQUETTA_RECENT_FILES_DRIVER
// The recent-file list in the desktop's settings file: a failed write keeps the old
// file and tells the user; the list is written whole by the next change.
TEST(RecentFilesFaultsTest, EveryFailedCallKeepsTheSettingsFileAndIsReported) {
    TempDir dir;
    const fs::path config = dir.Path() / "config";
    const fs::path folder = config / "HALVERN STUDIO";
    const fs::path file = folder / "Marquetta.conf";
    const std::vector<std::string> environment = {"XDG_CONFIG_HOME=" + config.string(),
                                                  "QT_QPA_PLATFORM=offscreen"};
    auto add = [&](const std::string& path, long at, int error) {
        return RunWithFault({MARQUETTA_RECENT_FILES_DRIVER, path}, folder, at, error,
                            environment);
    };
    fs::create_directories(folder);
    ASSERT_EQ(add("/plans/first.trn", 0, EIO).status, 0);
    const std::string previous = ReadBytes(file.string());
    ASSERT_NE(previous.find("first.trn"), std::string::npos);
    const FaultRun clean = add("/plans/second.trn", 0, EIO);
    ASSERT_EQ(clean.status, 0) << clean.errors;
    ASSERT_GE(clean.calls, 3);
    const std::string expected = ReadBytes(file.string());
    ASSERT_NE(expected.find("second.trn"), std::string::npos);

    for (const int error : {ENOSPC, EIO}) {
        for (long at = 1; at <= clean.calls; ++at) {
            SCOPED_TRACE("error " + std::to_string(error) + ", call " + std::to_string(at));
            WriteBytes(file.string(), previous);
            const FaultRun run = add("/plans/second.trn", at, error);
            ASSERT_NE(run.failed, "-");
            EXPECT_EQ(run.status, 1) << run.failed;
            // Renamed in place but its folder not synced: whole, and still told.
            EXPECT_EQ(ReadBytes(file.string()), run.failed == "fsync-folder" ? expected : previous)
                << run.failed;
            EXPECT_EQ(Listing(folder), std::vector<std::string>{"Marquetta.conf"}) << run.failed;
            EXPECT_NE(run.errors.find("最近使ったﾌｧｲﾙの一覧を保存できません。"), std::string::npos)
                << run.failed << " told: " << run.errors;
        }
    }
    WriteBytes(file.string(), previous);
    EXPECT_EQ(add("/plans/second.trn", 0, EIO).status, 0);
    EXPECT_EQ(ReadBytes(file.string()), expected);
}
#endif

}  // namespace
}  // namespace marquetta
