#include "tools/ravlen_db/demo_master.h"

#include <algorithm>
#include <cmath>

#include "tools/ravlen_db/day.h"

namespace ravlen {

namespace {

constexpr DemoModel kModels[] = {
    {"VZ40", "VZ", 480, 100, 50},
    {"VZ38", "VZ", 462, 100, 20},
    {"TZ30", "TZ", 360, 75, 15},
    {"TZ20", "TZ", 240, 50, 10},
    {"AZUBI", "AZ", 480, 100, 5},
};

constexpr DemoDepartment kDepartments[] = {
    {"GF", "1000", "Geschaeftsfuehrung", "KT1000"},
    {"VTN", "2100", "Vertrieb Nord", "KT2100"},
    {"VTS", "2200", "Vertrieb Sued", "KT2200"},
    {"ENTW", "3000", "Entwicklung", "KT3000"},
    {"QS", "3100", "Qualitaetssicherung", "KT3100"},
    {"PROD", "4000", "Produktion", "KT4000"},
    {"LOG", "4100", "Logistik", "KT4100"},
    {"VERW", "5000", "Verwaltung", "KT5000"},
    {"IT", "6000", "Informationstechnik", "KT6000"},
};

struct FunctionCode {
  std::string_view number;
  int function;
  std::string_view text;
  std::string_view kind;  // FcdKrt
};

constexpr FunctionCode kFunctionCodes[] = {
    {"ARB", kComeIn, "Arbeitszeit", "A"},
    {"BUE", kComeIn, "Buero", "A"},
    {"HO", kComeIn, "Homeoffice", "A"},
    {"PAU", kBreakStart, "Pause", "P"},
    {"DG", kErrandStart, "Dienstgang", "A"},
    {"SCH", kErrandStart, "Schulung", "A"},
    {"URL", kAbsentAllDay, "Urlaub", "F"},
    {"KRK", kAbsentAllDay, "Krankheit", "F"},
    {"GLT", kAbsentAllDay, "Gleittag", "F"},
    {"KOR", kInfoBooking, "Korrektur", "K"},
};

struct FunctionText {
  int function;
  std::string_view german;
  std::string_view english;
};

constexpr FunctionText kFunctionTexts[] = {
    {kComeIn, "Kommen", "Clock in"},
    {kGoOut, "Gehen", "Clock out"},
    {kBreakStart, "Pause Beginn", "Break start"},
    {kBreakEnd, "Pause Ende", "Break end"},
    {kErrandStart, "Dienstgang Beginn", "Errand start"},
    {kErrandEnd, "Dienstgang Ende", "Errand end"},
    {kAbsentAllDay, "Fehlzeit ganztags", "Absent all day"},
    {kInfoBooking, "Infobuchung", "Information booking"},
};

// Time accounts and the balance pair that carries each (ZktSnr); JHS and
// JHR are the year's target and actual time the run derives from.
struct TimeAccount {
  std::string_view key;
  int pair;  // 0: no pair
};

constexpr TimeAccount kTimeAccounts[] = {
    {"GLZ", 1}, {"URL", 2}, {"JHS", 3}, {"JHR", 4},
    {"UEST", 5}, {"KRK", 6}, {"HO", 0},
};

constexpr std::string_view kAccountKeys[kAccountCount] = {"URL", "KRK", "UEST"};

constexpr int kValueList = 13102;

void writeFunctionData(DemoTables& t) {
  for (const FunctionCode& f : kFunctionCodes) {
    t.fcd.text(f.number).integer(f.function).text(f.text).text(f.kind).run();
  }
  for (const FunctionText& f : kFunctionTexts) {
    t.whl.integer(kValueList).integer(f.function).integer(1).text(f.german).run();
    t.whl.integer(kValueList).integer(f.function).integer(2).text(f.english).run();
  }
}

void writeModels(DemoTables& t) {
  for (const DemoModel& m : kModels) {
    // Flexitime 06:00-19:00, core time 09:00-15:00 (part time to 12:00),
    // lunch window 11:30-14:00.
    int coreEnd = m.dailyMinutes >= 360 ? 900 : 720;
    t.azv.text(m.number).integer(360).integer(1140).integer(540).integer(coreEnd)
        .integer(690).integer(840).text(m.dailyMinutes > 360 ? "P30" : "P00")
        .integer(m.dailyMinutes).run();
  }
}

void writeAccountsAndCostCentres(DemoTables& t) {
  for (const TimeAccount& a : kTimeAccounts) {
    t.zkt.text(a.key);
    if (a.pair > 0) {
      t.zkt.integer(a.pair);
    } else {
      t.zkt.null();
    }
    t.zkt.run();
  }
  for (const DemoDepartment& d : kDepartments) {
    t.kst.text(d.costCentre).text(d.costCentreText).run();
  }
  t.kst.text(kProjectCostCentre).text("Projekt Alpha").run();
}

void writeEvaluation(DemoTables& t, std::string_view name, double from,
                     double to, int flag) {
  t.dwh.text(name).text(dayText(from)).text(dayText(to)).integer(flag)
      .integer(0).run();
}

// Evaluations inside the range: its first month, its middle third, its
// last three weeks, and the whole range without the build flag.
void writeEvaluations(DemoTables& t, double from, double to) {
  double span = to - from + 1;
  writeEvaluation(t, "ERSTER MONAT", from, std::min(to, from + 30), 1);
  double third = std::floor(span / 3);
  writeEvaluation(t, "PROJEKT ALPHA", from + third,
                  std::max(from + third, to - third), 1);
  writeEvaluation(t, "LETZTE WOCHEN", std::max(from, to - 20), to, 1);
  writeEvaluation(t, "GESAMTZEITRAUM (NICHT BERECHNEN)", from, to, 0);
}

}  // namespace

std::span<const DemoModel> demoModels() { return kModels; }
std::span<const DemoDepartment> demoDepartments() { return kDepartments; }
std::string_view accountKey(int account) { return kAccountKeys[account]; }

void writeMasterData(DemoTables& tables, double from, double to) {
  writeFunctionData(tables);
  writeModels(tables);
  writeAccountsAndCostCentres(tables);
  writeEvaluations(tables, from, to);
}

}  // namespace ravlen
