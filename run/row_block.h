// The stages read their source rows in blocks of kRowsPerBlock: the
// lookups of a block's rows go to the database together and its writes
// follow, each handed over with a callback (Session's *Later operations),
// so that a server sees a few round trips per block instead of several per
// row. The rows of a block are written in their order, after the block's
// lookups: the lookups read master data, calendar and source tables,
// never a table that the stage writes, so they answer as they would
// between the writes.
#ifndef RAVLEN_RUN_ROW_BLOCK_H_
#define RAVLEN_RUN_ROW_BLOCK_H_

#include <cstddef>
#include <vector>

#include "run/run_report.h"

namespace ravlen {

inline constexpr size_t kRowsPerBlock = 128;

// Fetches up to rows.size() rows into `rows` (each cleared first) with
// `fetch`, counting each as read; returns how many came. *more turns false
// at the first fetch status other than 0, which ends the stage's loop as
// the end of the rows does.
template <typename Record, typename Fetch>
size_t fetchBlock(std::vector<Record>& rows, Fetch fetch, bool* more) {
  size_t n = 0;
  while (*more && n < rows.size()) {
    rows[n].clear();
    if (!fetch(rows[n]).ok()) {
      *more = false;
      break;
    }
    runReport().rowRead();
    ++n;
  }
  return n;
}

// The callback of a stage's writes: a write that succeeded counts.
inline void countWritten(SqlStatus status) { runReport().rowWritten(status); }

}  // namespace ravlen

#endif  // RAVLEN_RUN_ROW_BLOCK_H_
