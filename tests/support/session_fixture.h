// Test support: a fixture with the process's session connected to a fresh
// embedded database (KALDERON.db and KORV.db with every table, no rows), the
// application schema current. Disconnects after the test, so nothing that
// the test did not commit stays.
#ifndef RAVLEN_TESTS_SUPPORT_SESSION_FIXTURE_H_
#define RAVLEN_TESTS_SUPPORT_SESSION_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>

#include "tests/support/embedded_db.h"

namespace ravlen::testing {

class ConnectedTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // SQL on the application schema's file and on the system schema's file,
  // through a connection of their own.
  void app(const std::string& sql) { execSql(appFile(), sql); }
  void sys(const std::string& sql) { execSql(sysFile(), sql); }
  std::string appFile() const { return dir_.file("KORV.db"); }
  std::string sysFile() const { return dir_.file("KALDERON.db"); }

  TempDir dir_;
};

}  // namespace ravlen::testing

#endif  // RAVLEN_TESTS_SUPPORT_SESSION_FIXTURE_H_
