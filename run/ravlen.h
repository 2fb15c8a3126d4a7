#ifndef RAVLEN_RUN_RAVLEN_H_
#define RAVLEN_RUN_RAVLEN_H_
namespace ravlen {
// The program: command line, settings, session, window, run. Returns the
// process exit code.
int runRavlen(int argc, char** argv);
}  // namespace ravlen
#endif  // RAVLEN_RUN_RAVLEN_H_
