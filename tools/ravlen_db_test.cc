// The built ravlen-db as an operator uses it: init, calendar, demo and
// stats on real embedded databases, and a standard ravlen run over the demo
// data.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "schema_files.h"
#include "settings/settings_writer.h"
#include "tests/support/embedded_db.h"
#include "tests/support/run_program.h"
#include "tools/ravlen_db/init.h"

namespace ravlen {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::queryRows;
using testing::queryText;

ProgramResult ravlenDb(const std::vector<std::string>& args) {
  return testing::runProgram(testing::programPath("ravlen-db"), args);
}

void runOk(const std::vector<std::string>& args) {
  ProgramResult r = ravlenDb(args);
  ASSERT_EQ(r.exitStatus, 0) << args[0] << ": " << r.err;
}

int64_t count(const std::string& file, const std::string& sql) {
  std::string text = queryText(file, sql);
  return text.empty() ? -1 : std::stoll(text);
}

// ---------------------------------------------------------------------------
// init

// ("table"|"index", name) of every CREATE TABLE / CREATE INDEX in `sql`.
std::set<std::pair<std::string, std::string>> createdObjects(const std::string& sql) {
  static const std::regex create(R"(CREATE\s+(?:UNIQUE\s+)?(TABLE|INDEX)\s+(\w+))",
                                 std::regex::icase);
  std::set<std::pair<std::string, std::string>> objects;
  for (std::sregex_iterator it(sql.begin(), sql.end(), create), end; it != end; ++it) {
    std::string type = (*it)[1];
    for (char& c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    objects.insert({type, (*it)[2]});
  }
  return objects;
}

TEST(RavlenDbInit, CreatesEveryTableAndIndexOfTheSchemaFiles) {
  testing::TempDir tmp;
  std::string dir = tmp.file("db");
  runOk({"init", dir, "Demo"});
  size_t checked = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(RAVLEN_SOURCE_DIR) / "schema")) {
    if (entry.path().extension() != ".sql") continue;
    std::string name = entry.path().filename().string();
    std::string file = dir + (name.rfind("kalderon", 0) == 0 ? "/KALDERON.db" : "/DEMO.db");
    for (const auto& [type, object] : createdObjects(testing::schemaSql(name))) {
      EXPECT_EQ(count(file, "select count(*) from sqlite_master where type='" + type +
                                "' and name='" + object + "' collate nocase"),
                1)
          << name << ": " << type << " " << object << " in " << file;
      ++checked;
    }
  }
  EXPECT_GT(checked, 30u) << "the schema files define fewer objects than expected";
}

TEST(RavlenDbInit, EmbeddedSchemaIsTheRepositorysSchema) {
  std::set<std::string> onDisk;
  for (const auto& entry : fs::directory_iterator(fs::path(RAVLEN_SOURCE_DIR) / "schema")) {
    if (entry.path().extension() == ".sql") onDisk.insert(entry.path().filename().string());
  }
  std::set<std::string> embedded;
  for (const SchemaFile& file : kSchemaFiles) {
    embedded.insert(std::string(file.name));
    EXPECT_EQ(file.text, testing::schemaSql(file.name)) << file.name;
  }
  EXPECT_EQ(embedded, onDisk);
  // Every file is loaded once, into the schema its name says.
  std::vector<SchemaLoad> plan = schemaLoadPlan();
  ASSERT_EQ(plan.size(), onDisk.size());
  for (const SchemaLoad& load : plan)
    EXPECT_EQ(load.systemSchema, load.fileName.rfind("kalderon", 0) == 0) << load.fileName;
}

TEST(RavlenDbInit, RefusesExistingFilesAndMisuse) {
  testing::TempDir tmp;
  std::string dir = tmp.file("db");
  runOk({"init", dir});
  testing::execSql(dir + "/KORV.db", "create table Marker (x)");
  ProgramResult again = ravlenDb({"init", dir});
  EXPECT_EQ(again.exitStatus, 1);
  EXPECT_NE(again.err.find("gibt es schon"), std::string::npos) << again.err;
  EXPECT_EQ(count(dir + "/KORV.db", "select count(*) from Marker"), 0) << "left alone";

  EXPECT_EQ(ravlenDb({"init", tmp.file("x"), "KalDeron"}).exitStatus, 2);
  EXPECT_EQ(ravlenDb({"init", tmp.file("x"), "1ABC"}).exitStatus, 2);
  EXPECT_FALSE(fs::exists(tmp.file("x")));
  EXPECT_EQ(ravlenDb({}).exitStatus, 2);
  EXPECT_EQ(ravlenDb({"--help"}).exitStatus, 0);
  EXPECT_EQ(ravlenDb({"drop", dir}).exitStatus, 2);
  EXPECT_EQ(ravlenDb({"calendar", dir, "20240101"}).exitStatus, 2);
  EXPECT_EQ(ravlenDb({"calendar", dir, "20240230", "20240301"}).exitStatus, 2);
  EXPECT_EQ(ravlenDb({"calendar", dir, "20240301", "20240201"}).exitStatus, 2);
  EXPECT_EQ(ravlenDb({"demo", dir, "--persons", "3", "--from", "20240101"}).exitStatus, 2);
  EXPECT_EQ(ravlenDb({"demo", dir, "--persons", "0", "--from", "20240101", "--to",
                      "20240131"}).exitStatus, 2);
  EXPECT_EQ(ravlenDb({"calendar", tmp.file("none"), "20240101", "20240131"}).exitStatus, 1);
}

// ---------------------------------------------------------------------------
// calendar

TEST(RavlenDbCalendar, IsoWeeksQuartersAndHalfYearsAcrossTheTurnOf2020) {
  testing::TempDir tmp;
  std::string dir = tmp.file("db");
  runOk({"init", dir});
  runOk({"calendar", dir, "20201228", "20210110"});
  std::vector<std::string> rows = queryRows(
      dir + "/KALDERON.db",
      "select strftime('%Y%m%d', BakDtm) as Day, BakWch, BakQua, BakHjh, BakWtg "
      "from Zev133Bak order by BakDtm");
  std::vector<std::string> expected;
  for (int i = 0; i < 14; ++i) {
    int day = i < 4 ? 20201228 + i : 20210101 + (i - 4);
    bool old = i < 7;  // week 53 of 2020 runs to Sunday 3 January
    expected.push_back("Day=" + std::to_string(day) + " BakWch=" + (old ? "53" : "1") +
                       " BakQua=" + (i < 4 ? "4" : "1") + " BakHjh=" + (i < 4 ? "2" : "1") +
                       " BakWtg=" + std::to_string(i % 7 + 1));
  }
  EXPECT_EQ(rows, expected);
  // Stored as the contract says: Julian day numbers at midnight.
  EXPECT_EQ(queryText(dir + "/KALDERON.db", "select min(BakDtm) from Zev133Bak"),
            "2459211.5");
}

TEST(RavlenDbCalendar, AgreesWithTheTestCalendarAndCanBeFilledAgain) {
  testing::TempDir tmp;
  std::string dir = tmp.file("db");
  runOk({"init", dir});
  runOk({"calendar", dir, "20191201", "20211231"});
  runOk({"calendar", dir, "20210601", "20220131"});  // overlaps: replaces
  fs::create_directories(tmp.file("ref"));
  testing::createProjectDatabase(tmp.file("ref"));
  testing::fillCalendar(tmp.file("ref") + "/KALDERON.db", "20191201", "20220131");
  const std::string all = "select * from Zev133Bak order by BakDtm";
  std::vector<std::string> tool = queryRows(dir + "/KALDERON.db", all);
  EXPECT_EQ(tool.size(), 793u);
  EXPECT_EQ(tool, queryRows(tmp.file("ref") + "/KALDERON.db", all));
}

// ---------------------------------------------------------------------------
// demo, a standard run over it, stats

constexpr const char* kFrom = "20241216";
constexpr const char* kTo = "20250220";
constexpr int kPersons = 12;

const char* const kDemoTables[] = {
    "ZEV300PNR", "Zev310Bsv", "Zev311Zuo", "Zev329Ztg", "Zev320Tgb", "Zev321Bch",
    "Zev322Gaz", "Zev327Tag", "Zev331Zkb", "Zev332Urv", "Zev332Utg", "Zev332Sfv",
    "Zev332Sfz", "Zev332Jav", "Zev130Zkt", "Zev140Azv", "O1003KSTSTELLE"};

class RavlenDbDemo : public ::testing::Test {
 protected:
  void makeDemo(const std::string& dir, const std::string& seed, int persons = kPersons) {
    runOk({"init", dir});
    runOk({"calendar", dir, "20241101", "20250331"});
    runOk({"demo", dir, "--persons", std::to_string(persons), "--from", kFrom, "--to",
           kTo, "--seed", seed});
  }
  std::vector<std::string> dump(const std::string& dir) {
    std::vector<std::string> rows;
    for (const char* table : kDemoTables) {
      for (const std::string& row :
           queryRows(dir + "/KORV.db", std::string("select * from ") + table + " order by rowid"))
        rows.push_back(std::string(table) + ": " + row);
    }
    return rows;
  }
  int64_t app(const std::string& sql) { return count(dir_ + "/KORV.db", sql); }

  testing::TempDir tmp_;
  std::string dir_ = tmp_.file("db");
};

TEST_F(RavlenDbDemo, SameSeedGivesTheSameDataAnotherSeedOther) {
  makeDemo(dir_, "7");
  makeDemo(tmp_.file("same"), "7");
  makeDemo(tmp_.file("other"), "8");
  std::vector<std::string> first = dump(dir_);
  EXPECT_GT(first.size(), 3000u);
  EXPECT_EQ(first, dump(tmp_.file("same")));
  EXPECT_NE(first, dump(tmp_.file("other")));
  // A second demo into the same database replaces the first.
  runOk({"demo", dir_, "--persons", "3", "--from", kFrom, "--to", kTo});
  EXPECT_EQ(app("select count(*) from ZEV300PNR"), 3);
}

TEST_F(RavlenDbDemo, PersonsHaveEmploymentAndABalanceOnEveryWorkingDay) {
  makeDemo(dir_, "3", 40);
  EXPECT_EQ(queryText(dir_ + "/KORV.db", "select min(PnrNum)||'-'||max(PnrNum) from ZEV300PNR"),
            "10001-10040");
  EXPECT_EQ(app("select count(*) from ZEV300PNR where PnrNum not in "
                "(select BsvPnr from Zev310Bsv)"), 0);
  // Employment periods of a person never overlap: the run's lookups find one.
  EXPECT_EQ(app("select count(*) from Zev310Bsv a join Zev310Bsv b on a.BsvPnr=b.BsvPnr "
                "and a.BsvGvo<b.BsvGvo where coalesce(a.BsvGbi,1e9)>=b.BsvGvo"), 0);
  // A change of working-time model: the second period starts the day after
  // the first ends.
  EXPECT_GT(app("select count(*) from Zev310Bsv where BsvGbi is not null"), 0);
  EXPECT_EQ(app("select count(*) from Zev310Bsv a join Zev310Bsv b on a.BsvPnr=b.BsvPnr "
                "and a.BsvGvo<b.BsvGvo where a.BsvGbi+1<>b.BsvGvo"), 0);
  // Day balances: Monday to Friday of every employed day in the range.
  double from = testing::julianOf(kFrom), to = testing::julianOf(kTo);
  std::vector<std::string> spans = queryRows(
      dir_ + "/KORV.db",
      "select BsvPnr as P, max(min(BsvGvo), " + std::to_string(from) + ") as F, "
      "min(max(coalesce(BsvGbi, 1e9)), " + std::to_string(to) + ") as T "
      "from Zev310Bsv group by BsvPnr");
  ASSERT_EQ(spans.size(), 40u);
  for (const std::string& span : spans) {
    std::istringstream in(span);
    std::string p, f, t;
    in >> p >> f >> t;
    double first = std::stod(f.substr(2)), last = std::stod(t.substr(2));
    int64_t weekdays = 0;
    for (double d = first; d <= last; d += 1) weekdays += static_cast<int64_t>(d + 0.5) % 7 < 5;
    EXPECT_EQ(app("select count(*) from Zev320Tgb where TgbZtr=1 and TgbPnr='" + p.substr(2) + "'"),
              weekdays) << span;
  }
  EXPECT_EQ(app("select count(*) from Zev320Tgb where TgbZtr=1 and "
                "cast(TgbDtm+0.5 as integer)%7>=5"), 0);
}

TEST_F(RavlenDbDemo, WeekAndMonthRowsSumTheirDays) {
  makeDemo(dir_, "5", 20);
  EXPECT_GT(app("select count(*) from Zev320Tgb where TgbZtr=2"), 100);
  EXPECT_GT(app("select count(*) from Zev320Tgb where TgbZtr=3"), 20);
  EXPECT_EQ(app("select count(*) from Zev320Tgb where TgbZtr=2 and "
                "cast(TgbDtm+0.5 as integer)%7<>0"), 0) << "weeks on Mondays";
  EXPECT_EQ(app("select count(*) from Zev320Tgb where TgbZtr=3 and "
                "strftime('%d',TgbDtm)<>'01'"), 0) << "months on the 1st";
  EXPECT_EQ(app("select count(*) from Zev320Tgb w where TgbZtr=2 and (TgbNrm, TgbVhs, TgbSa1) "
                "is not (select sum(TgbNrm), sum(TgbVhs), sum(TgbSa1) from Zev320Tgb d "
                "where d.TgbPnr=w.TgbPnr and d.TgbZtr=1 and d.TgbDtm between w.TgbDtm and "
                "w.TgbDtm+6)"), 0);
  EXPECT_EQ(app("select count(*) from Zev320Tgb m where TgbZtr=3 and (TgbNrm, TgbVab) "
                "is not (select sum(TgbNrm), sum(TgbVab) from Zev320Tgb d where "
                "d.TgbPnr=m.TgbPnr and d.TgbZtr=1 and "
                "strftime('%Y%m',d.TgbDtm)=strftime('%Y%m',m.TgbDtm))"), 0);
  // Time-account bookings of codes 1, 2 and 3, each beside its balance.
  for (int code = 1; code <= 3; ++code) {
    EXPECT_GT(app("select count(*) from Zev331Zkb where ZkbZtr=" + std::to_string(code)), 0)
        << code;
  }
  EXPECT_EQ(app("select count(*) from Zev331Zkb z where not exists (select 1 from Zev320Tgb t "
                "where t.TgbPnr=z.ZkbPnr and t.TgbZtr=z.ZkbZtr and t.TgbDtm=z.ZkbDtm)"), 0);
}

TEST_F(RavlenDbDemo, AboutFourBookingsOnEveryDayAtWork) {
  makeDemo(dir_, "11", 30);
  double bookings = static_cast<double>(app("select count(*) from Zev321Bch"));
  double daysAtWork = static_cast<double>(app("select count(*) from Zev327Tag where TagAmp=1"));
  ASSERT_GT(daysAtWork, 0);
  EXPECT_GT(bookings / daysAtWork, 3.6);
  EXPECT_LT(bookings / daysAtWork, 4.8);
  EXPECT_EQ(app("select count(*) from Zev321Bch b where not exists (select 1 from Zev327Tag t "
                "where t.TagPnr=b.BchPnr and t.TagTag=b.BchVon and t.TagAmp=1)"), 0);
  EXPECT_EQ(app("select count(*) from Zev321Bch where BchFkt not in (1,2,3,4,5,6,45) or "
                "BchUhr<BchVon or BchUhr>=BchVon+1"), 0);
  EXPECT_GT(app("select count(*) from Zev321Bch where BchFkt=45"), 0);
  // Every function code booked or recorded, and every function, has its
  // master data in the system schema, with texts in languages 1 and 2.
  std::string sys = dir_ + "/KALDERON.db";
  for (const std::string& row : queryRows(dir_ + "/KORV.db",
           "select BchFcd as c from Zev321Bch union select TagTgb from Zev327Tag "
           "union select TagHtv from Zev327Tag union select TagHtn from Zev327Tag")) {
    if (row.empty()) continue;
    EXPECT_EQ(count(sys, "select count(*) from Zev131Fcd where FcdNum='" + row.substr(2) + "'"), 1)
        << row;
  }
  for (const std::string& row : queryRows(dir_ + "/KORV.db",
                                          "select distinct BchFkt as f from Zev321Bch")) {
    EXPECT_EQ(count(sys, "select count(*) from Zev102whl where ftxnumspr=13102 and ftxwhl=" +
                             row.substr(2)), 2) << row;
  }
  EXPECT_EQ(app("select count(*) from Zev130Zkt where ZktNum in ('JHS','JHR')"), 2);
  EXPECT_EQ(count(sys, "select count(*) from Zev800Dwh where DwhDar=1 and DwhVon>='" +
                           std::string(kFrom) + "' and DwhBis<='" + kTo + "'"), 3);
}

TEST_F(RavlenDbDemo, AFailedDemoCommitsNothing) {
  makeDemo(dir_, "1", 2);
  std::vector<std::string> before = dump(dir_);
  // The third person's first booking fails, after many rows were written.
  testing::execSql(dir_ + "/KORV.db",
                   "create trigger Refuse before insert on Zev321Bch "
                   "when new.BchPnr='10003' begin select raise(abort, 'refused'); end");
  ProgramResult r = ravlenDb({"demo", dir_, "--persons", "5", "--from", kFrom, "--to", kTo});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_NE(r.err.find("Zev321Bch: refused"), std::string::npos) << r.err;
  EXPECT_EQ(dump(dir_), before);
  EXPECT_EQ(count(dir_ + "/KALDERON.db", "select count(*) from Zev131Fcd"), 10);
}

// The figures of one line of the stats output: the counts per period code
// (or "-") and the total.
std::vector<std::string> statsLine(const std::string& out, const std::string& table) {
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind(table + " ", 0) != 0) continue;
    std::istringstream words(line.substr(table.size()));
    std::vector<std::string> figures;
    for (std::string w; words >> w && figures.size() < 8;) figures.push_back(w);
    return figures;
  }
  return {};
}

TEST_F(RavlenDbDemo, AStandardRunFillsTheWarehouseAndStatsShowIt) {
  makeDemo(dir_, "1");
  std::string ini = tmp_.file("x.ini");  // the program takes 25 characters
  std::ofstream(ini) << settingsFileText({"sqlite:" + dir_, "KORV", "demo", ""});
  ProgramResult run = testing::runProgram(testing::programPath("ravlen"),
                                          {ini, kFrom, kTo, "/D"});
  EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("Ravlen: Fertig.\n"), std::string::npos);
  EXPECT_NE(run.err.find("Ravlen: 0 Fehler, 0 Warnungen"), std::string::npos) << run.err;
  EXPECT_EQ(app("select count(*) from Zev899Bch"), app("select count(*) from Zev321Bch"));
  EXPECT_EQ(app("select count(*) from Zev899Pnr"), kPersons);
  EXPECT_EQ(app("select count(distinct TgbZtr) from Zev899Tgb"), 6);
  EXPECT_GT(app("select count(*) from Zev898Tgb"), 0);
  EXPECT_EQ(app("select count(*) from Zev899Tgb where TgbZtr=1"),
            app("select count(*) from Zev320Tgb where TgbZtr=1"));
  // The master data reach the warehouse: every booking finds its texts in
  // the person's language, the day balances their assignment, model,
  // employment and the year balance of the JHS and JHR accounts.
  EXPECT_EQ(app("select count(*) from Zev899Bch where BchTtx is null or BchFtx is null "
                "or BchKtx is null or ZtgAbt is null"), 0);
  EXPECT_GT(app("select count(*) from Zev899Bch b join ZEV300PNR on PnrNum=BchPnr "
                "where PnrSpr=2"), 0);
  EXPECT_EQ(app("select count(*) from Zev899Tgb where TgbZtr=1 and (ZtgAbt is null "
                "or AzvSol is null or BsvPrz is null or JavJaz is null or JavSol=0 "
                "or JavIst=0 or BakWtg not between 1 and 5)"), 0);

  ProgramResult stats = ravlenDb({"stats", dir_});
  ASSERT_EQ(stats.exitStatus, 0) << stats.err;
  std::vector<std::string> tgb = statsLine(stats.out, "Zev899Tgb");
  ASSERT_EQ(tgb.size(), 8u) << stats.out;
  for (int code = 1; code <= 7; ++code) {
    EXPECT_EQ(tgb[code - 1], std::to_string(app("select count(*) from Zev899Tgb where TgbZtr=" +
                                                 std::to_string(code))))
        << "code " << code;
  }
  EXPECT_EQ(tgb[7], std::to_string(app("select count(*) from Zev899Tgb")));
  std::vector<std::string> bch = statsLine(stats.out, "Zev899Bch");
  ASSERT_EQ(bch.size(), 8u);
  EXPECT_EQ(bch[0], "-");
  EXPECT_EQ(bch[7], std::to_string(app("select count(*) from Zev899Bch")));
  std::vector<std::string> bst898 = statsLine(stats.out, "Zev898Bst");
  ASSERT_EQ(bst898.size(), 8u);
  EXPECT_EQ(bst898[6], std::to_string(app("select count(*) from Zev898Bst")));
  EXPECT_NE(stats.out.find("ERSTER MONAT"), std::string::npos) << stats.out;
}

}  // namespace
}  // namespace ravlen
