// OraBackend: an Oracle database, the time-recording system's own, reached
// through the Oracle Call Interface of the client library that is loaded at
// run time (oci_library.h).
//
// Native semantics: the statements run as the program writes them, with
// only what embedded SQL itself takes out (ora_statement.h); sysdate, the
// functions and the name resolution are the server's; statuses are
// Oracle's own error numbers (ora_status.h).
//
// Statements: each text is prepared once per session and its statement
// handle kept (the statement cache of the session), found again by the
// text's address. Inputs are bound by position, one per placeholder
// occurrence, from copies (ora_buffers.h).
//  - execute: runs once; an insert, update or delete that touches no row
//    reports 1403.
//  - selectInto: executes in exact-fetch mode for one row: no row is 1403,
//    a second row the server's ORA-01422; a NULL into an output whose text
//    has no indicator is -1405.
//  - cursors: the open executes without fetching, with the client
//    prefetching kPrefetchRows rows per round trip; each fetch takes one
//    row from the client; a cursor past its last row answers 1403 again
//    without a call; a close (or a new open of an open cursor) cancels what
//    the server still holds. Oracle keeps a cursor's rows as of its open and
//    across commits.
//  - a mismatched output list is -1007, a wrong number of inputs -1008, a
//    fetch or close of a cursor not open -1001.
// Transactions are the server's: a failed statement undoes only itself;
// commit() commits; the end of the session rolls back what is not
// committed.
//
// Schema statement: "ALTER SESSION SET CURRENT_SCHEMA=NAME" runs as given.
// Then the session takes the lock of that schema (kSchemaLockBlock), so
// that two runs never work on one schema at once: it waits up to
// `lockWait` for another session that holds it, then fails with -54 (and
// goes back to the schema it had). The lock is Oracle's user lock
// (DBMS_LOCK), held until the session ends. A login without EXECUTE on
// DBMS_LOCK works on the schema unguarded, as the program always did, and
// notice() says so.
//
// Writers' pairs (writeLater) are held and sent as array DML
// (ora_write_batch.h): consecutive pairs of the same texts become one
// execution of the first step over all their rows and one of the second
// step over the rows that need it, in batch-error mode, so that each row
// has its own outcome (its error, or 1403 where an update or insert
// touched no row) and a failed row undoes only itself. A pair whose key
// repeats one of the held batch, or that has no key, starts a new batch.
// Held pairs run before any other operation (and at flush and commit),
// and as soon as their batch is full; a pair whose inputs do not fit its
// texts fails at once, after those held before it. Pairs still held when
// the session ends are dropped with its uncommitted work.
#ifndef RAVLEN_DB_ORACLE_ORA_BACKEND_H_
#define RAVLEN_DB_ORACLE_ORA_BACKEND_H_

#include <chrono>
#include <memory>
#include <string>
#include <unordered_map>

#include "db/backend.h"
#include "db/oracle/oci.h"
#include "db/oracle/ora_buffers.h"
#include "db/oracle/ora_session.h"
#include "db/oracle/ora_statement.h"
#include "db/oracle/ora_write_batch.h"

namespace ravlen {

// Takes the user lock of schema :b0 (upper case), waiting :b2 seconds;
// :b1 gets DBMS_LOCK.REQUEST's result (0 granted, 1 timeout, 4 held
// already). The lock id is the hash of "RAVLEN." and the name.
inline constexpr char kSchemaLockBlock[] =
    "declare id integer; begin select ora_hash('RAVLEN.'||upper(:b0),"
    "1073741823) into id from dual; :b1:=dbms_lock.request(id,"
    "dbms_lock.x_mode,:b2,false); end;";
inline constexpr char kSchemaUnlockBlock[] =
    "declare id integer; r integer; begin select ora_hash('RAVLEN.'||"
    "upper(:b0),1073741823) into id from dual; r:=dbms_lock.release(id); "
    "end;";

class OraBackend : public Backend {
 public:
  static constexpr oci::ub4 kPrefetchRows = 500;

  // Logs on to `service` with the client `api`; null on failure with
  // *status and *message (never the password).
  static std::unique_ptr<OraBackend> open(
      const OciFunctions& api, std::string_view service,
      std::string_view login, std::string_view password, SqlStatus* status,
      std::string* message, std::chrono::milliseconds lockWait);
  ~OraBackend() override;

  SqlStatus execute(SqlText text, HostVars in) override;
  SqlStatus executeImmediate(std::string_view text) override;
  SqlStatus selectInto(SqlText text, HostVars in, HostVars out) override;
  SqlStatus openCursor(SqlText text, HostVars in) override;
  SqlStatus fetch(SqlText text, HostVars out) override;
  SqlStatus closeCursor(SqlText text) override;
  SqlStatus commit() override;
  void writeLater(const WriteSteps& steps,
                  std::function<void(const WriteOutcome&)> done) override;
  void flush() override { runHeld(); }
  std::string notice() const override { return notice_; }
  const std::string& lastError() const override {
    return session_->lastError();
  }

 private:
  struct Prepared {
    OraStatementText text;
    oci::OCIStmt* stmt = nullptr;
    OraInputs inputs;
    OraOutputs outputs;
    size_t columns = 0;  // of the select list, known after an execution
    std::vector<size_t> keyInputs;  // of an update (write_pair_key.h)
    bool cursorOpen = false;
    bool exhausted = false;
  };

  OraBackend(std::unique_ptr<OraSession> session,
             std::chrono::milliseconds lockWait)
      : session_(std::move(session)), lockWait_(lockWait) {}

  Prepared* prepared(SqlText text, SqlStatus* status);
  SqlStatus checkInputs(const Prepared& p, HostVars in);
  SqlStatus bindInputs(Prepared& p, HostVars in);
  void runHeld();
  std::vector<LaterOutcome> executeRows(SqlText text, OraInputs& rows);
  SqlStatus defineOutputs(Prepared& p, HostVars out);
  SqlStatus store(Prepared& p, HostVars out,
                  const std::vector<bool>* indicators);
  void cancel(Prepared& p);
  SqlStatus runOnce(std::string_view text);
  SqlStatus setSchema(std::string_view statement, const std::string& name);
  SqlStatus lockBlock(const char* block, const std::string& name,
                      int32_t* result);

  std::unique_ptr<OraSession> session_;
  std::chrono::milliseconds lockWait_;
  std::unordered_map<const void*, std::unique_ptr<Prepared>> cache_;
  OraWriteBatch held_;
  std::string schema_, lockedSchema_;
  std::string notice_;
};

// Loads the client library (oci_library.h) and opens a backend; a missing
// client fails with kClientFailure and the loader's message.
std::unique_ptr<Backend> openOracleBackend(std::string_view service,
                                           std::string_view login,
                                           std::string_view password,
                                           SqlStatus* status,
                                           std::string* message,
                                           std::chrono::milliseconds lockWait);

}  // namespace ravlen

#endif  // RAVLEN_DB_ORACLE_ORA_BACKEND_H_
