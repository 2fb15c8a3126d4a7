// Which formats sort as the date does, so that a comparison of their text
// is a range. (That the ranges select exactly the rows of the comparisons:
// tests/date_condition_property_test.cc.)
#include "db/date_text_range.h"

#include <gtest/gtest.h>

namespace ravlen {
namespace {

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
