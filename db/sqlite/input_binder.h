// InputBinder: binds a prepared statement's host variables to its
// parameters and remembers what each parameter holds, so that an execution
// binds only the parameters whose value changed since the last one.
//
// A parameter is left as it is only when it holds exactly the value that a
// bind would give it: the same kind and, for a text, the same bytes and a
// binding that still reads them (a copy that SQLite holds, or the very host
// variable when the text is read in place); integers and doubles compare by
// their bits. The statement then runs exactly as after a fresh bind. An
// empty text binds as NULL.
#ifndef RAVLEN_DB_SQLITE_INPUT_BINDER_H_
#define RAVLEN_DB_SQLITE_INPUT_BINDER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "db/host_var.h"

struct sqlite3_stmt;

namespace ravlen {

class InputBinder {
 public:
  // How SQLite takes a text: a copy of its own (a cursor's fetches outlive
  // the call that opened it) or the host variable in place (a statement
  // that runs to its end within the call).
  enum class Texts { kCopy, kInPlace };

  // Binds `v` to parameter `param` (from 1) unless it holds that value
  // already; returns the SQLite result code.
  int bind(sqlite3_stmt* stmt, int param, const HostVar& v, Texts texts);

 private:
  struct Held {
    enum class Kind : uint8_t { kUnknown, kNull, kText, kInt, kDouble };
    Kind kind = Kind::kUnknown;
    bool copied = false;              // kText: SQLite holds a copy
    const void* address = nullptr;    // kText read in place: where
    std::string text;                 // kText: the bytes bound
    uint64_t bits = 0;                // kInt value, kDouble bits
  };

  // Binds a text, or NULL for an empty one, unless `h` holds it already.
  static int bindText(sqlite3_stmt* stmt, int param, const HostVar& v,
                      Texts texts, Held* h);

  std::vector<Held> held_;
};

}  // namespace ravlen

#endif  // RAVLEN_DB_SQLITE_INPUT_BINDER_H_
