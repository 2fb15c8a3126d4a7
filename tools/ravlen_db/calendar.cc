#include "tools/ravlen_db/calendar.h"

#include <filesystem>

#include "tools/ravlen_db/day.h"
#include "tools/ravlen_db/layout.h"
#include "tools/ravlen_db/sqlite_file.h"

namespace ravlen {

std::string writeCalendarRows(ToolDb& db, double from, double to, int64_t* rows) {
  Insert insert(db, "Zev133Bak", "BakDtm,BakWch,BakQua,BakHjh,BakWtg",
                /*replace=*/true);
  for (double day = from; day <= to && insert.error().empty(); day += 1) {
    CalendarRow row = calendarRowOf(day);
    insert.date(row.day)
        .integer(row.isoWeek)
        .integer(row.quarter)
        .integer(row.halfYear)
        .integer(row.weekday)
        .run();
  }
  *rows = insert.rows();
  return insert.finish();
}

std::string writeBaseCalendar(const std::string& dir, double from, double to,
                              int64_t* rows) {
  *rows = 0;
  std::string path = schemaFile(dir, kSystemSchema);
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    return path + " fehlt (zuerst: ravlen-db init " + dir + ")";
  }
  SqliteFile db;
  std::string error = db.open(path, SqliteFile::Mode::kExisting);
  if (error.empty()) error = db.exec("begin");
  if (error.empty()) error = writeCalendarRows(db, from, to, rows);
  if (error.empty()) return db.exec("commit");
  db.exec("rollback");
  *rows = 0;
  return error;
}

}  // namespace ravlen
