// SqliteBackend: the embedded database, a directory of SQLite files that
// understands the program's Oracle dialect.
//
// Layout: DIR holds one file per schema, DIR/<SCHEMA>.db. The session starts
// on an empty in-memory main database with every schema file of DIR attached
// under its name; "ALTER SESSION SET CURRENT_SCHEMA=NAME" reopens the session
// with DIR/NAME.db as main (a missing file is never created) and the other
// files attached, so unqualified names resolve in the current schema first
// and then in the others.
//
// Each statement text is translated (see translate.h) and prepared once and
// kept for the session. Writes run inside a transaction begun on the first
// write after a commit; a failing statement undoes only itself. A second
// writer waits up to kBusyTimeoutMs for the first.
#ifndef RAVLEN_DB_SQLITE_SQLITE_BACKEND_H_
#define RAVLEN_DB_SQLITE_SQLITE_BACKEND_H_

#include <memory>
#include <string>
#include <unordered_map>

#include "db/backend.h"
#include "db/sqlite/translate.h"

struct sqlite3;
struct sqlite3_stmt;

namespace ravlen {

class SqliteBackend : public Backend {
 public:
  static constexpr int kBusyTimeoutMs = 60000;

  // Opens the embedded database in `dir`; null on failure (see *status).
  static std::unique_ptr<SqliteBackend> open(const std::string& dir,
                                             SqlStatus* status,
                                             std::string* message);
  ~SqliteBackend() override;

  SqlStatus execute(SqlText text, HostVars in) override;
  SqlStatus executeImmediate(std::string_view text) override;
  SqlStatus selectInto(SqlText text, HostVars in, HostVars out) override;
  SqlStatus openCursor(SqlText text, HostVars in) override;
  SqlStatus fetch(SqlText text, HostVars out) override;
  SqlStatus closeCursor(SqlText text) override;
  SqlStatus commit() override;
  const std::string& lastError() const override { return lastError_; }

 private:
  struct Prepared {
    sqlite3_stmt* stmt = nullptr;
    Translation translation;
    bool cursorOpen = false;
    bool exhausted = false;
  };

  explicit SqliteBackend(std::string dir) : dir_(std::move(dir)) {}

  SqlStatus connectTo(const std::string& mainFile);
  SqlStatus attachSchemas();
  void closeConnection();
  SqlStatus setSchema(const std::string& name);

  Prepared* prepared(SqlText text, SqlStatus* status);
  SqlStatus prepare(std::string_view text, Prepared* p);
  SqlStatus bindInputs(Prepared& p, HostVars in);
  SqlStatus copyOutputs(Prepared& p, HostVars out,
                        const std::vector<bool>* indicators);
  SqlStatus run(Prepared& p);
  SqlStatus runSelectInto(Prepared& p, HostVars out);
  SqlStatus beginIfNeeded(const Prepared& p);
  SqlStatus exec(const char* sql);
  SqlStatus fail(int resultCode);
  SqlStatus failWith(SqlStatus status, std::string message);

  std::string dir_;
  std::string currentSchema_;
  sqlite3* db_ = nullptr;
  std::unordered_map<const void*, std::unique_ptr<Prepared>> cache_;
  std::string lastError_;
};

// Maps an SQLite outcome (extended result code and message) to the status
// numbering of the statement layer.
SqlStatus statusFromSqlite(int extendedCode, const char* message);

}  // namespace ravlen

#endif  // RAVLEN_DB_SQLITE_SQLITE_BACKEND_H_
