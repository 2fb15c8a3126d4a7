// The transfer window as the built program fixes it on a given day: the
// clock is set with faketime, the window read from the operator's log line
// on standard error.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "run/console_texts.h"
#include "settings/settings_writer.h"
#include "tests/support/embedded_db.h"
#include "tests/support/run_program.h"
#include "tests/support/warehouse_fixture.h"

namespace ravlen {
namespace {

constexpr char kFaketime[] = "/usr/bin/faketime";

class RavlenWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(kFaketime))
        << "faketime is installed by scripts/setup.sh";
    testing::createProjectDatabase(dir_.path());
    testing::fillCalendar(dir_.file("KALDERON.db"), "20230101", "20250630");
    std::ofstream(ini_) << settingsFileText(
        {"sqlite:" + dir_.path(), "KORV", "ravlen", "pw"});
  }

  // Runs ravlen on `day` (yyyy-mm-dd) with the arguments after the ini file.
  testing::ProgramResult ravlenOn(const std::string& day,
                                  std::vector<std::string> args) {
    args.insert(args.begin(), ini_);
    args.insert(args.begin(), testing::programPath("ravlen"));
    args.insert(args.begin(), day + " 12:00:00");
    return testing::runProgram(kFaketime, args);
  }

  static constexpr char kDone[] = "Ravlen: Fertig.\n";
  static std::string debugRun() {
    return std::string(kBanner) + testing::standardRunDebugOutput();
  }

  // Standard error starts with the window; the run's summary follows.
  static std::string firstLine(const std::string& err) {
    return err.substr(0, err.find('\n') + 1);
  }

  static std::string window(const std::string& von, const std::string& bis) {
    return "Ravlen: Uebernahmezeitraum " + von + " bis " + bis + "\n";
  }

  testing::TempDir dir_;
  std::string ini_ = dir_.file("x.ini");
};

TEST_F(RavlenWindowTest, RunModes) {
  testing::ProgramResult r = ravlenOn("2024-02-15", {"2"});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, kDone);
  EXPECT_EQ(firstLine(r.err), window("20240201", "20240229"));

  r = ravlenOn("2024-06-01", {"3"});
  EXPECT_EQ(firstLine(r.err), window("20230101", "20250630")) << "cut to the calendar";
  r = ravlenOn("2024-06-01", {"7"});
  EXPECT_EQ(firstLine(r.err), window("20240601", "20240601"));

  r = ravlenOn("2024-06-01", {"3", "/D"});
  EXPECT_EQ(r.out, debugRun());
  r = ravlenOn("2024-06-01", {"3", "x", "/D"});
  EXPECT_EQ(r.out, kDone) << "/D counts only as the third argument";
}

TEST_F(RavlenWindowTest, DateForm) {
  testing::ProgramResult r = ravlenOn("2024-06-01", {"20240101"});
  EXPECT_EQ(firstLine(r.err), window("20240101", "20250630"));
  r = ravlenOn("2023-03-01", {"20230101"});
  EXPECT_EQ(firstLine(r.err), window("20230101", "20241231")) << "31 Dec of next year";

  r = ravlenOn("2024-06-01", {"20240101", "/D"});
  EXPECT_EQ(r.out, debugRun());
  EXPECT_EQ(firstLine(r.err), window("20240101", "20240601")) << "BisDatum stays today";

  r = ravlenOn("2024-06-01", {"20240101", "20240131", "GEW", "/D"});
  EXPECT_EQ(r.out, std::string(kBanner) + "Tabelle Zev898Tgb bearbeiten...\n" +
                       " Tabelle Zev898Bst bearbeiten...\n");
  EXPECT_EQ(firstLine(r.err), "Ravlen: Uebernahmezeitraum 20240101 bis 20240131, "
                   "Auswertung GEW\n");

  r = ravlenOn("2024-06-01", {"20240201", "20240131"});
  EXPECT_EQ(r.exitStatus, 255);
  EXPECT_EQ(r.out, "Ravlen: Error (VonDatum > BisDatum.\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(RavlenWindowTest, CalendarAndConnectFailures) {
  testing::execSql(dir_.file("KALDERON.db"), "drop table Zev133Bak;");
  testing::ProgramResult r = ravlenOn("2024-06-01", {"20240101", "20240131"});
  EXPECT_EQ(r.exitStatus, 255);
  EXPECT_EQ(r.out, "Der Basiskalender konnte nicht gelesen werden\n");

  std::filesystem::remove(dir_.file("KORV.db"));
  r = ravlenOn("2024-06-01", {"20240101", "20240131"});
  EXPECT_EQ(r.exitStatus, 99);
  EXPECT_EQ(r.out, "Db-Connect fehlgeschlagen \n");
}

}  // namespace
}  // namespace ravlen
