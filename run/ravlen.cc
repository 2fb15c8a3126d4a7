#include "run/ravlen.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "run/atomic_file.h"
#include "run/console_texts.h"
#include "run/output_capture.h"
#include "run/report_document.h"
#include "run/run_report.h"
#include "run/run_sequence.h"
#include "run/start_up.h"
#include "settings/settings_reader.h"

namespace ravlen {
namespace {

// Names the file of the run report for monitoring; unset or empty: none.
constexpr char kReportVariable[] = "RAVLEN_REPORT";
constexpr char kTooFewArguments[] = "zu wenige Argumente";

// For the operator's log: the window the run works on. Standard output keeps
// exactly the program's fixed messages, so this goes to standard error.
void reportWindow(const RunParameters& p, std::FILE* err) {
  std::fprintf(err, "Ravlen: Uebernahmezeitraum %s bis %s", p.vonDatum.c_str(),
               p.bisDatum.c_str());
  if (!p.auswertungsname.empty())
    std::fprintf(err, ", Auswertung %s", p.auswertungsname.c_str());
  std::fputc('\n', err);
}

// Start-up, printing to `startOut`, then the run. Notes the window and the
// run kind in `facts` once the run starts.
int startAndRun(int argc, char** argv, std::FILE* startOut, RunFacts& facts) {
  RunParameters params;
  int end = startUp(argc, argv, startOut, stderr, params);
  if (end != kProceed) return end;
  facts.ran = true;
  facts.vonDatum = params.vonDatum.str();
  facts.bisDatum = params.bisDatum.str();
  facts.evaluation = params.auswertungsname.str();
  reportWindow(params, stderr);
  return runTransfer(params, stdout, stderr);
}

// What start-up printed last before an early end: the last line with more
// than blanks, or for the usage text the reason it is shown.
std::string earlyEndReason(const std::string& printed, int end) {
  if (printed.ends_with(kUsage)) return kTooFewArguments;
  size_t last = printed.find_last_not_of(" \r\n");
  if (last == std::string::npos)
    return "Abbruch beim Start, Rueckgabewert " + std::to_string(end);
  size_t first = printed.rfind('\n', last);
  first = first == std::string::npos ? 0 : first + 1;
  return printed.substr(first, last - first + 1);
}

// The kind of backend that the settings file's NET8 selects, read anew
// here so that start-up hands on no connection value; "" without one.
std::string backendOfSettings(int argc, char** argv) {
  if (argc < 2) return "";
  std::string net8 = readSetting("", "NET8", 0, argv[1]).value.str();
  return net8.empty() ? "" : backendKindOf(net8);
}

void writeReport(const char* path, int argc, char** argv, int end,
                 RunFacts& facts) {
  facts.end = std::chrono::system_clock::now();
  facts.exitCode = end;
  facts.backend = backendOfSettings(argc, argv);
  std::string error;
  if (!replaceFileAtomically(path, reportDocument(facts, runReport()), &error))
    std::fprintf(stderr, "Ravlen: Laufbericht nicht geschrieben (%s)\n",
                 error.c_str());
}

}  // namespace

int runRavlen(int argc, char** argv) {
  RunFacts facts;
  facts.start = std::chrono::system_clock::now();
  const char* reportPath = std::getenv(kReportVariable);
  bool wantReport = reportPath != nullptr && *reportPath != '\0';
  int end;
  if (!wantReport) {
    end = startAndRun(argc, argv, stdout, facts);
  } else {
    OutputCapture startOutput(stdout);
    end = startAndRun(argc, argv, startOutput.stream(), facts);
    if (!facts.ran) facts.reason = earlyEndReason(startOutput.text(), end);
  }
  std::fflush(stdout);
  if (wantReport) writeReport(reportPath, argc, argv, end, facts);
  return end;
}

}  // namespace ravlen
