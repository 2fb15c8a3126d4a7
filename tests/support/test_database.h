// Test support: a fresh database on any backend, for tests that must hold
// on each (the backend conformance suite, the warehouse comparison).
//
// The embedded one is a temporary directory. The server one is a database
// of its own on the test server that ctest starts (scripts/pg_cluster.sh,
// named by the file in the environment variable RAVLEN_TEST_PG), made from
// the template ravlen_base (orafce created) and dropped after the test.
// Without a test server the server backend is not available, and the
// reason says why: the test is then skipped, never passed.
//
// The Oracle one is on the server that RAVLEN_TEST_ORACLE names with a
// connect text LOGIN/PASSWORD@NET8, through the client library: an account
// that may create and drop users, on a database for tests. Its schemas are
// Oracle users made anew for each test (KALDERON, KORV, those of
// inSchema), each with the mark table RAVLEN_TEST_MARK; a user of that name
// that lacks the mark was not made by the tests and is never dropped: the
// test fails and says so. Without the variable or the client library the
// Oracle backend is not available, and the test is skipped with the
// reason.
//
// Both start with the schemas KalDeron and Korv, empty. SQL given to sys()
// and app() is written for the embedded database (REAL for a number, REAL
// with a "-- date" comment for a date, VARCHAR2) and converted for the
// server as ravlen-db converts its schema files.
#ifndef RAVLEN_TESTS_SUPPORT_TEST_DATABASE_H_
#define RAVLEN_TESTS_SUPPORT_TEST_DATABASE_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/embedded_db.h"

namespace ravlen {
class OracleDb;
}

namespace ravlen::testing {

enum class BackendKind { kEmbedded, kServer, kOracle };

// "Sqlite", "Postgresql" or "Oracle": test names carry it, and ctest gives
// the tests whose names hold "Postgresql" the test server, and runs those
// on an Oracle server one at a time.
std::string backendName(BackendKind kind);

// Where the test server listens: the socket directory and the port.
struct TestServer {
  std::string host, port;
  std::string uri(const std::string& database) const;
};
// False, with the reason, when there is none.
bool findTestServer(TestServer* server, std::string* reason);

// A test server of the test's own, for what must not touch the shared one
// (stopping the server): started by scripts/pg_cluster.sh, stopped and
// removed when the object goes (and by the script's watchdog should the
// test process end first).
class PrivateServer {
 public:
  PrivateServer();
  ~PrivateServer();
  PrivateServer(const PrivateServer&) = delete;
  PrivateServer& operator=(const PrivateServer&) = delete;

  // Empty when it runs, else what failed.
  const std::string& error() const { return error_; }
  const TestServer& server() const { return server_; }
  // Stops the server at once (a crash, for its clients), keeping the data;
  // starts it again.
  bool halt();
  bool resume();

 private:
  TempDir dir_;
  std::string state_, error_;
  TestServer server_;
};

// A database of its own on a test server, made from the template
// ravlen_base (orafce created, nothing else) and dropped when the object
// goes. uri() is its NET8 value.
class ServerDatabase {
 public:
  explicit ServerDatabase(TestServer server);
  ~ServerDatabase();
  ServerDatabase(const ServerDatabase&) = delete;
  ServerDatabase& operator=(const ServerDatabase&) = delete;

  // The error text, empty when the database was made.
  const std::string& error() const { return error_; }
  std::string uri() const { return server_.uri(name_); }

 private:
  TestServer server_;
  std::string name_, error_;
};

class TestDatabase {
 public:
  virtual ~TestDatabase() = default;
  // The NET8 value of the database, and the login and password for it.
  virtual std::string service() const = 0;
  virtual std::string login() const { return "ravlen"; }
  virtual std::string password() const { return ""; }
  // Runs statements in the system schema, in the application schema.
  virtual void sys(const std::string& sql) = 0;
  virtual void app(const std::string& sql) = 0;
  // The first column of the first row of a query in the application
  // schema ("" for none or NULL).
  virtual std::string value(const std::string& sql) = 0;
  // An operational date yyyymmdd, at `hhmmss`, as an SQL literal.
  virtual std::string date(std::string_view yyyymmdd,
                           std::string_view hhmmss = "000000") const = 0;
  // Runs statements in the schema `name` (upper case), made when missing.
  virtual void inSchema(const std::string& name, const std::string& sql) = 0;
};

// --- Oracle ------------------------------------------------------------
// The server of RAVLEN_TEST_ORACLE; false, with the reason, when there is
// none or no client library loads.
struct TestOracle {
  std::string login, password, service;
  std::string credentials() const { return login + "/" + password; }
};
bool findTestOracle(TestOracle* server, std::string* reason);
// Drops the user `name` when the tests made it; refuses one they did not.
std::string dropTestUser(OracleDb& admin, const std::string& name);
// Makes the user `name` anew (dropTestUser first) with the mark.
std::string makeTestUser(OracleDb& admin, const std::string& name);
// Puts the mark into the existing user `name`.
std::string markTestUser(OracleDb& admin, const std::string& name);
// --- end Oracle --------------------------------------------------------

// Null when the backend is not available, with *reason.
std::unique_ptr<TestDatabase> makeTestDatabase(BackendKind kind,
                                               std::string* reason);

}  // namespace ravlen::testing

#endif  // RAVLEN_TESTS_SUPPORT_TEST_DATABASE_H_
