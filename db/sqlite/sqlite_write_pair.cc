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
// Insert, else add: the insert goes as "on conflict (key) do update set
// <the update's set list>", its parameters bound from the update's inputs
// as the update binds them. Where it meets the key, which the plain insert
// answers with -1 before the update changes the row of that key, it
// changes that row as the update would; elsewhere it inserts. Whether it
// inserted shows in the connection's last inserted rowid (set to a value
// no row has before it runs), so the table must have rowids. A failure
// changed nothing, and the pair runs as written. Where the set list cannot
// be taken over, the insert goes as "on conflict (key) do nothing" and the
// update follows where it met the key, without the failing statement.
#include <sqlite3.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "db/sqlite/sqlite_backend.h"
#include "db/statement_scan.h"

namespace ravlen {
namespace {

bool conflictName(const std::string& column) {
  for (char c : column) {
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && c != '_' && !(c >= '0' && c <= '9')) return false;
  }
  return !column.empty();
}

// "on conflict (<the key's columns>)"; "" where a name needs quoting.
std::string conflictTarget(const PairKey& key) {
  std::string columns;
  for (const std::string& column : key.columns) {
    if (!conflictName(column)) return "";
    columns += (columns.empty() ? "" : ",") + column;
  }
  return "\non conflict (" + columns + ")";
}

LaterOutcome outcomeOf(SqlStatus status) {
  return {status, StatementOp::kExecute, ""};
}

LaterOutcome keyTaken(const PairKey& key) {
  return {sqlstatus::kUniqueKey, StatementOp::kExecute,
          "UNIQUE constraint failed: key of " + key.table + " taken"};
}

constexpr int64_t kNoRowid = std::numeric_limits<int64_t>::min();

// The set list of a translated update, "?N" renumbered "?(after + N)", and
// the update's table; each N in *inputs. False where the text has another
// shape or an unnumbered parameter.
bool readSetList(const std::string& update, int after, std::string* list,
                 std::string* table, std::vector<int>* inputs) {
  std::vector<Token> tokens = tokenize(update);
  size_t set = findTopLevel(tokens, 0, tokens.size(), "set");
  size_t where = findTopLevel(tokens, set, tokens.size(), "where");
  size_t first = skipBlank(tokens, 0);
  if (where >= tokens.size() || !isWord(tokens[first], "update")) return false;
  for (size_t i = first + 1; i < set; ++i)
    *table += tokens[i].text;
  for (size_t i = set + 1; i < where; ++i) {
    if (!isPunct(tokens[i], "?")) {
      *list += tokens[i].text;
      continue;
    }
    std::string_view digits = i + 1 < where ? tokens[i + 1].text : "";
    if (digits.empty() || digits.find_first_not_of("0123456789") !=
                              std::string_view::npos)
      return false;
    int n = std::stoi(std::string(digits));
    inputs->push_back(n);
    *list += "?" + std::to_string(after + n);
    ++i;
  }
  return !inputs->empty();
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
    clause = conflictTarget(plan.key);
  // Both steps must prepare as written: a step that cannot run at all is
  // reported as the pair run as written reports it.
  if (clause.empty() || prepared(updateText, &status) == nullptr ||
      prepared(insertText, &status) == nullptr)
    return plan;
  auto insert = std::make_unique<Prepared>();
  if (prepare(insertText.view(), insert.get(), clause + " do nothing").ok())
    plan.insert = std::move(insert);
  if (!updateFirst && plan.insert) prepareAdd(steps, clause, &plan);
  return plan;
}

void SqliteBackend::prepareAdd(const WriteSteps& steps,
                               const std::string& target, PairPlan* plan) {
  SqlStatus status;
  const Translation& update = prepared(steps.second, &status)->translation;
  const Translation& insert = plan->insert->translation;
  std::string list, table;
  std::vector<int> inputs;
  if (update.sysdateParameter > 0 ||
      !readSetList(update.sql, insert.inputCount, &list, &table, &inputs))
    return;
  for (int n : inputs)
    if (n < 1 || n > update.inputCount) return;
  // Rowids tell an insert from a change (a table without them has none).
  auto rowid = std::make_unique<Prepared>();
  if (!prepare("select _rowid_ from " + table, rowid.get()).ok()) return;
  sqlite3_finalize(rowid->stmt);
  auto add = std::make_unique<Prepared>();
  if (!prepare(steps.first.view(), add.get(), target + " do update set" + list)
           .ok())
    return;
  plan->add = std::move(add);
  plan->addInputs = std::move(inputs);
  plan->updateInputCount = update.inputCount;
}

// Insert, else add as one statement; false where it failed (and changed
// nothing) or does not apply, and the pair runs as written.
bool SqliteBackend::writeAdd(
    const WriteSteps& steps, PairPlan& plan,
    const std::function<void(const WriteOutcome&)>& done) {
  if (static_cast<int>(steps.secondIn.size()) != plan.updateInputCount)
    return false;
  Prepared& p = *plan.add;
  SqlStatus status = bindInputs(p, steps.firstIn, TextInputs::kInPlace);
  int after = p.translation.inputCount;
  for (size_t i = 0; status.ok() && i < plan.addInputs.size(); ++i) {
    int n = plan.addInputs[i];
    int rc = p.inputs.bind(p.stmt, after + n, steps.secondIn[n - 1],
                           TextInputs::kInPlace);
    if (rc != SQLITE_OK) status = fail(rc);
  }
  sqlite3_set_last_insert_rowid(db_, kNoRowid);
  if (!status.ok() || !run(p).ok()) return false;
  if (sqlite3_last_insert_rowid(db_) != kNoRowid)
    done({outcomeOf(sqlstatus::kOk), std::nullopt});
  else
    done({keyTaken(plan.key), outcomeOf(sqlstatus::kOk)});
  return true;
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
  if (plan.add && sameKeyValues(plan.key, steps)) {
    if (!writeAdd(steps, plan, done)) writeAsWritten(steps, plan, done);
    return;
  }
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
  LaterOutcome taken = keyTaken(plan.key);
  LaterOutcome add = outcomeOf(execute(steps.second, steps.secondIn));
  if (add.status.failed()) add.message = lastError_;
  done({taken, add});
}

}  // namespace ravlen
