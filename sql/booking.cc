#include "sql/booking.h"

#include <array>

#include "db/session.h"
#include "sql/calendar.h"
#include "sql/update_or_insert.h"
#include "sql/window_delete.h"

namespace ravlen {
namespace {

constexpr SqlText kBchSource =
    "select BchPnr ,to_char(BchVon,'yyyymmdd') ,to_char(BchUhr,'HH24MiSS') "
    ",BchFkt ,BchFcd ,BchKst ,BchTrm ,BchErf  from Zev321Bch where "
    "(BchVon>=to_date(:b0,'yyyymmdd') and BchVon<=to_date(:b1,'yyyymmdd')) "
    "order by BchPnr";

constexpr SqlText kLookupPnrSpr =
    "select PnrSpr into :b0:b1  from zev300pnr where PNRNUM=:b2";
// 13102 is the value list of the booking functions' texts.
constexpr SqlText kLookupFktText =
    "select ftxt50 into :b0:b1  from kalderon.zev102whl where "
    "((ftxnumspr=13102 and ftxwhl=:b2) and ftxspr=:b3)";
constexpr SqlText kLookupFcdText =
    "select fcdtxt into :b0:b1  from zev131fcd where fcdnum=:b2";
constexpr SqlText kLookupKstText =
    "select kstktx into :b0:b1  from O1003KSTSTELLE where kstnum=:b2";
constexpr SqlText kLookupBchZtg =
    "select ZTGAZT ,ZTGVRA ,ZTGAKR ,ZTGABT ,ZTGKST ,ZTGKTR ,ZTGKRT ,ZTGAGR "
    ",ZTGBSD into :b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13,"
    ":b14:b15,:b16:b17  from ZEV329ZTG where (ZTGPNR=:b18 and "
    "ZTGVON=to_date(:b19,'yyyymmdd'))";

constexpr SqlText kUpdateBch =
    "update Zev899Bch  set BchFkt=:b0,BchTtx=:b1,BchFcd=:b2,BchFtx=:b3,"
    "BchKst=:b4,BchKtx=:b5,BchBup=:b6,BchErf=:b7,BchTrm=:b8,ZtgAzt=:b9,"
    "ZtgVra=:b10,ZtgAkr=:b11,ZtgAbt=:b12,ZtgKst=:b13,ZtgKtr=:b14,"
    "ZtgKrt=:b15,ZtgAgr=:b16,ZtgBsd=:b17,BchDat=:b18 where "
    "(((BchPnr=:b19 and BchVon=:b20) and BchUhr=:b21) and BchFkt=:b0)";
constexpr SqlText kInsertBch =
    "insert into Zev899Bch (BchPnr,BchVon,BchUhr,BchFkt,BchTtx,BchFcd,"
    "BchFtx,BchKst,BchKtx,BchBup,BchErf,BchTrm,ZtgAzt,ZtgVra,ZtgAkr,ZtgAbt,"
    "ZtgKst,ZtgKtr,ZtgKrt,ZtgAgr,ZtgBsd,BchDat) values (:b0,:b1,:b2,:b3,:b4,"
    ":b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14,:b15,:b16,:b17,:b18,:b19,"
    ":b20,:b21)";

constexpr SqlText kDeleteBst =
    "delete  from Zev899Bst  where ((BstDtm>=:b0 and BstDtm<=:b1) and "
    "BstZtr=:b2)";
constexpr SqlText kDeleteBstEvaluation =
    "delete  from Zev898Bst  where ((BstDtm>=:b0 and BstDtm<=:b1) and "
    "BstZtr=:b2)";

// Bind copies of the source cursor: the window bounds and the receiving
// area of the row being fetched.
DateText sourceFrom, sourceTo;
BchRecord sourceRow;

HostVars bchSourceOutputs() {
  static const HostVar kOutputs[] = {
      hostVar(sourceRow.BchPnr), hostVar(sourceRow.BchVon),
      hostVar(sourceRow.BchUhr), hostVar(sourceRow.BchFkt),
      hostVar(sourceRow.BchFcd), hostVar(sourceRow.BchKst),
      hostVar(sourceRow.BchTrm), hostVar(sourceRow.BchErf)};
  return kOutputs;
}

// Bind copies of the text lookups: their keys, as wide as the statements
// bind them, and the cleared area that receives the text.
FixedText<30> boundPnr;
int32_t boundFkt = 0;
int32_t boundLanguage = 0;
FixedText<10> boundFcd;
FixedText<30> boundKst;
FixedText<30> textArea;

// Runs a one-text lookup; `dest` takes the received text only on status 0.
SqlStatus selectText(SqlText text, HostVars in, FixedText<30>& dest) {
  textArea.clear();
  SqlStatus status = session().selectInto(text, in, {hostVar(textArea)});
  if (status.ok()) dest = textArea;
  return status;
}

// Bind copies of the assignment lookup: its key and its receiving area.
FixedText<8> ztgPnr;
DateText ztgDay;
BchRecord ztgArea;

void copyZtg(const BchRecord& from, BchRecord& to) {
  to.ZtgAzt = from.ZtgAzt;
  to.ZtgVra = from.ZtgVra;
  to.ZtgAkr = from.ZtgAkr;
  to.ZtgAbt = from.ZtgAbt;
  to.ZtgKst = from.ZtgKst;
  to.ZtgKtr = from.ZtgKtr;
  to.ZtgKrt = from.ZtgKrt;
  to.ZtgAgr = from.ZtgAgr;
  to.ZtgBsd = from.ZtgBsd;
}

// Bind copy of the writer: the caller's record and the time of the write.
BchRecord writeRow;
TimestampText writeStamp;

// The writer's columns from BchFkt to ZtgBsd: the update sets them, and the
// insert writes them after the person, day and time.
std::array<HostVar, 18> valueVars() {
  const BchRecord& r = writeRow;
  return {hostVar(r.BchFkt), hostVar(r.BchTtx), hostVar(r.BchFcd),
          hostVar(r.BchFtx), hostVar(r.BchKst), hostVar(r.BchKtx),
          hostVar(r.BchBup), hostVar(r.BchErf), hostVar(r.BchTrm),
          hostVar(r.ZtgAzt), hostVar(r.ZtgVra), hostVar(r.ZtgAkr),
          hostVar(r.ZtgAbt), hostVar(r.ZtgKst), hostVar(r.ZtgKtr),
          hostVar(r.ZtgKrt), hostVar(r.ZtgAgr), hostVar(r.ZtgBsd)};
}

// BchFkt is both set and part of the key: ":b0" occurs twice.
HostVars updateBchInputs() {
  const BchRecord& r = writeRow;
  static const auto kIn = joinHostVars<23>(
      valueVars(), hostVar(writeStamp), hostVar(r.BchPnr), hostVar(r.BchVon),
      hostVar(r.BchUhr), hostVar(r.BchFkt));
  return kIn;
}

HostVars insertBchInputs() {
  const BchRecord& r = writeRow;
  static const auto kIn =
      joinHostVars<22>(hostVar(r.BchPnr), hostVar(r.BchVon),
                       hostVar(r.BchUhr), valueVars(), hostVar(writeStamp));
  return kIn;
}

}  // namespace

SqlStatus openBchSource(const DateText& from, const DateText& to) {
  sourceFrom = from;
  sourceTo = to;
  return session().openCursor(kBchSource,
                              {hostVar(sourceFrom), hostVar(sourceTo)});
}

SqlStatus fetchBchSource(BchRecord& rec) {
  sourceRow.clear();
  SqlStatus status = session().fetch(kBchSource, bchSourceOutputs());
  if (!status.ok()) return status;
  rec.BchPnr = sourceRow.BchPnr;
  rec.BchVon = sourceRow.BchVon;
  rec.BchUhr = sourceRow.BchUhr;
  rec.BchFkt = sourceRow.BchFkt;
  rec.BchFcd = sourceRow.BchFcd;
  rec.BchKst = sourceRow.BchKst;
  rec.BchTrm = sourceRow.BchTrm;
  rec.BchErf = sourceRow.BchErf;
  return status;
}

SqlStatus closeBchSource() { return session().closeCursor(kBchSource); }

SqlStatus lookupPnrSpr(const FixedText<8>& pnr, int32_t& language) {
  // A NULL PnrSpr leaves the preset 1.
  static int32_t spr;
  spr = 1;
  boundPnr = pnr.view();
  SqlStatus status =
      session().selectInto(kLookupPnrSpr, {hostVar(boundPnr)}, {hostVar(spr)});
  if (status.ok()) language = spr;
  return status;
}

SqlStatus lookupFktText(int32_t fkt, int32_t language, FixedText<30>& text) {
  boundFkt = fkt;
  boundLanguage = language;
  return selectText(kLookupFktText,
                    {hostVar(boundFkt), hostVar(boundLanguage)}, text);
}

SqlStatus lookupFcdText(const FixedText<3>& fcd, FixedText<30>& text) {
  boundFcd = fcd.view();
  return selectText(kLookupFcdText, {hostVar(boundFcd)}, text);
}

SqlStatus lookupKstText(const FixedText<30>& kst, FixedText<30>& text) {
  boundKst = kst;
  return selectText(kLookupKstText, {hostVar(boundKst)}, text);
}

SqlStatus lookupBchZtg(BchRecord& rec) {
  static const HostVar kOut[] = {
      hostVar(ztgArea.ZtgAzt), hostVar(ztgArea.ZtgVra),
      hostVar(ztgArea.ZtgAkr), hostVar(ztgArea.ZtgAbt),
      hostVar(ztgArea.ZtgKst), hostVar(ztgArea.ZtgKtr),
      hostVar(ztgArea.ZtgKrt), hostVar(ztgArea.ZtgAgr),
      hostVar(ztgArea.ZtgBsd)};
  ztgPnr = rec.BchPnr;
  ztgDay = rec.BchVon;
  ztgArea.clear();
  SqlStatus status = session().selectInto(
      kLookupBchZtg, {hostVar(ztgPnr), hostVar(ztgDay)}, kOut);
  if (status.ok()) copyZtg(ztgArea, rec);
  return status;
}

void enrichBchRow(BchRecord& rec) {
  int32_t language = 1;
  lookupPnrSpr(rec.BchPnr, language);
  lookupFktText(rec.BchFkt, language, rec.BchTtx);
  lookupFcdText(rec.BchFcd, rec.BchFtx);
  lookupKstText(rec.BchKst, rec.BchKtx);
  rec.BchBup = 0;
  lookupBchZtg(rec);
}

SqlStatus writeBch(const BchRecord& rec) {
  writeStamp.clear();
  makeTimestamp(writeStamp);
  writeRow = rec;
  return updateOrInsert(kUpdateBch, updateBchInputs(), kInsertBch,
                        insertBchInputs());
}

SqlStatus deleteBst(const DateText& von, const DateText& bis, int32_t ztr) {
  return deleteWindowRows(kDeleteBst, von, bis, ztr);
}

SqlStatus deleteBstEvaluation(const DateText& von, const DateText& bis,
                              int32_t ztr) {
  return deleteWindowRows(kDeleteBstEvaluation, von, bis, ztr);
}

}  // namespace ravlen
