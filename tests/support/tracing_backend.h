// Test support: a backend that passes every call on to another one and
// notes it, so that a test can check the order of a run's statements and
// commits (for example that each stage commits where it must).
#ifndef RAVLEN_TESTS_SUPPORT_TRACING_BACKEND_H_
#define RAVLEN_TESTS_SUPPORT_TRACING_BACKEND_H_

#include <memory>
#include <string>
#include <vector>

#include "db/backend.h"

namespace ravlen::testing {

class TracingBackend : public Backend {
 public:
  // Each call as one entry: "commit", or the operation and table as the
  // run report names them ("beim Oeffnen des Cursors auf Zev321Bch", ...).
  using Trace = std::vector<std::string>;

  TracingBackend(std::unique_ptr<Backend> inner, Trace* trace)
      : inner_(std::move(inner)), trace_(trace) {}

  SqlStatus execute(SqlText text, HostVars in) override;
  SqlStatus executeImmediate(std::string_view text) override;
  SqlStatus selectInto(SqlText text, HostVars in, HostVars out) override;
  SqlStatus openCursor(SqlText text, HostVars in) override;
  SqlStatus fetch(SqlText text, HostVars out) override;
  SqlStatus closeCursor(SqlText text) override;
  SqlStatus commit() override;
  const std::string& lastError() const override { return inner_->lastError(); }

 private:
  std::unique_ptr<Backend> inner_;
  Trace* trace_;
};

}  // namespace ravlen::testing

#endif  // RAVLEN_TESTS_SUPPORT_TRACING_BACKEND_H_
