#include "sql/booking_statistics.h"

#include "db/session.h"
#include "sql/calendar.h"
#include "sql/update_or_insert.h"
#include "sql/window_delete.h"

namespace ravlen {

constexpr SqlText kBchCountStatement =
    "select BchPnr ,BchFcd ,BchFkt ,count(*)   from Zev321Bch where "
    "((to_char(BchVon,'yyyymmdd')>=:b0 and to_char(BchVon,'yyyymmdd')<=:b1) "
    "and BchFkt<>45) group by BchPnr,BchFcd,BchFkt";

namespace {

constexpr SqlText kBstSum =
    "select BstPnr ,BstFcd ,BstFkt ,sum(BstAnz)  from Zev899Bst where "
    "((BstZtr=:b0 and BstDtm>=:b1) and BstDtm<=:b2) group by "
    "BstPnr,BstFcd,BstFkt";

constexpr SqlText kInsertBst =
    "insert into Zev899Bst (BstPnr,BstZtr,BstDtm,BstFcd,BstFkt,BstAnz,BstDat) "
    "values (:b0,:b1,:b2,:b3,:b4,:b5,:b6)";
constexpr SqlText kUpdateBst =
    "update Zev899Bst  set BstAnz=(BstAnz+:b0),BstDat=:b1 where "
    "(((BstPnr=:b2 and BstZtr=:b3) and BstDtm=:b4) and BstFcd=:b5)";

constexpr SqlText kInsertBstEvaluation =
    "insert into Zev898Bst (BstDwh,BstPnr,BstZtr,BstDtm,BstFcd,BstFkt,BstAnz,"
    "DwhBis,BstDat) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8)";
constexpr SqlText kUpdateBstEvaluation =
    "update Zev898Bst  set BstAnz=(BstAnz+:b0),BstDat=:b1 where "
    "(((((BstDwh=:b2 and BstPnr=:b3) and BstZtr=:b4) and BstDtm=:b5) and "
    "DwhBis=:b6) and BstFcd=:b7)";

constexpr SqlText kDeleteBstBefore =
    "delete  from Zev899Bst  where ((BstDtm>=:b0 and BstDtm<:b1) and "
    "BstZtr=:b2)";
constexpr SqlText kDeleteBstEvaluationPeriod =
    "delete  from Zev898Bst  where (((BstDwh=:b0 and BstZtr=7) and "
    "BstDtm=:b1) and DwhBis=:b2)";

// Bind copies of the count cursor: the window and the group being fetched.
DateText countFrom, countTo;
BstRecord countRow;

// Bind copies of the sum cursor.
int32_t sumZtr = 0;
DateText sumFrom, sumTo;
BstRecord sumRow;

// Bind copies of the writers; the timestamp is taken anew for every write.
BstRecord writeRow;
TimestampText writeStamp;
DateText writeEnd;
FixedText<50> writeName;

// Both cursors deliver person, function code, booking function and count.
HostVars countOutputs() {
  static const HostVar kOutputs[] = {
      hostVar(countRow.BstPnr), hostVar(countRow.BstFcd),
      hostVar(countRow.BstFkt), hostVar(countRow.BstAnz)};
  return kOutputs;
}

HostVars sumOutputs() {
  static const HostVar kOutputs[] = {
      hostVar(sumRow.BstPnr), hostVar(sumRow.BstFcd), hostVar(sumRow.BstFkt),
      hostVar(sumRow.BstAnz)};
  return kOutputs;
}

HostVars insertBstInputs() {
  const BstRecord& r = writeRow;
  static const HostVar kInputs[] = {
      hostVar(r.BstPnr), hostVar(r.BstZtr), hostVar(r.BstDtm),
      hostVar(r.BstFcd), hostVar(r.BstFkt), hostVar(r.BstAnz),
      hostVar(writeStamp)};
  return kInputs;
}

HostVars updateBstInputs() {
  const BstRecord& r = writeRow;
  static const HostVar kInputs[] = {
      hostVar(r.BstAnz), hostVar(writeStamp), hostVar(r.BstPnr),
      hostVar(r.BstZtr), hostVar(r.BstDtm),   hostVar(r.BstFcd)};
  return kInputs;
}

HostVars insertBstEvaluationInputs() {
  const BstRecord& r = writeRow;
  static const HostVar kInputs[] = {
      hostVar(writeName), hostVar(r.BstPnr), hostVar(r.BstZtr),
      hostVar(r.BstDtm),  hostVar(r.BstFcd), hostVar(r.BstFkt),
      hostVar(r.BstAnz),  hostVar(writeEnd), hostVar(writeStamp)};
  return kInputs;
}

HostVars updateBstEvaluationInputs() {
  const BstRecord& r = writeRow;
  static const HostVar kInputs[] = {
      hostVar(r.BstAnz), hostVar(writeStamp), hostVar(writeName),
      hostVar(r.BstPnr), hostVar(r.BstZtr),   hostVar(r.BstDtm),
      hostVar(writeEnd), hostVar(r.BstFcd)};
  return kInputs;
}

}  // namespace

SqlStatus openBchCount(const DateText& fromDate, const DateText& toDate) {
  countFrom = fromDate;
  countTo = toDate;
  return session().openCursor(kBchCountStatement,
                              {hostVar(countFrom), hostVar(countTo)});
}

SqlStatus fetchBchCount(BstRecord& rec) {
  countRow = rec;
  SqlStatus status = session().fetch(kBchCountStatement, countOutputs());
  if (status.ok()) rec = countRow;
  return status;
}

SqlStatus closeBchCount() { return session().closeCursor(kBchCountStatement); }

SqlStatus openBstSum(int32_t periodCode, const DateText& fromDate,
                     const DateText& toDate) {
  sumZtr = periodCode;
  sumFrom = fromDate;
  sumTo = toDate;
  return session().openCursor(
      kBstSum, {hostVar(sumZtr), hostVar(sumFrom), hostVar(sumTo)});
}

SqlStatus fetchBstSum(BstRecord& rec) {
  sumRow = rec;
  SqlStatus status = session().fetch(kBstSum, sumOutputs());
  if (status.ok()) rec = sumRow;
  return status;
}

SqlStatus closeBstSum() { return session().closeCursor(kBstSum); }

void writeBstLater(const BstRecord& rec, Session::Done done) {
  makeTimestamp(writeStamp);
  writeRow = rec;
  insertOrAddLater(kInsertBst, insertBstInputs(), kUpdateBst,
                   updateBstInputs(), std::move(done));
}

SqlStatus writeBst(const BstRecord& rec) {
  return runAtOnce([&](Session::Done done) { writeBstLater(rec, done); });
}

void writeBstEvaluationLater(const BstRecord& rec, const DateText& periodEnd,
                             const FixedText<50>& evaluationName,
                             Session::Done done) {
  makeTimestamp(writeStamp);
  writeRow = rec;
  writeEnd = periodEnd;
  writeName = evaluationName;
  insertOrAddLater(kInsertBstEvaluation, insertBstEvaluationInputs(),
                   kUpdateBstEvaluation, updateBstEvaluationInputs(),
                   std::move(done));
}

SqlStatus writeBstEvaluation(const BstRecord& rec, const DateText& periodEnd,
                             const FixedText<50>& evaluationName) {
  return runAtOnce([&](Session::Done done) {
    writeBstEvaluationLater(rec, periodEnd, evaluationName, done);
  });
}

SqlStatus deleteBstBefore(const DateText& first, const DateText& beforeDay,
                          int32_t ztr) {
  return deleteWindowRows(kDeleteBstBefore, first, beforeDay, ztr);
}

SqlStatus deleteBstEvaluationPeriod(const FixedText<50>& name,
                                    const DateText& first,
                                    const DateText& last) {
  return session().execute(kDeleteBstEvaluationPeriod,
                           {hostVar(name), hostVar(first), hostVar(last)});
}

}  // namespace ravlen
