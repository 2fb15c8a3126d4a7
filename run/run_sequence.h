// The transfer run that follows start-up: the named-evaluation run when an
// evaluation name was given, else the standard run. Returns the exit code.
#ifndef RAVLEN_RUN_RUN_SEQUENCE_H_
#define RAVLEN_RUN_RUN_SEQUENCE_H_

#include <cstdio>

#include "run/run_parameters.h"

namespace ravlen {

int runTransfer(const RunParameters& params, std::FILE* out);

}  // namespace ravlen

#endif  // RAVLEN_RUN_RUN_SEQUENCE_H_
