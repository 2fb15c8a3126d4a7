// What only the embedded database does: its status numbering, and at
// connect its directories and schema files, nothing created by a failed
// connect. The contract that every
// backend meets is tested in db/backend_conformance_test.cc.
#include <gtest/gtest.h>

#include <filesystem>

#include <sqlite3.h>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "db/sqlite/sqlite_backend.h"
#include "db/sqlite/sqlite_timing.h"
#include "tests/support/embedded_db.h"
#include "tests/support/oci_test_double.h"

namespace ravlen {
namespace {

using testing::execSql;
using testing::TempDir;

// Every outcome of the embedded database in the numbering that operators
// and the writers know: the key violation alone is -1 (the statistics
// writer adds its count on -1 only), the others their Oracle numbers or
// -20000 less SQLite's primary code.
TEST(StatusFromSqliteTest, MapsEveryOutcome) {
  struct Case {
    int code;
    const char* message;
    int32_t status;
  };
  const Case cases[] = {
      {SQLITE_CONSTRAINT_UNIQUE, "UNIQUE constraint failed: T.x", -1},
      {SQLITE_CONSTRAINT_PRIMARYKEY, "UNIQUE constraint failed: T.id", -1},
      {SQLITE_CONSTRAINT_NOTNULL, "NOT NULL constraint failed: T.x", -1400},
      {SQLITE_CONSTRAINT_CHECK, "CHECK constraint failed: x>0", -20019},
      {SQLITE_ERROR, "no such table: Nowhere", -942},
      {SQLITE_ERROR, "no such column: y", -904},
      {SQLITE_ERROR, "ORA-01427: single-row subquery returns more than one row",
       -1427},
      {SQLITE_ERROR, "near \"selec\": syntax error", -20001},
      {SQLITE_BUSY, "database is locked", -20005},
      {SQLITE_READONLY_DIRECTORY, "attempt to write a readonly database",
       -20008},
      {SQLITE_FULL, "database or disk is full", -20013},
      {SQLITE_NOTADB, "file is not a database", -20026},
  };
  for (const Case& c : cases)
    EXPECT_EQ(statusFromSqlite(c.code, c.message).code(), c.status) << c.message;
}

TEST(EmbeddedConnectTest, Failures) {
  TempDir dir;
  execSql(dir.file("KORV.db"), "create table T(x INTEGER);");
  std::string service = "sqlite:" + dir.path();

  EXPECT_LT(sqlConnect("u", "p", "sqlite:" + dir.file("missing"), "KORV"), 0);
  {  // any other service is the Oracle client's (its test double here)
    testing::ScopedEnv home("ORACLE_HOME", testing::ociDoubleHome());
    EXPECT_EQ(sqlConnect("u", "p", "ORCL", "KORV"), -12154);
  }
  EXPECT_EQ(sqlConnect("u", "p", service, "NOSUCH"), -1435);
  EXPECT_FALSE(std::filesystem::exists(dir.file("NOSUCH.db")))
      << "a missing schema file is never created";
  EXPECT_LT(sqlConnect("u", "p", service, ""), 0);
  for (const char* bad : {"../KORV", "KORV/../KORV", "K ORV", "1KORV", "KORV;"}) {
    EXPECT_LT(sqlConnect("u", "p", service, bad), 0) << bad;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1)
      << "no file was created by the failed connects";
  std::string longLogin(300, 'L');
  EXPECT_EQ(sqlConnect(longLogin, "p", service, "korv"), 0)
      << "long credentials are taken whole";
  EXPECT_EQ(sqlCommit(), 1);
  session().disconnect();
  EXPECT_EQ(sqlCommit(), 0) << "no session, no commit";
}

TEST(EmbeddedConnectTest, ConnectTextAndSchemaStatement) {
  EXPECT_EQ(makeConnectText("scott", "tiger", "sqlite:/tmp/x"),
            "scott/tiger@sqlite:/tmp/x");
  EXPECT_EQ(std::string(kSetSchemaStatement) + "ABC",
            "ALTER SESSION SET CURRENT_SCHEMA=ABC");
  EXPECT_EQ(kSetSchemaStatement.size(), 33u);
}

// The benchmark's split of the database's time: each statement's steps
// counted under what the program used it for.
TEST(SqliteTimingTest, StepsCountedByUse) {
  TempDir dir;
  execSql(dir.file("KORV.db"), "create table T(x INTEGER);");
  ASSERT_EQ(sqlConnect("u", "p", "sqlite:" + dir.path(), "KORV"), 0);
  enableSqliteTiming();
  static constexpr SqlText kInsert = "insert into T (x) values (:b0)";
  static constexpr SqlText kLookup = "select x into :b0 from T where x=:b1";
  static constexpr SqlText kRows = "select x from T order by x";
  int32_t x = 0, found = 0;
  for (x = 1; x <= 3; ++x)
    ASSERT_TRUE(session().execute(kInsert, {hostVar(x)}).ok());
  x = 2;
  ASSERT_TRUE(
      session().selectInto(kLookup, {hostVar(x)}, {hostVar(found)}).ok());
  ASSERT_TRUE(session().openCursor(kRows).ok());
  while (session().fetch(kRows, {hostVar(found)}).ok()) {}
  session().closeCursor(kRows);
  session().disconnect();

  auto steps = [](std::string_view start, TimedUse use) {
    uint64_t n = 0;
    for (const TimedStatement& t : sqliteStatementTimes())
      if (t.use == use && t.text.starts_with(start)) n += t.steps;
    return n;
  };
  EXPECT_EQ(steps("insert into T", TimedUse::kWrite), 3u);
  EXPECT_EQ(steps("select x from T where", TimedUse::kLookup), 2u)
      << "the row, then the check for a second one";
  EXPECT_EQ(steps("select x from T order", TimedUse::kCursor), 4u);
  EXPECT_GT(sqlitePhaseSeconds(TimedPhase::kBind), 0.0);
  EXPECT_GT(sqlitePhaseSeconds(TimedPhase::kOutputs), 0.0);
}

}  // namespace
}  // namespace ravlen
