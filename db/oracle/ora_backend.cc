#include "db/oracle/ora_backend.h"

#include "db/oracle/oci_library.h"
#include "db/oracle/ora_status.h"
#include "db/sqlhlp.h"
#include "db/write_pair_key.h"

namespace ravlen {

using namespace oci;

std::unique_ptr<Backend> openOracleBackend(std::string_view service,
                                           std::string_view login,
                                           std::string_view password,
                                           SqlStatus* status,
                                           std::string* message,
                                           std::chrono::milliseconds lockWait) {
  std::string error;
  const OciFunctions* api = findOciLibrary(&error);
  if (api == nullptr) {
    *status = sqlstatus::kClientFailure;
    *message = error;
    return nullptr;
  }
  return OraBackend::open(*api, service, login, password, status, message,
                          lockWait);
}

std::unique_ptr<OraBackend> OraBackend::open(
    const OciFunctions& api, std::string_view service, std::string_view login,
    std::string_view password, SqlStatus* status, std::string* message,
    std::chrono::milliseconds lockWait) {
  std::unique_ptr<OraSession> session =
      OraSession::logon(api, service, login, password, status, message);
  if (session == nullptr) return nullptr;
  return std::unique_ptr<OraBackend>(new OraBackend(std::move(session), lockWait));
}

OraBackend::~OraBackend() {
  for (auto& [id, p] : cache_) {
    cancel(*p);
    session_->release(p->stmt);
  }
}

OraBackend::Prepared* OraBackend::prepared(SqlText text, SqlStatus* status) {
  auto it = cache_.find(text.id());
  if (it != cache_.end()) return it->second.get();
  auto p = std::make_unique<Prepared>();
  p->text = oracleStatement(text.view());
  *status = session_->prepare(p->text.sql, &p->stmt);
  if (p->text.scan.kind == StatementKind::kUpdate)
    p->keyInputs = updateKeyInputs(text.view());
  if (status->ok() && p->text.scan.kind == StatementKind::kQuery)
    *status = session_->setAttribute(p->stmt, OCI_ATTR_PREFETCH_ROWS,
                                     kPrefetchRows);
  if (!status->ok()) {
    session_->release(p->stmt);
    return nullptr;
  }
  return cache_.emplace(text.id(), std::move(p)).first->second.get();
}

SqlStatus OraBackend::checkInputs(const Prepared& p, HostVars in) {
  if (static_cast<int>(in.size()) == p.text.scan.inputCount)
    return sqlstatus::kOk;
  return session_->fail(SqlStatus(-1008),
                        "ORA-01008: not all variables bound (" +
                            std::to_string(in.size()) + " given, " +
                            std::to_string(p.text.scan.inputCount) +
                            " placeholders)");
}

SqlStatus OraBackend::bindInputs(Prepared& p, HostVars in) {
  SqlStatus status = checkInputs(p, in);
  if (!status.ok()) return status;
  p.inputs.clear();
  p.inputs.addRow(in);
  return p.inputs.bind(*session_, p.stmt);
}

SqlStatus OraBackend::defineOutputs(Prepared& p, HostVars out) {
  if (p.outputs.definedFor(out)) return sqlstatus::kOk;
  return p.outputs.define(*session_, p.stmt, out);
}

SqlStatus OraBackend::store(Prepared& p, HostVars out,
                            const std::vector<bool>* indicators) {
  std::string message;
  SqlStatus status = p.outputs.store(out, p.columns, indicators, &message);
  return status.ok() ? status : session_->fail(status, message);
}

// Ends what the server still holds of an open cursor.
void OraBackend::cancel(Prepared& p) {
  if (p.cursorOpen && !p.exhausted) session_->fetch(p.stmt, 0);
  p.exhausted = true;
}

SqlStatus OraBackend::execute(SqlText text, HostVars in) {
  runHeld();
  SqlStatus status;
  Prepared* p = prepared(text, &status);
  if (p == nullptr) return status;
  status = bindInputs(*p, in);
  if (status.ok()) status = session_->execute(p->stmt, 1, OCI_DEFAULT);
  if (status.ok() && writesRows(p->text.scan.kind) &&
      session_->attribute(p->stmt, OCI_ATTR_ROW_COUNT) == 0)
    return sqlstatus::kNoData;
  return status;
}

SqlStatus OraBackend::selectInto(SqlText text, HostVars in, HostVars out) {
  runHeld();
  SqlStatus status;
  Prepared* p = prepared(text, &status);
  if (p == nullptr) return status;
  status = bindInputs(*p, in);
  if (status.ok()) status = defineOutputs(*p, out);
  if (status.ok()) status = session_->execute(p->stmt, 1, OCI_EXACT_FETCH);
  if (!status.ok()) return status;
  p->columns = session_->attribute(p->stmt, OCI_ATTR_PARAM_COUNT);
  return store(*p, out, &p->text.scan.outputIndicators);
}

SqlStatus OraBackend::openCursor(SqlText text, HostVars in) {
  runHeld();
  SqlStatus status;
  Prepared* p = prepared(text, &status);
  if (p == nullptr) return status;
  cancel(*p);
  p->cursorOpen = false;
  status = bindInputs(*p, in);
  if (status.ok()) status = session_->execute(p->stmt, 0, OCI_DEFAULT);
  if (!status.ok()) return status;
  p->cursorOpen = true;
  p->exhausted = false;
  p->columns = session_->attribute(p->stmt, OCI_ATTR_PARAM_COUNT);
  return status;
}

SqlStatus OraBackend::fetch(SqlText text, HostVars out) {
  runHeld();
  auto it = cache_.find(text.id());
  if (it == cache_.end() || !it->second->cursorOpen)
    return session_->fail(SqlStatus(-1001), "ORA-01001: invalid cursor");
  Prepared& p = *it->second;
  if (p.exhausted) return sqlstatus::kNoData;
  if (out.size() != p.columns)
    return session_->fail(sqlstatus::kOutputMismatch,
                          "ORA-01007: variable not in select list");
  SqlStatus status = defineOutputs(p, out);
  if (status.ok()) status = session_->fetch(p.stmt, 1);
  if (!status.ok()) {
    p.exhausted = true;
    return status;
  }
  return store(p, out, nullptr);
}

SqlStatus OraBackend::closeCursor(SqlText text) {
  runHeld();
  auto it = cache_.find(text.id());
  if (it == cache_.end() || !it->second->cursorOpen)
    return session_->fail(SqlStatus(-1001), "ORA-01001: invalid cursor");
  cancel(*it->second);
  it->second->cursorOpen = false;
  return sqlstatus::kOk;
}

SqlStatus OraBackend::commit() {
  runHeld();
  return session_->commit();
}

// The pair joins the held batch, or the held batch runs first and the pair
// begins the next.
void OraBackend::writeLater(const WriteSteps& steps,
                            std::function<void(const WriteOutcome&)> done) {
  SqlStatus status;
  Prepared* first = prepared(steps.first, &status);
  Prepared* second = first ? prepared(steps.second, &status) : nullptr;
  if (second != nullptr) status = checkInputs(*first, steps.firstIn);
  if (status.ok()) status = checkInputs(*second, steps.secondIn);
  if (!status.ok()) {
    LaterOutcome failure{status, StatementOp::kExecute, lastError()};
    runHeld();
    return done(WriteOutcome{failure, std::nullopt});
  }
  bool updateFirst = steps.pattern == WritePattern::kUpdateElseInsert;
  std::optional<std::string> key =
      updateFirst ? rowKey(steps.firstIn, first->keyInputs)
                  : rowKey(steps.secondIn, second->keyInputs);
  if (!held_.accepts(steps, key)) runHeld();
  held_.add(steps, std::move(key), std::move(done));
  if (held_.full()) runHeld();
}

// The held batch leaves the backend before it runs: its callbacks may hand
// over the next pairs.
void OraBackend::runHeld() {
  if (held_.empty()) return;
  OraWriteBatch batch = std::move(held_);
  held_ = OraWriteBatch();
  batch.run([this](SqlText text, OraInputs& rows) {
    return executeRows(text, rows);
  });
}

std::vector<LaterOutcome> OraBackend::executeRows(SqlText text,
                                                  OraInputs& rows) {
  SqlStatus status;
  Prepared* p = prepared(text, &status);
  if (p != nullptr) status = rows.bind(*session_, p->stmt);
  std::vector<LaterOutcome> outcomes;
  if (!status.ok()) {
    outcomes.assign(rows.rows(), {status, StatementOp::kExecute, lastError()});
    return outcomes;
  }
  for (OraRowOutcome& row :
       session_->executeRows(p->stmt, static_cast<ub4>(rows.rows())))
    outcomes.push_back({row.status, StatementOp::kExecute,
                        row.status.failed() ? std::move(row.message) : ""});
  return outcomes;
}

// A text built at run time: prepared, run once and released.
SqlStatus OraBackend::runOnce(std::string_view text) {
  OraStatementText t = oracleStatement(text);
  OCIStmt* stmt = nullptr;
  SqlStatus status = session_->prepare(t.sql, &stmt);
  if (status.ok()) status = session_->execute(stmt, 1, OCI_DEFAULT);
  session_->release(stmt);
  return status;
}

SqlStatus OraBackend::executeImmediate(std::string_view text) {
  runHeld();
  std::string name;
  if (parseSetSchema(text, &name)) return setSchema(text, name);
  return runOnce(text);
}

// Whether a failed lock block failed because the login may not use the
// lock package (PLS-00201: identifier 'DBMS_LOCK' must be declared).
bool lockPackageMissing(const std::string& message) {
  return message.find("PLS-00201") != std::string::npos &&
         message.find("DBMS_LOCK") != std::string::npos;
}

// Runs a lock block for schema `name`: :b0 the name, :b1 the result,
// :b2 the wait in whole seconds (the lock block only).
SqlStatus OraBackend::lockBlock(const char* block, const std::string& name,
                                int32_t* result) {
  OCIStmt* stmt = nullptr;
  SqlStatus status = session_->prepare(block, &stmt);
  auto seconds = static_cast<int32_t>((lockWait_.count() + 999) / 1000);
  const OciFunctions& api = session_->api();
  OCIBind* bind = nullptr;
  if (status.ok())
    status = session_->check(api.OCIBindByPos(
        stmt, &bind, session_->err(), 1, const_cast<char*>(name.data()),
        static_cast<sb4>(name.size()), SQLT_CHR, nullptr, nullptr, nullptr, 0,
        nullptr, OCI_DEFAULT));
  if (status.ok() && block == kSchemaLockBlock) {
    status = session_->check(api.OCIBindByPos(
        stmt, &bind, session_->err(), 2, result, sizeof *result, SQLT_INT,
        nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT));
    if (status.ok())
      status = session_->check(api.OCIBindByPos(
          stmt, &bind, session_->err(), 3, &seconds, sizeof seconds, SQLT_INT,
          nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT));
  }
  if (status.ok()) status = session_->execute(stmt, 1, OCI_DEFAULT);
  session_->release(stmt);
  return status;
}

// The schema statement as given, then the schema's lock; when the lock is
// not had, the session goes back to the schema it had.
SqlStatus OraBackend::setSchema(std::string_view statement,
                                const std::string& name) {
  SqlStatus status = runOnce(statement);
  if (!status.ok()) return status;
  std::string schema = upperAscii(name);
  if (schema == lockedSchema_) {
    schema_ = schema;
    return status;
  }
  int32_t result = -1;
  status = lockBlock(kSchemaLockBlock, schema, &result);
  if (status.ok() && result == 1) {
    status = session_->fail(
        sqlstatus::kResourceBusy,
        "ORA-00054: eine andere Sitzung haelt das Schema " + schema + " (" +
            std::to_string((lockWait_.count() + 999) / 1000) + " s gewartet)");
  } else if (status.ok() && result != 0 && result != 4) {
    status = session_->fail(sqlstatus::kClientFailure,
                            "ORA-01019: DBMS_LOCK.REQUEST fuer Schema " +
                                schema + " ergab " + std::to_string(result));
  } else if (!status.ok() && lockPackageMissing(session_->lastError())) {
    // A login without EXECUTE on DBMS_LOCK: the run goes on as it always
    // did, unguarded, and the operator is told so.
    notice_ = "Schema " + schema +
              " ohne Sperre gegen einen zweiten Lauf (der Anmeldung fehlt "
              "EXECUTE auf SYS.DBMS_LOCK)";
    schema_ = schema;
    return sqlstatus::kOk;
  } else if (!status.ok()) {
    session_->fail(status, session_->lastError() +
                               " (Sperre des Schemas " + schema + ")");
  }
  if (!status.ok()) {
    if (!schema_.empty()) runOnce(std::string(kSetSchemaStatement) + schema_);
    return status;
  }
  if (!lockedSchema_.empty()) lockBlock(kSchemaUnlockBlock, lockedSchema_, &result);
  lockedSchema_ = schema_ = schema;
  return status;
}

}  // namespace ravlen
