// Folding time-account rows of one warehouse key into one row.
#include "sql/zkb_key_totals.h"

#include <gtest/gtest.h>

namespace ravlen {
namespace {

ZkbRecord booking(std::string_view pnr, std::string_view kst, int32_t std,
                  int32_t anz) {
  ZkbRecord rec;
  rec.ZkbPnr = pnr;
  rec.ZkbKst = kst;
  rec.ZkbKtr = "T";
  rec.ZkbKrt = "R";
  rec.ZkbZkt = "GLZ";
  rec.ZkbStd = std;
  rec.ZkbTge = 10 * std;
  rec.ZkbAnz = anz;
  return rec;
}

TEST(ZkbKeyTotalsTest, RowsOfOneKeyCarryTheirTotalsAndFirstNumber) {
  ZkbKeyTotals totals;
  totals.startScope();
  ZkbRecord a = booking("1", "K", 1, 1), b = booking("2", "K", 2, 1),
            c = booking("1", "K", 4, 1), d = booking("1", "K", 8, 1);
  totals.fold(a, true);
  totals.fold(b, true);
  totals.fold(c, true);
  totals.fold(d, true);
  EXPECT_EQ(a.ZkbNum, 1);
  EXPECT_EQ(b.ZkbNum, 2);
  EXPECT_EQ(d.ZkbNum, 1);
  EXPECT_EQ(d.ZkbStd, 13);
  EXPECT_EQ(d.ZkbTge, 130);
  EXPECT_EQ(d.ZkbAnz, 3);
  EXPECT_EQ(b.ZkbStd, 2) << "another person is another key";

  // The next key after a merge takes the next free number.
  ZkbRecord e = booking("3", "K", 1, 1);
  totals.fold(e, true);
  EXPECT_EQ(e.ZkbNum, 3);
}

TEST(ZkbKeyTotalsTest, EmptyKeyPartsAndWeekCountsAndNewScopes) {
  ZkbKeyTotals totals;
  totals.startScope();
  ZkbRecord a = booking("1", "", 1, 0), b = booking("1", "", 2, 0);
  totals.fold(a, true);
  totals.fold(b, true);
  EXPECT_EQ(b.ZkbNum, 2) << "an empty key part never meets a stored row";
  EXPECT_EQ(b.ZkbStd, 2);
  ZkbRecord noPerson1 = booking("", "K", 1, 0), noPerson2 = booking("", "K", 2, 0);
  totals.fold(noPerson1, true);
  totals.fold(noPerson2, true);
  EXPECT_EQ(noPerson2.ZkbNum, 4) << "an empty person is an empty key part";
  EXPECT_EQ(noPerson2.ZkbStd, 2);

  // A week booking's day count is the same for each booking of its key.
  ZkbRecord w1 = booking("1", "K", 1, 5), w2 = booking("1", "K", 2, 5);
  totals.fold(w1, false);
  totals.fold(w2, false);
  EXPECT_EQ(w2.ZkbStd, 3);
  EXPECT_EQ(w2.ZkbAnz, 5);

  totals.startScope();
  ZkbRecord again = booking("1", "K", 7, 1);
  totals.fold(again, true);
  EXPECT_EQ(again.ZkbNum, 1);
  EXPECT_EQ(again.ZkbStd, 7);

  // A scope whose own key part is empty (an evaluation without a name)
  // folds nothing.
  totals.startScope(false);
  ZkbRecord x = booking("1", "K", 5, 1), y = booking("1", "K", 7, 1);
  totals.fold(x, true);
  totals.fold(y, true);
  EXPECT_EQ(y.ZkbNum, 2);
  EXPECT_EQ(y.ZkbStd, 7);
}

}  // namespace
}  // namespace ravlen
