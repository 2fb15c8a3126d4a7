// SqliteTiming: where the embedded database's time goes, measured for the
// benchmark program ravlen-times (bench/sqlite_times.cc) only.
//
// Off unless enableSqliteTiming() ran; the backend then pays one test of a
// flag per call. When on, the backend adds up the time spent in
// sqlite3_step for each prepared statement (its text and what the program
// used it for), and the time of the calls around it: binding the inputs,
// storing the output columns into host variables, resetting statements,
// and sqlite3_exec (begin, commit, schema statements). A statement's step
// time is the database's work on it and nothing of the program's.
#ifndef RAVLEN_DB_SQLITE_SQLITE_TIMING_H_
#define RAVLEN_DB_SQLITE_SQLITE_TIMING_H_

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

struct sqlite3_stmt;

namespace ravlen {

enum class TimedUse : uint8_t { kWrite, kLookup, kCursor };
enum class TimedPhase : uint8_t { kBind, kOutputs, kReset, kExec };
constexpr int kTimedPhases = 4;

struct TimedStatement {
  std::string text;
  TimedUse use;
  double seconds = 0;     // in sqlite3_step
  uint64_t steps = 0;     // calls of sqlite3_step
};

extern bool sqliteTimingOn;

void enableSqliteTiming();

// sqlite3_step(stmt), timed when timing is on.
int timedStep(sqlite3_stmt* stmt, TimedUse use);

// sqlite3_reset(stmt), timed as TimedPhase::kReset when timing is on.
int timedReset(sqlite3_stmt* stmt);

// Adds the time of its lifetime to `phase` when timing is on, and the
// values it moved (count()).
class TimedScope {
 public:
  explicit TimedScope(TimedPhase phase) : phase_(phase) {
    if (sqliteTimingOn) start_ = std::chrono::steady_clock::now();
  }
  ~TimedScope();
  void count(uint64_t values) { values_ += values; }
  TimedScope(const TimedScope&) = delete;
  TimedScope& operator=(const TimedScope&) = delete;

 private:
  TimedPhase phase_;
  uint64_t values_ = 0;
  std::chrono::steady_clock::time_point start_;
};

// The statements' step times so far, one entry per text and use.
std::vector<TimedStatement> sqliteStatementTimes();
double sqlitePhaseSeconds(TimedPhase phase);
// The host variables bound (kBind) or columns stored (kOutputs) so far.
uint64_t sqlitePhaseValues(TimedPhase phase);

}  // namespace ravlen

#endif  // RAVLEN_DB_SQLITE_SQLITE_TIMING_H_
