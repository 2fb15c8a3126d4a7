// The writers' two patterns, each a pair of statements handed to the
// session together (Session::writeLater), so that a server can send many
// writes in one round trip:
//  - update, else insert, for warehouse rows that the row itself keys:
//    update the row of the key; any status but 0 (no such row, or an error
//    of the update) leads to the insert, whose status is the result. A
//    failing update is reported as a failure of its own (a read-only
//    database, say). The insert still runs after it, but when the insert
//    then meets the row's key, the row is there and only the update could
//    not reach it: the update's failure is the write's status and its
//    cause, not the key violation that follows from it.
//  - insert, else add (the booking statistics): insert; only a taken key
//    (-1) leads to the update that adds the count, whose status is then
//    the result.
// The *Later forms hand the pair over: `done` (may be empty) gets the
// write's status once it ran, at the latest at the session's next flush.
// The others run it at once.
#ifndef RAVLEN_SQL_UPDATE_OR_INSERT_H_
#define RAVLEN_SQL_UPDATE_OR_INSERT_H_

#include <utility>

#include "db/session.h"

namespace ravlen {

inline void writePairLater(WritePattern pattern, SqlText first,
                           HostVars firstInputs, SqlText second,
                           HostVars secondInputs, Session::Done done) {
  session().writeLater({pattern, first, firstInputs, second, secondInputs},
                       std::move(done));
}

inline void updateOrInsertLater(SqlText update, HostVars updateInputs,
                                SqlText insert, HostVars insertInputs,
                                Session::Done done) {
  writePairLater(WritePattern::kUpdateElseInsert, update, updateInputs,
                 insert, insertInputs, std::move(done));
}

inline SqlStatus updateOrInsert(SqlText update, HostVars updateInputs,
                                SqlText insert, HostVars insertInputs) {
  return runAtOnce([&](Session::Done done) {
    updateOrInsertLater(update, updateInputs, insert, insertInputs, done);
  });
}

inline void insertOrAddLater(SqlText insert, HostVars insertInputs,
                             SqlText update, HostVars updateInputs,
                             Session::Done done) {
  writePairLater(WritePattern::kInsertElseAdd, insert, insertInputs, update,
                 updateInputs, std::move(done));
}

}  // namespace ravlen

#endif  // RAVLEN_SQL_UPDATE_OR_INSERT_H_
