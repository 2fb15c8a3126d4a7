// Oracle date semantics over Julian day numbers.
//
// The embedded database stores an Oracle DATE as a REAL Julian day number in
// SQLite's convention (midnight is .5, the time of day is the fraction). These
// functions implement to_date, to_char, trunc and add_months on that form.
//
// An Oracle DATE holds whole seconds, while a stored Julian day number may
// carry fractions of a second (SQLite's own julianday() keeps milliseconds).
// Every function that reads a date first takes it to the nearest second, the
// same way (secondOfJulian): a value in the last half second of a day is the
// next day's midnight for to_char, trunc and add_months alike. A value that
// is no finite number, lies before Julian day 0 or rounds into the year 10000
// fails with ORA-01841.
//
// Format elements: yyyy, mm, dd, hh24, hh, mi, ss (any case); other
// punctuation and "quoted text" stand for themselves. Failures carry the
// database's error text ("ORA-01843: not a valid month", ...).
//
// to_date ignores blanks (spaces) before and after the text, as Oracle does
// without the FX modifier; a text that is empty or all blanks gives NULL
// (Oracle's empty text is NULL). Everything else must match the format
// exactly and be a valid date: no separators the format lacks, no missing or
// extra digits, no month or day 00.
#ifndef RAVLEN_DB_SQLITE_ORACLE_DATES_H_
#define RAVLEN_DB_SQLITE_ORACLE_DATES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "db/civil_time.h"
#include "db/sqlite/date_format.h"

namespace ravlen {

struct DateResult {
  bool ok = false;
  bool null = false;  // ok, and the result is NULL
  double julian = 0;
  std::string error;  // "ORA-nnnnn: ..." when !ok
};

struct TextResult {
  bool ok = false;
  std::string text;
  std::string error;
};

double julianFromCivil(const CivilTime& t);
// Rounds to the nearest second; no range check.
CivilTime civilFromJulian(double julian);

// The stored value as whole seconds since 1970-01-01 (to the nearest
// second); false when it is outside the dates the functions take.
bool secondOfJulian(double julian, int64_t* second);
// The smallest Julian day number that rounds to `second` or later: a stored
// value x rounds to `second` or later exactly when x >= the result.
double firstJulianOfSecond(int64_t second);

// The forms with a format text read the text on each call; the forms with
// a parsed format (date_format.h) give the same results without reading it.
DateResult oracleToDate(std::string_view text, std::string_view format);
DateResult oracleToDate(std::string_view text, const DateFormat& format);
TextResult oracleToChar(double julian, std::string_view format);
TextResult oracleToChar(double julian, const DateFormat& format);
DateResult oracleTrunc(double julian);
DateResult oracleAddMonths(double julian, int64_t months);

// The machine's local date and time now, as a Julian day number.
double julianNowLocal();

}  // namespace ravlen

#endif  // RAVLEN_DB_SQLITE_ORACLE_DATES_H_
