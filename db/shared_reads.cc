#include "db/shared_reads.h"

#include "db/kept_answers.h"
#include "db/statement_scan.h"

namespace ravlen {

namespace {

std::string keyOf(SqlText text, HostVars in) {
  const void* id = text.id();
  return std::string(reinterpret_cast<const char*>(&id), sizeof id) +
         inputKey(in);
}

}  // namespace

SharedReads::Text& SharedReads::textOf(SqlText text) {
  auto it = texts_.find(text.id());
  if (it == texts_.end()) {
    Text t;
    t.readsClock = scanStatement(text.view()).usesSysdate;
    it = texts_.emplace(text.id(), t).first;
  }
  return it->second;
}

void SharedReads::hand(const Read& read, HostVars out,
                       const Deliver& deliver) {
  if (read.outcome.status.ok()) read.answer->keepInto(out);
  deliver(read.outcome);
}

// The read of `key` that `out` can take its answer from, joined; false
// when there is none.
bool SharedReads::join(const std::string& key, HostVars out,
                       Deliver& deliver) {
  auto it = reads_.find(key);
  if (it == reads_.end() || !it->second->answer->fits(out)) return false;
  Read& read = *it->second;
  if (read.known)
    hand(read, out, deliver);
  else
    read.waiting.push_back({{out.begin(), out.end()}, std::move(deliver)});
  return true;
}

void SharedReads::read(Backend& backend, SqlText text, HostVars in,
                       HostVars out, Deliver deliver) {
  Text& t = textOf(text);
  if (t.readsClock || (!t.twins && t.reads >= kTrialReads))
    return backend.selectIntoLater(text, in, out, std::move(deliver));
  ++t.reads;
  std::string key = keyOf(text, in);
  if (join(key, out, deliver)) {
    t.twins = true;
    return;
  }
  auto read = std::make_shared<Read>();
  read->answer = std::make_unique<OutputCopy>(out, true);
  reads_[std::move(key)] = read;
  read->waiting.push_back({{out.begin(), out.end()}, std::move(deliver)});
  backend.selectIntoLater(text, in, read->answer->vars(),
                          [read](const LaterOutcome& outcome) {
                            read->known = true;
                            read->outcome = outcome;
                            for (const Waiting& w : read->waiting)
                              hand(*read, std::span<const HostVar>(w.out),
                                   w.deliver);
                            read->waiting.clear();
                          });
}

}  // namespace ravlen
