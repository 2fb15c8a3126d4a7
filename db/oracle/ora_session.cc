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
