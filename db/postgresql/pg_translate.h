// Translation of the program's Oracle statement texts into PostgreSQL
// texts, once per statement and session, on the shared front end
// (statement_scan.h):
//  - "select <cols> into :b0:b1, :b2 from ..." loses its into list (the
//    outputs are counted, each with or without indicator) and gains
//    " limit 2", which is all a select-into needs to tell one row from
//    several;
//  - every input placeholder ":name" becomes its own parameter "$n", one per
//    occurrence in text order; an indicator after an input (":b0:b1") is
//    dropped;
//  - the word sysdate becomes one more parameter, bound by the client to
//    the program's local date and time at each execution;
//  - the format literal of to_char(x,'fmt') and to_date(x,'fmt') is given
//    in upper case (outside "quoted text"), the form in which PostgreSQL
//    reads every element as Oracle does ('HH24MiSS' would print minutes as
//    "M" and the month);
//  - a word with "#", which PostgreSQL takes only quoted, is quoted in
//    lower case, the case that unquoted names fold to.
//  - a comparison of a formatted date column with a value
//    ("to_char(BchVon,'yyyymmdd')>=:b0", see date_comparison.h) becomes a
//    range of the column, "(BchVon>=$m and BchVon<$n)", so that the plain
//    index on the column serves it: $m and $n are parameters after the
//    inputs and sysdate that the client computes from the value at each
//    execution (pg_date_bounds.h); a constant text gets timestamp literals
//    instead. The value's own placeholders keep their numbers, bound but no
//    longer named in the text. A value that the client does not evaluate
//    stays as written: still the right rows, only without the index.
// Texts in single quotes, quoted identifiers and comments pass unchanged.
// Scalar subqueries need nothing: the server itself fails one that yields
// several rows.
#ifndef RAVLEN_DB_POSTGRESQL_PG_TRANSLATE_H_
#define RAVLEN_DB_POSTGRESQL_PG_TRANSLATE_H_

#include <string>
#include <string_view>
#include <vector>

#include "db/postgresql/pg_date_bounds.h"
#include "db/statement_scan.h"

namespace ravlen {

struct PgTranslation {
  std::string sql;
  StatementKind kind = StatementKind::kOther;
  int inputCount = 0;        // host variables the caller binds: $1..$n
  int sysdateParameter = 0;  // parameter number of sysdate, 0: none
  bool selectInto = false;
  // One entry per select-into output: true when it has an indicator.
  std::vector<bool> outputIndicators;
  // The range conditions whose bounds the client binds, in text order.
  std::vector<PgDateBound> dateBounds;
  // All parameters: inputs, sysdate and the bounds.
  int parameterCount() const {
    return inputCount + (sysdateParameter > 0 ? 1 : 0) +
           2 * static_cast<int>(dateBounds.size());
  }
};

// `rewriteDates` false leaves the formatted-date comparisons as written
// (for tests that compare both forms).
PgTranslation translateForPostgresql(std::string_view text,
                                     bool rewriteDates = true);

}  // namespace ravlen

#endif  // RAVLEN_DB_POSTGRESQL_PG_TRANSLATE_H_
