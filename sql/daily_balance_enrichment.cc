#include "sql/daily_balance_enrichment.h"

#include <array>
#include <utility>

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

// Bind copies of the lookups' inputs. A statement handed over reads its
// inputs at once, so one copy serves every row.
FixedText<8> boundPnr;
DateText boundDay;
int32_t boundYear = 0;

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

HostVars personAndDay(const TgbRecord& rec) {
  boundPnr = rec.TgbPnr;
  boundDay = rec.TgbDtm;
  static const HostVar kIn[] = {hostVar(boundPnr), hostVar(boundDay)};
  return kIn;
}

HostVars personAndDayTwice(const TgbRecord& rec) {
  personAndDay(rec);
  static const HostVar kIn[] = {hostVar(boundPnr), hostVar(boundDay),
                                hostVar(boundDay)};
  return kIn;
}

HostVars personAndYear(const TgbRecord& rec) {
  boundPnr = rec.TgbPnr;
  boundYear = yearOf(rec);
  static const HostVar kIn[] = {hostVar(boundPnr), hostVar(boundYear)};
  return kIn;
}

// The lookups handed over. Each statement stores into the record's own
// fields, which change only on status 0 (Session::selectIntoLater), so the
// record never shows half a result.

void tagLater(TgbRecord& rec, Session::Done done) {
  const HostVar out[] = {hostVar(rec.TagKzv), hostVar(rec.TagPzv),
                         hostVar(rec.TagTgb), hostVar(rec.TagHtv),
                         hostVar(rec.TagHtn), hostVar(rec.TagNpk),
                         hostVar(rec.TagAmp)};
  session().selectIntoLater(kTag, personAndDay(rec), out, std::move(done));
}

void ztgLater(TgbRecord& rec, Session::Done done) {
  const HostVar out[] = {hostVar(rec.ZtgAzt), hostVar(rec.ZtgVra),
                         hostVar(rec.ZtgAkr), hostVar(rec.ZtgAbt),
                         hostVar(rec.ZtgKst), hostVar(rec.ZtgKtr),
                         hostVar(rec.ZtgKrt), hostVar(rec.ZtgAgr),
                         hostVar(rec.ZtgBsd), hostVar(rec.ZtgTtp)};
  session().selectIntoLater(kZtg, personAndDay(rec), out, std::move(done));
}

// Gaz and Azv deliver the same eight values in the same order.
std::array<HostVar, 8> workingTimeOutputs(TgbRecord& rec) {
  return {hostVar(rec.AzvGlv), hostVar(rec.AzvGlb), hostVar(rec.AzvKev),
          hostVar(rec.AzvKeb), hostVar(rec.AzvMav), hostVar(rec.AzvMab),
          hostVar(rec.AzvPsm), hostVar(rec.AzvSol)};
}

void gazLater(TgbRecord& rec, Session::Done done) {
  session().selectIntoLater(kGaz, personAndDay(rec), workingTimeOutputs(rec),
                            std::move(done));
}

void bsvLater(TgbRecord& rec, Session::Done done) {
  const HostVar out[] = {
      hostVar(rec.BsvPnm), hostVar(rec.BsvGvo), hostVar(rec.BsvGbi),
      hostVar(rec.BsvAbr), hostVar(rec.BsvLug), hostVar(rec.BsvUrl),
      hostVar(rec.BsvBgr), hostVar(rec.BsvDwt), hostVar(rec.BsvSal),
      hostVar(rec.BsvLfz), hostVar(rec.BsvSfr), hostVar(rec.BsvJam),
      hostVar(rec.BsvKal), hostVar(rec.BsvPrz), hostVar(rec.BsvMma),
      hostVar(rec.BsvMon), hostVar(rec.BsvDms), hostVar(rec.BsvAgm),
      hostVar(rec.BsvAgv), hostVar(rec.BsvRe0), hostVar(rec.BsvRe1),
      hostVar(rec.BsvRe2), hostVar(rec.BsvRe3), hostVar(rec.BsvRe4),
      hostVar(rec.BsvRe5), hostVar(rec.BsvRe6), hostVar(rec.BsvRe7),
      hostVar(rec.BsvRe8), hostVar(rec.BsvRe9)};
  session().selectIntoLater(kBsv, personAndDayTwice(rec), out,
                            std::move(done));
}

void zuoLater(TgbRecord& rec, Session::Done done) {
  const HostVar out[] = {hostVar(rec.ZuoGvo), hostVar(rec.ZuoGbi)};
  session().selectIntoLater(kZuo, personAndDayTwice(rec), out,
                            std::move(done));
}

void urvLater(TgbRecord& rec, Session::Done done) {
  const HostVar out[] = {
      hostVar(rec.UrvJhr), hostVar(rec.UrvVjr), hostVar(rec.UrvUan),
      hostVar(rec.UrvGur), hostVar(rec.UrvMin), hostVar(rec.UrvVur),
      hostVar(rec.UrvAbg), hostVar(rec.UrvJub), hostVar(rec.UrvSbh),
      hostVar(rec.UrvZus), hostVar(rec.UrvSul)};
  session().selectIntoLater(kUrv, personAndYear(rec), out, std::move(done));
}

// The "latest row" lookups: the first row of the cursor, which is stored
// only when its fetch succeeds; the status is that fetch's (or the open's).
void firstRowLater(SqlText text, TgbRecord& rec, HostVars out,
                   Session::Done done) {
  session().rowsLater(text, personAndDay(rec), out, 1, [] {},
                      std::move(done));
}

void utgLater(TgbRecord& rec, Session::Done done) {
  const HostVar out[] = {hostVar(rec.UtgGut), hostVar(rec.UtgVtg),
                         hostVar(rec.UtgGkt), hostVar(rec.UtgVfl),
                         hostVar(rec.UtgRtg)};
  firstRowLater(kLatestUtg, rec, out, std::move(done));
}

void sfvLater(TgbRecord& rec, Session::Done done) {
  const HostVar out[] = {hostVar(rec.SfvVtg), hostVar(rec.SfvVan),
                         hostVar(rec.SfvZus)};
  session().selectIntoLater(kSfv, personAndYear(rec), out, std::move(done));
}

void sfzLater(TgbRecord& rec, Session::Done done) {
  const HostVar out[] = {hostVar(rec.SfzGen), hostVar(rec.SfzAns),
                         hostVar(rec.SfzAnt), hostVar(rec.SfzVpl)};
  firstRowLater(kLatestSfz, rec, out, std::move(done));
}

void javLater(TgbRecord& rec, Session::Done done) {
  session().selectIntoLater(kJav, personAndDayTwice(rec),
                            {hostVar(rec.JavJaz)}, std::move(done));
}

// The status of a lookup handed over, once the session has run it.
Session::Done into(SqlStatus* status) {
  return [status](SqlStatus s) { *status = s; };
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
  return session().selectIntoKept(*slot.typeQuery, {hostVar(boundType)},
                                  {hostVar(rec.*slot.typeText)});
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

// Azv of the working-time model ZtgAzt (a code table: kept for the run).
SqlStatus lookupAzv(TgbRecord& rec) {
  static FixedText<5> boundModel;
  boundModel = rec.ZtgAzt;
  return session().selectIntoKept(kAzv, {hostVar(boundModel)},
                                  workingTimeOutputs(rec));
}

SqlStatus atOnce(void (*later)(TgbRecord&, Session::Done), TgbRecord& rec) {
  return runAtOnce([&](Session::Done done) { later(rec, done); });
}

}  // namespace

SqlStatus lookupTag(TgbRecord& rec) { return atOnce(tagLater, rec); }

SqlStatus lookupFunctionCode(TgbRecord& rec, int slot,
                             const FixedText<3>& code) {
  const FunctionCodeSlot& s = kSlots[slot - 1];
  static FixedText<10> boundCode;
  static int32_t type;
  static int16_t typeIndicator;
  boundCode = code.view();
  type = 0;
  SqlStatus status = session().selectIntoKept(
      kFunctionCode, {hostVar(boundCode)},
      {withIndicator(hostVar(type), typeIndicator), hostVar(rec.*s.text),
       hostVar(rec.*s.mark)});
  if (!status.ok() || typeIndicator != 0) return status;
  return lookupFunctionType(rec, s, type);
}

SqlStatus lookupZtg(TgbRecord& rec) { return atOnce(ztgLater, rec); }

void lookupZtgLater(TgbRecord& rec, Session::Done done) {
  ztgLater(rec, std::move(done));
}

SqlStatus lookupGazAzv(TgbRecord& rec) {
  rec.TgbGaz = 0;
  SqlStatus status = atOnce(gazLater, rec);
  if (!status.ok()) return lookupAzv(rec);
  rec.TgbGaz = 1;
  return status;
}

SqlStatus lookupBakWtg(TgbRecord& rec) {
  static DateText boundDate;
  boundDate = rec.TgbDtm;
  return session().selectIntoKept(kBakWtg, {hostVar(boundDate)},
                                  {hostVar(rec.BakWtg)});
}

SqlStatus lookupBsv(TgbRecord& rec) { return atOnce(bsvLater, rec); }
SqlStatus lookupZuo(TgbRecord& rec) { return atOnce(zuoLater, rec); }
SqlStatus lookupUrv(TgbRecord& rec) { return atOnce(urvLater, rec); }
SqlStatus lookupLatestUtg(TgbRecord& rec) { return atOnce(utgLater, rec); }
SqlStatus lookupSfv(TgbRecord& rec) { return atOnce(sfvLater, rec); }
SqlStatus lookupLatestSfz(TgbRecord& rec) { return atOnce(sfzLater, rec); }
SqlStatus lookupJav(TgbRecord& rec) { return atOnce(javLater, rec); }

void deriveYearBalance(TgbRecord& rec, const YearBalancePairs& pairs) {
  if (namesPair(pairs.jhs)) rec.JavSol = pairValue(rec, pairs.jhs);
  if (namesPair(pairs.jhr)) rec.JavIst = pairValue(rec, pairs.jhr);
  rec.JavDif = sub32(rec.JavIst, rec.JavSol);
  rec.JavDi2 = sub32(rec.JavJaz, rec.JavIst);
}

void submitTgbLookups(TgbRecord& rec, TgbLookups& pending) {
  tagLater(rec, nullptr);
  ztgLater(rec, nullptr);
  gazLater(rec, into(&pending.gaz));
  bsvLater(rec, nullptr);
  zuoLater(rec, nullptr);
  urvLater(rec, nullptr);
  utgLater(rec, nullptr);
  sfvLater(rec, nullptr);
  sfzLater(rec, nullptr);
  javLater(rec, into(&pending.jav));
}

void completeTgbLookups(TgbRecord& rec, const TgbLookups& pending,
                        const YearBalancePairs& pairs) {
  if (!rec.TagTgb.empty()) lookupFunctionCode(rec, 1, rec.TagTgb);
  if (!rec.TagHtv.empty()) lookupFunctionCode(rec, 2, rec.TagHtv);
  if (!rec.TagHtn.empty()) lookupFunctionCode(rec, 3, rec.TagHtn);
  rec.TgbGaz = pending.gaz.ok() ? 1 : 0;
  if (!pending.gaz.ok()) lookupAzv(rec);
  lookupBakWtg(rec);
  if (pending.jav.ok() && rec.TgbZtr == 1) deriveYearBalance(rec, pairs);
}

void enrichTgbRow(TgbRecord& rec, const YearBalancePairs& pairs) {
  TgbLookups pending;
  submitTgbLookups(rec, pending);
  session().flush();
  completeTgbLookups(rec, pending, pairs);
}

}  // namespace ravlen
