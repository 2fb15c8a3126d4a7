// The test double of the Oracle client library; see oci_double.h.
#include "tests/oci_double/oci_double.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "db/oracle/oci.h"

using namespace ravlen::oci;

namespace {

using Cell = std::optional<std::string>;

struct Answer {
  std::string match;
  int error = 0;
  std::string message;
  std::vector<std::string> names;
  std::vector<std::vector<Cell>> rows;
  long rowCount = -1;
  std::vector<long> rowOutcomes;  // of array executions, by row offset
};

struct RowError {
  ub4 offset;
  int code;
  std::string message;
};

struct ErrorHandle {
  int code = 0;
  std::string message;
  ub4 rowOffset = 0;                // as the error of one row
  std::vector<RowError> rowErrors;  // of the last batch-error execution
};

struct Slot {
  char* value;
  sb4 size;
  ub2 type;
  sb2* indicator;
  ub2* length;
};

struct Statement {
  std::string sql;
  std::map<ub4, Slot> binds, defines;
  const Answer* answer = nullptr;
  size_t next = 0;
  bool open = false;
  ub4 rowCount = 0;
  std::vector<ub8> rowCounts;  // per row, when the execution asked for them
  ub4 dmlErrors = 0;
};

struct Param {
  std::string name;
};

struct State {
  std::set<std::string> services;
  std::vector<Answer> answers;
  std::string log;
  std::set<const void*> live;
  int openCursors = 0;
  bool pendingWork = false;
};

State& state() {
  static State s;
  return s;
}

void log(const std::string& line) { state().log += line + "\n"; }

template <typename T>
T* track(T* object) {
  state().live.insert(object);
  return object;
}

bool untrack(const void* object) { return state().live.erase(object) == 1; }

sword fail(OCIError* err, int code, const std::string& message) {
  auto* e = reinterpret_cast<ErrorHandle*>(err);
  e->code = code;
  e->message = message;
  log("  -> ORA-" + std::to_string(code));
  return OCI_ERROR;
}

const Answer* answerFor(const std::string& text) {
  const std::vector<Answer>& all = state().answers;
  for (auto a = all.rbegin(); a != all.rend(); ++a) {
    if (text.find(a->match) != std::string::npos) return &*a;
  }
  return nullptr;
}

std::string firstWord(const std::string& sql) {
  size_t at = sql.find_first_not_of(" \t\r\n");
  std::string word = sql.substr(at == std::string::npos ? 0 : at, 6);
  for (char& c : word) c = static_cast<char>(std::tolower(c));
  return word;
}

bool isQuery(const std::string& sql) {
  std::string word = firstWord(sql);
  return word == "select" || word.rfind("with", 0) == 0;
}

bool isDml(const std::string& sql) {
  std::string word = firstWord(sql);
  return word == "insert" || word == "update" || word == "delete" ||
         word.rfind("merge", 0) == 0;
}

// The value of row `row` of a bind, as the log shows it.
std::string bindText(const Slot& s, size_t row) {
  if (s.indicator != nullptr && s.indicator[row] == -1) return "NULL";
  const char* at = s.value + row * s.size;
  if (s.type == SQLT_CHR) {
    size_t n = s.length != nullptr ? s.length[row] : static_cast<size_t>(s.size);
    return "'" + std::string(at, n) + "'";
  }
  if (s.type == SQLT_INT && s.size == 4) {
    int32_t v;
    std::memcpy(&v, at, sizeof v);
    return "INT " + std::to_string(v);
  }
  if (s.type == SQLT_FLT && s.size == 8) {
    double v;
    std::memcpy(&v, at, sizeof v);
    char text[40];
    std::snprintf(text, sizeof text, "FLT %.17g", v);
    return text;
  }
  return "type " + std::to_string(s.type) + " size " + std::to_string(s.size);
}

std::string bindsText(const Statement& st, ub4 rows) {
  std::string out;
  for (ub4 row = 0; row < std::max<ub4>(rows, 1); ++row) {
    out += " [";
    for (const auto& [pos, slot] : st.binds)
      out += (pos > 1 ? " " : "") + bindText(slot, row);
    out += "]";
  }
  return st.binds.empty() ? "" : out;
}

// Writes one value into a define or an out bind, as the client converts.
sword put(const Slot& s, const Cell& cell, OCIError* err) {
  if (!cell) {
    if (s.indicator == nullptr)
      return fail(err, 1405, "ORA-01405: fetched column value is NULL");
    *s.indicator = -1;
    return OCI_SUCCESS;
  }
  const std::string& v = *cell;
  if (s.indicator != nullptr) *s.indicator = 0;
  if (s.type == SQLT_CHR) {
    size_t n = std::min(v.size(), static_cast<size_t>(s.size));
    std::memcpy(s.value, v.data(), n);
    if (s.length != nullptr) *s.length = static_cast<ub2>(n);
    if (n == v.size()) return OCI_SUCCESS;
    if (s.indicator != nullptr) *s.indicator = static_cast<sb2>(v.size());
    return OCI_SUCCESS_WITH_INFO;
  }
  if (s.type == SQLT_INT && s.size == 4) {
    long long n = std::strtoll(v.c_str(), nullptr, 10);
    if (n < std::numeric_limits<int32_t>::min() ||
        n > std::numeric_limits<int32_t>::max())
      return fail(err, 1455, "ORA-01455: converting column overflows integer datatype");
    int32_t i = static_cast<int32_t>(n);
    std::memcpy(s.value, &i, sizeof i);
    return OCI_SUCCESS;
  }
  if (s.type == SQLT_FLT && s.size == 8) {
    double d = std::strtod(v.c_str(), nullptr);
    std::memcpy(s.value, &d, sizeof d);
    return OCI_SUCCESS;
  }
  return fail(err, 932, "ORA-00932: inconsistent datatypes");
}

sword putRow(Statement& st, const std::vector<Cell>& row, OCIError* err) {
  sword result = OCI_SUCCESS;
  for (const auto& [pos, slot] : st.defines) {
    if (pos > row.size()) return fail(err, 1007, "ORA-01007: variable not in select list");
    sword rc = put(slot, row[pos - 1], err);
    if (rc == OCI_ERROR) return rc;
    if (rc == OCI_SUCCESS_WITH_INFO) result = rc;
  }
  return result;
}

sword closeCursor(Statement& st) {
  if (st.open) --state().openCursors;
  st.open = false;
  return OCI_SUCCESS;
}

sword executeQuery(Statement& st, OCIError* err, ub4 iters, ub4 mode) {
  st.next = 0;
  st.rowCount = 0;
  if (iters == 0) {
    st.open = true;
    ++state().openCursors;
    return OCI_SUCCESS;
  }
  size_t rows = st.answer ? st.answer->rows.size() : 0;
  if (rows == 0) return OCI_NO_DATA;
  if ((mode & OCI_EXACT_FETCH) && rows > iters)
    return fail(err, 1422, "ORA-01422: exact fetch returns more than requested number of rows");
  st.rowCount = 1;
  return putRow(st, st.answer->rows[0], err);
}

// The rows of a write, each as the answer's row outcomes say (else its
// row count, else one row): a scripted error fails the call at that row,
// or in batch-error mode is collected and the call ends with ORA-24381.
sword writeRows(Statement& st, OCIError* err, ub4 iters, ub4 mode) {
  auto* e = reinterpret_cast<ErrorHandle*>(err);
  e->rowErrors.clear();
  const Answer* a = st.answer;
  ub8 each = a && a->rowCount >= 0 ? static_cast<ub8>(a->rowCount) : 1;
  std::vector<ub8> counts(iters, each);
  for (ub4 row = 0; a && row < iters && row < a->rowOutcomes.size(); ++row) {
    long outcome = a->rowOutcomes[row];
    counts[row] = outcome >= 0 ? static_cast<ub8>(outcome) : 0;
    if (outcome >= 0) continue;
    char message[80];
    std::snprintf(message, sizeof message, "ORA-%05ld: scripted error in row %u",
                  -outcome, row);
    if (!(mode & OCI_BATCH_ERRORS)) {
      st.rowCount = static_cast<ub4>(row * each);
      return fail(err, static_cast<int>(-outcome), message);
    }
    e->rowErrors.push_back({row, static_cast<int>(-outcome), message});
  }
  st.rowCount = 0;
  for (ub8 c : counts) st.rowCount += static_cast<ub4>(c);
  if (mode & OCI_RETURN_ROW_COUNT_ARRAY) st.rowCounts = counts;
  st.dmlErrors = static_cast<ub4>(e->rowErrors.size());
  if (e->rowErrors.empty()) return OCI_SUCCESS;
  return fail(err, kArrayDmlErrors, "ORA-24381: error(s) in array DML");
}

sword executeWrite(Statement& st, OCIError* err, ub4 iters, ub4 mode) {
  state().pendingWork = true;
  const Answer* a = st.answer;
  sword rc = writeRows(st, err, iters, mode);
  if (rc != OCI_SUCCESS || a == nullptr || a->rows.empty()) return rc;
  for (const auto& [pos, slot] : st.binds) {
    const Cell* cell = pos <= a->rows[0].size() ? &a->rows[0][pos - 1] : nullptr;
    if (cell && *cell && put(slot, *cell, err) == OCI_ERROR) return OCI_ERROR;
  }
  return OCI_SUCCESS;
}

}  // namespace

// --- the control functions of the tests ----------------------------------

extern "C" {

void ociDoubleReset() {
  State& s = state();
  s.services.clear();
  s.answers.clear();
  s.log.clear();
  s.pendingWork = false;
}

void ociDoubleAddService(const char* name) { state().services.insert(name); }

void ociDoubleError(const char* match, int code, const char* message) {
  Answer a;
  a.match = match;
  a.error = code;
  a.message = message;
  state().answers.push_back(a);
}

void ociDoubleRows(const char* match, int columns, const char* const* names,
                   int rows, const char* const* cells, long rowCount) {
  Answer a;
  a.match = match;
  a.rowCount = rowCount;
  for (int c = 0; c < columns && names != nullptr; ++c) a.names.push_back(names[c]);
  for (int r = 0; r < rows; ++r) {
    std::vector<Cell>& row = a.rows.emplace_back();
    for (int c = 0; c < columns; ++c) {
      const char* cell = cells[r * columns + c];
      row.push_back(cell ? Cell(cell) : std::nullopt);
    }
  }
  state().answers.push_back(a);
}

void ociDoubleRowOutcomes(const char* match, int rows, const long* outcomes) {
  Answer a;
  a.match = match;
  a.rowOutcomes.assign(outcomes, outcomes + rows);
  state().answers.push_back(a);
}

const char* ociDoubleLog() { return state().log.c_str(); }
int ociDoubleLiveHandles() { return static_cast<int>(state().live.size()); }
int ociDoubleOpenCursors() { return state().openCursors; }

// --- the entry points of the client --------------------------------------

sword OCIEnvNlsCreate(OCIEnv** envhpp, ub4 mode, void*, void* (*)(void*, size_t),
                      void* (*)(void*, void*, size_t), void (*)(void*, void*),
                      size_t, void**, ub2 charset, ub2 ncharset) {
  *envhpp = reinterpret_cast<OCIEnv*>(track(new char('E')));
  log("OCIEnvNlsCreate mode=" + std::to_string(mode) + " charset=" +
      std::to_string(charset) + "/" + std::to_string(ncharset));
  return OCI_SUCCESS;
}

sword OCIHandleAlloc(const void* parent, void** hndlpp, ub4 type, size_t, void**) {
  if (!state().live.count(parent) || type != OCI_HTYPE_ERROR) return OCI_INVALID_HANDLE;
  *hndlpp = track(new ErrorHandle);
  log("OCIHandleAlloc error");
  return OCI_SUCCESS;
}

sword OCIHandleFree(void* hndlp, ub4 type) {
  log("OCIHandleFree " + std::string(type == OCI_HTYPE_ENV ? "env" : "error"));
  if (!untrack(hndlp)) return OCI_INVALID_HANDLE;
  if (type == OCI_HTYPE_ERROR) delete static_cast<ErrorHandle*>(hndlp);
  if (type == OCI_HTYPE_ENV) delete static_cast<char*>(hndlp);
  return OCI_SUCCESS;
}

sword OCIErrorGet(void* hndlp, ub4 recordno, OraText*, sb4* errcodep,
                  OraText* bufp, ub4 bufsiz, ub4 type) {
  if (type != OCI_HTYPE_ERROR || recordno != 1 || !state().live.count(hndlp))
    return OCI_NO_DATA;
  auto* e = static_cast<ErrorHandle*>(hndlp);
  if (e->code == 0) return OCI_NO_DATA;
  *errcodep = e->code;
  std::snprintf(reinterpret_cast<char*>(bufp), bufsiz, "%s\n", e->message.c_str());
  return OCI_SUCCESS;
}

sword OCILogon2(OCIEnv*, OCIError* errhp, OCISvcCtx** svchp, const OraText* username,
                ub4 unameLen, const OraText* password, ub4 passwdLen,
                const OraText* dbname, ub4 dbnameLen, ub4 mode) {
  auto str = [](const OraText* t, ub4 n) {
    return std::string(reinterpret_cast<const char*>(t), n);
  };
  std::string db = str(dbname, dbnameLen);
  log("OCILogon2 user=" + str(username, unameLen) + " password=" +
      str(password, passwdLen) + " db=" + db + " mode=" + std::to_string(mode));
  if (const Answer* a = answerFor("logon:" + db); a && a->error)
    return fail(errhp, a->error, a->message);
  if (!state().services.count(db))
    return fail(errhp, 12154,
                "ORA-12154: TNS:could not resolve the connect identifier specified");
  *svchp = reinterpret_cast<OCISvcCtx*>(track(new char('S')));
  return OCI_SUCCESS;
}

sword OCILogoff(OCISvcCtx* svchp, OCIError*) {
  log(state().pendingWork ? "OCILogoff (implicit commit)" : "OCILogoff");
  state().pendingWork = false;
  if (!untrack(svchp)) return OCI_INVALID_HANDLE;
  delete reinterpret_cast<char*>(svchp);
  return OCI_SUCCESS;
}

sword OCIAttrSet(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4, ub4 attrtype,
                 OCIError*) {
  if (!state().live.count(trgthndlp)) return OCI_INVALID_HANDLE;
  ub4 value = 0;
  std::memcpy(&value, attributep, sizeof value);
  log("OCIAttrSet handle=" + std::to_string(trghndltyp) + " attr=" +
      std::to_string(attrtype) + " value=" + std::to_string(value));
  return OCI_SUCCESS;
}

sword OCIAttrGet(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep,
                 ub4 attrtype, OCIError*) {
  if (!state().live.count(trgthndlp)) return OCI_INVALID_HANDLE;
  if (trghndltyp == OCI_HTYPE_ERROR) {
    if (attrtype != OCI_ATTR_DML_ROW_OFFSET) return OCI_ERROR;
    *static_cast<ub4*>(attributep) = static_cast<const ErrorHandle*>(trgthndlp)->rowOffset;
    return OCI_SUCCESS;
  }
  if (trghndltyp == OCI_DTYPE_PARAM) {
    auto* p = static_cast<const Param*>(trgthndlp);
    if (attrtype != OCI_ATTR_NAME) return OCI_ERROR;
    *static_cast<const OraText**>(attributep) =
        reinterpret_cast<const OraText*>(p->name.data());
    *sizep = static_cast<ub4>(p->name.size());
    return OCI_SUCCESS;
  }
  auto* st = static_cast<Statement*>(const_cast<void*>(trgthndlp));
  if (attrtype == OCI_ATTR_DML_ROW_COUNT_ARRAY) {
    *static_cast<ub8**>(attributep) = st->rowCounts.empty() ? nullptr : st->rowCounts.data();
    if (sizep != nullptr) *sizep = static_cast<ub4>(st->rowCounts.size());
    return OCI_SUCCESS;
  }
  ub4 value = attrtype == OCI_ATTR_NUM_DML_ERRORS ? st->dmlErrors : st->rowCount;
  if (attrtype == OCI_ATTR_PARAM_COUNT) {
    value = st->answer && !st->answer->rows.empty()
                ? static_cast<ub4>(st->answer->rows[0].size())
                : static_cast<ub4>(st->answer ? st->answer->names.size() : 0);
  }
  *static_cast<ub4*>(attributep) = value;
  return OCI_SUCCESS;
}

sword OCIStmtPrepare2(OCISvcCtx* svchp, OCIStmt** stmthp, OCIError*, const OraText* stmttext,
                      ub4 stmtLen, const OraText*, ub4, ub4, ub4) {
  if (!state().live.count(svchp)) return OCI_INVALID_HANDLE;
  auto* st = track(new Statement);
  st->sql.assign(reinterpret_cast<const char*>(stmttext), stmtLen);
  *stmthp = reinterpret_cast<OCIStmt*>(st);
  log("OCIStmtPrepare2 " + st->sql);
  return OCI_SUCCESS;
}

sword OCIStmtRelease(OCIStmt* stmthp, OCIError*, const OraText*, ub4, ub4) {
  auto* st = reinterpret_cast<Statement*>(stmthp);
  if (!untrack(st)) return OCI_INVALID_HANDLE;
  log(std::string("OCIStmtRelease") + (st->open ? " (cursor still open)" : "") +
      " " + st->sql);
  closeCursor(*st);
  delete st;
  return OCI_SUCCESS;
}

sword OCIBindByPos(OCIStmt* stmtp, OCIBind** bindpp, OCIError*, ub4 position, void* valuep,
                   sb4 valueSz, ub2 dty, void* indp, ub2* alenp, ub2*, ub4, ub4*, ub4) {
  auto* st = reinterpret_cast<Statement*>(stmtp);
  if (!state().live.count(st)) return OCI_INVALID_HANDLE;
  st->binds[position] = {static_cast<char*>(valuep), valueSz, dty,
                         static_cast<sb2*>(indp), alenp};
  *bindpp = reinterpret_cast<OCIBind*>(&st->binds[position]);
  return OCI_SUCCESS;
}

sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnpp, OCIError*, ub4 position,
                     void* valuep, sb4 valueSz, ub2 dty, void* indp, ub2* rlenp, ub2*,
                     ub4) {
  auto* st = reinterpret_cast<Statement*>(stmtp);
  if (!state().live.count(st)) return OCI_INVALID_HANDLE;
  st->defines[position] = {static_cast<char*>(valuep), valueSz, dty,
                           static_cast<sb2*>(indp), rlenp};
  *defnpp = reinterpret_cast<OCIDefine*>(&st->defines[position]);
  log("OCIDefineByPos " + std::to_string(position) + " type=" + std::to_string(dty) +
      " size=" + std::to_string(valueSz));
  return OCI_SUCCESS;
}

sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters, ub4,
                     const OCISnapshot*, OCISnapshot*, ub4 mode) {
  auto* st = reinterpret_cast<Statement*>(stmtp);
  if (!state().live.count(svchp) || !state().live.count(st)) return OCI_INVALID_HANDLE;
  log("OCIStmtExecute iters=" + std::to_string(iters) + " mode=" +
      std::to_string(mode) + " " + st->sql + bindsText(*st, iters));
  closeCursor(*st);
  st->answer = answerFor(st->sql);
  st->rowCounts.clear();
  st->dmlErrors = 0;
  if ((mode & (OCI_BATCH_ERRORS | OCI_RETURN_ROW_COUNT_ARRAY)) && !isDml(st->sql))
    return fail(errhp, 28714, "ORA-28714: OCI_BATCH_ERRORS or OCI_RETURN_ROW_COUNT_ARRAY "
                "mode can only be specified for INSERT, UPDATE, DELETE or MERGE statement.");
  if (st->answer && st->answer->error)
    return fail(errhp, st->answer->error, st->answer->message);
  return isQuery(st->sql) ? executeQuery(*st, errhp, iters, mode)
                          : executeWrite(*st, errhp, iters, mode);
}

sword OCIStmtFetch2(OCIStmt* stmthp, OCIError* errhp, ub4 nrows, ub2, sb4, ub4) {
  auto* st = reinterpret_cast<Statement*>(stmthp);
  if (!state().live.count(st)) return OCI_INVALID_HANDLE;
  if (nrows == 0) {
    log("OCIStmtFetch2 cancel");
    return closeCursor(*st);
  }
  if (!st->open) return fail(errhp, 1002, "ORA-01002: fetch out of sequence");
  size_t rows = st->answer ? st->answer->rows.size() : 0;
  if (st->next >= rows) {
    log("OCIStmtFetch2 no data");
    closeCursor(*st);
    return OCI_NO_DATA;
  }
  return putRow(*st, st->answer->rows[st->next++], errhp);
}

sword OCITransCommit(OCISvcCtx*, OCIError*, ub4) {
  log("OCITransCommit");
  state().pendingWork = false;
  return OCI_SUCCESS;
}

sword OCITransRollback(OCISvcCtx*, OCIError*, ub4) {
  log("OCITransRollback");
  state().pendingWork = false;
  return OCI_SUCCESS;
}

// On an error handle: the error of the pos-th failed row of the last
// batch-error execution, into the caller's error handle *parmdpp.
static sword paramGetRowError(const void* hndlp, void** parmdpp, ub4 pos) {
  auto* from = static_cast<const ErrorHandle*>(hndlp);
  if (!state().live.count(*parmdpp) || pos >= from->rowErrors.size()) return OCI_ERROR;
  auto* to = static_cast<ErrorHandle*>(*parmdpp);
  const RowError& r = from->rowErrors[pos];
  to->code = r.code;
  to->message = r.message;
  to->rowOffset = r.offset;
  log("OCIParamGet row error " + std::to_string(pos) + " -> row " + std::to_string(r.offset));
  return OCI_SUCCESS;
}

sword OCIParamGet(const void* hndlp, ub4 htype, OCIError*, void** parmdpp, ub4 pos) {
  if (htype == OCI_HTYPE_ERROR && state().live.count(hndlp))
    return paramGetRowError(hndlp, parmdpp, pos);
  auto* st = static_cast<const Statement*>(hndlp);
  if (!state().live.count(st)) return OCI_INVALID_HANDLE;
  auto* p = track(new Param);
  const Answer* a = st->answer;
  p->name = a && pos <= a->names.size() ? a->names[pos - 1] : "C" + std::to_string(pos);
  *parmdpp = p;
  return OCI_SUCCESS;
}

sword OCIDescriptorFree(void* descp, ub4) {
  if (!untrack(descp)) return OCI_INVALID_HANDLE;
  delete static_cast<Param*>(descp);
  return OCI_SUCCESS;
}

}  // extern "C"

// Each entry point has the prototype that the backend calls it through.
#define RAVLEN_OCI_SAME_TYPE(name) \
  static_assert(std::is_same_v<decltype(name), name##Fn>, #name);
RAVLEN_OCI_FUNCTIONS(RAVLEN_OCI_SAME_TYPE)
