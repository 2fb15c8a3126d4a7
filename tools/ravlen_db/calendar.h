// Filling the base calendar Zev133Bak of an embedded database.
//
// Contract: writeBaseCalendar writes one row per day from..to (inclusive)
// into DIR/KALDERON.db: BakDtm the day as a Julian day number, BakWch the
// ISO week, BakQua, BakHjh and BakWtg as calendarRowOf gives them. A day the
// calendar already holds is replaced, so a range can be filled again or
// extended. All rows are written in one transaction; on a failure none is.
#ifndef RAVLEN_TOOLS_RAVLEN_DB_CALENDAR_H_
#define RAVLEN_TOOLS_RAVLEN_DB_CALENDAR_H_

#include <cstdint>
#include <string>

namespace ravlen {

// Returns the error text, empty on success; *rows counts the days written.
class ToolDb;

// Writes the rows on an open database whose Zev133Bak replaces a row of the
// same day (the embedded database) or holds none of from..to (a server).
std::string writeCalendarRows(ToolDb& db, double from, double to,
                              int64_t* rows);

std::string writeBaseCalendar(const std::string& dir, double from, double to,
                              int64_t* rows);

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_CALENDAR_H_
