// The form check of the date arguments: what counts as a day yyyymmdd.
#include "run/date_argument.h"

#include <gtest/gtest.h>

namespace ravlen {
namespace {

TEST(DateArgumentTest, RealDaysOfEightDigits) {
  for (const char* day : {"20240101", "20241231", "20240229", "20000229",
                          "20230430", "00010101", "99991231"}) {
    EXPECT_TRUE(isCalendarDate(day)) << day;
  }
}

TEST(DateArgumentTest, RefusesTextsThatAreNoDay) {
  for (const char* text :
       {"", "2024", "202401", "2024010", "202401011", "2024-01-", "2024O101",
        " 2024010", "+2024010", "2024 101", "20240100", "20240132",
        "20240001", "20241301", "20240431", "20230229", "19000229",
        "00000101", "/d", "\xFC\xFC\xFC\xFC\xFC\xFC\xFC\xFC"}) {
    EXPECT_FALSE(isCalendarDate(text)) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace ravlen
