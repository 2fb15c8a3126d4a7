// Test support: runs a built program of the project and captures what it
// prints and how it ends.
#ifndef RAVLEN_TESTS_SUPPORT_RUN_PROGRAM_H_
#define RAVLEN_TESTS_SUPPORT_RUN_PROGRAM_H_

#include <string>
#include <vector>

namespace ravlen::testing {

struct ProgramResult {
  int exitStatus = -1;  // 0..255, or -1 when it did not exit normally
  std::string out;      // standard output, byte for byte
  std::string err;      // standard error
};

// Path of a program in the build directory ("ravlen", "ravlen-ini", ...).
std::string programPath(const std::string& name);

// Runs `program` with `args` (without the program name), no standard input.
ProgramResult runProgram(const std::string& program,
                         const std::vector<std::string>& args);

}  // namespace ravlen::testing

#endif  // RAVLEN_TESTS_SUPPORT_RUN_PROGRAM_H_
