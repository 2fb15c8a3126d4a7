// Calendar days for the tool: a day is its Julian day number at midnight
// (julianday() convention, midnight is .5), the form in which the embedded
// database stores an operational or calendar DATE.
//
// CalendarRow is the base calendar's view of one day (Zev133Bak): the ISO
// week number (the week of the day's Thursday, so 28 December 2020 lies in
// week 53 of 2020 and 3 January 2021 too), quarter 1-4, half-year 1-2 and
// weekday 1 (Monday) to 7 (Sunday).
#ifndef RAVLEN_TOOLS_RAVLEN_DB_DAY_H_
#define RAVLEN_TOOLS_RAVLEN_DB_DAY_H_

#include <optional>
#include <string>
#include <string_view>

namespace ravlen {

// A valid yyyymmdd text (years 1000-9999) as a day; nullopt otherwise.
std::optional<double> parseDay(std::string_view yyyymmdd);
std::string dayText(double day);
// A Julian day number with its time as "yyyy-mm-dd hh:mm:ss".
std::string timestampText(double julian);

int weekdayOf(double day);  // 1 Monday .. 7 Sunday
int yearOf(double day);
int monthOf(double day);
int dayOfMonth(double day);
double firstOfYear(int year);
// The first day of the month after the one that holds `day`.
double firstOfNextMonth(double day);

struct CalendarRow {
  double day = 0;
  int isoWeek = 0;
  int quarter = 0;
  int halfYear = 0;
  int weekday = 0;
};

CalendarRow calendarRowOf(double day);

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_DAY_H_
