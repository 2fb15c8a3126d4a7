// The run sequence of the built program over a window without source rows:
// what the clear-downs delete and keep, the messages, the evaluation mark.
#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>

#include "run/console_texts.h"
#include "settings/settings_writer.h"
#include "tests/support/embedded_db.h"
#include "tests/support/run_program.h"
#include "tests/support/warehouse_fixture.h"

namespace ravlen {
namespace {

using testing::execSql;
using testing::queryText;

class RunSequenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::createProjectDatabase(dir_.path());
    testing::fillCalendar(kalderon(), "20240101", "20241231");
    std::ofstream(ini_) << settingsFileText(
        {"sqlite:" + dir_.path(), "KORV", "ravlen", ""});
    // One row per period code 1..7 on 15 Jan (inside the window) and on
    // 15 Feb (outside) in every warehouse table the clear-downs touch.
    addRowsOn({"20240115", "20240215"});
    execSql(kalderon(),
            "insert into Zev800Dwh(DwhNam,DwhVon,DwhBis,DwhDar,DwhSta) "
            "values('GEW','20240101','20240131',1,0);");
  }
  // One row per period code 1..7 on each day in every warehouse table the
  // clear-downs touch.
  void addRowsOn(std::initializer_list<const char*> days) {
    std::string sql;
    for (const char* day : days) {
      for (int ztr = 1; ztr <= 7; ++ztr) {
        std::string t = ztr == 7 ? "898" : "899";
        std::string z = std::to_string(ztr), d = std::string("'") + day + "'";
        std::string dwh = ztr == 7 ? ",'GEW','20240131'" : "";
        std::string dwhCols = ztr == 7 ? ",TgbDwh,DwhBis" : "";
        sql += "insert into Zev" + t + "Tgb(TgbPnr,TgbZtr,TgbDtm" + dwhCols +
               ") values(1," + z + "," + d + dwh + ");";
        sql += "insert into Zev" + t + "Zkb(ZkbPnr,ZkbZtr,ZkbDtm" + dwhCols +
               ") values(1," + z + "," + d + dwh + ");";
        sql += "insert into Zev" + t + "Bst(BstPnr,BstZtr,BstDtm,BstAnz" +
               (ztr == 7 ? std::string(",BstDwh,DwhBis") : "") + ") values(1," +
               z + "," + d + ",3" + dwh + ");";
      }
    }
    execSql(app(), sql);
  }
  std::string kalderon() const { return dir_.file("KALDERON.db"); }
  std::string app() const { return dir_.file("KORV.db"); }
  std::string count(const std::string& table, const std::string& where) {
    return queryText(app(), "select count(*) from " + table + " where " + where);
  }
  testing::ProgramResult ravlen(const std::vector<std::string>& args) {
    std::vector<std::string> all{ini_};
    all.insert(all.end(), args.begin(), args.end());
    return testing::runProgram(testing::programPath("ravlen"), all);
  }

  testing::TempDir dir_;
  std::string ini_ = dir_.file("x.ini");
};

// The window's bounds belong to it; the days just outside do not. (No
// period of codes 2 to 6 begins on these days, so the roll-up rebuilds
// nothing on them.)
TEST_F(RunSequenceTest, StandardRunClearsTheWindowOfEveryCode) {
  addRowsOn({"20240109", "20240110", "20240120", "20240121"});
  testing::ProgramResult r = ravlen({"20240110", "20240120"});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "Ravlen: Fertig.\n");
  for (const char* table : {"Zev899Tgb", "Zev898Tgb", "Zev899Zkb", "Zev898Zkb",
                            "Zev899Bst", "Zev898Bst"}) {
    std::string prefix = std::string(table).substr(6, 3);
    std::string all = std::string(table).substr(3, 3) == "898" ? "1" : "6";
    auto rowsOn = [&](const char* day) {
      return count(table, prefix + "Dtm='" + day + "'");
    };
    for (const char* day : {"20240110", "20240115", "20240120"})
      EXPECT_EQ(rowsOn(day), "0") << table << " " << day;
    EXPECT_EQ(rowsOn("20240121"), all) << table << ": the day after stays";
    EXPECT_EQ(rowsOn("20240215"), all) << table;
    // The day before stays too, but for the statistics of the periods that
    // the window's first day lies in: those are rebuilt whole.
    EXPECT_EQ(rowsOn("20240109"), std::string(table) == "Zev899Bst" ? "1" : all)
        << table << ": the day before";
  }
}

TEST_F(RunSequenceTest, DebugMessagesOfTheStandardRun) {
  testing::ProgramResult r = ravlen({"20240101", "20240131", "/D"});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, std::string(kBanner) + testing::standardRunDebugOutput());
}

TEST_F(RunSequenceTest, NamedEvaluationRunBuildsFromDayRowsAndMarks) {
  testing::ProgramResult r = ravlen({"20240101", "20240131", "GEW"});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "") << "no closing message";
  EXPECT_EQ(queryText(kalderon(), "select DwhSta from Zev800Dwh"), "5");
  for (const char* table : {"Zev899Tgb", "Zev899Zkb", "Zev899Bst"})
    EXPECT_EQ(count(table, "1=1"), "12") << table << ": nothing deleted";
  EXPECT_EQ(count("Zev898Bst", "1=1"), "3") << "two kept, one built";
  EXPECT_EQ(count("Zev898Bst", "BstDtm='20240101' and DwhBis='20240131' and "
                                "BstAnz=3 and BstDwh='GEW'"),
            "1")
      << "the day count of 15 January, the only day row in the window";

  r = ravlen({"20240101", "20240131", "GEW", "/D"});
  EXPECT_EQ(r.out, std::string(kBanner) + "Tabelle Zev898Tgb bearbeiten...\n" +
                       " Tabelle Zev898Bst bearbeiten...\n");
  r = ravlen({"20240101", "20240131", "UNBEKANNT"});
  EXPECT_EQ(r.exitStatus, 0) << "an unknown name changes no row";
}

}  // namespace
}  // namespace ravlen
