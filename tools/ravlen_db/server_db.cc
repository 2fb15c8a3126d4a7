#include "tools/ravlen_db/server_db.h"

#include <libpq-fe.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "db/postgresql/pg_connect.h"
#include "db/postgresql/pg_status.h"
#include "tools/ravlen_db/day.h"

namespace ravlen {

namespace {

std::string errorOf(PGconn* conn) { return firstLine(PQerrorMessage(conn)); }

}  // namespace

ServerDb::~ServerDb() { PQfinish(conn_); }

std::string ServerDb::open(const std::string& uri, const std::string& user,
                           const std::string& searchPath) {
  PQfinish(conn_);
  std::string error;
  conn_ = connectToServer(uri, user, "", &error, "ravlen-db");
  if (conn_ == nullptr) return error;
  // The server's notices ("already exists, skipping") are not errors.
  PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);
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

namespace {

class ServerRowWriter : public RowWriter {
 public:
  static constexpr size_t kBatchBytes = 4 << 20;

  ServerRowWriter(ServerDb& db, std::string_view table, std::string_view columns)
      : db_(db), table_(table), columns_(columns) {}

  void text(std::string_view value) override { field(copyText(value)); }
  void integer(int64_t value) override { field(std::to_string(value)); }
  void real(double value) override {
    char text[32];
    auto end = std::to_chars(text, text + sizeof text, value).ptr;
    field(std::string(text, end));
  }
  void date(double julian) override { field(timestampText(julian)); }
  void null() override { field("\\N"); }
  std::string endRow() override {
    data_ += '\n';
    first_ = true;
    return data_.size() >= kBatchBytes ? finish() : "";
  }
  std::string finish() override {
    if (data_.empty()) return "";
    std::string error = db_.copyIn(table_, columns_, data_);
    data_.clear();
    return error;
  }

 private:
  void field(const std::string& value) {
    if (!first_) data_ += '\t';
    first_ = false;
    data_ += value;
  }

  ServerDb& db_;
  std::string table_, columns_, data_;
  bool first_ = true;
};

class ServerRowReader : public RowReader {
 public:
  ServerRowReader(PGconn* conn, std::string_view sql, std::string* error)
      : result_(PQexec(conn, std::string(sql).c_str())) {
    if (PQresultStatus(result_) != PGRES_TUPLES_OK) *error = errorOf(conn);
  }
  ~ServerRowReader() override { PQclear(result_); }

  bool next(std::string*) override { return ++row_ < PQntuples(result_); }
  int64_t integer(int column) const override {
    return std::strtoll(PQgetvalue(result_, row_, column), nullptr, 10);
  }
  std::string text(int column) const override {
    return PQgetvalue(result_, row_, column);
  }
  int columns() const override { return PQnfields(result_); }
  std::string columnName(int column) const override {
    return PQfname(result_, column);
  }
  bool isNull(int column) const override {
    return PQgetisnull(result_, row_, column) == 1;
  }

 private:
  PGresult* result_;
  int row_ = -1;
};

}  // namespace

std::unique_ptr<RowWriter> ServerDb::rowWriter(std::string_view table,
                                               std::string_view columns, bool,
                                               std::string*) {
  return std::make_unique<ServerRowWriter>(*this, table, columns);
}

std::unique_ptr<RowReader> ServerDb::rowReader(std::string_view sql,
                                               std::string* error) {
  return std::make_unique<ServerRowReader>(conn_, sql, error);
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
