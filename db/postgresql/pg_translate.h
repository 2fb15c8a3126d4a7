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
// Texts in single quotes, quoted identifiers and comments pass unchanged.
// Scalar subqueries need nothing: the server itself fails one that yields
// several rows.
//
// Every token goes through PgEmitter::emitOne, the one place where a
// recognised comparison would be replaced by other text.
#ifndef RAVLEN_DB_POSTGRESQL_PG_TRANSLATE_H_
#define RAVLEN_DB_POSTGRESQL_PG_TRANSLATE_H_

#include <string>
#include <string_view>
#include <vector>

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
};

PgTranslation translateForPostgresql(std::string_view text);

}  // namespace ravlen

#endif  // RAVLEN_DB_POSTGRESQL_PG_TRANSLATE_H_
