#include "tools/ravlen_db/server_db.h"

#include <libpq-fe.h>

#include "db/postgresql/pg_connect.h"
#include "db/postgresql/pg_status.h"

namespace ravlen {

namespace {

std::string errorOf(PGconn* conn) { return firstLine(PQerrorMessage(conn)); }

}  // namespace

ServerDb::~ServerDb() { PQfinish(conn_); }

std::string ServerDb::open(const std::string& uri, const std::string& user,
                           const std::string& searchPath) {
  PQfinish(conn_);
  std::string error;
  conn_ = connectToServer(uri, user, "", &error);
  if (conn_ == nullptr) return error;
  if (!searchPath.empty()) return exec("set search_path = " + searchPath);
  return "";
}

std::string ServerDb::exec(std::string_view sql) {
  PGresult* r = PQexec(conn_, std::string(sql).c_str());
  ExecStatusType status = PQresultStatus(r);
  std::string error = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK
                          ? ""
                          : errorOf(conn_);
  PQclear(r);
  return error;
}

std::string ServerDb::query(std::string_view sql, std::vector<TextRow>* rows) {
  rows->clear();
  PGresult* r = PQexec(conn_, std::string(sql).c_str());
  if (PQresultStatus(r) != PGRES_TUPLES_OK) {
    PQclear(r);
    return errorOf(conn_);
  }
  for (int row = 0; row < PQntuples(r); ++row) {
    TextRow& out = rows->emplace_back();
    for (int c = 0; c < PQnfields(r); ++c)
      out.push_back(PQgetisnull(r, row, c) ? "" : PQgetvalue(r, row, c));
  }
  PQclear(r);
  return "";
}

std::string ServerDb::copyIn(std::string_view table, std::string_view columns,
                             std::string_view data) {
  std::string sql = "COPY " + std::string(table) + " (" +
                    std::string(columns) + ") FROM STDIN";
  PGresult* r = PQexec(conn_, sql.c_str());
  bool started = PQresultStatus(r) == PGRES_COPY_IN;
  PQclear(r);
  if (!started) return errorOf(conn_);
  bool sent = PQputCopyData(conn_, data.data(), static_cast<int>(data.size())) == 1;
  if (PQputCopyEnd(conn_, sent ? nullptr : "send failed") != 1)
    return errorOf(conn_);
  std::string error;
  while (PGresult* done = PQgetResult(conn_)) {
    if (PQresultStatus(done) != PGRES_COMMAND_OK) error = errorOf(conn_);
    PQclear(done);
  }
  return error;
}

std::string copyText(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace ravlen
