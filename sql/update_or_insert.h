// The writers' pattern for warehouse rows that the row itself keys: update
// the row of the key; any status but 0 (no such row, or an error of the
// update) leads to the insert, whose status is the result.
//
// A failing update is reported as a failure of its own (a read-only
// database, say). The insert still runs after it, but when the insert then
// meets the row's key, the row is there and only the update could not
// reach it: the update's failure is the write's status and its cause, not
// the key violation that follows from it.
#ifndef RAVLEN_SQL_UPDATE_OR_INSERT_H_
#define RAVLEN_SQL_UPDATE_OR_INSERT_H_

#include "db/session.h"

namespace ravlen {

inline SqlStatus updateOrInsert(SqlText update, HostVars updateInputs,
                                SqlText insert, HostVars insertInputs) {
  SqlStatus updated = session().execute(update, updateInputs);
  if (updated.ok()) return updated;
  if (!updated.failed()) return session().execute(insert, insertInputs);
  SqlStatus inserted =
      session().execute(insert, insertInputs, Expect::kUniqueKey);
  return inserted == sqlstatus::kUniqueKey ? updated : inserted;
}

}  // namespace ravlen

#endif  // RAVLEN_SQL_UPDATE_OR_INSERT_H_
