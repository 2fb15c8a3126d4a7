// Backend: one database client behind the statement layer.
//
// The embedded SQLite database is the default backend; a PostgreSQL server
// (db/postgresql/) and an Oracle database through the client library
// loaded at run time (db/oracle/) are the others.
// A backend object is one open session. It reports every outcome as a
// SqlStatus and keeps the database's message text of the last failure.
//
// Contract shared by all backends:
//  - inputs bind one host variable per placeholder occurrence, in text order;
//  - outputs are copied into their host variables; a NULL leaves a host
//    variable unchanged (a select-into output written without an indicator
//    placeholder fails with -1405 instead);
//  - a cursor is identified by its statement text: at most one open cursor
//    per text, opened with inputs, fetched one row per call, closed;
//  - work becomes permanent at commit(); a failed statement undoes only
//    itself.
//
// Statements whose outcome is needed later (the *Later operations): the
// statement layer hands some statements over with a callback instead of
// waiting for them, so that a server backend can send many in one round
// trip (an Oracle client: as one array operation). The rules:
//  - Order: every statement runs in the order it was handed over, held or
//    not; no operation overtakes one handed over before it, so a read sees
//    every write handed over before it, and writes keep their order.
//  - Inputs are read when a statement is handed over: the caller may
//    change its host variables right after. Output host variables must
//    stay valid until the callback has run, at the latest when flush()
//    returns. An output changes only when its statement (or row) succeeds.
//  - A held statement that fails undoes only itself, as at once; its
//    outcome names the operation that failed and the database's message.
//  - flush() runs everything held; every other operation may run held
//    statements first, and commit() always does.
// The default implementations run each statement at once through the
// operations above, which keeps every rule: the embedded database, and any
// backend that does not hold statements, needs nothing more.
#ifndef RAVLEN_DB_BACKEND_H_
#define RAVLEN_DB_BACKEND_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/host_var.h"
#include "db/output_copy.h"
#include "db/sql_text.h"
#include "db/statement_observer.h"
#include "db/status.h"

namespace ravlen {

// What became of a statement that ran later: its status and, when it
// failed, which operation failed and the database's message.
struct LaterOutcome {
  SqlStatus status;
  StatementOp failedOp = StatementOp::kExecute;
  std::string message;
};

// The outcome of rowsLater: the status of the last fetch (of the open when
// it failed), and each operation that failed, in order.
struct RowsOutcome {
  SqlStatus status;
  std::vector<LaterOutcome> failures;
};

// The writers' two patterns, each a pair of statements:
enum class WritePattern : uint8_t {
  kUpdateElseInsert,  // the update; when its status is not 0, the insert
  kInsertElseAdd,     // the insert; when it meets the key (-1), the update
};

struct WriteSteps {
  WritePattern pattern;
  SqlText first;
  HostVars firstIn;
  SqlText second;
  HostVars secondIn;
};

// Whether the second step of a pair runs after the first ended with
// `first`: after an update that did not change its row (1403) or failed;
// after an insert that met the key (-1).
inline bool secondStepRuns(WritePattern pattern, SqlStatus first) {
  return pattern == WritePattern::kUpdateElseInsert
             ? !first.ok()
             : first == sqlstatus::kUniqueKey;
}

// The outcome of each step that ran.
struct WriteOutcome {
  LaterOutcome first;
  std::optional<LaterOutcome> second;
};

class Backend {
 public:
  virtual ~Backend() = default;

  virtual SqlStatus execute(SqlText text, HostVars in) = 0;
  virtual SqlStatus executeImmediate(std::string_view text) = 0;
  virtual SqlStatus selectInto(SqlText text, HostVars in, HostVars out) = 0;
  virtual SqlStatus openCursor(SqlText text, HostVars in) = 0;
  virtual SqlStatus fetch(SqlText text, HostVars out) = 0;
  virtual SqlStatus closeCursor(SqlText text) = 0;
  virtual SqlStatus commit() = 0;
  virtual const std::string& lastError() const = 0;
  // What the operator should know about the open session that is no
  // failure (a guard that could not be taken); empty when nothing.
  virtual std::string notice() const { return {}; }

  // A select-into run later: `done` gets its outcome; `out` changes only
  // on status 0.
  virtual void selectIntoLater(SqlText text, HostVars in, HostVars out,
                               std::function<void(const LaterOutcome&)> done);
  // The first rows of a cursor's query, run later: each row, up to
  // `maxRows`, is stored into `out` (as a fetch stores it) and then
  // `onRow` is called; `done` gets the status of the last fetch: 1403 when
  // the rows ended within maxRows, 0 when maxRows rows were delivered
  // (there may be more), or the failure of the open or a fetch.
  virtual void rowsLater(SqlText text, HostVars in, HostVars out,
                         size_t maxRows, std::function<void()> onRow,
                         std::function<void(const RowsOutcome&)> done);
  // A writer's pair of statements, run later as its pattern says: the
  // second step runs only where the first step's outcome calls for it,
  // and the rows that the pair leaves are those of the two run in turn.
  virtual void writeLater(const WriteSteps& steps,
                          std::function<void(const WriteOutcome&)> done);
  // Runs every statement held; each callback has run when it returns.
  virtual void flush() {}

  // Round trips to a database server since the session began (0 for the
  // embedded database), and the count as it was at the end of each
  // commit, in order: for the benchmark's figures per stage.
  virtual uint64_t roundTrips() const { return 0; }
  virtual std::vector<uint64_t> roundTripsAtCommits() const { return {}; }

 private:
  // The copy of a select-into's outputs in the default selectIntoLater,
  // kept so that its memory serves every statement of the session.
  OutputCopy laterCopy_;
  // The same for the rows of the default rowsLater; a rowsLater called
  // from a row's callback takes a copy of its own.
  OutputCopy rowsCopy_;
  bool rowsCopyInUse_ = false;
};

// Opens a session for an Oracle-form connect text "user/password@service".
// The service "sqlite:DIR" selects the embedded database, a service
// "postgresql://..." or "postgres://..." a PostgreSQL server (the user and
// password given to it as such); any other service is an Oracle net
// service name or easy-connect text, reached through the Oracle client
// library (a missing library fails with -1019). On failure the result is
// null, *status holds the reason and *message its text, which never holds
// the password. `lockWait` bounds the wait for another session that holds
// the database (the embedded directory) or the schema (a server).
inline constexpr std::chrono::milliseconds kDefaultLockWait{60000};
std::unique_ptr<Backend> openBackend(
    std::string_view connectText, SqlStatus* status, std::string* message,
    std::chrono::milliseconds lockWait = kDefaultLockWait);

}  // namespace ravlen

#endif  // RAVLEN_DB_BACKEND_H_
