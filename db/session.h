// Session: the program's one database session and the statement layer that
// every statement function uses.
//
// There is one session per process (session()). Before connect() succeeds,
// and after disconnect(), every operation fails with -3114 (not connected).
// A statement function binds its host variables, calls one of these
// operations and returns the status; it never sees the database client.
//
// Outcomes needed later: selectIntoLater, rowsLater and writeLater hand a
// statement over with a callback (see Backend for the rules: order kept,
// inputs read at once, outputs and callbacks at the latest by flush()).
// Each callback (may be empty) gets the status that the same work run at
// once would return, and failures reach the observer as they become known,
// in the order the statements ran. commit() runs everything held first.
#ifndef RAVLEN_DB_SESSION_H_
#define RAVLEN_DB_SESSION_H_

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "db/backend.h"
#include "db/kept_answers.h"
#include "db/shared_reads.h"
#include "db/statement_observer.h"

namespace ravlen {

class Session {
 public:
  using Done = std::function<void(SqlStatus)>;

  // Connects with "user/password@service"; replaces any earlier connection.
  SqlStatus connect(std::string_view connectText);
  // Takes over `backend`, an open session that the caller made itself (a
  // tool, or a test that wraps a backend); replaces any earlier connection.
  void useBackend(std::unique_ptr<Backend> backend);
  // Gives the current backend back and leaves the session not connected.
  std::unique_ptr<Backend> releaseBackend();
  // Ends the connection without commit (uncommitted work is rolled back).
  void disconnect();
  bool connected() const { return backend_ != nullptr; }

  // `expect` names failures that the caller handles itself; the observer
  // does not hear of them.
  SqlStatus execute(SqlText text, HostVars in = {},
                    Expect expect = Expect::kNothing);
  // Prepares a text built at run time and executes it once.
  SqlStatus executeImmediate(std::string_view text);
  SqlStatus selectInto(SqlText text, HostVars in, HostVars out);
  SqlStatus openCursor(SqlText text, HostVars in = {});
  SqlStatus fetch(SqlText text, HostVars out);
  SqlStatus closeCursor(SqlText text);
  SqlStatus commit();
  // The database's message of the last failure ("" when none).
  const std::string& lastError() const;
  // The backend's notice about the open session (Backend::notice).
  std::string notice() const { return backend_ ? backend_->notice() : ""; }

  // A select-into on a small code or calendar table: its answer for the
  // same inputs is kept for the session (kept_answers.h) and given again
  // without asking the database.
  SqlStatus selectIntoKept(SqlText text, HostVars in, HostVars out);

  // A select-into whose status `done` gets later; `out` changes only on 0.
  // Identical ones with no write between share one answer (shared_reads.h).
  void selectIntoLater(SqlText text, HostVars in, HostVars out, Done done);
  // A cursor's first rows, as Backend::rowsLater delivers them: `done`
  // gets 1403 when the rows ended, 0 after `maxRows` rows (there may be
  // more), or the failure; a failed open is reported once.
  void rowsLater(SqlText text, HostVars in, HostVars out, size_t maxRows,
                 std::function<void()> onRow, Done done);
  // A writer's pair (WritePattern), `done` getting the writer's status:
  //  - update, else insert: 0 when the update hit its row; otherwise the
  //    insert's status, except that a failed update followed by an insert
  //    that meets the key (-1: the row is there, only the update could not
  //    reach it) gives the update's failure. The failing update is reported
  //    as a failure of its own; that -1 is not.
  //  - insert, else add: the insert's status, or after -1 (not reported)
  //    the update's.
  void writeLater(const WriteSteps& steps, Done done);
  // Runs every statement held; each callback has run when it returns.
  void flush();

  // See Backend::roundTrips (0 and none without a connection).
  uint64_t roundTrips() const { return backend_ ? backend_->roundTrips() : 0; }
  std::vector<uint64_t> roundTripsAtCommits() const {
    return backend_ ? backend_->roundTripsAtCommits() : std::vector<uint64_t>{};
  }

  // Every failing statement from now on is passed to `observer` (nullptr:
  // to nobody). The observer outlives its installation.
  void setObserver(StatementObserver* observer) { observer_ = observer; }

  // While on, the session notes the text of every statement it is given
  // (all are constants) with the kinds of the inputs it first ran with, so
  // that a test can check each of them, for example for its query plan.
  // Off by default: it costs a lookup per statement.
  struct RecordedStatement {
    std::string_view text;
    std::vector<HostKind> inputs;
  };
  void recordStatements(bool on) { recording_ = on; }
  const std::vector<RecordedStatement>& recordedStatements() const {
    return recorded_;
  }

 private:
  SqlStatus notConnected();
  SqlStatus observed(StatementOp op, SqlText text, SqlStatus status);
  void report(SqlText text, const LaterOutcome& outcome);
  SqlStatus writeStatus(const WriteSteps& steps, const WriteOutcome& w);
  void record(SqlText text, HostVars in);
  void wrote(SqlText text);

  std::unique_ptr<Backend> backend_;
  std::string connectError_;
  StatementObserver* observer_ = nullptr;
  bool recording_ = false;
  std::set<const void*> recordedIds_;
  std::set<const void*> failedOpens_;  // cursors whose open failed
  std::vector<RecordedStatement> recorded_;
  KeptAnswers kept_;
  SharedReads shared_;
  std::unordered_map<const void*, std::string> writtenTables_;  // by text
};

// The process's session.
Session& session();

// Hands `later`'s work over with a callback, flushes and returns the
// status the callback got: the work run at once.
SqlStatus runAtOnce(const std::function<void(Session::Done)>& later);

}  // namespace ravlen

#endif  // RAVLEN_DB_SESSION_H_
