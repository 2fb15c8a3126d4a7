// The run report for monitoring as the program writes it to the file that
// RAVLEN_REPORT names, parsed as JSON: a run with a failing statement, a
// named evaluation and the early ends.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "ravlen_version.h"
#include "settings/settings_writer.h"
#include "tests/support/warehouse_fixture.h"

namespace ravlen {
namespace {

using nlohmann::json;
using testing::jd;

class ReportFileTest : public testing::WarehouseTest {
 protected:
  void SetUp() override {
    WarehouseTest::SetUp();
    mkdir(reports_.c_str(), 0755);
    setenv("RAVLEN_REPORT", reportFile_.c_str(), 1);
  }
  void TearDown() override { unsetenv("RAVLEN_REPORT"); }

  void writeSettings(const std::string& net8, const std::string& pass) {
    std::ofstream(ini_) << settingsFileText({net8, "KORV", "ravlen", pass});
  }
  std::string reportText() {
    std::ifstream in(reportFile_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // The report of a run with `args`, which must end with `exitStatus`.
  json report(const std::vector<std::string>& args, int exitStatus) {
    std::filesystem::remove(reportFile_);
    testing::ProgramResult r = ravlen(args);
    EXPECT_EQ(r.exitStatus, exitStatus) << r.out << r.err;
    return json::parse(reportText(), nullptr, false);
  }

  std::string reports_ = dir_.file("reports");
  std::string reportFile_ = reports_ + "/run.json";
};

TEST_F(ReportFileTest, StandardRunWithAFailingStatement) {
  writeSettings("sqlite:" + dir_.path(), "Geheim-4711");
  app("insert into Zev320Tgb (TgbPnr,TgbZtr,TgbDtm,TgbSa1) values "
      "('1001',1," + jd("20240305") + ",5);"
      "drop table Zev899Zkb;");
  json r = report({"20240301", "20240331"}, 1);
  ASSERT_FALSE(r.is_discarded()) << reportText();
  EXPECT_EQ(r["program"], "ravlen");
  EXPECT_EQ(r["version"], kRavlenVersion);
  EXPECT_EQ(r["exit_code"], 1);
  EXPECT_TRUE(r["reason"].is_null());
  EXPECT_EQ(r["window"], json({{"from", "20240301"}, {"to", "20240331"}}));
  EXPECT_EQ(r["run"], json({{"kind", "standard"}}));
  EXPECT_EQ(r["backend"], "embedded");
  EXPECT_LE(r["start"].get<std::string>(), r["end"].get<std::string>());
  EXPECT_GE(r["errors"].get<int>(), 1);
  EXPECT_EQ(r["messages"][0].get<std::string>().rfind(
                "Ravlen: Fehler beim Loeschen in Zev899Zkb", 0),
            0u)
      << r["messages"];
  json daily;
  for (const json& stage : r["stages"])
    if (stage["name"] == "Tagessalden") daily = stage;
  EXPECT_EQ(daily["read"], 1);
  EXPECT_EQ(daily["written"], 1);
  EXPECT_TRUE(daily["seconds"].is_number());

  std::string text = reportText();
  EXPECT_EQ(text.find("Geheim-4711"), std::string::npos);
  EXPECT_EQ(text.find("sqlite:"), std::string::npos);
  EXPECT_EQ(text.find(dir_.path()), std::string::npos);
  auto files = std::filesystem::directory_iterator(reports_);
  EXPECT_EQ(std::distance(begin(files), end(files)), 1)
      << "no temporary file left";
}

TEST_F(ReportFileTest, NamedEvaluationAndEarlyEnds) {
  json r = report({"20240301", "20240331", "GEW"}, 0);
  EXPECT_EQ(r["run"], json({{"kind", "evaluation"}, {"name", "GEW"}}));

  r = report({}, 99);
  EXPECT_EQ(r["reason"], "zu wenige Argumente");
  EXPECT_TRUE(r["window"].is_null());
  EXPECT_TRUE(r["run"].is_null());

  r = report({"20240201", "20240131"}, 255);
  EXPECT_EQ(r["exit_code"], -1);
  EXPECT_EQ(r["exit_status"], 255);
  EXPECT_EQ(r["reason"], "Ravlen: Error (VonDatum > BisDatum.");

  writeSettings("sqlite:" + dir_.file("missing"), "");
  r = report({"20240301", "20240331"}, 99);
  EXPECT_EQ(r["reason"], "Db-Connect fehlgeschlagen");
  EXPECT_EQ(r["backend"], "embedded");
  EXPECT_EQ(r["stages"], json::array());

  // A report that cannot be written is said on standard error; the run's
  // exit code stays its own.
  setenv("RAVLEN_REPORT", dir_.file("missing/run.json").c_str(), 1);
  testing::ProgramResult failed = ravlen({});
  EXPECT_EQ(failed.exitStatus, 99);
  EXPECT_NE(failed.err.find("Ravlen: Laufbericht nicht geschrieben"),
            std::string::npos)
      << failed.err;
}

}  // namespace
}  // namespace ravlen
