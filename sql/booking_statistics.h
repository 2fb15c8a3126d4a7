// Statements of the booking statistics: counts of bookings per person,
// function code and booking function for each period, kept in Zev899Bst
// (period codes 1 to 6) and Zev898Bst (period code 7, the individual
// evaluation periods).
//
// Every operation works on module-level bind copies, returns the SQL status
// (0, 1403, negative error) and never commits. Outputs reach the caller only
// on status 0; writers leave the caller's record unchanged.
//
// Cursors (open for one period, fetch to the end, close; a failed open shows
// as a failing first fetch):
//  - the booking count: the Zev321Bch bookings whose day, compared as
//    yyyymmdd text, lies in from .. to (both inclusive; a booking late on the
//    last day counts), booking function 45 never counted, one row per
//    person, function code and booking function;
//  - the sum: the Zev899Bst rows of period code `ztr` whose BstDtm lies in
//    from .. to (both inclusive), their BstAnz summed per person, function
//    code and booking function.
//  fetchBchCount / fetchBstSum copy `rec` in, fetch the group's BstPnr,
//  BstFcd (at most 3 characters), BstFkt and the count or sum into BstAnz (a
//  NULL leaves the field as `rec` had it) and copy back only on status 0, so
//  the caller's BstZtr and BstDtm survive. Groups come in no defined order.
//
// Writers: each call takes the local time as the row's BstDat, inserts the
// record and, only when the insert reports -1 (the row's key is taken), adds
// BstAnz to the stored row's count instead, matching it by person, period
// code, first day and function code (and for Zev898Bst also by the
// evaluation's name and last day), and returns the update's status. Any
// other insert status, 0 included, is returned as it is. The booking function
// is not part of the match: groups that differ only in it share one row,
// which keeps the booking function written first and the total count.
// An empty text is stored as NULL.
//  - writeBst: Zev899Bst;
//  - writeBstEvaluation: Zev898Bst, with the evaluation's last day (DwhBis)
//    and name (BstDwh).
// The *Later forms hand the write over (update_or_insert.h): `done` gets
// its status once it ran.
#ifndef RAVLEN_SQL_BOOKING_STATISTICS_H_
#define RAVLEN_SQL_BOOKING_STATISTICS_H_

#include <cstdint>

#include "db/fixed_text.h"
#include "db/session.h"
#include "db/sql_text.h"
#include "db/status.h"
#include "sql/bst_record.h"

namespace ravlen {

SqlStatus openBchCount(const DateText& fromDate, const DateText& toDate);
SqlStatus fetchBchCount(BstRecord& rec);
SqlStatus closeBchCount();

SqlStatus openBstSum(int32_t periodCode, const DateText& fromDate,
                     const DateText& toDate);
SqlStatus fetchBstSum(BstRecord& rec);
SqlStatus closeBstSum();

SqlStatus writeBst(const BstRecord& rec);
void writeBstLater(const BstRecord& rec, Session::Done done);
SqlStatus writeBstEvaluation(const BstRecord& rec, const DateText& periodEnd,
                             const FixedText<50>& evaluationName);
void writeBstEvaluationLater(const BstRecord& rec, const DateText& periodEnd,
                             const FixedText<50>& evaluationName,
                             Session::Done done);

// Removal of statistics rows that a rebuild would otherwise add to, so that
// a period written again ends with a single count:
//  - deleteBstBefore: the Zev899Bst rows of period code `ztr` dated from
//    `first` up to the day before `beforeDay` (a week or month that begins
//    before the transfer window, which the window's clear-down keeps);
//  - deleteBstEvaluationPeriod: the Zev898Bst rows of one evaluation
//    period, period code 7, named `name`, dated `first` and ending `last`.
// 1403 when there was no such row.
SqlStatus deleteBstBefore(const DateText& first, const DateText& beforeDay,
                          int32_t ztr);
SqlStatus deleteBstEvaluationPeriod(const FixedText<50>& name,
                                    const DateText& first,
                                    const DateText& last);

// The booking-count cursor's text, so that the plan the database chooses
// for it can be checked: the per-day count must be served by the index on
// the booking's day text, not by a scan of all bookings.
extern const SqlText kBchCountStatement;

}  // namespace ravlen

#endif  // RAVLEN_SQL_BOOKING_STATISTICS_H_
