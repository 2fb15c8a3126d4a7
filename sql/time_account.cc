#include "sql/time_account.h"

#include <array>
#include <memory>
#include <utility>
#include <vector>

#include "db/session.h"
#include "sql/calendar.h"
#include "sql/update_or_insert.h"
#include "sql/window_delete.h"
#include "sql/zkb_key_totals.h"

namespace ravlen {
namespace {

constexpr SqlText kDeleteZkb =
    "delete  from Zev899Zkb  where ((ZkbDtm>=:b0 and ZkbDtm<=:b1) and "
    "ZkbZtr=:b2)";
constexpr SqlText kDeleteZkbEvaluation =
    "delete  from Zev898Zkb  where ((ZkbDtm>=:b0 and ZkbDtm<=:b1) and "
    "ZkbZtr=:b2)";

constexpr SqlText kZkbSource =
    "select ZkbPnr ,ZkbZtr ,to_char(ZkbDtm,'yyyymmdd') ,ZkbKst ,ZkbKtr ,ZkbKrt "
    ",ZkbZkt ,ZkbStd ,ZkbTge ,ZkbStg ,ZkbSto ,ZkbBem  from ZEV331ZKB where "
    "((ZKBPNR=:b0 and ZkbZtr=:b1) and ZkbDtm=to_date(:b2,'yyyymmdd'))";

constexpr SqlText kLookupTgbPeriodEnd =
    "select to_char((min(TgbDtm)-1),'yyyymmdd') into :b0:b1  from Zev320Tgb "
    "where ((TgbPnr=:b2 and TgbZtr=:b3) and to_char(TgbDtm,'yyyymmdd')>:b4)";

constexpr SqlText kCountDayZkb =
    "select count(*)  into :b0:b1  from Zev331Zkb where (((((((ZkbPnr=:b2 and "
    "ZkbZtr=1) and ZkbDtm>=to_date(:b3,'yyyymmdd')) and "
    "ZkbDtm<=to_date(:b4,'yyyymmdd')) and ZkbZkt=:b5) and ZkbKst=:b6) and "
    "ZkbKrt=:b7) and ZkbKtr=:b8)";

constexpr SqlText kUpdateZkb =
    "update Zev899Zkb  set ZkbStd=:b0,ZkbTge=:b1,ZkbStg=:b2,ZkbSto=:b3,"
    "ZkbBem=:b4,ZkbNum=:b5,ZkbAnz=:b6,ZtgVra=:b7,ZtgAkr=:b8,ZtgAbt=:b9,"
    "ZtgKst=:b10,ZtgKtr=:b11,ZtgKrt=:b12,ZtgAgr=:b13,ZtgBsd=:b14,ZtgTtp=:b15,"
    "ZkbDat=:b16 where ((((((ZkbPnr=:b17 and ZkbZtr=:b18) and ZkbDtm=:b19) "
    "and ZkbKst=:b20) and ZkbKtr=:b21) and ZkbKrt=:b22) and ZkbZkt=:b23)";

constexpr SqlText kInsertZkb =
    "insert into Zev899Zkb (ZkbPnr,ZkbZtr,ZkbDtm,ZkbKst,ZkbKtr,ZkbKrt,ZkbZkt,"
    "ZkbStd,ZkbTge,ZkbStg,ZkbSto,ZkbBem,ZkbNum,ZkbAnz,ZtgVra,ZtgAkr,ZtgAbt,"
    "ZtgKst,ZtgKtr,ZtgKrt,ZtgAgr,ZtgBsd,ZtgTtp,ZkbDat) values (:b0,:b1,:b2,"
    ":b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14,:b15,:b16,:b17,:b18,"
    ":b19,:b20,:b21,:b22,:b23)";

constexpr SqlText kUpdateZkbEvaluation =
    "update Zev898Zkb  set ZkbStd=:b0,ZkbTge=:b1,ZkbStg=:b2,ZkbSto=:b3,"
    "ZkbBem=:b4,ZkbNum=:b5,ZkbAnz=:b6,ZtgVra=:b7,ZtgAkr=:b8,ZtgAbt=:b9,"
    "ZtgKst=:b10,ZtgKtr=:b11,ZtgKrt=:b12,ZtgAgr=:b13,ZtgBsd=:b14,ZtgTtp=:b15,"
    "ZkbDat=:b16 where ((((((((TgbDwh=:b17 and ZkbPnr=:b18) and ZkbZtr=:b19) "
    "and ZkbDtm=:b20) and ZkbKst=:b21) and ZkbKtr=:b22) and ZkbKrt=:b23) and "
    "ZkbZkt=:b24) and DwhBis=:b25)";

constexpr SqlText kInsertZkbEvaluation =
    "insert into Zev898Zkb (ZkbPnr,ZkbZtr,ZkbDtm,ZkbKst,ZkbKtr,ZkbKrt,ZkbZkt,"
    "ZkbStd,ZkbTge,ZkbStg,ZkbSto,ZkbBem,ZkbNum,ZkbAnz,ZtgVra,ZtgAkr,ZtgAbt,"
    "ZtgKst,ZtgKtr,ZtgKrt,ZtgAgr,ZtgBsd,ZtgTtp,TgbDwh,DwhBis,ZkbDat) values "
    "(:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14,:b15,"
    ":b16,:b17,:b18,:b19,:b20,:b21,:b22,:b23,:b24,:b25)";

constexpr SqlText kZkbSum =
    "select ZkbPnr ,ZkbZkt ,ZkbKst ,ZkbKtr ,ZkbKrt ,ZtgVra ,ZtgAkr ,ZtgAbt "
    ",ZtgKst ,ZtgKtr ,ZtgKrt ,ZtgAgr ,ZtgBsd ,ZtgTtp ,sum(ZkbStd) ,sum(ZkbSto) "
    ",sum(ZkbTge) ,sum(ZkbStg) ,sum(ZkbAnz)  from Zev899Zkb where ((ZkbZtr=:b0 "
    "and ZkbDtm>=:b1) and ZkbDtm<=:b2) group by ZkbPnr,ZkbZkt,ZkbKst,ZkbKtr,"
    "ZkbKrt,ZtgVra,ZtgAkr,ZtgAbt,ZtgKst,ZtgKtr,ZtgKrt,ZtgAgr,ZtgBsd,ZtgTtp";

// Bind copies of the source cursor: its key and the booking being fetched.
// The caller's record sees a booking only once it was fetched whole.
PersonKey sourcePnr;
int32_t sourceZtr = 0;
DateText sourceDay;
ZkbRecord sourceRow;

// The record of the transfer loop, reused for every booking.
ZkbRecord bookingRow;

// Bind copies of the next-row lookup and of the day count.
FixedText<8> periodPnr;
int32_t periodZtr = 0;
DateText periodDay;
ZkbRecord countRow;
DateText countLast;

// Bind copies of the writers; the timestamp is taken anew for every write.
ZkbRecord writeRow;
TimestampText writeStamp;
DateText writeEnd;
EvaluationName writeName;

// Bind copies of the sum cursor.
int32_t sumZtr = 0;
DateText sumFirst, sumLast;
ZkbRecord sumRow;

// The source cursor's twelve columns into `r`.
std::array<HostVar, 12> zkbSourceOutputs(ZkbRecord& r) {
  return {hostVar(r.ZkbPnr), hostVar(r.ZkbZtr), hostVar(r.ZkbDtm),
          hostVar(r.ZkbKst), hostVar(r.ZkbKtr), hostVar(r.ZkbKrt),
          hostVar(r.ZkbZkt), hostVar(r.ZkbStd), hostVar(r.ZkbTge),
          hostVar(r.ZkbStg), hostVar(r.ZkbSto), hostVar(r.ZkbBem)};
}

// The writers' binds, in the four statements' placeholder orders, composed
// of three groups: the key columns, the columns that an update sets (but
// the timestamp), and the values the writer adds.
constexpr size_t kKeyVars = 7, kSetVars = 16;

std::array<HostVar, kKeyVars> keyVars() {
  const ZkbRecord& r = writeRow;
  return {hostVar(r.ZkbPnr), hostVar(r.ZkbZtr), hostVar(r.ZkbDtm),
          hostVar(r.ZkbKst), hostVar(r.ZkbKtr), hostVar(r.ZkbKrt),
          hostVar(r.ZkbZkt)};
}

std::array<HostVar, kSetVars> setVars() {
  const ZkbRecord& r = writeRow;
  return {hostVar(r.ZkbStd), hostVar(r.ZkbTge), hostVar(r.ZkbStg),
          hostVar(r.ZkbSto), hostVar(r.ZkbBem), hostVar(r.ZkbNum),
          hostVar(r.ZkbAnz), hostVar(r.ZtgVra), hostVar(r.ZtgAkr),
          hostVar(r.ZtgAbt), hostVar(r.ZtgKst), hostVar(r.ZtgKtr),
          hostVar(r.ZtgKrt), hostVar(r.ZtgAgr), hostVar(r.ZtgBsd),
          hostVar(r.ZtgTtp)};
}

HostVars updateZkbInputs() {
  static const auto kInputs =
      joinHostVars<24>(setVars(), hostVar(writeStamp), keyVars());
  return kInputs;
}

HostVars insertZkbInputs() {
  static const auto kInputs =
      joinHostVars<24>(keyVars(), setVars(), hostVar(writeStamp));
  return kInputs;
}

HostVars updateZkbEvaluationInputs() {
  static const auto kInputs = joinHostVars<26>(setVars(), hostVar(writeStamp),
                                         hostVar(writeName), keyVars(),
                                         hostVar(writeEnd));
  return kInputs;
}

HostVars insertZkbEvaluationInputs() {
  static const auto kInputs =
      joinHostVars<26>(keyVars(), setVars(), hostVar(writeName), hostVar(writeEnd),
                 hostVar(writeStamp));
  return kInputs;
}

// The sums come in select order: ZkbStd, ZkbSto, ZkbTge, ZkbStg, ZkbAnz.
HostVars zkbSumOutputs() {
  ZkbRecord& r = sumRow;
  static const HostVar kOutputs[] = {
      hostVar(r.ZkbPnr), hostVar(r.ZkbZkt), hostVar(r.ZkbKst),
      hostVar(r.ZkbKtr), hostVar(r.ZkbKrt), hostVar(r.ZtgVra),
      hostVar(r.ZtgAkr), hostVar(r.ZtgAbt), hostVar(r.ZtgKst),
      hostVar(r.ZtgKtr), hostVar(r.ZtgKrt), hostVar(r.ZtgAgr),
      hostVar(r.ZtgBsd), hostVar(r.ZtgTtp), hostVar(r.ZkbStd),
      hostVar(r.ZkbSto), hostVar(r.ZkbTge), hostVar(r.ZkbStg),
      hostVar(r.ZkbAnz)};
  return kOutputs;
}

void copyAssignment(const TgbRecord& tgb, ZkbRecord& zkb) {
  zkb.ZtgVra = tgb.ZtgVra;
  zkb.ZtgAkr = tgb.ZtgAkr;
  zkb.ZtgAbt = tgb.ZtgAbt;
  zkb.ZtgKst = tgb.ZtgKst;
  zkb.ZtgKtr = tgb.ZtgKtr;
  zkb.ZtgKrt = tgb.ZtgKrt;
  zkb.ZtgAgr = tgb.ZtgAgr;
  zkb.ZtgBsd = tgb.ZtgBsd;
  zkb.ZtgTtp = tgb.ZtgTtp;
}

// The write callback of the transfer: a booking written counts.
Session::Done countInto(RowCounts* counts) {
  return [counts](SqlStatus status) {
    if (status.ok()) ++counts->written;
  };
}

// Counts one booking of `tgb` as read, gives it the row's assignment and
// its day count (1 on a day row; for a week or month row computed here
// when `computeDays`, else already set), then numbers, folds and hands
// over its write.
void writeBookingLater(const TgbRecord& tgb, ZkbRecord& booking,
                       ZkbKeyTotals& totals, RowCounts* counts,
                       bool computeDays) {
  ++counts->read;
  copyAssignment(tgb, booking);
  if (tgb.TgbZtr == 1)
    booking.ZkbAnz = 1;
  else if (computeDays)
    computeZkbAnz(tgb, booking);
  totals.fold(booking, tgb.TgbZtr == 1);
  writeZkbLater(booking, countInto(counts));
}

// The calendar's end of the week (period code 2) or month (3) of `day`;
// empty for other codes or when the calendar has none.
DateText calendarPeriodEnd(int32_t ztr, const DateText& day) {
  DateText first, last;  // first is not used
  if (ztr == 2) weekBounds(day, first, last);
  if (ztr == 3) monthBounds(day, first, last);
  return last;
}

// The span's end for a week or month booking: the day before the person's
// next row of the period code; without one (or one before the row's own
// day), the calendar's end of the row's period.
DateText spanEnd(const TgbRecord& tgb, SqlStatus periodEnd,
                 const DateText& nextRowEnd) {
  if (periodEnd.ok() && !(nextRowEnd < tgb.TgbDtm)) return nextRowEnd;
  return calendarPeriodEnd(tgb.TgbZtr, tgb.TgbDtm);
}

void lookupTgbPeriodEndLater(const TgbRecord& tgb, DateText* last,
                             Session::Done done) {
  periodPnr = tgb.TgbPnr;
  periodZtr = tgb.TgbZtr;
  periodDay = tgb.TgbDtm;
  auto result = std::make_shared<DateText>();
  session().selectIntoLater(
      kLookupTgbPeriodEnd,
      {hostVar(periodPnr), hostVar(periodZtr), hostVar(periodDay)},
      {hostVar(*result)}, [result, last, done](SqlStatus status) {
        // No later row: the minimum is NULL and leaves the result empty.
        if (status.ok() && result->empty()) status = sqlstatus::kNoData;
        if (status.ok()) *last = *result;
        done(status);
      });
}

void countDayZkbLater(ZkbRecord& zkb, const DateText& lastDay,
                      Session::Done done) {
  countRow = zkb;
  countLast = lastDay;
  auto count = std::make_shared<int32_t>(0);
  session().selectIntoLater(
      kCountDayZkb,
      {hostVar(countRow.ZkbPnr), hostVar(countRow.ZkbDtm), hostVar(countLast),
       hostVar(countRow.ZkbZkt), hostVar(countRow.ZkbKst),
       hostVar(countRow.ZkbKrt), hostVar(countRow.ZkbKtr)},
      {hostVar(*count)}, [count, &zkb, done](SqlStatus status) {
        if (status.ok()) zkb.ZkbAnz = *count;
        if (done) done(status);
      });
}

}  // namespace

SqlStatus deleteZkb(const DateText& von, const DateText& bis, int32_t ztr) {
  return deleteWindowRows(kDeleteZkb, von, bis, ztr);
}

SqlStatus deleteZkbEvaluation(const DateText& von, const DateText& bis,
                              int32_t ztr) {
  return deleteWindowRows(kDeleteZkbEvaluation, von, bis, ztr);
}

SqlStatus openZkbSource(const PersonKey& pnr, int32_t ztr,
                        const DateText& day) {
  sourcePnr = pnr;
  sourceZtr = ztr;
  sourceDay = day;
  return session().openCursor(
      kZkbSource, {hostVar(sourcePnr), hostVar(sourceZtr), hostVar(sourceDay)});
}

SqlStatus fetchZkbSource(ZkbRecord& rec) {
  sourceRow.clear();
  SqlStatus status = session().fetch(kZkbSource, zkbSourceOutputs(sourceRow));
  if (status.ok()) rec = sourceRow;
  return status;
}

SqlStatus closeZkbSource() { return session().closeCursor(kZkbSource); }

SqlStatus transferZkbOfTgb(const TgbRecord& tgb, RowCounts* counts) {
  static RowCounts ignored;
  if (counts == nullptr) counts = &ignored;
  openZkbSource(PersonKey(tgb.TgbPnr.view()), tgb.TgbZtr, tgb.TgbDtm);
  static ZkbKeyTotals totals;
  totals.startScope();
  SqlStatus status;
  while ((status = fetchZkbSource(bookingRow)).ok())
    writeBookingLater(tgb, bookingRow, totals, counts, true);
  closeZkbSource();
  return status;
}

void ZkbBlock::readAhead(std::span<const TgbRecord> rows) {
  static ZkbRecord area;  // each row of a booking lands here first
  area.clear();
  rows_.assign(rows.size(), {});
  for (size_t i = 0; i < rows.size(); ++i) {
    const TgbRecord& tgb = rows[i];
    sourcePnr = PersonKey(tgb.TgbPnr.view());
    sourceZtr = tgb.TgbZtr;
    sourceDay = tgb.TgbDtm;
    Row& row = rows_[i];
    session().rowsLater(
        kZkbSource,
        {hostVar(sourcePnr), hostVar(sourceZtr), hostVar(sourceDay)},
        zkbSourceOutputs(area), kReadAhead,
        [&row] {
          row.bookings.push_back(area);
          area.clear();
        },
        [&row](SqlStatus status) { row.status = status; });
  }
}

// The day counts of the week and month bookings: first every next-row
// lookup, then every count, each asked for all bookings together.
void ZkbBlock::countDays(std::span<const TgbRecord> rows) {
  struct Span {
    const TgbRecord* tgb;
    ZkbRecord* booking;
    DateText nextRowEnd;
    SqlStatus found;
  };
  std::vector<Span> spans;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].TgbZtr == 1 || rows_[i].status.ok()) continue;
    for (ZkbRecord& booking : rows_[i].bookings)
      spans.push_back({&rows[i], &booking, {}, {}});
  }
  for (Span& s : spans) {
    lookupTgbPeriodEndLater(*s.tgb, &s.nextRowEnd,
                            [&s](SqlStatus status) { s.found = status; });
  }
  session().flush();
  for (Span& s : spans) {
    DateText last = spanEnd(*s.tgb, s.found, s.nextRowEnd);
    if (!last.empty()) countDayZkbLater(*s.booking, last, nullptr);
  }
  session().flush();
}

void ZkbBlock::write(size_t i, const TgbRecord& tgb, RowCounts* counts) {
  Row& row = rows_[i];
  if (row.status.ok()) {  // more bookings than were read ahead
    transferZkbOfTgb(tgb, counts);
    return;
  }
  static ZkbKeyTotals totals;
  totals.startScope();
  for (ZkbRecord& booking : row.bookings)
    writeBookingLater(tgb, booking, totals, counts, false);
}

void computeZkbAnz(const TgbRecord& tgb, ZkbRecord& zkb) {
  if (tgb.TgbZtr != 2 && tgb.TgbZtr != 3) return;
  DateText nextRowEnd;
  SqlStatus found = lookupTgbPeriodEnd(tgb, nextRowEnd);
  DateText last = spanEnd(tgb, found, nextRowEnd);
  if (!last.empty()) countDayZkb(zkb, last);
}

SqlStatus lookupTgbPeriodEnd(const TgbRecord& tgb, DateText& last) {
  return runAtOnce([&](Session::Done done) {
    lookupTgbPeriodEndLater(tgb, &last, done);
  });
}

SqlStatus countDayZkb(ZkbRecord& zkb, const DateText& lastDay) {
  return runAtOnce(
      [&](Session::Done done) { countDayZkbLater(zkb, lastDay, done); });
}

void writeZkbLater(const ZkbRecord& rec, Session::Done done) {
  makeTimestamp(writeStamp);
  writeRow = rec;
  updateOrInsertLater(kUpdateZkb, updateZkbInputs(), kInsertZkb,
                      insertZkbInputs(), std::move(done));
}

SqlStatus writeZkb(const ZkbRecord& rec) {
  return runAtOnce([&](Session::Done done) { writeZkbLater(rec, done); });
}

void writeZkbEvaluationLater(const ZkbRecord& rec, const DateText& endDate,
                             const EvaluationName& name, Session::Done done) {
  makeTimestamp(writeStamp);
  writeRow = rec;
  writeEnd = endDate;
  writeName = name;
  updateOrInsertLater(kUpdateZkbEvaluation, updateZkbEvaluationInputs(),
                      kInsertZkbEvaluation, insertZkbEvaluationInputs(),
                      std::move(done));
}

SqlStatus writeZkbEvaluation(const ZkbRecord& rec, const DateText& endDate,
                             const EvaluationName& name) {
  return runAtOnce([&](Session::Done done) {
    writeZkbEvaluationLater(rec, endDate, name, done);
  });
}

SqlStatus openZkbSum(int32_t ztr, const DateText& first,
                     const DateText& last) {
  sumZtr = ztr;
  sumFirst = first;
  sumLast = last;
  return session().openCursor(
      kZkbSum, {hostVar(sumZtr), hostVar(sumFirst), hostVar(sumLast)});
}

SqlStatus fetchZkbSum(ZkbRecord& rec) {
  sumRow = rec;
  SqlStatus status = session().fetch(kZkbSum, zkbSumOutputs());
  if (status.ok()) rec = sumRow;
  return status;
}

SqlStatus closeZkbSum() { return session().closeCursor(kZkbSum); }

}  // namespace ravlen
