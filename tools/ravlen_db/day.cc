#include "tools/ravlen_db/day.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "db/sqlite/oracle_dates.h"

namespace ravlen {

std::optional<double> parseDay(std::string_view text) {
  if (text.size() != 8) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  auto number = [&](size_t pos, size_t len) {
    int value = 0;
    for (size_t i = pos; i < pos + len; ++i) value = value * 10 + (text[i] - '0');
    return value;
  };
  CivilTime t;
  t.year = number(0, 4);
  t.month = number(4, 2);
  t.day = number(6, 2);
  if (t.year < 1000 || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > daysInMonth(t.year, t.month)) {
    return std::nullopt;
  }
  return julianFromCivil(t);
}

std::string dayText(double day) {
  CivilTime t = civilFromJulian(day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", t.year, t.month, t.day);
  return text;
}

std::string timestampText(double julian) {
  CivilTime t = civilFromJulian(julian);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year,
                t.month, t.day, t.hour, t.minute, t.second);
  return text;
}

// The Julian day number proper (day + 0.5) counts Mondays as 0 modulo 7.
int weekdayOf(double day) {
  return static_cast<int>(static_cast<int64_t>(std::llround(day + 0.5)) % 7) + 1;
}

int yearOf(double day) { return civilFromJulian(day).year; }
int monthOf(double day) { return civilFromJulian(day).month; }
int dayOfMonth(double day) { return civilFromJulian(day).day; }

double firstOfYear(int year) {
  CivilTime t;
  t.year = year;
  return julianFromCivil(t);
}

double firstOfNextMonth(double day) {
  CivilTime t = civilFromJulian(day);
  CivilTime next;
  next.year = t.month == 12 ? t.year + 1 : t.year;
  next.month = t.month % 12 + 1;
  return julianFromCivil(next);
}

CalendarRow calendarRowOf(double day) {
  CalendarRow row;
  row.day = day;
  row.weekday = weekdayOf(day);
  double thursday = day - (row.weekday - 1) + 3;
  row.isoWeek = static_cast<int>(thursday - firstOfYear(yearOf(thursday))) / 7 + 1;
  int month = monthOf(day);
  row.quarter = (month + 2) / 3;
  row.halfYear = (month + 5) / 6;
  return row;
}

}  // namespace ravlen
