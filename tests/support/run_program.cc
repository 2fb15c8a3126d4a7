#include "tests/support/run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace ravlen::testing {
namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Waits for `pid` for at most `timeoutSeconds`; past that kills its process
// group and reaps it. Returns the wait status and sets *timedOut.
int waitWithLimit(pid_t pid, int timeoutSeconds, bool* timedOut) {
  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::seconds(timeoutSeconds);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      *timedOut = true;
      kill(-pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    usleep(10 * 1000);
  }
  return status;
}

}  // namespace

std::string programPath(const std::string& name) {
  return std::string(RAVLEN_BINARY_DIR) + "/" + name;
}

ProgramResult runProgram(const std::string& program,
                         const std::vector<std::string>& args,
                         int timeoutSeconds) {
  char outPath[] = "/tmp/ravlen-out-XXXXXX";
  char errPath[] = "/tmp/ravlen-err-XXXXXX";
  int outFd = mkstemp(outPath);
  int errFd = mkstemp(errPath);
  ProgramResult result;
  pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);  // a group of its own, so a time-out kills it whole
    int nullFd = open("/dev/null", O_RDONLY);
    dup2(nullFd, 0);
    dup2(outFd, 1);
    dup2(errFd, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (pid > 0) {
    setpgid(pid, pid);  // also set here: no race with the kill
    int status = waitWithLimit(pid, timeoutSeconds, &result.timedOut);
    if (!result.timedOut && WIFEXITED(status))
      result.exitStatus = WEXITSTATUS(status);
  }
  close(outFd);
  close(errFd);
  result.out = slurp(outPath);
  result.err = slurp(errPath);
  unlink(outPath);
  unlink(errPath);
  return result;
}

}  // namespace ravlen::testing
