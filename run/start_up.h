// Start-up: the command line, the settings, the session and the transfer
// window.
//
// startUp reads the arguments (argv[1..]), prints banner, usage and error
// lines to `out`, reads the four connection settings from the settings file,
// connects, and fixes RunParameters. It returns kProceed with the window
// fixed, or the exit code of an early end:
//   99  fewer than two arguments (banner and usage); settings file that
//       cannot be opened ("INI-Datei nicht gefunden"); every other failure
//       before the session is open ("Db-Connect fehlgeschlagen"): a settings
//       file that opens but cannot be read or has a line beyond the reader's
//       limit, a setting that deciphers to control characters, NET8 empty,
//       the connect or the schema statement failed (no database directory,
//       unknown service or schema, a damaged database file, the database
//       held by another run). The cause goes to `err` as one line, without
//       the password.
//   -1  BisDatum taken from today while the calendar has no row for today;
//       VonDatum after BisDatum; a date argument longer than 8 bytes or an
//       evaluation name longer than 50; the calendar's last day unreadable;
//       then, for what passed those checks: a run mode while the calendar
//       has no row for today; in the date form, a window bound that is not a
//       day yyyymmdd (see date_argument.h); an empty calendar, or VonDatum
//       before its first or after its last day.
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
            std::FILE* err, RunParameters& params);

}  // namespace ravlen

#endif  // RAVLEN_RUN_START_UP_H_
