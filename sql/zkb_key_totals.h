// Time-account rows that share a warehouse key within one scope (the
// bookings of one daily balance, the sum groups of one period) would
// overwrite each other in the warehouse, whose key is person, period code,
// day and the four account keys: every row but the last would lose its
// hours. Such rows are therefore stored as one row per key that carries
// their totals. A row with an empty key part never matches a stored row
// (the empty text is stored as NULL, and NULL equals nothing), so its
// writer's update would miss the row stored before and insert the running
// total as a second row: such a row is never folded and stays a row of its
// own with its own running number. That holds for the person and the four
// account keys of the row, and for the key parts that the scope gives all
// its rows (an evaluation's name and end date).
//
// Use: startScope() before the scope's first row; fold() every row before
// it is written; the writer's update then replaces the key's stored row
// with the totals.
#ifndef RAVLEN_SQL_ZKB_KEY_TOTALS_H_
#define RAVLEN_SQL_ZKB_KEY_TOTALS_H_

#include <cstdint>
#include <map>
#include <string>

#include "sql/zkb_record.h"

namespace ravlen {

class ZkbKeyTotals {
 public:
  // `scopeKeyComplete` is false when a key part that the scope gives its
  // rows is empty (an evaluation without name or end date): then no row of
  // the scope is folded.
  void startScope(bool scopeKeyComplete = true);

  // Gives `rec` its running number and folds it into its key's totals:
  //  - a key new to the scope, or a row with an empty key part, takes the
  //    next number, 1, 2, 3 ...;
  //  - a key already seen in the scope keeps its first number, and ZkbStd,
  //    ZkbTge, ZkbStg and ZkbSto become the totals over the scope's rows of
  //    the key; ZkbAnz as well when `addDayCounts` (day bookings and sums,
  //    whose counts add up; a week or month booking's count is the same for
  //    every booking of its key and is kept).
  // Sums wrap around at 32 bits instead of overflowing.
  void fold(ZkbRecord& rec, bool addDayCounts);

 private:
  struct Totals {
    int32_t number, std, tge, stg, sto, anz;
  };

  std::map<std::string, Totals> byKey_;
  int32_t lastNumber_ = 0;
  bool scopeKeyComplete_ = true;
};

}  // namespace ravlen

#endif  // RAVLEN_SQL_ZKB_KEY_TOTALS_H_
