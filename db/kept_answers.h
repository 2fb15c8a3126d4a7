// KeptAnswers: the answers of lookups on small code and calendar tables,
// kept for the length of a session (Session::selectIntoKept).
//
// An answer is the status (0 or 1403; failures are never kept) and, for
// 0, each output column's value or NULL, per statement text and input
// values. find() stores a kept answer into the outputs as the statement
// would: a NULL column leaves its output unchanged and sets its indicator
// to -1. A change by another session to a table after its answers were
// kept is not seen until the session ends; a write of this session to a
// table drops the answers of every statement whose text names it.
#ifndef RAVLEN_DB_KEPT_ANSWERS_H_
#define RAVLEN_DB_KEPT_ANSWERS_H_

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "db/host_var.h"
#include "db/sql_text.h"
#include "db/status.h"

namespace ravlen {

// The values of input host variables as one key: each variable's kind and
// value (a text up to its terminator), so that different values never meet.
std::string inputKey(HostVars in);

class KeptAnswers {
 public:
  // The kept status of `text` with `in`, its outputs stored into `out`;
  // nullopt when there is none.
  std::optional<SqlStatus> find(SqlText text, HostVars in, HostVars out);
  // Keeps `status` and, for 0, the outputs as stored in `stored`, whose
  // every variable has an indicator.
  void keep(SqlText text, HostVars in, SqlStatus status, HostVars stored);
  // Drops the answers of the statements that name `table` (lower case).
  void written(const std::string& table);
  void clear() {
    statements_.clear();
    words_.clear();
  }

 private:
  struct Column {
    bool null = false;
    std::string bytes;
  };
  struct Answer {
    SqlStatus status;
    std::vector<Column> columns;
  };
  struct Statement {
    std::vector<std::string> words;
    std::unordered_map<std::string, Answer> answers;  // by input values
  };

  std::unordered_map<const void*, Statement> statements_;
  // Every word of every kept statement: a write to a table that none
  // names (nearly every write of a run) is dismissed with one lookup.
  std::unordered_set<std::string> words_;
};

}  // namespace ravlen

#endif  // RAVLEN_DB_KEPT_ANSWERS_H_
