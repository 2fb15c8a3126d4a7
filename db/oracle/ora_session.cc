#include "db/oracle/ora_session.h"

#include <cstdlib>
#include <string>

#include "db/oracle/ora_status.h"

namespace ravlen {

using namespace oci;

namespace {

const OraText* text(std::string_view s) {
  return reinterpret_cast<const OraText*>(s.data());
}

}  // namespace

std::string OraSession::errorText(void* handle, ub4 type,
                                  int32_t* code) const {
  OraText buffer[2048] = {0};
  sb4 number = 0;
  if (handle == nullptr ||
      api_.OCIErrorGet(handle, 1, nullptr, &number, buffer, sizeof buffer,
                       type) != OCI_SUCCESS) {
    *code = 0;
    return "";
  }
  *code = number;
  return reinterpret_cast<const char*>(buffer);
}

// The environment and the error handle. Texts reach the program as UTF-8
// unless the operator chose the client's character set with NLS_LANG.
SqlStatus OraSession::createHandles() {
  const char* nlsLang = std::getenv("NLS_LANG");
  ub2 charset = nlsLang != nullptr && *nlsLang != '\0' ? 0 : kAl32Utf8;
  sword rc = api_.OCIEnvNlsCreate(&env_, OCI_DEFAULT, nullptr, nullptr,
                                  nullptr, nullptr, 0, nullptr, charset,
                                  charset);
  if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) {
    int32_t code = 0;
    std::string why = errorText(env_, OCI_HTYPE_ENV, &code);
    return fail(sqlstatus::kClientFailure,
                "ORA-01019: OCIEnvNlsCreate fehlgeschlagen (" +
                    std::to_string(rc) + ") " + oneLine(why));
  }
  rc = api_.OCIHandleAlloc(env_, reinterpret_cast<void**>(&err_),
                           OCI_HTYPE_ERROR, 0, nullptr);
  if (rc != OCI_SUCCESS)
    return fail(sqlstatus::kClientFailure,
                "ORA-01019: kein Fehler-Handle (" + std::to_string(rc) + ")");
  return sqlstatus::kOk;
}

std::unique_ptr<OraSession> OraSession::logon(const OciFunctions& api,
                                              std::string_view service,
                                              std::string_view login,
                                              std::string_view password,
                                              SqlStatus* status,
                                              std::string* message) {
  std::unique_ptr<OraSession> s(new OraSession(api));
  *status = s->createHandles();
  if (status->ok()) {
    sword rc = api.OCILogon2(
        s->env_, s->err_, &s->svc_, text(login), static_cast<ub4>(login.size()),
        text(password), static_cast<ub4>(password.size()), text(service),
        static_cast<ub4>(service.size()), OCI_LOGON2_STMTCACHE);
    *status = s->check(rc);
  }
  if (status->ok()) return s;
  s->svc_ = nullptr;  // a failed logon leaves no session to end
  *message = oneLine(s->lastError(), password);
  return nullptr;
}

OraSession::~OraSession() {
  if (svc_ != nullptr) {
    api_.OCITransRollback(svc_, err_, OCI_DEFAULT);
    api_.OCILogoff(svc_, err_);
  }
  if (rowErr_ != nullptr) api_.OCIHandleFree(rowErr_, OCI_HTYPE_ERROR);
  if (err_ != nullptr) api_.OCIHandleFree(err_, OCI_HTYPE_ERROR);
  if (env_ != nullptr) api_.OCIHandleFree(env_, OCI_HTYPE_ENV);
}

SqlStatus OraSession::check(sword rc) {
  if (rc == OCI_SUCCESS || rc == OCI_SUCCESS_WITH_INFO || rc == OCI_NO_DATA)
    return statusFromOci(rc, 0);
  int32_t code = 0;
  std::string message = errorText(err_, OCI_HTYPE_ERROR, &code);
  SqlStatus status = statusFromOci(rc, code);
  if (status.noData()) return status;
  if (message.empty())
    message = "ORA-01019: Oracle-Client-Aufruf fehlgeschlagen (" +
              std::to_string(rc) + ")";
  lastError_ = oneLine(message);
  return status;
}

SqlStatus OraSession::fail(SqlStatus status, std::string message) {
  lastError_ = std::move(message);
  return status;
}

SqlStatus OraSession::prepare(std::string_view sql, OCIStmt** stmt) {
  *stmt = nullptr;
  return check(api_.OCIStmtPrepare2(svc_, stmt, err_, text(sql),
                                    static_cast<ub4>(sql.size()), nullptr, 0,
                                    OCI_NTV_SYNTAX, OCI_DEFAULT));
}

void OraSession::release(OCIStmt* stmt) {
  if (stmt != nullptr) api_.OCIStmtRelease(stmt, err_, nullptr, 0, OCI_DEFAULT);
}

SqlStatus OraSession::execute(OCIStmt* stmt, ub4 iters, ub4 mode) {
  return check(
      api_.OCIStmtExecute(svc_, stmt, err_, iters, 0, nullptr, nullptr, mode));
}

std::vector<OraRowOutcome> OraSession::executeRows(OCIStmt* stmt, ub4 rows) {
  SqlStatus status = check(api_.OCIStmtExecute(
      svc_, stmt, err_, rows, 0, nullptr, nullptr,
      OCI_BATCH_ERRORS | OCI_RETURN_ROW_COUNT_ARRAY));
  if (status.failed() && status.code() != -kArrayDmlErrors)
    return std::vector<OraRowOutcome>(rows, {status, lastError_});
  std::vector<OraRowOutcome> outcomes(rows);
  rowCounts(stmt, &outcomes);
  rowErrors(stmt, &outcomes);
  return outcomes;
}

// A row that processed no row is 1403, as a single execution reports it.
// A client without the count array (before 12.1) cannot tell, and says so.
void OraSession::rowCounts(OCIStmt* stmt, std::vector<OraRowOutcome>* rows) {
  ub8* counts = nullptr;
  ub4 size = 0;
  api_.OCIAttrGet(stmt, OCI_HTYPE_STMT, &counts, &size,
                  OCI_ATTR_DML_ROW_COUNT_ARRAY, err_);
  for (size_t row = 0; row < rows->size(); ++row) {
    if (counts == nullptr || row >= size) {
      (*rows)[row] = {sqlstatus::kClientFailure,
                      "ORA-01019: keine Zeilenzahl je Zeile vom Oracle-Client "
                      "(OCI_ATTR_DML_ROW_COUNT_ARRAY braucht Client 12.1)"};
    } else if (counts[row] == 0) {
      (*rows)[row].status = sqlstatus::kNoData;
    }
  }
}

// Each failed row's error, read through the error handle kept for them.
// Where the client cannot say which row failed, no row counts as done.
void OraSession::rowErrors(OCIStmt* stmt, std::vector<OraRowOutcome>* rows) {
  ub4 errors = 0;
  api_.OCIAttrGet(stmt, OCI_HTYPE_STMT, &errors, nullptr,
                  OCI_ATTR_NUM_DML_ERRORS, err_);
  if (errors > 0 && rowErr_ == nullptr)
    api_.OCIHandleAlloc(env_, reinterpret_cast<void**>(&rowErr_),
                        OCI_HTYPE_ERROR, 0, nullptr);
  for (ub4 i = 0; i < errors; ++i) {
    void* handle = rowErr_;
    ub4 offset = 0;
    int32_t code = 0;
    std::string message;
    if (api_.OCIParamGet(err_, OCI_HTYPE_ERROR, err_, &handle, i) ==
            OCI_SUCCESS &&
        api_.OCIAttrGet(handle, OCI_HTYPE_ERROR, &offset, nullptr,
                        OCI_ATTR_DML_ROW_OFFSET, err_) == OCI_SUCCESS)
      message = errorText(handle, OCI_HTYPE_ERROR, &code);
    if (code == 0 || offset >= rows->size()) {
      for (OraRowOutcome& row : *rows)
        if (!row.status.failed()) row = {sqlstatus::kClientFailure, lastError_};
      return;
    }
    (*rows)[offset] = {statusFromOci(OCI_ERROR, code), oneLine(message)};
  }
}

SqlStatus OraSession::fetch(OCIStmt* stmt, ub4 rows) {
  return check(api_.OCIStmtFetch2(stmt, err_, rows, OCI_FETCH_NEXT, 0,
                                  OCI_DEFAULT));
}

ub4 OraSession::attribute(OCIStmt* stmt, ub4 attribute) {
  ub4 value = 0;
  api_.OCIAttrGet(stmt, OCI_HTYPE_STMT, &value, nullptr, attribute, err_);
  return value;
}

SqlStatus OraSession::setAttribute(OCIStmt* stmt, ub4 attribute, ub4 value) {
  return check(api_.OCIAttrSet(stmt, OCI_HTYPE_STMT, &value, sizeof value,
                               attribute, err_));
}

SqlStatus OraSession::commit() {
  return check(api_.OCITransCommit(svc_, err_, OCI_DEFAULT));
}

SqlStatus OraSession::rollback() {
  return check(api_.OCITransRollback(svc_, err_, OCI_DEFAULT));
}

}  // namespace ravlen
