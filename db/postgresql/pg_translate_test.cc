// The translation of the program's texts for PostgreSQL, text by text.
#include "db/postgresql/pg_translate.h"

#include <gtest/gtest.h>

namespace ravlen {
namespace {

TEST(PgTranslateTest, PlaceholdersBecomeOneParameterPerOccurrence) {
  PgTranslation tr = translateForPostgresql(
      "update T set a=:b0 ,b=:b1 where (k=:b2 and b<>:b1)");
  EXPECT_EQ(tr.sql, "update T set a=$1 ,b=$2 where (k=$3 and b<>$4)");
  EXPECT_EQ(tr.inputCount, 4);
  EXPECT_EQ(tr.kind, StatementKind::kUpdate);
  EXPECT_EQ(tr.sysdateParameter, 0);
}

TEST(PgTranslateTest, SelectIntoLosesItsOutputsAndAsksForTwoRowsAtMost) {
  PgTranslation tr = translateForPostgresql(
      "select a ,b into :b0:b1,:b2  from T where k=:b3 and s=':b9'");
  EXPECT_EQ(tr.sql, "select a ,b from T where k=$1 and s=':b9'\nlimit 2");
  EXPECT_TRUE(tr.selectInto);
  EXPECT_EQ(tr.outputIndicators, (std::vector<bool>{true, false}));
  EXPECT_EQ(tr.inputCount, 1);
  EXPECT_EQ(translateForPostgresql("select a  from T where k=:b0").sql,
            "select a  from T where k=$1")
      << "a cursor's text keeps all its rows";
}

TEST(PgTranslateTest, SysdateIsTheParameterAfterTheInputs) {
  PgTranslation tr = translateForPostgresql(
      "select x into :b0  from T where d=trunc(SYSDATE) and e<=sysdate and "
      "f=:b1");
  EXPECT_EQ(tr.sql, "select x from T where d=trunc($2) and e<=$2 and f=$1\n"
                    "limit 2");
  EXPECT_EQ(tr.sysdateParameter, 2);
}

TEST(PgTranslateTest, FormatLiteralsInUpperCase) {
  PgTranslation tr = translateForPostgresql(
      "select to_char(BchUhr,'HH24MiSS') ,to_char(x,'yyyymmdd') ,"
      "To_Date(:b0, 'yyyy\"t\"mm') ,to_char(f(a,'mi'),'dd') ,'mi'  from T");
  EXPECT_EQ(tr.sql,
            "select to_char(BchUhr,'HH24MISS') ,to_char(x,'YYYYMMDD') ,"
            "To_Date($1, 'YYYY\"t\"MM') ,to_char(f(a,'mi'),'DD') ,'mi'  from T")
      << "only the format argument of to_char and to_date";
}

// The bounds are parameters after the inputs and sysdate; the value's
// placeholder keeps its number without being named; a constant's bounds
// are literals; a value the client does not evaluate stays as written.
TEST(PgTranslateTest, FormattedDateComparisonsBecomeRangesOfTheColumn) {
  PgTranslation tr = translateForPostgresql(
      "select x into :b0  from T where (to_char(d,'yyyymm')=substr(:b1,1,6) "
      "and :b2<=to_char(d,'yyyy')) and e=:b3 and f<sysdate");
  EXPECT_EQ(tr.sql,
            "select x from T where ((d>=$5 and d<$6) and (d>=$7 and d<$8)) "
            "and e=$3 and f<$4\nlimit 2");
  ASSERT_EQ(tr.dateBounds.size(), 2u);
  EXPECT_EQ(tr.dateBounds[0].input, 0);
  EXPECT_TRUE(tr.dateBounds[0].substr);
  EXPECT_EQ(tr.dateBounds[0].length, 6);
  EXPECT_EQ(tr.dateBounds[1].input, 1);
  EXPECT_EQ(tr.dateBounds[1].op, DateCompare::kGe) << "read with to_char left";
  EXPECT_EQ(tr.parameterCount(), 8);

  EXPECT_EQ(translateForPostgresql(
                "delete from T where to_char(d,'yyyymmdd')<'20240301'")
                .sql,
            "delete from T where (d>=timestamp '-infinity' and "
            "d<timestamp '2024-03-01 00:00:00')");
  EXPECT_EQ(translateForPostgresql(
                "delete from T where to_char(d,'yyyy')=nvl(:b0,'x')")
                .sql,
            "delete from T where to_char(d,'YYYY')=nvl($1,'x')");
  EXPECT_EQ(translateForPostgresql(
                "delete from T where to_char(d,'yyyy')=substr(:b0,1,-1)")
                .sql,
            "delete from T where to_char(d,'YYYY')=substr($1,1,-1)")
      << "a negative length fails on the server as written";
}

// The server's substr counts characters and the positions before the
// first one.
TEST(PgTranslateTest, ServerSubstr) {
  EXPECT_EQ(serverSubstr("20240115", 1, 6), "202401");
  EXPECT_EQ(serverSubstr("20240115", 0, 3), "20");
  EXPECT_EQ(serverSubstr("20240115", -2, 2), "");
  EXPECT_EQ(serverSubstr("\xc3\xa4\xc3\xb6x", 2, 5), "\xc3\xb6x");
  EXPECT_EQ(serverSubstr("2024", 3, std::nullopt), "24");
}

TEST(PgTranslateTest, NamesWithHashAreQuotedInLowerCase) {
  EXPECT_EQ(translateForPostgresql("delete  from Ab#C.T where x=1").sql,
            "delete  from \"ab#c\".T where x=1");
}

}  // namespace
}  // namespace ravlen
