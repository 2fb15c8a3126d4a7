// OraSession: one session with an Oracle database through the client
// library's call interface, and the calls that the backend and the tools
// make on it.
//
// Contract:
//  - logon() creates the client environment (texts in AL32UTF8, unless
//    NLS_LANG names the client's character set), an error handle, and logs
//    on with the login and password to `service` (a net service name or an
//    easy-connect text) with the client's statement cache on. On failure
//    the result is null, every handle made so far is freed, and *message
//    holds the client's text (ORA-12154, ORA-01017, ...) with the password
//    replaced by "***".
//  - Every call returns the status of ora_status.h; on a failure
//    lastError() holds the client's message. A success leaves lastError()
//    as it was.
//  - The destructor rolls back what is not committed (ending a session
//    with the client's logoff would commit it), logs off and frees the
//    handles. Statements must be released before.
//  - execute() runs a statement `iters` times over the bound rows (a query:
//    fetches `iters` rows into the defines, 0 fetches none); fetch() with
//    0 rows cancels a cursor.
//  - executeRows() runs an insert, update or delete once over `rows` bound
//    rows in batch-error mode (oci.h): every row is tried and gets its own
//    outcome: its error with the client's message, else 1403 where it
//    touched no row, else 0. A row that fails undoes only itself. When the
//    call fails as a whole (not for single rows), every row gets that
//    failure. The error handle that takes the rows' errors is allocated
//    once and freed with the session.
#ifndef RAVLEN_DB_ORACLE_ORA_SESSION_H_
#define RAVLEN_DB_ORACLE_ORA_SESSION_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/oracle/oci.h"
#include "db/status.h"

namespace ravlen {

// The outcome of one row of an array execution.
struct OraRowOutcome {
  SqlStatus status;
  std::string message;  // when it failed
};

class OraSession {
 public:
  static std::unique_ptr<OraSession> logon(const OciFunctions& api,
                                           std::string_view service,
                                           std::string_view login,
                                           std::string_view password,
                                           SqlStatus* status,
                                           std::string* message);
  ~OraSession();
  OraSession(const OraSession&) = delete;
  OraSession& operator=(const OraSession&) = delete;

  const OciFunctions& api() const { return api_; }
  oci::OCIError* err() const { return err_; }

  // The status of `rc`, the return code of a call given err().
  SqlStatus check(oci::sword rc);
  SqlStatus fail(SqlStatus status, std::string message);
  const std::string& lastError() const { return lastError_; }

  SqlStatus prepare(std::string_view sql, oci::OCIStmt** stmt);
  void release(oci::OCIStmt* stmt);
  SqlStatus execute(oci::OCIStmt* stmt, oci::ub4 iters, oci::ub4 mode);
  std::vector<OraRowOutcome> executeRows(oci::OCIStmt* stmt, oci::ub4 rows);
  SqlStatus fetch(oci::OCIStmt* stmt, oci::ub4 rows);
  // A statement attribute of type ub4 (row count, select-list count).
  oci::ub4 attribute(oci::OCIStmt* stmt, oci::ub4 attribute);
  SqlStatus setAttribute(oci::OCIStmt* stmt, oci::ub4 attribute,
                         oci::ub4 value);
  SqlStatus commit();
  SqlStatus rollback();

 private:
  explicit OraSession(const OciFunctions& api) : api_(api) {}

  SqlStatus createHandles();
  std::string errorText(void* handle, oci::ub4 type, int32_t* code) const;
  void rowCounts(oci::OCIStmt* stmt, std::vector<OraRowOutcome>* rows);
  void rowErrors(oci::OCIStmt* stmt, std::vector<OraRowOutcome>* rows);

  const OciFunctions& api_;
  oci::OCIEnv* env_ = nullptr;
  oci::OCIError* err_ = nullptr;
  oci::OCISvcCtx* svc_ = nullptr;
  oci::OCIError* rowErr_ = nullptr;  // the error of one row of an array
  std::string lastError_;
};

}  // namespace ravlen

#endif  // RAVLEN_DB_ORACLE_ORA_SESSION_H_
