// PnrRecord: one person on the way from the operational tables ZEV300PNR and
// Zev310Bsv into the warehouse table Zev899Pnr.
//
// Contract:
//  - the 34 fields keep a fixed declared order; each bears the name of the
//    Zev899Pnr column it feeds;
//  - the source cursor fills PnrNum .. PnrPrt (PnrLug from the employment
//    row's BsvLug, the three dates as yyyymmdd); the assignment lookup fills
//    ZtgAzt .. ZtgBsd;
//  - the row's timestamp PnrDat is not part of the record: the writer takes
//    it anew for every row;
//  - clear() makes every number 0 and every text empty, so a field that no
//    statement fills is written as 0 or as an empty text (NULL).
#ifndef RAVLEN_SQL_PNR_RECORD_H_
#define RAVLEN_SQL_PNR_RECORD_H_

#include <cstdint>

#include "db/fixed_text.h"

namespace ravlen {

struct PnrRecord {
  // Source row: the person and the employment row's BsvLug.
  FixedText<8> PnrNum;
  FixedText<8> PnrGeb;  // yyyymmdd
  FixedText<8> PnrEin;  // yyyymmdd
  FixedText<8> PnrGbi;  // yyyymmdd
  FixedText<50> PnrNam;
  FixedText<50> PnrStr;
  FixedText<10> PnrPlz;
  FixedText<50> PnrOrt;
  FixedText<30> PnrTel;
  FixedText<30> PnrMob;
  FixedText<50> PnrEml;
  int32_t PnrAnr = 0;
  int32_t PnrTit = 0;
  FixedText<50> PnrAnm;
  FixedText<10> PnrLug;
  int32_t PnrSta = 0;
  FixedText<15> PnrMrt;
  FixedText<15> PnrFrt;
  FixedText<15> PnrFre;
  int32_t PnrBea = 0;
  FixedText<8> PnrNeb;
  FixedText<8> PnrAkt;
  FixedText<8> PnrEnd;
  FixedText<20> PnrKrd;
  FixedText<15> PnrPrt;

  // The organisational assignment (Zev329Ztg) starting on the day of the run.
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
  void clear() { *this = PnrRecord{}; }
};

}  // namespace ravlen

#endif  // RAVLEN_SQL_PNR_RECORD_H_
