// Statements of the personnel family: persons (ZEV300PNR) with their
// employment rows (Zev310Bsv) and assignments (Zev329Ztg) into the warehouse
// table Zev899Pnr.
//
// Every operation works on module-level bind copies and returns the SQL
// status of its last statement (0, 1403, negative error).
#ifndef RAVLEN_SQL_PERSONNEL_H_
#define RAVLEN_SQL_PERSONNEL_H_

#include "db/fixed_text.h"
#include "db/session.h"
#include "db/status.h"
#include "sql/pnr_record.h"

namespace ravlen {

// The source cursor: every distinct combination of a person's columns and
// the BsvLug of an employment row that overlaps from .. to (yyyymmdd, both
// inclusive): the row starts on or before `to` and ends on or after `from`
// or is open-ended. A person with two overlapping employment rows that
// differ in BsvLug is delivered twice. Ordered by person number.
//  - openPnrSource opens the cursor; a failed open makes the next fetch fail.
//  - fetchPnrSource fetches into a cleared working copy, the 25 columns into
//    PnrNum .. PnrPrt; a NULL column leaves its field 0 or empty. On status
//    0 the copy replaces all of `rec` (ZtgAzt .. ZtgBsd become empty);
//    otherwise (1403 after the last row, or an error) `rec` is untouched.
//  - closePnrSource closes the cursor.
SqlStatus openPnrSource(const DateText& from, const DateText& to);
SqlStatus fetchPnrSource(PnrRecord& rec);
SqlStatus closePnrSource();

// ZtgAzt .. ZtgBsd of the person's (PnrNum) assignment that starts on the
// database's current day, whatever the window. On status 0 the nine fields
// take the row's values, a NULL column leaving its field as it was; on any
// other status (1403 none, negative error or several rows) `rec` is
// unchanged. lookupPnrZtgLater hands the lookup over (Session's *Later
// operations): `rec` changes when the session has run it.
SqlStatus lookupPnrZtg(PnrRecord& rec);
void lookupPnrZtgLater(PnrRecord& rec, Session::Done done);

// Writes the person's Zev899Pnr row with a fresh PnrDat (local time,
// yyyymmddhhmmss): updates the row of PnrNum and, when the update reports
// anything but 0 (1403 for a new person, or an error), inserts it. Numbers
// are bound as they are, texts as their content, an empty text as NULL.
// Returns 0 when the update hit the row, else the insert's status. `rec` is
// never changed. writePnrLater hands the write over: `done` gets that
// status once it ran.
SqlStatus writePnr(const PnrRecord& rec);
void writePnrLater(const PnrRecord& rec, Session::Done done);

}  // namespace ravlen

#endif  // RAVLEN_SQL_PERSONNEL_H_
