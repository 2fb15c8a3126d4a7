// Comparisons of a formatted date column with a value that does not depend
// on the row, found in a statement text, so that a backend's translation
// can turn each into a range condition on the column itself, which the
// plain index on the column serves (the range: date_text_range.h).
//
// Recognised, with the operands in either order:
//     to_char(COLUMN, 'FORMAT') OP VALUE
//  - COLUMN a column reference: a name, optionally qualified ("t.BchVon");
//  - FORMAT an ordered format (isOrderedDateFormat: 'yyyymmdd', 'yyyymm',
//    'yyyy', ...);
//  - OP one of = < <= > >= (<> and != would select two ranges);
//  - VALUE a placeholder (an indicator after it allowed), a text or number
//    constant, or a call of a pure function whose arguments are again
//    placeholders, constants and such calls ("substr(:b4,1,6)").
// The comparison must stand on its own as a condition, so that no operator
// that binds more tightly (||, +, collate, between, ...) takes one of its
// operands: before it the start of the text, "(", or one of where, and, or,
// not, on, when, having (not the "and" of a between, not "is not"); after
// it the end of the text, ")", or one of and, or, group, order, having,
// limit, union, intersect, except, minus, then, else, end, when.
// Everything else is left as written: it still selects the right rows,
// only without the rewrite.
//
// The rewrite of a comparison: COLUMN >= <from> and COLUMN < <until>, the
// bounds computed from FORMAT, OP and the value's result (see
// date_text_range.h for which bounds an operator needs, NULL and the
// rounding to the second). The value must be evaluated once and give both
// bounds, so that its placeholders keep their numbers.
#ifndef RAVLEN_DB_DATE_COMPARISON_H_
#define RAVLEN_DB_DATE_COMPARISON_H_

#include <cstddef>
#include <string_view>
#include <vector>

#include "db/date_text_range.h"
#include "db/sql_tokens.h"

namespace ravlen {

// Token ranges [begin, end) into the tokens that were searched.
struct DateComparison {
  size_t begin = 0, end = 0;              // the whole comparison
  size_t columnBegin = 0, columnEnd = 0;  // the column reference
  size_t valueBegin = 0, valueEnd = 0;    // the compared value
  std::string_view format;                // without its quotes
  DateCompare op = DateCompare::kEq;      // read with to_char(...) on the left
};

// Every comparison of `tokens` (see tokenizeSql), in text order; they never
// overlap.
std::vector<DateComparison> findDateComparisons(
    const std::vector<SqlToken>& tokens);

}  // namespace ravlen

#endif  // RAVLEN_DB_DATE_COMPARISON_H_
