#include "db/session.h"

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
  return std::move(backend_);
}

void Session::disconnect() {
  backend_.reset();
  failedOpens_.clear();
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

SqlStatus Session::observed(StatementOp op, SqlText text, SqlStatus status) {
  if (status.failed() && observer_ != nullptr)
    observer_->failed(op, text.view(), text.id(), status, lastError());
  return status;
}

SqlStatus Session::execute(SqlText text, HostVars in, Expect expect) {
  record(text, in);
  SqlStatus status = backend_ ? backend_->execute(text, in) : notConnected();
  bool handled = expect == Expect::kUniqueKey &&
                 status.code() == sqlstatus::kUniqueKey.code();
  return handled ? status : observed(StatementOp::kExecute, text, status);
}

SqlStatus Session::executeImmediate(std::string_view text) {
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
  SqlStatus status = observed(StatementOp::kCommit, "commit",
                              backend_ ? backend_->commit() : notConnected());
  if (status.ok() && observer_ != nullptr) observer_->committed();
  return status;
}

const std::string& Session::lastError() const {
  return backend_ ? backend_->lastError() : connectError_;
}

}  // namespace ravlen
