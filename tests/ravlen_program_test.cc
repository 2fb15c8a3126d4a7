// The built program as an operator or scheduler starts it: exact output
// bytes and exit statuses of the early ends and of a run.
#include <gtest/gtest.h>

#include <fstream>

#include "run/console_texts.h"
#include "settings/settings_writer.h"
#include "tests/support/embedded_db.h"
#include "tests/support/run_program.h"

namespace ravlen {
namespace {

using testing::runProgram;

class RavlenProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::createProjectDatabase(dir_.path());
    testing::fillCalendar(dir_.file("KALDERON.db"), "20240101", "20241231");
    std::ofstream(ini_) << settingsFileText(
        {"sqlite:" + dir_.path(), "KORV", "ravlen", ""});
  }
  testing::ProgramResult ravlen(const std::vector<std::string>& args) {
    return runProgram(testing::programPath("ravlen"), args);
  }

  testing::TempDir dir_;
  std::string ini_ = dir_.file("x.ini");
};

TEST_F(RavlenProgramTest, UsageAndExitStatuses) {
  testing::ProgramResult r = ravlen({});
  EXPECT_EQ(r.exitStatus, 99);
  EXPECT_EQ(r.out, std::string(kBanner) + kUsage);

  r = ravlen({dir_.file("missing.ini"), "20240101"});
  EXPECT_EQ(r.exitStatus, 99);
  EXPECT_EQ(r.out, "INI-Datei nicht gefunden \n");

  r = ravlen({ini_, "20240201", "20240131"});
  EXPECT_EQ(r.exitStatus, 255) << "exit code -1";
  EXPECT_EQ(r.out, "Ravlen: Error (VonDatum > BisDatum.\n");
}

TEST_F(RavlenProgramTest, SettingsWrittenByTheToolOpenTheSession) {
  std::string ini = dir_.file("tool.ini");
  testing::ProgramResult tool = runProgram(
      testing::programPath("ravlen-ini"),
      {"schreiben", ini, "--net8", "sqlite:" + dir_.path(), "--schema", "korv",
       "--login", "x", "--pass", ""});
  ASSERT_EQ(tool.exitStatus, 0) << tool.err;
  testing::ProgramResult r = ravlen({ini, "20240101", "20240131", "/D"});
  EXPECT_EQ(r.exitStatus, 0) << r.out;
  EXPECT_EQ(r.out.substr(0, sizeof kBanner - 1), kBanner);
}

}  // namespace
}  // namespace ravlen
