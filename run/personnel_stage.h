// The personnel stage of the standard run: the master data of every person
// employed at some time within the window von .. bis (yyyymmdd, both
// inclusive) into Zev899Pnr, each with the assignment that starts on the
// database's current day.
//
// One loop over the personnel source cursor: clear the record, fetch, look
// up the assignment, write; any fetch status but 0 ends the loop, the end of
// the rows as well as an error. The statuses of the lookup and the writer are
// not examined. The cursor is closed and the stage's work committed once at
// the end. Warehouse rows of persons outside the window stay as they are.
#ifndef RAVLEN_RUN_PERSONNEL_STAGE_H_
#define RAVLEN_RUN_PERSONNEL_STAGE_H_

#include "db/fixed_text.h"

namespace ravlen {

void runPersonnelStage(const DateText& von, const DateText& bis);

}  // namespace ravlen

#endif  // RAVLEN_RUN_PERSONNEL_STAGE_H_
