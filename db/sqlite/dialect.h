// Registers the Oracle dialect functions on an embedded-database connection:
// to_date, to_char, trunc, add_months (see oracle_dates.h), the bounds
// ravlen_date_from and ravlen_date_until of the translation's range
// conditions, and ravlen_raise(code), which fails the statement with the
// database error of that number (used for ORA-01427). All but ravlen_raise
// are deterministic. The functions that take a format read each distinct
// format text once per connection (date_format.h).
//
// Date arguments must be numeric (Julian day numbers); a text or blob date is
// an error, not a silent wrong answer. NULL arguments give NULL.
//
// ravlen_date_from(format, op, value) and ravlen_date_until(format, op,
// value): "to_char(D, format) op value" holds exactly for the stored dates D
// with from <= D < until (format an ordered format, op one of = < <= > >=;
// see date_text_range.h). The bounds are the exact Julian day numbers at
// which the rounding to the second changes, -Inf or +Inf for an open end. A
// value that is no text compares as SQLite compares it with a text: a number
// below every text, a blob above.
#ifndef RAVLEN_DB_SQLITE_DIALECT_H_
#define RAVLEN_DB_SQLITE_DIALECT_H_

struct sqlite3;

namespace ravlen {

// Returns an SQLite result code (SQLITE_OK on success).
int registerDialect(sqlite3* db);

}  // namespace ravlen

#endif  // RAVLEN_DB_SQLITE_DIALECT_H_
