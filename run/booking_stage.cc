#include "run/booking_stage.h"

#include "db/sqlhlp.h"
#include "run/run_report.h"
#include "sql/bch_record.h"
#include "sql/booking.h"

namespace ravlen {

void runBookingStage(const DateText& von, const DateText& bis) {
  static BchRecord row;
  openBchSource(von, bis);
  for (;;) {
    row.clear();
    if (!fetchBchSource(row).ok()) break;
    runReport().rowRead();
    enrichBchRow(row);
    runReport().rowWritten(writeBch(row));
  }
  closeBchSource();
  sqlCommit();
}

}  // namespace ravlen
