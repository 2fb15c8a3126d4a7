#include "run/personnel_stage.h"

#include <vector>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "run/row_block.h"
#include "sql/personnel.h"
#include "sql/pnr_record.h"

namespace ravlen {

void runPersonnelStage(const DateText& von, const DateText& bis) {
  static std::vector<PnrRecord> rows(kRowsPerBlock);
  openPnrSource(von, bis);
  for (bool more = true; more;) {
    size_t n = fetchBlock(rows, fetchPnrSource, &more);
    for (size_t i = 0; i < n; ++i) lookupPnrZtgLater(rows[i], nullptr);
    session().flush();
    for (size_t i = 0; i < n; ++i) writePnrLater(rows[i], countWritten);
  }
  closePnrSource();
  sqlCommit();
}

}  // namespace ravlen
