// The tools' Oracle session against the test double of the client library:
// rows go in arrays (array DML), queries come back as texts with their
// names, statements are split for the client, and nothing is left open.
#include "tools/ravlen_db/oracle_db.h"

#include <gtest/gtest.h>

#include "tests/support/oci_test_double.h"

namespace ravlen {
namespace {

class OracleDbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(double_.api(), nullptr) << double_.loadError();
    double_.addService("DOUBLE");
    ASSERT_EQ(db_->open("DOUBLE", "scott/tiger", "KORV"), "");
  }
  void TearDown() override {
    db_.reset();
    EXPECT_EQ(double_.liveHandles(), 0) << double_.log();
    EXPECT_EQ(double_.openCursors(), 0) << double_.log();
  }

  testing::ScopedEnv home_{"ORACLE_HOME", testing::ociDoubleHome()};
  testing::OciDouble double_;
  std::unique_ptr<OracleDb> db_ = std::make_unique<OracleDb>();
};

TEST_F(OracleDbTest, RowsOfAnInsertGoInOneArrayExecution) {
  Insert insert(*db_, "T", "a,b,c,d");
  insert.text("x").integer(5).real(1.5).date(2460324.5 + 0.25).run();
  insert.text("").null().integer(-1).null().run();
  ASSERT_EQ(insert.finish(), "");
  EXPECT_NE(double_.log().find(
                "OCIStmtExecute iters=2 mode=0 insert into T (a,b,c,d) values "
                "(:1,:2,:3,:4) ['x' '5' '1.5' '2024-01-15 06:00:00'] "
                "[NULL NULL '-1' NULL]\n"),
            std::string::npos)
      << double_.log();
}

TEST_F(OracleDbTest, QueryGivesEveryColumnAsTextWithItsName) {
  double_.rows("from T", {"A", "B"}, {{"1", std::nullopt}, {"2", "zwei"}});
  {
    Query q(*db_, "select a, b from T");
    ASSERT_TRUE(q.next()) << q.error();
    EXPECT_EQ(q.columnName(1), "B");
    EXPECT_EQ(q.integer(0), 1);
    EXPECT_TRUE(q.isNull(1));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.text(1), "zwei");
  }  // left before its end: the cursor is cancelled (TearDown)
  double_.fail("from Gone", 942, "ORA-00942: table or view does not exist");
  Query gone(*db_, "select a from Gone");
  EXPECT_FALSE(gone.next());
  EXPECT_NE(gone.error().find("ORA-00942"), std::string::npos);
}

TEST(OracleStatementsTest, SplitAtSemicolonsOutsideQuotesWithoutComments) {
  EXPECT_EQ(splitStatements("create table X (a INTEGER, -- the key; one\n"
                            " b VARCHAR2(5));\n\ninsert into X values (1, 'a;b');\n"),
            (std::vector<std::string>{"create table X (a INTEGER, \n b VARCHAR2(5))",
                                      "insert into X values (1, 'a;b')"}));
}

}  // namespace
}  // namespace ravlen
