// SqliteFile: the tool's direct access to the SQLite files of an
// embedded database.
//
// Contract:
//  - SqliteFile::open opens one file and registers the Oracle-dialect
//    functions on the connection (registerDialect): databases made by
//    earlier versions of the tool may carry expression indexes that call
//    them on every insert and delete. It creates the file only when asked
//    to.
//  - Every operation returns an error text, empty on success; nothing throws.
//  - It is a ToolDb (tool_db.h): rows are written with one prepared insert
//    per table, reused for every row; dates are stored as Julian day
//    numbers.
#ifndef RAVLEN_TOOLS_RAVLEN_DB_SQLITE_FILE_H_
#define RAVLEN_TOOLS_RAVLEN_DB_SQLITE_FILE_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/ravlen_db/tool_db.h"

struct sqlite3;
struct sqlite3_stmt;

namespace ravlen {

class SqliteFile : public ToolDb {
 public:
  SqliteFile() = default;
  ~SqliteFile();
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;

  enum class Mode { kExisting, kCreate, kReadOnly };
  std::string open(const std::string& path, Mode mode);

  std::string exec(std::string_view sql) override;
  // A prepared "insert [or replace] into T (...) values (?, ...)" reused
  // for every row.
  std::unique_ptr<RowWriter> rowWriter(std::string_view table,
                                       std::string_view columns, bool replace,
                                       std::string* error) override;
  std::unique_ptr<RowReader> rowReader(std::string_view sql,
                                       std::string* error) override;
  // Attaches the file `path` under `name` (it must exist).
  std::string attach(const std::string& path, std::string_view name);

  sqlite3* handle() const { return db_; }
  std::string lastMessage() const;

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_SQLITE_FILE_H_
