#include "run/roll_up.h"

#include <optional>
#include <string>
#include <vector>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "run/date_argument.h"
#include "run/row_block.h"
#include "run/run_report.h"
#include "sql/booking_statistics.h"
#include "sql/bst_record.h"
#include "sql/calendar.h"
#include "sql/daily_balance_enrichment.h"
#include "sql/daily_balance_writer.h"
#include "sql/evaluation.h"
#include "sql/tgb_record.h"
#include "sql/time_account.h"
#include "sql/zkb_key_totals.h"
#include "sql/zkb_record.h"

namespace ravlen {
namespace {

constexpr int32_t kDays = 1, kWeeks = 2, kMonths = 3, kQuarters = 4,
                  kHalfYears = 5, kYears = 6, kEvaluations = 7;
// Instead of a finer period code: count the bookings themselves.
constexpr int32_t kBookings = 0;

const char* const kLevelMessages[] = {
    "Tabelle Zev899Bst(Tag) bearbeiten...\n",
    "Tabelle Zev899Bst(Woche) bearbeiten...\n",
    "Tabelle Zev899Bst(Monat) bearbeiten...\n",
    "Tabelle Zev899Tgb + Zev899Bst (Quartal) bearbeiten...\n",
    "Tabelle Zev899Tgb + Zev899Bst (Halbjahr) bearbeiten...\n",
    "Tabelle Zev899Tgb + Zev899Bst (Jahr) bearbeiten...\n",
    "Tabelle Zev899Tgb + Zev899Bst (indiv. Zeitraum) bearbeiten...\n",
};

// The levels' names in the run's summary.
const char* const kLevelNames[] = {"Tag",     "Woche",    "Monat",
                                   "Quartal", "Halbjahr", "Jahr",
                                   "Auswertungen"};

// Where summed rows go: the standard-period tables, or one evaluation of
// the 898 tables (its cut last day and its name).
struct Target {
  int32_t ztr;
  const DateText* evaluationEnd = nullptr;
  const EvaluationName* evaluationName = nullptr;
};

// The records of the roll-up, one instance each for the whole run.
ZkbRecord zkbRow;
BstRecord bstRow;

// The summed rows come in blocks (row_block.h): the assignments of a
// block's persons are asked together, then the rows are written in order.
void sumDailyBalances(int32_t fromZtr, const DateText& first,
                      const DateText& last, const Target& to) {
  static std::vector<TgbRecord> rows(kRowsPerBlock);
  openTgbSum(fromZtr, first, last);
  for (bool more = true; more;) {
    size_t n = fetchBlock(rows, fetchTgbSum, &more);
    for (size_t i = 0; i < n; ++i) {
      rows[i].TgbDtm = first;
      rows[i].TgbZtr = to.ztr;
      lookupZtgLater(rows[i], nullptr);
    }
    session().flush();
    for (size_t i = 0; i < n; ++i) {
      if (to.evaluationName)
        writeTgbEvaluationLater(rows[i], *to.evaluationEnd,
                                *to.evaluationName, countWritten);
      else
        writeTgbLater(rows[i], countWritten);
    }
  }
  closeTgbSum();
}

// The running number counts the rows of this one period from 1. Groups
// that differ only in their assignment texts share a warehouse key and are
// stored as one row with their totals, unless an evaluation's name or end
// date is empty (such rows can never be found again by the writer).
void sumTimeAccounts(int32_t fromZtr, const DateText& first,
                     const DateText& last, const Target& to) {
  static ZkbKeyTotals totals;
  totals.startScope(!to.evaluationName || (!to.evaluationName->empty() &&
                                           !to.evaluationEnd->empty()));
  openZkbSum(fromZtr, first, last);
  for (;;) {
    zkbRow.clear();
    if (!fetchZkbSum(zkbRow).ok()) break;
    zkbRow.ZkbDtm = first;
    zkbRow.ZkbZtr = to.ztr;
    totals.fold(zkbRow, true);
    runReport().rowRead();
    if (to.evaluationName)
      writeZkbEvaluationLater(zkbRow, *to.evaluationEnd, *to.evaluationName,
                              countWritten);
    else
      writeZkbLater(zkbRow, countWritten);
  }
  closeZkbSum();
}

// The booking counts: straight from the bookings for days and weeks, else
// the sums of the stored counts of `fromZtr`. Date and code are set before
// each fetch, which keeps them.
void countBookings(int32_t fromZtr, const DateText& first,
                   const DateText& last, const Target& to) {
  bool fromBookings = fromZtr == kBookings;
  if (fromBookings)
    openBchCount(first, last);
  else
    openBstSum(fromZtr, first, last);
  for (;;) {
    bstRow.clear();
    bstRow.BstDtm = first;
    bstRow.BstZtr = to.ztr;
    SqlStatus status =
        fromBookings ? fetchBchCount(bstRow) : fetchBstSum(bstRow);
    if (!status.ok()) break;
    runReport().rowRead();
    if (to.evaluationName)
      writeBstEvaluationLater(bstRow, *to.evaluationEnd, *to.evaluationName,
                              countWritten);
    else
      writeBstLater(bstRow, countWritten);
  }
  if (fromBookings)
    closeBchCount();
  else
    closeBstSum();
}

void buildPeriod(int32_t ztr, const DateText& first, const DateText& last) {
  Target to{ztr};
  switch (ztr) {
    case kDays:
    case kWeeks:
      countBookings(kBookings, first, last, to);
      break;
    case kMonths:
      countBookings(kDays, first, last, to);
      break;
    default:
      sumDailyBalances(ztr - 1, first, last, to);
      sumTimeAccounts(ztr - 1, first, last, to);
      countBookings(ztr - 1, first, last, to);
      break;
  }
}

// The period holding `date`: a day is itself, a year runs from 1 January
// to 31 December of the date's first four characters, the others come from
// the calendar.
SqlStatus periodBounds(int32_t ztr, const DateText& date, DateText& first,
                       DateText& last) {
  std::string year(date.view().substr(0, 4));
  switch (ztr) {
    case kDays:
      first = date;
      last = date;
      return sqlstatus::kOk;
    case kWeeks:
      return weekBounds(date, first, last);
    case kMonths:
      return monthBounds(date, first, last);
    case kQuarters:
      return quarterBounds(date, first, last);
    case kHalfYears:
      return halfYearBounds(date, first, last);
    default:
      first = year + "0101";
      last = year + "1231";
      return sqlstatus::kOk;
  }
}

// How far a walk at `current` has come through the window, 0 to 1, for the
// progress line; -1 when a bound is no calendar day.
double windowShare(const RunParameters& p, const DateText& current) {
  std::optional<int64_t> von = dayNumber(p.vonDatum.view()),
                         bis = dayNumber(p.bisDatum.view()),
                         at = dayNumber(current.view());
  if (!von || !bis || !at || *bis < *von) return -1;
  return static_cast<double>(*at - *von) / static_cast<double>(*bis - *von + 1);
}

// One level's walk over the window. Levels from quarters on commit every
// period; the finer levels commit once at the end, also when they built
// nothing or ended early.
//
// Every walk ends: a level never builds the same period twice. Periods of
// one level do not overlap and the walk moves forward, so a period that
// starts no later than the one built before it is that period again (a
// month whose last days the calendar lacks: the first missing day still
// gets the month's bounds, and the step from the month's last calendar day
// lands on that missing day again). The level ends there. A date step that
// fails, gives NULL (an empty date) or does not move forward ends it too.
void walkLevel(const RunParameters& p, int32_t ztr) {
  DateText current = p.vonDatum;
  DateText builtFirst;  // first day of the period built last; empty at start
  while (!(current > p.bisDatum)) {
    DateText first, last, next;
    SqlStatus status = periodBounds(ztr, current, first, last);
    if (status.noData()) {
      first = current;
      last = p.bisDatum;
    } else if (!status.ok()) {
      break;
    }
    if (!builtFirst.empty() && !(first > builtFirst)) break;
    runReport().stageShare(windowShare(p, current));
    buildPeriod(ztr, first, last);
    builtFirst = first;
    if (ztr >= kQuarters) sqlCommit();
    if (!shiftDate(last, 0, 1, next).ok() || next.empty() ||
        !(next > current))
      break;
    current = next;
  }
  if (ztr < kQuarters) sqlCommit();
}

// The evaluations that overlap the window, each cut to it, built one after
// the other and then all marked as built; one commit for all of them.
void buildEvaluations(const RunParameters& p) {
  std::vector<EvaluationName> built;
  DwhRecord dwh;
  openDwh(p.vonDatum, p.bisDatum);
  while (fetchDwh(dwh).ok()) {
    DateText first = dwh.DwhVon < p.vonDatum ? p.vonDatum : dwh.DwhVon;
    DateText last = dwh.DwhBis > p.bisDatum ? p.bisDatum : dwh.DwhBis;
    buildEvaluationPeriod(first, last, dwh.DwhNam);
    built.push_back(dwh.DwhNam);
  }
  closeDwh();
  for (const EvaluationName& name : built) markEvaluation(name);
  sqlCommit();
}

void progress(const RunParameters& p, std::FILE* out, int32_t ztr) {
  if (p.debug) printDebugMessage(out, kLevelMessages[ztr - 1]);
}

}  // namespace

void buildEvaluationPeriod(const DateText& first, const DateText& last,
                           const EvaluationName& name,
                           const char* statisticsMessage, std::FILE* out) {
  Target to{kEvaluations, &last, &name};
  sumDailyBalances(kDays, first, last, to);
  sumTimeAccounts(kDays, first, last, to);
  if (statisticsMessage) printDebugMessage(out, statisticsMessage);
  countBookings(kDays, first, last, to);
}

void rollUpPeriods(const RunParameters& params, std::FILE* out) {
  for (int32_t ztr = kDays; ztr <= kYears; ++ztr) {
    progress(params, out, ztr);
    runReport().beginStage(kLevelNames[ztr - 1]);
    walkLevel(params, ztr);
  }
  progress(params, out, kEvaluations);
  runReport().beginStage(kLevelNames[kEvaluations - 1]);
  buildEvaluations(params);
  runReport().endStage();
}

bool firstPeriodStart(int32_t ztr, const DateText& von, DateText& first) {
  DateText last;
  return periodBounds(ztr, von, first, last).ok();
}

}  // namespace ravlen
