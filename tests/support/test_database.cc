#include "tests/support/test_database.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>

#include "tests/support/embedded_db.h"
#include "tests/support/run_program.h"
#include "tools/ravlen_db/server_db.h"
#include "tools/ravlen_db/server_schema.h"

namespace ravlen::testing {

namespace {

std::string stateValue(const std::string& file, const std::string& key) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  return "";
}

class EmbeddedTestDatabase : public TestDatabase {
 public:
  std::string service() const override { return "sqlite:" + dir_.path(); }
  void sys(const std::string& sql) override {
    execSql(dir_.file("KALDERON.db"), sql);
  }
  void app(const std::string& sql) override { execSql(dir_.file("KORV.db"), sql); }
  std::string value(const std::string& sql) override {
    return queryText(dir_.file("KORV.db"), sql);
  }
  std::string date(std::string_view day, std::string_view hhmmss) const override {
    double seconds = std::stoi(std::string(hhmmss.substr(0, 2))) * 3600 +
                     std::stoi(std::string(hhmmss.substr(2, 2))) * 60 +
                     std::stoi(std::string(hhmmss.substr(4, 2)));
    char text[40];
    std::snprintf(text, sizeof text, "%.10f", julianOf(day) + seconds / 86400);
    return text;
  }
  void inSchema(const std::string& name, const std::string& sql) override {
    execSql(dir_.file(name + ".db"), sql);
  }

  TempDir dir_;
};

class ServerTestDatabase : public TestDatabase {
 public:
  explicit ServerTestDatabase(TestServer server) : database_(server) {}
  ~ServerTestDatabase() override {
    sys_.reset();  // the database can go once nobody uses it
    app_.reset();
  }

  std::string create() {
    std::string error = database_.error();
    if (error.empty()) error = sys_->open(database_.uri(), "ravlen");
    if (error.empty())
      error = sys_->exec("create schema kalderon; create schema korv; "
                        "set search_path = kalderon, pg_catalog, oracle, public");
    if (error.empty())
      error = app_->open(database_.uri(), "ravlen",
                        "korv, kalderon, pg_catalog, oracle, public");
    return error;
  }

  std::string service() const override { return database_.uri(); }
  void sys(const std::string& sql) override { run(*sys_, sql); }
  void app(const std::string& sql) override { run(*app_, sql); }
  std::string value(const std::string& sql) override {
    std::vector<TextRow> rows;
    EXPECT_EQ(app_->query(sql, &rows), "") << sql;
    return rows.empty() || rows[0].empty() ? "" : rows[0][0];
  }
  std::string date(std::string_view day, std::string_view hhmmss) const override {
    return "timestamp '" + std::string(day) + " " + std::string(hhmmss) + "'";
  }
  void inSchema(const std::string& name, const std::string& sql) override {
    run(*sys_, "create schema if not exists " + name + "; set search_path = " +
                   name + "; " + sql +
                   "; set search_path = kalderon, pg_catalog, oracle, public");
  }

 private:
  static void run(ServerDb& db, const std::string& sql) {
    EXPECT_EQ(db.exec(postgresqlDdl(sql)), "") << sql;
  }

  ServerDatabase database_;
  std::unique_ptr<ServerDb> sys_ = std::make_unique<ServerDb>();
  std::unique_ptr<ServerDb> app_ = std::make_unique<ServerDb>();
};

}  // namespace

namespace {

std::string clusterScript() {
  return std::string(RAVLEN_SOURCE_DIR) + "/scripts/pg_cluster.sh";
}

}  // namespace

PrivateServer::PrivateServer() {
  state_ = dir_.file("state");
  ProgramResult r = runProgram(clusterScript(), {"start", state_}, 180);
  error_ = r.exitStatus == 0 ? "" : "pg_cluster.sh start: " + r.err;
  server_.host = stateValue(state_, "host");
  server_.port = stateValue(state_, "port");
}

PrivateServer::~PrivateServer() {
  runProgram(clusterScript(), {"stop", state_}, 180);
}

bool PrivateServer::halt() {
  return runProgram(clusterScript(), {"halt", state_}, 120).exitStatus == 0;
}

bool PrivateServer::resume() {
  return runProgram(clusterScript(), {"resume", state_}, 120).exitStatus == 0;
}

ServerDatabase::ServerDatabase(TestServer server) : server_(std::move(server)) {
  static std::atomic<int> counter{0};
  name_ = "t" + std::to_string(getpid()) + "_" + std::to_string(++counter);
  ServerDb admin;
  error_ = admin.open(server_.uri("postgres"), "ravlen");
  if (error_.empty())
    error_ = admin.exec("create database " + name_ + " template ravlen_base");
}

ServerDatabase::~ServerDatabase() {
  ServerDb admin;
  if (admin.open(server_.uri("postgres"), "ravlen").empty())
    admin.exec("drop database if exists " + name_ + " with (force)");
}

std::string backendName(BackendKind kind) {
  return kind == BackendKind::kEmbedded ? "Sqlite" : "Postgresql";
}

std::string TestServer::uri(const std::string& database) const {
  return "postgresql:///" + database + "?host=" + host + "&port=" + port;
}

bool findTestServer(TestServer* server, std::string* reason) {
  const char* state = std::getenv("RAVLEN_TEST_PG");
  if (state == nullptr || *state == '\0') {
    *reason = "no test server: RAVLEN_TEST_PG is not set (ctest starts one "
              "with scripts/pg_cluster.sh and sets it)";
    return false;
  }
  server->host = stateValue(state, "host");
  server->port = stateValue(state, "port");
  if (server->host.empty() || server->port.empty()) {
    *reason = std::string("no test server: ") + state +
              " names none (did the test pg_cluster_start fail?)";
    return false;
  }
  return true;
}

std::unique_ptr<TestDatabase> makeTestDatabase(BackendKind kind,
                                               std::string* reason) {
  if (kind == BackendKind::kEmbedded) {
    auto db = std::make_unique<EmbeddedTestDatabase>();
    db->sys("create table Unused(x INTEGER);");
    db->app("create table Unused(x INTEGER);");
    return db;
  }
  TestServer server;
  if (!findTestServer(&server, reason)) return nullptr;
  auto db = std::make_unique<ServerTestDatabase>(server);
  std::string error = db->create();
  EXPECT_EQ(error, "") << "test database";
  if (!error.empty()) {
    *reason = "test database not made: " + error;
    return nullptr;
  }
  return db;
}

}  // namespace ravlen::testing
