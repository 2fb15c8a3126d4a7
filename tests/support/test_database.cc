#include "tests/support/test_database.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>

#include "tests/support/embedded_db.h"
#include "tests/support/run_program.h"
#include "db/oracle/oci_library.h"
#include "tools/ravlen_db/oracle_commands.h"
#include "tools/ravlen_db/oracle_db.h"
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

class OracleTestDatabase : public TestDatabase {
 public:
  explicit OracleTestDatabase(TestOracle server) : server_(std::move(server)) {}
  ~OracleTestDatabase() override {
    for (const std::string& user : users_) dropTestUser(admin_, user);
  }

  std::string create() {
    std::string error = admin_.open(server_.service, server_.credentials());
    for (const char* user : {"KALDERON", "KORV"}) {
      if (error.empty()) error = makeUser(user);
    }
    return error;
  }

  std::string service() const override { return server_.service; }
  std::string login() const override { return server_.login; }
  std::string password() const override { return server_.password; }
  void sys(const std::string& sql) override {
    run("KALDERON", sql);
    EXPECT_EQ(createPublicSynonyms(admin_, sql), "") << sql;
  }
  void app(const std::string& sql) override { run("KORV", sql); }
  std::string value(const std::string& sql) override {
    EXPECT_EQ(admin_.exec("alter session set current_schema=KORV"), "");
    Query q(admin_, sql);
    std::string first = q.next() ? q.text(0) : "";
    EXPECT_EQ(q.error(), "") << sql;
    return first;
  }
  std::string date(std::string_view day, std::string_view hhmmss) const override {
    return "to_date('" + std::string(day) + std::string(hhmmss) +
           "','yyyymmddhh24miss')";
  }
  void inSchema(const std::string& name, const std::string& sql) override {
    if (std::find(users_.begin(), users_.end(), name) == users_.end()) {
      EXPECT_EQ(makeUser(name), "") << name;
    }
    run(name, sql);
  }

 private:
  std::string makeUser(const std::string& name) {
    std::string error = makeTestUser(admin_, name);
    if (error.empty()) users_.push_back(name);
    return error;
  }
  void run(const std::string& schema, const std::string& sql) {
    EXPECT_EQ(admin_.exec("alter session set current_schema=" + schema + ";" +
                          oracleDdl(sql)),
              "")
        << sql;
  }

  TestOracle server_;
  OracleDb admin_;
  std::vector<std::string> users_;
};

}  // namespace

namespace {

constexpr char kTestMark[] = "RAVLEN_TEST_MARK";

// The first column of the first row of `sql` ("" for none), or the error.
std::string firstValue(OracleDb& db, const std::string& sql, std::string* error) {
  Query q(db, sql);
  std::string value = q.next() ? q.text(0) : "";
  *error = q.error();
  return value;
}

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
  switch (kind) {
    case BackendKind::kEmbedded: return "Sqlite";
    case BackendKind::kServer: return "Postgresql";
    case BackendKind::kOracle: return "Oracle";
  }
  return "";
}

bool findTestOracle(TestOracle* server, std::string* reason) {
  const char* text = std::getenv("RAVLEN_TEST_ORACLE");
  if (text == nullptr || *text == '\0') {
    *reason = "no Oracle server: RAVLEN_TEST_ORACLE is not set (a connect text "
              "LOGIN/PASSWORD@NET8 of an account that may create users, on a "
              "database for tests)";
    return false;
  }
  std::string connect = text;
  size_t at = connect.rfind('@'), slash = connect.find('/');
  if (at == std::string::npos || slash == std::string::npos || slash > at) {
    *reason = "RAVLEN_TEST_ORACLE is no connect text LOGIN/PASSWORD@NET8";
    return false;
  }
  server->login = connect.substr(0, slash);
  server->password = connect.substr(slash + 1, at - slash - 1);
  server->service = connect.substr(at + 1);
  std::string error;
  if (findOciLibrary(&error) == nullptr) {
    *reason = "no Oracle client library: " + error;
    return false;
  }
  return true;
}

std::string dropTestUser(OracleDb& admin, const std::string& name) {
  std::string error;
  std::string users = firstValue(
      admin, "select count(*) from all_users where username='" + name + "'", &error);
  if (!error.empty() || users == "0") return error;
  std::string marks = firstValue(admin,
                                 "select count(*) from all_tables where owner='" + name +
                                     "' and table_name='" + kTestMark + "'",
                                 &error);
  if (!error.empty()) return error;
  if (marks == "0")
    return "the Oracle user " + name + " exists and lacks " + kTestMark +
           ": the tests did not make it and leave it alone (give them a "
           "database of their own)";
  return admin.exec("drop user " + name + " cascade");
}

std::string markTestUser(OracleDb& admin, const std::string& name) {
  return admin.exec("create table " + name + "." + kTestMark + " (x integer)");
}

std::string makeTestUser(OracleDb& admin, const std::string& name) {
  std::string error = dropTestUser(admin, name);
  if (error.empty())
    error = admin.exec("create user " + name + " no authentication; grant "
                       "unlimited tablespace to " + name);
  return error.empty() ? markTestUser(admin, name) : error;
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
  if (kind == BackendKind::kOracle) {
    TestOracle oracle;
    if (!findTestOracle(&oracle, reason)) return nullptr;
    auto db = std::make_unique<OracleTestDatabase>(oracle);
    std::string error = db->create();
    EXPECT_EQ(error, "") << "Oracle test schemas";
    if (!error.empty()) *reason = "Oracle test schemas not made: " + error;
    return error.empty() ? std::move(db) : nullptr;
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
