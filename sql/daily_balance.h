// Statements of the daily-balance family (Zev320Tgb, Zev899Tgb, Zev898Tgb
// and the master data that widens a daily balance).
#ifndef RAVLEN_SQL_DAILY_BALANCE_H_
#define RAVLEN_SQL_DAILY_BALANCE_H_

#include <cstdint>

#include "db/fixed_text.h"
#include "db/status.h"
#include "sql/tgb_record.h"

namespace ravlen {

using ZktKey = FixedText<10>;

// The balance-pair number (ZktSnr) of a time account; `snr` is overwritten
// only on status 0, with 0 when the column is NULL.
SqlStatus lookupZktSnr(const ZktKey& key, int32_t& snr);

// Clear-down of the window's rows of one period code.
SqlStatus deleteTgb(const DateText& von, const DateText& bis, int32_t ztr);
SqlStatus deleteTgbEvaluation(const DateText& von, const DateText& bis,
                              int32_t ztr);

// The daily-balance source: the Zev320Tgb rows whose day lies in
// from .. to (both yyyymmdd, both inclusive), ordered by person, period code
// and day.
//  - openTgbSource opens the cursor; a failed open makes the next fetch fail.
//  - fetchTgbSource reads the next row into a cleared working copy, the 24
//    columns into TgbPnr .. TgbPse in order; a NULL column leaves its field 0
//    or empty. On status 0 the working copy replaces all of `rec` (every
//    field beyond TgbPse is 0 or empty afterwards); on any other status (1403
//    after the last row, or an error) `rec` is left untouched.
//  - closeTgbSource closes the cursor.
SqlStatus openTgbSource(const DateText& from, const DateText& to);
SqlStatus fetchTgbSource(TgbRecord& rec);
SqlStatus closeTgbSource();

}  // namespace ravlen

#endif  // RAVLEN_SQL_DAILY_BALANCE_H_
