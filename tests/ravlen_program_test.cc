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

// A bound that is no day would clear that part of the warehouse and then
// fail to reload it; it is refused before anything is written.
TEST_F(RavlenProgramTest, BadInputEndsBeforeAnyRowIsWritten) {
  std::string stored =
      "insert into Zev899Bst (BstPnr,BstZtr,BstDtm,BstFcd,BstFkt,BstAnz) "
      "values ('1001',1,'20240315','A',1,3);";
  testing::execSql(dir_.file("KORV.db"), stored);
  auto storedRows = [&] {
    return testing::queryText(dir_.file("KORV.db"),
                              "select count(*) from Zev899Bst");
  };

  testing::ProgramResult r = ravlen({ini_, "2024", "20241231"});
  EXPECT_EQ(r.exitStatus, 255);
  EXPECT_EQ(r.out, "Ravlen: Error (Ungueltiges Datum: 2024).\n");
  EXPECT_EQ(storedRows(), "1");

  r = ravlen({ini_, "20240101", "/d"});
  EXPECT_EQ(r.exitStatus, 255);
  EXPECT_EQ(r.out, "Ravlen: Error (VonDatum > BisDatum.\n");

  // A window after the calendar's last day would clear the statistics of
  // the year before it and rebuild nothing.
  r = ravlen({ini_, "20250101", "20250131"});
  EXPECT_EQ(r.exitStatus, 255);
  EXPECT_EQ(r.out,
            "Ravlen: Error (VonDatum 20250101 liegt ausserhalb des "
            "Basiskalenders 20240101 bis 20241231).\n");
  EXPECT_EQ(storedRows(), "1");

  // Failures before the session is open: the fixed text that schedulers
  // match, the cause on standard error.
  r = ravlen({dir_.path(), "20240101", "20241231"});
  EXPECT_EQ(r.exitStatus, 99);
  EXPECT_EQ(r.out, kConnectFailed);
  EXPECT_NE(r.err.find("INI-Datei " + dir_.path() + " nicht lesbar"),
            std::string::npos) << r.err;

  std::ofstream(ini_) << settingsFileText({"", "KORV", "ravlen", ""});
  r = ravlen({ini_, "20240101", "20241231"});
  EXPECT_EQ(r.exitStatus, 99);
  EXPECT_EQ(r.out, kConnectFailed);
  EXPECT_EQ(r.err, std::string("Ravlen: Db-Connect fehlgeschlagen: ") +
                       kNet8Empty + "\n");
  EXPECT_EQ(storedRows(), "1");
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
