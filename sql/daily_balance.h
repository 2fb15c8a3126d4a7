// Statements of the daily-balance family (Zev320Tgb, Zev899Tgb, Zev898Tgb
// and the master data that widens a daily balance).
#ifndef RAVLEN_SQL_DAILY_BALANCE_H_
#define RAVLEN_SQL_DAILY_BALANCE_H_

#include <cstdint>

#include "db/fixed_text.h"
#include "db/status.h"

namespace ravlen {

using ZktKey = FixedText<10>;

// The balance-pair number (ZktSnr) of a time account; `snr` is overwritten
// only on status 0, with 0 when the column is NULL.
SqlStatus lookupZktSnr(const ZktKey& key, int32_t& snr);

// Clear-down of the window's rows of one period code.
SqlStatus deleteTgb(const DateText& von, const DateText& bis, int32_t ztr);
SqlStatus deleteTgbEvaluation(const DateText& von, const DateText& bis,
                              int32_t ztr);

}  // namespace ravlen

#endif  // RAVLEN_SQL_DAILY_BALANCE_H_
