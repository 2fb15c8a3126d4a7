// The bounds of the server's range conditions for formatted-date
// comparisons, computed by the client.
//
// The server translation (pg_translate.h) turns "to_char(D,'yyyymmdd')>=:b0"
// into "(D>=$m and D<$n)", so that the plain index on D serves it. $m and
// $n are parameters of type timestamp that the client binds at every
// execution from the compared value, as the server itself would read it:
//  - a placeholder: the text of its host variable (an empty text is NULL;
//    a number, which the program never compares so, as its decimal text);
//  - substr(placeholder, start[, length]) with integer constants (a length
//    not negative, where the server would fail): the server's own substr (pg_catalog, which comes before orafce's in the
//    search path): characters, not bytes; a start below 1 counts the
//    positions before the first character; a length of 0 gives the empty
//    text, which is no NULL on the server.
// A constant text needs no parameters: its bounds are written as timestamp
// literals. Any other value stays as written.
//
// The server stores a DATE as timestamp(0), whole seconds, and its to_char
// cuts fractions of a second rather than rounding; a bound at whole second
// S selects exactly the values whose text is that of S or later either way.
// A NULL value gives NULL bounds, so the condition is NULL as the
// comparison would be (also under NOT); open ends are -infinity and
// infinity. Stored values before the year 1 or after 9999 are outside the
// range that date_text_range.h describes: the rewrite counts them below or
// above every bound, where to_char would print a year of its own.
#ifndef RAVLEN_DB_POSTGRESQL_PG_DATE_BOUNDS_H_
#define RAVLEN_DB_POSTGRESQL_PG_DATE_BOUNDS_H_

#include <optional>
#include <string>
#include <string_view>

#include "db/date_text_range.h"

namespace ravlen {

// One rewritten comparison whose value the client evaluates.
struct PgDateBound {
  std::string format;  // an ordered format, as the statement wrote it
  DateCompare op = DateCompare::kEq;  // read with to_char(...) on the left
  int input = 0;  // the host variable (from 0) that holds the value
  // substr(value, start[, length]) around the host variable.
  bool substr = false;
  int start = 1;
  std::optional<int> length;
  int fromParameter = 0, untilParameter = 0;  // $m and $n
};

// A timestamp literal's text for `bound`: "-infinity", "infinity" or
// "yyyy-mm-dd hh:mi:ss".
std::string timestampText(const SecondBound& bound);

// The compared value of `bound` made from its host variable's text
// (nullopt: NULL).
std::optional<std::string> comparedValue(const PgDateBound& bound,
                                         std::optional<std::string_view> text);

// The server's substr(text, start[, length]) on a UTF-8 text (length not
// negative).
std::string serverSubstr(std::string_view text, int start,
                         std::optional<int> length);

}  // namespace ravlen

#endif  // RAVLEN_DB_POSTGRESQL_PG_DATE_BOUNDS_H_
