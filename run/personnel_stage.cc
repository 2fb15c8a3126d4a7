#include "run/personnel_stage.h"

#include "db/sqlhlp.h"
#include "run/run_report.h"
#include "sql/personnel.h"
#include "sql/pnr_record.h"

namespace ravlen {

void runPersonnelStage(const DateText& von, const DateText& bis) {
  static PnrRecord row;
  openPnrSource(von, bis);
  for (;;) {
    row.clear();
    if (!fetchPnrSource(row).ok()) break;
    runReport().rowRead();
    lookupPnrZtg(row);
    runReport().rowWritten(writePnr(row));
  }
  closePnrSource();
  sqlCommit();
}

}  // namespace ravlen
