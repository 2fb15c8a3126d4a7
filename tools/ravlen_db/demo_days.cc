#include "tools/ravlen_db/demo_days.h"

#include <algorithm>

#include "tools/ravlen_db/day.h"

namespace ravlen {

namespace {

constexpr int kPairs = 7;
constexpr int kMaxDayMinutes = 600;
constexpr int kOvertimeThreshold = 30;  // minutes a day booked to UEST

enum class DayKind { kOffice, kHome, kVacation, kSick };

struct DayValues {
  int nrm = 0, vhs = 0, mab = 0, vab = 0, pse = 0, unb = 0, max = 0;
  int vt[kPairs] = {}, sa[kPairs] = {};
  int minutes[kAccountCount] = {}, days[kAccountCount] = {};
};

// The sums of a week or month.
struct PeriodSum {
  bool empty = true;
  DayValues sum;
  const DemoDepartment* department = nullptr;  // of the last day added

  void add(const DayValues& v, const DemoDepartment& d) {
    if (empty) std::copy(v.vt, v.vt + kPairs, sum.vt);
    empty = false;
    sum.nrm += v.nrm, sum.vhs += v.vhs, sum.mab += v.mab, sum.vab += v.vab;
    sum.pse += v.pse, sum.unb += v.unb, sum.max += v.max;
    for (int i = 0; i < kPairs; ++i) sum.sa[i] += v.sa[i];
    for (int a = 0; a < kAccountCount; ++a) {
      sum.minutes[a] += v.minutes[a];
      sum.days[a] += v.days[a];
    }
    department = &d;
  }
};

// Running balances of the pairs, and the vacation bookkeeping.
struct Balances {
  int flexi = 0, vacationLeft = 0, yearTarget = 0, yearActual = 0;
  int overtime = 0, sickDays = 0, vacationTaken = 0;
};

struct PersonDays {
  PersonDays(DemoTables& tables, DemoRandom& random, const DemoPerson& person)
      : t(tables), r(random), p(person) {}

  DemoTables& t;
  DemoRandom& r;
  const DemoPerson& p;
  Balances b;
  DayKind absence = DayKind::kVacation;
  int absenceLeft = 0;
  PeriodSum week, month;
};

Balances initialBalances(DemoRandom& r, const DemoPerson& p) {
  Balances b;
  double since = std::max(firstOfYear(yearOf(p.first)), p.entry);
  int workdays = static_cast<int>(p.first - since) * 5 / 7;
  b.flexi = r.between(-300, 900);
  b.overtime = r.between(0, 2400);
  b.yearTarget = workdays * p.modelAt(p.first).dailyMinutes;
  b.yearActual = b.yearTarget + r.between(-120, 600);
  b.vacationTaken = std::min(p.vacationDays, workdays * p.vacationDays / 250);
  b.vacationLeft = p.vacationDays + r.below(6) - b.vacationTaken;
  b.sickDays = r.below(1 + workdays / 40);
  return b;
}

void startYear(PersonDays& s) {
  s.b.vacationLeft = s.p.vacationDays + std::min(s.b.vacationLeft, 5);
  s.b.vacationTaken = 0;
  s.b.yearTarget = s.b.yearActual = s.b.sickDays = 0;
}

DayKind drawKind(PersonDays& s) {
  if (s.absenceLeft > 0) {
    --s.absenceLeft;
    return s.absence;
  }
  if (s.b.vacationLeft > 0 && s.r.below(1000) < 25) {
    s.absence = DayKind::kVacation;
    s.absenceLeft = std::min(s.r.between(1, 10), s.b.vacationLeft) - 1;
    return s.absence;
  }
  if (s.r.below(1000) < 12) {
    s.absence = DayKind::kSick;
    s.absenceLeft = s.r.between(1, 5) - 1;
    return s.absence;
  }
  return s.p.homeOffice && s.r.percent(30) ? DayKind::kHome : DayKind::kOffice;
}

struct Booking {
  int function;
  std::string_view code;
  int minute;
  bool project = false;
};

void writeBooking(PersonDays& s, double day, const Booking& b, bool home) {
  int second = b.minute * 60 + s.r.below(60);
  const DemoDepartment& d = s.p.departmentAt(day);
  std::string_view terminal = home ? "WEB" : std::string_view(s.p.terminal);
  std::string_view entry = home ? "Web" : "Terminal";
  if (b.function == kInfoBooking) terminal = "PC", entry = "Korrektur";
  s.t.bch.text(s.p.number).date(day).date(day + second / 86400.0)
      .integer(b.function).text(b.code)
      .text(b.project ? kProjectCostCentre : d.costCentre).text(terminal)
      .text(entry).run();
}

// A day at work: times, bookings and the balance's minute values.
DayValues workDay(PersonDays& s, double day, int target, bool home) {
  DemoRandom& r = s.r;
  int delta = r.between(-30, 60) + (r.percent(5) ? r.between(60, 150) : 0);
  int worked = std::max(120, target + delta);
  // Breaks as the law asks for them; part-timers often take a short one.
  int pause = worked > 540 ? 45 : worked > 360 ? 30 : r.percent(40) ? 15 : 0;
  int come = r.between(390, 540);
  int go = come + worked + pause;
  std::string_view place = home ? "HO" : "BUE";
  writeBooking(s, day, {kComeIn, place, come}, home);
  if (pause > 0) {
    int latest = std::min(270, worked - 30);  // the break ends before going
    int start = come + r.between(std::min(180, latest), latest);
    writeBooking(s, day, {kBreakStart, "PAU", start}, home);
    writeBooking(s, day, {kBreakEnd, "PAU", start + pause}, home);
    if (!home && r.percent(20)) {
      int out = start + pause + r.between(30, 90);
      int back = out + r.between(30, 120);
      if (back + 15 < go) {
        writeBooking(s, day, {kErrandStart, "DG", out, true}, home);
        writeBooking(s, day, {kErrandEnd, "DG", back, true}, home);
      }
    }
  }
  writeBooking(s, day, {kGoOut, place, go}, home);
  if (r.percent(10)) {
    writeBooking(s, day, {kInfoBooking, "KOR", r.between(come + 1, go - 1)}, home);
  }
  DayValues v;
  v.nrm = target, v.vhs = worked, v.pse = pause, v.max = kMaxDayMinutes;
  v.mab = std::max(0, worked - target);
  return v;
}

void setPair(DayValues& v, int pair, int& balance, int change) {
  v.vt[pair - 1] = balance;
  v.sa[pair - 1] = change;
  balance += change;
}

// The accounts and balance pairs of a day whose minutes are set.
void bookDay(PersonDays& s, DayKind kind, DayValues& v) {
  int overtime = v.mab >= kOvertimeThreshold ? v.mab : 0;
  if (kind == DayKind::kVacation || kind == DayKind::kSick) {
    int account = kind == DayKind::kVacation ? kVacationAccount : kSickAccount;
    v.minutes[account] = v.nrm;
    v.days[account] = 1;
  }
  v.minutes[kOvertimeAccount] = overtime;
  Balances& b = s.b;
  setPair(v, 1, b.flexi, v.vhs + v.vab - v.nrm - overtime);
  setPair(v, 2, b.vacationLeft, kind == DayKind::kVacation ? -1 : 0);
  setPair(v, 3, b.yearTarget, v.nrm);
  setPair(v, 4, b.yearActual, v.vhs + v.vab);
  setPair(v, 5, b.overtime, overtime);
  setPair(v, 6, b.sickDays, kind == DayKind::kSick ? 1 : 0);
  if (kind == DayKind::kVacation) ++b.vacationTaken;
}

void writeTgb(PersonDays& s, int code, double day, const DayValues& v) {
  Insert& tgb = s.t.tgb;
  tgb.text(s.p.number).integer(code).date(day);
  for (int i = 0; i < kPairs; ++i) tgb.integer(v.vt[i]);
  for (int i = 0; i < kPairs; ++i) tgb.integer(v.sa[i]);
  tgb.integer(v.max).integer(v.nrm).integer(v.mab).integer(v.vhs).integer(v.unb)
      .integer(v.vab).integer(v.pse).run();
}

void writeZkb(PersonDays& s, int code, double day, const DayValues& v,
              const DemoDepartment& d) {
  for (int a = 0; a < kAccountCount; ++a) {
    if (v.minutes[a] == 0 && v.days[a] == 0) continue;
    int credited = a == kOvertimeAccount ? v.minutes[a] : 0;
    s.t.zkb.text(s.p.number).integer(code).date(day).text(d.costCentre)
        .text(d.costUnit).text(kCostType).text(accountKey(a))
        .integer(v.minutes[a]).integer(v.days[a]).integer(credited).integer(0)
        .integer(0).run();
  }
}

void writeTag(PersonDays& s, double day, DayKind kind, const DayValues& v) {
  static constexpr std::string_view kCodes[] = {"ARB", "HO", "URL", "KRK"};
  static constexpr int kMarks[] = {0, 0, 1, 2};
  int k = static_cast<int>(kind);
  std::string_view before, after;  // half-day codes
  if (kind == DayKind::kHome && s.r.percent(10)) before = "HO", after = "BUE";
  if (kind == DayKind::kOffice && s.r.percent(3)) before = "ARB", after = "SCH";
  bool present = kind == DayKind::kOffice || kind == DayKind::kHome;
  s.t.tag.text(s.p.number).date(day).integer(kMarks[k]).integer(v.pse)
      .text(kCodes[k]).text(before).text(after).integer(0)
      .integer(present ? 1 : 0).run();
}

// The day's target, from a day-specific model now and then.
int dayTarget(PersonDays& s, double day, DayKind kind) {
  const DemoModel& m = s.p.modelAt(day);
  bool atWork = kind == DayKind::kOffice || kind == DayKind::kHome;
  if (!atWork || m.dailyMinutes < 360 || !s.r.percent(2)) return m.dailyMinutes;
  int target = m.dailyMinutes - 120;
  s.t.gaz.text(s.p.number).date(day).integer(360).integer(1140).integer(540)
      .integer(720).integer(690).integer(840).text("P00").integer(target).run();
  return target;
}

void writeWorkday(PersonDays& s, double day) {
  DayKind kind = drawKind(s);
  int target = dayTarget(s, day, kind);
  DayValues v;
  if (kind == DayKind::kOffice || kind == DayKind::kHome) {
    v = workDay(s, day, target, kind == DayKind::kHome);
  } else {
    v.nrm = target, v.vab = target, v.max = kMaxDayMinutes;
  }
  bookDay(s, kind, v);
  const DemoDepartment& d = s.p.departmentAt(day);
  writeTgb(s, 1, day, v);
  writeTag(s, day, kind, v);
  writeZkb(s, 1, day, v, d);
  s.week.add(v, d);
  s.month.add(v, d);
}

void writeAssignment(PersonDays& s, double day) {
  const DemoModel& m = s.p.modelAt(day);
  const DemoDepartment& d = s.p.departmentAt(day);
  s.t.ztg.text(s.p.number).date(day).text(m.number).text(m.contract).text("AK1")
      .text(d.abbreviation).text(d.costCentre).text(d.costUnit).text(kCostType)
      .text(s.p.group).text("AKT").text(weekdayOf(day) <= 5 ? "AT" : "WE").run();
}

void writeLeaveBalance(PersonDays& s, double day) {
  const Balances& b = s.b;
  s.t.utg.text(s.p.number).date(day).real(b.vacationLeft).real(b.vacationTaken)
      .real(s.p.vacationDays).real(0).real(b.vacationLeft).run();
}

// Writes the period's rows when its first day is an employed day of the
// range, and starts the next period.
void closePeriod(PersonDays& s, PeriodSum& period, int code, double firstDay) {
  if (!period.empty && firstDay >= s.p.first) {
    writeTgb(s, code, firstDay, period.sum);
    writeZkb(s, code, firstDay, period.sum, *period.department);
  }
  period = PeriodSum();
}

void writeDay(PersonDays& s, double day) {
  if (day > s.p.first && monthOf(day) == 1 && dayOfMonth(day) == 1) startYear(s);
  if (day == s.p.first || dayOfMonth(day) == 1) writeLeaveBalance(s, day);
  writeAssignment(s, day);
  int weekday = weekdayOf(day);
  if (weekday <= 5) writeWorkday(s, day);
  bool lastDay = day == s.p.last;
  if (weekday == 7 || lastDay) closePeriod(s, s.week, 2, day - (weekday - 1));
  if (dayOfMonth(day + 1) == 1 || lastDay) {
    closePeriod(s, s.month, 3, day - (dayOfMonth(day) - 1));
  }
}

}  // namespace

void writePersonDays(DemoTables& tables, DemoRandom& random,
                     const DemoPerson& person) {
  PersonDays s(tables, random, person);
  s.b = initialBalances(random, person);
  for (double day = person.first; day <= person.last; day += 1) writeDay(s, day);
}

}  // namespace ravlen
