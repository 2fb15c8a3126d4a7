// How the embedded database passes input texts to a statement: a statement
// that runs to its end within the call reads the host variables in place, a
// cursor keeps the texts of its open, and a select-into whose output shares
// memory with an input still sees the input as it was.
#include <gtest/gtest.h>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "tests/support/embedded_db.h"

namespace ravlen {
namespace {

using testing::execSql;
using testing::queryRows;
using testing::TempDir;

class TextInputsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    execSql(dir_.file("KALDERON.db"), "create table Unused(x INTEGER);");
    execSql(dir_.file("KORV.db"),
            "create table Item(id INTEGER primary key, name VARCHAR2(20));"
            "insert into Item values(1,'eins'),(2,'zwei');"
            "create table Pair(k VARCHAR2(5), v VARCHAR2(5));"
            "insert into Pair values('a','b');");
    ASSERT_EQ(sqlConnect("u", "p", "sqlite:" + dir_.path(), "korv"), 0)
        << session().lastError();
  }
  void TearDown() override { session().disconnect(); }

  TempDir dir_;
};

TEST_F(TextInputsTest, RepeatedWritesTakeEachCallsValues) {
  static constexpr SqlText kInsert =
      "insert into Item (id,name) values (:b0,:b1)";
  int32_t id = 3;
  FixedText<20> name("lang genug");
  ASSERT_TRUE(session().execute(kInsert, {hostVar(id), hostVar(name)}).ok())
      << session().lastError();
  id = 4;
  name = "ku";
  ASSERT_TRUE(session().execute(kInsert, {hostVar(id), hostVar(name)}).ok());
  id = 5;
  name = "";
  ASSERT_TRUE(session().execute(kInsert, {hostVar(id), hostVar(name)}).ok());
  sqlCommit();
  EXPECT_EQ(queryRows(dir_.file("KORV.db"),
                      "select id, name from Item where id>2 order by id"),
            (std::vector<std::string>{"id=3 name=lang genug", "id=4 name=ku",
                                      "id=5"}));
}

TEST_F(TextInputsTest, CursorKeepsTheTextsOfItsOpen) {
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
TEST_F(TextInputsTest, SelectIntoOutputOverInputStillFindsTheSecondRow) {
  static constexpr SqlText kSelect =
      "select v into :b0:b1  from Item cross join Pair where k=:b2";
  FixedText<5> key("a");
  EXPECT_EQ(session().selectInto(kSelect, {hostVar(key)}, {hostVar(key)}),
            sqlstatus::kTooManyRows);

  FixedText<5> value;
  key = "a";
  static constexpr SqlText kOneRow =
      "select v into :b0:b1  from Item cross join Pair where (k=:b2 and "
      "id=1)";
  ASSERT_TRUE(
      session().selectInto(kOneRow, {hostVar(key)}, {hostVar(value)}).ok())
      << session().lastError();
  EXPECT_EQ(value, "b");
}

}  // namespace
}  // namespace ravlen
