// StatementObserver: hears of every statement of the session that fails.
//
// The session calls failed() for each negative status, after the statement
// ran, so that the database's message (Session::lastError) is the
// statement's, and committed() after each commit that succeeded. A cursor
// whose open failed is reported once: its fetches and its close, which fail
// as a consequence, are not passed on. A caller that expects a failure and handles it says so with
// the statement (Expect), and the observer does not hear of it. Status 1403
// (no row) is an outcome, not a failure, and is never passed on.
#ifndef RAVLEN_DB_STATEMENT_OBSERVER_H_
#define RAVLEN_DB_STATEMENT_OBSERVER_H_

#include <cstdint>
#include <string_view>

#include "db/status.h"

namespace ravlen {

// The session operation that failed.
enum class StatementOp : uint8_t {
  kExecute,     // insert, update, delete
  kSelectInto,  // single-row select
  kOpen,        // cursor open
  kFetch,       // cursor fetch
  kClose,       // cursor close
  kCommit,
};

// What the caller of execute() takes care of itself.
enum class Expect : uint8_t {
  kNothing,
  kUniqueKey,  // the caller follows up -1 (insert, then add to the row)
};

class StatementObserver {
 public:
  virtual ~StatementObserver() = default;
  // `statement` is the statement's text ("commit" for a commit); `id`
  // identifies the text for the run (the same text has the same id).
  virtual void failed(StatementOp op, std::string_view statement,
                      const void* id, SqlStatus status,
                      std::string_view message) = 0;
  // The work since the last commit is permanent now.
  virtual void committed() {}
};

}  // namespace ravlen

#endif  // RAVLEN_DB_STATEMENT_OBSERVER_H_
