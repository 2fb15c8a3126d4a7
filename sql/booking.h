// Statements of the booking family: bookings (Zev321Bch, Zev899Bch) and the
// booking statistics (Zev899Bst, Zev898Bst).
#ifndef RAVLEN_SQL_BOOKING_H_
#define RAVLEN_SQL_BOOKING_H_

#include <cstdint>

#include "db/fixed_text.h"
#include "db/status.h"

namespace ravlen {

// Clear-down of the window's statistics rows of one period code.
SqlStatus deleteBst(const DateText& von, const DateText& bis, int32_t ztr);
SqlStatus deleteBstEvaluation(const DateText& von, const DateText& bis,
                              int32_t ztr);

}  // namespace ravlen

#endif  // RAVLEN_SQL_BOOKING_H_
