// What an operator's terminal, log file or pipe gets while a run goes on:
// the progress line on a terminal only, erased before every log line, and
// "/D" messages that reach a pipe as they happen.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sqlite3.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include "run/console_texts.h"
#include "tests/support/child_process.h"
#include "tests/support/warehouse_fixture.h"

namespace ravlen {
namespace {

using Clock = std::chrono::steady_clock;
using testing::jd;

// Reads `fd` until `needle` has arrived, the writers are gone or `limit`
// has passed.
std::string readUntil(int fd, const std::string& needle,
                      std::chrono::seconds limit) {
  std::string text;
  auto deadline = Clock::now() + limit;
  while (needle.empty() || text.find(needle) == std::string::npos) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - Clock::now());
    pollfd p{fd, POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0)
      break;
    char buffer[4096];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) break;  // end of the pipe; EIO once a terminal's child is gone
    text.append(buffer, static_cast<size_t>(n));
  }
  return text;
}

// What a terminal shows of `bytes`: a carriage return goes back to the
// start of the line, where later text overwrites what stands there; a line
// feed ends the line. Blanks at a line's end are dropped.
std::vector<std::string> screenLines(const std::string& bytes) {
  std::vector<std::string> lines(1);
  size_t column = 0;
  for (char c : bytes) {
    std::string& line = lines.back();
    if (c == '\r') {
      column = 0;
    } else if (c == '\n') {
      lines.emplace_back();
      column = 0;
    } else {
      if (column < line.size()) line[column] = c; else line += c;
      ++column;
    }
  }
  for (std::string& line : lines) line.erase(line.find_last_not_of(' ') + 1);
  if (lines.back().empty()) lines.pop_back();
  return lines;
}

// The lines of a log with the measured seconds masked.
std::vector<std::string> withoutTimes(std::vector<std::string> lines) {
  static const std::regex seconds("[0-9]+\\.[0-9]+ s");
  for (std::string& line : lines) line = std::regex_replace(line, seconds, "# s");
  return lines;
}

class TerminalOutputTest : public testing::WarehouseTest {
 protected:
  void addDailyBalance() {
    app("insert into Zev320Tgb (TgbPnr,TgbZtr,TgbDtm,TgbSa1) values "
        "('1001',1," + jd("20240305") + ",5);");
  }
  std::vector<std::string> args(std::vector<std::string> more) {
    more.insert(more.begin(), ini_);
    return more;
  }
};

TEST_F(TerminalOutputTest, ProgressLineOnlyOnATerminalAndErasedBeforeTheLog) {
  addDailyBalance();
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  termios raw;
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);  // bytes as written, no line-end translation
  tcsetattr(slave, TCSANOW, &raw);
  fcntl(master, F_SETFD, FD_CLOEXEC);
  testing::ChildOptions onTerminal;
  onTerminal.errFd = slave;
  testing::ChildProcess child;
  ASSERT_TRUE(child.start(testing::programPath("ravlen"),
                          args({"20240301", "20240331"}), onTerminal));
  close(slave);
  std::string terminal = readUntil(master, "", std::chrono::seconds(120));
  close(master);
  testing::ChildResult r = child.wait(std::chrono::seconds(60));
  ASSERT_EQ(r.exitStatus, 0) << terminal;
  EXPECT_EQ(r.out, "Ravlen: Fertig.\n");
  EXPECT_NE(terminal.find("\rRavlen: Tagessalden: 1 Zeilen gelesen"),
            std::string::npos)
      << terminal;

  testing::ProgramResult logged = ravlen({"20240301", "20240331"});
  ASSERT_EQ(logged.exitStatus, 0);
  EXPECT_EQ(logged.err.find('\r'), std::string::npos) << logged.err;
  // Once the progress is erased, the terminal shows exactly the log.
  EXPECT_EQ(withoutTimes(screenLines(terminal)),
            withoutTimes(screenLines(logged.err)));
}

// Holds the write lock of an SQLite file, so that a run that wants to
// write there waits.
class WriteLock {
 public:
  explicit WriteLock(const std::string& file) {
    sqlite3_open(file.c_str(), &db_);
    locked_ = sqlite3_exec(db_, "begin immediate", nullptr, nullptr,
                           nullptr) == SQLITE_OK;
  }
  ~WriteLock() { release(); }
  bool locked() const { return locked_; }
  void release() {
    if (db_ != nullptr) sqlite3_close(db_);  // rolls the transaction back
    db_ = nullptr;
  }

 private:
  sqlite3* db_ = nullptr;
  bool locked_ = false;
};

TEST_F(TerminalOutputTest, DebugMessagesReachAPipeWhileTheRunGoesOn) {
  WriteLock lock(appFile());
  ASSERT_TRUE(lock.locked());
  int ends[2];
  ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
  testing::ChildOptions toPipe;
  toPipe.outFd = ends[1];
  testing::ChildProcess child;
  ASSERT_TRUE(child.start(testing::programPath("ravlen"),
                          args({"20240301", "20240331", "/D"}), toPipe));
  close(ends[1]);
  // The booking stage waits for the lock, after its message.
  const std::string beforeBookings =
      std::string(kBanner) + "Tabelle Zev899Bch bearbeiten...\n";
  std::string early =
      readUntil(ends[0], beforeBookings, std::chrono::seconds(30));
  testing::ChildResult r;
  EXPECT_FALSE(child.ended(&r)) << "the run is to wait for the lock";
  EXPECT_EQ(early, beforeBookings);
  lock.release();
  std::string all = early + readUntil(ends[0], "", std::chrono::seconds(60));
  close(ends[0]);
  r = child.wait(std::chrono::seconds(60));
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(all, kBanner + testing::standardRunDebugOutput());
}

}  // namespace
}  // namespace ravlen
