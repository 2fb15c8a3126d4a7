// The period roll-up and the evaluation periods, end to end: the built
// program over prepared embedded databases, checked by whole warehouse
// tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/warehouse_fixture.h"

namespace ravlen {
namespace {

using testing::jd;
using Rows = std::vector<std::string>;

// A booking of `pnr` at 08:00 of `day` (that is how the operational table
// keeps the day: with its time of day).
std::string bch(const std::string& pnr, std::string_view day, int fkt = 1,
                const std::string& fcd = "A") {
  std::string at = std::to_string(testing::julianOf(day) + 8.0 / 24);
  return "insert into Zev321Bch (BchPnr,BchVon,BchUhr,BchFkt,BchFcd) values "
         "('" + pnr + "'," + at + "," + at + "," + std::to_string(fkt) + ",'" +
         fcd + "');";
}

// A source daily balance with TgbSa1 = sa1 and TgbMax = max, the rest NULL.
std::string tgb(const std::string& pnr, int ztr, std::string_view day, int sa1,
                int max) {
  return "insert into Zev320Tgb (TgbPnr,TgbZtr,TgbDtm,TgbSa1,TgbMax) values "
         "('" + pnr + "'," + std::to_string(ztr) + "," + jd(day) + "," +
         std::to_string(sa1) + "," + std::to_string(max) + ");";
}

// A source time-account booking of account `zkt` with ZkbStd = std.
std::string zkb(const std::string& pnr, int ztr, std::string_view day,
                const std::string& zkt, int std) {
  return "insert into Zev331Zkb values ('" + pnr + "'," + std::to_string(ztr) +
         "," + jd(day) + ",'K','T','R','" + zkt + "'," + std::to_string(std) +
         ",0,0,0,0);";
}

std::string dwh(const std::string& name, const std::string& von,
                const std::string& bis, int dar = 1) {
  return "insert into Zev800Dwh (DwhNam,DwhVon,DwhBis,DwhDar,DwhSta) values "
         "('" + name + "','" + von + "','" + bis + "'," + std::to_string(dar) +
         ",0);";
}

class RollUpTest : public testing::WarehouseTest {
 protected:
  Rows statistics(int ztr) {
    return rows("Zev899Bst", "BstZtr=" + std::to_string(ztr), "BstDtm,BstPnr");
  }
  // The first of them, "" when there is none.
  std::string firstStatistic(int ztr) {
    Rows all = statistics(ztr);
    return all.empty() ? "" : all.front();
  }
  std::string status(const std::string& name) {
    return testing::queryText(sysFile(),
                     "select DwhSta from Zev800Dwh where DwhNam='" + name + "'");
  }
};

// Bookings around the window 17 January .. 20 February 2024, which starts
// on a Wednesday inside a week, a month, a quarter and a half-year.
class StatisticsRollUpTest : public RollUpTest {
 protected:
  void SetUp() override {
    RollUpTest::SetUp();
    app(bch("1001", "20240115") + bch("1001", "20240117") +
        bch("1001", "20240117") + bch("1001", "20240117", 45) +
        bch("1001", "20240131") + bch("1001", "20240201") +
        bch("1001", "20240220") + bch("1001", "20240221") +
        bch("2002", "20240117", 2, "B"));
  }

  // What one run over 20240117 .. 20240220 builds, level by level.
  void expectWindowCounts() {
    EXPECT_EQ(statistics(1),
              (Rows{"BstPnr=1001 BstZtr=1 BstDtm=20240117 BstFcd=A BstFkt=1 "
                    "BstAnz=2",
                    "BstPnr=2002 BstZtr=1 BstDtm=20240117 BstFcd=B BstFkt=2 "
                    "BstAnz=1",
                    "BstPnr=1001 BstZtr=1 BstDtm=20240131 BstFcd=A BstFkt=1 "
                    "BstAnz=1",
                    "BstPnr=1001 BstZtr=1 BstDtm=20240201 BstFcd=A BstFkt=1 "
                    "BstAnz=1",
                    "BstPnr=1001 BstZtr=1 BstDtm=20240220 BstFcd=A BstFkt=1 "
                    "BstAnz=1"}))
        << "one row per day of the window with bookings; function 45 never";
    EXPECT_EQ(statistics(2),
              (Rows{"BstPnr=1001 BstZtr=2 BstDtm=20240115 BstFcd=A BstFkt=1 "
                    "BstAnz=3",
                    "BstPnr=2002 BstZtr=2 BstDtm=20240115 BstFcd=B BstFkt=2 "
                    "BstAnz=1",
                    "BstPnr=1001 BstZtr=2 BstDtm=20240129 BstFcd=A BstFkt=1 "
                    "BstAnz=2",
                    "BstPnr=1001 BstZtr=2 BstDtm=20240219 BstFcd=A BstFkt=1 "
                    "BstAnz=2"}))
        << "whole calendar weeks, counted from the bookings";
    EXPECT_EQ(statistics(3),
              (Rows{"BstPnr=1001 BstZtr=3 BstDtm=20240101 BstFcd=A BstFkt=1 "
                    "BstAnz=3",
                    "BstPnr=2002 BstZtr=3 BstDtm=20240101 BstFcd=B BstFkt=2 "
                    "BstAnz=1",
                    "BstPnr=1001 BstZtr=3 BstDtm=20240201 BstFcd=A BstFkt=1 "
                    "BstAnz=2"}))
        << "whole months, summed from the stored day counts";
    for (int ztr = 4; ztr <= 6; ++ztr) {
      std::string z = std::to_string(ztr);
      EXPECT_EQ(statistics(ztr),
                (Rows{"BstPnr=1001 BstZtr=" + z +
                          " BstDtm=20240101 BstFcd=A BstFkt=1 BstAnz=5",
                      "BstPnr=2002 BstZtr=" + z +
                          " BstDtm=20240101 BstFcd=B BstFkt=2 BstAnz=1"}))
          << "period code " << ztr;
    }
  }
};

TEST_F(StatisticsRollUpTest, EveryLevelBuildsWholeCalendarPeriods) {
  runOk({"20240117", "20240220"});
  expectWindowCounts();
}

TEST_F(StatisticsRollUpTest, RepeatedRunGivesTheCountsOfTheFirst) {
  runOk({"20240117", "20240220"});
  runOk({"20240117", "20240220"});
  expectWindowCounts();
}

TEST_F(StatisticsRollUpTest, EarlierRunOverTheWholeMonthIsReplaced) {
  runOk({"20240101", "20240131"});
  runOk({"20240117", "20240220"});
  // The day rows of 1 .. 16 January from the first run stay and count in
  // the rebuilt month; the earlier week, month and coarser rows do not add.
  EXPECT_EQ(firstStatistic(3),
            "BstPnr=1001 BstZtr=3 BstDtm=20240101 BstFcd=A BstFkt=1 BstAnz=4");
  EXPECT_EQ(firstStatistic(2),
            "BstPnr=1001 BstZtr=2 BstDtm=20240115 BstFcd=A BstFkt=1 BstAnz=3");
  EXPECT_EQ(firstStatistic(6),
            "BstPnr=1001 BstZtr=6 BstDtm=20240101 BstFcd=A BstFkt=1 BstAnz=6");
}

TEST_F(RollUpTest, QuartersHalfYearsAndYearsSumTheFinerLevel) {
  app(tgb("1001", 3, "20240101", 10, 1) + tgb("1001", 3, "20240201", 20, 2) +
      tgb("1001", 3, "20240401", 40, 4) + tgb("2002", 3, "20240301", 7, 7) +
      zkb("1001", 3, "20240101", "GLZ", 1) + zkb("1001", 3, "20240201", "GLZ", 2) +
      zkb("1001", 3, "20240401", "GLZ", 4) + zkb("2002", 3, "20240301", "GLZ", 7) +
      "insert into Zev329Ztg (ZtgPnr,ZtgVon,ZtgVra) values ('1001'," +
      jd("20240101") + ",'V1');");
  runOk({"20240101", "20240630"});

  EXPECT_EQ(rows("Zev899Tgb", "TgbZtr>=4", "TgbZtr,TgbDtm,TgbPnr"),
            (Rows{"TgbPnr=1001 TgbZtr=4 TgbDtm=20240101 TgbSa1=30 TgbMax=3 "
                  "ZtgVra=V1",
                  "TgbPnr=2002 TgbZtr=4 TgbDtm=20240101 TgbSa1=7 TgbMax=7",
                  "TgbPnr=1001 TgbZtr=4 TgbDtm=20240401 TgbSa1=40 TgbMax=4",
                  "TgbPnr=1001 TgbZtr=5 TgbDtm=20240101 TgbSa1=70 TgbMax=7 "
                  "ZtgVra=V1",
                  "TgbPnr=2002 TgbZtr=5 TgbDtm=20240101 TgbSa1=7 TgbMax=7",
                  "TgbPnr=1001 TgbZtr=6 TgbDtm=20240101 TgbSa1=70 TgbMax=7 "
                  "ZtgVra=V1",
                  "TgbPnr=2002 TgbZtr=6 TgbDtm=20240101 TgbSa1=7 TgbMax=7"}));
  // Running numbers restart with every period, for all persons together.
  // January carries an assignment text and February none: two sum groups of
  // one warehouse key, stored as one row with their total.
  EXPECT_EQ(
      rows("Zev899Zkb", "ZkbZtr=4", "ZkbDtm,ZkbNum"),
      (Rows{"ZkbPnr=1001 ZkbZtr=4 ZkbDtm=20240101 ZkbKst=K ZkbKtr=T ZkbKrt=R "
            "ZkbZkt=GLZ ZkbStd=3 ZkbNum=1 ZtgVra=V1",
            "ZkbPnr=2002 ZkbZtr=4 ZkbDtm=20240101 ZkbKst=K ZkbKtr=T ZkbKrt=R "
            "ZkbZkt=GLZ ZkbStd=7 ZkbNum=2",
            "ZkbPnr=1001 ZkbZtr=4 ZkbDtm=20240401 ZkbKst=K ZkbKtr=T ZkbKrt=R "
            "ZkbZkt=GLZ ZkbStd=4 ZkbNum=1"}));
}

TEST_F(RollUpTest, WindowOverTheTurnOfTheYearBuildsTwoYears) {
  app(bch("1001", "20231201") + bch("1001", "20240131"));
  runOk({"20231201", "20240131"});
  EXPECT_EQ(statistics(6),
            (Rows{"BstPnr=1001 BstZtr=6 BstDtm=20230101 BstFcd=A BstFkt=1 "
                  "BstAnz=1",
                  "BstPnr=1001 BstZtr=6 BstDtm=20240101 BstFcd=A BstFkt=1 "
                  "BstAnz=1"}));
}

TEST_F(RollUpTest, DayMissingFromTheCalendarEndsTheLevelWithOnePeriod) {
  // The calendar lacks 5 .. 11 February: the week walk meets 5 February, has
  // no bounds for it, counts 5 .. 20 February as one period and ends.
  sys("delete from Zev133Bak where BakDtm between " + jd("20240205") +
      " and " + jd("20240211") + ";");
  app(bch("1001", "20240201") + bch("1001", "20240206") +
      bch("1001", "20240215") + bch("1001", "20240220"));
  runOk({"20240201", "20240220"});
  EXPECT_EQ(statistics(2),
            (Rows{"BstPnr=1001 BstZtr=2 BstDtm=20240129 BstFcd=A BstFkt=1 "
                  "BstAnz=1",
                  "BstPnr=1001 BstZtr=2 BstDtm=20240205 BstFcd=A BstFkt=1 "
                  "BstAnz=3"}));
}

TEST_F(RollUpTest, EvaluationsAreCutToTheWindowAndAllMarked) {
  sys(dwh("JAHR", "20240101", "20241231") + dwh("KURZ", "20240310", "20240315") +
      dwh("AUS", "20240301", "20240331", 2) +
      dwh("FRUEHER", "20230101", "20230131"));
  app(tgb("1001", 1, "20240305", 5, 1) + tgb("1001", 1, "20240312", 12, 1) +
      zkb("1001", 1, "20240312", "GLZ", 3) + bch("1001", "20240312"));
  runOk({"20240301", "20240331"});

  EXPECT_EQ(rows("Zev898Tgb", "1=1", "TgbDwh,TgbPnr"),
            (Rows{"TgbPnr=1001 TgbZtr=7 TgbDtm=20240301 TgbSa1=17 TgbMax=2 "
                  "TgbDwh=JAHR DwhBis=20240331",
                  "TgbPnr=1001 TgbZtr=7 TgbDtm=20240310 TgbSa1=12 TgbMax=1 "
                  "TgbDwh=KURZ DwhBis=20240315"}));
  EXPECT_EQ(rows("Zev898Zkb", "1=1", "TgbDwh"),
            (Rows{"ZkbPnr=1001 ZkbZtr=7 ZkbDtm=20240301 ZkbKst=K ZkbKtr=T "
                  "ZkbKrt=R ZkbZkt=GLZ ZkbStd=3 ZkbNum=1 ZkbAnz=1 TgbDwh=JAHR "
                  "DwhBis=20240331",
                  "ZkbPnr=1001 ZkbZtr=7 ZkbDtm=20240310 ZkbKst=K ZkbKtr=T "
                  "ZkbKrt=R ZkbZkt=GLZ ZkbStd=3 ZkbNum=1 ZkbAnz=1 TgbDwh=KURZ "
                  "DwhBis=20240315"}));
  EXPECT_EQ(rows("Zev898Bst", "1=1", "BstDwh"),
            (Rows{"BstDwh=JAHR BstPnr=1001 BstZtr=7 BstDtm=20240301 BstFcd=A "
                  "BstFkt=1 BstAnz=1 DwhBis=20240331",
                  "BstDwh=KURZ BstPnr=1001 BstZtr=7 BstDtm=20240310 BstFcd=A "
                  "BstFkt=1 BstAnz=1 DwhBis=20240315"}));
  EXPECT_EQ(status("JAHR"), "5");
  EXPECT_EQ(status("KURZ"), "5") << "every built evaluation is marked";
  EXPECT_EQ(status("AUS"), "0") << "DwhDar other than 1";
  EXPECT_EQ(status("FRUEHER"), "0") << "outside the window";
}

TEST_F(RollUpTest, EvaluationWithoutNameKeepsItsRowsApart) {
  // Two sum groups of one warehouse key (assignment V1, then V2). The rows
  // of an evaluation without a name can never be found again, so they are
  // stored apart, each with its own hours, not as 5 and a running 12.
  // (A site's tables may allow the empty name; these drop NOT NULL on it,
  // the way SQLite allows without a rebuild.)
  app("pragma writable_schema=on; update sqlite_schema set sql=replace(sql,"
      "'TgbDwh VARCHAR2(50) NOT NULL','TgbDwh VARCHAR2(50)') where name in "
      "('Zev898Tgb','Zev898Zkb'); pragma writable_schema=off;");
  sys(dwh("", "20240101", "20240131"));
  app(tgb("1001", 1, "20240108", 0, 0) + tgb("1001", 1, "20240109", 0, 0) +
      zkb("1001", 1, "20240108", "GLZ", 5) +
      zkb("1001", 1, "20240109", "GLZ", 7) +
      "insert into Zev329Ztg (ZtgPnr,ZtgVon,ZtgVra) values ('1001'," +
      jd("20240101") + ",'V1'),('1001'," + jd("20240109") + ",'V2');");
  runOk({"20240101", "20240131"});
  EXPECT_EQ(value("select group_concat(ZkbNum||':'||ZkbStd,' ') from "
                  "(select * from Zev898Zkb order by ZkbNum)"),
            "1:5 2:7");
}

TEST_F(RollUpTest, WithoutEvaluationsNothingIsBuiltOrMarked) {
  sys(dwh("FRUEHER", "20230101", "20230131"));
  app(tgb("1001", 1, "20240305", 5, 1));
  runOk({"20240301", "20240331"});
  EXPECT_EQ(value("select count(*) from Zev898Tgb"), "0");
  EXPECT_EQ(status("FRUEHER"), "0");
}

TEST_F(RollUpTest, RepeatedNamedRunGivesTheCountsOfTheFirst) {
  sys(dwh("GEW", "20240101", "20241231", 2));
  app(tgb("1001", 1, "20240305", 5, 1) + bch("1001", "20240305") +
      bch("1001", "20240306") + bch("1001", "20240306"));
  runOk({"20240301", "20240331"});
  testing::ProgramResult r = ravlen({"20240301", "20240310", "GEW", "/D"});
  ASSERT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out.substr(r.out.find("Tabelle")),
            "Tabelle Zev898Tgb bearbeiten...\n"
            " Tabelle Zev898Bst bearbeiten...\n");
  runOk({"20240301", "20240310", "GEW"});

  EXPECT_EQ(rows("Zev898Bst", "1=1", "BstDwh"),
            (Rows{"BstDwh=GEW BstPnr=1001 BstZtr=7 BstDtm=20240301 BstFcd=A "
                  "BstFkt=1 BstAnz=3 DwhBis=20240310"}));
  EXPECT_EQ(rows("Zev898Tgb", "1=1", "TgbDwh"),
            (Rows{"TgbPnr=1001 TgbZtr=7 TgbDtm=20240301 TgbSa1=5 TgbMax=1 "
                  "TgbDwh=GEW DwhBis=20240310"}));
  EXPECT_EQ(status("GEW"), "5");
}

// The first two stages of a standard run: bookings and persons of the window
// reach the warehouse before the daily balances, with their texts.
TEST_F(RollUpTest, BookingsAndPersonsOfTheWindowAreLoaded) {
  sys("insert into Zev102whl values (13102,1,1,'Kommen');");
  app(bch("1001", "20240305") + bch("1001", "20240401") +
      "insert into ZEV300PNR (PnrNum,PnrSpr,PnrNam) values "
      "('1001',1,'Muster');"
      "insert into Zev310Bsv (BsvPnr,BsvGvo,BsvLug) values ('1001'," +
      jd("20200101") + ",'L1');"
      "insert into Zev310Bsv (BsvPnr,BsvGvo,BsvGbi) values ('2002'," +
      jd("20200101") + "," + jd("20231231") + ");");
  runOk({"20240301", "20240331"});
  EXPECT_EQ(rows("Zev899Bch", "1=1", "BchVon"),
            (Rows{"BchPnr=1001 BchVon=20240305 BchUhr=080000 BchFkt=1 "
                  "BchTtx=Kommen BchFcd=A"}));
  EXPECT_EQ(value("select group_concat(PnrNum||':'||PnrNam||':'||PnrLug) "
                  "from Zev899Pnr"),
            "1001:Muster:L1")
      << "only the person employed within the window";
}

}  // namespace
}  // namespace ravlen
