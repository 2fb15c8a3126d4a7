// BchRecord: one booking on its way from the operational table Zev321Bch into
// the warehouse table Zev899Bch.
//
// Contract:
//  - the 21 fields keep a fixed declared order, the order of the insert's
//    columns; each bears the name of the Zev899Bch column it feeds;
//  - the source cursor fills BchPnr, BchVon, BchUhr, BchFkt, BchFcd, BchKst,
//    BchTrm and BchErf; the lookups fill the three texts and the nine Ztg
//    fields; BchBup is always 0;
//  - the timestamp column BchDat is not part of the record: the writer takes
//    a fresh one for every row it writes;
//  - clear() makes every number 0 and every text empty, so a field that no
//    statement fills is written as 0 or as an empty text (NULL).
#ifndef RAVLEN_SQL_BCH_RECORD_H_
#define RAVLEN_SQL_BCH_RECORD_H_

#include <cstdint>

#include "db/fixed_text.h"

namespace ravlen {

struct BchRecord {
  FixedText<8> BchPnr;
  FixedText<8> BchVon;  // yyyymmdd
  FixedText<6> BchUhr;  // hh24miss
  int32_t BchFkt = 0;
  FixedText<30> BchTtx;  // text of the booking function
  FixedText<3> BchFcd;
  FixedText<30> BchFtx;  // text of the function code
  FixedText<30> BchKst;
  FixedText<30> BchKtx;  // short text of the cost centre
  int32_t BchBup = 0;
  FixedText<50> BchErf;
  FixedText<255> BchTrm;

  // Assignment (Zev329Ztg) starting on the booking day.
  FixedText<5> ZtgAzt;
  FixedText<5> ZtgVra;
  FixedText<5> ZtgAkr;
  FixedText<15> ZtgAbt;
  FixedText<30> ZtgKst;
  FixedText<6> ZtgKtr;
  FixedText<4> ZtgKrt;
  FixedText<5> ZtgAgr;
  FixedText<5> ZtgBsd;

  // Every number 0, every text empty.
  void clear() { *this = BchRecord{}; }
};

}  // namespace ravlen

#endif  // RAVLEN_SQL_BCH_RECORD_H_
