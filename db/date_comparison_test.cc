// Which formatted-date comparisons of a statement text are recognised for
// the range rewrite, and which are left as written because another
// operator could take one of their operands.
#include "db/date_comparison.h"

#include <gtest/gtest.h>

#include <string>

namespace ravlen {
namespace {

// Each comparison found as "column op value", joined by " | ".
std::string found(std::string_view text) {
  std::vector<SqlToken> tokens = tokenizeSql(text);
  std::string result;
  auto join = [&](size_t begin, size_t end) {
    std::string part;
    for (size_t i = begin; i < end; ++i) part += tokens[i].text;
    return part;
  };
  for (const DateComparison& c : findDateComparisons(tokens)) {
    if (!result.empty()) result += " | ";
    result += join(c.columnBegin, c.columnEnd) + " " +
              std::string(dateCompareText(c.op)) + " " +
              join(c.valueBegin, c.valueEnd) + " '" + std::string(c.format) +
              "'";
  }
  return result;
}

TEST(DateComparisonTest, FindsTheStatementsComparisonsInBothOrders) {
  EXPECT_EQ(found("select BchPnr from Zev321Bch where "
                  "((to_char(BchVon,'yyyymmdd')>=:b0 and "
                  "to_char(BchVon,'yyyymmdd')<=:b1) and BchFkt<>45) group by "
                  "BchPnr"),
            "BchVon >= :b0 'yyyymmdd' | BchVon <= :b1 'yyyymmdd'");
  EXPECT_EQ(found("select 1 from KalDeron.Zev133Bak where "
                  "to_char(BakDtm,'yyyymm')=substr(:b4,1,6)"),
            "BakDtm = substr(:b4,1,6) 'yyyymm'");
  EXPECT_EQ(found("where :b0:b1 < to_char( k.t.D , 'YYYY' ) or '2024'>="
                  "to_char(D,'yyyy')"),
            "k.t.D > :b0:b1 'YYYY' | D <= '2024' 'yyyy'");
  EXPECT_EQ(found("where not to_char(D,'yyyy')=2024 order by D"),
            "D = 2024 'yyyy'");
}

TEST(DateComparisonTest, LeavesWhatAnotherOperatorCouldTake) {
  for (const char* text : {
           "where to_char(D,'dd.mm.yyyy')=:b0",       // unordered format
           "where to_char(D,'yyyy')<>:b0",            // two ranges
           "where to_char(D,'yyyy')=E",               // a column
           "where to_char(D,'yyyy')=upper(E)",        // a column inside
           "where to_char(D,'yyyy')=random()",        // not pure
           "having to_char(D,'yyyy')=max(:b0)",       // an aggregate
           "where to_char(D,'yyyy')=:b0||'1'",        // || takes :b0
           "where 'x'||to_char(D,'yyyy')=:b0",        // || takes to_char
           "where to_char(D,'yyyy')=:b0 collate nocase",
           "where x between :b1 and to_char(D,'yyyy')=:b0",
           "where x is not to_char(D,'yyyy')=:b0",
           "where to_char(f(D),'yyyy')=:b0",          // no column
       }) {
    EXPECT_EQ(found(text), "") << text;
  }
}

}  // namespace
}  // namespace ravlen
