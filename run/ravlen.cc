#include "run/ravlen.h"

#include <cstdio>

#include "run/run_sequence.h"
#include "run/start_up.h"

namespace ravlen {

int runRavlen(int argc, char** argv) {
  RunParameters params;
  int end = startUp(argc, argv, stdout, params);
  if (end == kProceed) end = runTransfer(params, stdout);
  std::fflush(stdout);
  return end;
}

}  // namespace ravlen
