#include "run/run_sequence.h"

#include <cstdlib>
#include <string_view>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "run/booking_stage.h"
#include "run/daily_balance_stage.h"
#include "run/personnel_stage.h"
#include "run/roll_up.h"
#include "run/run_report.h"
#include "sql/booking.h"
#include "sql/booking_statistics.h"
#include "sql/daily_balance.h"
#include "sql/daily_balance_enrichment.h"
#include "sql/daily_balance_writer.h"
#include "sql/evaluation.h"
#include "sql/time_account.h"

namespace ravlen {
namespace {

// Set (and not "0"): the summary counts the round trips to the server.
constexpr char kRoundTripsVariable[] = "RAVLEN_RUNDREISEN";
constexpr char kTgbEvaluationMessage[] = "Tabelle Zev898Tgb bearbeiten...\n";
constexpr char kBstEvaluationMessage[] = " Tabelle Zev898Bst bearbeiten...\n";
constexpr char kBchMessage[] = "Tabelle Zev899Bch bearbeiten...\n";
constexpr char kPnrMessage[] = "Tabelle Zev899Pnr bearbeiten...\n";
constexpr char kTgbMessage[] = "Tabelle Zev899Tgb bearbeiten...\n";
constexpr char kFinished[] = "Ravlen: Fertig.\n";

void progress(const RunParameters& p, std::FILE* out, const char* message) {
  if (p.debug) printDebugMessage(out, message);
}

void readPairNumbers(RunState& state) {
  lookupZktSnr(ZktKey("JHS"), state.pairs.jhs);
  lookupZktSnr(ZktKey("JHR"), state.pairs.jhr);
}

// Deletes the window's daily balances and time-account rows, codes 1 to 6 of
// the 899 tables and code 7 of the 898 tables, and commits.
void clearDailyBalances(const RunParameters& p) {
  for (int32_t ztr = 1; ztr <= 6; ++ztr) deleteTgb(p.vonDatum, p.bisDatum, ztr);
  deleteTgbEvaluation(p.vonDatum, p.bisDatum, kZtrEvaluation);
  for (int32_t ztr = 1; ztr <= 6; ++ztr) deleteZkb(p.vonDatum, p.bisDatum, ztr);
  deleteZkbEvaluation(p.vonDatum, p.bisDatum, kZtrEvaluation);
  sqlCommit();
}

// Deletes the window's booking statistics and commits. The counts of a week,
// month, quarter, half-year or year are added to a stored row, so the
// statistics of the periods that begin before the window and that the
// roll-up rebuilds whole (from the first day of the period holding VonDatum)
// go as well; otherwise every run over a window that starts inside such a
// period would add its counts again.
void clearStatistics(const RunParameters& p) {
  for (int32_t ztr = 1; ztr <= 6; ++ztr) deleteBst(p.vonDatum, p.bisDatum, ztr);
  deleteBstEvaluation(p.vonDatum, p.bisDatum, kZtrEvaluation);
  for (int32_t ztr = 2; ztr <= 6; ++ztr) {
    DateText first;
    if (firstPeriodStart(ztr, p.vonDatum, first) && first < p.vonDatum)
      deleteBstBefore(first, p.vonDatum, ztr);
  }
  sqlCommit();
}

void standardRun(const RunParameters& p, std::FILE* out) {
  RunReport& report = runReport();
  RunState state;
  readPairNumbers(state);
  progress(p, out, kBchMessage);
  report.beginStage("Buchungen");
  runBookingStage(p.vonDatum, p.bisDatum);
  progress(p, out, kPnrMessage);
  report.beginStage("Personal");
  runPersonnelStage(p.vonDatum, p.bisDatum);
  progress(p, out, kTgbMessage);
  report.beginStage("Bereinigung Tagessalden");
  clearDailyBalances(p);
  report.beginStage("Tagessalden");
  runDailyBalanceStage(p.vonDatum, p.bisDatum, state.pairs);
  report.beginStage("Bereinigung Statistik");
  clearStatistics(p);
  rollUpPeriods(p, out);
  report.endStage();
  std::fputs(kFinished, out);
  sqlEnd();
}

// Builds the one evaluation over the window from the day rows already in
// the warehouse. The booking counts are added to stored rows, so the
// evaluation's earlier counts for this very period go first, in the same
// transaction as the build.
void namedEvaluationRun(const RunParameters& p, std::FILE* out) {
  progress(p, out, kTgbEvaluationMessage);
  runReport().beginStage("Auswertung");
  deleteBstEvaluationPeriod(p.auswertungsname, p.vonDatum, p.bisDatum);
  buildEvaluationPeriod(p.vonDatum, p.bisDatum, p.auswertungsname,
                        p.debug ? kBstEvaluationMessage : nullptr, out);
  markEvaluation(p.auswertungsname);
  sqlCommit();
}

}  // namespace

int runTransfer(const RunParameters& params, std::FILE* out, std::FILE* err) {
  RunReport& report = runReport();
  report.start(err);
  const char* trips = std::getenv(kRoundTripsVariable);
  report.showRoundTrips(trips != nullptr && *trips != '\0' &&
                        std::string_view(trips) != "0");
  session().setObserver(&report);
  if (params.auswertungsname.empty())
    standardRun(params, out);
  else
    namedEvaluationRun(params, out);
  std::fflush(out);
  report.printSummary();
  session().setObserver(nullptr);
  return report.errors() > 0 ? kExitFailed : 0;
}

}  // namespace ravlen
