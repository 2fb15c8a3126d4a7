// Statements of the evaluation definitions (KalDeron.Zev800Dwh).
#ifndef RAVLEN_SQL_EVALUATION_H_
#define RAVLEN_SQL_EVALUATION_H_

#include "db/fixed_text.h"
#include "db/status.h"

namespace ravlen {

// One evaluation: its period DwhVon .. DwhBis (yyyymmdd) and its name.
struct DwhRecord {
  DateText DwhVon;
  DateText DwhBis;
  FixedText<50> DwhNam;
};

// The evaluations flagged DwhDar 1 that overlap the window von .. bis,
// earliest start first. fetchDwh replaces `rec` only on status 0.
SqlStatus openDwh(const DateText& von, const DateText& bis);
SqlStatus fetchDwh(DwhRecord& rec);
SqlStatus closeDwh();

// Marks the evaluation of that name as built (DwhSta 5); 1403 when no
// evaluation has the name.
SqlStatus markEvaluation(const FixedText<50>& name);

}  // namespace ravlen

#endif  // RAVLEN_SQL_EVALUATION_H_
