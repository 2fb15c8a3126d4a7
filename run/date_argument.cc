#include "run/date_argument.h"

#include <chrono>

namespace ravlen {
namespace {

// The value of the digits text[from .. from+count-1]; -1 if one is no digit.
int digitsValue(std::string_view text, size_t from, size_t count) {
  int value = 0;
  for (size_t i = from; i < from + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int lastDayOfMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30,
                                  31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

bool isCalendarDate(std::string_view text) {
  if (text.size() != 8) return false;
  int year = digitsValue(text, 0, 4);
  int month = digitsValue(text, 4, 2);
  int day = digitsValue(text, 6, 2);
  if (year < 1 || month < 1 || month > 12 || day < 1) return false;
  return day <= lastDayOfMonth(year, month);
}

std::optional<int64_t> dayNumber(std::string_view text) {
  if (!isCalendarDate(text)) return std::nullopt;
  std::chrono::year_month_day date{
      std::chrono::year(digitsValue(text, 0, 4)),
      std::chrono::month(static_cast<unsigned>(digitsValue(text, 4, 2))),
      std::chrono::day(static_cast<unsigned>(digitsValue(text, 6, 2)))};
  return std::chrono::sys_days(date).time_since_epoch().count();
}

}  // namespace ravlen
