// The calendar operations against a real embedded database whose base
// calendar numbers weeks the ISO way (a week may span the turn of a year).
#include "sql/calendar.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "tests/support/embedded_db.h"

namespace ravlen {
namespace {

using testing::execSql;
using testing::TempDir;

class CalendarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    execSql(kalderon(), testing::schemaSql("kalderon.sql"));
    execSql(dir_.file("KORV.db"), "create table Unused(x INTEGER);");
    connect();
  }
  void TearDown() override { session().disconnect(); }

  void connect() {
    ASSERT_EQ(sqlConnect("u", "p", "sqlite:" + dir_.path(), "KORV"), 0)
        << session().lastError();
  }
  std::string kalderon() const { return dir_.file("KALDERON.db"); }

  TempDir dir_;
};

TEST_F(CalendarTest, TodayAndLastDay) {
  DateText today("untouch"), last("untouch");
  EXPECT_TRUE(readLastCalendarDay(last).ok());
  EXPECT_TRUE(last.empty()) << "an empty calendar gives the empty text";
  EXPECT_TRUE(readToday(today).noData());
  EXPECT_EQ(today, "untouch");

  std::string now = testing::localToday();
  testing::fillCalendar(kalderon(), "20231201", now);
  ASSERT_TRUE(readToday(today).ok()) << session().lastError();
  EXPECT_EQ(today.str(), now);
  ASSERT_TRUE(readLastCalendarDay(last).ok());
  EXPECT_EQ(last.str(), now);

  execSql(kalderon(), "drop table Zev133Bak;");
  connect();
  last = "untouch";
  EXPECT_LT(readLastCalendarDay(last).code(), 0);
  EXPECT_TRUE(last.empty()) << "always written, empty on failure";
}

TEST_F(CalendarTest, ShiftDate) {
  struct Case { const char* date; int months, days; const char* expected; };
  for (const Case& c : {Case{"20240201", 1, -1, "20240229"},
                        Case{"20230201", 1, -1, "20230228"},
                        Case{"20241231", 0, 1, "20250101"},
                        Case{"20240131", 1, 0, "20240229"}}) {
    DateText out;
    ASSERT_TRUE(shiftDate(DateText(c.date), c.months, c.days, out).ok())
        << session().lastError();
    EXPECT_EQ(out, c.expected) << c.date;
  }
  DateText out("untouch");
  EXPECT_LT(shiftDate(DateText("2024xx01"), 0, 1, out).code(), 0);
  EXPECT_EQ(out, "untouch");
}

TEST_F(CalendarTest, PeriodBounds) {
  testing::fillCalendar(kalderon(), "20230101", "20251231");
  struct Case {
    SqlStatus (*op)(const DateText&, DateText&, DateText&);
    const char* date;
    const char* first;
    const char* last;
  };
  const Case cases[] = {
      {monthBounds, "20240215", "20240201", "20240229"},
      // ISO week 1 of 2025 begins on 30 December 2024.
      {weekBounds, "20241231", "20241230", "20250105"},
      {weekBounds, "20250105", "20241230", "20250105"},
      // Week 1 of 2024 never takes in week 1 of 2025 or 2023.
      {weekBounds, "20240103", "20240101", "20240107"},
      {quarterBounds, "20240515", "20240401", "20240630"},
      {quarterBounds, "20250101", "20250101", "20250331"},
      {halfYearBounds, "20241231", "20240701", "20241231"},
      {halfYearBounds, "20230101", "20230101", "20230630"},
  };
  for (const Case& c : cases) {
    DateText first, last;
    ASSERT_TRUE(c.op(DateText(c.date), first, last).ok())
        << c.date << ": " << session().lastError();
    EXPECT_EQ(first, c.first) << c.date;
    EXPECT_EQ(last, c.last) << c.date;
  }
  for (auto op : {weekBounds, monthBounds, quarterBounds, halfYearBounds}) {
    DateText first("keep1"), last("keep2");
    EXPECT_TRUE(op(DateText("20300101"), first, last).noData());
    EXPECT_EQ(first, "keep1");
    EXPECT_EQ(last, "keep2");
  }
}

TEST_F(CalendarTest, TwoCalendarRowsForOneDayFailTheInnerSelect) {
  testing::fillCalendar(kalderon(), "20240101", "20241231");
  // A second row for 15 May 2024 (at noon, so the key allows it).
  execSql(kalderon(),
          "insert into Zev133Bak(BakDtm,BakWch,BakQua,BakHjh,BakWtg) "
          "values(2460446.0, 20, 2, 1, 3);");
  DateText first("keep"), last("keep");
  EXPECT_LT(quarterBounds(DateText("20240515"), first, last).code(), 0);
  EXPECT_LT(weekBounds(DateText("20240515"), first, last).code(), 0);
  EXPECT_EQ(first, "keep");
  EXPECT_TRUE(monthBounds(DateText("20240515"), first, last).ok());
}

TEST(TimestampTest, Format) {
  std::tm local{};
  local.tm_year = 2024 - 1900;
  local.tm_mon = 1;
  local.tm_mday = 29;
  local.tm_hour = 13;
  local.tm_min = 5;
  local.tm_sec = 9;
  local.tm_isdst = -1;
  TimestampText stamp;
  formatTimestamp(std::mktime(&local), stamp);
  EXPECT_EQ(stamp, "20240229130509");
  makeTimestamp(stamp);
  EXPECT_EQ(stamp.size(), 14u);
}

// makeTimestamp formats a second once and reuses the text: it must still be
// the text of the current second, also after the clock has moved on.
TEST(TimestampTest, FollowsTheClockFromSecondToSecond) {
  TimestampText stamp, expected;
  for (int second = 0; second < 2; ++second) {
    std::time_t before, after;
    do {  // a call that did not straddle the turn of a second
      before = std::time(nullptr);
      makeTimestamp(stamp);
      after = std::time(nullptr);
    } while (before != after);
    formatTimestamp(before, expected);
    EXPECT_EQ(stamp, expected);
    while (std::time(nullptr) == before)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace
}  // namespace ravlen
