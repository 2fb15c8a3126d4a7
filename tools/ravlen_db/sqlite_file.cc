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

namespace {

class SqliteRowReader : public RowReader {
 public:
  SqliteRowReader(sqlite3* db, std::string_view sql, std::string* error)
      : db_(db) {
    if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()),
                           &stmt_, nullptr) != SQLITE_OK)
      *error = sqlite3_errmsg(db_);
  }
  ~SqliteRowReader() override { sqlite3_finalize(stmt_); }

  bool next(std::string* error) override {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) *error = sqlite3_errmsg(db_);
    return false;
  }
  int64_t integer(int column) const override {
    return sqlite3_column_int64(stmt_, column);
  }
  std::string text(int column) const override {
    const unsigned char* value = sqlite3_column_text(stmt_, column);
    return value != nullptr ? reinterpret_cast<const char*>(value) : "";
  }
  int columns() const override { return sqlite3_column_count(stmt_); }
  std::string columnName(int column) const override {
    return sqlite3_column_name(stmt_, column);
  }
  bool isNull(int column) const override {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

class SqliteRowWriter : public RowWriter {
 public:
  SqliteRowWriter(sqlite3* db, std::string_view table, std::string_view columns,
                  bool replace, std::string* error)
      : db_(db) {
    std::string marks = "?";
    for (char c : columns) {
      if (c == ',') marks += ",?";
    }
    std::string sql = (replace ? "insert or replace into " : "insert into ") +
                      std::string(table) + " (" + std::string(columns) +
                      ") values (" + marks + ")";
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK)
      *error = sqlite3_errmsg(db_);
  }
  ~SqliteRowWriter() override { sqlite3_finalize(stmt_); }

  void text(std::string_view value) override {
    sqlite3_bind_text(stmt_, next_++, value.data(),
                      static_cast<int>(value.size()), SQLITE_TRANSIENT);
  }
  void integer(int64_t value) override {
    sqlite3_bind_int64(stmt_, next_++, value);
  }
  void real(double value) override { sqlite3_bind_double(stmt_, next_++, value); }
  void date(double julian) override { real(julian); }
  void null() override { sqlite3_bind_null(stmt_, next_++); }
  std::string endRow() override {
    next_ = 1;
    std::string error;
    if (sqlite3_step(stmt_) != SQLITE_DONE) error = sqlite3_errmsg(db_);
    sqlite3_reset(stmt_);
    return error;
  }
  std::string finish() override { return ""; }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  int next_ = 1;
};

}  // namespace

std::unique_ptr<RowWriter> SqliteFile::rowWriter(std::string_view table,
                                                 std::string_view columns,
                                                 bool replace,
                                                 std::string* error) {
  return std::make_unique<SqliteRowWriter>(db_, table, columns, replace, error);
}

std::unique_ptr<RowReader> SqliteFile::rowReader(std::string_view sql,
                                                 std::string* error) {
  return std::make_unique<SqliteRowReader>(db_, sql, error);
}

}  // namespace ravlen
