// The built program on a machine without an Oracle client: a NET8 that
// names an Oracle service ends the start as every failed connect does,
// with the reason where the client was looked for.
#include <gtest/gtest.h>

#include <fstream>

#include "run/console_texts.h"
#include "settings/settings_writer.h"
#include "tests/support/embedded_db.h"
#include "tests/support/oci_test_double.h"
#include "tests/support/run_program.h"

namespace ravlen {
namespace {

TEST(OracleClientTest, WithoutTheClientLibraryTheStartSaysWhereItLooked) {
  testing::TempDir dir;
  const std::string password = "Geheim#42", home = dir.file("oracle");
  std::ofstream(dir.file("x.ini"))
      << settingsFileText({"PROD", "KORV", "scott", password});
  testing::ScopedEnv oracleHome("ORACLE_HOME", home);
  testing::ScopedEnv libraryPath("LD_LIBRARY_PATH", std::nullopt);
  testing::ProgramResult r = testing::runProgram(
      testing::programPath("ravlen"), {dir.file("x.ini"), "20240101"});
  if (r.err.find("Oracle-Client nicht gefunden") == std::string::npos &&
      r.err.find("ORA-") != std::string::npos)
    GTEST_SKIP() << "this machine has an Oracle client: " << r.err;
  EXPECT_EQ(r.exitStatus, 99);
  EXPECT_EQ(r.out, kConnectFailed);
  EXPECT_NE(r.err.find("libclntsh.so"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("ORACLE_HOME=" + home), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("cannot open shared object file"), std::string::npos)
      << "the loader's own reason: " << r.err;
  EXPECT_EQ(r.err.find(password), std::string::npos);
}

}  // namespace
}  // namespace ravlen
