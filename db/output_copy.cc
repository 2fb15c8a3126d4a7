#include "db/output_copy.h"

#include <cstring>

namespace ravlen {

namespace {

size_t slots(uint32_t bytes) { return (bytes + 7) / 8; }

}  // namespace

void OutputCopy::assign(HostVars out, bool indicateAll) {
  outs_.assign(out.begin(), out.end());
  indicators_.assign(out.size(), 0);
  size_t total = 0;
  for (const HostVar& v : out) total += slots(v.bufferSize);
  buffer_.assign(total, 0);
  vars_.clear();
  size_t at = 0;
  for (size_t i = 0; i < outs_.size(); ++i) {
    HostVar copy = outs_[i];
    copy.address = buffer_.data() + at;
    std::memcpy(copy.address, outs_[i].address, copy.bufferSize);
    if (copy.indicator || indicateAll) copy.indicator = &indicators_[i];
    vars_.push_back(copy);
    at += slots(copy.bufferSize);
  }
}

void OutputCopy::keep() const {
  for (size_t i = 0; i < outs_.size(); ++i) {
    std::memcpy(outs_[i].address, vars_[i].address, outs_[i].bufferSize);
    if (outs_[i].indicator) *outs_[i].indicator = indicators_[i];
  }
}

}  // namespace ravlen

namespace ravlen {

bool OutputCopy::fits(HostVars other) const {
  if (other.size() != vars_.size()) return false;
  for (size_t i = 0; i < vars_.size(); ++i) {
    if (other[i].kind != vars_[i].kind ||
        other[i].bufferSize != vars_[i].bufferSize)
      return false;
  }
  return true;
}

void OutputCopy::keepInto(HostVars other) const {
  for (size_t i = 0; i < vars_.size(); ++i) {
    bool null = vars_[i].indicator && *vars_[i].indicator == -1;
    if (other[i].indicator) *other[i].indicator = null ? -1 : 0;
    if (!null)
      std::memcpy(other[i].address, vars_[i].address, other[i].bufferSize);
  }
}

}  // namespace ravlen
