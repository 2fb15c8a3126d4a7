// Faults of a PostgreSQL server under runs of the built program: the
// session terminated or the server stopped in the middle of a run (the run
// reports its failing statements and ends with exit code 1; a rerun over
// the window gives the warehouse of an uninterrupted run), a server that
// cannot be reached, a wrong password, an unknown schema (exit code 99,
// the password nowhere), and two runs on one schema (the second waits for
// the first, and gives up cleanly after its wait).
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "db/postgresql/pg_backend.h"
#include "tests/support/child_process.h"
#include "tests/support/demo_warehouse.h"
#include "tools/ravlen_db/server_db.h"

namespace ravlen {
namespace {

using testing::BackendKind;
using testing::ChildProcess;
using testing::ChildResult;
using testing::DemoWarehouse;
using testing::ProgramResult;
using testing::TestServer;
using Seconds = std::chrono::duration<double>;

constexpr char kFrom[] = "20250101";
constexpr char kTo[] = "20250630";
constexpr char kConnectFailed[] = "Db-Connect fehlgeschlagen \n";
constexpr Seconds kRunLimit{240};

class PostgresqlFaultTest : public ::testing::Test {
 protected:
  // The fault tests' data (4 persons, half a year) in `w`; `server` null:
  // the shared test server.
  std::string prepare(DemoWarehouse& w, const TestServer* server = nullptr,
                      int persons = 4) {
    return w.prepare(BackendKind::kServer, persons, kFrom, kTo, &skip_, server);
  }

  // Starts a standard run over the window on `w` and returns once it has
  // committed its first stage.
  void startRun(ChildProcess& run, DemoWarehouse& w) {
    ASSERT_TRUE(run.start(testing::programPath("ravlen"), {w.ini(), kFrom, kTo}));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (w.value("select count(*) from Zev899Bch") == "0") {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "no stage committed";
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  // The interrupted run failed as it should; a rerun repairs.
  void expectReportedAndRepaired(const ChildResult& r, DemoWarehouse& w,
                                 DemoWarehouse& reference) {
    EXPECT_EQ(r.exitStatus, 1) << r.out << r.err;
    EXPECT_NE(r.err.find("ORA-03113"), std::string::npos) << r.err;
    ProgramResult rerun = w.ravlen({kFrom, kTo});
    ASSERT_EQ(rerun.exitStatus, 0) << rerun.out << rerun.err;
    ProgramResult clean = reference.ravlen({kFrom, kTo});
    ASSERT_EQ(clean.exitStatus, 0) << clean.out << clean.err;
    // ZkbNum follows the fetch order of a cursor without "order by".
    EXPECT_EQ(w.warehouse({"ZkbNum"}), reference.warehouse({"ZkbNum"}));
  }

  std::string skip_;
};

TEST_F(PostgresqlFaultTest, SessionTerminatedMidRun) {
  DemoWarehouse w, reference;
  std::string error = prepare(w);
  if (!skip_.empty()) GTEST_SKIP() << skip_;
  ASSERT_EQ(error, "");
  ASSERT_EQ(prepare(reference), "");
  ChildProcess run;
  startRun(run, w);
  ServerDb admin;
  ASSERT_EQ(admin.open(w.service(), "ravlen"), "");
  std::vector<TextRow> killed;
  ASSERT_EQ(admin.query("select pg_terminate_backend(pid) from pg_stat_activity "
                        "where application_name='ravlen' and datname=current_database()",
                        &killed), "");
  ASSERT_EQ(killed.size(), 1u);
  expectReportedAndRepaired(run.wait(kRunLimit), w, reference);
}

TEST_F(PostgresqlFaultTest, ServerStoppedMidRun) {
  testing::PrivateServer server;
  ASSERT_EQ(server.error(), "");
  DemoWarehouse w, reference;
  ASSERT_EQ(prepare(w, &server.server()), "");
  ASSERT_EQ(prepare(reference, &server.server()), "");
  ChildProcess run;
  startRun(run, w);
  ASSERT_TRUE(server.halt());
  ChildResult r = run.wait(kRunLimit);
  ASSERT_TRUE(server.resume());
  expectReportedAndRepaired(r, w, reference);
}

// Holds the schema lock of the application schema korv, as a run does.
class SchemaLockHolder {
 public:
  explicit SchemaLockHolder(const std::string& service) {
    error_ = db_.open(service, "ravlen");
    if (error_.empty())
      error_ = db_.exec(std::string(kSchemaLockSql).replace(
          std::string(kSchemaLockSql).find("$1"), 2, "'korv'"));
  }
  const std::string& error() const { return error_; }
  void release() { db_.exec("select pg_advisory_unlock_all()"); }

 private:
  ServerDb db_;
  std::string error_;
};

// One person's data on the shared test server, for the faults at connect.
class PostgresqlConnectFaultTest : public PostgresqlFaultTest {
 protected:
  void SetUp() override {
    std::string error = prepare(w_, nullptr, 1);
    if (!skip_.empty()) GTEST_SKIP() << skip_;
    ASSERT_EQ(error, "");
  }

  DemoWarehouse w_;
};

// Exit code 99 with the fixed message, the cause on standard error; the
// password appears nowhere.
TEST_F(PostgresqlConnectFaultTest, FailedConnectsEndWith99) {
  DemoWarehouse& w = w_;
  const std::string password = "Nie-zu-sehen-7";
  std::string unreachable = w.service();
  unreachable.replace(unreachable.rfind("port=") + 5, std::string::npos, "1");
  struct Case { const char* what; std::string service, login, schema; };
  for (const Case& c : {Case{"unreachable", unreachable, "ravlen", "KORV"},
                        Case{"wrong password", w.service(), "ravlen_pw", "KORV"},
                        Case{"unknown schema", w.service(), "ravlen", "NIRGENDS"}}) {
    w.writeSettings(c.service, c.login, password, c.schema);
    ProgramResult r = w.ravlen({kFrom, kTo});
    EXPECT_EQ(r.exitStatus, 99) << c.what << "\n" << r.out << r.err;
    EXPECT_EQ(r.out, kConnectFailed) << c.what;
    EXPECT_NE(r.err.find("Ravlen: Db-Connect fehlgeschlagen: "),
              std::string::npos)
        << c.what << ": the cause on standard error\n" << r.err;
    EXPECT_EQ((r.out + r.err).find(password), std::string::npos) << c.what;
  }
  EXPECT_EQ(w.value("select count(*) from Zev899Bch"), "0");
}

TEST_F(PostgresqlConnectFaultTest, SecondRunWaitsForTheFirst) {
  DemoWarehouse& w = w_;
  SchemaLockHolder first(w.service());
  ASSERT_EQ(first.error(), "");
  ChildProcess second;
  ASSERT_TRUE(second.start(testing::programPath("ravlen"), {w.ini(), kFrom, kTo}));
  std::this_thread::sleep_for(std::chrono::seconds(2));
  ChildResult early;
  EXPECT_FALSE(second.ended(&early)) << "it waits: " << early.out << early.err;
  EXPECT_EQ(w.value("select count(*) from Zev899Bch"), "0");
  first.release();
  ChildResult r = second.wait(kRunLimit);
  EXPECT_EQ(r.exitStatus, 0) << r.out << r.err;
  EXPECT_GE(r.elapsed, Seconds(2));
}

TEST_F(PostgresqlConnectFaultTest, SecondRunGivesUpAfterItsWait) {
  DemoWarehouse& w = w_;
  SchemaLockHolder first(w.service());
  ASSERT_EQ(first.error(), "");
  ChildResult r = testing::runChild(testing::programPath("ravlen"),
                                    {w.ini(), kFrom, kTo}, kRunLimit);
  EXPECT_EQ(r.exitStatus, 99) << r.out << r.err;
  EXPECT_NE(r.out.find(kConnectFailed), std::string::npos) << r.out;
  EXPECT_GE(r.elapsed, Seconds(60));
  EXPECT_LT(r.elapsed, Seconds(90));
  EXPECT_EQ(w.value("select count(*) from Zev899Bch"), "0");
}

}  // namespace
}  // namespace ravlen
