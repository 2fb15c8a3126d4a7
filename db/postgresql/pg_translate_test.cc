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

TEST(PgTranslateTest, NamesWithHashAreQuotedInLowerCase) {
  EXPECT_EQ(translateForPostgresql("delete  from Ab#C.T where x=1").sql,
            "delete  from \"ab#c\".T where x=1");
}

}  // namespace
}  // namespace ravlen
