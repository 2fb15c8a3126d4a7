// Every statement of the program is served by an index on a database
// prepared the way the embedded database's contract invites: the plain
// schema files loaded with the sqlite3 shell, the rows written with plain
// SQL, no dialect function and no expression index anywhere. A full scan of
// a table would make a run's time grow with the table, once per row or per
// day.
//
// The statements planned are the program's own constants, not copies: a
// standard run and a named-evaluation run go through the session with
// statement recording on, over data that makes every statement run (the
// add-ons of the statistics writers and the clear-down of the periods that
// begin before the window too). The test counts the statement constants in
// the sources of sql/ and fails when one of them did not run.
//
// The same holds on a PostgreSQL server prepared by ravlen-db init: each
// statement, translated as the server backend sends it, is planned as a
// generic plan (good for any value) with sequential scans disabled, so
// that a scan shows only where no index can serve the statement at all,
// whatever the size of the data; a full scan of an index counts as a scan.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "db/postgresql/pg_inputs.h"
#include "db/postgresql/pg_translate.h"
#include "db/session.h"
#include "db/sqlite/dialect.h"
#include "tests/support/child_process.h"
#include "tests/support/embedded_db.h"
#include "tests/support/plan_fixture.h"
#include "tests/support/query_plan.h"
#include "tests/support/test_database.h"
#include "tests/support/warehouse_fixture.h"
#include "tools/ravlen_db/server_commands.h"

namespace ravlen {
namespace {

namespace fs = std::filesystem;
using testing::execSql;
using testing::jd;

void loadWithShell(const std::string& dbFile, const std::string& schemaFile) {
  const std::string path =
      (fs::path(RAVLEN_SOURCE_DIR) / "schema" / schemaFile).string();
  testing::ChildResult r = testing::runChild(
      "/usr/bin/sqlite3", {dbFile, ".read '" + path + "'"},
      std::chrono::seconds(60));
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.err, "");
}

class StatementPlanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    loadWithShell(sys(), "kalderon.sql");
    loadWithShell(app(), "application.sql");
    testing::fillCalendar(sys(), "20230101", "20251231");
    execSql(sys(), testing::planSystemRows());
    execSql(app(), testing::planApplicationRows(
                       [](const std::string& day) { return jd(day); }));
  }
  void TearDown() override { session().disconnect(); }

  std::string sys() const { return dir_.file("KALDERON.db"); }
  std::string app() const { return dir_.file("KORV.db"); }

  testing::TempDir dir_;
};

TEST_F(StatementPlanTest, NoStatementOfARunScansATable) {
  testing::runEveryStatement("sqlite:" + dir_.path());
  if (HasFatalFailure()) return;
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(app().c_str(), &db), SQLITE_OK);
  ASSERT_EQ(registerDialect(db), SQLITE_OK);
  // The session's layout: KALDERON.db attached, and the one-row view dual.
  ASSERT_EQ(sqlite3_exec(db,
                         ("attach '" + sys() + "' as KalDeron;"
                          "create temp view dual as select 'X' as dummy;")
                             .c_str(),
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  size_t planned = 0;
  for (const Session::RecordedStatement& recorded :
       session().recordedStatements()) {
    std::string_view statement = recorded.text;
    ++planned;
    SCOPED_TRACE(std::string(statement));
    for (const std::string& line :
         testing::queryPlan(db, std::string(statement), "KORV")) {
      EXPECT_EQ(line.rfind("error: ", 0), std::string::npos) << line;
      EXPECT_FALSE(testing::isFullScan(line)) << line;
    }
  }
  sqlite3_close(db);
  EXPECT_EQ(planned, testing::statementConstants())
      << "a statement of sql/ did not run: give the fixture what it needs";
}

// The nodes of a server plan (EXPLAIN in JSON) that read a whole table or
// index: a sequential scan, and an index scan without an index condition.
void collectScans(const nlohmann::json& node, std::vector<std::string>* scans) {
  const std::string type = node.value("Node Type", "");
  bool indexScan = type == "Index Scan" || type == "Index Only Scan" ||
                   type == "Bitmap Index Scan";
  if (type == "Seq Scan" || (indexScan && !node.contains("Index Cond")))
    scans->push_back(type + " " + node.value("Relation Name", "") + " " +
                     node.value("Index Name", ""));
  for (const nlohmann::json& child :
       node.value("Plans", nlohmann::json::array()))
    collectScans(child, scans);
}

std::string typeName(Oid type) {
  switch (type) {
    case kInt4Oid: return "int4";
    case kFloat8Oid: return "float8";
    case kTimestampOid: return "timestamp";
  }
  return "text";
}

// The scans of the generic plan of statement `s`, prepared as `name` with
// the parameter types the backend gives it; "error: ..." when the server
// cannot plan it.
std::vector<std::string> serverScans(ServerDb& db, const std::string& name,
                                     const Session::RecordedStatement& s) {
  PgTranslation tr = translateForPostgresql(s.text);
  std::string types, nulls;
  for (int i = 0; i < tr.parameterCount(); ++i) {
    size_t at = static_cast<size_t>(i);
    types += (i ? "," : "(") +
             typeName(at < s.inputs.size() ? parameterType(s.inputs[at])
                                           : kTimestampOid);
    nulls += (i ? "," : "(") + std::string("NULL");
  }
  if (!types.empty()) types += ")", nulls += ")";
  std::vector<TextRow> rows;
  std::string error =
      db.exec("prepare " + name + types + " as " + tr.sql);
  if (error.empty())
    error = db.query("explain (format json) execute " + name + nulls, &rows);
  if (!error.empty()) return {"error: " + error};
  std::vector<std::string> scans;
  for (const nlohmann::json& plan : nlohmann::json::parse(rows.at(0).at(0)))
    collectScans(plan.at("Plan"), &scans);
  return scans;
}

TEST(PostgresqlStatementPlanTest, NoStatementOfARunScansATable) {
  testing::TestServer server;
  std::string reason;
  if (!testing::findTestServer(&server, &reason)) GTEST_SKIP() << reason;
  testing::ServerDatabase database(server);
  ASSERT_EQ(database.error(), "");
  setenv("PGUSER", "ravlen", 1);  // for the tools' own connections
  ASSERT_EQ(initServer(database.uri(), "KORV"), "");
  int64_t days = 0;
  ASSERT_EQ(calendarServer(database.uri(), testing::julianOf("20230101"),
                           testing::julianOf("20251231"), &days),
            "");
  ServerDb sys, app;
  ASSERT_EQ(openServerSchema(sys, database.uri(), ""), "");
  ASSERT_EQ(openServerSchema(app, database.uri(), "KORV"), "");
  ASSERT_EQ(sys.exec(testing::planSystemRows()), "");
  ASSERT_EQ(app.exec(testing::planApplicationRows([](const std::string& d) {
              return "timestamp '" + d + "'";
            })),
            "");
  testing::runEveryStatement(database.uri());
  session().disconnect();
  if (HasFatalFailure()) return;
  ASSERT_EQ(app.exec("set enable_seqscan = off; "
                     "set plan_cache_mode = force_generic_plan"),
            "");
  size_t planned = 0;
  for (const Session::RecordedStatement& s : session().recordedStatements()) {
    SCOPED_TRACE(std::string(s.text));
    EXPECT_EQ(serverScans(app, "p" + std::to_string(++planned), s),
              std::vector<std::string>{});
  }
  EXPECT_EQ(planned, testing::statementConstants())
      << "a statement of sql/ did not run: give the fixture what it needs";
}

}  // namespace
}  // namespace ravlen
