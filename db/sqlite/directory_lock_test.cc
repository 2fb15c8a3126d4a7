// The lock that keeps a second session off an embedded database while the
// first one lives, on its own and as the backend uses it.
#include "db/sqlite/directory_lock.h"

#include <gtest/gtest.h>

#include <thread>

#include "db/sqlite/sqlite_backend.h"
#include "tests/support/embedded_db.h"

namespace ravlen {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Outcome = DirectoryLock::Outcome;

TEST(DirectoryLockTest, SecondHolderWaitsForTheFirst) {
  testing::TempDir dir;
  DirectoryLock first, second;
  ASSERT_EQ(first.acquire(dir.path(), 0ms), Outcome::kAcquired);

  Clock::time_point start = Clock::now();
  EXPECT_EQ(second.acquire(dir.path(), 150ms), Outcome::kBusy);
  EXPECT_GE(Clock::now() - start, 150ms) << "waited the whole limit";
  EXPECT_FALSE(second.held());

  // Released during the wait: the waiter gets it then, not at its limit.
  std::thread releaser([&first] {
    std::this_thread::sleep_for(200ms);
    first.release();
  });
  start = Clock::now();
  EXPECT_EQ(second.acquire(dir.path(), 30s), Outcome::kAcquired);
  EXPECT_LT(Clock::now() - start, 10s);
  releaser.join();
  EXPECT_TRUE(second.held());

  EXPECT_EQ(DirectoryLock().acquire(dir.file("missing"), 0ms),
            Outcome::kUnavailable);
}

// A session that does not get the lock within its wait does not open: it
// says why and cannot write anything. Once the first has ended, a new one
// opens.
TEST(DirectoryLockTest, SessionWithoutTheLockDoesNotOpen) {
  testing::TempDir dir;
  testing::execSql(dir.file("KORV.db"), "create table Item(id INTEGER);");
  SqlStatus status;
  std::string message;
  std::unique_ptr<SqliteBackend> holder =
      SqliteBackend::open(dir.path(), &status, &message);
  ASSERT_NE(holder, nullptr) << message;
  EXPECT_EQ(SqliteBackend::open(dir.path(), &status, &message, 50ms), nullptr);
  EXPECT_EQ(status, sqlstatus::kResourceBusy);
  EXPECT_NE(message.find("anderen Sitzung"), std::string::npos) << message;

  holder.reset();
  EXPECT_NE(SqliteBackend::open(dir.path(), &status, &message, 50ms), nullptr)
      << message;
}

// Another writer on a schema file (the sqlite3 shell in "begin immediate",
// say) is waited for, also by a write that comes under an open cursor in a
// new transaction, where SQLite itself would fail the write at once.
TEST(DirectoryLockTest, WriteUnderACursorWaitsForAnotherWriter) {
  testing::TempDir dir;
  testing::execSql(dir.file("KORV.db"),
                   "create table Item(id INTEGER); insert into Item values(1);");
  SqlStatus status;
  std::string message;
  std::unique_ptr<SqliteBackend> session =
      SqliteBackend::open(dir.path(), &status, &message);
  ASSERT_NE(session, nullptr) << message;
  ASSERT_TRUE(
      session->executeImmediate("alter session set current_schema=korv").ok());
  ASSERT_TRUE(session->commit().ok());

  testing::SqliteConnection other(dir.file("KORV.db"));
  other.exec("begin immediate; insert into Item values(2);");
  std::thread writer([&other] {
    std::this_thread::sleep_for(300ms);
    other.exec("commit;");
  });
  static constexpr SqlText kItems = "select id  from Item order by id";
  static constexpr SqlText kInsert = "insert into Item values (3)";
  int32_t id = 0;
  EXPECT_TRUE(session->openCursor(kItems, {}).ok()) << session->lastError();
  EXPECT_TRUE(session->fetch(kItems, {hostVar(id)}).ok());
  EXPECT_TRUE(session->execute(kInsert, {}).ok()) << session->lastError();
  EXPECT_TRUE(session->closeCursor(kItems).ok());
  EXPECT_TRUE(session->commit().ok());
  writer.join();
  EXPECT_EQ(testing::queryText(dir.file("KORV.db"),
                               "select group_concat(id) from Item"),
            "1,2,3");
}

}  // namespace
}  // namespace ravlen
