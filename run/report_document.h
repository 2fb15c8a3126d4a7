// The run report for monitoring: one JSON document per run, which the
// program writes to the file that RAVLEN_REPORT names (ravlen.cc).
//
// reportDocument gives, as an object:
//   "program", "version"   "ravlen" and the build's version
//   "start", "end"         local time, ISO 8601 with the offset from UTC
//   "seconds"              the run's duration
//   "exit_code"            as the program returns it (-1 for the window ends)
//   "exit_status"          as a scheduler sees it (0 to 255)
//   "reason"               an early end's message as printed, else null
//   "window"               {"from", "to"} once the run started, else null
//   "run"                  {"kind": "standard"} or {"kind": "evaluation",
//                          "name"} once the run started, else null
//   "backend"              "embedded", "postgresql" or "oracle", from the
//                          form of NET8; null when not read
//   "stages"               [{"name", "read", "written", "seconds"}], seconds
//                          null for a stage not timed apart
//   "errors", "warnings"   counts of failed statements
//   "messages"             the first failure lines as written on stderr
//
// The connect text, the login and the password are not among the facts, so
// they never reach the document. Bytes that are no valid UTF-8 (messages
// in Windows-1252, a name from the command line) become U+FFFD, so the
// document is always valid JSON.
#ifndef RAVLEN_RUN_REPORT_DOCUMENT_H_
#define RAVLEN_RUN_REPORT_DOCUMENT_H_

#include <chrono>
#include <string>
#include <string_view>

#include "run/run_report.h"

namespace ravlen {

struct RunFacts {
  std::chrono::system_clock::time_point start, end;
  int exitCode = 0;
  std::string reason;  // early ends only
  bool ran = false;    // the run started; the next three are set
  std::string vonDatum, bisDatum, evaluation;
  std::string backend;  // "" when unknown
};

std::string reportDocument(const RunFacts& facts, const RunReport& report);

// The kind of backend a NET8 value selects: "sqlite:DIR" the embedded
// database, "postgresql://..." and "postgres://..." a PostgreSQL server,
// anything else an Oracle net service name or easy-connect text. The value
// itself is not kept.
std::string backendKindOf(std::string_view net8);

}  // namespace ravlen

#endif  // RAVLEN_RUN_REPORT_DOCUMENT_H_
