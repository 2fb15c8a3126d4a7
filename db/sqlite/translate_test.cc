// Translation of the program's statement texts: checked by what SQLite makes
// of the result (parameter count, rows, errors) rather than by exact text.
#include "db/sqlite/translate.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "db/sqlite/dialect.h"

namespace ravlen {
namespace {

constexpr const char* kBoundsHead =
    "select to_char(min(BakDtm),'yyyymmdd') ,to_char(max(BakDtm),'yyyymmdd') "
    "into :b0:b1,:b2:b3  from KalDeron.Zev133Bak where ";

const std::string kWeekBounds =
    std::string(kBoundsHead) +
    "((BakDtm>=(to_date(:b4,'yyyymmdd')-7) and "
    "BakDtm<=(to_date(:b4,'yyyymmdd')+7)) and BakWch=(select BakWch  from "
    "KalDeron.Zev133Bak where to_char(BakDtm,'yyyymmdd')=:b4))";

const std::string kQuarterBounds =
    std::string(kBoundsHead) +
    "(to_char(BakDtm,'yyyy')=substr(:b4,1,4) and BakQua=(select BakQua  from "
    "KalDeron.Zev133Bak where to_char(BakDtm,'yyyymmdd')=:b4))";

constexpr const char* kReadToday =
    "select to_char(BakDtm,'yyyymmdd') into :b0  from KalDeron.Zev133Bak "
    "where BakDtm=trunc(sysdate)";

constexpr const char* kReadLastCalendarDay =
    "select to_char(max(BakDtm),'yyyymmdd') into :b0:b1  from "
    "Kalderon.Zev133Bak";

constexpr const char* kShiftDate =
    "select to_char(add_months((to_date(:b0,'yyyymmdd')+:b1),:b2),'yyyymmdd') "
    "into :b3:b4  from dual";

struct RunResult {
  bool ok = false;
  std::string error;
  std::vector<std::vector<std::string>> rows;  // NULL as "<null>"
};

// An in-memory database with the dialect, a one-row dual and a calendar of
// 2024-12-23 .. 2025-01-19: weeks start on Monday, one number per week,
// quarter 4 for December and 1 for January.
class TranslateSqliteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    ASSERT_EQ(registerDialect(db_), SQLITE_OK);
    exec("create table dual(dummy TEXT); insert into dual values('X');"
         "create table Zev133Bak(BakDtm REAL, BakWch INTEGER, "
         "BakQua INTEGER);"
         "with recursive d(j) as (select julianday('2024-12-23') union all "
         "select j+1 from d where j<julianday('2025-01-19')) "
         "insert into Zev133Bak select j, cast((j+0.5)/7 as integer), "
         "case when j<julianday('2025-01-01') then 4 else 1 end from d;");
  }
  void TearDown() override { sqlite3_close(db_); }

  void exec(const std::string& sql) {
    char* error = nullptr;
    int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error);
    ASSERT_EQ(rc, SQLITE_OK) << (error ? error : "") << "\n" << sql;
  }

  // Prepares tr.sql, binds `inputs` as texts to 1..n and `sysdate` to the
  // sysdate parameter, and runs it to the end.
  RunResult run(const Translation& tr, const std::vector<std::string>& inputs,
                double sysdate = 0) {
    RunResult result;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, tr.sql.c_str(), -1, &stmt, nullptr) !=
        SQLITE_OK) {
      result.error = sqlite3_errmsg(db_);
      return result;
    }
    EXPECT_EQ(sqlite3_bind_parameter_count(stmt),
              tr.inputCount + (tr.sysdateParameter > 0 ? 1 : 0))
        << tr.sql;
    for (size_t i = 0; i < inputs.size(); ++i) {
      sqlite3_bind_text(stmt, static_cast<int>(i + 1), inputs[i].c_str(), -1,
                        SQLITE_TRANSIENT);
    }
    if (tr.sysdateParameter > 0)
      sqlite3_bind_double(stmt, tr.sysdateParameter, sysdate);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
        const unsigned char* text = sqlite3_column_text(stmt, c);
        row.push_back(text ? reinterpret_cast<const char*>(text) : "<null>");
      }
      result.rows.push_back(row);
    }
    result.ok = rc == SQLITE_DONE;
    if (!result.ok) result.error = sqlite3_errmsg(db_);
    sqlite3_finalize(stmt);
    return result;
  }

  sqlite3* db_ = nullptr;
};

using Rows = std::vector<std::vector<std::string>>;

TEST_F(TranslateSqliteTest, CalendarStatementsRunWithTheirHostVariables) {
  Translation week = translateStatement(kWeekBounds, "KalDeron");
  EXPECT_EQ(week.kind, StatementKind::kQuery);
  EXPECT_TRUE(week.selectInto);
  EXPECT_EQ(week.outputIndicators, (std::vector<bool>{true, true}));
  EXPECT_EQ(week.inputCount, 3) << "every :b4 is a host variable of its own";
  EXPECT_EQ(week.sysdateParameter, 0);
  RunResult r = run(week, {"20250101", "20250101", "20250101"});
  ASSERT_TRUE(r.ok) << r.error << "\n" << week.sql;
  EXPECT_EQ(r.rows, (Rows{{"20241230", "20250105"}}));
  r = run(week, {"20300101", "20300101", "20300101"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.rows, (Rows{{"<null>", "<null>"}})) << "no calendar row";

  Translation quarter = translateStatement(kQuarterBounds, "KalDeron");
  EXPECT_EQ(quarter.inputCount, 2);
  r = run(quarter, {"20241224", "20241224"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.rows, (Rows{{"20241223", "20241231"}}));

  Translation last = translateStatement(kReadLastCalendarDay, "KalDeron");
  EXPECT_EQ(last.outputIndicators, (std::vector<bool>{true}));
  EXPECT_EQ(last.inputCount, 0);
  r = run(last, {});
  ASSERT_TRUE(r.ok) << r.error << "\n" << last.sql;
  EXPECT_EQ(r.rows, (Rows{{"20250119"}}));

  Translation shift = translateStatement(kShiftDate, "KalDeron");
  EXPECT_EQ(shift.inputCount, 3);
  EXPECT_EQ(shift.outputIndicators, (std::vector<bool>{true}));
  r = run(shift, {"20240201", "-1", "1"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.rows, (Rows{{"20240229"}}));
  r = run(shift, {"20241231", "1", "0"});
  EXPECT_EQ(r.rows, (Rows{{"20250101"}}));
}

TEST_F(TranslateSqliteTest, SysdateIsOneParameterAfterTheInputs) {
  Translation today = translateStatement(kReadToday, "KalDeron");
  EXPECT_EQ(today.outputIndicators, (std::vector<bool>{false}))
      << "into :b0 has no indicator";
  EXPECT_EQ(today.inputCount, 0);
  EXPECT_EQ(today.sysdateParameter, 1);
  // 2025-01-02 13:05:09: trunc(sysdate) finds the calendar row.
  double afternoon = 2460677.5 + (13 * 3600 + 5 * 60 + 9) / 86400.0;
  RunResult r = run(today, {}, afternoon);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.rows, (Rows{{"20250102"}}));

  Translation twice = translateStatement(
      "select to_char(sysdate,'yyyymmddhh24miss') ,to_char(SysDate+:b4,"
      "'yyyymmdd') into :b0:b1,:b2:b3 from dual where 'sysdate'<>:b5",
      "");
  EXPECT_EQ(twice.inputCount, 2);
  EXPECT_EQ(twice.sysdateParameter, 3);
  r = run(twice, {"1", "x"}, afternoon);
  ASSERT_TRUE(r.ok) << r.error << "\n" << twice.sql;
  EXPECT_EQ(r.rows, (Rows{{"20250102130509", "20250103"}}));
}

TEST_F(TranslateSqliteTest, QuotedTextCommentsAndIndicatorsKeepTheirPlace) {
  exec("create table t(v TEXT, \"a:b1\" TEXT, w TEXT);"
       "insert into t values('x', 'q', 'w1');");
  Translation tr = translateStatement(
      "select ':b0' ,\"a:b1\" ,'it''s :b9' into :b0:b1,:b2:b3,:b4 from t "
      "-- where v=:b7\n where v=:b5 /* and w=:b8 */",
      "");
  EXPECT_EQ(tr.inputCount, 1);
  EXPECT_EQ(tr.outputIndicators, (std::vector<bool>{true, true, false}));
  RunResult r = run(tr, {"x"});
  ASSERT_TRUE(r.ok) << r.error << "\n" << tr.sql;
  EXPECT_EQ(r.rows, (Rows{{":b0", "q", "it's :b9"}}));

  // An indicator after an input is not bound: two host variables here.
  Translation update =
      translateStatement("update t set w=:b0:b1 where v=:b2:b3", "");
  EXPECT_EQ(update.kind, StatementKind::kUpdate);
  EXPECT_FALSE(update.selectInto);
  EXPECT_EQ(update.inputCount, 2);
  r = run(update, {"w2", "x"});
  ASSERT_TRUE(r.ok) << r.error << "\n" << update.sql;
  EXPECT_EQ(sqlite3_changes(db_), 1);
  EXPECT_EQ(run(translateStatement("select w from t", ""), {}).rows,
            (Rows{{"w2"}}));
}

TEST_F(TranslateSqliteTest, CurrentSchemaBecomesMainOthersStay) {
  exec("attach database ':memory:' as KALDERON;"
       "create table KALDERON.Zev133Bak(BakDtm REAL);"
       "insert into KALDERON.Zev133Bak values(2451603.5);"
       "attach database ':memory:' as \"K#S\";"
       "create table \"K#S\".t(v TEXT); insert into \"K#S\".t values('hash');"
       "attach database ':memory:' as \"K$S\";"
       "create table \"K$S\".t(v TEXT);"
       "insert into \"K$S\".t values('dollar');");
  // The current schema, in any case, reads main; another schema is left to
  // the attached database of its name.
  for (const char* current : {"KalDeron", "KALDERON", "kalderon"}) {
    RunResult r = run(translateStatement(kReadLastCalendarDay, current), {});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.rows, (Rows{{"20250119"}})) << current;
  }
  RunResult r = run(translateStatement(kReadLastCalendarDay, "korv"), {});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.rows, (Rows{{"20000229"}}));
  r = run(translateStatement(kReadLastCalendarDay, ""), {});
  EXPECT_EQ(r.rows, (Rows{{"20000229"}})) << "no current schema";

  // Qualifiers that SQLite does not take bare.
  r = run(translateStatement("select v from K#S.t", "korv"), {});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.rows, (Rows{{"hash"}}));
  r = run(translateStatement("select K$S.t.v from K$S.t", "korv"), {});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.rows, (Rows{{"dollar"}}));

  // Only the first part of a dotted name is a schema; the schema name
  // inside a string stays.
  Translation tr = translateStatement(
      "select KalDeron.Zev133Bak.BakDtm ,Zev133Bak.BakDtm ,'KalDeron.x' "
      "from KalDeron.Zev133Bak",
      "KalDeron");
  r = run(tr, {});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.rows.size(), 28u);
  EXPECT_EQ(r.rows[0][2], "KalDeron.x");
}

TEST_F(TranslateSqliteTest, ScalarSubqueryWithTwoRowsRaisesOra01427) {
  exec("insert into Zev133Bak values(julianday('2025-01-08'), 1, 1)");
  Translation week = translateStatement(kWeekBounds, "KalDeron");
  RunResult r = run(week, {"20250108", "20250108", "20250108"});
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("ORA-01427"), std::string::npos) << r.error;
  // The day without a double still works.
  r = run(week, {"20250101", "20250101", "20250101"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.rows, (Rows{{"20241230", "20250105"}}));

  exec("create table u(w INTEGER, x INTEGER); insert into u values(1,5);"
       "insert into u values(2,6); create table s(v INTEGER);"
       "insert into s values(1); insert into s values(2);");
  for (const char* op : {"=", "<>", ">=", "<", "!="}) {
    std::string text = std::string("select v from s where v") + op +
                       " (select w from u where x>=:b0)";
    Translation tr = translateStatement(text, "");
    r = run(tr, {"5"});
    EXPECT_FALSE(r.ok) << op;
    EXPECT_NE(r.error.find("ORA-01427"), std::string::npos) << op;
    r = run(tr, {"6"});
    EXPECT_TRUE(r.ok) << op << ": " << r.error << "\n" << tr.sql;
    r = run(tr, {"7"});
    EXPECT_TRUE(r.ok && r.rows.empty()) << op << ": no row compares as NULL";
  }
}

TEST_F(TranslateSqliteTest, SubqueriesThatAreNotScalarAreLeftAlone) {
  exec("create table u(w INTEGER, x INTEGER); insert into u values(1,5);"
       "insert into u values(2,6); create table s(v INTEGER);"
       "insert into s values(1); insert into s values(2);");
  struct Case {
    const char* text;
    Rows rows;
  };
  const Case kCases[] = {
      {"select v from s where v in (select w from u) order by v",
       {{"1"}, {"2"}}},
      {"select v from s where exists (select w from u where w=v) order by v",
       {{"1"}, {"2"}}},
      {"select v from s where v=(select max(w) from u)", {{"2"}}},
      {"select v from s where v=(select coalesce(max(w),0) from u)", {{"2"}}},
      {"select v from s where v=(select abs(max(w)) from u)", {{"2"}}},
      {"select v from s where v=(select -min(x)+7 from u)", {{"2"}}},
      {"select v from s where v=(select count(*) from u)", {{"2"}}},
      {"select v from s where v=(select w from u group by w having w>1)",
       {{"2"}}},
      {"select v from s where v=(select distinct w from u where w<2)",
       {{"1"}}},
      {"select v from s where (v,v)=(select w,w from u where x=6)", {{"2"}}},
      {"select v from s where v=(select w from u where x=(select max(x) "
       "from u))",
       {{"2"}}},
  };
  for (const Case& c : kCases) {
    Translation tr = translateStatement(c.text, "");
    RunResult r = run(tr, {});
    EXPECT_TRUE(r.ok) << c.text << "\n" << tr.sql << "\n" << r.error;
    EXPECT_EQ(r.rows, c.rows) << c.text;
  }
}

TEST(TranslateTest, KindsAndIntoListOnlyForQueries) {
  EXPECT_EQ(translateStatement("  /* x */ SELECT 1 from dual", "").kind,
            StatementKind::kQuery);
  EXPECT_EQ(translateStatement("with a as (select 1 x) select x from a", "")
                .kind,
            StatementKind::kQuery);
  Translation insert = translateStatement(
      "insert into Zev899Bst (BstDtm,BstAnz) values (:b0,:b1)", "");
  EXPECT_EQ(insert.kind, StatementKind::kInsert);
  EXPECT_FALSE(insert.selectInto);
  EXPECT_EQ(insert.inputCount, 2);
  EXPECT_NE(insert.sql.find("into Zev899Bst"), std::string::npos)
      << "the insert keeps its into";
  EXPECT_EQ(translateStatement("Update t set v=1", "").kind,
            StatementKind::kUpdate);
  EXPECT_EQ(translateStatement("\n delete from t where v=:b0", "").kind,
            StatementKind::kDelete);
  EXPECT_EQ(translateStatement("commit", "").kind, StatementKind::kOther);
  EXPECT_EQ(translateStatement("", "").kind, StatementKind::kOther);

  Translation cursor = translateStatement(
      "select a ,b from t where c=:b0 order by a", "");
  EXPECT_FALSE(cursor.selectInto);
  EXPECT_TRUE(cursor.outputIndicators.empty());
  EXPECT_EQ(cursor.inputCount, 1);
}

TEST(TranslateTest, ParseSetSchemaForms) {
  std::string name = "unchanged";
  EXPECT_TRUE(parseSetSchema("ALTER SESSION SET CURRENT_SCHEMA=KalDeron",
                             &name));
  EXPECT_EQ(name, "KalDeron");
  EXPECT_TRUE(parseSetSchema("alter session set current_schema = korv ",
                             &name));
  EXPECT_EQ(name, "korv");
  EXPECT_TRUE(parseSetSchema("  Alter  Session\tSet Current_Schema\t=\tK$1",
                             &name));
  EXPECT_EQ(name, "K$1");
  EXPECT_TRUE(parseSetSchema("ALTER SESSION SET CURRENT_SCHEMA=", &name));
  EXPECT_EQ(name, "");
  EXPECT_TRUE(parseSetSchema("ALTER SESSION SET CURRENT_SCHEMA=  ", &name));
  EXPECT_EQ(name, "");
  EXPECT_TRUE(parseSetSchema("ALTER SESSION SET CURRENT_SCHEMA=a b", &name));
  EXPECT_EQ(name, "a b") << "the caller checks that it is an identifier";

  name = "kept";
  EXPECT_FALSE(parseSetSchema("ALTER SESSION SET NLS_DATE_FORMAT=x", &name));
  EXPECT_FALSE(parseSetSchema("ALTER SESSION SET CURRENT_SCHEMA korv", &name));
  EXPECT_FALSE(parseSetSchema("ALTER SESSIONSET CURRENT_SCHEMA=korv", &name));
  EXPECT_FALSE(parseSetSchema("ALTER SESSION SET CURRENT_SCHEMAX=korv", &name));
  EXPECT_FALSE(parseSetSchema("ALTER SESSION SET CURRENT_SCHEMA>=korv", &name));
  EXPECT_FALSE(parseSetSchema("select 1 from dual", &name));
  EXPECT_FALSE(parseSetSchema("", &name));
  EXPECT_EQ(name, "kept");
}

TEST(TranslateTest, PlainIdentifiers) {
  EXPECT_TRUE(isPlainIdentifier("KalDeron"));
  EXPECT_TRUE(isPlainIdentifier("k"));
  EXPECT_TRUE(isPlainIdentifier("A_1$#"));
  EXPECT_TRUE(isPlainIdentifier(std::string(128, 'a')));
  EXPECT_FALSE(isPlainIdentifier(std::string(129, 'a')));
  EXPECT_FALSE(isPlainIdentifier(""));
  EXPECT_FALSE(isPlainIdentifier("1abc"));
  EXPECT_FALSE(isPlainIdentifier("_abc"));
  EXPECT_FALSE(isPlainIdentifier("$abc"));
  for (const char* name : {"../korv", "a/b", "a\\b", "a.b", "a b", "\"korv\"",
                           "a-b", "k\xC3\xB6rv"}) {
    EXPECT_FALSE(isPlainIdentifier(name)) << name;
  }
}

}  // namespace
}  // namespace ravlen
