// Civil dates and times: the proleptic Gregorian calendar without time
// zone, counted in whole seconds from 1970-01-01 00:00:00.
//
// Backend-neutral arithmetic that both the embedded database's dialect and
// the statement translation build on. Years may be any int; the callers
// keep them within 1..9999 where a text form of four digits matters.
#ifndef RAVLEN_DB_CIVIL_TIME_H_
#define RAVLEN_DB_CIVIL_TIME_H_

#include <cstdint>

namespace ravlen {

struct CivilTime {
  int year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

inline constexpr int64_t kSecondsPerDay = 86400;

int daysInMonth(int year, int month);

// Days since 1970-01-01 of a date, and back (only year, month and day of
// *t are set; the time of day is left as it is).
int64_t daysFromCivil(int64_t year, int month, int day);
void civilFromDays(int64_t days, CivilTime* t);

// Seconds since 1970-01-01 00:00:00 of a date and time, and back.
int64_t secondsFromCivil(const CivilTime& t);
CivilTime civilFromSeconds(int64_t seconds);

// a / b rounded towards minus infinity (b > 0).
int64_t floorDiv(int64_t a, int64_t b);

}  // namespace ravlen

#endif  // RAVLEN_DB_CIVIL_TIME_H_
