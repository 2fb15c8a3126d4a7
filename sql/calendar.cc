#include "sql/calendar.h"

#include "db/session.h"

namespace ravlen {
namespace {

constexpr SqlText kReadToday =
    "select to_char(BakDtm,'yyyymmdd') into :b0  from KalDeron.Zev133Bak "
    "where BakDtm=trunc(sysdate)";

constexpr SqlText kReadLastCalendarDay =
    "select to_char(max(BakDtm),'yyyymmdd') into :b0:b1  from "
    "Kalderon.Zev133Bak";

constexpr SqlText kReadFirstCalendarDay =
    "select to_char(min(BakDtm),'yyyymmdd') into :b0:b1  from "
    "Kalderon.Zev133Bak";

constexpr SqlText kShiftDate =
    "select to_char(add_months((to_date(:b0,'yyyymmdd')+:b1),:b2),'yyyymmdd') "
    "into :b3:b4  from dual";

#define RAVLEN_BOUNDS_HEAD                                                  \
  "select to_char(min(BakDtm),'yyyymmdd') ,to_char(max(BakDtm),'yyyymmdd') " \
  "into :b0:b1,:b2:b3  from KalDeron.Zev133Bak where "

constexpr SqlText kWeekBounds =
    RAVLEN_BOUNDS_HEAD
    "((BakDtm>=(to_date(:b4,'yyyymmdd')-7) and "
    "BakDtm<=(to_date(:b4,'yyyymmdd')+7)) and BakWch=(select BakWch  from "
    "KalDeron.Zev133Bak where to_char(BakDtm,'yyyymmdd')=:b4))";

constexpr SqlText kMonthBounds =
    RAVLEN_BOUNDS_HEAD "to_char(BakDtm,'yyyymm')=substr(:b4,1,6)";

constexpr SqlText kQuarterBounds =
    RAVLEN_BOUNDS_HEAD
    "(to_char(BakDtm,'yyyy')=substr(:b4,1,4) and BakQua=(select BakQua  from "
    "KalDeron.Zev133Bak where to_char(BakDtm,'yyyymmdd')=:b4))";

constexpr SqlText kHalfYearBounds =
    RAVLEN_BOUNDS_HEAD
    "(to_char(BakDtm,'yyyy')=substr(:b4,1,4) and BakHjh=(select BakHjh  from "
    "KalDeron.Zev133Bak where to_char(BakDtm,'yyyymmdd')=:b4))";

#undef RAVLEN_BOUNDS_HEAD

// Copies the first eight characters of a wider result field.
template <size_t N>
void takeDate(const FixedText<N>& field, DateText& date) {
  date.assign(field.view().substr(0, 8));
}

// Runs one of the bounds statements with the date bound `occurrences` times.
SqlStatus bounds(SqlText text, int occurrences, const DateText& date,
                 DateText& first, DateText& last) {
  DateText minDay, maxDay;
  HostVar in[3] = {hostVar(date), hostVar(date), hostVar(date)};
  SqlStatus status = session().selectIntoKept(
      text, std::span<const HostVar>(in, occurrences),
      {hostVar(minDay), hostVar(maxDay)});
  // An empty period: the aggregates are NULL and leave both fields empty.
  if (status.ok() && minDay.empty() && maxDay.empty())
    return sqlstatus::kNoData;
  if (status.ok()) {
    first = minDay;
    last = maxDay;
  }
  return status;
}

}  // namespace

SqlStatus readToday(DateText& today) {
  FixedText<19> field;
  SqlStatus status = session().selectInto(kReadToday, {}, {hostVar(field)});
  if (status.ok()) takeDate(field, today);
  return status;
}

namespace {
// The first or last day of the calendar, written whatever the status.
SqlStatus readCalendarEnd(SqlText statement, DateText& day) {
  DateText field;
  SqlStatus status = session().selectInto(statement, {}, {hostVar(field)});
  day = field;
  return status;
}
}  // namespace

SqlStatus readLastCalendarDay(DateText& lastDay) {
  return readCalendarEnd(kReadLastCalendarDay, lastDay);
}

SqlStatus readFirstCalendarDay(DateText& firstDay) {
  return readCalendarEnd(kReadFirstCalendarDay, firstDay);
}

SqlStatus shiftDate(const DateText& date, int32_t months, int32_t days,
                    DateText& result) {
  FixedText<17> field;
  SqlStatus status = session().selectIntoKept(
      kShiftDate, {hostVar(date), hostVar(days), hostVar(months)},
      {hostVar(field)});
  if (status.ok()) takeDate(field, result);
  return status;
}

SqlStatus weekBounds(const DateText& date, DateText& first, DateText& last) {
  return bounds(kWeekBounds, 3, date, first, last);
}

SqlStatus monthBounds(const DateText& date, DateText& first, DateText& last) {
  return bounds(kMonthBounds, 1, date, first, last);
}

SqlStatus quarterBounds(const DateText& date, DateText& first,
                        DateText& last) {
  return bounds(kQuarterBounds, 2, date, first, last);
}

SqlStatus halfYearBounds(const DateText& date, DateText& first,
                         DateText& last) {
  return bounds(kHalfYearBounds, 2, date, first, last);
}

void formatTimestamp(std::time_t when, TimestampText& stamp) {
  std::tm local{};
  localtime_r(&when, &local);
  char text[15];
  size_t n = std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &local);
  stamp.assign(std::string_view(text, n));
}

void makeTimestamp(TimestampText& stamp) {
  // Many rows are written per second: the text of the current second is
  // formatted once and reused until the clock moves on.
  static std::time_t formattedSecond = -1;
  static TimestampText formatted;
  std::time_t now = std::time(nullptr);
  if (now != formattedSecond) {
    formatTimestamp(now, formatted);
    formattedSecond = now;
  }
  stamp = formatted;
}

}  // namespace ravlen
