#include "tools/ravlen_db/sqlite_file.h"

#include <sqlite3.h>

#include "db/sqlite/dialect.h"

namespace ravlen {

SqliteFile::~SqliteFile() { sqlite3_close(db_); }

std::string SqliteFile::open(const std::string& path, Mode mode) {
  int flags = mode == Mode::kReadOnly ? SQLITE_OPEN_READONLY
                                      : SQLITE_OPEN_READWRITE;
  if (mode == Mode::kCreate) flags |= SQLITE_OPEN_CREATE;
  sqlite3_close(db_);
  db_ = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    std::string message = path + ": " + lastMessage();
    sqlite3_close(db_);
    db_ = nullptr;
    return message;
  }
  sqlite3_busy_timeout(db_, 60000);
  if (registerDialect(db_) != SQLITE_OK) return path + ": " + lastMessage();
  return "";
}

std::string SqliteFile::exec(std::string_view sql) {
  std::string text(sql);
  char* message = nullptr;
  if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &message) ==
      SQLITE_OK) {
    return "";
  }
  std::string error = message != nullptr ? message : "failed";
  sqlite3_free(message);
  return error;
}

std::string SqliteFile::attach(const std::string& path, std::string_view name) {
  sqlite3_stmt* stmt = nullptr;
  std::string sql = "attach database ? as " + std::string(name);
  std::string error;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    error = lastMessage();
  } else {
    sqlite3_bind_text(stmt, 1, path.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(stmt) != SQLITE_DONE) error = path + ": " + lastMessage();
  }
  sqlite3_finalize(stmt);
  return error;
}

std::string SqliteFile::lastMessage() const {
  return db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
}

Query::Query(const SqliteFile& file, std::string_view sql)
    : db_(file.handle()) {
  if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()),
                         &stmt_, nullptr) != SQLITE_OK) {
    error_ = sqlite3_errmsg(db_);
  }
}

Query::~Query() { sqlite3_finalize(stmt_); }

bool Query::next() {
  if (stmt_ == nullptr) return false;
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc != SQLITE_DONE) error_ = sqlite3_errmsg(db_);
  return false;
}

int64_t Query::integer(int column) const {
  return sqlite3_column_int64(stmt_, column);
}

std::string Query::text(int column) const {
  const unsigned char* value = sqlite3_column_text(stmt_, column);
  return value != nullptr ? reinterpret_cast<const char*>(value) : "";
}

Insert::Insert(const SqliteFile& file, std::string_view table,
               std::string_view columns, bool replace)
    : db_(file.handle()), table_(table) {
  std::string marks = "?";
  for (char c : columns) {
    if (c == ',') marks += ",?";
  }
  std::string sql = (replace ? "insert or replace into " : "insert into ") +
                    table_ + " (" + std::string(columns) + ") values (" +
                    marks + ")";
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) {
    error_ = table_ + ": " + sqlite3_errmsg(db_);
  }
}

Insert::~Insert() { sqlite3_finalize(stmt_); }

Insert& Insert::text(std::string_view value) {
  if (value.empty()) return null();
  sqlite3_bind_text(stmt_, next_++, value.data(),
                    static_cast<int>(value.size()), SQLITE_TRANSIENT);
  return *this;
}

Insert& Insert::integer(int64_t value) {
  sqlite3_bind_int64(stmt_, next_++, value);
  return *this;
}

Insert& Insert::real(double value) {
  sqlite3_bind_double(stmt_, next_++, value);
  return *this;
}

Insert& Insert::null() {
  sqlite3_bind_null(stmt_, next_++);
  return *this;
}

Insert& Insert::date(double julian) {
  return julian == 0 ? null() : real(julian);
}

void Insert::run() {
  next_ = 1;
  if (!error_.empty()) return;
  if (sqlite3_step(stmt_) == SQLITE_DONE) {
    ++rows_;
  } else {
    error_ = table_ + ": " + sqlite3_errmsg(db_);
  }
  sqlite3_reset(stmt_);
}

}  // namespace ravlen
