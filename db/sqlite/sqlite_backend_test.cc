// The statement layer over the embedded database, through the session that
// statement functions use, against real SQLite files in a temp directory.
#include <gtest/gtest.h>

#include <filesystem>

#include <sqlite3.h>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "db/sqlite/sqlite_backend.h"
#include "tests/support/embedded_db.h"

namespace ravlen {
namespace {

using testing::execSql;
using testing::queryText;
using testing::TempDir;

class EmbeddedSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    execSql(dir_.file("KALDERON.db"),
            "create table Zev133Bak(BakDtm REAL primary key, BakWch INTEGER);"
            "create table Shared(v VARCHAR2(10));"
            "insert into Shared values('system');"
            "insert into Zev133Bak values(2460324.5, 3);");
    execSql(dir_.file("KORV.db"),
            "create table Item(id INTEGER primary key, name VARCHAR2(20) "
            "not null, amount REAL, day REAL, note VARCHAR2(20));"
            "create table Shared(v VARCHAR2(10));"
            "insert into Shared values('app');"
            "insert into Item values(1,'eins',1.5,2460324.5,null);"
            "insert into Item values(2,'zwei',null,null,'x');");
    ASSERT_EQ(sqlConnect("u", "p", "sqlite:" + dir_.path(), "korv"), 0)
        << session().lastError();
  }
  void TearDown() override { session().disconnect(); }

  TempDir dir_;
};

TEST_F(EmbeddedSessionTest, SelectIntoMixesHostKindsAndKeepsNullOutputs) {
  static constexpr SqlText kSelect =
      "select name ,amount ,id ,note into :b0:b1,:b2:b3,:b4:b5,:b6:b7  from "
      "Item where (id=:b8 and name<>:b9)";
  FixedText<20> name("vorher"), note("bleibt");
  double amount = -7;
  int32_t id = -1, wanted = 2;
  FixedText<5> other("eins");
  SqlStatus st = session().selectInto(
      kSelect, {hostVar(wanted), hostVar(other)},
      {hostVar(name), hostVar(amount), hostVar(id), hostVar(note)});
  ASSERT_TRUE(st.ok()) << session().lastError();
  EXPECT_EQ(name, "zwei");
  EXPECT_EQ(amount, -7) << "NULL leaves the host variable unchanged";
  EXPECT_EQ(id, 2);
  EXPECT_EQ(note, "x");

  wanted = 1;
  ASSERT_TRUE(session()
                  .selectInto(kSelect, {hostVar(wanted), hostVar(other)},
                              {hostVar(name), hostVar(amount), hostVar(id),
                               hostVar(note)})
                  .noData())
      << "name<>'eins' excludes row 1";
}

TEST_F(EmbeddedSessionTest, IndicatorTellsNullFromValue) {
  static constexpr SqlText kSelect =
      "select amount ,note into :b0:b1,:b2:b3  from Item where id=:b4";
  double amount = -7;
  FixedText<20> note;
  int16_t amountInd = 5, noteInd = 5;
  int32_t id = 2;
  ASSERT_TRUE(session()
                  .selectInto(kSelect, {hostVar(id)},
                              {withIndicator(hostVar(amount), amountInd),
                               withIndicator(hostVar(note), noteInd)})
                  .ok())
      << session().lastError();
  EXPECT_EQ(amountInd, -1);
  EXPECT_EQ(amount, -7);
  EXPECT_EQ(noteInd, 0);
  EXPECT_EQ(note, "x");
}

TEST_F(EmbeddedSessionTest, RepeatedPlaceholdersBindOnePerOccurrence) {
  static constexpr SqlText kUpdate =
      "update Item set note=:b0 ,name=:b1 where (id=:b2 and name<>:b1)";
  FixedText<20> note("n"), name("neu");
  int32_t id = 1;
  ASSERT_TRUE(session()
                  .execute(kUpdate, {hostVar(note), hostVar(name), hostVar(id),
                                     hostVar(name)})
                  .ok())
      << session().lastError();
  EXPECT_TRUE(session()
                  .execute(kUpdate, {hostVar(note), hostVar(name), hostVar(id),
                                     hostVar(name)})
                  .noData())
      << "an update that touches no row reports 1403";
  EXPECT_EQ(session().execute(kUpdate, {hostVar(note)}).code(), -1008);
}

TEST_F(EmbeddedSessionTest, OutputTextIsCutToCapacity) {
  static constexpr SqlText kSelect =
      "select 'abcdefgh' ,'xyz' || char(228) || 'q' into :b0:b1,:b2:b3  from dual";
  FixedText<3> shortText;
  FixedText<4> utf8;  // "xyz" + two-byte character does not fit
  ASSERT_TRUE(session()
                  .selectInto(kSelect, {}, {hostVar(shortText), hostVar(utf8)})
                  .ok())
      << session().lastError();
  EXPECT_EQ(shortText, "abc");
  EXPECT_EQ(utf8, "xyz") << "never cut inside a UTF-8 character";
}

TEST_F(EmbeddedSessionTest, EmptyInputTextBindsAsNull) {
  static constexpr SqlText kInsert =
      "insert into Item (id,name,note) values (:b0,:b1,:b2)";
  static constexpr SqlText kCountNull =
      "select count(*) into :b0  from Item where note is null";
  int32_t id = 3, nulls = 0;
  FixedText<20> name("drei"), empty;
  ASSERT_TRUE(session()
                  .execute(kInsert, {hostVar(id), hostVar(name), hostVar(empty)})
                  .ok());
  ASSERT_TRUE(session().selectInto(kCountNull, {}, {hostVar(nulls)}).ok());
  EXPECT_EQ(nulls, 2);
  id = 4;
  EXPECT_EQ(session()
                .execute(kInsert, {hostVar(id), hostVar(empty), hostVar(name)})
                .code(),
            -1400)
      << "an empty text reaches a NOT NULL column as NULL";
}

TEST_F(EmbeddedSessionTest, StatusCodes) {
  static constexpr SqlText kInsert =
      "insert into Item (id,name) values (:b0,:b1)";
  static constexpr SqlText kAll = "select id into :b0:b1  from Item";
  static constexpr SqlText kNone = "select id into :b0:b1  from Item where id=99";
  static constexpr SqlText kNoTable = "select x into :b0  from Nowhere";
  static constexpr SqlText kNoColumn = "select missingcol into :b0  from Item";
  static constexpr SqlText kNullNoIndicator =
      "select amount into :b0  from Item where id=2";
  static constexpr SqlText kDelete = "delete from Item where id=:b0";
  int32_t id = 1, out = 0;
  double amount = 0;
  FixedText<20> name("doppelt");
  EXPECT_EQ(session().execute(kInsert, {hostVar(id), hostVar(name)}).code(), -1);
  EXPECT_EQ(session().selectInto(kAll, {}, {hostVar(out)}).code(), -1422);
  EXPECT_EQ(session().selectInto(kNone, {}, {hostVar(out)}).code(), 1403);
  EXPECT_EQ(session().selectInto(kNoTable, {}, {hostVar(out)}).code(), -942);
  EXPECT_EQ(session().selectInto(kNoColumn, {}, {hostVar(out)}).code(), -904);
  EXPECT_EQ(session().selectInto(kNullNoIndicator, {}, {hostVar(amount)}).code(),
            -1405);
  id = 42;
  EXPECT_EQ(session().execute(kDelete, {hostVar(id)}).code(), 1403);
  EXPECT_FALSE(session().lastError().empty());
}

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

TEST_F(EmbeddedSessionTest, ScalarSubqueryWithSeveralRowsFails) {
  static constexpr SqlText kSelect =
      "select count(*) into :b0  from Item where id=(select id  from Item "
      "where id>=:b1)";
  int32_t count = -5, from = 1;
  EXPECT_EQ(session().selectInto(kSelect, {hostVar(from)}, {hostVar(count)}).code(),
            -1427);
  EXPECT_EQ(count, -5);
  from = 2;
  ASSERT_TRUE(session().selectInto(kSelect, {hostVar(from)}, {hostVar(count)}).ok());
  EXPECT_EQ(count, 1);
}

TEST_F(EmbeddedSessionTest, CursorOpenFetchClose) {
  static constexpr SqlText kCursor =
      "select id ,name ,amount  from Item where id>=:b0 order by id";
  int32_t from = 1, id = 0;
  FixedText<20> name;
  double amount = 0;
  EXPECT_EQ(session().fetch(kCursor, {hostVar(id)}).code(), -1001)
      << "fetch before open";
  ASSERT_TRUE(session().openCursor(kCursor, {hostVar(from)}).ok());
  from = 2;  // inputs are taken at open
  ASSERT_TRUE(session()
                  .fetch(kCursor, {hostVar(id), hostVar(name), hostVar(amount)})
                  .ok());
  EXPECT_EQ(id, 1);
  EXPECT_EQ(amount, 1.5);
  name.clear();
  ASSERT_TRUE(session()
                  .fetch(kCursor, {hostVar(id), hostVar(name), hostVar(amount)})
                  .ok());
  EXPECT_EQ(id, 2);
  EXPECT_EQ(name, "zwei");
  EXPECT_EQ(amount, 1.5) << "NULL column leaves the field as it was";
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(session()
                    .fetch(kCursor, {hostVar(id), hostVar(name), hostVar(amount)})
                    .noData())
        << "past the end, and again";
  }
  EXPECT_TRUE(session().closeCursor(kCursor).ok());
  ASSERT_TRUE(session().openCursor(kCursor, {hostVar(from)}).ok());
  EXPECT_EQ(session().fetch(kCursor, {hostVar(id)}).code(), -1007)
      << "output list must match the columns";
  ASSERT_TRUE(session().openCursor(kCursor, {hostVar(from)}).ok());
  ASSERT_TRUE(session()
                  .fetch(kCursor, {hostVar(id), hostVar(name), hostVar(amount)})
                  .ok());
  EXPECT_EQ(id, 2) << "reopened with the new input";
  EXPECT_TRUE(session().closeCursor(kCursor).ok());
  EXPECT_EQ(session().closeCursor(kCursor).code(), -1001);
}

TEST_F(EmbeddedSessionTest, NamesResolveInCurrentSchemaFirst) {
  static constexpr SqlText kUnqualified = "select v into :b0  from Shared";
  static constexpr SqlText kSystem = "select v into :b0  from kalDERON.Shared";
  static constexpr SqlText kOwn = "select v into :b0  from Korv.Shared";
  static constexpr SqlText kOnlySystem =
      "select BakWch into :b0  from Zev133Bak";
  FixedText<10> v;
  int32_t week = 0;
  ASSERT_TRUE(session().selectInto(kUnqualified, {}, {hostVar(v)}).ok());
  EXPECT_EQ(v, "app");
  ASSERT_TRUE(session().selectInto(kSystem, {}, {hostVar(v)}).ok());
  EXPECT_EQ(v, "system");
  ASSERT_TRUE(session().selectInto(kOwn, {}, {hostVar(v)}).ok())
      << session().lastError();
  EXPECT_EQ(v, "app");
  ASSERT_TRUE(session().selectInto(kOnlySystem, {}, {hostVar(week)}).ok());
  EXPECT_EQ(week, 3);
}

TEST_F(EmbeddedSessionTest, FailedStatementDoesNotAbortTransaction) {
  static constexpr SqlText kInsert =
      "insert into Item (id,name) values (:b0,:b1)";
  FixedText<20> name("neu");
  int32_t id = 10, dup = 1;
  ASSERT_TRUE(session().execute(kInsert, {hostVar(id), hostVar(name)}).ok());
  ASSERT_EQ(session().execute(kInsert, {hostVar(dup), hostVar(name)}).code(), -1);
  id = 11;
  ASSERT_TRUE(session().execute(kInsert, {hostVar(id), hostVar(name)}).ok());
  ASSERT_TRUE(session().commit().ok());
  EXPECT_EQ(queryText(dir_.file("KORV.db"), "select count(*) from Item"), "4");

  id = 12;
  ASSERT_TRUE(session().execute(kInsert, {hostVar(id), hostVar(name)}).ok());
  session().disconnect();  // uncommitted work is rolled back
  EXPECT_EQ(queryText(dir_.file("KORV.db"), "select count(*) from Item"), "4");
}

TEST_F(EmbeddedSessionTest, DialectFunctionsAndSysdate) {
  static constexpr SqlText kDates =
      "select to_char(day,'yyyymmdd hh24:mi:ss') ,to_char(trunc(day+0.75),"
      "'yyyymmdd') ,to_char(add_months(to_date(:b0,'yyyymmdd'),:b1),"
      "'yyyymmdd') into :b2:b3,:b4:b5,:b6:b7  from Item where id=1";
  static constexpr SqlText kSysdate =
      "select count(*) into :b0  from dual where sysdate>to_date('20240101',"
      "'yyyymmdd') and trunc(sysdate)<=sysdate";
  static constexpr SqlText kBadDate =
      "select to_char(to_date(:b0,'yyyymmdd'),'yyyymmdd') into :b1:b2  from dual";
  FixedText<20> withTime;
  DateText truncated, shifted, date("20240131");
  int32_t months = 1, count = 0;
  ASSERT_TRUE(session()
                  .selectInto(kDates, {hostVar(date), hostVar(months)},
                              {hostVar(withTime), hostVar(truncated),
                               hostVar(shifted)})
                  .ok())
      << session().lastError();
  EXPECT_EQ(withTime, "20240115 00:00:00");
  EXPECT_EQ(truncated, "20240115");
  EXPECT_EQ(shifted, "20240229");
  ASSERT_TRUE(session().selectInto(kSysdate, {}, {hostVar(count)}).ok());
  EXPECT_EQ(count, 1);
  DateText bad("2024");
  EXPECT_LT(session().selectInto(kBadDate, {hostVar(bad)}, {hostVar(shifted)}).code(), 0)
      << "a date text that is not yyyymmdd is an error";
}

TEST(EmbeddedConnectTest, Failures) {
  TempDir dir;
  execSql(dir.file("KORV.db"), "create table T(x INTEGER);");
  std::string service = "sqlite:" + dir.path();

  EXPECT_LT(sqlConnect("u", "p", "sqlite:" + dir.file("missing"), "KORV"), 0);
  EXPECT_EQ(sqlConnect("u", "p", "ORCL", "KORV"), -12154);
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

}  // namespace
}  // namespace ravlen
