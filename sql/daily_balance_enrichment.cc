#include "sql/daily_balance_enrichment.h"

#include "db/session.h"

namespace ravlen {
namespace {

constexpr SqlText kTag =
    "select TagKzv ,TagPzv ,TagTgb ,TagHtv ,TagHtn ,TagNpk ,TagAmp into "
    ":b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13  from Zev327Tag "
    "where (TagPnr=:b14 and TagTag=to_date(:b15,'yyyymmdd'))";

constexpr SqlText kFunctionCode =
    "select FcdTyp ,FcdTxt ,FcdKrt into :b0:b1,:b2:b3,:b4:b5  from Zev131Fcd "
    "where FcdNum=:b6";
// The type's name, the same value list as the booking functions; slot 3
// spells the schema differently, which names the same schema.
constexpr SqlText kFunctionTypeSlots12 =
    "select ftxt50 into :b0:b1  from Kalderon.Zev102whl where "
    "((ftxnumspr=13102 and ftxwhl=:b2) and ftxspr=1)";
constexpr SqlText kFunctionTypeSlot3 =
    "select ftxt50 into :b0:b1  from KalDeron.Zev102whl where "
    "((ftxnumspr=13102 and ftxwhl=:b2) and ftxspr=1)";

constexpr SqlText kZtg =
    "select ZtgAzt ,ZtgVra ,ZtgAkr ,ZtgAbt ,ZtgKst ,ZtgKtr ,ZtgKrt ,ZtgAgr "
    ",ZtgBsd ,ZtgTtp into :b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,"
    ":b12:b13,:b14:b15,:b16:b17,:b18:b19  from Zev329Ztg where "
    "(ZtgPnr=:b20 and ZtgVon=to_date(:b21,'yyyymmdd'))";

constexpr SqlText kGaz =
    "select GazGlv ,GazGlb ,GazKev ,GazKeb ,GazMav ,GazMab ,GazPsm ,GazSol "
    "into :b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13,:b14:b15  "
    "from Zev322Gaz where (GazPnr=:b16 and GazDtm=to_date(:b17,'yyyymmdd'))";
constexpr SqlText kAzv =
    "select AzvGlv ,AzvGlb ,AzvKev ,AzvKeb ,AzvMav ,AzvMab ,AzvPsm ,AzvSol "
    "into :b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13,:b14:b15  "
    "from Zev140Azv where AzvNum=:b16";

constexpr SqlText kBakWtg =
    "select BakWtg into :b0:b1  from Kalderon.Zev133Bak where "
    "BakDtm=to_date(:b2,'yyyymmdd')";

constexpr SqlText kBsv =
    "select BsvPnm ,to_char(BsvGvo,'yyyymmdd') ,to_char(BsvGbi,'yyyymmdd') "
    ",BsvAbr ,BsvLug ,BsvUrl ,BsvBgr ,BsvDwt ,BsvSal ,BsvLfz ,BsvSfr ,BsvJam "
    ",BsvKal ,BsvPrz ,BsvMma ,BsvMon ,BsvDms ,BsvAgm ,BsvAgv ,BsvRe0 ,BsvRe1 "
    ",BsvRe2 ,BsvRe3 ,BsvRe4 ,BsvRe5 ,BsvRe6 ,BsvRe7 ,BsvRe8 ,BsvRe9 into "
    ":b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13,:b14:b15,:b16:b17,"
    ":b18:b19,:b20:b21,:b22:b23,:b24:b25,:b26:b27,:b28:b29,:b30:b31,:b32:b33,"
    ":b34:b35,:b36:b37,:b38:b39,:b40:b41,:b42:b43,:b44:b45,:b46:b47,:b48:b49,"
    ":b50:b51,:b52:b53,:b54:b55,:b56:b57  from Zev310Bsv where "
    "((BsvPnr=:b58 and BsvGvo<=to_date(:b59,'yyyymmdd')) and "
    "(BsvGbi>=to_date(:b59,'yyyymmdd') or BsvGbi is null ))";

constexpr SqlText kZuo =
    "select to_char(ZuoGvo,'yyyymmdd') ,to_char(ZuoGbi,'yyyymmdd') into "
    ":b0:b1,:b2:b3  from Zev311Zuo where ((ZuoPnr=:b4 and "
    "ZuoGvo<=to_date(:b5,'yyyymmdd')) and (ZuoGbi>=to_date(:b5,'yyyymmdd') "
    "or ZuoGbi is null ))";

constexpr SqlText kUrv =
    "select UrvJhr ,UrvVjr ,UrvUan ,UrvGur ,UrvMin ,UrvVur ,UrvAbg ,UrvJub "
    ",UrvSbh ,UrvZus ,UrvSul into :b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,"
    ":b10:b11,:b12:b13,:b14:b15,:b16:b17,:b18:b19,:b20:b21  from Zev332Urv "
    "where (UrvPnr=:b22 and UrvJhr=:b23)";

constexpr SqlText kLatestUtg =
    "select UtgGut ,UtgVtg ,UtgGkt ,UtgVfl ,UtgRtg  from Zev332Utg where "
    "(UtgPnr=:b0 and UtgDtm<=to_date(:b1,'yyyymmdd')) order by UtgDtm desc";

constexpr SqlText kSfv =
    "select SfvVtg ,SfvVan ,SfvZus into :b0:b1,:b2:b3,:b4:b5  from Zev332Sfv "
    "where (SfvPnr=:b6 and SfvJhr=:b7)";

// The third column is spelt SzfAnt in the table and in the statement.
constexpr SqlText kLatestSfz =
    "select SfzGen ,SfzAns ,SzfAnt ,SfzVpl  from Zev332Sfz where "
    "(SfzPnr=:b0 and SfzDtm<=to_date(:b1,'yyyymmdd')) order by SfzDtm desc";

constexpr SqlText kJav =
    "select JavJaz into :b0:b1  from Zev332Jav where ((JavPnr=:b2 and "
    "JavBeg<=to_date(:b3,'yyyymmdd')) and JavEnd>=to_date(:b3,'yyyymmdd'))";

// The lookups' working copy: a lookup copies the caller's record in, lets
// the statement write into it, and copies it back only on status 0, so the
// record never shows half a result. Inputs bind from the copy as well.
TgbRecord work;
int32_t workYear = 0;

// The year of the day: the integer value of TgbDtm's first four characters
// (leading digits only, as a C conversion reads them).
int32_t yearOf(const TgbRecord& rec) {
  int32_t year = 0;
  std::string_view day = rec.TgbDtm.view().substr(0, 4);
  for (char c : day) {
    if (c < '0' || c > '9') break;
    year = year * 10 + (c - '0');
  }
  return year;
}

void takeIn(const TgbRecord& rec) {
  work = rec;
  workYear = yearOf(rec);
}

SqlStatus giveBack(SqlStatus status, TgbRecord& rec) {
  if (status.ok()) rec = work;
  return status;
}

SqlStatus selectIntoRecord(TgbRecord& rec, SqlText text, HostVars in,
                           HostVars out) {
  takeIn(rec);
  return giveBack(session().selectInto(text, in, out), rec);
}

// The "latest row" lookups: open the cursor, take its first row, close it
// whatever the fetch returned, and report the fetch.
SqlStatus firstRowIntoRecord(TgbRecord& rec, SqlText text, HostVars out) {
  takeIn(rec);
  SqlStatus status =
      session().openCursor(text, {hostVar(work.TgbPnr), hostVar(work.TgbDtm)});
  if (!status.ok()) return status;
  status = session().fetch(text, out);
  session().closeCursor(text);
  return giveBack(status, rec);
}

HostVars personAndDay() {
  static const HostVar kIn[] = {hostVar(work.TgbPnr), hostVar(work.TgbDtm)};
  return kIn;
}

HostVars personAndDayTwice() {
  static const HostVar kIn[] = {hostVar(work.TgbPnr), hostVar(work.TgbDtm),
                                hostVar(work.TgbDtm)};
  return kIn;
}

HostVars personAndYear() {
  static const HostVar kIn[] = {hostVar(work.TgbPnr), hostVar(workYear)};
  return kIn;
}

// One function-code slot: its code field and the three fields it fills.
struct FunctionCodeSlot {
  FixedText<30> TgbRecord::*text;
  FixedText<30> TgbRecord::*typeText;
  FixedText<2> TgbRecord::*mark;
  const SqlText* typeQuery;
};

const FunctionCodeSlot kSlots[] = {
    {&TgbRecord::TgbTx1, &TgbRecord::TgbFt1, &TgbRecord::TgbTm1,
     &kFunctionTypeSlots12},
    {&TgbRecord::TgbTx2, &TgbRecord::TgbFt2, &TgbRecord::TgbTm2,
     &kFunctionTypeSlots12},
    {&TgbRecord::TgbTx3, &TgbRecord::TgbFt3, &TgbRecord::TgbTm3,
     &kFunctionTypeSlot3},
};

// The type text of a function code: on 0 into the slot's type-text field.
SqlStatus lookupFunctionType(TgbRecord& rec, const FunctionCodeSlot& slot,
                             int32_t type) {
  static int32_t boundType;
  boundType = type;
  return selectIntoRecord(rec, *slot.typeQuery, {hostVar(boundType)},
                          {hostVar(work.*slot.typeText)});
}

// Wrapping 32-bit arithmetic: the sums of balance pairs may overflow, and
// that must not be undefined behaviour.
int32_t add32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) +
                              static_cast<uint32_t>(b));
}
int32_t sub32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) -
                              static_cast<uint32_t>(b));
}

// The value of balance pair n (1 .. 7): TgbVtN + TgbSaN.
int32_t pairValue(const TgbRecord& rec, int32_t n) {
  static constexpr int32_t TgbRecord::*kVt[] = {
      &TgbRecord::TgbVt1, &TgbRecord::TgbVt2, &TgbRecord::TgbVt3,
      &TgbRecord::TgbVt4, &TgbRecord::TgbVt5, &TgbRecord::TgbVt6,
      &TgbRecord::TgbVt7};
  static constexpr int32_t TgbRecord::*kSa[] = {
      &TgbRecord::TgbSa1, &TgbRecord::TgbSa2, &TgbRecord::TgbSa3,
      &TgbRecord::TgbSa4, &TgbRecord::TgbSa5, &TgbRecord::TgbSa6,
      &TgbRecord::TgbSa7};
  return add32(rec.*kVt[n - 1], rec.*kSa[n - 1]);
}

bool namesPair(int32_t n) { return n >= 1 && n <= 7; }

}  // namespace

SqlStatus lookupTag(TgbRecord& rec) {
  static const HostVar kOut[] = {
      hostVar(work.TagKzv), hostVar(work.TagPzv), hostVar(work.TagTgb),
      hostVar(work.TagHtv), hostVar(work.TagHtn), hostVar(work.TagNpk),
      hostVar(work.TagAmp)};
  return selectIntoRecord(rec, kTag, personAndDay(), kOut);
}

SqlStatus lookupFunctionCode(TgbRecord& rec, int slot,
                             const FixedText<3>& code) {
  const FunctionCodeSlot& s = kSlots[slot - 1];
  static FixedText<10> boundCode;
  static int32_t type;
  static int16_t typeIndicator;
  boundCode = code.view();
  type = 0;
  SqlStatus status = selectIntoRecord(
      rec, kFunctionCode, {hostVar(boundCode)},
      {withIndicator(hostVar(type), typeIndicator), hostVar(work.*s.text),
       hostVar(work.*s.mark)});
  if (!status.ok() || typeIndicator != 0) return status;
  return lookupFunctionType(rec, s, type);
}

SqlStatus lookupZtg(TgbRecord& rec) {
  static const HostVar kOut[] = {
      hostVar(work.ZtgAzt), hostVar(work.ZtgVra), hostVar(work.ZtgAkr),
      hostVar(work.ZtgAbt), hostVar(work.ZtgKst), hostVar(work.ZtgKtr),
      hostVar(work.ZtgKrt), hostVar(work.ZtgAgr), hostVar(work.ZtgBsd),
      hostVar(work.ZtgTtp)};
  return selectIntoRecord(rec, kZtg, personAndDay(), kOut);
}

SqlStatus lookupGazAzv(TgbRecord& rec) {
  // Both statements deliver the same eight values in the same order.
  static const HostVar kOut[] = {
      hostVar(work.AzvGlv), hostVar(work.AzvGlb), hostVar(work.AzvKev),
      hostVar(work.AzvKeb), hostVar(work.AzvMav), hostVar(work.AzvMab),
      hostVar(work.AzvPsm), hostVar(work.AzvSol)};
  rec.TgbGaz = 0;
  takeIn(rec);
  work.TgbGaz = 1;
  SqlStatus status = session().selectInto(kGaz, personAndDay(), kOut);
  if (status.ok()) return giveBack(status, rec);
  return selectIntoRecord(rec, kAzv, {hostVar(work.ZtgAzt)}, kOut);
}

SqlStatus lookupBakWtg(TgbRecord& rec) {
  return selectIntoRecord(rec, kBakWtg, {hostVar(work.TgbDtm)},
                          {hostVar(work.BakWtg)});
}

SqlStatus lookupBsv(TgbRecord& rec) {
  static const HostVar kOut[] = {
      hostVar(work.BsvPnm), hostVar(work.BsvGvo), hostVar(work.BsvGbi),
      hostVar(work.BsvAbr), hostVar(work.BsvLug), hostVar(work.BsvUrl),
      hostVar(work.BsvBgr), hostVar(work.BsvDwt), hostVar(work.BsvSal),
      hostVar(work.BsvLfz), hostVar(work.BsvSfr), hostVar(work.BsvJam),
      hostVar(work.BsvKal), hostVar(work.BsvPrz), hostVar(work.BsvMma),
      hostVar(work.BsvMon), hostVar(work.BsvDms), hostVar(work.BsvAgm),
      hostVar(work.BsvAgv), hostVar(work.BsvRe0), hostVar(work.BsvRe1),
      hostVar(work.BsvRe2), hostVar(work.BsvRe3), hostVar(work.BsvRe4),
      hostVar(work.BsvRe5), hostVar(work.BsvRe6), hostVar(work.BsvRe7),
      hostVar(work.BsvRe8), hostVar(work.BsvRe9)};
  return selectIntoRecord(rec, kBsv, personAndDayTwice(), kOut);
}

SqlStatus lookupZuo(TgbRecord& rec) {
  static const HostVar kOut[] = {hostVar(work.ZuoGvo), hostVar(work.ZuoGbi)};
  return selectIntoRecord(rec, kZuo, personAndDayTwice(), kOut);
}

SqlStatus lookupUrv(TgbRecord& rec) {
  static const HostVar kOut[] = {
      hostVar(work.UrvJhr), hostVar(work.UrvVjr), hostVar(work.UrvUan),
      hostVar(work.UrvGur), hostVar(work.UrvMin), hostVar(work.UrvVur),
      hostVar(work.UrvAbg), hostVar(work.UrvJub), hostVar(work.UrvSbh),
      hostVar(work.UrvZus), hostVar(work.UrvSul)};
  return selectIntoRecord(rec, kUrv, personAndYear(), kOut);
}

SqlStatus lookupLatestUtg(TgbRecord& rec) {
  static const HostVar kOut[] = {hostVar(work.UtgGut), hostVar(work.UtgVtg),
                                 hostVar(work.UtgGkt), hostVar(work.UtgVfl),
                                 hostVar(work.UtgRtg)};
  return firstRowIntoRecord(rec, kLatestUtg, kOut);
}

SqlStatus lookupSfv(TgbRecord& rec) {
  static const HostVar kOut[] = {hostVar(work.SfvVtg), hostVar(work.SfvVan),
                                 hostVar(work.SfvZus)};
  return selectIntoRecord(rec, kSfv, personAndYear(), kOut);
}

SqlStatus lookupLatestSfz(TgbRecord& rec) {
  static const HostVar kOut[] = {hostVar(work.SfzGen), hostVar(work.SfzAns),
                                 hostVar(work.SfzAnt), hostVar(work.SfzVpl)};
  return firstRowIntoRecord(rec, kLatestSfz, kOut);
}

SqlStatus lookupJav(TgbRecord& rec) {
  return selectIntoRecord(rec, kJav, personAndDayTwice(),
                          {hostVar(work.JavJaz)});
}

void deriveYearBalance(TgbRecord& rec, const YearBalancePairs& pairs) {
  if (namesPair(pairs.jhs)) rec.JavSol = pairValue(rec, pairs.jhs);
  if (namesPair(pairs.jhr)) rec.JavIst = pairValue(rec, pairs.jhr);
  rec.JavDif = sub32(rec.JavIst, rec.JavSol);
  rec.JavDi2 = sub32(rec.JavJaz, rec.JavIst);
}

void enrichTgbRow(TgbRecord& rec, const YearBalancePairs& pairs) {
  lookupTag(rec);
  if (!rec.TagTgb.empty()) lookupFunctionCode(rec, 1, rec.TagTgb);
  if (!rec.TagHtv.empty()) lookupFunctionCode(rec, 2, rec.TagHtv);
  if (!rec.TagHtn.empty()) lookupFunctionCode(rec, 3, rec.TagHtn);
  lookupZtg(rec);
  lookupGazAzv(rec);
  lookupBakWtg(rec);
  lookupBsv(rec);
  lookupZuo(rec);
  lookupUrv(rec);
  lookupLatestUtg(rec);
  lookupSfv(rec);
  lookupLatestSfz(rec);
  SqlStatus jav = lookupJav(rec);
  if (jav.ok() && rec.TgbZtr == 1) deriveYearBalance(rec, pairs);
}

}  // namespace ravlen
