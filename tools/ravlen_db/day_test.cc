// The tool's calendar arithmetic: days, ISO weeks, quarters, half-years.
#include "tools/ravlen_db/day.h"

#include <gtest/gtest.h>

namespace ravlen {
namespace {

struct Expected {
  const char* day;
  int week, quarter, halfYear, weekday;
};

TEST(RavlenDbDay, CalendarRowsAcrossTheTurnOf2020) {
  // 2020 has 53 ISO weeks: its week 53 runs from Monday 28 December to
  // Sunday 3 January 2021; week 1 of 2021 starts on 4 January.
  const Expected expected[] = {
      {"20201227", 52, 4, 2, 7}, {"20201228", 53, 4, 2, 1},
      {"20201231", 53, 4, 2, 4}, {"20210101", 53, 1, 1, 5},
      {"20210103", 53, 1, 1, 7}, {"20210104", 1, 1, 1, 1},
      {"20210110", 1, 1, 1, 7},  {"20210111", 2, 1, 1, 1},
      {"20210630", 26, 2, 1, 3}, {"20210701", 26, 3, 2, 4},
      {"20211001", 39, 4, 2, 5}, {"20190101", 1, 1, 1, 2},
      {"20191230", 1, 4, 2, 1},  {"20240229", 9, 1, 1, 4},
  };
  for (const Expected& e : expected) {
    std::optional<double> day = parseDay(e.day);
    ASSERT_TRUE(day.has_value()) << e.day;
    CalendarRow row = calendarRowOf(*day);
    EXPECT_EQ(row.isoWeek, e.week) << e.day;
    EXPECT_EQ(row.quarter, e.quarter) << e.day;
    EXPECT_EQ(row.halfYear, e.halfYear) << e.day;
    EXPECT_EQ(row.weekday, e.weekday) << e.day;
    EXPECT_EQ(dayText(*day), e.day);
  }
}

TEST(RavlenDbDay, DaysAreJulianDayNumbersAtMidnight) {
  EXPECT_EQ(parseDay("20240115"), 2460324.5);
  EXPECT_EQ(firstOfYear(2024), 2460310.5);
  EXPECT_EQ(dayText(firstOfNextMonth(*parseDay("20241231"))), "20250101");
  EXPECT_EQ(dayText(firstOfNextMonth(*parseDay("20240201"))), "20240301");
}

TEST(RavlenDbDay, ParseDayRefusesWhatIsNoDay) {
  for (const char* text : {"", "2024011", "202401155", "2024-1-15", "20240230",
                           "20231301", "20240100", "09991231", "2024011x"}) {
    EXPECT_FALSE(parseDay(text).has_value()) << text;
  }
  EXPECT_TRUE(parseDay("20240229").has_value());
  EXPECT_TRUE(parseDay("99991231").has_value());
}

}  // namespace
}  // namespace ravlen
