// Registers the Oracle dialect functions on an embedded-database connection:
// to_date, to_char, trunc, add_months (deterministic, so expression indexes
// can use them) and ravlen_raise(code), which fails the statement with the
// database error of that number (used for ORA-01427).
//
// Date arguments must be numeric (Julian day numbers); a text or blob date is
// an error, not a silent wrong answer. NULL arguments give NULL.
#ifndef RAVLEN_DB_SQLITE_DIALECT_H_
#define RAVLEN_DB_SQLITE_DIALECT_H_

struct sqlite3;

namespace ravlen {

// Returns an SQLite result code (SQLITE_OK on success).
int registerDialect(sqlite3* db);

}  // namespace ravlen

#endif  // RAVLEN_DB_SQLITE_DIALECT_H_
