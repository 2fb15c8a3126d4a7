// BstRecord: one booking-statistics group on its way into the warehouse
// tables Zev899Bst (period codes 1 to 6) and Zev898Bst (period code 7).
//
// Contract:
//  - the six fields keep a fixed declared order; each bears the name of the
//    warehouse column it feeds;
//  - the caller sets BstZtr and BstDtm (the period's first day, yyyymmdd)
//    before each fetch; the count and sum cursors fill BstPnr, BstFcd, BstFkt
//    and BstAnz and leave the caller's BstZtr and BstDtm alone;
//  - clear() makes every number 0 and every text empty, so a field that no
//    statement fills is written as 0 or as an empty text (NULL).
#ifndef RAVLEN_SQL_BST_RECORD_H_
#define RAVLEN_SQL_BST_RECORD_H_

#include <cstdint>

#include "db/fixed_text.h"

namespace ravlen {

struct BstRecord {
  FixedText<8> BstPnr;  // person number
  int32_t BstZtr = 0;   // period code, 1 day .. 7 evaluation period
  DateText BstDtm;      // first day of the period
  FixedText<3> BstFcd;  // function code of the bookings
  int32_t BstFkt = 0;   // booking function of the bookings
  int32_t BstAnz = 0;   // number of bookings

  // Every number 0, every text empty.
  void clear() { *this = BstRecord{}; }
};

}  // namespace ravlen

#endif  // RAVLEN_SQL_BST_RECORD_H_
