// The booking stage of the standard run: copies every booking of the window
// von .. bis (yyyymmdd, inclusive) from Zev321Bch into Zev899Bch, each
// widened with its texts and the assignment of its day.
//
// One loop: open the source cursor; per row clear the record, fetch, and on
// status 0 enrich and write it; any other fetch status (the end of the rows
// or an error) ends the loop. Then close the cursor and commit once, so the
// window's bookings are one transaction. Nothing is reported; the statuses
// of the lookups and writes are not examined.
#ifndef RAVLEN_RUN_BOOKING_STAGE_H_
#define RAVLEN_RUN_BOOKING_STAGE_H_

#include "db/fixed_text.h"

namespace ravlen {

void runBookingStage(const DateText& von, const DateText& bis);

}  // namespace ravlen

#endif  // RAVLEN_RUN_BOOKING_STAGE_H_
