#include "sql/booking.h"

#include <array>
#include <memory>
#include <vector>

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

// Runs a one-text lookup of a code table (its answers are kept for the
// session); `dest` takes the received text only on status 0.
SqlStatus selectText(SqlText text, HostVars in, FixedText<30>& dest) {
  textArea.clear();
  SqlStatus status = session().selectIntoKept(text, in, {hostVar(textArea)});
  if (status.ok()) dest = textArea;
  return status;
}

// Bind copies of the assignment lookup: its key.
FixedText<8> ztgPnr;
DateText ztgDay;

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

// lookupPnrSpr handed over: *spr takes PnrSpr on status 0 (a NULL leaves
// it as it is).
void lookupPnrSprLater(const FixedText<8>& pnr, int32_t* spr,
                       Session::Done done) {
  boundPnr = pnr.view();
  session().selectIntoLater(kLookupPnrSpr, {hostVar(boundPnr)},
                            {hostVar(*spr)}, std::move(done));
}

// lookupBchZtg handed over: the row's assignment fields change on status 0
// only, each NULL column to an empty text.
void lookupBchZtgLater(BchRecord& rec, Session::Done done) {
  auto area = std::make_shared<BchRecord>();
  const HostVar out[] = {
      hostVar(area->ZtgAzt), hostVar(area->ZtgVra), hostVar(area->ZtgAkr),
      hostVar(area->ZtgAbt), hostVar(area->ZtgKst), hostVar(area->ZtgKtr),
      hostVar(area->ZtgKrt), hostVar(area->ZtgAgr), hostVar(area->ZtgBsd)};
  ztgPnr = rec.BchPnr;
  ztgDay = rec.BchVon;
  session().selectIntoLater(kLookupBchZtg, {hostVar(ztgPnr), hostVar(ztgDay)},
                            out, [area, &rec, done](SqlStatus status) {
                              if (status.ok()) copyZtg(*area, rec);
                              if (done) done(status);
                            });
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
  int32_t spr = 1;  // a NULL PnrSpr leaves the preset 1
  SqlStatus status = runAtOnce(
      [&](Session::Done done) { lookupPnrSprLater(pnr, &spr, done); });
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
  return runAtOnce([&](Session::Done done) { lookupBchZtgLater(rec, done); });
}

void enrichBchRow(BchRecord& rec) { enrichBchRows({&rec, 1}); }

// The person's language and the assignment read no table that another
// lookup of the rows writes, and each lookup sets only its own fields: so
// both are asked for every row together, and the texts (from the kept
// code tables) follow in each row's order.
void enrichBchRows(std::span<BchRecord> rows) {
  static std::vector<int32_t> languages;
  languages.assign(rows.size(), 1);
  for (size_t i = 0; i < rows.size(); ++i) {
    lookupPnrSprLater(rows[i].BchPnr, &languages[i], nullptr);
    lookupBchZtgLater(rows[i], nullptr);
  }
  session().flush();
  for (size_t i = 0; i < rows.size(); ++i) {
    BchRecord& rec = rows[i];
    lookupFktText(rec.BchFkt, languages[i], rec.BchTtx);
    lookupFcdText(rec.BchFcd, rec.BchFtx);
    lookupKstText(rec.BchKst, rec.BchKtx);
    rec.BchBup = 0;
  }
}

void writeBchLater(const BchRecord& rec, Session::Done done) {
  writeStamp.clear();
  makeTimestamp(writeStamp);
  writeRow = rec;
  updateOrInsertLater(kUpdateBch, updateBchInputs(), kInsertBch,
                      insertBchInputs(), std::move(done));
}

SqlStatus writeBch(const BchRecord& rec) {
  return runAtOnce([&](Session::Done done) { writeBchLater(rec, done); });
}

SqlStatus deleteBst(const DateText& von, const DateText& bis, int32_t ztr) {
  return deleteWindowRows(kDeleteBst, von, bis, ztr);
}

SqlStatus deleteBstEvaluation(const DateText& von, const DateText& bis,
                              int32_t ztr) {
  return deleteWindowRows(kDeleteBstEvaluation, von, bis, ztr);
}

}  // namespace ravlen
