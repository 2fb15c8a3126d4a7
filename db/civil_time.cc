#include "db/civil_time.h"

namespace ravlen {
namespace {

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

}  // namespace

int64_t floorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30,
                                  31, 31, 30, 31, 30, 31};
  if (month == 2 && isLeap(year)) return 29;
  return kDays[month - 1];
}

int64_t daysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  int64_t era = floorDiv(y, 400);
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, CivilTime* t) {
  z += 719468;
  int64_t era = floorDiv(z, 146097);
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  t->day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t->month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t->year = static_cast<int>(era * 400 + yoe + (t->month <= 2));
}

int64_t secondsFromCivil(const CivilTime& t) {
  return daysFromCivil(t.year, t.month, t.day) * kSecondsPerDay +
         t.hour * 3600 + t.minute * 60 + t.second;
}

CivilTime civilFromSeconds(int64_t seconds) {
  int64_t days = floorDiv(seconds, kSecondsPerDay);
  int64_t secondOfDay = seconds - days * kSecondsPerDay;
  CivilTime t;
  civilFromDays(days, &t);
  t.hour = static_cast<int>(secondOfDay / 3600);
  t.minute = static_cast<int>(secondOfDay / 60 % 60);
  t.second = static_cast<int>(secondOfDay % 60);
  return t;
}

}  // namespace ravlen
