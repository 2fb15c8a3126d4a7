// Resilience of the built program on real embedded databases: killed with
// SIGKILL at many moments of a standard run, two runs started at once, a
// read-only database, a full disk, and the same window run twice.
//
// The data: 12 persons over January to June 2024 with daily balances of
// period codes 1 to 3, bookings, time-account bookings and three
// evaluations; a standard run over the half-year takes about a second.
// "Pristine" is a database whose warehouse holds a complete earlier run
// (warehouse W1) and whose source rows were changed since, so that a run
// over it turns every part of the warehouse from W1 into W2 and each commit
// of the run can be seen in the tables.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "settings/settings_writer.h"
#include "tests/support/child_process.h"
#include "tests/support/embedded_db.h"
#include "tests/support/run_program.h"

namespace ravlen {
namespace {

namespace fs = std::filesystem;
using testing::ChildOptions;
using testing::ChildProcess;
using testing::ChildResult;
using Seconds = std::chrono::duration<double>;

constexpr char kVon[] = "20240101";
constexpr char kBis[] = "20240630";
// Any single run; generous for sanitizer builds on a busy machine.
constexpr Seconds kRunLimit{120};
// A run that may first wait for another (the database's busy timeout is 60 s).
constexpr Seconds kWaitingRunLimit{200};

// Operational rows, generated in SQL (Julian day numbers as julianday()
// gives them). Persons 1001..1012; daily balances of code 1 for every day,
// code 2 on Mondays, code 3 on the first of each month; two bookings each
// working day and a third on some days; time-account bookings to match.
constexpr char kSourceRows[] = R"sql(
begin;
create temp table p(n);
with recursive s(n) as (select 1001 union all select n+1 from s where n<1012)
  insert into p select n from s;
create temp table d(j);
with recursive s(j) as (select julianday('2024-01-01') union all
  select j+1 from s where j<julianday('2024-06-30')) insert into d select j from s;
insert into ZEV300PNR (PnrNum,PnrSpr,PnrNam,PnrGeb,PnrEin)
  select n,1,'Person '||n,julianday('1980-01-01')+n,julianday('2010-01-01') from p;
insert into Zev310Bsv (BsvPnr,BsvGvo,BsvPnm,BsvLug,BsvDwt)
  select n,julianday('2015-01-01'),'Person '||n,'L'||(n%4),38.5 from p;
insert into Zev329Ztg (ZtgPnr,ZtgVon,ZtgAzt,ZtgVra,ZtgKst,ZtgAbt)
  select n,julianday('2015-01-01'),'AZ1','V'||(n%3),'K'||(n%5),'ABT' from p;
insert into Zev329Ztg (ZtgPnr,ZtgVon,ZtgAzt,ZtgVra,ZtgKst,ZtgAbt)
  select n,julianday('2024-04-01'),'AZ1','W'||(n%3),'K'||(n%5),'ABT' from p
  where n%2=0;
insert into Zev140Azv values ('AZ1',420,1080,540,900,600,1200,'P1',480);
insert into Zev130Zkt values ('GLZ',1),('UEB',2),('JHS',3),('JHR',4);
insert into Zev332Urv (UrvPnr,UrvJhr,UrvVjr,UrvUan) select n,2024,2,30 from p;
insert into Zev332Jav
  select n,julianday('2024-01-01'),julianday('2024-12-31'),1800 from p;
insert into Zev320Tgb (TgbPnr,TgbZtr,TgbDtm,TgbVt1,TgbSa1,TgbVt2,TgbSa2,TgbSa3,
                       TgbMax,TgbNrm)
  select n,1,j,(n*7+cast(j as int)*13)%480,(n*11+cast(j as int)*3)%600-300,10,
         (n+cast(j as int))%50,5,600,480 from p,d;
insert into Zev320Tgb (TgbPnr,TgbZtr,TgbDtm,TgbVt1,TgbSa1,TgbMax,TgbNrm)
  select n,2,j,(n*5+cast(j as int))%2400,(n*3+cast(j as int))%900,3000,2400
  from p,d where strftime('%w',j)='1';
insert into Zev320Tgb (TgbPnr,TgbZtr,TgbDtm,TgbVt1,TgbSa1,TgbMax,TgbNrm)
  select n,3,j,(n*5+cast(j as int))%9600,(n*3+cast(j as int))%1900,12000,9600
  from p,d where strftime('%d',j)='01';
insert into Zev321Bch (BchPnr,BchVon,BchUhr,BchFkt,BchFcd,BchKst,BchTrm)
  select n,j+8.0/24+(n%30)/1440.0,j+8.0/24+(n%30)/1440.0,1,'A','K'||(n%5),'T1'
  from p,d where strftime('%w',j) between '1' and '5';
insert into Zev321Bch (BchPnr,BchVon,BchUhr,BchFkt,BchFcd,BchKst,BchTrm)
  select n,j+16.5/24,j+16.5/24,2,'A','K'||(n%5),'T1'
  from p,d where strftime('%w',j) between '1' and '5';
insert into Zev321Bch (BchPnr,BchVon,BchUhr,BchFkt,BchFcd)
  select n,j+12.0/24,j+12.0/24,3,'U' from p,d where (n+cast(j as int))%9=0;
insert into Zev331Zkb
  select n,1,j,'K'||(n%5),'KTR','KRT','GLZ',(n+cast(j as int))%60,1,0,0,0
  from p,d where strftime('%w',j) between '1' and '5';
insert into Zev331Zkb
  select n,1,j,'K'||(n%5),'KTR','KRT','UEB',(n*3+cast(j as int))%30,0,0,0,0
  from p,d where (n+cast(j as int))%4=0;
insert into Zev331Zkb
  select n,2,j,'K'||(n%5),'KTR','KRT','GLZ',(n+cast(j as int))%300,5,0,0,0
  from p,d where strftime('%w',j)='1';
insert into Zev331Zkb
  select n,3,j,'K'||(n%5),'KTR','KRT','GLZ',(n+cast(j as int))%1200,20,0,0,0
  from p,d where strftime('%d',j)='01';
commit;
)sql";

constexpr char kSystemRows[] =
    "insert into Zev131Fcd values "
    "('A',1,'Anwesend','AN'),('U',2,'Urlaub','UR');"
    "insert into Zev102whl values (13102,1,1,'Kommen'),(13102,2,1,'Gehen'),"
    "(13102,3,1,'Pause');"
    "insert into Zev800Dwh values ('QUARTAL1','20240101','20240331',1,0),"
    "('MAERZ','20240301','20240331',1,0),('LANG','20231001','20241231',1,0),"
    "('AUS','20240101','20240630',2,0);";

// Source changes after the first run that alter every part of the
// warehouse: a booking more per person in the first and in the second
// quarter, new names, changed balances and account hours; the evaluations
// are to be built again.
constexpr char kSourceChanges[] =
    "insert into Zev321Bch (BchPnr,BchVon,BchUhr,BchFkt,BchFcd) "
    "  select PnrNum,d+13.0/24,d+13.0/24,3,'U' from ZEV300PNR, "
    "  (select julianday('2024-01-02') as d union all "
    "   select julianday('2024-05-02'));"
    "update ZEV300PNR set PnrNam=PnrNam||' (neu)';"
    "update Zev320Tgb set TgbSa1=TgbSa1+1;"
    "update Zev331Zkb set ZkbStd=ZkbStd+1;";
constexpr char kSystemChanges[] = "update Zev800Dwh set DwhSta=0;";

// ---------------------------------------------------------------------------
// Database directories

// A directory with KALDERON.db, KORV.db and a settings file x.ini that
// points at it.
class DbDir {
 public:
  DbDir() {
    std::ofstream(ini()) << settingsFileText(
        {"sqlite:" + dir_.path(), "KORV", "ravlen", ""});
  }
  const std::string& path() const { return dir_.path(); }
  std::string app() const { return dir_.file("KORV.db"); }
  std::string sys() const { return dir_.file("KALDERON.db"); }
  std::string ini() const { return dir_.file("x.ini"); }
  void copyFrom(const DbDir& other) const {
    fs::copy_file(other.app(), app(), fs::copy_options::overwrite_existing);
    fs::copy_file(other.sys(), sys(), fs::copy_options::overwrite_existing);
  }

 private:
  testing::TempDir dir_;
};

std::vector<std::string> standardArgs(const DbDir& db) {
  return {db.ini(), kVon, kBis};
}

std::string ravlenPath() { return testing::programPath("ravlen"); }

ChildResult runRavlen(const DbDir& db, const ChildOptions& options = {}) {
  return testing::runChild(ravlenPath(), standardArgs(db), kRunLimit, options);
}

// How a run ended, for failure messages.
std::string describe(const ChildResult& r) {
  std::ostringstream text;
  text << "exit " << r.exitStatus << ", signal " << r.signal
       << (r.timedOut ? ", timed out" : "") << ", " << r.elapsed.count()
       << " s\nstdout: " << r.out << "\nstderr: " << r.err.substr(0, 3000);
  return text.str();
}

// A sanitizer build's runtime reports on stderr and exits with 1, which
// would pass for an expected failure of the run.
bool sanitizerReport(const ChildResult& r) {
  return r.err.find("Sanitizer") != std::string::npos ||
         r.err.find("runtime error:") != std::string::npos;
}

// SQLite's integrity check of `file` ("ok" when sound). The file is opened
// for writing, as the next run would open it, so that a journal left by a
// killed run is rolled back first.
std::string integrity(const std::string& file) {
  sqlite3* db = nullptr;
  std::string result = "cannot open";
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
      SQLITE_OK) {
    sqlite3_stmt* stmt = nullptr;
    result = "no answer";
    if (sqlite3_prepare_v2(db, "pragma integrity_check", -1, &stmt, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
      result = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    else
      result = sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  return result;
}

void expectSound(const DbDir& db) {
  EXPECT_EQ(integrity(db.app()), "ok");
  EXPECT_EQ(integrity(db.sys()), "ok");
}

// ---------------------------------------------------------------------------
// The warehouse, in parts that the run's commits change as a whole. Two
// databases' parts are compared in SQL, one file attached to a connection
// to the other, with the rows' write timestamps left out.

struct Part {
  bool system;  // KALDERON.db, else KORV.db
  const char* table;
  const char* where;
  const char* columns = "*";
};

// The parts of the warehouse; together they hold every warehouse row and
// the evaluations' marks.
enum Unit {
  kBch,
  kPnr,
  kTgb123,
  kTgbQ1,
  kTgbQ2,
  kTgbHalfYear,
  kTgbYear,
  kBstDay,
  kBstWeek,
  kBstMonth,
  kBstQ1,
  kBstQ2,
  kBstHalfYear,
  kBstYear,
  kEvalTgb,
  kEvalBst,
  kEvalMark,
  kUnits
};

struct UnitDef {
  const char* name;
  std::vector<Part> parts;
};

const std::vector<UnitDef>& units() {
  static const std::vector<UnitDef> all = {
      {"Bch", {{false, "Zev899Bch", "1=1"}}},
      {"Pnr", {{false, "Zev899Pnr", "1=1"}}},
      {"Tgb/Zkb 1-3",
       {{false, "Zev899Tgb", "TgbZtr<=3"}, {false, "Zev899Zkb", "ZkbZtr<=3"}}},
      {"Tgb/Zkb Q1",
       {{false, "Zev899Tgb", "TgbZtr=4 and TgbDtm<'20240401'"},
        {false, "Zev899Zkb", "ZkbZtr=4 and ZkbDtm<'20240401'"}}},
      {"Tgb/Zkb Q2",
       {{false, "Zev899Tgb", "TgbZtr=4 and TgbDtm>='20240401'"},
        {false, "Zev899Zkb", "ZkbZtr=4 and ZkbDtm>='20240401'"}}},
      {"Tgb/Zkb H",
       {{false, "Zev899Tgb", "TgbZtr=5"}, {false, "Zev899Zkb", "ZkbZtr=5"}}},
      {"Tgb/Zkb Y",
       {{false, "Zev899Tgb", "TgbZtr>=6"}, {false, "Zev899Zkb", "ZkbZtr>=6"}}},
      {"Bst 1", {{false, "Zev899Bst", "BstZtr<=1"}}},
      {"Bst 2", {{false, "Zev899Bst", "BstZtr=2"}}},
      {"Bst 3", {{false, "Zev899Bst", "BstZtr=3"}}},
      {"Bst Q1", {{false, "Zev899Bst", "BstZtr=4 and BstDtm<'20240401'"}}},
      {"Bst Q2", {{false, "Zev899Bst", "BstZtr=4 and BstDtm>='20240401'"}}},
      {"Bst H", {{false, "Zev899Bst", "BstZtr=5"}}},
      {"Bst Y", {{false, "Zev899Bst", "BstZtr>=6"}}},
      {"898 Tgb/Zkb",
       {{false, "Zev898Tgb", "1=1"}, {false, "Zev898Zkb", "1=1"}}},
      {"898 Bst", {{false, "Zev898Bst", "1=1"}}},
      {"DwhSta", {{true, "Zev800Dwh", "1=1", "DwhNam,DwhSta"}}},
  };
  return all;
}

// The columns of `table` but the write timestamps, comma-separated.
std::string comparedColumns(sqlite3* db, const std::string& table) {
  static const std::set<std::string> kTimestamps = {
      "BchDat", "PnrDat", "TgbDat", "ZkbDat", "BstDat"};
  std::string columns;
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, ("pragma table_info(" + table + ")").c_str(), -1,
                     &stmt, nullptr);
  while (stmt != nullptr && sqlite3_step(stmt) == SQLITE_ROW) {
    std::string name =
        reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
    if (kTimestamps.count(name)) continue;
    columns += (columns.empty() ? "" : ",") + name;
  }
  sqlite3_finalize(stmt);
  return columns;
}

// The first row of `sql` as "Name=value" pairs, "" when there is none.
std::string firstRow(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  std::string row;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
    return std::string("cannot compare: ") + sqlite3_errmsg(db);
  if (sqlite3_step(stmt) == SQLITE_ROW) {
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      const unsigned char* value = sqlite3_column_text(stmt, i);
      row += std::string(sqlite3_column_name(stmt, i)) + "=" +
             (value ? reinterpret_cast<const char*>(value) : "NULL") + " ";
    }
  }
  sqlite3_finalize(stmt);
  return row;
}

std::string partFile(const DbDir& db, const Part& part) {
  return part.system ? db.sys() : db.app();
}

// "" when `got` holds the same rows of `part` as `want`, else the first
// difference found.
std::string partDifference(const DbDir& got, const DbDir& want,
                           const Part& part) {
  sqlite3* db = nullptr;
  std::string difference;
  if (sqlite3_open_v2(partFile(got, part).c_str(), &db, SQLITE_OPEN_READONLY,
                      nullptr) != SQLITE_OK ||
      sqlite3_exec(
          db,
          ("attach database '" + partFile(want, part) + "' as want").c_str(),
          nullptr, nullptr, nullptr) != SQLITE_OK) {
    difference = std::string("cannot compare: ") + sqlite3_errmsg(db);
  } else {
    std::string table = part.table;
    std::string columns = std::string(part.columns) == "*"
                              ? comparedColumns(db, table)
                              : part.columns;
    auto select = [&](const char* schema) {
      return "select " + columns + " from " + schema + "." + table + " where " +
             part.where;
    };
    auto count = [&](const char* schema) {
      return firstRow(db, "select count(*) as n from (" + select(schema) + ")");
    };
    std::string extra =
        firstRow(db, select("main") + " except " + select("want") + " limit 1");
    std::string missing =
        firstRow(db, select("want") + " except " + select("main") + " limit 1");
    if (!extra.empty())
      difference = "unexpected " + extra;
    else if (!missing.empty())
      difference = "missing " + missing;
    else if (count("main") != count("want"))
      difference = "row count " + count("main") + "expected " + count("want");
  }
  sqlite3_close(db);
  return difference.empty() ? "" : std::string(part.table) + ": " + difference;
}

std::string unitDifference(const DbDir& got, const DbDir& want, Unit unit) {
  for (const Part& part : units()[unit].parts) {
    std::string difference = partDifference(got, want, part);
    if (!difference.empty()) return difference;
  }
  return "";
}

bool unitEmpty(const DbDir& db, Unit unit) {
  for (const Part& part : units()[unit].parts) {
    std::string count = testing::queryText(
        partFile(db, part), std::string("select count(*) from ") + part.table +
                                " where " + part.where);
    if (count != "0") return false;
  }
  return true;
}

// "" when the two warehouses hold the same rows and marks, else the first
// difference found.
std::string warehouseDifference(const DbDir& got, const DbDir& want) {
  for (int u = 0; u < kUnits; ++u) {
    std::string difference = unitDifference(got, want, Unit(u));
    if (!difference.empty()) return units()[u].name + (": " + difference);
  }
  return "";
}

// ---------------------------------------------------------------------------
// The commits of a standard run over pristine, in order, and what each
// does to the parts of the warehouse.

enum class State : char {
  kBefore = 'b',
  kCleared = 'c',
  kAfter = 'a',
  kTorn = '?'
};

struct Commit {
  const char* stage;  // the stage that ends with this commit
  std::vector<std::pair<Unit, State>> changes;
};

const std::vector<Commit>& commits() {
  static const std::vector<Commit> all = {
      {"Buchungen", {{kBch, State::kAfter}}},
      {"Personal", {{kPnr, State::kAfter}}},
      {"Bereinigung Tagessalden",
       {{kTgb123, State::kCleared},
        {kTgbQ1, State::kCleared},
        {kTgbQ2, State::kCleared},
        {kTgbHalfYear, State::kCleared},
        {kTgbYear, State::kCleared},
        {kEvalTgb, State::kCleared}}},
      {"Tagessalden", {{kTgb123, State::kAfter}}},
      {"Bereinigung Statistik",
       {{kBstDay, State::kCleared},
        {kBstWeek, State::kCleared},
        {kBstMonth, State::kCleared},
        {kBstQ1, State::kCleared},
        {kBstQ2, State::kCleared},
        {kBstHalfYear, State::kCleared},
        {kBstYear, State::kCleared},
        {kEvalBst, State::kCleared}}},
      {"Tag", {{kBstDay, State::kAfter}}},
      {"Woche", {{kBstWeek, State::kAfter}}},
      {"Monat", {{kBstMonth, State::kAfter}}},
      {"Quartal 1", {{kTgbQ1, State::kAfter}, {kBstQ1, State::kAfter}}},
      {"Quartal 2", {{kTgbQ2, State::kAfter}, {kBstQ2, State::kAfter}}},
      {"Halbjahr",
       {{kTgbHalfYear, State::kAfter}, {kBstHalfYear, State::kAfter}}},
      {"Jahr", {{kTgbYear, State::kAfter}, {kBstYear, State::kAfter}}},
      {"Auswertungen",
       {{kEvalTgb, State::kAfter},
        {kEvalBst, State::kAfter},
        {kEvalMark, State::kAfter}}},
  };
  return all;
}

// The states of all parts after the first `n` commits.
std::string expectedStates(size_t n) {
  std::string states(kUnits, static_cast<char>(State::kBefore));
  for (size_t i = 0; i < n; ++i)
    for (auto [unit, state] : commits()[i].changes)
      states[unit] = static_cast<char>(state);
  return states;
}

// Each part of `now` as before the run (`before`), as after it (`after`),
// cleared, or none of these (torn).
std::string observedStates(const DbDir& now, const DbDir& before,
                           const DbDir& after) {
  std::string states;
  for (int u = 0; u < kUnits; ++u) {
    State s = unitDifference(now, before, Unit(u)).empty()  ? State::kBefore
              : unitDifference(now, after, Unit(u)).empty() ? State::kAfter
              : unitEmpty(now, Unit(u))                     ? State::kCleared
                                                            : State::kTorn;
    states += static_cast<char>(s);
  }
  return states;
}

// How many commits the warehouse shows, or -1 when it matches no point of
// the sequence.
int committedCount(const std::string& observed) {
  for (size_t n = 0; n <= commits().size(); ++n)
    if (expectedStates(n) == observed) return static_cast<int>(n);
  return -1;
}

std::string stateLegend(const std::string& states) {
  std::string text;
  for (size_t u = 0; u < states.size(); ++u)
    text += std::string(units()[u].name) + "=" + states[u] + " ";
  return text;
}

// ---------------------------------------------------------------------------
// The run's summary on stderr

struct StageLine {
  std::string name;
  long long read = 0, written = 0;
  double seconds = -1;  // -1: not timed apart
};

std::vector<StageLine> stageLines(const std::string& err) {
  std::vector<StageLine> stages;
  std::istringstream in(err);
  std::string line;
  const std::string prefix = "Ravlen: Stufe ";
  while (std::getline(in, line)) {
    if (line.rfind(prefix, 0) != 0) continue;
    size_t colon = line.find(": ", prefix.size());
    if (colon == std::string::npos) continue;
    StageLine s;
    s.name = line.substr(prefix.size(), colon - prefix.size());
    std::sscanf(line.c_str() + colon + 2, "%lld gelesen, %lld geschrieben, %lf",
                &s.read, &s.written, &s.seconds);
    stages.push_back(s);
  }
  return stages;
}

double runDuration(const std::string& err) {
  size_t at = err.rfind("Dauer ");
  return at == std::string::npos ? -1 : std::atof(err.c_str() + at + 6);
}

long long rowsWritten(const std::string& err) {
  long long total = 0;
  for (const StageLine& s : stageLines(err)) total += s.written;
  return total;
}

// ---------------------------------------------------------------------------
// The prepared databases, made once per test process

struct Prepared {
  DbDir original;  // source rows, empty warehouse
  DbDir first;     // `original` after a run over it: warehouse W1
  DbDir pristine;  // `first` with the source changed and the marks reset
  std::unique_ptr<DbDir> second;  // `pristine` after a run: warehouse W2
  ChildResult secondRun;          // that run, with its timing
};

std::unique_ptr<Prepared> preparedData;

Prepared& prepared() {
  if (!preparedData) {
    auto p = std::make_unique<Prepared>();
    testing::createProjectDatabase(p->original.path());
    testing::fillCalendar(p->original.sys(), "20230101", "20241231");
    testing::execSql(p->original.app(), kSourceRows);
    testing::execSql(p->original.sys(), kSystemRows);
    p->first.copyFrom(p->original);
    ChildResult r = runRavlen(p->first);
    EXPECT_EQ(r.exitStatus, 0) << describe(r);
    p->pristine.copyFrom(p->first);
    testing::execSql(p->pristine.app(), kSourceChanges);
    testing::execSql(p->pristine.sys(), kSystemChanges);
    preparedData = std::move(p);
  }
  return *preparedData;
}

// W2, and the run over pristine that made it. Every part of the warehouse
// must differ before the run, cleared and after it, or a commit would not
// show in the tables.
const DbDir& second() {
  Prepared& p = prepared();
  if (!p.second) {
    auto db = std::make_unique<DbDir>();
    db->copyFrom(p.pristine);
    p.secondRun = runRavlen(*db);
    EXPECT_EQ(p.secondRun.exitStatus, 0) << describe(p.secondRun);
    for (int u = 0; u < kUnits; ++u) {
      EXPECT_FALSE(unitEmpty(p.pristine, Unit(u))) << units()[u].name;
      EXPECT_FALSE(unitEmpty(*db, Unit(u))) << units()[u].name;
      EXPECT_NE(unitDifference(*db, p.pristine, Unit(u)), "")
          << units()[u].name;
    }
    p.second = std::move(db);
  }
  return *p.second;
}

// The first test that runs makes the prepared databases; they are removed
// after the last.
class ResilienceTest : public ::testing::Test {
 protected:
  static void TearDownTestSuite() { preparedData.reset(); }
  void SetUp() override {
    prepared();
    ASSERT_FALSE(HasFailure()) << "the prepared databases are not usable";
  }
};

// ---------------------------------------------------------------------------
// Killed with SIGKILL

struct KillPoint {
  double fraction;      // of the run's duration, from its start
  std::string planned;  // the stage of the uninterrupted run at that moment
};

// Where the uninterrupted run `run` was at `fraction` of its time: the
// start-up (the part of the process's time that the summary's duration
// leaves out) comes first, then the timed stages in their order.
std::string stageAt(double fraction, const ChildResult& run) {
  double t = fraction * run.elapsed.count();
  double clock = run.elapsed.count() - runDuration(run.err);
  if (t < clock) return "Start";
  for (const StageLine& s : stageLines(run.err)) {
    if (s.seconds < 0) continue;
    clock += s.seconds;
    if (t < clock) return s.name;
  }
  return "Ende";
}

double uniform(std::mt19937& random) { return (random() % 1000000) / 1e6; }

// Kill moments from a fixed seed, as fractions of a run: `slices` spread
// over the whole run (one at a random place of each equal slice), then one
// at a random place inside each timed stage of `run`, so that the short
// stages are aimed at too.
std::vector<KillPoint> killPlan(const ChildResult& run, int slices,
                                std::mt19937& random) {
  std::vector<KillPoint> plan;
  for (int i = 0; i < slices; ++i) {
    double f = (i + uniform(random)) / slices;
    plan.push_back({f, stageAt(f, run)});
  }
  double total = run.elapsed.count();
  double clock = total - runDuration(run.err);
  for (const StageLine& s : stageLines(run.err)) {
    if (s.seconds < 0) continue;
    double f = (clock + s.seconds * (0.1 + 0.8 * uniform(random))) / total;
    plan.push_back({f, stageAt(f, run)});
    clock += s.seconds;
  }
  return plan;
}

// After each kill the warehouse must be exactly what the commits before the
// kill made of pristine: every part either as before the run (W1), cleared
// by a committed clear-down, or as after the run (W2), and all of them at
// one point of the run's commit sequence. That shows each committed stage
// whole, nothing of an uncommitted one, and no stage committed out of turn.
// Then a rerun over the same window must give W2 exactly.
//
// The kill moments are fractions of the latest uninterrupted run's time
// (the reruns are such runs), so that they follow the machine's speed.
TEST_F(ResilienceTest, KilledAnywhereLeavesWholeStagesAndARerunRepairs) {
  const DbDir& after = second();
  ASSERT_FALSE(HasFailure());
  const DbDir& before = prepared().pristine;
  const ChildResult& reference = prepared().secondRun;

  std::mt19937 random(20240630);
  std::vector<KillPoint> plan = killPlan(reference, 12, random);
  double runTime = reference.elapsed.count();
  std::map<std::string, int> landed;
  int kills = 0;
  std::ostringstream log;
  for (size_t i = 0; i < plan.size() || (kills < 20 && i < 40); ++i) {
    if (i >= plan.size()) {  // runs ended before their kill: more points
      double f = uniform(random);
      plan.push_back({f, stageAt(f, reference)});
    }
    const KillPoint& point = plan[i];
    double delay = point.fraction * runTime;
    SCOPED_TRACE("kill after " + std::to_string(delay) + " s");
    DbDir db;
    db.copyFrom(prepared().pristine);
    ChildProcess child;
    ASSERT_TRUE(child.start(ravlenPath(), standardArgs(db)));
    ChildResult killed = child.killAfter(Seconds(delay));
    bool wasKilled = killed.signal == SIGKILL;
    kills += wasKilled;
    if (!wasKilled) {
      EXPECT_EQ(killed.exitStatus, 0) << describe(killed);
    }

    expectSound(db);
    std::string states = observedStates(db, before, after);
    int committed = committedCount(states);
    EXPECT_GE(committed, 0)
        << "no point of the commit sequence: " << stateLegend(states);
    if (!wasKilled) {
      EXPECT_EQ(committed, static_cast<int>(commits().size()));
    }
    std::string stage = committed < 0 ? "?"
                        : committed == static_cast<int>(commits().size())
                            ? "after the last commit"
                            : commits()[committed].stage;
    landed[stage] += wasKilled;
    log << "  " << static_cast<int>(delay * 1000) << " ms (planned "
        << point.planned << "): "
        << (wasKilled ? "killed in " + stage : std::string("had ended")) << ", "
        << committed << " commits\n";

    ChildResult rerun = runRavlen(db);
    EXPECT_EQ(rerun.exitStatus, 0) << describe(rerun);
    EXPECT_EQ(warehouseDifference(db, after), "");
    if (HasFatalFailure()) return;
    runTime = rerun.elapsed.count();
  }
  std::cout << "Uninterrupted run: " << reference.elapsed.count() << " s\n"
            << log.str() << "Kills per stage:";
  for (const auto& [stage, count] : landed)
    if (count > 0) std::cout << " " << stage << "=" << count;
  std::cout << "\n";
  EXPECT_GE(kills, 20);
  // The kill moments must have spread over the run, or the test shows
  // little; the stages are long enough for this on any machine.
  EXPECT_GE(std::count_if(landed.begin(), landed.end(),
                          [](const auto& stage) { return stage.second > 0; }),
            4);
}

// ---------------------------------------------------------------------------
// Two runs at once

// Two runs on the same database, the second started `lag` after the first,
// at several lags so that it meets the first in different stages. Each must
// end in time, either well (0) or with a reported error and exit code 1
// having written nothing at all: a run that fails on the other's locks must
// not leave a half-written stage. When one of them succeeded, the warehouse
// is that of an uninterrupted run; in any case a later run gives it.
TEST_F(ResilienceTest, TwoRunsAtOnceWaitOrFailCleanly) {
  const DbDir& after = second();
  ASSERT_FALSE(HasFailure());
  double total = prepared().secondRun.elapsed.count();
  for (double lag : {0.0, 0.2 * total, 0.4 * total}) {
    SCOPED_TRACE("second run " + std::to_string(lag) + " s after the first");
    DbDir db;
    db.copyFrom(prepared().pristine);
    ChildProcess first, second;
    ASSERT_TRUE(first.start(ravlenPath(), standardArgs(db)));
    std::this_thread::sleep_for(Seconds(lag));
    ASSERT_TRUE(second.start(ravlenPath(), standardArgs(db)));
    std::vector<ChildResult> runs =
        testing::waitAll({&first, &second}, kWaitingRunLimit);
    bool anySucceeded = false;
    for (const ChildResult& r : runs) {
      EXPECT_FALSE(r.timedOut) << describe(r);
      EXPECT_EQ(r.signal, 0) << describe(r);
      EXPECT_FALSE(sanitizerReport(r)) << describe(r);
      anySucceeded |= r.exitStatus == 0;
      if (r.exitStatus == 0) continue;
      EXPECT_EQ(r.exitStatus, 1) << describe(r);
      EXPECT_NE(r.err.find("Ravlen: Fehler"), std::string::npos) << describe(r);
      EXPECT_EQ(rowsWritten(r.err), 0) << describe(r);
    }
    std::cout << "lag " << lag << " s: first exit " << runs[0].exitStatus
              << " after " << runs[0].elapsed.count() << " s, second exit "
              << runs[1].exitStatus << " after " << runs[1].elapsed.count()
              << " s\n";
    expectSound(db);
    if (anySucceeded) {
      EXPECT_EQ(warehouseDifference(db, after), "");
    }
    ChildResult last = runRavlen(db);
    EXPECT_EQ(last.exitStatus, 0) << describe(last);
    EXPECT_EQ(warehouseDifference(db, after), "");
  }
}

// ---------------------------------------------------------------------------
// Read-only database, full disk

// Sets the permissions of the database directory and its files for one
// test and gives the directory back its own when done, so that it can be
// removed.
class Permissions {
 public:
  Permissions(const DbDir& db, fs::perms files, fs::perms dir) : db_(db) {
    fs::permissions(db.app(), files);
    fs::permissions(db.sys(), files);
    fs::permissions(db.path(), dir);
  }
  ~Permissions() {
    fs::permissions(db_.path(), fs::perms::owner_all);
    fs::permissions(db_.app(), fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(db_.sys(), fs::perms::owner_read | fs::perms::owner_write);
  }

 private:
  const DbDir& db_;
};

std::vector<std::string> directoryEntries(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void expectReportedFailure(const ChildResult& r) {
  EXPECT_FALSE(r.timedOut) << describe(r);
  EXPECT_EQ(r.signal, 0) << describe(r);
  EXPECT_EQ(r.exitStatus, 1) << describe(r);
  EXPECT_FALSE(sanitizerReport(r)) << describe(r);
  EXPECT_EQ(r.out, "Ravlen: Fertig.\n") << describe(r);
  EXPECT_NE(r.err.find("Ravlen: Fehler"), std::string::npos) << describe(r);
}

// Read-only database files in a read-only directory, and a read-only
// directory alone (no journal can be made beside writable files). The
// run goes through, reports the failing statements and ends with exit code 1;
// nothing changes. Run as an unprivileged user when the test runs as root,
// for whom permissions do not hold.
TEST_F(ResilienceTest, ReadOnlyDatabaseIsReportedAndLeftAlone) {
  const fs::perms readOnly =
      fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  const fs::perms readWrite = fs::perms::owner_read | fs::perms::owner_write |
                              fs::perms::group_read | fs::perms::group_write |
                              fs::perms::others_read | fs::perms::others_write;
  const fs::perms listable = readOnly | fs::perms::owner_exec |
                             fs::perms::group_exec | fs::perms::others_exec;
  struct Case {
    const char* name;
    fs::perms files;
  };
  for (Case c :
       {Case{"read-only files", readOnly}, Case{"writable files", readWrite}}) {
    SCOPED_TRACE(std::string("read-only directory, ") + c.name);
    DbDir db;
    db.copyFrom(prepared().pristine);
    std::vector<std::string> entries = directoryEntries(db.path());
    ChildResult r;
    {
      Permissions guard(db, c.files, listable);
      ChildOptions options;
      options.unprivileged = true;
      r = runRavlen(db, options);
    }
    expectReportedFailure(r);
    EXPECT_EQ(r.err.find("UNIQUE"), std::string::npos)
        << "the update's cause, not the insert's key violation";
    std::istringstream lines(r.err);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("Ravlen: Stufe ", 0) == 0) {
        EXPECT_NE(line.find(", 0 geschrieben"), std::string::npos) << line;
      }
    }
    EXPECT_EQ(directoryEntries(db.path()), entries) << "no journal left";
    expectSound(db);
    EXPECT_EQ(warehouseDifference(db, prepared().pristine), "");
  }
}

// A disk that fills up during the run: writes beyond a file size a little
// above the database's fail. The failing commits are reported, the run
// ends with exit code 1, the files stay sound, and a run with room again
// gives the complete warehouse.
TEST_F(ResilienceTest, FullDiskIsReportedAndARunWithRoomRepairs) {
  DbDir db;
  db.copyFrom(prepared().original);
  ChildOptions options;
  options.fileSizeLimit =
      static_cast<long long>(fs::file_size(db.app())) + 512 * 1024;
  ChildResult r = runRavlen(db, options);
  expectReportedFailure(r);
  expectSound(db);
  ChildResult again = runRavlen(db);
  EXPECT_EQ(again.exitStatus, 0) << describe(again);
  EXPECT_EQ(warehouseDifference(db, prepared().first), "");
}

// ---------------------------------------------------------------------------
// The same window twice

TEST_F(ResilienceTest, SameWindowTwiceGivesTheSameWarehouse) {
  DbDir db, once;
  db.copyFrom(prepared().original);
  ChildResult r = runRavlen(db);
  ASSERT_EQ(r.exitStatus, 0) << describe(r);
  EXPECT_EQ(warehouseDifference(db, prepared().first), "");
  once.copyFrom(db);
  r = runRavlen(db);
  ASSERT_EQ(r.exitStatus, 0) << describe(r);
  EXPECT_EQ(warehouseDifference(db, once), "");
}

}  // namespace
}  // namespace ravlen
