#include "db/sqlite/sqlite_timing.h"

#include <sqlite3.h>

#include <map>
#include <unordered_map>
#include <utility>

namespace ravlen {

bool sqliteTimingOn = false;

namespace {

using Clock = std::chrono::steady_clock;

// A prepared statement's entry. A statement finalized and another prepared
// at its address is told apart by its text's address.
struct Live {
  const char* sql = nullptr;
  size_t index = 0;
};

struct Store {
  std::vector<TimedStatement> statements;
  std::unordered_map<sqlite3_stmt*, Live> live;
  double phases[kTimedPhases] = {};
  uint64_t values[kTimedPhases] = {};
};

Store& store() {
  static Store* s = new Store;  // outlives the backends' destructors
  return *s;
}

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

void enableSqliteTiming() { sqliteTimingOn = true; }

int timedStep(sqlite3_stmt* stmt, TimedUse use) {
  if (!sqliteTimingOn) return sqlite3_step(stmt);
  Clock::time_point start = Clock::now();
  int rc = sqlite3_step(stmt);
  double seconds = secondsSince(start);
  Store& s = store();
  Live& live = s.live[stmt];
  const char* sql = sqlite3_sql(stmt);
  if (live.sql == nullptr || live.sql != sql ||
      s.statements[live.index].use != use) {
    live.sql = sql;
    live.index = s.statements.size();
    s.statements.push_back({sql != nullptr ? sql : "", use});
  }
  TimedStatement& entry = s.statements[live.index];
  entry.seconds += seconds;
  ++entry.steps;
  return rc;
}

int timedReset(sqlite3_stmt* stmt) {
  TimedScope timed(TimedPhase::kReset);
  return sqlite3_reset(stmt);
}

TimedScope::~TimedScope() {
  if (!sqliteTimingOn) return;
  store().phases[static_cast<int>(phase_)] += secondsSince(start_);
  store().values[static_cast<int>(phase_)] += values_;
}

std::vector<TimedStatement> sqliteStatementTimes() {
  std::map<std::pair<std::string, TimedUse>, TimedStatement> byText;
  for (const TimedStatement& t : store().statements) {
    TimedStatement& sum = byText[{t.text, t.use}];
    sum.text = t.text;
    sum.use = t.use;
    sum.seconds += t.seconds;
    sum.steps += t.steps;
  }
  std::vector<TimedStatement> all;
  for (auto& [key, t] : byText) all.push_back(std::move(t));
  return all;
}

double sqlitePhaseSeconds(TimedPhase phase) {
  return store().phases[static_cast<int>(phase)];
}

uint64_t sqlitePhaseValues(TimedPhase phase) {
  return store().values[static_cast<int>(phase)];
}

}  // namespace ravlen
