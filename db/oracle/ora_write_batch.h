// OraWriteBatch: writers' pairs (Backend::writeLater) that the Oracle
// backend holds, to send them as array DML.
//
// A batch holds consecutive pairs of one pattern and the same two texts,
// with inputs of the same kinds, at most kMostRows of them: each pair is
// one row of each step's arrays, its inputs copied when it is added. run()
// executes the first step once over all rows, then the second step once
// over exactly the rows whose first outcome calls for it (secondStepRuns),
// then gives each pair's callback the outcomes of its steps, in the order
// the pairs were added.
//
// Within a batch every first step runs before any second step. So that the
// rows left are still those of the pairs run in turn, no two pairs of a
// batch may change the same row: a pair joins only with a key
// (write_pair_key.h) that is new to the batch; a pair without a key is a
// batch of its own.
#ifndef RAVLEN_DB_ORACLE_ORA_WRITE_BATCH_H_
#define RAVLEN_DB_ORACLE_ORA_WRITE_BATCH_H_

#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "db/backend.h"
#include "db/oracle/ora_buffers.h"

namespace ravlen {

class OraWriteBatch {
 public:
  static constexpr size_t kMostRows = 128;
  using Done = std::function<void(const WriteOutcome&)>;
  // One array execution of `text` over `rows`: each row's outcome.
  using Execute =
      std::function<std::vector<LaterOutcome>(SqlText text, OraInputs& rows)>;

  bool empty() const { return done_.empty(); }
  // Whether the pair may join (an empty batch takes any pair).
  bool accepts(const WriteSteps& steps,
               const std::optional<std::string>& key) const;
  void add(const WriteSteps& steps, std::optional<std::string> key,
           Done done);
  // No pair may join any more.
  bool full() const { return closed_ || done_.size() == kMostRows; }
  void run(const Execute& execute);

 private:
  WritePattern pattern_ = WritePattern::kUpdateElseInsert;
  std::optional<SqlText> first_, second_;
  std::vector<HostKind> kinds_;  // of the first pair's inputs, both steps
  OraInputs firstRows_, secondRows_;
  std::unordered_set<std::string> keys_;
  std::vector<Done> done_;
  bool closed_ = false;
};

}  // namespace ravlen

#endif  // RAVLEN_DB_ORACLE_ORA_WRITE_BATCH_H_
