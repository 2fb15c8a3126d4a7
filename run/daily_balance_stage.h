// The daily-balance stage of the standard run: every daily balance of the
// window von .. bis (yyyymmdd, inclusive) from Zev320Tgb into Zev899Tgb,
// widened with its master data of the day, and after each its time-account
// bookings into Zev899Zkb.
//
// The source rows come in blocks (row_block.h): the block's lookups and
// time-account reads go to the database together, then each row is
// written, followed by its bookings, in the rows' order. Any fetch status
// but 0 ends the loop, the end of the rows as well as an error. The cursor
// is closed and the stage committed once at the end; the bookings count
// as the stage "Zeitkontobuchungen" of the run's summary.
#ifndef RAVLEN_RUN_DAILY_BALANCE_STAGE_H_
#define RAVLEN_RUN_DAILY_BALANCE_STAGE_H_

#include "db/fixed_text.h"
#include "sql/daily_balance_enrichment.h"

namespace ravlen {

void runDailyBalanceStage(const DateText& von, const DateText& bis,
                          const YearBalancePairs& pairs);

}  // namespace ravlen

#endif  // RAVLEN_RUN_DAILY_BALANCE_STAGE_H_
