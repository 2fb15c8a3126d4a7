// Statements of the evaluation definitions (KalDeron.Zev800Dwh).
#ifndef RAVLEN_SQL_EVALUATION_H_
#define RAVLEN_SQL_EVALUATION_H_

#include "db/fixed_text.h"
#include "db/status.h"

namespace ravlen {

// Marks the evaluation of that name as built (DwhSta 5); 1403 when no
// evaluation has the name.
SqlStatus markEvaluation(const FixedText<50>& name);

}  // namespace ravlen

#endif  // RAVLEN_SQL_EVALUATION_H_
