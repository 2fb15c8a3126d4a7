// The same source rows on the embedded database and on a PostgreSQL server
// (or an Oracle server) give the same warehouse: the demo data of ravlen-db
// loaded into both, a standard run and a named-evaluation run on each, then
// every warehouse table compared row by row (the write timestamps aside).
//
// ZkbNum numbers the time-account bookings of a daily balance in the order
// in which a cursor without "order by" delivers them, which is the
// database's choice: it is compared as what the statements define, the
// numbers given out within each period code and day (evaluation) whatever
// row each went to.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/demo_warehouse.h"

namespace ravlen {
namespace {

using testing::BackendKind;
using testing::DemoWarehouse;
using testing::ProgramResult;

constexpr char kNumbers[] =
    "select ZkbZtr, ZkbDtm, ZkbNum, count(*) from Zev899Zkb group by ZkbZtr, "
    "ZkbDtm, ZkbNum";
constexpr char kEvaluationNumbers[] =
    "select TgbDwh, ZkbDtm, ZkbNum, count(*) from Zev898Zkb group by TgbDwh, "
    "ZkbDtm, ZkbNum";

// The first row in which two sorted row lists differ, "" when none.
std::string firstDifference(const std::vector<std::string>& a,
                            const std::vector<std::string>& b) {
  for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    std::string x = i < a.size() ? a[i] : "(none)", y = i < b.size() ? b[i] : "(none)";
    if (x != y) return "row " + std::to_string(i) + ":\n  " + x + "\n  " + y;
  }
  return "";
}

// What "ravlen-db stats" prints, with the heading's `where` taken out.
std::string stats(DemoWarehouse& w, const std::string& where) {
  testing::ProgramResult r =
      testing::runProgram(testing::programPath("ravlen-db"), {"stats", w.toolTarget()});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  for (size_t at; (at = r.out.find(where)) != std::string::npos;)
    r.out.erase(at, where.size());
  return r.out;
}

// The round trips per row read of the daily-balance stage, from the
// summary of a run with RAVLEN_RUNDREISEN set; -1 when it has none.
double dailyBalanceTripsPerRow(const std::string& err) {
  constexpr char kLine[] = "Ravlen: Stufe Tagessalden: ";
  for (size_t at = 0; (at = err.find(kLine, at)) != std::string::npos; ++at) {
    unsigned long long trips = 0;
    double perRow = -1;
    if (std::sscanf(err.c_str() + at + sizeof kLine - 1,
                    "%llu Rundreisen, %lf je gelesene Zeile", &trips,
                    &perRow) == 2)
      return trips > 0 ? perRow : 0;
  }
  return -1;
}

// Both runs; the standard run counts its round trips, which on a server
// come in blocks of rows, not several per row.
void runBoth(DemoWarehouse& w, bool server) {
  setenv("RAVLEN_RUNDREISEN", "1", 1);
  ProgramResult standard = w.ravlen({"20250101", "20250630"});
  unsetenv("RAVLEN_RUNDREISEN");
  ASSERT_EQ(standard.exitStatus, 0) << standard.out << standard.err;
  EXPECT_NE(standard.err.find(" 0 Fehler"), std::string::npos) << standard.err;
  double perRow = dailyBalanceTripsPerRow(standard.err);
  if (server) {
    EXPECT_GT(perRow, 0) << standard.err;
    EXPECT_LE(perRow, 0.5) << standard.err;
  } else {
    EXPECT_EQ(perRow, 0) << standard.err;
  }
  ProgramResult named = w.ravlen({"20250201", "20250430", "VERGLEICH"});
  ASSERT_EQ(named.exitStatus, 0) << named.out << named.err;
}

// The warehouse of a server backend (`kind`, its stats heading naming the
// schema as `where`) against the embedded database's.
void expectSameWarehouseAsEmbedded(BackendKind kind, const std::string& where) {
  DemoWarehouse embedded, server;
  std::string skip;
  std::string error = server.prepare(kind, 4, "20250101", "20250630", &skip);
  if (!skip.empty()) GTEST_SKIP() << skip;
  ASSERT_EQ(error, "");
  ASSERT_EQ(embedded.prepare(BackendKind::kEmbedded, 4, "20250101", "20250630"), "");
  for (DemoWarehouse* w : {&embedded, &server}) {
    runBoth(*w, w == &server);
    if (::testing::Test::HasFatalFailure()) return;
  }
  testing::WarehouseRows a = embedded.warehouse({"ZkbNum"});
  testing::WarehouseRows b = server.warehouse({"ZkbNum"});
  for (const std::string& table : testing::warehouseTables()) {
    EXPECT_FALSE(a[table].empty()) << table << ": the run wrote nothing to compare";
    EXPECT_EQ(a[table].size(), b[table].size()) << table;
    EXPECT_EQ(firstDifference(a[table], b[table]), "") << table;
  }
  for (const char* numbers : {kNumbers, kEvaluationNumbers}) {
    EXPECT_EQ(firstDifference(embedded.rows(numbers), server.rows(numbers)), "")
        << numbers;
  }
  EXPECT_EQ(stats(embedded, "(KORV.db)"), stats(server, where))
      << "ravlen-db stats counts the same on both";
}

TEST(PostgresqlWarehouseTest, SameWarehouseAsOnTheEmbeddedDatabase) {
  expectSameWarehouseAsEmbedded(BackendKind::kServer, "(Schema korv)");
}

// On the Oracle server of RAVLEN_TEST_ORACLE; its sysdate is the server's,
// so the personnel assignments of "today" agree when both clocks show the
// same day.
TEST(OracleWarehouseTest, SameWarehouseAsOnTheEmbeddedDatabase) {
  expectSameWarehouseAsEmbedded(BackendKind::kOracle, "(Schema KORV)");
}

}  // namespace
}  // namespace ravlen
