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

// A session that did not get the lock reads, but every write fails at once
// with "database is locked", so it cannot leave half of anything behind.
TEST(DirectoryLockTest, SessionWithoutTheLockWritesNothing) {
  testing::TempDir dir;
  testing::execSql(
      dir.file("KORV.db"),
      "create table Item(id INTEGER); insert into Item values(1);");
  SqlStatus status;
  std::string message;
  std::unique_ptr<SqliteBackend> holder =
      SqliteBackend::open(dir.path(), &status, &message);
  ASSERT_NE(holder, nullptr) << message;
  std::unique_ptr<SqliteBackend> late =
      SqliteBackend::open(dir.path(), &status, &message, 50ms);
  ASSERT_NE(late, nullptr) << message;
  ASSERT_TRUE(
      late->executeImmediate("alter session set current_schema=korv").ok());

  static constexpr SqlText kCount = "select count(*) into :b0:b1  from Item";
  int32_t count = 0;
  EXPECT_TRUE(late->selectInto(kCount, {}, {hostVar(count)}).ok())
      << late->lastError();
  EXPECT_EQ(count, 1);

  static constexpr SqlText kInsert = "insert into Item values (2)";
  status = late->execute(kInsert, {});
  EXPECT_EQ(status.code(), sqlstatus::kEmbeddedBase - 5);
  EXPECT_NE(late->lastError().find("database is locked"), std::string::npos);
  EXPECT_TRUE(late->commit().ok());
  EXPECT_EQ(
      testing::queryText(dir.file("KORV.db"), "select count(*) from Item"),
      "1");

  // Once the first session has ended, a new one writes.
  holder.reset();
  late.reset();
  std::unique_ptr<SqliteBackend> next =
      SqliteBackend::open(dir.path(), &status, &message, 50ms);
  ASSERT_NE(next, nullptr) << message;
  ASSERT_TRUE(
      next->executeImmediate("alter session set current_schema=korv").ok());
  EXPECT_TRUE(next->execute(kInsert, {}).ok()) << next->lastError();
  EXPECT_TRUE(next->commit().ok());
  EXPECT_EQ(
      testing::queryText(dir.file("KORV.db"), "select count(*) from Item"),
      "2");
}

}  // namespace
}  // namespace ravlen
