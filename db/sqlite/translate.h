// Translation of the program's Oracle statement texts into SQLite texts.
//
// The embedded database runs the statements as the program writes them; this
// module turns a text into what SQLite understands, once per statement and
// session:
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

#include "db/sql_tokens.h"

namespace ravlen {

enum class StatementKind { kQuery, kInsert, kUpdate, kDelete, kOther };

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

// Recognises "ALTER SESSION SET CURRENT_SCHEMA=NAME" (keywords in any case,
// blanks around "=" allowed). Returns false for any other statement; on true
// *name holds the text after "=" with surrounding blanks removed, which may
// still be empty or not an identifier.
bool parseSetSchema(std::string_view text, std::string* name);

// An unquoted identifier: a letter, then letters, digits, "_", "$", "#";
// at most 128 characters.
bool isPlainIdentifier(std::string_view name);

}  // namespace ravlen

#endif  // RAVLEN_DB_SQLITE_TRANSLATE_H_
