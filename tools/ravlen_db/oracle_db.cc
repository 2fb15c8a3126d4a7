#include "tools/ravlen_db/oracle_db.h"

#include <charconv>
#include <cstdlib>
#include <optional>

#include "db/oracle/oci_library.h"
#include "db/oracle/ora_buffers.h"
#include "db/sql_tokens.h"
#include "tools/ravlen_db/day.h"

namespace ravlen {

using namespace oci;

namespace {

constexpr char kSessionFormats[] =
    "ALTER SESSION SET NLS_NUMERIC_CHARACTERS='.,' "
    "NLS_DATE_FORMAT='YYYY-MM-DD HH24:MI:SS'";

std::string trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

class OracleRowWriter : public RowWriter {
 public:
  OracleRowWriter(OraSession& session, std::string_view table,
                  std::string_view columns)
      : session_(session) {
    sql_ = "insert into " + std::string(table) + " (" + std::string(columns) +
           ") values (";
    int placeholders = 1;
    for (char c : columns) placeholders += c == ',';
    for (int i = 1; i <= placeholders; ++i)
      sql_ += (i > 1 ? ",:" : ":") + std::to_string(i);
    sql_ += ")";
  }
  ~OracleRowWriter() override { session_.release(stmt_); }

  void text(std::string_view value) override { row_.emplace_back(value); }
  void integer(int64_t value) override { row_.push_back(std::to_string(value)); }
  void real(double value) override {
    char text[32];
    row_.emplace_back(std::string(text, std::to_chars(text, text + sizeof text, value).ptr));
  }
  void date(double julian) override { row_.push_back(timestampText(julian)); }
  void null() override { row_.emplace_back(std::nullopt); }
  std::string endRow() override {
    inputs_.addTextRow(row_);
    row_.clear();
    return inputs_.rows() >= OracleDb::kBatchRows ? finish() : "";
  }
  // One execution for all rows held: array DML.
  std::string finish() override {
    if (inputs_.rows() == 0) return "";
    SqlStatus status = sqlstatus::kOk;
    if (stmt_ == nullptr) status = session_.prepare(sql_, &stmt_);
    if (status.ok()) status = inputs_.bind(session_, stmt_);
    if (status.ok())
      status = session_.execute(stmt_, static_cast<ub4>(inputs_.rows()), OCI_DEFAULT);
    inputs_.clear();
    return status.ok() ? "" : session_.lastError();
  }

 private:
  OraSession& session_;
  std::string sql_;
  OCIStmt* stmt_ = nullptr;
  OraInputs inputs_;
  std::vector<std::optional<std::string>> row_;
};

class OracleRowReader : public RowReader {
 public:
  OracleRowReader(OraSession& session, std::string_view sql, std::string* error)
      : session_(session) {
    SqlStatus status = session_.prepare(sql, &stmt_);
    if (status.ok())
      status = session_.setAttribute(stmt_, OCI_ATTR_PREFETCH_ROWS, OracleDb::kBatchRows);
    if (status.ok()) status = session_.execute(stmt_, 0, OCI_DEFAULT);
    if (status.ok()) status = describe();
    if (status.ok()) return;
    *error = session_.lastError();
    done_ = true;
  }
  ~OracleRowReader() override {
    if (!done_) session_.fetch(stmt_, 0);
    session_.release(stmt_);
  }

  bool next(std::string* error) override {
    if (done_) return false;
    SqlStatus status = session_.fetch(stmt_, 1);
    done_ = !status.ok();
    if (status.failed()) *error = session_.lastError();
    return !done_;
  }
  int64_t integer(int column) const override {
    return std::strtoll(text(column).c_str(), nullptr, 10);
  }
  std::string text(int column) const override {
    const Column& c = columns_[column];
    return c.indicator == -1 ? "" : std::string(c.buffer.data(), c.length);
  }
  int columns() const override { return static_cast<int>(columns_.size()); }
  std::string columnName(int column) const override { return columns_[column].name; }
  bool isNull(int column) const override { return columns_[column].indicator == -1; }

 private:
  struct Column {
    std::string name;
    std::vector<char> buffer = std::vector<char>(OracleDb::kColumnBytes);
    sb2 indicator = 0;
    ub2 length = 0;
  };

  // The select list's names, and a text define for every column.
  SqlStatus describe() {
    const OciFunctions& api = session_.api();
    columns_.resize(session_.attribute(stmt_, OCI_ATTR_PARAM_COUNT));
    for (ub4 i = 0; i < columns_.size(); ++i) {
      Column& c = columns_[i];
      void* param = nullptr;
      SqlStatus status =
          session_.check(api.OCIParamGet(stmt_, OCI_HTYPE_STMT, session_.err(), &param, i + 1));
      if (!status.ok()) return status;
      OraText* name = nullptr;
      ub4 size = 0;
      api.OCIAttrGet(param, OCI_DTYPE_PARAM, &name, &size, OCI_ATTR_NAME, session_.err());
      if (name != nullptr) c.name.assign(reinterpret_cast<const char*>(name), size);
      api.OCIDescriptorFree(param, OCI_DTYPE_PARAM);
      OCIDefine* define = nullptr;
      status = session_.check(api.OCIDefineByPos(
          stmt_, &define, session_.err(), i + 1, c.buffer.data(),
          static_cast<sb4>(c.buffer.size()), SQLT_CHR, &c.indicator, &c.length,
          nullptr, OCI_DEFAULT));
      if (!status.ok()) return status;
    }
    return sqlstatus::kOk;
  }

  OraSession& session_;
  OCIStmt* stmt_ = nullptr;
  std::vector<Column> columns_;
  bool done_ = false;
};

}  // namespace

std::vector<std::string> splitStatements(std::string_view sql) {
  std::vector<std::string> statements;
  std::string current;
  for (const SqlToken& t : tokenizeSql(sql)) {
    if (t.type == SqlTokenType::kComment) continue;
    if (t.type != SqlTokenType::kPunct || t.text != ";") {
      current.append(t.text);
      continue;
    }
    if (!trimmed(current).empty()) statements.push_back(trimmed(current));
    current.clear();
  }
  if (!trimmed(current).empty()) statements.push_back(trimmed(current));
  return statements;
}

std::string OracleDb::open(const std::string& service,
                           const std::string& credentials,
                           const std::string& schema) {
  session_.reset();
  std::string error;
  const OciFunctions* api = findOciLibrary(&error);
  if (api == nullptr) return error;
  size_t slash = credentials.find('/');
  std::string login = credentials.substr(0, slash);
  std::string password = slash == std::string::npos ? "" : credentials.substr(slash + 1);
  SqlStatus status;
  session_ = OraSession::logon(*api, service, login, password, &status, &error);
  if (session_ == nullptr) return error;
  error = run(kSessionFormats);
  if (error.empty() && !schema.empty())
    error = run("ALTER SESSION SET CURRENT_SCHEMA=" + schema);
  return error;
}

std::string OracleDb::run(std::string_view statement) {
  if (session_ == nullptr) return "keine Sitzung";
  if (equalsNoCase(statement, "begin")) return "";
  SqlStatus status = sqlstatus::kOk;
  if (equalsNoCase(statement, "commit")) {
    status = session_->commit();
  } else if (equalsNoCase(statement, "rollback")) {
    status = session_->rollback();
  } else {
    OCIStmt* stmt = nullptr;
    status = session_->prepare(statement, &stmt);
    if (status.ok()) status = session_->execute(stmt, 1, OCI_DEFAULT);
    session_->release(stmt);
  }
  // An update or delete without a row is no failure here.
  return status.failed() ? session_->lastError() : "";
}

std::string OracleDb::exec(std::string_view sql) {
  for (const std::string& statement : splitStatements(sql)) {
    std::string error = run(statement);
    if (!error.empty()) return error;
  }
  return "";
}

std::unique_ptr<RowWriter> OracleDb::rowWriter(std::string_view table,
                                               std::string_view columns, bool,
                                               std::string*) {
  return std::make_unique<OracleRowWriter>(*session_, table, columns);
}

std::unique_ptr<RowReader> OracleDb::rowReader(std::string_view sql,
                                               std::string* error) {
  return std::make_unique<OracleRowReader>(*session_, sql, error);
}

}  // namespace ravlen
