// Translation of the program's Oracle statement texts into SQLite texts.
//
// The embedded database runs the statements as the program writes them; this
// module turns a text, scanned by the shared front end (statement_scan.h),
// into what SQLite understands, once per statement and session:
//  - "select <cols> into :b0:b1, :b2 from ..." loses its into list; the
//    outputs it named are counted, each with or without indicator;
//  - every placeholder ":name" (with an optional indicator ":name:ind")
//    outside quotes becomes a numbered SQLite parameter, one per occurrence;
//  - the word sysdate becomes one extra parameter, bound to the current
//    local date and time at each execution (constant within a statement);
//  - a schema qualifier that names the current schema becomes "main";
//    qualifiers with characters SQLite does not take bare are quoted;
//  - a scalar subquery after a comparison ("=(select X from ...)") is
//    rewritten so that more than one row raises ORA-01427 instead of SQLite's
//    silent first row;
//  - a comparison of a formatted date column with a value
//    ("to_char(BchVon,'yyyymmdd')>=:b0", see date_comparison.h) becomes a
//    range of the column, "(BchVon>=ravlen_date_from('yyyymmdd','>=',?1)
//    and +BchVon<ravlen_date_until('yyyymmdd','>=',?1))", so that the plain
//    index on the column serves it (a bound that is always open is written
//    on +BchVon, which no index takes); the dialect computes the bounds
//    (dialect.h). The value's placeholders keep their numbers and appear
//    twice.
// Texts in single quotes, quoted identifiers and comments pass unchanged.
#ifndef RAVLEN_DB_SQLITE_TRANSLATE_H_
#define RAVLEN_DB_SQLITE_TRANSLATE_H_

#include <string>
#include <string_view>
#include <vector>

#include "db/statement_scan.h"

namespace ravlen {

struct Translation {
  std::string sql;
  StatementKind kind = StatementKind::kOther;
  int inputCount = 0;        // host variables the caller binds
  int sysdateParameter = 0;  // SQLite parameter number of sysdate, 0: none
  bool selectInto = false;
  // One entry per select-into output: true when it has an indicator.
  std::vector<bool> outputIndicators;
};

// `currentSchema` is the schema that unqualified names resolve to first;
// empty when none is set. Schema names compare case-insensitively.
Translation translateStatement(std::string_view text,
                               std::string_view currentSchema);

}  // namespace ravlen

#endif  // RAVLEN_DB_SQLITE_TRANSLATE_H_
