#include "gui/program_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <cerrno>
#include <string>

extern char** environ;

namespace marquetta {
namespace {

// How often a running program is looked at.
constexpr int kPollMilliseconds = 100;
// Enough of the output for the last lines of an error.
constexpr size_t kOutputTail = 16384;

// A temporary file that no folder lists: it goes when the last program holding it ends.
int OpenOutputFile() {
    std::string pattern = (QDir::tempPath() + QStringLiteral("/marquetta-run-XXXXXX")).toStdString();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0) {
        ::unlink(pattern.c_str());
    }
    return fd;
}

// The last `limit` bytes of an open file.
std::string ReadFileTail(int fd, size_t limit) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return std::string();
    }
    const off_t size = info.st_size;
    const off_t from = size > static_cast<off_t>(limit) ? size - static_cast<off_t>(limit) : 0;
    std::string tail(static_cast<size_t>(size - from), '\0');
    size_t got = 0;
    while (got < tail.size()) {
        const ssize_t n = ::pread(fd, tail.data() + got, tail.size() - got,
                                  from + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    tail.resize(got);
    return tail;
}

}  // namespace

CProgramRunner::CProgramRunner(QObject* parent) : QObject(parent) {
    timer_.setInterval(kPollMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &CProgramRunner::Poll);
}

CProgramRunner::~CProgramRunner() {
    for (const Running& run : running_) {
        ::close(run.output);
    }
}

bool CProgramRunner::Start(const ProgramLaunch& launch, ProgramEnded ended) {
    const int output = OpenOutputFile();
    if (output < 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output, 1);
    posix_spawn_file_actions_adddup2(&actions, output, 2);
    posix_spawn_file_actions_addchdir_np(&actions, launch.folder.c_str());

    // A session of its own: no signal meant for this program or its terminal reaches
    // it, and no signal this program blocks stays blocked there.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);

    std::vector<std::string> texts;
    texts.push_back(launch.program);
    texts.insert(texts.end(), launch.arguments.begin(), launch.arguments.end());
    std::vector<char*> argv;
    argv.reserve(texts.size() + 1);
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int error = posix_spawn(&pid, launch.program.c_str(), &actions, &attributes,
                                  argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        ::close(output);
        return false;
    }
    running_.push_back(Running{pid, output, std::move(ended)});
    timer_.start();
    return true;
}

void CProgramRunner::Poll() {
    // The ends are reported after the list is settled: a report may open a message box
    // whose event loop comes back here.
    std::vector<std::pair<ProgramEnd, ProgramEnded>> ends;
    for (auto it = running_.begin(); it != running_.end();) {
        int status = 0;
        if (::waitpid(it->pid, &status, WNOHANG) != it->pid) {
            ++it;
            continue;
        }
        ProgramEnd end;
        end.exited = WIFEXITED(status);
        end.status = end.exited ? WEXITSTATUS(status) : WTERMSIG(status);
        end.output = ReadFileTail(it->output, kOutputTail);
        ::close(it->output);
        ends.emplace_back(std::move(end), std::move(it->ended));
        it = running_.erase(it);
    }
    if (running_.empty()) {
        timer_.stop();
    }
    for (auto& [end, ended] : ends) {
        if (ended) {
            ended(end);
        }
    }
}

}  // namespace marquetta
