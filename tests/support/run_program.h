// Test support: runs a built program of the project and captures what it
// prints and how it ends.
#ifndef RAVLEN_TESTS_SUPPORT_RUN_PROGRAM_H_
#define RAVLEN_TESTS_SUPPORT_RUN_PROGRAM_H_

#include <string>
#include <vector>

namespace ravlen::testing {

struct ProgramResult {
  int exitStatus = -1;  // 0..255, or -1 when it did not exit normally
  bool timedOut = false;  // killed after its time limit
  std::string out;      // standard output, byte for byte
  std::string err;      // standard error
};

// Path of a program in the build directory ("ravlen", "ravlen-ini", ...).
std::string programPath(const std::string& name);

// Runs `program` with `args` (without the program name), no standard input.
// A program still running after `timeoutSeconds` is killed together with
// every process it started (its own process group) and reported with
// timedOut set and exitStatus -1, so a run that never ends fails its test
// instead of hanging the suite.
inline constexpr int kProgramTimeoutSeconds = 300;
ProgramResult runProgram(const std::string& program,
                         const std::vector<std::string>& args,
                         int timeoutSeconds = kProgramTimeoutSeconds);

}  // namespace ravlen::testing

#endif  // RAVLEN_TESTS_SUPPORT_RUN_PROGRAM_H_
