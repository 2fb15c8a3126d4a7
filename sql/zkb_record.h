// ZkbRecord: one time-account booking on its way from the operational table
// Zev331Zkb into the warehouse tables Zev899Zkb and Zev898Zkb, and one summed
// group of Zev899Zkb rows in the period roll-up.
//
// Contract:
//  - the 23 fields keep a fixed declared order; each bears the name of the
//    warehouse column it feeds, and the writers bind by name;
//  - the source cursor fills ZkbPnr .. ZkbBem; the transfer sets ZkbNum (the
//    running number), ZkbAnz (the number of day bookings the row stands for)
//    and copies the nine Ztg texts from the daily-balance row;
//  - a summed row carries the group's key fields and Ztg texts and the sums
//    of ZkbStd, ZkbSto, ZkbTge, ZkbStg and ZkbAnz; ZkbBem stays 0;
//  - clear() makes every number 0 and every text empty, so a field that no
//    statement fills is written as 0 or as an empty text (NULL).
#ifndef RAVLEN_SQL_ZKB_RECORD_H_
#define RAVLEN_SQL_ZKB_RECORD_H_

#include <cstdint>

#include "db/fixed_text.h"

namespace ravlen {

struct ZkbRecord {
  // Source row of Zev331Zkb; ZkbPnr .. ZkbZkt form the warehouse key.
  FixedText<8> ZkbPnr;
  int32_t ZkbZtr = 0;
  FixedText<8> ZkbDtm;  // yyyymmdd: the day, or the period's first day
  FixedText<30> ZkbKst;
  FixedText<6> ZkbKtr;
  FixedText<4> ZkbKrt;
  FixedText<5> ZkbZkt;
  int32_t ZkbStd = 0;
  int32_t ZkbTge = 0;
  int32_t ZkbStg = 0;
  int32_t ZkbSto = 0;
  int32_t ZkbBem = 0;

  // Set by the transfer.
  int32_t ZkbNum = 0;
  int32_t ZkbAnz = 0;

  // Working-time assignment of the daily-balance row.
  FixedText<5> ZtgVra;
  FixedText<5> ZtgAkr;
  FixedText<15> ZtgAbt;
  FixedText<30> ZtgKst;
  FixedText<6> ZtgKtr;
  FixedText<4> ZtgKrt;
  FixedText<5> ZtgAgr;
  FixedText<5> ZtgBsd;
  FixedText<3> ZtgTtp;

  // Every number 0, every text empty.
  void clear() { *this = ZkbRecord{}; }
};

}  // namespace ravlen

#endif  // RAVLEN_SQL_ZKB_RECORD_H_
