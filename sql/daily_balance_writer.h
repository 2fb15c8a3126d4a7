// Daily balances into the warehouse (Zev899Tgb, Zev898Tgb) and their sums
// per person, from which the coarser periods are built.
//
// Writers: each call takes the current local time as the row's TgbDat, binds
// a copy of the arguments (the caller's record is never changed), updates
// the row of the record's key and, when the update reports anything but 0
// (1403 for a new key, or an error), inserts it. Every number is bound as it
// is, every text as its content; an empty text is stored as NULL. The
// updates leave UtgGut as the row's first insert wrote it.
//  - writeTgb: Zev899Tgb, keyed by TgbPnr, TgbZtr and TgbDtm;
//  - writeTgbEvaluation: Zev898Tgb, keyed also by the evaluation's name
//    (TgbDwh) and last day (DwhBis).
// Both return 0 when the update hit the row, else the insert's status
// (update_or_insert.h). The *Later forms hand the write over: `done` gets
// that status once it ran.
//
// Sum cursor over the Zev899Tgb rows of period code `ztr` whose TgbDtm lies
// in first .. last (yyyymmdd, both inclusive), one row per person in no
// defined order:
//  - fetchTgbSum delivers the person into TgbPnr and the sums into TgbSa1 ..
//    TgbSa7, TgbMax, TgbNrm, TgbMab, TgbVhs, TgbUnb, TgbVab, TgbPse and
//    AzvSol. Every other field keeps what `rec` held, and so does a sum that
//    is NULL (its column NULL in all of the person's rows); callers clear the
//    record first. On any status but 0 (1403 after the last person, or an
//    error) `rec` is left exactly as it was.
//  - a failed openTgbSum shows as a failing first fetch.
#ifndef RAVLEN_SQL_DAILY_BALANCE_WRITER_H_
#define RAVLEN_SQL_DAILY_BALANCE_WRITER_H_

#include <cstdint>

#include "db/fixed_text.h"
#include "db/session.h"
#include "db/status.h"
#include "sql/tgb_record.h"

namespace ravlen {

SqlStatus writeTgb(const TgbRecord& rec);
void writeTgbLater(const TgbRecord& rec, Session::Done done);
SqlStatus writeTgbEvaluation(const TgbRecord& rec, const DateText& endDate,
                             const FixedText<50>& name);
void writeTgbEvaluationLater(const TgbRecord& rec, const DateText& endDate,
                             const FixedText<50>& name, Session::Done done);

SqlStatus openTgbSum(int32_t ztr, const DateText& first, const DateText& last);
SqlStatus fetchTgbSum(TgbRecord& rec);
SqlStatus closeTgbSum();

}  // namespace ravlen

#endif  // RAVLEN_SQL_DAILY_BALANCE_WRITER_H_
