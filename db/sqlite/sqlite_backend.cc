#include "db/sqlite/sqlite_backend.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <vector>

#include "db/output_store.h"
#include "db/sqlite/dialect.h"
#include "db/sqlite/oracle_dates.h"
#include "db/sqlite/sqlite_timing.h"

namespace ravlen {
namespace fs = std::filesystem;

namespace {

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// Schema names of the files DIR/<NAME>.db, sorted.
std::vector<std::string> schemaFiles(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    const fs::path& path = entry.path();
    std::string stem = path.stem().string();
    if (path.extension() != ".db" || !isPlainIdentifier(stem)) continue;
    if (equalsNoCase(stem, "main") || equalsNoCase(stem, "temp")) continue;
    if (!entry.is_regular_file(ec)) continue;
    names.push_back(stem);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The number of an "ORA-nnnnn" message, 0 when the message has none.
int32_t oracleNumber(const char* message) {
  if (message == nullptr || std::strncmp(message, "ORA-", 4) != 0) return 0;
  return static_cast<int32_t>(std::strtol(message + 4, nullptr, 10));
}

// Whether an output shares memory with a text input. A select-into stores
// the first row before it looks for a second one, and that search must
// still see the input as it was.
bool sharesMemory(HostVars in, HostVars out) {
  // First against the span from the lowest to the highest output, which
  // rules out most calls in one pass over each list.
  uintptr_t low = UINTPTR_MAX, high = 0;
  for (const HostVar& o : out) {
    auto outAt = reinterpret_cast<uintptr_t>(o.address);
    low = std::min(low, outAt);
    high = std::max(high, outAt + o.bufferSize);
  }
  for (const HostVar& i : in) {
    if (i.kind != HostKind::kText) continue;
    auto inAt = reinterpret_cast<uintptr_t>(i.address);
    if (inAt >= high || low >= inAt + i.bufferSize) continue;
    for (const HostVar& o : out) {
      auto outAt = reinterpret_cast<uintptr_t>(o.address);
      if (inAt < outAt + o.bufferSize && outAt < inAt + i.bufferSize)
        return true;
    }
  }
  return false;
}

// Stores column i of the current row into `v`; false when an integer does
// not fit.
bool storeColumn(sqlite3_stmt* stmt, int i, const HostVar& v) {
  switch (v.kind) {
    case HostKind::kText: {
      const char* text =
          reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
      return storeText(v, std::string_view(text, sqlite3_column_bytes(stmt, i)));
    }
    case HostKind::kInt:
      return storeInteger(v, sqlite3_column_int64(stmt, i));
    case HostKind::kDouble:
      return storeDouble(v, sqlite3_column_double(stmt, i));
  }
  return false;
}

// Once per process, before the library's first use: no memory statistics,
// which would take a global lock on every allocation (nothing reads them).
// Where the library is in use already, the call fails and changes nothing.
void configureLibrary() {
  static const int once = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
  (void)once;
}

}  // namespace

SqlStatus statusFromSqlite(int extendedCode, const char* message) {
  if (int32_t n = oracleNumber(message)) return SqlStatus(-n);
  switch (extendedCode) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
      return sqlstatus::kUniqueKey;
    case SQLITE_CONSTRAINT_NOTNULL:
      return sqlstatus::kNotNull;
  }
  std::string_view text = message ? message : "";
  if (text.starts_with("no such table")) return sqlstatus::kNoTable;
  if (text.starts_with("no such column")) return sqlstatus::kNoColumn;
  return SqlStatus(sqlstatus::kEmbeddedBase - (extendedCode & 0xff));
}

std::unique_ptr<SqliteBackend> SqliteBackend::open(
    const std::string& dir, SqlStatus* status, std::string* message,
    std::chrono::milliseconds lockWait) {
  std::error_code ec;
  if (dir.empty() || !fs::is_directory(dir, ec) ||
      access(dir.c_str(), R_OK | X_OK) != 0) {
    *status = SqlStatus(-1034);
    *message = "ORA-01034: embedded database directory not found: " + dir;
    return nullptr;
  }
  configureLibrary();
  std::unique_ptr<SqliteBackend> backend(new SqliteBackend(dir));
  // Where the directory cannot be locked at all, sessions go unguarded.
  if (backend->lock_.acquire(dir, lockWait) == DirectoryLock::Outcome::kBusy) {
    *status = sqlstatus::kResourceBusy;
    *message = "ORA-00054: Datenbank " + dir +
               " wird von einer anderen Sitzung benutzt (" +
               std::to_string(lockWait.count() / 1000) + " s gewartet)";
    return nullptr;
  }
  *status = backend->connectTo(":memory:");
  if (!status->ok()) {
    *message = backend->lastError_;
    return nullptr;
  }
  return backend;
}

SqliteBackend::~SqliteBackend() { closeConnection(); }

void SqliteBackend::closeConnection() {
  for (auto& [id, p] : cache_) sqlite3_finalize(p->stmt);
  cache_.clear();
  for (auto& [ids, plan] : pairs_) {
    if (plan.insert) sqlite3_finalize(plan.insert->stmt);
    if (plan.add) sqlite3_finalize(plan.add->stmt);
  }
  pairs_.clear();
  if (db_ != nullptr) sqlite3_close_v2(db_);
  db_ = nullptr;
}

SqlStatus SqliteBackend::connectTo(const std::string& mainFile) {
  closeConnection();
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
  if (mainFile == ":memory:") flags |= SQLITE_OPEN_CREATE;
  int rc = sqlite3_open_v2(mainFile.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    SqlStatus status = fail(rc);
    closeConnection();
    return status;
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  sqlite3_limit(db_, SQLITE_LIMIT_ATTACHED, 125);
  if ((rc = registerDialect(db_)) != SQLITE_OK) return fail(rc);
  // 8 MiB of page cache for the current schema instead of 2 MB. The stages
  // write warehouse indexes in another key order than their sources', which
  // with the default cache made a larger run read and write the same index
  // pages again and again. The cache bounds the memory whatever the size of
  // the data; the sorter of an ordered cursor may use as much again.
  SqlStatus status = exec("pragma main.cache_size=-8192");
  if (!status.ok()) return status;
  status = exec("create temp view dual as select 'X' as dummy");
  if (!status.ok()) return status;
  status = attachSchemas();
  if (!status.ok()) return status;
  return checkSchemas();
}

// Every schema file must be a database: reading its table list touches its
// header and schema pages, so a damaged or foreign file fails the connect
// instead of every statement of the run.
SqlStatus SqliteBackend::checkSchemas() {
  std::vector<std::string> names = schemaFiles(dir_);
  if (!currentSchema_.empty()) names.push_back("main");
  for (const std::string& name : names) {
    if (equalsNoCase(name, currentSchema_)) continue;
    std::string sql = "select count(*) from \"" + name + "\".sqlite_schema";
    SqlStatus status = exec(sql.c_str());
    if (!status.ok())
      return failOnFile(equalsNoCase(name, "main") ? currentSchema_ : name,
                        status);
  }
  return sqlstatus::kOk;
}

SqlStatus SqliteBackend::attachSchemas() {
  for (const std::string& name : schemaFiles(dir_)) {
    if (equalsNoCase(name, currentSchema_)) continue;
    std::string sql = "attach database ?1 as \"" + name + "\"";
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr);
    std::string path = (fs::path(dir_) / (name + ".db")).string();
    if (rc == SQLITE_OK)
      rc = sqlite3_bind_text(stmt, 1, path.c_str(), -1, SQLITE_TRANSIENT);
    if (rc == SQLITE_OK) rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE && rc != SQLITE_OK)
      return failOnFile(name, fail(sqlite3_extended_errcode(db_)));
  }
  return sqlstatus::kOk;
}

SqlStatus SqliteBackend::failOnFile(const std::string& schema,
                                    SqlStatus status) {
  std::string file = (fs::path(dir_) / (schema + ".db")).string();
  return failWith(status, "Datei " + file + " nicht nutzbar: " + lastError_);
}

SqlStatus SqliteBackend::setSchema(const std::string& name) {
  if (!isPlainIdentifier(name))
    return failWith(SqlStatus(-922), "ORA-00922: missing or invalid option");
  std::string file = (fs::path(dir_) / (upper(name) + ".db")).string();
  std::error_code ec;
  if (!fs::is_regular_file(file, ec))
    return failWith(sqlstatus::kUnknownSchema,
                    "ORA-01435: user does not exist: " + name);
  std::string previous = currentSchema_;
  currentSchema_ = upper(name);
  SqlStatus status = connectTo(file);
  if (!status.ok()) {
    std::string message = lastError_;
    currentSchema_ = previous;
    connectTo(previous.empty()
                  ? std::string(":memory:")
                  : (fs::path(dir_) / (previous + ".db")).string());
    lastError_ = message;
  }
  return status;
}

SqlStatus SqliteBackend::fail(int resultCode) {
  const char* message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(resultCode);
  lastError_ = message ? message : "";
  return statusFromSqlite(resultCode, lastError_.c_str());
}

SqlStatus SqliteBackend::failWith(SqlStatus status, std::string message) {
  lastError_ = std::move(message);
  return status;
}

SqlStatus SqliteBackend::exec(const char* sql) {
  TimedScope timed(TimedPhase::kExec);
  int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  return rc == SQLITE_OK ? sqlstatus::kOk : fail(sqlite3_extended_errcode(db_));
}

SqlStatus SqliteBackend::prepare(std::string_view text, Prepared* p,
                                 std::string_view clause) {
  p->translation = translateStatement(text, currentSchema_);
  p->translation.sql += clause;
  const std::string& sql = p->translation.sql;
  int rc = sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()),
                              SQLITE_PREPARE_PERSISTENT, &p->stmt, nullptr);
  if (rc != SQLITE_OK) return fail(sqlite3_extended_errcode(db_));
  if (p->stmt == nullptr)
    return failWith(SqlStatus(-900), "ORA-00900: invalid SQL statement");
  return sqlstatus::kOk;
}

SqliteBackend::Prepared* SqliteBackend::prepared(SqlText text,
                                                 SqlStatus* status) {
  auto it = cache_.find(text.id());
  if (it != cache_.end()) return it->second.get();
  auto p = std::make_unique<Prepared>();
  *status = prepare(text.view(), p.get());
  if (!status->ok()) return nullptr;
  return cache_.emplace(text.id(), std::move(p)).first->second.get();
}

SqlStatus SqliteBackend::bindInputs(Prepared& p, HostVars in,
                                    TextInputs texts) {
  if (p.unfinished) {
    timedReset(p.stmt);
    p.unfinished = false;
  }
  TimedScope timed(TimedPhase::kBind);
  const Translation& tr = p.translation;
  if (static_cast<int>(in.size()) != tr.inputCount) {
    return failWith(SqlStatus(-1008),
                    "ORA-01008: not all variables bound (" +
                        std::to_string(in.size()) + " given, " +
                        std::to_string(tr.inputCount) + " placeholders)");
  }
  timed.count(tr.inputCount);
  for (int i = 0; i < tr.inputCount; ++i) {
    int rc = p.inputs.bind(p.stmt, i + 1, in[i], texts);
    if (rc != SQLITE_OK) return fail(rc);
  }
  if (tr.sysdateParameter > 0)
    sqlite3_bind_double(p.stmt, tr.sysdateParameter, julianNowLocal());
  return sqlstatus::kOk;
}

// Copies the current row into `out`. `indicators` (select-into only) says
// which outputs have an indicator; fetched columns always have one.
SqlStatus SqliteBackend::copyOutputs(Prepared& p, HostVars out,
                                     const std::vector<bool>* indicators) {
  TimedScope timed(TimedPhase::kOutputs);
  timed.count(out.size());
  sqlite3_stmt* stmt = p.stmt;
  return storeRow(
      out, static_cast<size_t>(sqlite3_column_count(stmt)), indicators,
      [stmt](size_t i) {
        return sqlite3_column_type(stmt, static_cast<int>(i)) == SQLITE_NULL;
      },
      [stmt](size_t i, const HostVar& v) {
        return storeColumn(stmt, static_cast<int>(i), v);
      },
      &lastError_);
}

// The write lock on every schema file is taken when the transaction
// begins, at the first cursor or write after a commit: SQLite waits for
// another writer (busy timeout) only while this connection reads nothing,
// and a write under an open cursor that still had to take the lock would
// fail at once. (A select-into ends within its call and leaves no read
// open, so it needs no transaction.) Where a file cannot be written at
// all, the transaction begins without the lock and each write fails with
// the database's own message.
SqlStatus SqliteBackend::begin() {
  if (!sqlite3_get_autocommit(db_)) return sqlstatus::kOk;
  changesAtBegin_ = sqlite3_total_changes64(db_);
  SqlStatus status = exec("begin immediate");
  if (status.ok()) return status;
  int code = sqlite3_extended_errcode(db_) & 0xff;
  if (code == SQLITE_READONLY) return exec("begin");
  if (code == SQLITE_BUSY)
    return failWith(sqlstatus::kResourceBusy,
                    "ORA-00054: eine andere Sitzung schreibt in " + dir_ +
                        " (" + std::to_string(kBusyTimeoutMs / 1000) +
                        " s gewartet): " + lastError_);
  return status;
}

// Runs a statement to its end; an insert, update or delete that touches no
// row reports 1403.
SqlStatus SqliteBackend::run(Prepared& p) {
  SqlStatus status = begin();
  if (!status.ok()) return status;
  int rc;
  while ((rc = timedStep(p.stmt, TimedUse::kWrite)) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) {
    status = fail(sqlite3_extended_errcode(db_));
    timedReset(p.stmt);
    return status;
  }
  StatementKind kind = p.translation.kind;
  bool writes = kind == StatementKind::kInsert ||
                kind == StatementKind::kUpdate || kind == StatementKind::kDelete;
  timedReset(p.stmt);
  if (writes && sqlite3_changes(db_) == 0) return sqlstatus::kNoData;
  return sqlstatus::kOk;
}

SqlStatus SqliteBackend::runSelectInto(Prepared& p, HostVars out) {
  int rc = timedStep(p.stmt, TimedUse::kLookup);
  SqlStatus status = sqlstatus::kOk;
  if (rc == SQLITE_DONE) {
    status = sqlstatus::kNoData;
  } else if (rc != SQLITE_ROW) {
    status = fail(sqlite3_extended_errcode(db_));
  } else {
    status = copyOutputs(p, out, &p.translation.outputIndicators);
    if (status.ok()) {
      rc = timedStep(p.stmt, TimedUse::kLookup);
      if (rc == SQLITE_ROW)
        status = failWith(sqlstatus::kTooManyRows,
                          "ORA-01422: exact fetch returns more than requested "
                          "number of rows");
      else if (rc != SQLITE_DONE)
        status = fail(sqlite3_extended_errcode(db_));
    }
  }
  timedReset(p.stmt);
  return status;
}

SqlStatus SqliteBackend::execute(SqlText text, HostVars in) {
  SqlStatus status;
  Prepared* p = prepared(text, &status);
  if (p == nullptr) return status;
  status = bindInputs(*p, in, TextInputs::kInPlace);
  return status.ok() ? run(*p) : status;
}

SqlStatus SqliteBackend::executeImmediate(std::string_view text) {
  std::string schema;
  if (parseSetSchema(text, &schema)) return setSchema(schema);
  Prepared p;
  SqlStatus status = prepare(text, &p);
  if (status.ok()) status = bindInputs(p, {}, TextInputs::kInPlace);
  if (status.ok()) status = run(p);
  sqlite3_finalize(p.stmt);
  return status;
}

SqlStatus SqliteBackend::selectInto(SqlText text, HostVars in, HostVars out) {
  SqlStatus status;
  Prepared* p = prepared(text, &status);
  if (p == nullptr) return status;
  status = bindInputs(*p, in,
                      sharesMemory(in, out) ? TextInputs::kCopy
                                            : TextInputs::kInPlace);
  return status.ok() ? runSelectInto(*p, out) : status;
}

SqlStatus SqliteBackend::openCursor(SqlText text, HostVars in) {
  SqlStatus status;
  Prepared* p = prepared(text, &status);
  if (p == nullptr) return status;
  status = begin();
  if (status.ok()) status = bindInputs(*p, in, TextInputs::kCopy);
  p->cursorOpen = status.ok();
  if (status.ok()) p->unfinished = true;
  p->exhausted = false;
  return status;
}

SqlStatus SqliteBackend::fetch(SqlText text, HostVars out) {
  auto it = cache_.find(text.id());
  if (it == cache_.end() || !it->second->cursorOpen)
    return failWith(SqlStatus(-1001), "ORA-01001: invalid cursor");
  Prepared& p = *it->second;
  if (p.exhausted) return sqlstatus::kNoData;
  int rc = timedStep(p.stmt, TimedUse::kCursor);
  if (rc == SQLITE_ROW) return copyOutputs(p, out, nullptr);
  p.exhausted = true;
  if (rc == SQLITE_DONE) return sqlstatus::kNoData;
  SqlStatus status = fail(sqlite3_extended_errcode(db_));
  timedReset(p.stmt);
  return status;
}

SqlStatus SqliteBackend::closeCursor(SqlText text) {
  auto it = cache_.find(text.id());
  if (it == cache_.end() || !it->second->cursorOpen)
    return failWith(SqlStatus(-1001), "ORA-01001: invalid cursor");
  timedReset(it->second->stmt);
  it->second->cursorOpen = false;
  return sqlstatus::kOk;
}

// A transaction that changed no row has nothing to make permanent; it ends
// with a rollback, which (unlike a commit after writes that failed on a
// read-only directory) cannot fail for want of a journal.
SqlStatus SqliteBackend::commit() {
  if (sqlite3_get_autocommit(db_)) return sqlstatus::kOk;
  if (sqlite3_total_changes64(db_) == changesAtBegin_) return exec("rollback");
  return exec("commit");
}

}  // namespace ravlen
