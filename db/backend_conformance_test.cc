// The contract of every backend, run unchanged against each of them
// (embedded SQLite, PostgreSQL server, Oracle) through the session that statement
// functions use: statuses, NULL and indicators, empty texts, host texts,
// cursors and their read consistency, statement-level rollback, the
// dialect functions and sysdate, schemas and the lock. A backend that is
// not available here is skipped with its reason, never passed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ctime>

#include "db/backend.h"
#include "db/session.h"
#include "db/sqlhlp.h"
#include "tests/support/test_database.h"

namespace ravlen {
namespace {

using testing::BackendKind;
using testing::TestDatabase;

class ConformanceTest : public ::testing::TestWithParam<BackendKind> {
 protected:
  void SetUp() override {
    std::string reason;
    db_ = testing::makeTestDatabase(GetParam(), &reason);
    if (db_ == nullptr) GTEST_SKIP() << reason;
    db_->sys("create table Zev133Bak(BakDtm REAL primary key, -- date\n"
             " BakWch INTEGER);"
             "create table Shared(v VARCHAR2(10));"
             "insert into Shared values('system');"
             "insert into Zev133Bak values(" + db_->date("20240115") + ", 3);");
    db_->app("create table Item(id INTEGER primary key, name VARCHAR2(20) "
             "not null, amount REAL,\n day REAL, -- date\n note VARCHAR2(20));"
             "create table Shared(v VARCHAR2(10));"
             "insert into Shared values('app');"
             "insert into Item values(1,'eins',1.5," + db_->date("20240115") +
             ",null);"
             "insert into Item values(2,'zwei',null,null,'x');"
             "create table Pair(k VARCHAR2(5), v VARCHAR2(5));"
             "insert into Pair values('a','b');");
    ASSERT_EQ(connect("korv"), 0) << session().lastError();
  }
  void TearDown() override { session().disconnect(); }

  int32_t connect(const std::string& schema) {
    return sqlConnect(db_->login(), db_->password(), db_->service(), schema);
  }

  std::unique_ptr<TestDatabase> db_;
};

TEST_P(ConformanceTest, SelectIntoMixesHostKindsAndKeepsNullOutputs) {
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

TEST_P(ConformanceTest, IndicatorTellsNullFromValue) {
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

TEST_P(ConformanceTest, RepeatedPlaceholdersBindOnePerOccurrence) {
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

TEST_P(ConformanceTest, OutputTextIsCutToCapacity) {
  static constexpr SqlText kSelect =
      "select 'abcdefgh' ,'xyz\xC3\xA4q' into :b0:b1,:b2:b3  from dual";
  FixedText<3> shortText;
  FixedText<4> utf8;  // "xyz" + two-byte character does not fit
  ASSERT_TRUE(session()
                  .selectInto(kSelect, {}, {hostVar(shortText), hostVar(utf8)})
                  .ok())
      << session().lastError();
  EXPECT_EQ(shortText, "abc");
  EXPECT_EQ(utf8, "xyz") << "never cut inside a UTF-8 character";
}

TEST_P(ConformanceTest, EmptyInputTextBindsAsNull) {
  static constexpr SqlText kInsert =
      "insert into Item (id,name,note) values (:b0,:b1,:b2)";
  static constexpr SqlText kCountNull =
      "select count(*) into :b0  from Item where note is null";
  int32_t id = 3, nulls = 0;
  FixedText<20> name("drei"), empty;
  ASSERT_TRUE(session()
                  .execute(kInsert, {hostVar(id), hostVar(name), hostVar(empty)})
                  .ok())
      << session().lastError();
  ASSERT_TRUE(session().selectInto(kCountNull, {}, {hostVar(nulls)}).ok());
  EXPECT_EQ(nulls, 2);
  id = 4;
  EXPECT_EQ(session()
                .execute(kInsert, {hostVar(id), hostVar(empty), hostVar(name)})
                .code(),
            -1400)
      << "an empty text reaches a NOT NULL column as NULL";
}

TEST_P(ConformanceTest, StatusCodes) {
  static constexpr SqlText kInsert =
      "insert into Item (id,name) values (:b0,:b1)";
  static constexpr SqlText kAll = "select id into :b0:b1  from Item";
  static constexpr SqlText kNone = "select id into :b0:b1  from Item where id=99";
  static constexpr SqlText kNoTable = "select x into :b0  from Nowhere";
  static constexpr SqlText kNoColumn = "select missingcol into :b0  from Item";
  static constexpr SqlText kNullNoIndicator =
      "select amount into :b0  from Item where id=2";
  static constexpr SqlText kDelete = "delete from Item where id=:b0";
  static constexpr SqlText kBigSum =
      "select sum(id) into :b0:b1  from Item where id<:b2";
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

  id = 2147483000;
  ASSERT_TRUE(session().execute(kInsert, {hostVar(id), hostVar(name)}).ok());
  id = 2147483001;
  ASSERT_TRUE(session().execute(kInsert, {hostVar(id), hostVar(name)}).ok());
  int32_t below = 2147483647;
  out = -5;
  SqlStatus overflow = session().selectInto(kBigSum, {hostVar(below)}, {hostVar(out)});
  EXPECT_TRUE(overflow.failed()) << "a sum beyond 32 bits into an int";
  EXPECT_NE(overflow.code(), -1);
  EXPECT_EQ(out, -5);
}

TEST_P(ConformanceTest, ScalarSubqueryWithSeveralRowsFails) {
  static constexpr SqlText kSelect =
      "select count(*) into :b0  from Item where id=(select id  from Item "
      "where id>=:b1)";
  int32_t count = -5, from = 1;
  EXPECT_EQ(session().selectInto(kSelect, {hostVar(from)}, {hostVar(count)}).code(),
            -1427);
  EXPECT_EQ(count, -5);
  from = 2;
  ASSERT_TRUE(session().selectInto(kSelect, {hostVar(from)}, {hostVar(count)}).ok())
      << session().lastError();
  EXPECT_EQ(count, 1);
}

TEST_P(ConformanceTest, CursorOpenFetchClose) {
  static constexpr SqlText kCursor =
      "select id ,name ,amount  from Item where id>=:b0 order by id";
  int32_t from = 1, id = 0;
  FixedText<20> name;
  double amount = 0;
  EXPECT_EQ(session().fetch(kCursor, {hostVar(id)}).code(), -1001)
      << "fetch before open";
  ASSERT_TRUE(session().openCursor(kCursor, {hostVar(from)}).ok())
      << session().lastError();
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

// More rows than any chunk a backend fetches at once, with writes to
// another table and commits while the cursor is open.
TEST_P(ConformanceTest, CursorDeliversAllItsRowsAcrossCommits) {
  static constexpr SqlText kCursor =
      "select id  from Item where id>=:b0 order by id";
  static constexpr SqlText kInsert =
      "insert into Item (id,name) values (:b0,'neu')";
  static constexpr SqlText kWrite = "insert into Pair (k,v) values (:b0,'w')";
  constexpr int32_t kRows = 1300;
  for (int32_t id = 10; id < 10 + kRows; ++id)
    ASSERT_TRUE(session().execute(kInsert, {hostVar(id)}).ok());
  int32_t from = 10, id = 0, expected = 10;
  ASSERT_TRUE(session().openCursor(kCursor, {hostVar(from)}).ok())
      << session().lastError();
  while (session().fetch(kCursor, {hostVar(id)}).ok()) {
    ASSERT_EQ(id, expected++);
    FixedText<5> key(std::to_string(id % 1000));
    ASSERT_TRUE(session().execute(kWrite, {hostVar(key)}).ok());
    if (id % 400 == 0) {
      ASSERT_TRUE(session().commit().ok()) << session().lastError();
    }
  }
  EXPECT_EQ(expected, 10 + kRows) << session().lastError();
  EXPECT_TRUE(session().closeCursor(kCursor).ok());
  ASSERT_TRUE(session().commit().ok());
  EXPECT_EQ(db_->value("select count(*) from Pair"), std::to_string(kRows + 1));
}

TEST_P(ConformanceTest, NamesResolveInCurrentSchemaFirst) {
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

TEST_P(ConformanceTest, SchemaSwitchesOnlyToAnExistingSchema) {
  static constexpr SqlText kCount = "select count(*) into :b0  from Unused";
  static constexpr SqlText kShared = "select v into :b0  from Shared";
  db_->inSchema("OTHER", "create table Unused(x INTEGER); insert into Unused values(1);");
  int32_t count = -1;
  FixedText<10> v;
  ASSERT_TRUE(session().executeImmediate("ALTER SESSION SET CURRENT_SCHEMA=other").ok())
      << session().lastError();
  ASSERT_TRUE(session().selectInto(kCount, {}, {hostVar(count)}).ok())
      << session().lastError();
  EXPECT_EQ(count, 1) << "Unused of the new current schema";
  ASSERT_TRUE(session().selectInto(kShared, {}, {hostVar(v)}).ok());
  EXPECT_EQ(v, "system") << "not in the current schema: the system schema's";

  EXPECT_EQ(session().executeImmediate("ALTER SESSION SET CURRENT_SCHEMA=NOSUCH").code(),
            -1435);
  for (const char* bad : {"", "../KORV", "K ORV", "1KORV", "KORV;"}) {
    EXPECT_LT(session().executeImmediate(std::string(kSetSchemaStatement) + bad).code(), 0)
        << bad;
  }
  ASSERT_TRUE(session().selectInto(kCount, {}, {hostVar(count)}).ok())
      << "failed switches leave the schema as it was: " << session().lastError();
  EXPECT_EQ(count, 1);
  EXPECT_EQ(connect("NOSUCH"), -1435);
}

TEST_P(ConformanceTest, FailedStatementDoesNotAbortTransaction) {
  static constexpr SqlText kInsert =
      "insert into Item (id,name) values (:b0,:b1)";
  FixedText<20> name("neu");
  int32_t id = 10, dup = 1;
  ASSERT_TRUE(session().execute(kInsert, {hostVar(id), hostVar(name)}).ok());
  ASSERT_EQ(session().execute(kInsert, {hostVar(dup), hostVar(name)}).code(), -1);
  id = 11;
  ASSERT_TRUE(session().execute(kInsert, {hostVar(id), hostVar(name)}).ok())
      << session().lastError();
  ASSERT_TRUE(session().commit().ok()) << session().lastError();
  EXPECT_EQ(db_->value("select count(*) from Item"), "4");

  id = 12;
  ASSERT_TRUE(session().execute(kInsert, {hostVar(id), hostVar(name)}).ok());
  session().disconnect();  // uncommitted work is rolled back
  EXPECT_EQ(db_->value("select count(*) from Item"), "4");
}

TEST_P(ConformanceTest, DialectFunctions) {
  static constexpr SqlText kDates =
      "select to_char(day,'yyyymmdd hh24:mi:ss') ,to_char(trunc(day+0.75),"
      "'yyyymmdd') ,to_char(min(day)-1,'yyyymmdd') ,to_char(to_date(:b0,"
      "'yyyymmdd')+:b1,'yyyymmdd') into :b2:b3,:b4:b5,:b6:b7,:b8:b9  from "
      "Item where id=1 group by day";
  static constexpr SqlText kAddMonths =
      "select to_char(add_months(to_date(:b0,'yyyymmdd'),:b1),'yyyymmdd') "
      "into :b2:b3  from dual";
  static constexpr SqlText kTime =
      "select to_char(day,'HH24MiSS') into :b0:b1  from Item where id=:b2";
  static constexpr SqlText kBadDate =
      "select to_char(to_date(:b0,'yyyymmdd'),'yyyymmdd') into :b1:b2  from dual";
  FixedText<20> withTime;
  DateText truncated, dayBefore, plusDays, date("20240131");
  int32_t days = 30;
  ASSERT_TRUE(session()
                  .selectInto(kDates, {hostVar(date), hostVar(days)},
                              {hostVar(withTime), hostVar(truncated),
                               hostVar(dayBefore), hostVar(plusDays)})
                  .ok())
      << session().lastError();
  EXPECT_EQ(withTime, "20240115 00:00:00");
  EXPECT_EQ(truncated, "20240115");
  EXPECT_EQ(dayBefore, "20240114");
  EXPECT_EQ(plusDays, "20240301") << "a number added to a date is days";

  // add_months keeps a month's last day on the last day and cuts a day
  // beyond the target month's end to that end.
  struct Case { const char* from; int32_t months; const char* to; };
  for (Case c : {Case{"20240131", 1, "20240229"}, Case{"20240229", 1, "20240331"},
                 Case{"20240430", -2, "20240229"}, Case{"20230228", 12, "20240229"},
                 Case{"20240315", 1, "20240415"}, Case{"20241130", 3, "20250228"}}) {
    DateText in(c.from), out;
    int32_t months = c.months;
    ASSERT_TRUE(session().selectInto(kAddMonths, {hostVar(in), hostVar(months)},
                                     {hostVar(out)}).ok())
        << session().lastError();
    EXPECT_EQ(out, c.to) << c.from << " + " << c.months;
  }

  db_->app("insert into Item values(3,'drei',null," +
           db_->date("20240115", "071438") + ",null);");
  int32_t id = 3;
  FixedText<6> hhmmss;
  ASSERT_TRUE(session().selectInto(kTime, {hostVar(id)}, {hostVar(hhmmss)}).ok())
      << session().lastError();
  EXPECT_EQ(hhmmss, "071438") << "format elements in any case";

  for (const char* bad : {"2024ab01", "20241301", "20240230"}) {
    DateText text(bad);
    EXPECT_LT(session().selectInto(kBadDate, {hostVar(text)}, {hostVar(truncated)}).code(), 0)
        << bad << " is no day: an error, not a wrong date";
  }
}

// sysdate is the local date and time of the machine that runs the program,
// whatever the database's own clock or time zone says (the test server
// runs in a zone 14 hours off); on Oracle it is the server's own.
TEST_P(ConformanceTest, SysdateIsTheProgramsLocalTime) {
  static constexpr SqlText kNow =
      "select to_char(sysdate,'yyyymmddhh24miss') ,to_char(trunc(sysdate),"
      "'hh24miss') into :b0:b1,:b2:b3  from dual";
  FixedText<14> now;
  FixedText<6> midnight;
  std::time_t before = std::time(nullptr);
  ASSERT_TRUE(session().selectInto(kNow, {}, {hostVar(now), hostVar(midnight)}).ok())
      << session().lastError();
  std::time_t after = std::time(nullptr);
  EXPECT_EQ(midnight, "000000");
  // On Oracle sysdate is the server's own clock, in the server's zone.
  if (GetParam() == BackendKind::kOracle) return;
  auto local = [](std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &tm);
    return std::string(text);
  };
  EXPECT_GE(std::string(now.view()), local(before));
  EXPECT_LE(std::string(now.view()), local(after));
}

TEST_P(ConformanceTest, RepeatedWritesTakeEachCallsValues) {
  static constexpr SqlText kInsert =
      "insert into Item (id,name,note) values (:b0,'n',:b1)";
  static constexpr SqlText kRows =
      "select count(*) into :b0  from Item where (id=:b1 and ((note is null "
      "and :b2 is null) or note=:b3))";
  struct Row { int32_t id; const char* note; };
  for (Row r : {Row{3, "lang genug"}, Row{4, "ku"}, Row{5, ""}}) {
    FixedText<20> note(r.note);
    ASSERT_TRUE(session().execute(kInsert, {hostVar(r.id), hostVar(note)}).ok())
        << session().lastError();
  }
  for (Row r : {Row{3, "lang genug"}, Row{4, "ku"}, Row{5, ""}}) {
    FixedText<20> note(r.note);
    int32_t count = 0;
    ASSERT_TRUE(session().selectInto(kRows, {hostVar(r.id), hostVar(note),
                                             hostVar(note)},
                                     {hostVar(count)}).ok())
        << session().lastError();
    EXPECT_EQ(count, 1) << r.id;
  }
}

TEST_P(ConformanceTest, CursorKeepsTheTextsOfItsOpen) {
  static constexpr SqlText kCursor =
      "select id  from Item where name=:b0 order by id";
  FixedText<20> name("eins");
  ASSERT_TRUE(session().openCursor(kCursor, {hostVar(name)}).ok())
      << session().lastError();
  name = "zwei";  // after the open: the cursor must not see it
  int32_t id = 0;
  ASSERT_TRUE(session().fetch(kCursor, {hostVar(id)}).ok());
  EXPECT_EQ(id, 1);
  EXPECT_TRUE(session().fetch(kCursor, {hostVar(id)}).noData());
  session().closeCursor(kCursor);
}

// Two rows match 'a'. The output overwrites the input with 'b' after the
// first row; a statement that read the input in place would find no
// second row and report a single row.
TEST_P(ConformanceTest, SelectIntoOutputOverInputStillFindsTheSecondRow) {
  static constexpr SqlText kSelect =
      "select v into :b0:b1  from Item cross join Pair where k=:b2";
  FixedText<5> key("a");
  EXPECT_EQ(session().selectInto(kSelect, {hostVar(key)}, {hostVar(key)}),
            sqlstatus::kTooManyRows);
}

// One session at a time per application schema: a second waits for the
// first and, when the first still holds it after the wait, its connect
// fails (-54), so that it writes nothing; once the first has ended, the
// next one connects and writes.
TEST_P(ConformanceTest, SecondSessionWaitsForTheSchema) {
  static constexpr SqlText kInsert =
      "insert into Item (id,name) values (:b0,'zweite')";
  std::string connectText =
      makeConnectText(db_->login(), db_->password(), db_->service());
  std::string setSchema = std::string(kSetSchemaStatement) + "KORV";
  constexpr std::chrono::milliseconds kWait{400};
  SqlStatus status;
  std::string message;
  auto second = [&] {
    auto started = std::chrono::steady_clock::now();
    std::unique_ptr<Backend> b = openBackend(connectText, &status, &message, kWait);
    if (b != nullptr) {
      status = b->executeImmediate(setSchema);
      message = b->lastError();
    }
    int32_t id = 77;
    bool wrote = status.ok() && b->execute(kInsert, {hostVar(id)}).ok() &&
                 b->commit().ok();
    return std::make_pair(wrote, std::chrono::steady_clock::now() - started);
  };
  auto [wrote, waited] = second();
  EXPECT_EQ(status, sqlstatus::kResourceBusy) << message;
  EXPECT_FALSE(wrote) << "the first session holds the schema";
  EXPECT_GE(waited, kWait);
  session().disconnect();
  std::tie(wrote, waited) = second();
  EXPECT_TRUE(wrote) << message;
  EXPECT_LT(waited, kWait);
}

// Statements handed over for later (Session::*Later) run in the order
// handed over, each failure undoing only itself, with the statuses that the
// same statements run at once give: the embedded database runs them at
// once and is the reference; a server holds them for one flush (and may
// send a writer's pair as one statement).
TEST_P(ConformanceTest, HeldStatementsEndAsIfRunAtOnce) {
  db_->app("create table Held(k VARCHAR2(5) primary key, name VARCHAR2(10) "
           "not null);"
           "insert into Held values('a','alt');"
           "create table Cnt(k VARCHAR2(5) primary key, n INTEGER);"
           "create table Req(k VARCHAR2(5) primary key, name VARCHAR2(10),"
           " extra VARCHAR2(5) not null);"
           "insert into Req values('r','alt','E');");
  static constexpr SqlText kUpdate = "update Held set name=:b0 where k=:b1";
  static constexpr SqlText kInsert = "insert into Held (name,k) values (:b0,:b1)";
  static constexpr SqlText kInsertCnt = "insert into Cnt (k,n) values (:b0,:b1)";
  static constexpr SqlText kAddCnt = "update Cnt set n=(n+:b0) where k=:b1";
  static constexpr SqlText kRead = "select name into :b0  from Held where k=:b1";
  // Each callback's status in the place of its statement.
  std::vector<int32_t> statuses;
  auto keeper = [&statuses]() {
    statuses.push_back(1);
    return [&statuses, at = statuses.size() - 1](SqlStatus st) {
      statuses[at] = st.code();
    };
  };
  FixedText<10> name;
  FixedText<5> key;
  auto write = [&](const char* k, const char* n) {
    key = k;
    name = n;
    session().writeLater({WritePattern::kUpdateElseInsert, kUpdate,
                          {hostVar(name), hostVar(key)}, kInsert,
                          {hostVar(name), hostVar(key)}},
                         keeper());
  };
  write("a", "eins");  // the row is there: the update
  write("b", "zwei");  // no row: the insert
  write("c", "");      // the insert fails (NULL name): only it is undone
  write("b", "drei");  // updates the row inserted two writes before
  write("a", "");      // the update fails; the insert meets the key
  FixedText<10> seen("vorher");
  key = "b";
  session().selectIntoLater(kRead, {hostVar(key)}, {hostVar(seen)}, keeper());
  int32_t n = 0;
  for (auto [k, add] : {std::pair{"x", 1}, {"x", 2}, {"y", 5}, {"x", 4}}) {
    key = k;
    n = add;
    session().writeLater({WritePattern::kInsertElseAdd, kInsertCnt,
                          {hostVar(key), hostVar(n)}, kAddCnt,
                          {hostVar(n), hostVar(key)}},
                         keeper());
  }
  // The row is there, so the update alone runs; an insert of this row
  // would fail (no extra).
  key = "r";
  name = "neu";
  session().writeLater({WritePattern::kUpdateElseInsert,
                        "update Req set name=:b0 where k=:b1",
                        {hostVar(name), hostVar(key)},
                        "insert into Req (name,k) values (:b0,:b1)",
                        {hostVar(name), hostVar(key)}},
                       keeper());
  session().flush();
  EXPECT_EQ(statuses,
            (std::vector<int32_t>{0, 0, -1400, 0, -1400, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(seen, "drei") << "a read sees the writes handed over before it";
  ASSERT_TRUE(session().commit().ok()) << session().lastError();
  EXPECT_EQ(db_->value("select count(*) from Held"), "2");
  EXPECT_EQ(db_->value("select name from Held where k='a'"), "eins");
  EXPECT_EQ(db_->value("select name from Held where k='b'"), "drei");
  EXPECT_EQ(db_->value("select count(*) from Cnt"), "2");
  EXPECT_EQ(db_->value("select n from Cnt where k='x'"), "7");
  EXPECT_EQ(db_->value("select n from Cnt where k='y'"), "5");
  EXPECT_EQ(db_->value("select name from Req"), "neu");
}

// A long run of writers' pairs (a server may send runs of different keys
// as one statement, and the runs of pairs on different tables one after
// the other): a repeated key sees the row written before it, also by
// another pair, a failing write undoes only itself, and every write gets
// its own status, in the order of hand-over.
TEST_P(ConformanceTest, LongRunOfWritesEndsAsIfRunOneByOne) {
  db_->app("create table Held(k VARCHAR2(5) primary key, name VARCHAR2(10) "
           "not null);"
           "insert into Held values('k2','alt');"
           "create table Other(k VARCHAR2(5) primary key, name VARCHAR2(10) "
           "unique);");
  // The schema statement reads the new tables (a server reads there on
  // which tables writes may change their order).
  ASSERT_TRUE(session()
                  .executeImmediate(std::string(kSetSchemaStatement) + "KORV")
                  .ok())
      << session().lastError();
  static constexpr SqlText kUpdate = "update Held set name=:b0 where k=:b1";
  static constexpr SqlText kInsert = "insert into Held (name,k) values (:b0,:b1)";
  // Another pair on Held, and a pair on another table.
  static constexpr SqlText kUpdate2 = "update Held  set name=:b0 where k=:b1";
  static constexpr SqlText kUpdateOther = "update Other set name=:b0 where k=:b1";
  static constexpr SqlText kInsertOther =
      "insert into Other (name,k) values (:b0,:b1)";
  FixedText<10> name;
  FixedText<5> key;
  std::vector<int32_t> statuses;
  std::vector<size_t> order;  // of the callbacks
  auto write = [&](const std::string& k, const std::string& n, int pair = 0) {
    const SqlText updates[] = {kUpdate, kUpdate2, kUpdateOther};
    const SqlText inserts[] = {kInsert, kInsert, kInsertOther};
    key = k.c_str();
    name = n.c_str();
    statuses.push_back(1);
    session().writeLater({WritePattern::kUpdateElseInsert, updates[pair],
                          {hostVar(name), hostVar(key)}, inserts[pair],
                          {hostVar(name), hostVar(key)}},
                         [&, at = statuses.size() - 1](SqlStatus st) {
                           statuses[at] = st.code();
                           order.push_back(at);
                         });
  };
  write("o0", "x", 2);
  for (int i = 0; i < 12; ++i) {
    write("k" + std::to_string(i), "n" + std::to_string(i));
    if (i > 0) write("o" + std::to_string(i), "", 2);
  }
  write("k3", "wieder");  // the same key again: updates the row just made
  write("o0", "y", 2);    // frees the unique name "x" ...
  write("o12", "x", 2);   // ... for a row of another key
  write("k5", "zwei", 1);
  write("k5", "drei");    // after the other pair's write of the same row
  size_t failing = 0;
  for (int i = 12; i < 20; ++i) {
    if (i == 15) failing = statuses.size();
    write("k" + std::to_string(i), i == 15 ? "" : "n" + std::to_string(i));
  }
  session().flush();
  std::vector<int32_t> expected(statuses.size(), 0);
  expected[failing] = -1400;  // k15 without a name: only it fails
  EXPECT_EQ(statuses, expected);
  std::vector<size_t> handedOver(statuses.size());
  for (size_t i = 0; i < handedOver.size(); ++i) handedOver[i] = i;
  EXPECT_EQ(order, handedOver);
  ASSERT_TRUE(session().commit().ok()) << session().lastError();
  EXPECT_EQ(db_->value("select count(*) from Held"), "19");
  EXPECT_EQ(db_->value("select count(*) from Other"), "13");
  EXPECT_EQ(db_->value("select k from Other where name='x'"), "o12");
  EXPECT_EQ(db_->value("select name from Held where k='k3'"), "wieder");
  EXPECT_EQ(db_->value("select name from Held where k='k5'"), "drei");
  EXPECT_EQ(db_->value("select name from Held where k='k2'"), "n2");
  EXPECT_EQ(db_->value("select name from Held where k='k19'"), "n19");
}

// Many lookups of a few texts handed over together (a server may send
// those of one text as one statement): each gets the answer of its own
// execution: its row, no row, several rows, a NULL without indicator, or
// a failure of its own that leaves the others their answers.
TEST_P(ConformanceTest, HeldLookupsEachGetTheirOwnAnswer) {
  static constexpr SqlText kById =
      "select name ,amount ,note into :b0,:b1,:b2:b3  from Item where id=:b4";
  static constexpr SqlText kByKey =
      "select v into :b0  from Item cross join Pair where k=:b1";
  static constexpr SqlText kByDay =
      "select name into :b0  from Item where day=to_date(:b1,'yyyymmdd')";
  struct Answer {
    int32_t status = 1;
    FixedText<20> name{"vorher"};
    double amount = -1;
    FixedText<20> note{"vorher"};
    int16_t noteIndicator = 7;
  };
  std::vector<Answer> answers(9);
  std::vector<int32_t> ids{1, 3, 2, 1};
  std::vector<FixedText<8>> texts(5);
  texts[0] = "a";
  texts[1] = "z";
  texts[2] = "20240115";
  texts[3] = "2024x115";
  texts[4] = "20240116";
  auto into = [&answers](size_t i) {
    return [&answers, i](SqlStatus s) { answers[i].status = s.code(); };
  };
  for (size_t i = 0; i < ids.size(); ++i) {
    Answer& a = answers[i];
    session().selectIntoLater(
        kById, {hostVar(ids[i])},
        {hostVar(a.name), hostVar(a.amount),
         withIndicator(hostVar(a.note), a.noteIndicator)},
        into(i));
    if (i < 2) {
      session().selectIntoLater(kByKey, {hostVar(texts[i])},
                                {hostVar(answers[4 + i].name)}, into(4 + i));
    }
  }
  for (size_t i = 2; i < texts.size(); ++i) {
    session().selectIntoLater(kByDay, {hostVar(texts[i])},
                              {hostVar(answers[4 + i].name)}, into(4 + i));
  }
  session().flush();
  EXPECT_EQ(answers[0].status, 0);
  EXPECT_EQ(answers[0].name, "eins");
  EXPECT_EQ(answers[0].amount, 1.5);
  EXPECT_EQ(answers[0].noteIndicator, -1);
  EXPECT_EQ(answers[1].status, 1403);
  EXPECT_EQ(answers[1].name, "vorher");
  EXPECT_EQ(answers[2].status, -1405) << "NULL amount without indicator";
  EXPECT_EQ(answers[2].name, "vorher") << "a row is stored whole or not";
  EXPECT_EQ(answers[3].status, 0);
  EXPECT_EQ(answers[4].status, -1422);
  EXPECT_EQ(answers[5].status, 1403);
  EXPECT_EQ(answers[6].status, 0);
  EXPECT_EQ(answers[6].name, "eins");
  EXPECT_LT(answers[7].status, 0) << "no date: this lookup fails alone";
  EXPECT_EQ(answers[7].name, "vorher");
  EXPECT_EQ(answers[8].status, 1403);
}

// The first rows of one query for several inputs handed over together (a
// server may send them as one statement): each gets its own rows in the
// query's order, its own end, or a failure of its own.
TEST_P(ConformanceTest, HeldFirstRowsEachGetTheirOwn) {
  static constexpr SqlText kUpTo =
      "select name from Item where id<=:b0 order by id desc";
  static constexpr SqlText kUntilDay =
      "select name from Item where day<=to_date(:b0,'yyyymmdd') order by day";
  db_->app("insert into Item values(3,'drei',null,null,null);");
  FixedText<20> name;
  std::vector<int32_t> ids{0, 1, 3};
  std::vector<FixedText<8>> days(3);
  days[0] = "20240115";
  days[1] = "2024x115";
  days[2] = "20240116";
  std::vector<std::string> got(6);
  std::vector<int32_t> statuses(6, 1);
  auto read = [&](SqlText text, HostVar in, size_t i) {
    session().rowsLater(
        text, {in}, {hostVar(name)}, 2,
        [&got, &name, i] { got[i] += std::string(name.view()) + ";"; },
        [&statuses, i](SqlStatus s) { statuses[i] = s.code(); });
  };
  for (size_t i = 0; i < 3; ++i) {
    read(kUpTo, hostVar(ids[i]), i);
    read(kUntilDay, hostVar(days[i]), 3 + i);
  }
  session().flush();
  EXPECT_EQ(got, (std::vector<std::string>{"", "eins;", "drei;zwei;", "eins;",
                                           "", "eins;"}));
  EXPECT_EQ(statuses[0], 1403);
  EXPECT_EQ(statuses[1], 1403);
  EXPECT_EQ(statuses[2], 0) << "more rows than delivered";
  EXPECT_EQ(statuses[3], 1403);
  EXPECT_LT(statuses[4], 0) << "no date: this query fails alone";
  EXPECT_EQ(statuses[5], 1403);
}

INSTANTIATE_TEST_SUITE_P(
    Backends, ConformanceTest,
    ::testing::Values(BackendKind::kEmbedded, BackendKind::kServer,
                      BackendKind::kOracle),
    [](const ::testing::TestParamInfo<BackendKind>& info) {
      return testing::backendName(info.param);
    });

}  // namespace
}  // namespace ravlen
