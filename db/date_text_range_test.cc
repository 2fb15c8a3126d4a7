// The range of whole seconds that a formatted-date comparison selects, for
// texts of every kind. (That the embedded database's bounds select exactly
// the rows of the comparison: tests/date_condition_property_test.cc.)
#include "db/date_text_range.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "db/civil_time.h"

namespace ravlen {
namespace {

std::string boundText(const SecondBound& b) {
  if (b.kind == SecondBound::Kind::kBelowAll) return "-";
  if (b.kind == SecondBound::Kind::kAboveAll) return "+";
  CivilTime t = civilFromSeconds(b.second);
  char text[24];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", t.year,
                t.month, t.day, t.hour, t.minute, t.second);
  return text;
}

std::string rangeText(std::string_view format, std::string_view op,
                      std::string_view text) {
  SecondRange r = dateTextRange(format, *dateCompareOf(op), text);
  return boundText(r.from) + ".." + boundText(r.until);
}

TEST(DateTextRangeTest, RangeOfEveryKindOfText) {
  struct Case {
    const char* format;
    const char* op;
    const char* text;
    const char* range;  // from..until, "-"/"+" the open ends
  };
  const Case kCases[] = {
      {"yyyymmdd", "=", "20240131", "20240131000000..20240201000000"},
      {"YYYYMM", "=", "202402", "20240201000000..20240301000000"},
      {"yyyy", ">=", "2024", "20240101000000..+"},
      {"yyyymmdd", "<", "20240131", "-..20240131000000"},
      {"yyyymmdd", "<=", "20241231", "-..20250101000000"},
      {"yyyymmdd", ">", "20240229", "20240301000000..+"},
      {"yyyymmddhh24miss", "=", "20240131235959",
       "20240131235959..20240201000000"},
      // A shorter text sorts before the dates it begins: 20240110 > 2024011.
      {"yyyymmdd", "<=", "2024011", "-..20240110000000"},
      {"yyyymm", "=", "2024011", "20240201000000..20240201000000"},
      // A longer text sorts after the date it begins: 20240115 < 202401150.
      {"yyyymmdd", ">=", "202401150", "20240116000000..+"},
      {"yyyymmdd", "=", "20240230", "20240301000000..20240301000000"},
      {"yyyymmdd", "=", "2024013a", "20240201000000..20240201000000"},
      {"yyyymmdd", "<", " 20240115", "-..00010101000000"},
      {"yyyymmdd", ">=", "", "00010101000000..+"},
      {"yyyy", ">", "abc", "+..+"},
      {"yyyymmdd", "<=", "99991231", "-..+"},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(rangeText(c.format, c.op, c.text), c.range)
        << c.format << " " << c.op << " '" << c.text << "'";
  }
}

TEST(DateTextRangeTest, OnlyOrderedFormatsAreRanges) {
  for (const char* format : {"yyyy", "yyyymm", "YYYYMMDD", "yyyymmddhh24",
                             "yyyymmddhh24miss"})
    EXPECT_TRUE(isOrderedDateFormat(format)) << format;
  for (const char* format : {"", "mm", "yyyydd", "dd.mm.yyyy", "yyyy-mm",
                             "yyyymmddhh", "yyyymmddhh24ss", "yyyymmdd "})
    EXPECT_FALSE(isOrderedDateFormat(format)) << format;
}

}  // namespace
}  // namespace ravlen
