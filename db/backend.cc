#include "db/backend.h"

#include <algorithm>

#include "db/oracle/ora_backend.h"
#include "db/output_copy.h"
#include "db/postgresql/pg_backend.h"
#include "db/postgresql/pg_connect.h"
#include "db/sqlite/sqlite_backend.h"

namespace ravlen {

namespace {

constexpr std::string_view kEmbeddedPrefix = "sqlite:";

struct ConnectParts {
  std::string_view login, password, service;
};

// "user/password@service": the service follows the "@" that begins a
// service this build knows, else the last "@" (a password may hold an
// "@"); the login ends at the first "/".
ConnectParts splitConnectText(std::string_view text) {
  size_t at = std::string_view::npos;
  for (std::string_view prefix :
       {kEmbeddedPrefix, std::string_view("postgresql://"),
        std::string_view("postgres://")}) {
    at = std::min(at, text.find(std::string("@") + std::string(prefix)));
  }
  if (at == std::string_view::npos) at = text.rfind('@');
  ConnectParts parts;
  std::string_view credentials = text.substr(0, at);
  if (at != std::string_view::npos) parts.service = text.substr(at + 1);
  size_t slash = credentials.find('/');
  parts.login = credentials.substr(0, slash);
  if (slash != std::string_view::npos)
    parts.password = credentials.substr(slash + 1);
  return parts;
}

}  // namespace

// The statements run later, each run at once.

void Backend::selectIntoLater(SqlText text, HostVars in, HostVars out,
                              std::function<void(const LaterOutcome&)> done) {
  laterCopy_.assign(out);
  LaterOutcome outcome{selectInto(text, in, laterCopy_.vars()),
                       StatementOp::kSelectInto, ""};
  if (outcome.status.ok()) laterCopy_.keep();
  if (outcome.status.failed()) outcome.message = lastError();
  done(outcome);
}

void Backend::rowsLater(SqlText text, HostVars in, HostVars out,
                        size_t maxRows, std::function<void()> onRow,
                        std::function<void(const RowsOutcome&)> done) {
  RowsOutcome outcome;
  auto failed = [&](SqlStatus status, StatementOp op) {
    if (status.failed()) outcome.failures.push_back({status, op, lastError()});
  };
  outcome.status = openCursor(text, in);
  failed(outcome.status, StatementOp::kOpen);
  if (outcome.status.ok()) {
    OutputCopy own;
    OutputCopy& copy = rowsCopyInUse_ ? own : rowsCopy_;
    bool outer = !rowsCopyInUse_;
    rowsCopyInUse_ = true;
    for (size_t rows = 0; rows < maxRows; ++rows) {
      copy.assign(out);
      outcome.status = fetch(text, copy.vars());
      failed(outcome.status, StatementOp::kFetch);
      if (!outcome.status.ok()) break;
      copy.keep();
      onRow();
    }
    if (outer) rowsCopyInUse_ = false;
    failed(closeCursor(text), StatementOp::kClose);
  }
  done(outcome);
}

void Backend::writeLater(const WriteSteps& steps,
                         std::function<void(const WriteOutcome&)> done) {
  auto run = [this](SqlText text, HostVars in) {
    LaterOutcome o{execute(text, in), StatementOp::kExecute, ""};
    if (o.status.failed()) o.message = lastError();
    return o;
  };
  WriteOutcome outcome{run(steps.first, steps.firstIn), std::nullopt};
  if (secondStepRuns(steps.pattern, outcome.first.status))
    outcome.second = run(steps.second, steps.secondIn);
  done(outcome);
}

std::unique_ptr<Backend> openBackend(std::string_view connectText,
                                     SqlStatus* status, std::string* message,
                                     std::chrono::milliseconds lockWait) {
  ConnectParts parts = splitConnectText(connectText);
  if (isServerService(parts.service)) {
    return PgBackend::open(parts.service, parts.login, parts.password, status,
                           message, lockWait);
  }
  // --- Oracle: every other service, through the client library ---------
  if (!parts.service.starts_with(kEmbeddedPrefix)) {
    return openOracleBackend(parts.service, parts.login, parts.password,
                             status, message, lockWait);
  }
  // --- end Oracle ------------------------------------------------------
  std::string dir(parts.service.substr(kEmbeddedPrefix.size()));
  return SqliteBackend::open(dir, status, message, lockWait);
}

}  // namespace ravlen
