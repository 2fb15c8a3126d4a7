// What only the server backend does: a lost connection, texts longer than
// their column, cursors that do not see later writes, and the reasons of a
// failed connect, never with the password.
#include <gtest/gtest.h>

#include <vector>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "tests/support/test_database.h"
#include "tools/ravlen_db/server_db.h"

namespace ravlen {
namespace {

using testing::BackendKind;

class PostgresqlBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string reason;
    db_ = testing::makeTestDatabase(BackendKind::kServer, &reason);
    if (db_ == nullptr) GTEST_SKIP() << reason;
    db_->app("create table Item(id INTEGER primary key, name VARCHAR2(5));"
             "insert into Item values(1,'eins'),(2,'zwei');");
    ASSERT_EQ(sqlConnect("ravlen", "", db_->service(), "KORV"), 0)
        << session().lastError();
  }
  void TearDown() override { session().disconnect(); }

  std::unique_ptr<testing::TestDatabase> db_;
};

TEST_F(PostgresqlBackendTest, LostConnectionFailsThisStatementAndEveryLater) {
  static constexpr SqlText kPid = "select pg_backend_pid() into :b0  from dual";
  static constexpr SqlText kCount = "select count(*) into :b0  from Item";
  int32_t pid = 0, count = 0;
  ASSERT_TRUE(session().selectInto(kPid, {}, {hostVar(pid)}).ok())
      << session().lastError();
  db_->app("select pg_terminate_backend(" + std::to_string(pid) + ")");
  EXPECT_EQ(session().selectInto(kCount, {}, {hostVar(count)}).code(), -3113);
  EXPECT_NE(session().lastError().find("ORA-03113"), std::string::npos);
  EXPECT_EQ(session().selectInto(kCount, {}, {hostVar(count)}).code(), -3114);
  EXPECT_EQ(session().commit().code(), -3114);
}

TEST_F(PostgresqlBackendTest, TextLongerThanItsColumnIsRefused) {
  static constexpr SqlText kInsert = "insert into Item (id,name) values (:b0,:b1)";
  int32_t id = 3;
  FixedText<10> name("sechszehn");
  EXPECT_EQ(session().execute(kInsert, {hostVar(id), hostVar(name)}).code(), -12899);
  name = "drei";
  EXPECT_TRUE(session().execute(kInsert, {hostVar(id), hostVar(name)}).ok())
      << "the transaction goes on: " << session().lastError();
}

// Lookups of one text travel as one statement with their values as array
// texts: backslashes, commas, braces and the word NULL reach the server as
// given. (A value that breaks the array text fails the statement, and the
// lookups run one by one; a backslash lost would find another row.)
TEST_F(PostgresqlBackendTest, BlockLookupsTakeEveryValueAsGiven) {
  db_->app("insert into Item values(3,'c\\d'),(4,'cd'),(5,'a\"b'),"
           "(6,'ab'),(7,'{x,}'),(8,'NULL');");
  static constexpr SqlText kByName = "select id into :b0  from Item where name=:b1";
  const char* names[] = {"c\\d", "{x,}", "NULL", "cd"};
  std::vector<FixedText<5>> keys(4);
  std::vector<int32_t> ids(4, 0);
  for (size_t i = 0; i < keys.size(); ++i) {
    keys[i] = names[i];
    session().selectIntoLater(kByName, {hostVar(keys[i])}, {hostVar(ids[i])},
                              nullptr);
  }
  session().flush();
  EXPECT_EQ(ids, (std::vector<int32_t>{3, 7, 8, 4}));
}

TEST_F(PostgresqlBackendTest, CursorDoesNotSeeWritesAfterItsOpen) {
  static constexpr SqlText kCursor = "select id  from Item order by id";
  static constexpr SqlText kInsert = "insert into Item (id,name) values (:b0,'neu')";
  static constexpr SqlText kDelete = "delete  from Item where id=:b0";
  ASSERT_TRUE(session().openCursor(kCursor).ok()) << session().lastError();
  int32_t gone = 2, added = 0, id = 0;
  ASSERT_TRUE(session().execute(kDelete, {hostVar(gone)}).ok());
  ASSERT_TRUE(session().commit().ok());
  std::vector<int32_t> seen;
  while (session().fetch(kCursor, {hostVar(id)}).ok()) {
    seen.push_back(id);
    added = id + 10;
    ASSERT_TRUE(session().execute(kInsert, {hostVar(added)}).ok());
  }
  EXPECT_EQ(seen, (std::vector<int32_t>{1, 2}));
}

TEST_F(PostgresqlBackendTest, FailedConnectSaysWhyWithoutThePassword) {
  testing::TestServer server;
  std::string reason;
  ASSERT_TRUE(testing::findTestServer(&server, &reason)) << reason;
  const std::string password = "Falsch-geheim-42";
  EXPECT_LT(sqlConnect("ravlen_pw", password, db_->service(), "KORV"), 0);
  std::string message = session().lastError();
  EXPECT_NE(message.find("password authentication failed"), std::string::npos)
      << message;
  EXPECT_EQ(message.find(password), std::string::npos) << message;

  testing::TestServer nowhere = server;
  nowhere.port = "1";
  EXPECT_LT(sqlConnect("ravlen", "", nowhere.uri("ravlen_base"), "KORV"), 0);
  EXPECT_NE(session().lastError().find(".s.PGSQL.1"), std::string::npos)
      << session().lastError();

  EXPECT_EQ(sqlConnect("ravlen_pw", "Pw-ravlen-test", db_->service(), "KORV"), 0)
      << "the right password: " << session().lastError();
}

}  // namespace
}  // namespace ravlen
