// TgbRecord: one daily balance on its way from the operational table
// Zev320Tgb into the warehouse tables Zev899Tgb and Zev898Tgb.
//
// Contract:
//  - the 119 fields keep a fixed declared order; each bears the name of the
//    warehouse column it feeds, and the writers bind by name, not position;
//  - the source cursor fills fields TgbPnr .. TgbPse, the master-data lookups
//    fill the rest, and the year-balance derivation computes JavIst .. JavDi2;
//  - the stage owns one instance and clears it before every fetch: every
//    number becomes 0 and every text empty, so a field that no statement
//    fills for a row is written as 0 or as an empty text.
#ifndef RAVLEN_SQL_TGB_RECORD_H_
#define RAVLEN_SQL_TGB_RECORD_H_

#include <cstdint>

#include "db/fixed_text.h"

namespace ravlen {

struct TgbRecord {
  // Source row of Zev320Tgb.
  FixedText<8> TgbPnr;
  int32_t TgbZtr = 0;
  FixedText<8> TgbDtm;
  int32_t TgbVt1 = 0, TgbVt2 = 0, TgbVt3 = 0, TgbVt4 = 0, TgbVt5 = 0,
          TgbVt6 = 0, TgbVt7 = 0;
  int32_t TgbSa1 = 0, TgbSa2 = 0, TgbSa3 = 0, TgbSa4 = 0, TgbSa5 = 0,
          TgbSa6 = 0, TgbSa7 = 0;
  int32_t TgbMax = 0, TgbNrm = 0, TgbMab = 0, TgbVhs = 0, TgbUnb = 0,
          TgbVab = 0, TgbPse = 0;

  // 1 when AzvSol .. AzvPsm came from the person's Zev322Gaz row of the day.
  int32_t TgbGaz = 0;
  // Function codes of the day's three slots: text, type text, short mark.
  FixedText<30> TgbTx1, TgbTx2, TgbTx3;
  FixedText<30> TgbFt1, TgbFt2, TgbFt3;
  FixedText<2> TgbTm1, TgbTm2, TgbTm3;

  // Zev327Tag.
  FixedText<3> TagTgb, TagHtv, TagHtn;
  int32_t TagKzv = 0;
  int32_t TagPzv = 0;

  // Zev329Ztg; ZtgAzt is also the key of the Zev140Azv lookup.
  FixedText<5> ZtgVra;
  FixedText<5> ZtgAkr;
  FixedText<15> ZtgAbt;
  FixedText<30> ZtgKst;
  FixedText<6> ZtgKtr;
  FixedText<4> ZtgKrt;
  FixedText<5> ZtgAgr;
  FixedText<5> ZtgBsd;
  FixedText<3> ZtgTtp;
  FixedText<5> ZtgAzt;

  // Zev322Gaz, else Zev140Azv.
  int32_t AzvSol = 0;
  int32_t AzvGlv = 0, AzvGlb = 0, AzvKev = 0, AzvKeb = 0, AzvMav = 0,
          AzvMab = 0;
  FixedText<5> AzvPsm;

  // Base calendar.
  int32_t BakWtg = 0;

  // Zev310Bsv.
  FixedText<50> BsvPnm;
  FixedText<5> BsvAbr;
  FixedText<10> BsvLug;
  FixedText<5> BsvUrl;
  int32_t BsvBgr = 0;
  double BsvDwt = 0;
  FixedText<5> BsvSal, BsvLfz, BsvSfr, BsvJam, BsvKal;
  double BsvPrz = 0;
  int32_t BsvMma = 0, BsvMon = 0, BsvDms = 0, BsvAgm = 0, BsvAgv = 0;
  FixedText<50> BsvRe0, BsvRe1, BsvRe2, BsvRe3, BsvRe4, BsvRe5, BsvRe6,
      BsvRe7, BsvRe8, BsvRe9;
  FixedText<8> BsvGvo;
  FixedText<8> BsvGbi;  // empty when open-ended

  // Zev311Zuo.
  FixedText<8> ZuoGvo;
  FixedText<8> ZuoGbi;  // empty when open-ended

  // Zev332Urv of the year.
  int32_t UrvJhr = 0;
  double UrvVjr = 0, UrvUan = 0, UrvGur = 0, UrvMin = 0, UrvVur = 0,
         UrvAbg = 0, UrvJub = 0, UrvSbh = 0, UrvZus = 0, UrvSul = 0;

  // Latest Zev332Utg row.
  double UtgRtg = 0;
  double UtgGut = 0, UtgVtg = 0, UtgGkt = 0, UtgVfl = 0;

  // Latest Zev332Sfz row.
  double SfzGen = 0, SfzAns = 0, SfzAnt = 0, SfzVpl = 0;

  // Zev332Sfv of the year.
  double SfvVtg = 0, SfvVan = 0, SfvZus = 0;

  // Zev332Jav, then the year-balance derivation.
  int32_t JavJaz = 0;
  int32_t JavIst = 0;
  int32_t JavSol = 0;
  int32_t JavDif = 0;
  int32_t JavDi2 = 0;

  // Zev327Tag.
  int32_t TagNpk = 0;
  int32_t TagAmp = 0;

  // Every number 0, every text empty.
  void clear() { *this = TgbRecord{}; }
};

}  // namespace ravlen

#endif  // RAVLEN_SQL_TGB_RECORD_H_
