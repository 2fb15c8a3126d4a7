#include "db/postgresql/pg_backend.h"

#include <cstdlib>

#include "db/output_store.h"
#include "db/postgresql/pg_connect.h"
#include "db/postgresql/pg_status.h"
#include "db/statement_scan.h"

namespace ravlen {

namespace {

constexpr char kSavepoint[] = "SAVEPOINT ravlen_s";
constexpr char kRelease[] = "RELEASE SAVEPOINT ravlen_s";
constexpr char kRollbackTo[] = "ROLLBACK TO SAVEPOINT ravlen_s";
constexpr char kPathTail[] = ",kalderon,pg_catalog,oracle,public";

int rowCount(const PgResult& r) { return r ? PQntuples(r.get()) : 0; }

// The first result of a round trip that failed, else null.
const PGresult* firstFailure(const std::vector<PgResult>& results) {
  for (const PgResult& r : results) {
    if (r && PQresultStatus(r.get()) == PGRES_FATAL_ERROR) return r.get();
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<PgBackend> PgBackend::open(std::string_view service,
                                           std::string_view login,
                                           std::string_view password,
                                           SqlStatus* status,
                                           std::string* message,
                                           std::chrono::milliseconds lockWait) {
  PGconn* conn = connectToServer(service, login, password, message);
  if (conn == nullptr || PQenterPipelineMode(conn) != 1) {
    if (conn != nullptr) *message = firstLine(PQerrorMessage(conn), password);
    PQfinish(conn);
    *status = sqlstatus::kCannotConnect;
    return nullptr;
  }
  *status = sqlstatus::kOk;
  return std::unique_ptr<PgBackend>(new PgBackend(conn, lockWait));
}

PgBackend::PgBackend(PGconn* conn, std::chrono::milliseconds lockWait)
    : conn_(conn), pipeline_(conn), lockWait_(lockWait) {}

PgBackend::~PgBackend() { PQfinish(conn_); }

SqlStatus PgBackend::failWith(SqlStatus status, std::string message) {
  lastError_ = std::move(message);
  return status;
}

SqlStatus PgBackend::failedResult(const PGresult* r) {
  const char* state = PQresultErrorField(r, PG_DIAG_SQLSTATE);
  const char* primary = PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY);
  std::string sqlstate = state ? state : "";
  lastError_ = std::string(primary ? primary : PQresultErrorMessage(r)) +
               " (SQLSTATE " + sqlstate + ")";
  return statusFromSqlstate(sqlstate);
}

SqlStatus PgBackend::connectionLost() {
  lost_ = true;
  return failWith(sqlstatus::kConnectionLost,
                  "ORA-03113: end-of-file on communication channel: " +
                      firstLine(PQerrorMessage(conn_)));
}

bool PgBackend::usable() {
  if (!lost_) return true;
  failWith(sqlstatus::kNotConnected, "ORA-03114: not connected to ORACLE");
  return false;
}

PgBackend::Prepared& PgBackend::prepared(SqlText text, bool cursor) {
  std::unique_ptr<Prepared>& p = cache_[text.id()];
  if (p) return *p;
  p = std::make_unique<Prepared>();
  p->translation = translateForPostgresql(text.view());
  p->name = "ravlen_" + std::to_string(++nextName_);
  if (cursor) {
    p->translation.sql = "DECLARE " + p->name +
                         " NO SCROLL CURSOR WITH HOLD FOR " +
                         p->translation.sql;
  }
  return *p;
}

// One round trip: `queue`'s commands between a savepoint and its release,
// after BEGIN when no transaction is open and after the closes of finished
// cursors. On a failure one more round trip rolls back to the savepoint;
// the status is the first failure's.
SqlStatus PgBackend::guardedTrip(const Queue& queue,
                                 std::vector<PgResult>* results) {
  if (PQtransactionStatus(conn_) == PQTRANS_IDLE) pipeline_.addQuery("BEGIN");
  pipeline_.addQuery(kSavepoint);
  for (const std::string& name : pendingCloses_)
    pipeline_.addQuery("CLOSE " + name);
  pendingCloses_.clear();
  queue(pipeline_);
  pipeline_.addQuery(kRelease);
  if (!pipeline_.send(results)) return connectionLost();
  const PGresult* failure = firstFailure(*results);
  if (failure == nullptr) return sqlstatus::kOk;
  SqlStatus status = failedResult(failure);
  std::vector<PgResult> undo;
  pipeline_.addQuery(kRollbackTo);
  pipeline_.addQuery(kRelease);
  if (!pipeline_.send(&undo)) return connectionLost();
  return status;
}

// Executes `p` with `in` (and fetches its first chunk: cursors); *result
// gets the execution's result, or the first chunk's.
SqlStatus PgBackend::runPrepared(Prepared& p, HostVars in, bool fetchFirst,
                                 PgResult* result) {
  const PgTranslation& tr = p.translation;
  if (static_cast<int>(in.size()) != tr.inputCount) {
    return failWith(SqlStatus(-1008),
                    "ORA-01008: not all variables bound (" +
                        std::to_string(in.size()) + " given, " +
                        std::to_string(tr.inputCount) + " placeholders)");
  }
  inputs_.bind(in, tr);
  size_t prepareAt = SIZE_MAX, resultAt = 0;
  std::string fetch = "FETCH " + std::to_string(kFetchRows) + " FROM " + p.name;
  std::vector<PgResult> results;
  SqlStatus status = guardedTrip(
      [&](PgPipeline& pl) {
        if (p.serverOpen) pl.addQuery("CLOSE " + p.name);
        if (!p.onServer)
          prepareAt = pl.addPrepare(p.name, tr.sql, parameterTypes(in, tr));
        resultAt = pl.addPrepared(p.name, inputs_.params());
        if (fetchFirst) resultAt = pl.addQuery(fetch);
      },
      &results);
  p.serverOpen = false;
  if (prepareAt < results.size() && succeeded(results[prepareAt].get()))
    p.onServer = true;
  if (!status.ok()) return status;
  *result = std::move(results[resultAt]);
  return status;
}

SqlStatus PgBackend::execute(SqlText text, HostVars in) {
  if (!usable()) return sqlstatus::kNotConnected;
  Prepared& p = prepared(text, false);
  PgResult result;
  SqlStatus status = runPrepared(p, in, false, &result);
  if (!status.ok()) return status;
  if (writesRows(p.translation.kind) &&
      std::strtoll(PQcmdTuples(result.get()), nullptr, 10) == 0)
    return sqlstatus::kNoData;
  return status;
}

SqlStatus PgBackend::executeImmediate(std::string_view text) {
  if (!usable()) return sqlstatus::kNotConnected;
  std::string schema;
  if (parseSetSchema(text, &schema)) return setSchema(schema);
  Prepared p;
  p.translation = translateForPostgresql(text);
  PgResult result;
  return runPrepared(p, {}, false, &result);
}

SqlStatus PgBackend::selectInto(SqlText text, HostVars in, HostVars out) {
  if (!usable()) return sqlstatus::kNotConnected;
  Prepared& p = prepared(text, false);
  PgResult result;
  SqlStatus status = runPrepared(p, in, false, &result);
  if (!status.ok()) return status;
  int rows = rowCount(result);
  if (rows == 0) return sqlstatus::kNoData;
  if (rows > 1)
    return failWith(sqlstatus::kTooManyRows,
                    "ORA-01422: exact fetch returns more than requested "
                    "number of rows");
  const PGresult* r = result.get();
  return storeRow(
      out, static_cast<size_t>(PQnfields(r)), &p.translation.outputIndicators,
      [r](size_t i) { return PQgetisnull(r, 0, static_cast<int>(i)) == 1; },
      [r](size_t i, const HostVar& v) {
        int c = static_cast<int>(i);
        return storeText(v, std::string_view(PQgetvalue(r, 0, c),
                                             PQgetlength(r, 0, c)));
      },
      &lastError_);
}

SqlStatus PgBackend::openCursor(SqlText text, HostVars in) {
  if (!usable()) return sqlstatus::kNotConnected;
  Prepared& p = prepared(text, true);
  p.open = false;
  p.rows.reset();
  p.nextRow = 0;
  PgResult first;
  SqlStatus status = runPrepared(p, in, true, &first);
  if (!status.ok()) return status;
  p.open = p.serverOpen = true;
  p.exhausted = rowCount(first) < kFetchRows;
  p.rows = std::move(first);
  if (p.exhausted) closeOnServer(p);
  return status;
}

void PgBackend::closeOnServer(Prepared& p) {
  if (p.serverOpen) pendingCloses_.push_back(p.name);
  p.serverOpen = false;
}

SqlStatus PgBackend::fetchChunk(Prepared& p) {
  std::string fetch = "FETCH " + std::to_string(kFetchRows) + " FROM " + p.name;
  std::vector<PgResult> results;
  size_t at = 0;
  p.rows.reset();
  p.nextRow = 0;
  SqlStatus status = guardedTrip(
      [&](PgPipeline& pl) { at = pl.addQuery(fetch); }, &results);
  if (!status.ok()) {
    p.exhausted = true;
    return status;
  }
  p.rows = std::move(results[at]);
  p.exhausted = rowCount(p.rows) < kFetchRows;
  if (p.exhausted) closeOnServer(p);
  return status;
}

SqlStatus PgBackend::storeFetchedRow(Prepared& p, HostVars out) {
  const PGresult* r = p.rows.get();
  int row = p.nextRow++;
  return storeRow(
      out, static_cast<size_t>(PQnfields(r)), nullptr,
      [r, row](size_t i) {
        return PQgetisnull(r, row, static_cast<int>(i)) == 1;
      },
      [r, row](size_t i, const HostVar& v) {
        int c = static_cast<int>(i);
        return storeText(v, std::string_view(PQgetvalue(r, row, c),
                                             PQgetlength(r, row, c)));
      },
      &lastError_);
}

SqlStatus PgBackend::fetch(SqlText text, HostVars out) {
  if (!usable()) return sqlstatus::kNotConnected;
  auto it = cache_.find(text.id());
  if (it == cache_.end() || !it->second->open)
    return failWith(SqlStatus(-1001), "ORA-01001: invalid cursor");
  Prepared& p = *it->second;
  if (p.nextRow >= rowCount(p.rows)) {
    if (p.exhausted) return sqlstatus::kNoData;
    SqlStatus status = fetchChunk(p);
    if (!status.ok()) return status;
    if (rowCount(p.rows) == 0) return sqlstatus::kNoData;
  }
  return storeFetchedRow(p, out);
}

SqlStatus PgBackend::closeCursor(SqlText text) {
  if (!usable()) return sqlstatus::kNotConnected;
  auto it = cache_.find(text.id());
  if (it == cache_.end() || !it->second->open)
    return failWith(SqlStatus(-1001), "ORA-01001: invalid cursor");
  Prepared& p = *it->second;
  closeOnServer(p);
  p.open = false;
  p.rows.reset();
  return sqlstatus::kOk;
}

SqlStatus PgBackend::commit() {
  if (!usable()) return sqlstatus::kNotConnected;
  bool inTransaction = PQtransactionStatus(conn_) != PQTRANS_IDLE;
  if (!inTransaction && pendingCloses_.empty()) {
    tripsAtCommits_.push_back(pipeline_.roundTrips());
    return sqlstatus::kOk;
  }
  for (const std::string& name : pendingCloses_)
    pipeline_.addQuery("CLOSE " + name);
  pendingCloses_.clear();
  size_t at = inTransaction ? pipeline_.addQuery("COMMIT") : SIZE_MAX;
  std::vector<PgResult> results;
  if (!pipeline_.send(&results)) return connectionLost();
  tripsAtCommits_.push_back(pipeline_.roundTrips());
  if (const PGresult* failure = firstFailure(results))
    return failedResult(failure);
  // A transaction that the server had to abort ends in a rollback.
  if (at != SIZE_MAX && std::string_view(PQcmdStatus(results[at].get())) != "COMMIT")
    return failWith(SqlStatus(-2091), "ORA-02091: transaction rolled back");
  return sqlstatus::kOk;
}

// Checks the schema, takes its lock and sets the search path, in one round
// trip; the lock waits at most lockWait_ (the server's lock timeout, reset
// in the same trip).
SqlStatus PgBackend::setSchema(const std::string& name) {
  if (!isPlainIdentifier(name))
    return failWith(SqlStatus(-922), "ORA-00922: missing or invalid option");
  std::string schema = lowerAscii(name);
  std::string path = "\"" + schema + "\"" + kPathTail;
  std::string timeout = std::to_string(lockWait_.count());
  bool lock = schema != lockedSchema_;
  PgParams byName{{schema.c_str()}, {kTextOid}};
  PgParams wait{{timeout.c_str()}, {kTextOid}};
  PgParams setPath{{schema.c_str(), path.c_str()}, {kTextOid, kTextOid}};
  size_t exists = 0;
  std::vector<PgResult> results;
  SqlStatus status = guardedTrip(
      [&](PgPipeline& pl) {
        exists = pl.addQuery(
            "select set_config('search_path', $2, false) from pg_namespace "
            "where nspname=$1",
            &setPath);
        if (!lock) return;
        pl.addQuery("select set_config('lock_timeout', $1, false)", &wait);
        pl.addQuery(std::string(kSchemaLockSql) +
                        " from pg_namespace where nspname=$1",
                    &byName);
        pl.addQuery("select set_config('lock_timeout', '0', false)");
      },
      &results);
  if (status == sqlstatus::kResourceBusy)
    return failWith(status, "another run holds schema " + schema +
                                " (waited " +
                                std::to_string(lockWait_.count() / 1000) +
                                " s): " + lastError_);
  if (!status.ok()) return status;
  if (rowCount(results[exists]) == 0)
    return failWith(sqlstatus::kUnknownSchema,
                    "ORA-01435: user does not exist: " + name);
  if (lock && !lockedSchema_.empty()) {
    PgParams old{{lockedSchema_.c_str()}, {kTextOid}};
    guardedTrip(
        [&](PgPipeline& pl) {
          pl.addQuery("select pg_advisory_unlock(1380013644, hashtext($1))",
                      &old);
        },
        &results);
  }
  lockedSchema_ = schema;
  return sqlstatus::kOk;
}

}  // namespace ravlen
