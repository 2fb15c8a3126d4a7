// RunParameters: the transfer window, the evaluation name and the debug
// switch, fixed once at start-up and read by the run sequence and roll-up.
#ifndef RAVLEN_RUN_RUN_PARAMETERS_H_
#define RAVLEN_RUN_RUN_PARAMETERS_H_

#include "db/fixed_text.h"

namespace ravlen {

using EvaluationName = FixedText<50>;

struct RunParameters {
  DateText vonDatum;               // first day of the window
  DateText bisDatum;               // last day of the window
  EvaluationName auswertungsname;  // non-empty: the named-evaluation run
  int debug = 0;                   // 1 with "/D": progress messages
};

}  // namespace ravlen

#endif  // RAVLEN_RUN_RUN_PARAMETERS_H_
