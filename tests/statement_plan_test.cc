// Every statement that a run executes is served by an index: a standard
// run and a named-evaluation run go through the session with statement
// recording on, and each recorded text is then planned against the
// project's schema with all its indexes. A full scan of a table would make
// the run's time grow with the table, once per row or per day.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "db/sqlite/dialect.h"
#include "run/run_sequence.h"
#include "sql/calendar.h"
#include "tests/support/embedded_db.h"
#include "tests/support/query_plan.h"
#include "tests/support/warehouse_fixture.h"

namespace ravlen {
namespace {

using testing::execSql;
using testing::jd;

// Applies a dialect file to a schema file (the dialect functions must be
// known for the expression indexes).
void applyDialectIndexes(const std::string& dbFile, const char* schemaFile) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(dbFile.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(registerDialect(db), SQLITE_OK);
  char* message = nullptr;
  int rc = sqlite3_exec(db, testing::schemaSql(schemaFile).c_str(), nullptr,
                        nullptr, &message);
  EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);
}

class StatementPlanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::createProjectDatabase(dir_.path());
    testing::fillCalendar(sys(), "20230101", "20251231");
    // A little of everything, so that every statement of the run runs.
    execSql(sys(),
            "insert into Zev800Dwh values ('GEW','20240101','20240331',1,0);"
            "insert into Zev131Fcd values ('A',1,'Arbeit','AR');"
            "insert into Zev102whl values (13102,1,1,'Kommen');");
    std::string day = jd("20240105");
    execSql(app(),
            "insert into ZEV300PNR (PnrNum,PnrSpr) values ('1001',1);"
            "insert into Zev310Bsv (BsvPnr,BsvGvo) values ('1001'," +
                jd("20200101") + ");"
            "insert into Zev321Bch (BchPnr,BchVon,BchUhr,BchFkt,BchFcd) "
            "values ('1001'," + day + "," + day + ",1,'A');"
            "insert into Zev320Tgb (TgbPnr,TgbZtr,TgbDtm) values "
            "('1001',1," + day + "),('1001',2," + jd("20240101") +
                "),('1001',3," + jd("20240101") + ");"
            "insert into Zev331Zkb values ('1001',1," + day +
                ",'K','T','R','GLZ',1,0,0,0,0),('1001',2," + jd("20240101") +
                ",'K','T','R','GLZ',1,0,0,0,0),('1001',3," + jd("20240101") +
                ",'K','T','R','GLZ',1,0,0,0,0);"
            "insert into Zev327Tag (TagPnr,TagTag,TagTgb,TagHtv,TagHtn) "
            "values ('1001'," + day + ",'A','A','A');");
    applyDialectIndexes(sys(), "kalderon_dialect.sql");
    applyDialectIndexes(app(), "application_dialect.sql");
  }
  void TearDown() override { session().disconnect(); }

  std::string sys() const { return dir_.file("KALDERON.db"); }
  std::string app() const { return dir_.file("KORV.db"); }

  // Both runs over the first quarter of 2024, and the start-up's calendar
  // reads, with the session recording the statements.
  void runEverything() {
    ASSERT_EQ(sqlConnect("u", "p", "sqlite:" + dir_.path(), "KORV"), 0)
        << session().lastError();
    session().recordStatements(true);
    DateText today, lastDay, next;
    readToday(today);
    readLastCalendarDay(lastDay);
    shiftDate(DateText("20240101"), 0, 1, next);
    std::FILE* sink = std::fopen("/dev/null", "w");
    RunParameters params{DateText("20240101"), DateText("20240331"), {}, 0};
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
  const auto& statements = session().recordedStatements();
  EXPECT_GE(statements.size(), 60u) << "the run's statements were recorded";

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
  for (std::string_view statement : statements) {
    if (statement == "commit") continue;
    SCOPED_TRACE(std::string(statement));
    for (const std::string& line :
         testing::queryPlan(db, std::string(statement), "KORV")) {
      EXPECT_EQ(line.rfind("error: ", 0), std::string::npos) << line;
      EXPECT_FALSE(testing::isFullScan(line)) << line;
    }
  }
  sqlite3_close(db);
}

}  // namespace
}  // namespace ravlen
