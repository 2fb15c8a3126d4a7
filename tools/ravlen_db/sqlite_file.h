// SqliteFile and Insert: the tool's direct access to the SQLite files of an
// embedded database.
//
// Contract:
//  - SqliteFile::open opens one file and registers the Oracle-dialect
//    functions on the connection (registerDialect): databases made by
//    earlier versions of the tool may carry expression indexes that call
//    them on every insert and delete. It creates the file only when asked
//    to.
//  - Every operation returns an error text, empty on success; nothing throws.
//  - Insert is one prepared "insert into T (...) values (?, ...)" that is
//    reused for every row: the values are bound in column order, run()
//    executes and resets it. An empty text is bound as NULL, as the
//    embedded database's contract stores a zero-length text.
#ifndef RAVLEN_TOOLS_RAVLEN_DB_SQLITE_FILE_H_
#define RAVLEN_TOOLS_RAVLEN_DB_SQLITE_FILE_H_

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace ravlen {

class SqliteFile {
 public:
  SqliteFile() = default;
  ~SqliteFile();
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;

  enum class Mode { kExisting, kCreate, kReadOnly };
  std::string open(const std::string& path, Mode mode);

  // Runs one or more statements without results.
  std::string exec(std::string_view sql);
  // Attaches the file `path` under `name` (it must exist).
  std::string attach(const std::string& path, std::string_view name);

  sqlite3* handle() const { return db_; }
  std::string lastMessage() const;

 private:
  sqlite3* db_ = nullptr;
};

// One prepared statement that returns rows; for the tool's queries.
class Query {
 public:
  Query(const SqliteFile& file, std::string_view sql);
  ~Query();
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  // True while there is a row; error() tells an end by failure.
  bool next();
  int64_t integer(int column) const;
  std::string text(int column) const;  // "" for NULL
  const std::string& error() const { return error_; }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  std::string error_;
};

class Insert {
 public:
  // `columns` is the comma-separated column list of `table`; `replace`
  // makes it "insert or replace", which replaces a row of the same key.
  Insert(const SqliteFile& file, std::string_view table,
         std::string_view columns, bool replace = false);
  ~Insert();
  Insert(const Insert&) = delete;
  Insert& operator=(const Insert&) = delete;

  Insert& text(std::string_view value);
  Insert& integer(int64_t value);
  Insert& real(double value);
  Insert& null();
  // A Julian day number, or NULL when `julian` is 0 (no date).
  Insert& date(double julian);

  // Executes the row and resets the statement for the next one. The first
  // failure is kept (error()) and later rows are skipped.
  void run();

  const std::string& table() const { return table_; }
  int64_t rows() const { return rows_; }
  const std::string& error() const { return error_; }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  std::string table_;
  int next_ = 1;
  int64_t rows_ = 0;
  std::string error_;
};

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_SQLITE_FILE_H_
