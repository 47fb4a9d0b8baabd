// Every writer run with each of its file calls failing in turn (ENOSPC, then EIO),
// through the write-fault library preloaded into the real program: the previous file
// stays byte for byte, the user is told what the program documents for that failure,
// no temporary file is left, and the next save succeeds.
#include <gtest/gtest.h>
#include <fcntl.h>
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
        if (switchUser && (::setgid(asUser) != 0 || ::setuid(asUser) != 0)) {
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
    // Creating, two writes or more, syncing, closing and renaming.
    ASSERT_GE(clean.calls, 6);
    const std::string expected = ReadBytes(target);

    for (const int error : {ENOSPC, EIO}) {
        for (long at = 1; at <= clean.calls; ++at) {
            SCOPED_TRACE("error " + std::to_string(error) + ", call " + std::to_string(at));
            WriteBytes(target, kPrevious);
            const FaultRun run = RunWithFault(convert, folder, at, error);
            ASSERT_NE(run.failed, "-");
            EXPECT_EQ(run.status, 1) << run.failed;
            EXPECT_TRUE(ReadBytes(target) == kPrevious) << run.failed << " changed the file";
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

INSTANTIATE_TEST_SUITE_P(Writers, SaveFaultsTest,
                         ::testing::Values(Writer{"trn", false}, Writer{"dxf", true},
                                           Writer{"pov", true}, Writer{"svg", false}),
                         [](const auto& info) { return std::string(info.param.extension); });

// The program's Save command over the drawing it opened: a failed save keeps the file,
// tells the user and leaves the drawing marked modified, so nothing drawn is lost.
TEST(SaveCommandFaultsTest, AFailedSaveKeepsTheFileAndTheDrawingModified) {
    TempDir dir;
    const fs::path folder = dir.Path() / "plans";
    fs::create_directory(folder);
    const std::string target = LargeDrawing((folder / "plan.trn").string());
    const std::string previous = ReadBytes(target);
    auto save = [&](long at, int error) {
        WriteBytes(target, previous);
        return RunWithFault({MARQUETTA_SAVE_COMMAND_DRIVER, target}, folder, at, error);
    };
    const FaultRun clean = save(0, ENOSPC);
    ASSERT_EQ(clean.status, 0) << clean.errors;
    ASSERT_GE(clean.calls, 6);
    const std::string expected = ReadBytes(target);
    ASSERT_FALSE(expected == previous);

    for (const int error : {ENOSPC, EIO}) {
        for (long at = 1; at <= clean.calls; ++at) {
            SCOPED_TRACE("error " + std::to_string(error) + ", call " + std::to_string(at));
            const FaultRun run = save(at, error);
            ASSERT_NE(run.failed, "-");
            EXPECT_EQ(run.status, 1) << run.failed << " told: " << run.errors;
            EXPECT_TRUE(ReadBytes(target) == previous) << run.failed << " changed the file";
            EXPECT_EQ(Listing(folder), std::vector<std::string>{"plan.trn"}) << run.failed;
            EXPECT_NE(run.errors.find(error == ENOSPC ? kDiskFull : kSaveFailed), std::string::npos)
                << run.failed << " told: " << run.errors;
        }
    }
    EXPECT_EQ(save(0, ENOSPC).status, 0);
    EXPECT_TRUE(ReadBytes(target) == expected) << "the save after the faults differs";
}

// A folder that takes no new file, holding a drawing that may be written: the drawing
// is rewritten in place from a verified copy in the temporary folder. A failure while
// rewriting leaves that copy whole and the message names it; the next save succeeds.
TEST(InPlaceSaveFaultsTest, AFailedRewriteKeepsTheCopyAndSaysWhereItIs) {
    constexpr uid_t kNobody = 65534;
    TempDir dir;
    // The program may run as another user: it must reach the folders and the input.
    fs::permissions(dir.Path(), fs::perms::all);
    const fs::path folder = dir.Path() / "locked";
    const fs::path temporary = dir.Path() / "tmp";
    fs::create_directory(folder);
    fs::create_directory(temporary);
    fs::permissions(temporary, fs::perms::all);
    const std::string input = LargeDrawing(dir.File("input.trn"));
    fs::permissions(input, fs::perms::others_read, fs::perm_options::add);
    const std::string target = (folder / "plan.trn").string();
    auto save = [&](long at, int error) {
        WriteBytes(target, kPrevious);
        fs::permissions(target, fs::perms::all & ~fs::perms::owner_exec & ~fs::perms::group_exec &
                                    ~fs::perms::others_exec);
        fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
        fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove);
        const FaultRun run = RunWithFault({MARQUETTA_CONVERT_EXE, input, target}, folder, at, error,
                                          {"TMPDIR=" + temporary.string()}, kNobody);
        fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
        return run;
    };
    const FaultRun clean = save(0, EIO);
    ASSERT_EQ(clean.status, 0) << clean.errors;
    const std::string expected = ReadBytes(target);
    ASSERT_NE(expected, kPrevious);
    ASSERT_TRUE(fs::is_empty(temporary));
    // The first call is the temporary file the folder refuses.
    for (long at = 2; at <= clean.calls; ++at) {
        const FaultRun run = save(at, EIO);
        SCOPED_TRACE(run.failed);
        const std::vector<std::string> copies = Listing(temporary);
        if (run.failed == "close") {
            // Synced and read back before the file is closed: the drawing is saved.
            EXPECT_EQ(run.status, 0) << run.errors;
            EXPECT_TRUE(ReadBytes(target) == expected);
            EXPECT_TRUE(copies.empty());
        } else if (run.failed.starts_with("open")) {
            EXPECT_EQ(run.status, 1);
            EXPECT_TRUE(ReadBytes(target) == kPrevious);
            EXPECT_TRUE(copies.empty());
        } else {
            EXPECT_EQ(run.status, 1);
            ASSERT_EQ(copies.size(), 1u);
            const fs::path copy = temporary / copies[0];
            EXPECT_TRUE(ReadBytes(copy.string()) == expected) << "the kept copy is not whole";
            EXPECT_NE(run.errors.find(copy.string() + " に残っています"), std::string::npos)
                << run.errors;
            fs::remove(copy);
        }
    }
    EXPECT_EQ(save(0, EIO).status, 0);
    EXPECT_TRUE(ReadBytes(target) == expected);
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
            EXPECT_EQ(ReadBytes(file.string()), previous) << run.failed;
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
