#include "sql/daily_balance_writer.h"

#include <span>
#include <vector>

#include "db/host_var.h"
#include "db/session.h"
#include "sql/calendar.h"
#include "sql/daily_balance_columns.h"
#include "sql/update_or_insert.h"

namespace ravlen {
namespace {

constexpr SqlText kTgbSum =
    "select TgbPnr ,sum(TgbSa1) ,sum(TgbSa2) ,sum(TgbSa3) ,sum(TgbSa4) "
    ",sum(TgbSa5) ,sum(TgbSa6) ,sum(TgbSa7) ,sum(TgbMax) ,sum(TgbNrm) "
    ",sum(TgbMab) ,sum(TgbVhs) ,sum(TgbUnb) ,sum(TgbVab) ,sum(TgbPse) "
    ",sum(AzvSol)  from Zev899Tgb where ((TgbZtr=:b0 and TgbDtm>=:b1) and "
    "TgbDtm<=:b2) group by TgbPnr";

// Bind copy of the writers: the caller's record, the time of the write and,
// for Zev898Tgb, the evaluation's name and last day.
TgbWriteRow writeRow;

// A writer statement with its host variables, bound to writeRow in the
// order of its placeholders.
struct BoundStatement {
  explicit BoundStatement(const TgbStatement& statement)
      : text(statement.text) {
    for (uint8_t column : statement.columns)
      vars.push_back(kTgbColumns[column].bind(writeRow));
  }

  HostVars inputs() const { return std::span<const HostVar>(vars); }

  SqlText text;
  std::vector<HostVar> vars;
};

// Fills writeRow's timestamp and record; the caller adds what else it binds.
void prepareWriteRow(const TgbRecord& rec) {
  writeRow.TgbDat.clear();
  makeTimestamp(writeRow.TgbDat);
  writeRow.record = rec;
}

// The update, and the insert when the update did not hit the row.
void updateOrInsertLater(const BoundStatement& update,
                         const BoundStatement& insert, Session::Done done) {
  updateOrInsertLater(update.text, update.inputs(), insert.text,
                      insert.inputs(), std::move(done));
}

// Bind copies of the sum cursor: its parameters and the row being fetched.
int32_t sumZtr = 0;
DateText sumFirst, sumLast;
TgbRecord sumRow;

HostVars tgbSumOutputs() {
  static const HostVar kOutputs[] = {
      hostVar(sumRow.TgbPnr), hostVar(sumRow.TgbSa1), hostVar(sumRow.TgbSa2),
      hostVar(sumRow.TgbSa3), hostVar(sumRow.TgbSa4), hostVar(sumRow.TgbSa5),
      hostVar(sumRow.TgbSa6), hostVar(sumRow.TgbSa7), hostVar(sumRow.TgbMax),
      hostVar(sumRow.TgbNrm), hostVar(sumRow.TgbMab), hostVar(sumRow.TgbVhs),
      hostVar(sumRow.TgbUnb), hostVar(sumRow.TgbVab), hostVar(sumRow.TgbPse),
      hostVar(sumRow.AzvSol)};
  return kOutputs;
}

}  // namespace

void writeTgbLater(const TgbRecord& rec, Session::Done done) {
  static const BoundStatement kUpdate(kUpdateTgb);
  static const BoundStatement kInsert(kInsertTgb);
  prepareWriteRow(rec);
  updateOrInsertLater(kUpdate, kInsert, std::move(done));
}

SqlStatus writeTgb(const TgbRecord& rec) {
  return runAtOnce([&](Session::Done done) { writeTgbLater(rec, done); });
}

void writeTgbEvaluationLater(const TgbRecord& rec, const DateText& endDate,
                             const FixedText<50>& name, Session::Done done) {
  static const BoundStatement kUpdate(kUpdateTgbEvaluation);
  static const BoundStatement kInsert(kInsertTgbEvaluation);
  prepareWriteRow(rec);
  writeRow.DwhBis = endDate;
  writeRow.TgbDwh = name;
  updateOrInsertLater(kUpdate, kInsert, std::move(done));
}

SqlStatus writeTgbEvaluation(const TgbRecord& rec, const DateText& endDate,
                             const FixedText<50>& name) {
  return runAtOnce([&](Session::Done done) {
    writeTgbEvaluationLater(rec, endDate, name, done);
  });
}

SqlStatus openTgbSum(int32_t ztr, const DateText& first, const DateText& last) {
  sumZtr = ztr;
  sumFirst = first;
  sumLast = last;
  return session().openCursor(
      kTgbSum, {hostVar(sumZtr), hostVar(sumFirst), hostVar(sumLast)});
}

SqlStatus fetchTgbSum(TgbRecord& rec) {
  sumRow = rec;
  SqlStatus status = session().fetch(kTgbSum, tgbSumOutputs());
  if (status.ok()) rec = sumRow;
  return status;
}

SqlStatus closeTgbSum() { return session().closeCursor(kTgbSum); }

}  // namespace ravlen
