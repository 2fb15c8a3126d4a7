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

SqlStatus Session::execute(SqlText text, HostVars in) {
  return backend_ ? backend_->execute(text, in) : notConnected();
}

SqlStatus Session::executeImmediate(std::string_view text) {
  return backend_ ? backend_->executeImmediate(text) : notConnected();
}

SqlStatus Session::selectInto(SqlText text, HostVars in, HostVars out) {
  return backend_ ? backend_->selectInto(text, in, out) : notConnected();
}

SqlStatus Session::openCursor(SqlText text, HostVars in) {
  return backend_ ? backend_->openCursor(text, in) : notConnected();
}

SqlStatus Session::fetch(SqlText text, HostVars out) {
  return backend_ ? backend_->fetch(text, out) : notConnected();
}

SqlStatus Session::closeCursor(SqlText text) {
  return backend_ ? backend_->closeCursor(text) : notConnected();
}

SqlStatus Session::commit() {
  return backend_ ? backend_->commit() : notConnected();
}

const std::string& Session::lastError() const {
  return backend_ ? backend_->lastError() : connectError_;
}

}  // namespace ravlen
