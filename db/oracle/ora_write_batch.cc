#include "db/oracle/ora_write_batch.h"

namespace ravlen {

namespace {

// Whether `in` continues `kinds` from `at` on, one kind per input.
bool sameKinds(HostVars in, const std::vector<HostKind>& kinds, size_t at) {
  if (at + in.size() > kinds.size()) return false;
  for (const HostVar& v : in) {
    if (v.kind != kinds[at++]) return false;
  }
  return true;
}

}  // namespace

bool OraWriteBatch::accepts(const WriteSteps& steps,
                            const std::optional<std::string>& key) const {
  if (empty()) return true;
  return !full() && key && !keys_.contains(*key) &&
         steps.pattern == pattern_ && steps.first.id() == first_->id() &&
         steps.second.id() == second_->id() &&
         steps.firstIn.size() + steps.secondIn.size() == kinds_.size() &&
         sameKinds(steps.firstIn, kinds_, 0) &&
         sameKinds(steps.secondIn, kinds_, steps.firstIn.size());
}

void OraWriteBatch::add(const WriteSteps& steps,
                        std::optional<std::string> key, Done done) {
  if (empty()) {
    pattern_ = steps.pattern;
    first_ = steps.first;
    second_ = steps.second;
    for (HostVars in : {steps.firstIn, steps.secondIn})
      for (const HostVar& v : in) kinds_.push_back(v.kind);
  }
  firstRows_.addRow(steps.firstIn);
  secondRows_.addRow(steps.secondIn);
  if (key)
    keys_.insert(std::move(*key));
  else
    closed_ = true;
  done_.push_back(std::move(done));
}

void OraWriteBatch::run(const Execute& execute) {
  std::vector<LaterOutcome> first = execute(*first_, firstRows_);
  OraInputs again;
  std::vector<size_t> rows;
  for (size_t row = 0; row < first.size(); ++row) {
    if (!secondStepRuns(pattern_, first[row].status)) continue;
    rows.push_back(row);
    again.addRowOf(secondRows_, row);
  }
  std::vector<std::optional<LaterOutcome>> second(first.size());
  if (!rows.empty()) {
    std::vector<LaterOutcome> outcomes = execute(*second_, again);
    for (size_t i = 0; i < rows.size(); ++i)
      second[rows[i]] = std::move(outcomes[i]);
  }
  for (size_t row = 0; row < first.size(); ++row)
    done_[row](WriteOutcome{std::move(first[row]), std::move(second[row])});
}

}  // namespace ravlen
