// Failures of a run reach the operator: a line on standard error per failing
// statement, the run still goes through every stage, and the exit code tells
// a scheduler that the night was broken.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/warehouse_fixture.h"

namespace ravlen {
namespace {

using testing::jd;

class FailureReportTest : public testing::WarehouseTest {
 protected:
  void addDayWithBooking() {
    app("insert into Zev320Tgb (TgbPnr,TgbZtr,TgbDtm,TgbSa1) values "
        "('1001',1," + jd("20240305") + ",5);"
        "insert into Zev331Zkb values ('1001',1," + jd("20240305") +
        ",'K','T','R','GLZ',1,0,0,0,0);");
  }
  static bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
};

TEST_F(FailureReportTest, BrokenTableFailsTheNightButNotTheOtherStages) {
  addDayWithBooking();
  app("drop table Zev899Zkb; drop table Zev321Bch;");
  testing::ProgramResult r = ravlen({"20240301", "20240331"});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.out, "Ravlen: Fertig.\n");
  EXPECT_TRUE(contains(r.err, "Ravlen: Fehler beim Loeschen in Zev899Zkb "
                              "(Status -942): no such table"))
      << r.err;
  EXPECT_TRUE(contains(r.err, "Ravlen: Fehler beim Einfuegen in Zev899Zkb "
                              "(Status -942)"))
      << r.err;
  EXPECT_TRUE(contains(r.err, "Ravlen: Stufe Tagessalden: 1 gelesen, 1 "
                              "geschrieben"))
      << r.err;
  // A cursor that does not open is one failure, not three: its fetch and
  // close fail only because of it.
  EXPECT_TRUE(contains(r.err, "Ravlen: Fehler beim Oeffnen des Cursors auf "
                              "Zev321Bch"))
      << r.err;
  EXPECT_FALSE(contains(r.err, "beim Lesen aus Zev321Bch")) << r.err;
  EXPECT_FALSE(contains(r.err, "beim Schliessen")) << r.err;
  EXPECT_EQ(value("select count(*) from Zev899Tgb where TgbZtr=1"), "1");
}

TEST_F(FailureReportTest, SeveralRowsForALookupAreAWarning) {
  addDayWithBooking();
  app("insert into Zev310Bsv (BsvPnr,BsvGvo) values ('1001'," +
      jd("20230101") + ");"
      "insert into Zev310Bsv (BsvPnr,BsvGvo) values ('1001'," +
      jd("20240101") + ");");
  testing::ProgramResult r = ravlen({"20240301", "20240331"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_TRUE(contains(r.err, "Ravlen: Warnung beim Lesen aus Zev310Bsv "
                              "(Status -1422)"))
      << r.err;
  EXPECT_TRUE(contains(r.err, "Ravlen: 0 Fehler, 1 Warnungen, Dauer")) << r.err;
}

TEST_F(FailureReportTest, FailuresThatTheWritersHandleAreNoErrors) {
  // One person, day and function code, two booking functions: the second
  // group meets the first one's key and is added to it.
  std::string day = std::to_string(testing::julianOf("20240305") + 0.4);
  for (int fkt : {1, 2})
    app("insert into Zev321Bch (BchPnr,BchVon,BchUhr,BchFkt,BchFcd) values "
        "('1001'," + day + "," + day + "," + std::to_string(fkt) + ",'A');");
  testing::ProgramResult r = ravlen({"20240301", "20240331"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_FALSE(contains(r.err, "Fehler beim")) << r.err;
  EXPECT_EQ(value("select BstAnz from Zev899Bst where BstZtr=1"), "2");
}

}  // namespace
}  // namespace ravlen
