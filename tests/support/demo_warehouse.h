// Test support: the demo data of ravlen-db in a database of either backend,
// a settings file for it, runs of the program over it and the warehouse it
// holds, in one form for both backends.
//
// prepare() makes the database (a temporary directory, a database of its
// own on the test server, or the test users KALDERON and KORV on the
// Oracle server of RAVLEN_TEST_ORACLE), runs "ravlen-db init", "calendar"
// (2024 to 2026) and "demo" with seed 1, and writes the settings file
// (login "ravlen", no password; on Oracle the test account's) through the
// settings writer, so no password is ever on a command line. The same persons and window give the same source
// rows on both backends.
//
// warehouse() reads every warehouse table and Zev800Dwh: per table its
// rows, sorted, each as its values joined by "|" (NULL as "", numbers in
// one form to 12 significant digits, as "12" or "1.5"), without the write
// timestamps (*Dat) and
// without the columns named in `skip` (any case).
#ifndef RAVLEN_TESTS_SUPPORT_DEMO_WAREHOUSE_H_
#define RAVLEN_TESTS_SUPPORT_DEMO_WAREHOUSE_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/embedded_db.h"
#include "tests/support/run_program.h"
#include "tests/support/test_database.h"
#include "tools/ravlen_db/tool_db.h"

namespace ravlen::testing {

using WarehouseRows = std::map<std::string, std::vector<std::string>>;

// The tables warehouse() reads.
const std::vector<std::string>& warehouseTables();

class DemoWarehouse {
 public:
  // Empty on success, else what failed; a missing test server gives
  // *skip the reason and returns it. `server`: a server other than the
  // shared test server.
  std::string prepare(BackendKind kind, int persons, const std::string& from,
                      const std::string& to, std::string* skip = nullptr,
                      const TestServer* server = nullptr);

  ProgramResult ravlen(const std::vector<std::string>& args,
                       int timeoutSeconds = kProgramTimeoutSeconds);
  WarehouseRows warehouse(const std::vector<std::string>& skip = {});
  // The rows of `sql` in the application schema, in warehouse()'s form.
  std::vector<std::string> rows(const std::string& sql);
  // The first column of the first row of `sql` in the application schema.
  std::string value(const std::string& sql);

  const std::string& service() const { return service_; }
  // What ravlen-db takes as DIR: the directory or the server's URI.
  const std::string& toolTarget() const { return target_; }
  const std::string& ini() const { return ini_; }
  // Writes the settings file anew with these credentials.
  void writeSettings(const std::string& service, const std::string& login,
                     const std::string& password, const std::string& schema = "KORV");

 private:
  std::unique_ptr<ToolDb> open();
  std::string prepareOracle(std::string* skip);
  std::string markOracleUsers();

  BackendKind kind_ = BackendKind::kEmbedded;
  TempDir dir_;
  std::unique_ptr<ServerDatabase> server_;
  TestOracle oracle_;
  std::string service_, target_, ini_ = dir_.file("ravlen.ini");
};

}  // namespace ravlen::testing

#endif  // RAVLEN_TESTS_SUPPORT_DEMO_WAREHOUSE_H_
