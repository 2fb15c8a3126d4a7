// The form check of a date argument of the command line.
//
// isCalendarDate is true for exactly eight digits yyyymmdd that name a day
// of the Gregorian calendar: year 0001 to 9999, month 01 to 12, day 01 to
// the month's last day (29 February only in leap years). The window bounds
// reach every statement as such text, and a bound that is not a day (for
// example "2024") would otherwise clear and rebuild a window that the
// operator never meant. This is a check of the form only; every date the
// run works with still comes from the database.
#ifndef RAVLEN_RUN_DATE_ARGUMENT_H_
#define RAVLEN_RUN_DATE_ARGUMENT_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace ravlen {

bool isCalendarDate(std::string_view text);

// The number of days from 1970-01-01 to a date that isCalendarDate accepts;
// nothing for any other text.
std::optional<int64_t> dayNumber(std::string_view text);

}  // namespace ravlen

#endif  // RAVLEN_RUN_DATE_ARGUMENT_H_
