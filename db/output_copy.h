// OutputCopy: private copies of a statement's output host variables, so
// that a row is stored whole or not at all.
//
// The copies start with the values the outputs hold (a NULL column then
// leaves a copy, and so the output, as it was). A statement stores into
// vars(); keep() then moves the copies' values, and the indicators where
// the outputs have them, into the outputs. Without keep() the outputs stay
// untouched, whatever the statement stored before it failed. With
// `indicateAll` every copy has an indicator, which tells NULLs apart even
// where an output has none.
#ifndef RAVLEN_DB_OUTPUT_COPY_H_
#define RAVLEN_DB_OUTPUT_COPY_H_

#include <cstdint>
#include <vector>

#include "db/host_var.h"

namespace ravlen {

class OutputCopy {
 public:
  OutputCopy() = default;
  explicit OutputCopy(HostVars out, bool indicateAll = false) {
    assign(out, indicateAll);
  }
  // Starts again on `out`, reusing the memory of earlier copies: for the
  // copy that each statement run at once needs.
  void assign(HostVars out, bool indicateAll = false);
  OutputCopy(const OutputCopy&) = delete;
  OutputCopy& operator=(const OutputCopy&) = delete;

  HostVars vars() const { return std::span<const HostVar>(vars_); }
  void keep() const;
  // Whether `other` has the outputs' layout (kinds and sizes), so that
  // keepInto can fill it.
  bool fits(HostVars other) const;
  // keep() into `other` instead, leaving those of its variables alone
  // whose column was NULL (indicateAll).
  void keepInto(HostVars other) const;

 private:
  std::vector<HostVar> outs_;
  std::vector<HostVar> vars_;
  std::vector<uint64_t> buffer_;  // 8-byte slots: aligned for numbers
  std::vector<int16_t> indicators_;
};

}  // namespace ravlen

#endif  // RAVLEN_DB_OUTPUT_COPY_H_
