// ServerDb: the tools' and tests' own connection to a PostgreSQL server,
// beside the program's backend: plain statements, queries returning texts,
// and bulk loading with COPY.
//
// Contract:
//  - open() connects to a libpq connection URI ("postgresql://..."), as the
//    user `user` when given (else libpq's default: PGUSER, the login name);
//    a password comes from the server's rules (password file, PGPASSWORD),
//    never from an argument. The session's search path is then
//    `searchPath` when given.
//  - Every operation returns an error text, empty on success; nothing
//    throws. It is a ToolDb (tool_db.h). exec() runs one or more statements (in one transaction unless
//    they say otherwise).
//  - query() gives every row, each column as its text ("" for NULL).
//  - copyIn() loads rows given in COPY's text format (tab-separated, "\N"
//    for NULL, one row per line) into `table` (`columns`).
#ifndef RAVLEN_TOOLS_RAVLEN_DB_SERVER_DB_H_
#define RAVLEN_TOOLS_RAVLEN_DB_SERVER_DB_H_

#include <string>
#include <string_view>
#include <vector>

#include "tools/ravlen_db/tool_db.h"

struct pg_conn;

namespace ravlen {

using TextRow = std::vector<std::string>;

class ServerDb : public ToolDb {
 public:
  ServerDb() = default;
  ~ServerDb();
  ServerDb(const ServerDb&) = delete;
  ServerDb& operator=(const ServerDb&) = delete;

  std::string open(const std::string& uri, const std::string& user = "",
                   const std::string& searchPath = "");
  std::string exec(std::string_view sql) override;
  // Rows go to the server with COPY, in batches of at most a few MiB and
  // at finish(); a date is written as the timestamp of its Julian day
  // number. `replace` is not offered: the caller deletes first.
  std::unique_ptr<RowWriter> rowWriter(std::string_view table,
                                       std::string_view columns, bool replace,
                                       std::string* error) override;
  std::unique_ptr<RowReader> rowReader(std::string_view sql,
                                       std::string* error) override;
  std::string query(std::string_view sql, std::vector<TextRow>* rows);
  std::string copyIn(std::string_view table, std::string_view columns,
                     std::string_view data);

  pg_conn* handle() const { return conn_; }

 private:
  pg_conn* conn_ = nullptr;
};

// `value` quoted for COPY's text format: backslash, tab, newline and
// carriage return escaped.
std::string copyText(std::string_view value);

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_SERVER_DB_H_
