// Statements of the time-account booking family (Zev331Zkb, Zev899Zkb,
// Zev898Zkb).
#ifndef RAVLEN_SQL_TIME_ACCOUNT_H_
#define RAVLEN_SQL_TIME_ACCOUNT_H_

#include <cstdint>

#include "db/fixed_text.h"
#include "db/status.h"

namespace ravlen {

// Clear-down of the window's rows of one period code.
SqlStatus deleteZkb(const DateText& von, const DateText& bis, int32_t ztr);
SqlStatus deleteZkbEvaluation(const DateText& von, const DateText& bis,
                              int32_t ztr);

}  // namespace ravlen

#endif  // RAVLEN_SQL_TIME_ACCOUNT_H_
