// Test support: a built program run as a child process that the test
// controls while it runs: started without waiting, killed with SIGKILL,
// waited for with a time limit, optionally under a file-size limit (a full
// disk as the program sees it) or as an unprivileged user (so that
// read-only files are read-only even when the tests run as root).
#ifndef RAVLEN_TESTS_SUPPORT_CHILD_PROCESS_H_
#define RAVLEN_TESTS_SUPPORT_CHILD_PROCESS_H_

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace ravlen::testing {

struct ChildOptions {
  // > 0: RLIMIT_FSIZE in bytes, with SIGXFSZ ignored, so that a write
  // beyond it fails with EFBIG the way a write to a full disk fails.
  long long fileSizeLimit = 0;
  // When the test runs as root: the child gives up root for the user and
  // group kUnprivilegedId before it starts the program.
  bool unprivileged = false;
  // >= 0: the child's standard output or error goes to this descriptor (a
  // pipe or pseudo-terminal the test reads while the child runs) instead of
  // a file; the test closes its own copy after start().
  int outFd = -1;
  int errFd = -1;
};

// 'nobody' on Debian and most other systems.
inline constexpr unsigned kUnprivilegedId = 65534;

// How a child ended.
struct ChildResult {
  int exitStatus = -1;    // 0..255 when it exited, else -1
  int signal = 0;         // the signal that ended it, 0 when it exited
  bool timedOut = false;  // it outlived the time limit and was killed
  std::string out, err;   // standard output and standard error
  std::chrono::duration<double> elapsed{};  // from start until reaped
};

// One child process: start, then at most one of kill/wait ends it. The
// destructor kills and reaps a child that is still running.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts `program` with `args` (without the program name), standard
  // input from /dev/null, standard output and error into files of their
  // own. False when the process could not be made.
  bool start(const std::string& program, const std::vector<std::string>& args,
             const ChildOptions& options = {});

  // Waits until the child ends, at most `limit` from now; when that has
  // passed, kills it with SIGKILL and sets timedOut.
  ChildResult wait(std::chrono::duration<double> limit);

  // Without waiting: true and *result when the child has ended (it is then
  // reaped), false while it runs.
  bool ended(ChildResult* result);

  // Kills the child with SIGKILL `delay` after its start (at once when that
  // moment has passed) and reaps it. A child that ended before shows its
  // own exit status; `signal` is SIGKILL when the kill ended it.
  ChildResult killAfter(std::chrono::duration<double> delay);
  // Kills the child with SIGKILL now and reaps it.
  ChildResult killNow();

  bool running() const { return pid_ > 0; }

 private:
  ChildResult finish(int waitStatus);

  pid_t pid_ = -1;
  std::string outPath_, errPath_;
  std::chrono::steady_clock::time_point started_;
};

// Waits for all of `children` at once, so that each one's elapsed time is
// its own, at most `limit` from now (as ChildProcess::wait).
std::vector<ChildResult> waitAll(const std::vector<ChildProcess*>& children,
                                 std::chrono::duration<double> limit);

// Starts, waits at most `limit`, returns how it ended.
ChildResult runChild(const std::string& program,
                     const std::vector<std::string>& args,
                     std::chrono::duration<double> limit,
                     const ChildOptions& options = {});

}  // namespace ravlen::testing

#endif  // RAVLEN_TESTS_SUPPORT_CHILD_PROCESS_H_
