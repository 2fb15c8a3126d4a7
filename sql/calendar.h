// The base calendar and date arithmetic: every date the run needs comes from
// the database, from the calendar table KalDeron.Zev133Bak or the database's
// date functions; nothing here computes with weekdays or month lengths.
//
// Each operation runs one statement and returns its status. Outputs are
// written only on status 0, except readLastCalendarDay and
// readFirstCalendarDay, which always write (the empty text when the
// statement fails or the calendar is empty).
//  - readToday: the calendar row of the database server's current day.
//  - readLastCalendarDay: the latest day of the calendar.
//  - readFirstCalendarDay: the earliest day of the calendar.
//  - shiftDate: the date plus `days`, then plus `months` (add_months keeps a
//    month's last day on the last day).
//  - weekBounds / monthBounds / quarterBounds / halfYearBounds: the first and
//    last calendar day of the period that holds the date; 1403 when the
//    calendar has no row for it.
//  shiftDate and the bounds keep their answers for the run
//  (Session::selectIntoKept): the calendar does not change while a run
//  reads it, and the date step reads no table at all.
//  - makeTimestamp: the local time now as yyyymmddhhmmss; no database.
#ifndef RAVLEN_SQL_CALENDAR_H_
#define RAVLEN_SQL_CALENDAR_H_

#include <cstdint>
#include <ctime>

#include "db/fixed_text.h"
#include "db/status.h"

namespace ravlen {

SqlStatus readToday(DateText& today);
SqlStatus readLastCalendarDay(DateText& lastDay);
SqlStatus readFirstCalendarDay(DateText& firstDay);
SqlStatus shiftDate(const DateText& date, int32_t months, int32_t days,
                    DateText& result);
SqlStatus weekBounds(const DateText& date, DateText& first, DateText& last);
SqlStatus monthBounds(const DateText& date, DateText& first, DateText& last);
SqlStatus quarterBounds(const DateText& date, DateText& first, DateText& last);
SqlStatus halfYearBounds(const DateText& date, DateText& first,
                         DateText& last);

void makeTimestamp(TimestampText& stamp);
// The same for a given instant, so that the format can be checked.
void formatTimestamp(std::time_t when, TimestampText& stamp);

}  // namespace ravlen

#endif  // RAVLEN_SQL_CALENDAR_H_
