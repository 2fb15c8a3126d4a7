// Oracle date semantics over Julian day numbers.
//
// The embedded database stores an Oracle DATE as a REAL Julian day number in
// SQLite's convention (midnight is .5, the time of day is the fraction). These
// functions implement to_date, to_char, trunc and add_months on that form.
// Format elements: yyyy, mm, dd, hh24, hh, mi, ss (any case); other
// punctuation and "quoted text" stand for themselves. Failures carry the
// database's error text ("ORA-01843: not a valid month", ...).
#ifndef RAVLEN_DB_SQLITE_ORACLE_DATES_H_
#define RAVLEN_DB_SQLITE_ORACLE_DATES_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace ravlen {

struct CivilTime {
  int year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

struct DateResult {
  bool ok = false;
  double julian = 0;
  std::string error;  // "ORA-nnnnn: ..." when !ok
};

struct TextResult {
  bool ok = false;
  std::string text;
  std::string error;
};

double julianFromCivil(const CivilTime& t);
// Rounds to the nearest second.
CivilTime civilFromJulian(double julian);
int daysInMonth(int year, int month);

DateResult oracleToDate(std::string_view text, std::string_view format);
TextResult oracleToChar(double julian, std::string_view format);
double oracleTrunc(double julian);
double oracleAddMonths(double julian, int64_t months);

// The machine's local date and time now, as a Julian day number.
double julianNowLocal();

}  // namespace ravlen

#endif  // RAVLEN_DB_SQLITE_ORACLE_DATES_H_
