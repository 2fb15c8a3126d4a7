// The clear-down deletes share one form: the rows of one period code dated
// within a window, ":b0" the first day, ":b1" the last day, ":b2" the code.
#ifndef RAVLEN_SQL_WINDOW_DELETE_H_
#define RAVLEN_SQL_WINDOW_DELETE_H_

#include <cstdint>

#include "db/session.h"

namespace ravlen {

inline SqlStatus deleteWindowRows(SqlText text, const DateText& von,
                                  const DateText& bis, int32_t ztr) {
  return session().execute(text, {hostVar(von), hostVar(bis), hostVar(ztr)});
}

}  // namespace ravlen

#endif  // RAVLEN_SQL_WINDOW_DELETE_H_
