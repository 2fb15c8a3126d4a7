#include "tools/ravlen_db/demo_person.h"

#include <algorithm>
#include <cctype>

#include "tools/ravlen_db/day.h"

namespace ravlen {

namespace {

constexpr std::string_view kLastNames[] = {
    "Mueller", "Schmidt", "Schneider", "Fischer", "Weber",   "Meyer",
    "Wagner",  "Becker",  "Schulz",    "Hoffmann", "Koch",   "Richter",
    "Klein",   "Wolf",    "Neumann",   "Schwarz",  "Braun",  "Zimmermann",
    "Krueger", "Hartmann", "Lange",    "Werner",   "Krause", "Lehmann"};
constexpr std::string_view kMaleNames[] = {
    "Thomas", "Michael", "Andreas", "Stefan", "Markus", "Christian",
    "Jan",    "Lukas",   "Felix",   "Jonas",  "Tobias", "Matthias"};
constexpr std::string_view kFemaleNames[] = {
    "Sabine", "Anna",  "Julia", "Claudia", "Katrin", "Laura",
    "Sarah",  "Petra", "Lena",  "Nicole",  "Miriam", "Sophie"};
constexpr std::string_view kStreets[] = {
    "Lindenstrasse", "Hauptstrasse", "Bahnhofstrasse", "Gartenweg",
    "Schulstrasse",  "Am Markt",     "Bergstrasse",    "Wiesenweg"};

struct City {
  std::string_view postcode, name, area;
};
constexpr City kCities[] = {
    {"28195", "Bremen", "0421"},   {"20095", "Hamburg", "040"},
    {"30159", "Hannover", "0511"}, {"49074", "Osnabrueck", "0541"},
    {"26122", "Oldenburg", "0441"}};

template <size_t N>
std::string_view pick(DemoRandom& r, const std::string_view (&list)[N]) {
  return list[r.below(static_cast<int>(N))];
}

const DemoModel& drawModel(DemoRandom& r, const DemoModel* notThis) {
  int total = 0;
  for (const DemoModel& m : demoModels()) total += m.weight;
  for (int attempt = 0; attempt < 8; ++attempt) {
    int ticket = r.below(total);
    for (const DemoModel& m : demoModels()) {
      if (ticket < m.weight) {
        if (&m != notThis) return m;
        break;
      }
      ticket -= m.weight;
    }
  }
  return &demoModels()[0] == notThis ? demoModels()[1] : demoModels()[0];
}

const DemoDepartment& drawDepartment(DemoRandom& r, const DemoDepartment* notThis) {
  auto all = demoDepartments();
  const DemoDepartment* d = &all[r.below(static_cast<int>(all.size()))];
  if (d == notThis) d = &all[(d - all.data() + 1) % all.size()];
  return *d;
}

void drawEmployment(DemoRandom& r, double from, double to, DemoPerson& p) {
  int span = static_cast<int>(to - from) + 1;
  if (span > 60 && r.percent(12)) {
    p.entry = from + r.below(span * 3 / 4);
  } else {
    p.entry = from - r.between(30, 15 * 365);
  }
  p.birth = p.entry - r.between(18 * 365, 45 * 365);
  p.first = std::max(p.entry, from);
  int employed = static_cast<int>(to - p.first);
  if (employed > 60 && r.percent(6)) p.leave = p.first + r.between(30, employed - 1);
  p.last = p.leave != 0 ? p.leave : to;
}

void drawChanges(DemoRandom& r, DemoPerson& p) {
  int employed = static_cast<int>(p.last - p.first);
  if (employed > 90 && r.percent(10)) {
    double change = firstOfNextMonth(p.first + r.between(20, employed - 60));
    if (change < p.last) {
      p.modelChange = change;
      p.model[1] = &drawModel(r, p.model[0]);
    }
  }
  if (employed > 60 && r.percent(12)) {
    double day = p.first + r.between(14, employed - 14);
    double monday = day - (weekdayOf(day) - 1) + 7;
    if (monday < p.last) {
      p.departmentChange = monday;
      p.department[1] = &drawDepartment(r, p.department[0]);
    }
  }
}

std::string lower(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

void writePnr(DemoTables& t, DemoRandom& r, const DemoPerson& p) {
  const City& city = kCities[r.below(5)];
  std::string street = std::string(pick(r, kStreets)) + " " + std::to_string(r.between(1, 120));
  std::string phone = std::string(city.area) + " " + std::to_string(r.between(200000, 999999));
  std::string mobile = "0171 " + std::to_string(r.between(1000000, 9999999));
  std::string mail = lower(p.firstName) + "." + lower(p.lastName) + "@firma.example";
  std::string card = "0004" + p.number;
  t.pnr.text(p.number).integer(p.language).date(p.birth).date(p.entry).date(p.leave)
      .text(p.displayName()).text(street).text(city.postcode).text(city.name)
      .text(phone).text(r.percent(70) ? mobile : "").text(mail)
      .integer(p.salutation).integer(r.percent(5) ? 1 : 0).text("")
      .integer(p.leave != 0 ? 2 : 1).text("").text("").text("").integer(0)
      .text("").text(p.leave != 0 ? "N" : "J").text(p.leave != 0 ? dayText(p.leave) : "")
      .text(card).text("").run();
}

void writeBsv(DemoTables& t, const DemoPerson& p, double from, double to,
              const DemoModel& m, std::string_view grade, std::string_view site) {
  bool trainee = m.number == "AZUBI";
  std::string vacation = "U";  // appended, not "U" + ...: g++ 12 warns there
  vacation += std::to_string(p.vacationDays);
  t.bsv.text(p.number).date(from).date(to).text(p.displayName())
      .text(trainee ? "AK2" : "AK1").text(grade).text(vacation)
      .integer(trainee ? 2 : 1).real(m.dailyMinutes * 5 / 60.0).text("M").text("LFZ6")
      .text("SFR1").text("JAM1").text("KAL1").real(m.percent).integer(0).integer(0)
      .integer(0).integer(0).integer(0).text(site).text("").run();
}

// The annual target: the model's minutes on every weekday of the year on
// which the person is employed.
int yearTarget(const DemoPerson& p, int year) {
  int minutes = 0;
  for (double day = firstOfYear(year); day < firstOfYear(year + 1); day += 1) {
    bool employed = day >= p.entry && (p.leave == 0 || day <= p.leave);
    if (employed && weekdayOf(day) <= 5) minutes += p.modelAt(day).dailyMinutes;
  }
  return minutes;
}

void writeYearRows(DemoTables& t, DemoRandom& r, const DemoPerson& p, int year) {
  double carried = r.below(8);
  t.urv.text(p.number).integer(year).real(carried).real(p.vacationDays)
      .real(carried + p.vacationDays).real(0).real(r.below(10)).real(0)
      .real(r.percent(2) ? 1 : 0).real(r.percent(4) ? 5 : 0).real(0).real(0).run();
  double jan1 = firstOfYear(year);
  t.jav.text(p.number).date(jan1).date(firstOfYear(year + 1) - 1)
      .integer(yearTarget(p, year)).run();
  if (!p.specialLeave) return;
  t.sfv.text(p.number).integer(year).real(3).real(0).real(r.below(2)).run();
  t.sfz.text(p.number).date(std::max(jan1, p.first)).real(3).real(0).real(0)
      .real(r.below(3)).run();
}

}  // namespace

const DemoModel& DemoPerson::modelAt(double day) const {
  return modelChange != 0 && day >= modelChange ? *model[1] : *model[0];
}

const DemoDepartment& DemoPerson::departmentAt(double day) const {
  return departmentChange != 0 && day >= departmentChange ? *department[1]
                                                          : *department[0];
}

std::string DemoPerson::displayName() const { return lastName + ", " + firstName; }

DemoPerson drawDemoPerson(DemoRandom& r, int index, double from, double to) {
  DemoPerson p;
  p.number = std::to_string(10001 + index);
  p.salutation = r.percent(45) ? 2 : 1;
  p.firstName = p.salutation == 2 ? pick(r, kFemaleNames) : pick(r, kMaleNames);
  p.lastName = pick(r, kLastNames);
  p.language = r.percent(15) ? 2 : 1;
  drawEmployment(r, from, to, p);
  p.model[0] = &drawModel(r, nullptr);
  p.department[0] = &drawDepartment(r, nullptr);
  drawChanges(r, p);
  p.group = "AG" + std::to_string(r.between(1, 4));
  p.terminal = "TERM0" + std::to_string(r.between(1, 4));
  p.homeOffice = p.model[0]->number != "AZUBI" && r.percent(60);
  p.specialLeave = r.percent(20);
  p.vacationDays = r.percent(70) ? 30 : 28;
  return p;
}

void writePersonMasterRows(DemoTables& t, DemoRandom& r, const DemoPerson& p) {
  writePnr(t, r, p);
  std::string grade = "E";
  grade += std::to_string(r.between(5, 13));
  std::string_view site = r.percent(60) ? "Standort Nord" : "Standort Sued";
  if (p.modelChange != 0) {
    writeBsv(t, p, p.entry, p.modelChange - 1, *p.model[0], grade, site);
    writeBsv(t, p, p.modelChange, p.leave, *p.model[1], grade, site);
  } else {
    writeBsv(t, p, p.entry, p.leave, *p.model[0], grade, site);
  }
  t.zuo.text(p.number).date(p.entry).date(p.leave).run();
  for (int year = yearOf(p.first); year <= yearOf(p.last); ++year) {
    writeYearRows(t, r, p, year);
  }
}

}  // namespace ravlen
