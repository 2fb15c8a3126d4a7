// Start-up: the command line, the settings, the session and the transfer
// window.
//
// startUp reads the arguments (argv[1..]), prints banner, usage and error
// lines to `out`, reads the four connection settings from the settings file,
// connects, and fixes RunParameters. It returns kProceed with the window
// fixed, or the exit code of an early end:
//   99  fewer than two arguments; settings file not found; settings file
//       there but unreadable; a setting that deciphers to control characters
//       (checked before connecting); NET8 empty; connect failed
//   -1  VonDatum after BisDatum; a date argument longer than 8 characters or
//       an evaluation name longer than 50; the calendar's last day
//       unreadable; then, for what passed those checks: a window that takes
//       a bound from today (every run mode; the date form without BisDatum)
//       while the calendar has no row for today; in the date form, a window
//       bound that is not a day yyyymmdd (see date_argument.h)
// Every early end happens before the run, so nothing is written then.
#ifndef RAVLEN_RUN_START_UP_H_
#define RAVLEN_RUN_START_UP_H_

#include <cstdio>

#include "run/run_parameters.h"

namespace ravlen {

inline constexpr int kProceed = 1000;
inline constexpr int kExitCannotStart = 99;
inline constexpr int kExitWindow = -1;

int startUp(int argc, const char* const* argv, std::FILE* out,
            RunParameters& params);

}  // namespace ravlen

#endif  // RAVLEN_RUN_START_UP_H_
