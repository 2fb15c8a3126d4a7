#include "run/daily_balance_stage.h"

#include <span>
#include <vector>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "run/row_block.h"
#include "sql/daily_balance.h"
#include "sql/daily_balance_writer.h"
#include "sql/time_account.h"

namespace ravlen {

void runDailyBalanceStage(const DateText& von, const DateText& bis,
                          const YearBalancePairs& pairs) {
  static std::vector<TgbRecord> rows(kRowsPerBlock);
  static std::vector<TgbLookups> lookups(kRowsPerBlock);
  static ZkbBlock bookings;
  RowCounts counts;
  openTgbSource(von, bis);
  for (bool more = true; more;) {
    size_t n = fetchBlock(rows, fetchTgbSource, &more);
    std::span<TgbRecord> block(rows.data(), n);
    for (size_t i = 0; i < n; ++i) submitTgbLookups(rows[i], lookups[i]);
    bookings.readAhead(block);
    session().flush();
    for (size_t i = 0; i < n; ++i)
      completeTgbLookups(rows[i], lookups[i], pairs);
    bookings.countDays(block);
    for (size_t i = 0; i < n; ++i) {
      writeTgbLater(rows[i], countWritten);
      bookings.write(i, rows[i], &counts);
    }
  }
  closeTgbSource();
  sqlCommit();
  runReport().addRows("Zeitkontobuchungen", counts.read, counts.written);
}

}  // namespace ravlen
