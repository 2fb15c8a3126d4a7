// Session: the program's one database session and the statement layer that
// every statement function uses.
//
// There is one session per process (session()). Before connect() succeeds,
// and after disconnect(), every operation fails with -3114 (not connected).
// A statement function binds its host variables, calls one of these
// operations and returns the status; it never sees the database client.
#ifndef RAVLEN_DB_SESSION_H_
#define RAVLEN_DB_SESSION_H_

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "db/backend.h"
#include "db/statement_observer.h"

namespace ravlen {

class Session {
 public:
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
  void record(SqlText text, HostVars in);

  std::unique_ptr<Backend> backend_;
  std::string connectError_;
  StatementObserver* observer_ = nullptr;
  bool recording_ = false;
  std::set<const void*> recordedIds_;
  std::set<const void*> failedOpens_;  // cursors whose open failed
  std::vector<RecordedStatement> recorded_;
};

// The process's session.
Session& session();

}  // namespace ravlen

#endif  // RAVLEN_DB_SESSION_H_
