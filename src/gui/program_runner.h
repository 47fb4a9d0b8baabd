// Starts programs that outlive this one: each runs in its own session in the folder it
// was given, its output going to an unlinked temporary file, so that neither closing
// the program nor a full pipe stops it. While any runs, a timer looks for its end and
// then hands its exit status and the end of its output to the caller.
#pragma once

#include <QObject>
#include <QTimer>
#include <sys/types.h>
#include <vector>

#include "platform/platform.h"

namespace marquetta {

class CProgramRunner : public QObject {
  public:
    explicit CProgramRunner(QObject* parent = nullptr);
    // The programs still running go on; their ends are not reported.
    ~CProgramRunner() override;

    // False when the program cannot be started (not found, not executable, no such
    // folder).
    bool Start(const ProgramLaunch& launch, ProgramEnded ended);

  private:
    struct Running {
        pid_t pid = -1;
        int output = -1;
        ProgramEnded ended;
    };

    void Poll();

    std::vector<Running> running_;
    QTimer timer_;
};

}  // namespace marquetta
