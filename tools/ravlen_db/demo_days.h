// The day-by-day rows of one demo person over the employed part of the
// range.
//
// Contract, for every employed calendar day:
//  - the day's organisational assignment (Zev329Ztg, starting on the day:
//    the run looks assignments up by exact day);
//  - on Monday to Friday a daily balance of period code 1 (Zev320Tgb) with
//    its day record (Zev327Tag): a working day in the office or at home with
//    its bookings (Zev321Bch: come, go, usually a break, sometimes an
//    errand and an information booking of function 45; about four a day),
//    or a day of vacation or sickness without bookings; now and then a
//    day-specific working-time model (Zev322Gaz) with a shorter target;
//  - time-account bookings (Zev331Zkb) for vacation and sick days and for
//    30 minutes of overtime or more;
//  - the leave balance (Zev332Utg) on the first employed day and on each
//    month's first day.
// Week rows (period code 2, dated by the Monday) and month rows (code 3,
// dated by the 1st) of Zev320Tgb carry the sums of their working days and
// the balances at the period's start, with the accounts' sums in Zev331Zkb;
// they are written when that first day is an employed day of the range.
// Balance pairs: 1 flexitime, 2 vacation days left, 3 the year's target
// (JHS), 4 the year's actual time (JHR), 5 overtime account, 6 sick days;
// each pair is the balance before the period (TgbVt) and its change (TgbSa).
#ifndef RAVLEN_TOOLS_RAVLEN_DB_DEMO_DAYS_H_
#define RAVLEN_TOOLS_RAVLEN_DB_DEMO_DAYS_H_

#include "tools/ravlen_db/demo_person.h"
#include "tools/ravlen_db/demo_tables.h"
#include "tools/ravlen_db/random.h"

namespace ravlen {

void writePersonDays(DemoTables& tables, DemoRandom& random,
                     const DemoPerson& person);

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_DEMO_DAYS_H_
