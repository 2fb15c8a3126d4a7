// The transfer run that follows start-up. A non-empty evaluation name selects
// the named-evaluation run, an empty one the standard run. Both go through
// their whole sequence whatever fails inside it; failing statements are
// reported on `err` as they happen, and a summary of the run follows at the
// end (RunReport). The exit code is 0, or kExitFailed when any statement
// failed, so that a scheduler sees a broken night.
//
// Standard run, in this fixed order: the JHS/JHR balance-pair numbers; the
// booking and personnel stages; the first clear-down (daily balances and
// time-account rows of the window, codes 1-6 and 7), committed; the
// daily-balance stage with its time-account bookings; the second clear-down
// (booking statistics, codes 1-6 and 7), committed; the period roll-up;
// "Ravlen: Fertig.\n". Progress lines only with the debug flag.
//
// Named-evaluation run: period code 7, the evaluation period over the window,
// the evaluation's mark, commit; no closing message.
#ifndef RAVLEN_RUN_RUN_SEQUENCE_H_
#define RAVLEN_RUN_RUN_SEQUENCE_H_

#include <cstdint>
#include <cstdio>

#include "run/run_parameters.h"
#include "sql/daily_balance_enrichment.h"

namespace ravlen {

inline constexpr int32_t kZtrEvaluation = 7;
inline constexpr int kExitFailed = 1;

// Values that the standard run reads once and its stages share.
struct RunState {
  YearBalancePairs pairs;  // of the time accounts "JHS" and "JHR"
};

// The run itself; with the environment variable RAVLEN_RUNDREISEN set (to
// anything but "0") its summary counts the round trips to the server
// (RunReport::showRoundTrips).
int runTransfer(const RunParameters& params, std::FILE* out, std::FILE* err);

}  // namespace ravlen

#endif  // RAVLEN_RUN_RUN_SEQUENCE_H_
