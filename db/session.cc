#include "db/session.h"

#include <utility>

#include "db/output_copy.h"
#include "db/statement_scan.h"

namespace ravlen {

Session& session() {
  static Session instance;
  return instance;
}

SqlStatus Session::connect(std::string_view connectText) {
  disconnect();
  connectError_.clear();
  SqlStatus status;
  backend_ = openBackend(connectText, &status, &connectError_);
  return status;
}

void Session::useBackend(std::unique_ptr<Backend> backend) {
  disconnect();
  backend_ = std::move(backend);
}

std::unique_ptr<Backend> Session::releaseBackend() {
  failedOpens_.clear();
  kept_.clear();
  shared_.forget();
  return std::move(backend_);
}

void Session::disconnect() {
  backend_.reset();
  failedOpens_.clear();
  kept_.clear();
  shared_.forget();
}

SqlStatus Session::notConnected() {
  connectError_ = "ORA-03114: not connected to ORACLE";
  return sqlstatus::kNotConnected;
}

void Session::record(SqlText text, HostVars in) {
  if (!recording_ || !recordedIds_.insert(text.id()).second) return;
  RecordedStatement r{text.view(), {}};
  for (const HostVar& v : in) r.inputs.push_back(v.kind);
  recorded_.push_back(std::move(r));
}

// A write drops the kept answers of the statements that name its table,
// and ends the sharing of lookups.
void Session::wrote(SqlText text) {
  shared_.forget();
  auto it = writtenTables_.find(text.id());
  if (it == writtenTables_.end())
    it = writtenTables_.emplace(text.id(), writtenTable(text.view())).first;
  if (!it->second.empty()) kept_.written(it->second);
}

SqlStatus Session::observed(StatementOp op, SqlText text, SqlStatus status) {
  if (status.failed() && observer_ != nullptr)
    observer_->failed(op, text.view(), text.id(), status, lastError());
  return status;
}

void Session::report(SqlText text, const LaterOutcome& outcome) {
  if (outcome.status.failed() && observer_ != nullptr)
    observer_->failed(outcome.failedOp, text.view(), text.id(),
                      outcome.status, outcome.message);
}

SqlStatus Session::execute(SqlText text, HostVars in, Expect expect) {
  record(text, in);
  wrote(text);
  SqlStatus status = backend_ ? backend_->execute(text, in) : notConnected();
  bool handled = expect == Expect::kUniqueKey &&
                 status.code() == sqlstatus::kUniqueKey.code();
  return handled ? status : observed(StatementOp::kExecute, text, status);
}

// A text built at run time may switch the schema, and so what every name
// means: nothing kept or shared survives it.
SqlStatus Session::executeImmediate(std::string_view text) {
  kept_.clear();
  shared_.forget();
  return backend_ ? backend_->executeImmediate(text) : notConnected();
}

SqlStatus Session::selectInto(SqlText text, HostVars in, HostVars out) {
  record(text, in);
  return observed(StatementOp::kSelectInto, text,
                  backend_ ? backend_->selectInto(text, in, out)
                           : notConnected());
}

SqlStatus Session::openCursor(SqlText text, HostVars in) {
  record(text, in);
  SqlStatus status = backend_ ? backend_->openCursor(text, in) : notConnected();
  if (status.failed())
    failedOpens_.insert(text.id());
  else
    failedOpens_.erase(text.id());
  return observed(StatementOp::kOpen, text, status);
}

// A cursor whose open failed fails its fetches and its close as well; the
// open's failure is the one to report.
SqlStatus Session::fetch(SqlText text, HostVars out) {
  SqlStatus status = backend_ ? backend_->fetch(text, out) : notConnected();
  if (failedOpens_.count(text.id())) return status;
  return observed(StatementOp::kFetch, text, status);
}

SqlStatus Session::closeCursor(SqlText text) {
  SqlStatus status = backend_ ? backend_->closeCursor(text) : notConnected();
  if (failedOpens_.erase(text.id())) return status;
  return observed(StatementOp::kClose, text, status);
}

SqlStatus Session::commit() {
  flush();
  shared_.forget();
  SqlStatus status = observed(StatementOp::kCommit, "commit",
                              backend_ ? backend_->commit() : notConnected());
  if (status.ok() && observer_ != nullptr) observer_->committed();
  return status;
}

const std::string& Session::lastError() const {
  return backend_ ? backend_->lastError() : connectError_;
}

SqlStatus Session::selectIntoKept(SqlText text, HostVars in, HostVars out) {
  if (backend_) {
    if (std::optional<SqlStatus> kept = kept_.find(text, in, out)) {
      record(text, in);
      return *kept;
    }
  }
  OutputCopy answer(out, true);
  SqlStatus status = selectInto(text, in, answer.vars());
  if (status.ok()) answer.keep();
  if (backend_) kept_.keep(text, in, status, answer.vars());
  return status;
}

// Where a caller does not need the status, `done` is empty.
void Session::selectIntoLater(SqlText text, HostVars in, HostVars out,
                              Done done) {
  if (!done) done = [](SqlStatus) {};
  record(text, in);
  if (!backend_) return done(observed(StatementOp::kSelectInto, text,
                                      notConnected()));
  auto deliver = [this, text, done = std::move(done)](
                     const LaterOutcome& outcome) {
    report(text, outcome);
    done(outcome.status);
  };
  shared_.read(*backend_, text, in, out, std::move(deliver));
}

void Session::rowsLater(SqlText text, HostVars in, HostVars out,
                        size_t maxRows, std::function<void()> onRow,
                        Done done) {
  if (!done) done = [](SqlStatus) {};
  record(text, in);
  if (!backend_)
    return done(observed(StatementOp::kOpen, text, notConnected()));
  backend_->rowsLater(text, in, out, maxRows, std::move(onRow),
                      [this, text, done = std::move(done)](
                          const RowsOutcome& outcome) {
                        for (const LaterOutcome& failure : outcome.failures)
                          report(text, failure);
                        done(outcome.status);
                      });
}

SqlStatus Session::writeStatus(const WriteSteps& steps,
                               const WriteOutcome& w) {
  const LaterOutcome& first = w.first;
  bool firstHandled = steps.pattern == WritePattern::kInsertElseAdd &&
                      first.status == sqlstatus::kUniqueKey;
  if (!firstHandled) report(steps.first, first);
  if (!w.second) return first.status;
  const LaterOutcome& second = *w.second;
  if (steps.pattern == WritePattern::kUpdateElseInsert &&
      first.status.failed() && second.status == sqlstatus::kUniqueKey)
    return first.status;
  report(steps.second, second);
  return second.status;
}

void Session::writeLater(const WriteSteps& steps, Done done) {
  if (!done) done = [](SqlStatus) {};
  record(steps.first, steps.firstIn);
  record(steps.second, steps.secondIn);
  wrote(steps.first);
  wrote(steps.second);
  if (!backend_) {
    LaterOutcome failure{notConnected(), StatementOp::kExecute, lastError()};
    return done(writeStatus(steps, {failure, std::nullopt}));
  }
  backend_->writeLater(steps, [this, steps, done = std::move(done)](
                                  const WriteOutcome& w) {
    done(writeStatus(steps, w));
  });
}

void Session::flush() {
  if (backend_) backend_->flush();
}

SqlStatus runAtOnce(const std::function<void(Session::Done)>& later) {
  SqlStatus status;
  later([&status](SqlStatus s) { status = s; });
  session().flush();
  return status;
}

}  // namespace ravlen
