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
// kept for the session; an execution binds only the inputs whose value
// changed since the statement's last one (input_binder.h). A writer's pair
// may run its insert first where that provably leaves the same rows and
// outcome (sqlite_write_pair.cc). Cursors and writes run inside a
// transaction that holds the write lock of every schema file from its
// begin to the commit: it begins at the first cursor open or write after a
// commit, before that cursor reads, so another writer (the sqlite3 shell,
// say) is waited for up to kBusyTimeoutMs at that begin instead of failing
// a write under the cursor at once. A failing statement undoes only itself. Files that cannot
// be written are read in a plain transaction; writes to them fail.
//
// One session at a time: the session holds the directory's lock
// (DirectoryLock) from open to end, so a second session, a second run of
// the program, waits at open up to kBusyTimeoutMs for the first to end
// rather than interleaving its stages with the first's. When the first
// still holds the lock after the wait, the open fails (-54). A schema file
// that is no intact database fails the open or the schema statement.
#ifndef RAVLEN_DB_SQLITE_SQLITE_BACKEND_H_
#define RAVLEN_DB_SQLITE_SQLITE_BACKEND_H_

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/backend.h"
#include "db/sqlite/directory_lock.h"
#include "db/sqlite/input_binder.h"
#include "db/sqlite/translate.h"
#include "db/write_pair_key.h"

struct sqlite3;
struct sqlite3_stmt;

namespace ravlen {

class SqliteBackend : public Backend {
 public:
  static constexpr int kBusyTimeoutMs = 60000;

  // Opens the embedded database in `dir`; null on failure (see *status).
  // Waits up to `lockWait` for another session's lock on `dir`.
  static std::unique_ptr<SqliteBackend> open(
      const std::string& dir, SqlStatus* status, std::string* message,
      std::chrono::milliseconds lockWait =
          std::chrono::milliseconds(kBusyTimeoutMs));
  ~SqliteBackend() override;

  SqlStatus execute(SqlText text, HostVars in) override;
  SqlStatus executeImmediate(std::string_view text) override;
  SqlStatus selectInto(SqlText text, HostVars in, HostVars out) override;
  SqlStatus openCursor(SqlText text, HostVars in) override;
  SqlStatus fetch(SqlText text, HostVars out) override;
  SqlStatus closeCursor(SqlText text) override;
  SqlStatus commit() override;
  const std::string& lastError() const override { return lastError_; }
  void writeLater(const WriteSteps& steps,
                  std::function<void(const WriteOutcome&)> done) override;

 private:
  struct Prepared {
    sqlite3_stmt* stmt = nullptr;
    Translation translation;
    InputBinder inputs;
    bool cursorOpen = false;
    bool exhausted = false;
    // Opened as a cursor since its last reset: stepped by fetches, so
    // possibly not at its start. Every other use resets it at its end.
    bool unfinished = false;
  };

  // A writer's pair whose insert may go first (sqlite_write_pair.cc).
  struct PairPlan {
    PairKey key;
    // The insert with "on conflict (key) do nothing"; null where the pair
    // always runs as written.
    std::unique_ptr<Prepared> insert;
    // Insert, else add: the insert with "on conflict (key) do update set
    // <the update's set list>", whose parameters after the insert's own
    // are the update's inputs addInputs; null where the set list cannot
    // be taken over.
    std::unique_ptr<Prepared> add;
    std::vector<int> addInputs;
    int updateInputCount = 0;
    // Whether the last pair of these texts made a new row: the insert goes
    // first while rows are new, the update while they are there.
    bool insertFirst = true;
  };

  explicit SqliteBackend(std::string dir) : dir_(std::move(dir)) {}

  SqlStatus connectTo(const std::string& mainFile);
  SqlStatus attachSchemas();
  SqlStatus checkSchemas();
  void closeConnection();
  SqlStatus setSchema(const std::string& name);

  Prepared* prepared(SqlText text, SqlStatus* status);
  // `clause` goes after the translated text (a writer's "on conflict").
  SqlStatus prepare(std::string_view text, Prepared* p,
                    std::string_view clause = {});
  // A cursor's fetches run after openCursor has returned, so a cursor gets
  // copies of its input texts, as they were at the open. Every other
  // statement runs to its end within the call and reads the host variables
  // in place, saving a copy per text; a select-into copies only where an
  // output overlaps a text input.
  using TextInputs = InputBinder::Texts;
  SqlStatus bindInputs(Prepared& p, HostVars in, TextInputs texts);
  SqlStatus copyOutputs(Prepared& p, HostVars out,
                        const std::vector<bool>* indicators);
  SqlStatus run(Prepared& p);
  SqlStatus runSelectInto(Prepared& p, HostVars out);
  SqlStatus begin();
  PairPlan& pairPlan(const WriteSteps& steps);
  void prepareAdd(const WriteSteps& steps, const std::string& target,
                  PairPlan* plan);
  bool writeAdd(const WriteSteps& steps, PairPlan& plan,
                const std::function<void(const WriteOutcome&)>& done);
  void writeAsWritten(const WriteSteps& steps, PairPlan& plan,
                      const std::function<void(const WriteOutcome&)>& done);
  SqlStatus exec(const char* sql);
  SqlStatus fail(int resultCode);
  SqlStatus failWith(SqlStatus status, std::string message);
  // `status` of the schema file of `schema`, its path put before the message.
  SqlStatus failOnFile(const std::string& schema, SqlStatus status);

  std::string dir_;
  std::string currentSchema_;
  sqlite3* db_ = nullptr;
  std::unordered_map<const void*, std::unique_ptr<Prepared>> cache_;
  std::map<std::pair<const void*, const void*>, PairPlan> pairs_;
  std::string lastError_;
  DirectoryLock lock_;
  int64_t changesAtBegin_ = 0;  // rows changed by the session before begin
};

// Maps an SQLite outcome (extended result code and message) to the status
// numbering of the statement layer.
SqlStatus statusFromSqlite(int extendedCode, const char* message);

}  // namespace ravlen

#endif  // RAVLEN_DB_SQLITE_SQLITE_BACKEND_H_
