#include "run/run_sequence.h"

#include "db/sqlhlp.h"
#include "sql/booking.h"
#include "sql/daily_balance.h"
#include "sql/evaluation.h"
#include "sql/time_account.h"

namespace ravlen {
namespace {

constexpr char kTgbEvaluationMessage[] = "Tabelle Zev898Tgb bearbeiten...\n";
constexpr char kTgbMessage[] = "Tabelle Zev899Tgb bearbeiten...\n";
constexpr char kFinished[] = "Ravlen: Fertig.\n";

void progress(const RunParameters& p, std::FILE* out, const char* message) {
  if (p.debug) std::fputs(message, out);
}

void readPairNumbers(RunState& state) {
  lookupZktSnr(ZktKey("JHS"), state.jhsPair);
  lookupZktSnr(ZktKey("JHR"), state.jhrPair);
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

// Deletes the window's booking statistics and commits.
void clearStatistics(const RunParameters& p) {
  for (int32_t ztr = 1; ztr <= 6; ++ztr) deleteBst(p.vonDatum, p.bisDatum, ztr);
  deleteBstEvaluation(p.vonDatum, p.bisDatum, kZtrEvaluation);
  sqlCommit();
}

int standardRun(const RunParameters& p, std::FILE* out) {
  RunState state;
  readPairNumbers(state);
  progress(p, out, kTgbMessage);
  clearDailyBalances(p);
  clearStatistics(p);
  std::fputs(kFinished, out);
  sqlEnd();
  return 0;
}

int namedEvaluationRun(const RunParameters& p, std::FILE* out) {
  RunState state;
  progress(p, out, kTgbEvaluationMessage);
  state.ztr = kZtrEvaluation;
  markEvaluation(p.auswertungsname);
  sqlCommit();
  return 0;
}

}  // namespace

int runTransfer(const RunParameters& params, std::FILE* out) {
  if (!params.auswertungsname.empty()) return namedEvaluationRun(params, out);
  return standardRun(params, out);
}

}  // namespace ravlen
