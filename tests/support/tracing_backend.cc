#include "tests/support/tracing_backend.h"

#include "run/run_report.h"

namespace ravlen::testing {

SqlStatus TracingBackend::execute(SqlText text, HostVars in) {
  trace_->push_back(describeStatement(StatementOp::kExecute, text.view()));
  return inner_->execute(text, in);
}

SqlStatus TracingBackend::executeImmediate(std::string_view text) {
  trace_->push_back(std::string(text));
  return inner_->executeImmediate(text);
}

SqlStatus TracingBackend::selectInto(SqlText text, HostVars in, HostVars out) {
  trace_->push_back(describeStatement(StatementOp::kSelectInto, text.view()));
  return inner_->selectInto(text, in, out);
}

SqlStatus TracingBackend::openCursor(SqlText text, HostVars in) {
  trace_->push_back(describeStatement(StatementOp::kOpen, text.view()));
  return inner_->openCursor(text, in);
}

SqlStatus TracingBackend::fetch(SqlText text, HostVars out) {
  return inner_->fetch(text, out);  // too many to note; the open tells
}

SqlStatus TracingBackend::closeCursor(SqlText text) {
  trace_->push_back(describeStatement(StatementOp::kClose, text.view()));
  return inner_->closeCursor(text);
}

SqlStatus TracingBackend::commit() {
  trace_->push_back("commit");
  return inner_->commit();
}

}  // namespace ravlen::testing
