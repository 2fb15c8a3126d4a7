#include "run/booking_stage.h"

#include <span>
#include <vector>

#include "db/sqlhlp.h"
#include "run/row_block.h"
#include "sql/bch_record.h"
#include "sql/booking.h"

namespace ravlen {

void runBookingStage(const DateText& von, const DateText& bis) {
  static std::vector<BchRecord> rows(kRowsPerBlock);
  openBchSource(von, bis);
  for (bool more = true; more;) {
    size_t n = fetchBlock(rows, fetchBchSource, &more);
    std::span<BchRecord> block(rows.data(), n);
    enrichBchRows(block);
    for (const BchRecord& row : block) writeBchLater(row, countWritten);
  }
  closeBchSource();
  sqlCommit();
}

}  // namespace ravlen
