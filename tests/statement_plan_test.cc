// Every statement of the program is served by an index on a database
// prepared the way the embedded database's contract invites: the plain
// schema files loaded with the sqlite3 shell, the rows written with plain
// SQL, no dialect function and no expression index anywhere. A full scan of
// a table would make a run's time grow with the table, once per row or per
// day.
//
// The statements planned are the program's own constants, not copies: a
// standard run and a named-evaluation run go through the session with
// statement recording on, over data that makes every statement run (the
// add-ons of the statistics writers and the clear-down of the periods that
// begin before the window too). The test counts the statement constants in
// the sources of sql/ and fails when one of them did not run.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "db/sqlite/dialect.h"
#include "run/run_sequence.h"
#include "sql/calendar.h"
#include "tests/support/child_process.h"
#include "tests/support/embedded_db.h"
#include "tests/support/query_plan.h"
#include "tests/support/warehouse_fixture.h"

namespace ravlen {
namespace {

namespace fs = std::filesystem;
using testing::execSql;
using testing::jd;

void loadWithShell(const std::string& dbFile, const std::string& schemaFile) {
  const std::string path =
      (fs::path(RAVLEN_SOURCE_DIR) / "schema" / schemaFile).string();
  testing::ChildResult r = testing::runChild(
      "/usr/bin/sqlite3", {dbFile, ".read '" + path + "'"},
      std::chrono::seconds(60));
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.err, "");
}

// The statement constants of the sources of sql/: every definition of a
// SqlText or a TgbStatement (the daily-balance writers' texts).
size_t statementConstants() {
  size_t count = 0;
  for (const auto& entry :
       fs::directory_iterator(fs::path(RAVLEN_SOURCE_DIR) / "sql")) {
    std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".cc" || name.ends_with("_test.cc"))
      continue;
    std::ifstream in(entry.path());
    for (std::string line; std::getline(in, line);) {
      if (line.find("constexpr SqlText k") != std::string::npos ||
          line.find("constexpr TgbStatement k") != std::string::npos)
        ++count;
    }
  }
  return count;
}

class StatementPlanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    loadWithShell(sys(), "kalderon.sql");
    loadWithShell(app(), "application.sql");
    testing::fillCalendar(sys(), "20230101", "20251231");
    execSql(sys(),
            "insert into Zev800Dwh values ('GEW','20240101','20240331',1,0);"
            "insert into Zev131Fcd values ('A',1,'Arbeit','AR');"
            "insert into Zev102whl values (13102,1,1,'Kommen');");
    // Two bookings of one person and function code in one week that differ
    // in their booking function: their counts share the key of a week row
    // and of an evaluation row, so the second is added to the first.
    const std::string day = jd("20240115"), next = jd("20240116"),
                      week = jd("20240115"), month = jd("20240201");
    execSql(app(),
            "insert into ZEV300PNR (PnrNum,PnrSpr) values ('1001',1);"
            "insert into Zev310Bsv (BsvPnr,BsvGvo) values ('1001'," +
                jd("20200101") + ");"
            "insert into Zev321Bch (BchPnr,BchVon,BchUhr,BchFkt,BchFcd) "
            "values ('1001'," + day + "," + day + ",1,'A'),('1001'," +
                next + "," + next + ",2,'A');"
            "insert into Zev320Tgb (TgbPnr,TgbZtr,TgbDtm) values "
            "('1001',1," + day + "),('1001',2," + week + "),('1001',3," +
                month + ");"
            "insert into Zev331Zkb values ('1001',1," + day +
                ",'K','T','R','GLZ',1,0,0,0,0),('1001',2," + week +
                ",'K','T','R','GLZ',1,0,0,0,0),('1001',3," + month +
                ",'K','T','R','GLZ',1,0,0,0,0);"
            "insert into Zev327Tag (TagPnr,TagTag,TagTgb,TagHtv,TagHtn) "
            "values ('1001'," + day + ",'A','A','A');");
  }
  void TearDown() override { session().disconnect(); }

  std::string sys() const { return dir_.file("KALDERON.db"); }
  std::string app() const { return dir_.file("KORV.db"); }

  // Both runs over a window that begins inside a week and a month, and the
  // start-up's calendar reads, with the session recording the statements.
  void runEverything() {
    ASSERT_EQ(sqlConnect("u", "p", "sqlite:" + dir_.path(), "KORV"), 0)
        << session().lastError();
    session().recordStatements(true);
    DateText today, firstDay, lastDay, next;
    readToday(today);
    readFirstCalendarDay(firstDay);
    readLastCalendarDay(lastDay);
    shiftDate(DateText("20240101"), 0, 1, next);
    std::FILE* sink = std::fopen("/dev/null", "w");
    RunParameters params{DateText("20240110"), DateText("20240331"), {}, 0};
    EXPECT_EQ(runTransfer(params, sink, sink), 0);
    params.auswertungsname = "GEW";
    EXPECT_EQ(runTransfer(params, sink, sink), 0);
    std::fclose(sink);
    session().recordStatements(false);
  }

  testing::TempDir dir_;
};

TEST_F(StatementPlanTest, NoStatementOfARunScansATable) {
  runEverything();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(app().c_str(), &db), SQLITE_OK);
  ASSERT_EQ(registerDialect(db), SQLITE_OK);
  // The session's layout: KALDERON.db attached, and the one-row view dual.
  ASSERT_EQ(sqlite3_exec(db,
                         ("attach '" + sys() + "' as KalDeron;"
                          "create temp view dual as select 'X' as dummy;")
                             .c_str(),
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  size_t planned = 0;
  for (std::string_view statement : session().recordedStatements()) {
    if (statement == "commit") continue;
    ++planned;
    SCOPED_TRACE(std::string(statement));
    for (const std::string& line :
         testing::queryPlan(db, std::string(statement), "KORV")) {
      EXPECT_EQ(line.rfind("error: ", 0), std::string::npos) << line;
      EXPECT_FALSE(testing::isFullScan(line)) << line;
    }
  }
  sqlite3_close(db);
  EXPECT_EQ(planned, statementConstants())
      << "a statement of sql/ did not run: give the fixture what it needs";
}

}  // namespace
}  // namespace ravlen
