#include "db/sqlite/oracle_dates.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace ravlen {
namespace {

double at(int year, int month, int day, int hour = 0, int minute = 0,
          int second = 0) {
  return julianFromCivil({year, month, day, hour, minute, second});
}

// yyyymmdd of a Julian day number, through to_char.
std::string ymd(double julian, std::string_view format = "yyyymmdd") {
  TextResult r = oracleToChar(julian, format);
  EXPECT_TRUE(r.ok) << r.error;
  return r.text;
}

double date(std::string_view yyyymmdd) {
  DateResult r = oracleToDate(yyyymmdd, "yyyymmdd");
  EXPECT_TRUE(r.ok) << yyyymmdd << ": " << r.error;
  return r.julian;
}

double addMonths(double julian, int64_t months) {
  DateResult r = oracleAddMonths(julian, months);
  EXPECT_TRUE(r.ok) << r.error;
  return r.julian;
}

double trunc(double julian) {
  DateResult r = oracleTrunc(julian);
  EXPECT_TRUE(r.ok) << r.error;
  return r.julian;
}

// The date step of the calendar services: add_months(to_date(d)+days, months).
std::string shift(std::string_view yyyymmdd, int months, int days) {
  return ymd(addMonths(date(yyyymmdd) + days, months));
}

TEST(OracleDatesTest, JulianDayNumbersFollowSqliteConvention) {
  struct Case {
    CivilTime civil;
    double julian;
  };
  const Case kCases[] = {
      {{1, 1, 1}, 1721425.5},          {{1970, 1, 1}, 2440587.5},
      {{2000, 2, 29}, 2451603.5},      {{2024, 1, 15}, 2460324.5},
      {{9999, 12, 31}, 5373483.5},     {{2024, 1, 15, 12}, 2460325.0},
  };
  for (const Case& c : kCases) {
    EXPECT_DOUBLE_EQ(julianFromCivil(c.civil), c.julian) << c.civil.year;
    CivilTime back = civilFromJulian(c.julian);
    EXPECT_EQ(back.year, c.civil.year);
    EXPECT_EQ(back.month, c.civil.month);
    EXPECT_EQ(back.day, c.civil.day);
    EXPECT_EQ(back.hour, c.civil.hour);
  }
  CivilTime t = civilFromJulian(at(2024, 2, 29, 13, 5, 9));
  EXPECT_EQ(t.day, 29);
  EXPECT_EQ(t.hour, 13);
  EXPECT_EQ(t.minute, 5);
  EXPECT_EQ(t.second, 9);
  EXPECT_EQ(daysInMonth(1900, 2), 28);
  EXPECT_EQ(daysInMonth(2000, 2), 29);
  EXPECT_EQ(daysInMonth(2023, 2), 28);
  EXPECT_EQ(daysInMonth(2024, 12), 31);
}

TEST(OracleDatesTest, AddMonthsKeepsLastDayAndCutsToMonthEnd) {
  EXPECT_EQ(ymd(addMonths(date("20240131"), 1)), "20240229");
  EXPECT_EQ(ymd(addMonths(date("20240229"), 12)), "20250228");
  EXPECT_EQ(ymd(addMonths(date("20230228"), 12)), "20240229")
      << "the last day stays the last day";
  EXPECT_EQ(ymd(addMonths(date("20240130"), 1)), "20240229");
  EXPECT_EQ(ymd(addMonths(date("20240115"), 1)), "20240215");
  EXPECT_EQ(ymd(addMonths(date("20240430"), 1)), "20240531");
  EXPECT_EQ(ymd(addMonths(date("20240115"), 0)), "20240115");
  EXPECT_EQ(ymd(addMonths(date("20240331"), -1)), "20240229");
  EXPECT_EQ(ymd(addMonths(date("20240115"), -1)), "20231215");
  EXPECT_EQ(ymd(addMonths(date("20240229"), -24)), "20220228");
  EXPECT_EQ(ymd(addMonths(date("20241130"), 3)), "20250228");
  EXPECT_EQ(ymd(addMonths(date("20240101"), -13)), "20221201");

  double withTime = at(2024, 1, 31, 13, 5, 9);
  EXPECT_EQ(ymd(addMonths(withTime, 1), "yyyymmddhh24miss"),
            "20240229130509");
  EXPECT_EQ(ymd(addMonths(at(2024, 3, 1, 23, 59, 59), -13),
                "yyyymmddhh24miss"),
            "20230201235959");

  EXPECT_EQ(shift("20240201", 1, -1), "20240229");
  EXPECT_EQ(shift("20230201", 1, -1), "20230228");
  EXPECT_EQ(shift("20241231", 0, 1), "20250101");
  EXPECT_EQ(shift("20240228", 0, 1), "20240229");
}

TEST(OracleDatesTest, ToCharFormatsAndRoundsToTheSecond) {
  double t = at(2024, 2, 9, 13, 5, 9);
  EXPECT_EQ(ymd(t, "yyyymmdd"), "20240209");
  EXPECT_EQ(ymd(t, "YYYY-MM-DD HH24:MI:SS"), "2024-02-09 13:05:09");
  EXPECT_EQ(ymd(t, "hh.mi"), "01.05");
  EXPECT_EQ(ymd(at(2024, 2, 9, 0, 30), "hh:mi hh24"), "12:30 00");
  EXPECT_EQ(ymd(at(2024, 2, 9, 12, 30), "hh"), "12");
  EXPECT_EQ(ymd(t, "yyyymm"), "202402");
  EXPECT_EQ(ymd(t, "dd\"T\"mm"), "09T02");
  EXPECT_EQ(ymd(t, "\"Jahr \"yyyy"), "Jahr 2024");
  EXPECT_EQ(ymd(at(1, 1, 1), "yyyymmdd"), "00010101");
  EXPECT_EQ(ymd(at(-5, 3, 1), "yyyy-mm"), "-005-03") << "sign, then zeros";

  double almostMidnight = at(2023, 12, 31, 23, 59, 59) + 0.6 / 86400;
  EXPECT_EQ(ymd(almostMidnight, "yyyymmddhh24miss"), "20240101000000");
  EXPECT_EQ(ymd(at(2024, 1, 1, 10) - 0.4 / 86400, "hh24miss"), "100000");
  EXPECT_EQ(ymd(at(2024, 1, 1, 10) - 0.6 / 86400, "hh24miss"), "095959");

  for (const char* format : {"yyyy month", "yy", "ddd", "x"}) {
    TextResult r = oracleToChar(t, format);
    EXPECT_FALSE(r.ok) << format;
    EXPECT_EQ(r.error.rfind("ORA-01821", 0), 0u) << format << ": " << r.error;
  }
  EXPECT_FALSE(oracleToChar(-1, "yyyy").ok);
  EXPECT_FALSE(oracleToChar(1e300, "yyyy").ok);
  EXPECT_FALSE(oracleToChar(at(9999, 12, 31, 23, 59, 59) + 0.6 / 86400,
                            "yyyy")
                   .ok)
      << "year 10000";
  EXPECT_EQ(ymd(at(9999, 12, 31, 23, 59, 59), "yyyymmdd"), "99991231");
}

TEST(OracleDatesTest, ToDateAcceptsOnlyWholeValidDates) {
  DateResult r = oracleToDate("20240229", "yyyymmdd");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_DOUBLE_EQ(r.julian, julianFromCivil({2024, 2, 29}));
  r = oracleToDate("20240229130509", "YYYYMMDDHH24MISS");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(ymd(r.julian, "yyyymmddhh24miss"), "20240229130509");
  r = oracleToDate("15.01.2024", "dd.mm.yyyy");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(ymd(r.julian), "20240115");
  r = oracleToDate("2024T01-15", "yyyy\"T\"mm-dd");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(ymd(r.julian), "20240115");

  struct Case {
    const char* text;
    const char* error;
  };
  const Case kCases[] = {
      {"2024", "ORA-01858"},      {"20240230", "ORA-01847"},
      {"2024013a", "ORA-01830"},  {"20241301", "ORA-01843"},
      {"20240001", "ORA-01843"},  {"20240100", "ORA-01847"},
      {"00000101", "ORA-01841"},  {"20230229", "ORA-01847"},
      {"202401011", "ORA-01830"}, {"20240101 1", "ORA-01830"},
      {"2024-01-15", "ORA-01858"}, {"2024 0115", "ORA-01858"},
  };
  for (const Case& c : kCases) {
    r = oracleToDate(c.text, "yyyymmdd");
    EXPECT_FALSE(r.ok) << c.text;
    EXPECT_EQ(r.error.rfind(c.error, 0), 0u) << c.text << ": " << r.error;
  }
  EXPECT_FALSE(oracleToDate("2024-01-15", "yyyy.mm.dd").ok);
  EXPECT_FALSE(oracleToDate("20240115 2500", "yyyymmdd hh24mi").ok);
  EXPECT_FALSE(oracleToDate("20240115", "mmdd").ok) << "no year";
  // Unclosed quoted text runs to the end of the format, as in to_char.
  r = oracleToDate("2024x y", "yyyy\"x y");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(ymd(r.julian, "yyyymmdd\"x y"), "20240101x y");
  EXPECT_FALSE(oracleToDate("2024x", "yyyy\"x y").ok);
}

TEST(OracleDatesTest, ToDateIgnoresOuterBlanksAndTakesNoTextAsNull) {
  for (const char* text : {" 20240115", "20240115  ", "  20240115 "}) {
    DateResult r = oracleToDate(text, "yyyymmdd");
    ASSERT_TRUE(r.ok) << "'" << text << "': " << r.error;
    EXPECT_FALSE(r.null);
    EXPECT_EQ(ymd(r.julian), "20240115") << text;
  }
  for (const char* text : {"", "   "}) {
    DateResult r = oracleToDate(text, "yyyymmdd");
    EXPECT_TRUE(r.ok && r.null) << "'" << text << "': " << r.error;
  }
}

// A stored value with milliseconds, as julianday() keeps them: every
// function sees the second that to_char shows.
TEST(OracleDatesTest, TruncAndAddMonthsTakeTheValueToTheSecondFirst) {
  double late = at(2024, 1, 30, 23, 59, 59) + 0.7 / 86400;
  EXPECT_EQ(ymd(late, "yyyymmddhh24miss"), "20240131000000");
  EXPECT_EQ(trunc(late), at(2024, 1, 31));
  EXPECT_EQ(ymd(addMonths(late, 1), "yyyymmddhh24miss"), "20240229000000");
  double early = at(2024, 1, 30, 23, 59, 59) + 0.4 / 86400;
  EXPECT_EQ(trunc(early), at(2024, 1, 30));
  EXPECT_EQ(addMonths(early, 1), at(2024, 2, 29, 23, 59, 59));

  EXPECT_FALSE(oracleTrunc(-1).ok);
  EXPECT_FALSE(oracleTrunc(at(9999, 12, 31, 23, 59, 59) + 0.6 / 86400).ok);
  EXPECT_FALSE(oracleAddMonths(at(9999, 12, 15), 1).ok);
  EXPECT_FALSE(oracleAddMonths(at(2024, 1, 1), INT64_MAX).ok);
  EXPECT_FALSE(oracleAddMonths(at(2024, 1, 1), INT64_MIN).ok);
}

TEST(OracleDatesTest, TruncDropsTheTimeOfDay) {
  double midnight = at(2024, 2, 29);
  EXPECT_EQ(trunc(midnight), midnight);
  EXPECT_EQ(trunc(at(2024, 2, 29, 0, 0, 1)), midnight);
  EXPECT_EQ(trunc(at(2024, 2, 29, 12)), midnight);
  EXPECT_EQ(trunc(at(2024, 2, 29, 23, 59, 59)), midnight);
  EXPECT_EQ(trunc(at(2024, 3, 1)), at(2024, 3, 1));
  EXPECT_EQ(trunc(at(1, 1, 1, 6)), at(1, 1, 1));
  double now = julianNowLocal();
  EXPECT_GT(now, at(2020, 1, 1));
  EXPECT_LE(trunc(now), now);
  EXPECT_GT(trunc(now) + 1, now);
}

}  // namespace
}  // namespace ravlen
