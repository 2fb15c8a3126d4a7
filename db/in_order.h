// InOrder: callbacks of operations that complete in any order, called in
// the order in which the operations were handed over.
//
// slot(i, done) wraps the callback of operation i (0 .. n-1): when it is
// called, its outcome is kept until the callbacks of operations 0 .. i-1
// have run, and then it runs, followed by every later one whose outcome is
// already there. A callback may hand over further operations; each slot
// must be completed exactly once.
#ifndef RAVLEN_DB_IN_ORDER_H_
#define RAVLEN_DB_IN_ORDER_H_

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace ravlen {

template <typename Outcome>
class InOrder : public std::enable_shared_from_this<InOrder<Outcome>> {
 public:
  using Done = std::function<void(const Outcome&)>;

  explicit InOrder(size_t n) : done_(n), outcomes_(n) {}

  Done slot(size_t i, Done done) {
    done_[i] = std::move(done);
    return [self = this->shared_from_this(), i](const Outcome& o) {
      self->arrive(i, o);
    };
  }

 private:
  void arrive(size_t i, const Outcome& o) {
    outcomes_[i] = o;
    while (next_ < outcomes_.size() && outcomes_[next_]) {
      size_t k = next_++;
      Done done = std::move(done_[k]);
      done(*outcomes_[k]);
    }
  }

  std::vector<Done> done_;
  std::vector<std::optional<Outcome>> outcomes_;
  size_t next_ = 0;
};

}  // namespace ravlen

#endif  // RAVLEN_DB_IN_ORDER_H_
