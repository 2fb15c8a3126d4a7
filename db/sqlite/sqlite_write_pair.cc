// A writer's pair on the embedded database, in the order that needs fewer
// statements.
//
// Update, else insert: while the rows are new, the update finds nothing
// and every pair runs both steps. Where the update's key is a unique key
// of the table (write_pair_key.h; SQLite refuses "on conflict (key)"
// otherwise) and both steps bind the same host variables to it, the
// insert goes first as "insert ... on conflict (key) do nothing":
//  - it made the row: then no row had the key, so the update would have
//    found none (1403) and the insert would have made this very row;
//  - it met the key, or failed: it changed nothing, and the pair runs as
//    written.
// The outcome is in each case the one of the pair run as written. Which
// order goes first follows the last pair of the same texts.
//
// Insert, else add: the insert goes as "on conflict (key) do nothing";
// where it meets the key, which the plain insert answers with -1, the
// update adds, without the failing statement in between.
#include <string>
#include <utility>

#include "db/sqlite/sqlite_backend.h"

namespace ravlen {
namespace {

bool conflictName(const std::string& column) {
  for (char c : column) {
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && c != '_' && !(c >= '0' && c <= '9')) return false;
  }
  return !column.empty();
}

std::string conflictClause(const PairKey& key) {
  std::string columns;
  for (const std::string& column : key.columns) {
    if (!conflictName(column)) return "";
    columns += (columns.empty() ? "" : ",") + column;
  }
  return "\non conflict (" + columns + ") do nothing";
}

LaterOutcome outcomeOf(SqlStatus status) {
  return {status, StatementOp::kExecute, ""};
}

}  // namespace

SqliteBackend::PairPlan& SqliteBackend::pairPlan(const WriteSteps& steps) {
  auto ids = std::make_pair(steps.first.id(), steps.second.id());
  auto found = pairs_.find(ids);
  if (found != pairs_.end()) return found->second;
  PairPlan& plan = pairs_[ids];
  bool updateFirst = steps.pattern == WritePattern::kUpdateElseInsert;
  SqlText insertText = updateFirst ? steps.second : steps.first;
  SqlText updateText = updateFirst ? steps.first : steps.second;
  SqlStatus status;
  std::string clause;
  if (readPairKey(steps.pattern, steps.first.view(), steps.second.view(),
                  &plan.key))
    clause = conflictClause(plan.key);
  // Both steps must prepare as written: a step that cannot run at all is
  // reported as the pair run as written reports it.
  if (clause.empty() || prepared(updateText, &status) == nullptr ||
      prepared(insertText, &status) == nullptr)
    return plan;
  auto insert = std::make_unique<Prepared>();
  if (prepare(insertText.view(), insert.get(), clause).ok())
    plan.insert = std::move(insert);
  return plan;
}

void SqliteBackend::writeAsWritten(
    const WriteSteps& steps, PairPlan& plan,
    const std::function<void(const WriteOutcome&)>& done) {
  Backend::writeLater(steps, [&plan, &steps, &done](const WriteOutcome& w) {
    plan.insertFirst = steps.pattern == WritePattern::kUpdateElseInsert
                           ? w.first.status == sqlstatus::kNoData
                           : w.first.status.ok();
    done(w);
  });
}

void SqliteBackend::writeLater(const WriteSteps& steps,
                               std::function<void(const WriteOutcome&)> done) {
  PairPlan& plan = pairPlan(steps);
  bool updateFirst = steps.pattern == WritePattern::kUpdateElseInsert;
  if (!plan.insert || (updateFirst && !plan.insertFirst) ||
      !sameKeyValues(plan.key, steps))
    return writeAsWritten(steps, plan, done);
  HostVars insertIn = updateFirst ? steps.secondIn : steps.firstIn;
  SqlStatus status = bindInputs(*plan.insert, insertIn, TextInputs::kInPlace);
  if (status.ok()) status = run(*plan.insert);
  if (status.ok()) {
    plan.insertFirst = true;
    if (updateFirst)
      return done({outcomeOf(sqlstatus::kNoData), outcomeOf(status)});
    return done({outcomeOf(status), std::nullopt});
  }
  if (updateFirst || status != sqlstatus::kNoData)
    return writeAsWritten(steps, plan, done);
  // Insert, else add: the key is taken.
  LaterOutcome taken{sqlstatus::kUniqueKey, StatementOp::kExecute,
                     "UNIQUE constraint failed: key of " + plan.key.table +
                         " taken"};
  LaterOutcome add = outcomeOf(execute(steps.second, steps.secondIn));
  if (add.status.failed()) add.message = lastError_;
  done({taken, add});
}

}  // namespace ravlen
