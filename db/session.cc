#include "db/session.h"

namespace ravlen {

Session& session() {
  static Session instance;
  return instance;
}

SqlStatus Session::connect(std::string_view connectText) {
  backend_.reset();
  connectError_.clear();
  SqlStatus status;
  backend_ = openBackend(connectText, &status, &connectError_);
  return status;
}

void Session::disconnect() { backend_.reset(); }

SqlStatus Session::notConnected() {
  connectError_ = "ORA-03114: not connected to ORACLE";
  return sqlstatus::kNotConnected;
}

void Session::record(SqlText text) {
  if (recordedIds_.insert(text.id()).second) recorded_.push_back(text.view());
}

SqlStatus Session::observed(StatementOp op, SqlText text, SqlStatus status) {
  if (recording_) record(text);
  if (status.failed() && observer_ != nullptr)
    observer_->failed(op, text.view(), text.id(), status, lastError());
  return status;
}

SqlStatus Session::execute(SqlText text, HostVars in, Expect expect) {
  if (recording_) record(text);
  SqlStatus status = backend_ ? backend_->execute(text, in) : notConnected();
  bool handled = expect == Expect::kAnyFailure ||
                 (expect == Expect::kUniqueKey &&
                  status.code() == sqlstatus::kUniqueKey.code());
  return handled ? status : observed(StatementOp::kExecute, text, status);
}

SqlStatus Session::executeImmediate(std::string_view text) {
  return backend_ ? backend_->executeImmediate(text) : notConnected();
}

SqlStatus Session::selectInto(SqlText text, HostVars in, HostVars out) {
  return observed(StatementOp::kSelectInto, text,
                  backend_ ? backend_->selectInto(text, in, out)
                           : notConnected());
}

SqlStatus Session::openCursor(SqlText text, HostVars in) {
  return observed(StatementOp::kOpen, text,
                  backend_ ? backend_->openCursor(text, in) : notConnected());
}

SqlStatus Session::fetch(SqlText text, HostVars out) {
  return observed(StatementOp::kFetch, text,
                  backend_ ? backend_->fetch(text, out) : notConnected());
}

SqlStatus Session::closeCursor(SqlText text) {
  return observed(StatementOp::kClose, text,
                  backend_ ? backend_->closeCursor(text) : notConnected());
}

SqlStatus Session::commit() {
  return observed(StatementOp::kCommit, "commit",
                  backend_ ? backend_->commit() : notConnected());
}

const std::string& Session::lastError() const {
  return backend_ ? backend_->lastError() : connectError_;
}

}  // namespace ravlen
