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
#ifndef RAVLEN_DB_BACKEND_H_
#define RAVLEN_DB_BACKEND_H_

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/host_var.h"
#include "db/sql_text.h"
#include "db/status.h"

namespace ravlen {

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

  // Round trips to a database server since the session began (0 for the
  // embedded database), and the count as it was at the end of each
  // commit, in order: for the benchmark's figures per stage.
  virtual uint64_t roundTrips() const { return 0; }
  virtual std::vector<uint64_t> roundTripsAtCommits() const { return {}; }
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
