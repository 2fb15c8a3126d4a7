// Statements of the time-account booking family (Zev331Zkb, Zev899Zkb,
// Zev898Zkb) and the transfer of the bookings of one daily balance.
//
// Every operation works on module-level bind copies and returns the SQL
// status (0, 1403, negative error) unless stated otherwise. Outputs reach
// the caller only on status 0; writers leave the caller's record unchanged.
#ifndef RAVLEN_SQL_TIME_ACCOUNT_H_
#define RAVLEN_SQL_TIME_ACCOUNT_H_

#include <cstdint>
#include <span>
#include <vector>

#include "db/fixed_text.h"
#include "db/session.h"
#include "db/status.h"
#include "sql/tgb_record.h"
#include "sql/zkb_record.h"

namespace ravlen {

using PersonKey = FixedText<30>;
using EvaluationName = FixedText<50>;

// Clear-down of the window's rows of one period code.
SqlStatus deleteZkb(const DateText& von, const DateText& bis, int32_t ztr);
SqlStatus deleteZkbEvaluation(const DateText& von, const DateText& bis,
                              int32_t ztr);

// The source cursor: the Zev331Zkb bookings of one person, period code and
// day, in the database's order.
//  - fetchZkbSource fetches into a cleared working copy, the twelve columns
//    into ZkbPnr .. ZkbBem; a NULL column leaves its field 0 or empty. On
//    status 0 the copy replaces all of `rec` (ZkbNum, ZkbAnz and the Ztg
//    texts become 0 or empty); otherwise `rec` is untouched.
SqlStatus openZkbSource(const PersonKey& pnr, int32_t ztr,
                        const DateText& day);
SqlStatus fetchZkbSource(ZkbRecord& rec);
SqlStatus closeZkbSource();

// The bookings of one daily-balance row, right after the row was written:
// each booking of the row's person, period code and day gets the row's
// working-time assignment, the running number 1, 2, 3 ... in fetch order
// and a day count (1 for day rows, else computeZkbAnz), and is written with
// writeZkb. Bookings of the row that share a warehouse key are stored as
// one row with their totals (ZkbKeyTotals). Returns the status that ended
// the fetch loop (1403 normally).
// `counts`, when given, is increased by the bookings read and written; the
// writes are handed over (writeZkbLater) and count once they ran.
struct RowCounts {
  int64_t read = 0;
  int64_t written = 0;
};
SqlStatus transferZkbOfTgb(const TgbRecord& tgb, RowCounts* counts = nullptr);

// The bookings of a block of daily-balance rows, transferred as
// transferZkbOfTgb transfers each row's, with the block's reads asked
// together (Session's *Later operations):
//  - readAhead hands over the source read of every row: its first
//    kReadAhead bookings, each row's own set;
//  - after the session's flush, countDays gives the week and month
//    bookings their day counts: the next-row lookups of all of them, then
//    all counts, each set asked together (the calendar's ends from the
//    kept calendar); the counts are ready when it returns;
//  - write(i, tgb, counts) numbers, folds and hands over the writes of row
//    i's bookings, after the row's own write; a row with more bookings
//    than were read ahead goes through transferZkbOfTgb instead.
// The reads touch only source and calendar tables, which no write of the
// stage changes, so they answer as between the writes.
class ZkbBlock {
 public:
  static constexpr size_t kReadAhead = 100;

  void readAhead(std::span<const TgbRecord> rows);
  void countDays(std::span<const TgbRecord> rows);
  void write(size_t i, const TgbRecord& tgb, RowCounts* counts);

 private:
  struct Row {
    std::vector<ZkbRecord> bookings;
    SqlStatus status;  // of the read ahead: 0 when there may be more
  };
  std::vector<Row> rows_;
};

// Sets ZkbAnz of a week (TgbZtr 2) or month (TgbZtr 3) booking to the number
// of day bookings of the same person and account keys from the booking's day
// up to the day before the person's next source row of that period code, or
// up to the end of the calendar week or month when there is none. Leaves
// ZkbAnz as fetched (0) for other codes or when no span end or count is had.
void computeZkbAnz(const TgbRecord& tgb, ZkbRecord& zkb);

// The day before the person's next Zev320Tgb row of the same period code
// after TgbDtm, over the whole source table. 1403 when there is none; `last`
// is written only on status 0.
SqlStatus lookupTgbPeriodEnd(const TgbRecord& tgb, DateText& last);

// The number of day bookings (period code 1) of ZkbPnr with the booking's
// ZkbZkt, ZkbKst, ZkbKrt and ZkbKtr from ZkbDtm to `lastDay`, both included;
// stored in ZkbAnz on status 0, else `zkb` is unchanged.
SqlStatus countDayZkb(ZkbRecord& zkb, const DateText& lastDay);

// Writers: update the row of the record's key, and insert when the update
// reports anything but 0; the insert's status is returned then. ZkbDat gets
// the local time of the call. An empty text is written as NULL, so a record
// with an empty key part never matches the update and is always inserted.
//  - writeZkb: Zev899Zkb, keyed by ZkbPnr, ZkbZtr, ZkbDtm, ZkbKst, ZkbKtr,
//    ZkbKrt, ZkbZkt;
//  - writeZkbEvaluation: Zev898Zkb, keyed also by the evaluation's name
//    (TgbDwh) and end date (DwhBis).
// The *Later forms hand the write over (update_or_insert.h): `done` gets
// its status once it ran.
SqlStatus writeZkb(const ZkbRecord& rec);
void writeZkbLater(const ZkbRecord& rec, Session::Done done);
SqlStatus writeZkbEvaluation(const ZkbRecord& rec, const DateText& endDate,
                             const EvaluationName& name);
void writeZkbEvaluationLater(const ZkbRecord& rec, const DateText& endDate,
                             const EvaluationName& name, Session::Done done);

// The sum cursor: the Zev899Zkb rows of period code `ztr` dated first .. last
// (both included), grouped by person, account keys and Ztg texts.
//  - fetchZkbSum copies `rec` in, fetches the group's key fields, Ztg texts
//    and the sums of ZkbStd, ZkbSto, ZkbTge, ZkbStg and ZkbAnz over it (a NULL
//    leaves the field as `rec` had it) and copies back only on status 0.
SqlStatus openZkbSum(int32_t ztr, const DateText& first, const DateText& last);
SqlStatus fetchZkbSum(ZkbRecord& rec);
SqlStatus closeZkbSum();

}  // namespace ravlen

#endif  // RAVLEN_SQL_TIME_ACCOUNT_H_
