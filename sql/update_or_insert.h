// The writers' pattern for warehouse rows that the row itself keys: update
// the row of the key; any status but 0 (no such row, or an error of the
// update) leads to the insert, whose status is the result. A failing update
// is therefore not a failure of the write; the insert's is.
#ifndef RAVLEN_SQL_UPDATE_OR_INSERT_H_
#define RAVLEN_SQL_UPDATE_OR_INSERT_H_

#include "db/session.h"

namespace ravlen {

inline SqlStatus updateOrInsert(SqlText update, HostVars updateInputs,
                                SqlText insert, HostVars insertInputs) {
  SqlStatus status =
      session().execute(update, updateInputs, Expect::kAnyFailure);
  if (status.ok()) return status;
  return session().execute(insert, insertInputs);
}

}  // namespace ravlen

#endif  // RAVLEN_SQL_UPDATE_OR_INSERT_H_
