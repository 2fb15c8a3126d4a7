// SharedReads: identical lookups that the session hands over with no write
// of its own between them get one answer (Session::selectIntoLater).
//
// While the session writes nothing, a lookup of the same text with the
// same inputs answers the same wherever among the session's other reads it
// runs: reads do not change what reads see, so moving one next to its
// twin changes no outcome. The second and later of such lookups therefore
// take the first one's answer (status, outputs, and the failure report,
// which each of them makes again) instead of asking the database: a block
// of rows asks once per person for what depends only on the person. A
// write of the session, a commit and the end of the session end the
// sharing; a text that reads the clock (sysdate) is never shared.
//
// Keeping an answer for twins costs a copy of it and its key. A text whose
// first kTrialReads lookups found no twin (a lookup per person and day)
// goes to the backend directly from then on; the answers are the same
// either way, only the work differs.
#ifndef RAVLEN_DB_SHARED_READS_H_
#define RAVLEN_DB_SHARED_READS_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "db/backend.h"
#include "db/output_copy.h"

namespace ravlen {

class SharedReads {
 public:
  // Where an answer goes: the caller's outputs, changed on status 0 only,
  // and its callback.
  using Deliver = std::function<void(const LaterOutcome&)>;

  // Stores into `out` the answer of an identical earlier lookup of `text`
  // with `in`, then calls `deliver` (now or when that answer comes); where
  // there is none, asks `backend`, so that later twins can join this one.
  void read(Backend& backend, SqlText text, HostVars in, HostVars out,
            Deliver deliver);
  // Clearing an empty table would still wipe all its buckets: a run
  // forgets after every write.
  void forget() {
    if (!reads_.empty()) reads_.clear();
  }

 private:
  struct Waiting {
    std::vector<HostVar> out;
    Deliver deliver;
  };
  struct Read {
    bool known = false;
    LaterOutcome outcome;
    std::unique_ptr<OutputCopy> answer;
    std::vector<Waiting> waiting;
  };

  // What the session knows of a text.
  struct Text {
    bool readsClock = false;
    uint32_t reads = 0;  // lookups handed over while sharing was tried
    bool twins = false;  // whether one of them found a twin
  };
  static constexpr uint32_t kTrialReads = 64;

  static void hand(const Read& read, HostVars out, const Deliver& deliver);
  bool join(const std::string& key, HostVars out, Deliver& deliver);
  Text& textOf(SqlText text);

  std::unordered_map<std::string, std::shared_ptr<Read>> reads_;
  std::unordered_map<const void*, Text> texts_;
};

}  // namespace ravlen

#endif  // RAVLEN_DB_SHARED_READS_H_
