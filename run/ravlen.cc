#include "run/ravlen.h"

#include <cstdio>

#include "run/run_sequence.h"
#include "run/start_up.h"

namespace ravlen {
namespace {

// For the operator's log: the window the run works on. Standard output keeps
// exactly the program's fixed messages, so this goes to standard error.
void reportWindow(const RunParameters& p, std::FILE* err) {
  std::fprintf(err, "Ravlen: Uebernahmezeitraum %s bis %s", p.vonDatum.c_str(),
               p.bisDatum.c_str());
  if (!p.auswertungsname.empty())
    std::fprintf(err, ", Auswertung %s", p.auswertungsname.c_str());
  std::fputc('\n', err);
}

}  // namespace

int runRavlen(int argc, char** argv) {
  RunParameters params;
  int end = startUp(argc, argv, stdout, stderr, params);
  if (end == kProceed) {
    reportWindow(params, stderr);
    end = runTransfer(params, stdout, stderr);
  }
  std::fflush(stdout);
  return end;
}

}  // namespace ravlen
