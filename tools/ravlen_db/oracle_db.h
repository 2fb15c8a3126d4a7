// OracleDb: the tools' and tests' own session with an Oracle database,
// beside the program's backend, through the same client library
// (db/oracle/ora_session.h).
//
// Contract:
//  - open() logs on to `service` (a net service name or an easy-connect
//    text) with `credentials` "LOGIN/PASSWORD"; the session shows numbers
//    with "." and dates as "yyyy-mm-dd hh24:mi:ss" (its NLS settings), and
//    `schema`, when given, is its current schema. A client that cannot be
//    loaded or a failed logon is the error; the password is never in it.
//  - Every operation returns an error text, empty on success; nothing
//    throws. It is a ToolDb (tool_db.h).
//  - exec() runs one statement or several separated by ";" (their
//    comments taken out, as the client takes one statement per call);
//    "begin" starts nothing (a transaction begins with the first change),
//    "commit" and "rollback" end it. DDL commits by itself, as in Oracle.
//  - rowWriter() inserts the rows in arrays of kBatchRows rows per
//    execution (array DML), each value bound as text (a date as
//    "yyyy-mm-dd hh24:mi:ss") for the server to convert; `replace` is not
//    offered: the caller deletes first.
//  - rowReader() gives the rows of a query, each column as text of at
//    most kColumnBytes bytes, with the column names.
#ifndef RAVLEN_TOOLS_RAVLEN_DB_ORACLE_DB_H_
#define RAVLEN_TOOLS_RAVLEN_DB_ORACLE_DB_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/oracle/ora_session.h"
#include "tools/ravlen_db/tool_db.h"

namespace ravlen {

class OracleDb : public ToolDb {
 public:
  static constexpr size_t kBatchRows = 500;
  static constexpr size_t kColumnBytes = 4000;

  std::string open(const std::string& service, const std::string& credentials,
                   const std::string& schema = "");
  std::string exec(std::string_view sql) override;
  std::unique_ptr<RowWriter> rowWriter(std::string_view table,
                                       std::string_view columns, bool replace,
                                       std::string* error) override;
  std::unique_ptr<RowReader> rowReader(std::string_view sql,
                                       std::string* error) override;

  OraSession& session() { return *session_; }

 private:
  std::string run(std::string_view statement);

  std::unique_ptr<OraSession> session_;
};

// The statements of `sql`, split at ";" outside quotes and comments, with
// their comments and outer blanks taken out; empty ones dropped.
std::vector<std::string> splitStatements(std::string_view sql);

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_ORACLE_DB_H_
