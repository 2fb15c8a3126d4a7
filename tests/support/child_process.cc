#include "tests/support/child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace ravlen::testing {
namespace {

using Clock = std::chrono::steady_clock;

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string makeTempFile(const char* kind, int* fd) {
  std::string path = std::string("/tmp/ravlen-") + kind + "-XXXXXX";
  *fd = mkstemp(path.data());
  return path;
}

// Runs in the child between fork and exec: only system calls from here on.
[[noreturn]] void execChild(const char* program, char* const* argv, int outFd,
                            int errFd, const ChildOptions& options) {
  int nullFd = open("/dev/null", O_RDONLY);
  if (options.outFd >= 0) outFd = options.outFd;
  if (options.errFd >= 0) errFd = options.errFd;
  if (nullFd < 0 || dup2(nullFd, 0) < 0 || dup2(outFd, 1) < 0 ||
      dup2(errFd, 2) < 0)
    _exit(126);
  if (options.fileSizeLimit > 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit;
    limit.rlim_cur = limit.rlim_max =
        static_cast<rlim_t>(options.fileSizeLimit);
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
  }
  if (options.unprivileged && geteuid() == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(kUnprivilegedId) != 0 ||
        setuid(kUnprivilegedId) != 0)
      _exit(126);
  }
  execv(program, argv);
  _exit(127);
}

}  // namespace

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  if (!outPath_.empty()) unlink(outPath_.c_str());
  if (!errPath_.empty()) unlink(errPath_.c_str());
}

bool ChildProcess::start(const std::string& program,
                         const std::vector<std::string>& args,
                         const ChildOptions& options) {
  int outFd = -1, errFd = -1;
  outPath_ = makeTempFile("out", &outFd);
  errPath_ = makeTempFile("err", &errFd);
  if (outFd < 0 || errFd < 0) return false;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  started_ = Clock::now();
  pid_ = fork();
  if (pid_ == 0) execChild(program.c_str(), argv.data(), outFd, errFd, options);
  close(outFd);
  close(errFd);
  return pid_ > 0;
}

ChildResult ChildProcess::finish(int waitStatus) {
  ChildResult result;
  result.elapsed = Clock::now() - started_;
  if (WIFEXITED(waitStatus)) result.exitStatus = WEXITSTATUS(waitStatus);
  if (WIFSIGNALED(waitStatus)) result.signal = WTERMSIG(waitStatus);
  result.out = slurp(outPath_);
  result.err = slurp(errPath_);
  pid_ = -1;
  return result;
}

bool ChildProcess::ended(ChildResult* result) {
  int status = 0;
  if (pid_ <= 0 || waitpid(pid_, &status, WNOHANG) != pid_) return false;
  *result = finish(status);
  return true;
}

ChildResult ChildProcess::wait(std::chrono::duration<double> limit) {
  return waitAll({this}, limit).front();
}

std::vector<ChildResult> waitAll(const std::vector<ChildProcess*>& children,
                                 std::chrono::duration<double> limit) {
  std::vector<ChildResult> results(children.size());
  std::vector<bool> done(children.size());
  auto deadline =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(limit);
  for (size_t left = children.size(); left > 0;) {
    for (size_t i = 0; i < children.size(); ++i) {
      if (done[i]) continue;
      if (!children[i]->running() || children[i]->ended(&results[i])) {
        done[i] = true;
        --left;
      } else if (Clock::now() >= deadline) {
        results[i] = children[i]->killNow();
        results[i].timedOut = true;
        done[i] = true;
        --left;
      }
    }
    if (left > 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return results;
}

ChildResult ChildProcess::killNow() {
  if (pid_ <= 0) return {};  // never kill(-1, ...): that is every process
  int status = 0;
  kill(pid_, SIGKILL);
  waitpid(pid_, &status, 0);
  return finish(status);
}

ChildResult ChildProcess::killAfter(std::chrono::duration<double> delay) {
  auto at = started_ + std::chrono::duration_cast<Clock::duration>(delay);
  int status = 0;
  while (pid_ > 0) {
    if (waitpid(pid_, &status, WNOHANG) == pid_) return finish(status);
    auto now = Clock::now();
    if (now >= at) return killNow();
    std::this_thread::sleep_for(
        std::min<Clock::duration>(at - now, std::chrono::milliseconds(1)));
  }
  return {};
}

ChildResult runChild(const std::string& program,
                     const std::vector<std::string>& args,
                     std::chrono::duration<double> limit,
                     const ChildOptions& options) {
  ChildProcess child;
  if (!child.start(program, args, options)) return {};
  return child.wait(limit);
}

}  // namespace ravlen::testing
