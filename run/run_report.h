// RunReport: the operator's account of a run, written to standard error so
// that standard output keeps exactly the program's fixed messages.
//
//  - Every failing statement of the session is one German line: what was
//    done to which table, the status and the database's message. A lookup
//    that finds several rows (-1422) is a warning, anything else an error.
//    At most kLinesPerStatement lines are written per statement text; the
//    summary counts the rest, so a broken night does not write a million
//    lines.
//  - The stages count the rows they read and write and are timed; the
//    summary at the end lists them with the errors, warnings and the run's
//    duration. A row counts as written once a commit has made it
//    permanent: writes that a failed commit rolled back, or that no commit
//    followed, are not counted.
//
// There is one report per process (runReport()); installing it as the
// session's observer is the run's business (runTransfer).
//
// When `err` is a terminal, the report also shows the progress of the
// current stage on it (ProgressLine); the line is erased before every line
// the report writes and at the end of each stage. On any other stream the
// output is the same as without it.
//
// For the machine-readable report of a run (report_document.h) it keeps the
// stages' totals and the first kFirstMessages failure lines.
//
// When asked (showRoundTrips), the summary also says per stage how many
// round trips to a database server the stage took, as the backend counts
// them (always 0 on the embedded database): one line
// "Ravlen: Stufe NAME: N Rundreisen, R je gelesene Zeile" after the stage
// lines and "Ravlen: N Rundreisen zum Server" for the whole run. Without
// it the summary is as it always was.
#ifndef RAVLEN_RUN_RUN_REPORT_H_
#define RAVLEN_RUN_RUN_REPORT_H_

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "db/statement_observer.h"
#include "run/progress_line.h"

namespace ravlen {

class RunReport : public StatementObserver {
 public:
  static constexpr int kLinesPerStatement = 3;
  static constexpr size_t kFirstMessages = 10;

  // Starts afresh: no stages, no failures, the clock at zero; lines go to
  // `err`.
  void start(std::FILE* err);
  // Adds the round trips to the summary (see above); start() turns it off.
  void showRoundTrips(bool on) { showTrips_ = on; }

  void failed(StatementOp op, std::string_view statement, const void* id,
              SqlStatus status, std::string_view message) override;
  void committed() override;

  // Stages follow one another; beginStage ends the one before.
  void beginStage(std::string_view name);
  void endStage();
  // Counts for the current stage.
  void rowRead() {
    int64_t read = ++current().read;
    if (progress_.active()) progress_.rowsRead(read);
  }
  void rowWritten(SqlStatus status) {
    if (status.ok()) ++current().pending;
  }
  // Counts for a stage that runs inside the current one (not timed apart).
  void addRows(std::string_view stage, int64_t read, int64_t written);

  int64_t errors() const { return errors_; }
  int64_t warnings() const { return warnings_; }

  // The counts of the lines left out, the stages, errors, warnings and the
  // duration.
  void printSummary();

  // The share of the current stage done so far (0 to 1), where the stage
  // knows it cheaply; the progress line shows percent and time left then.
  void stageShare(double share) { progress_.setShare(share); }
  // Erases the progress line; for other output to the same terminal.
  void clearProgress() { progress_.clear(); }

  // One stage as the summary lists it; seconds < 0: not timed apart.
  struct StageTotals {
    std::string name;
    int64_t read = 0, written = 0;
    double seconds = -1;
  };
  std::vector<StageTotals> stageTotals() const;
  // The first failure lines as written, without their line ends.
  const std::vector<std::string>& firstMessages() const {
    return firstMessages_;
  }

 private:
  struct Stage {
    std::string name;
    int64_t read = 0, written = 0;
    int64_t pending = 0;  // written since the last commit
    double seconds = -1;  // not timed apart
    uint64_t trips = 0;   // round trips to the server
  };
  // The failures of one statement text.
  struct Failures {
    std::string what;  // "beim Einfuegen in Zev899Tgb"
    bool warning = false;
    int64_t count = 0;
  };

  void printRoundTrips();
  Stage& current();
  Stage& stageNamed(std::string_view name);
  double elapsed(std::chrono::steady_clock::time_point since) const;

  std::FILE* err_ = stderr;
  std::vector<Stage> stages_;
  bool stageOpen_ = false;
  size_t currentStage_ = 0;
  std::chrono::steady_clock::time_point runStart_, stageStart_;
  bool showTrips_ = false;
  uint64_t tripsAtStart_ = 0, tripsAtStageStart_ = 0;
  std::map<const void*, Failures> failures_;
  int64_t errors_ = 0, warnings_ = 0;
  ProgressLine progress_;
  std::vector<std::string> firstMessages_;
};

RunReport& runReport();

// A "/D" message on `out`: the session's held statements run first (their
// failures are reported before it, as they would have been), the progress
// line is erased, and the message is flushed at once, so that a log file or
// pipe gets it when it happens rather than at the end of the run.
void printDebugMessage(std::FILE* out, const char* message);

// "beim Einfuegen in Zev899Tgb", "beim Lesen aus Zev310Bsv", ...: the
// operation and table of a failed statement, for the report's lines.
std::string describeStatement(StatementOp op, std::string_view statement);

}  // namespace ravlen

#endif  // RAVLEN_RUN_RUN_REPORT_H_
