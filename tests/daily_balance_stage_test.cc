// The daily-balance stage of the standard run, end to end: the built program
// over a prepared embedded database, checked by the warehouse rows it
// leaves in Zev899Tgb and Zev899Zkb.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/warehouse_fixture.h"

namespace ravlen {
namespace {

using testing::jd;

// A source daily balance; `values` are the 21 numbers TgbVt1 .. TgbPse.
std::string tgb(const std::string& pnr, int ztr, std::string_view day,
                const std::string& values) {
  return "insert into Zev320Tgb values ('" + pnr + "'," + std::to_string(ztr) +
         "," + jd(day) + "," + values + ");";
}

// A source time-account booking: key parts (NULL when empty), then the
// five numbers ZkbStd, ZkbTge, ZkbStg, ZkbSto, ZkbBem.
std::string zkb(const std::string& pnr, int ztr, std::string_view day,
                const std::string& kst, const std::string& zkt,
                const std::string& numbers) {
  auto text = [](const std::string& s) {
    return s.empty() ? std::string("NULL") : "'" + s + "'";
  };
  return "insert into Zev331Zkb values ('" + pnr + "'," + std::to_string(ztr) +
         "," + jd(day) + "," + text(kst) + ",'KTR','KRT'," + text(zkt) + "," +
         numbers + ");";
}

constexpr char kValues[] =
    "1,2,3,4,5,6,7,10,20,30,40,50,60,70,100,101,102,103,104,105,106";
constexpr char kNulls[] =
    "NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,"
    "NULL,NULL,NULL,NULL,NULL,NULL,NULL";

class DailyBalanceStageTest : public testing::WarehouseTest {
 protected:
  void runJanuary() {
    testing::ProgramResult r = ravlen({"20240101", "20240131"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    ASSERT_EQ(r.out, "Ravlen: Fertig.\n");
  }
};

TEST_F(DailyBalanceStageTest, DayRowsCarryTheirOwnMasterDataOnly) {
  app(tgb("1001", 1, "20240115", kValues) + tgb("1001", 1, "20240116", kValues) +
      tgb("1002", 1, "20240115", kNulls) +
      "insert into Zev130Zkt values ('JHS',3);"
      "insert into Zev130Zkt values ('JHR',5);"
      // Master data of 15 January only, except the validity row.
      "insert into Zev327Tag values ('1001'," + jd("20240115") +
      ",1,2,'U',NULL,'X',3,4);"
      "insert into Zev329Ztg values ('1001'," + jd("20240115") +
      ",'AZ','VRA','AKR','ABT','KST','KTR','KRT','AGR','BSD','TTP');"
      "insert into Zev140Azv values ('AZ',51,52,53,54,55,56,'PSM',50);"
      "insert into Zev310Bsv (BsvPnr,BsvGvo,BsvPnm,BsvDwt) values ('1001'," +
      jd("20230101") + ",'Muster',38.5);"
      "insert into Zev332Utg values ('1001'," + jd("20240115") +
      ",1.5,2.5,3.5,4.5,5.5);"
      "insert into Zev332Jav values ('1001'," + jd("20240101") + "," +
      jd("20240115") + ",1000);");
  sys("insert into Zev131Fcd values ('U',12,'Urlaub','UR');"
      "insert into Zev102whl values (13102,12,1,'Abwesenheit');");

  runJanuary();

  const std::string source =
      "TgbVt1=1 TgbVt2=2 TgbVt3=3 TgbVt4=4 TgbVt5=5 TgbVt6=6 TgbVt7=7 "
      "TgbSa1=10 TgbSa2=20 TgbSa3=30 TgbSa4=40 TgbSa5=50 TgbSa6=60 TgbSa7=70 "
      "TgbMax=100 TgbNrm=101 TgbMab=102 TgbVhs=103 TgbUnb=104 TgbVab=105 "
      "TgbPse=106";
  EXPECT_EQ(
      rows("Zev899Tgb", "TgbZtr=1", "TgbPnr,TgbDtm"),
      (std::vector<std::string>{
          "TgbPnr=1001 TgbZtr=1 TgbDtm=20240115 " + source +
              " TgbTx1=Urlaub TgbFt1=Abwesenheit TgbTm1=UR TagTgb=U TagHtn=X "
              "TagKzv=1 TagPzv=2 TagAmp=4 TagNpk=3 ZtgVra=VRA ZtgAkr=AKR "
              "ZtgAbt=ABT ZtgKst=KST ZtgKtr=KTR ZtgKrt=KRT ZtgAgr=AGR "
              "ZtgBsd=BSD ZtgTtp=TTP ZtgAzt=AZ AzvSol=50 AzvGlv=51 AzvGlb=52 "
              "AzvKev=53 AzvKeb=54 AzvMav=55 AzvMab=56 AzvPsm=PSM BakWtg=1 "
              "BsvPnm=Muster BsvDwt=38.5 BsvGvo=20230101 UtgGut=1.5 "
              "UtgVtg=2.5 UtgGkt=3.5 UtgVfl=4.5 UtgRtg=5.5 JavJaz=1000 "
              "JavIst=55 JavSol=33 JavDif=22 JavDi2=945",
          // The next day: its own weekday, the validity row and the latest
          // leave row; nothing of the day before's other lookups.
          "TgbPnr=1001 TgbZtr=1 TgbDtm=20240116 " + source +
              " BakWtg=2 BsvPnm=Muster BsvDwt=38.5 BsvGvo=20230101 "
              "UtgGut=1.5 UtgVtg=2.5 UtgGkt=3.5 UtgVfl=4.5 UtgRtg=5.5",
          "TgbPnr=1002 TgbZtr=1 TgbDtm=20240115 BakWtg=1"}));
  EXPECT_EQ(value("select count(*) from Zev899Tgb where TgbGaz is null or "
                  "TgbVt1 is null or UrvVjr is null or TgbDat is null or "
                  "length(TgbDat)<>14"),
            "0")
      << "numbers are written as values, every row has its timestamp";
}

TEST_F(DailyBalanceStageTest, BookingsAreNumberedAndCountedPerBalanceRow) {
  app(
      // Week rows on 1 and 15 January (the next week row 14 days later),
      // a month row, and two day rows.
      tgb("1001", 2, "20240101", kValues) + tgb("1001", 2, "20240115", kValues) +
      tgb("1001", 3, "20240101", kValues) + tgb("1001", 1, "20240115", kValues) +
      tgb("1001", 1, "20240116", kValues) +
      "insert into Zev329Ztg (ZtgPnr,ZtgVon,ZtgVra,ZtgKst,ZtgAzt) values "
      "('1001'," + jd("20240115") + ",'V15','Z15','AZ');" +
      // Day bookings of the account; only those of days with a balance row
      // are transferred, but all of them are counted.
      zkb("1001", 1, "20240102", "K1", "GLZ", "1,0,0,0,0") +
      zkb("1001", 1, "20240114", "K1", "GLZ", "1,0,0,0,0") +
      zkb("1001", 1, "20240115", "K1", "GLZ", "2,0,0,0,0") +
      zkb("1001", 1, "20240121", "K1", "GLZ", "3,0,0,0,0") +
      zkb("1001", 1, "20240122", "K1", "GLZ", "4,0,0,0,0") +
      zkb("1001", 1, "20240115", "", "GLZ", "5,0,0,0,0") +
      zkb("1001", 1, "20240115", "", "GLZ", "6,0,0,0,0") +
      zkb("1001", 1, "20240115", "K1", "", "7,0,0,0,0") +
      // Week, month bookings; one with an empty account key.
      zkb("1001", 2, "20240101", "K1", "GLZ", "10,11,12,13,14") +
      zkb("1001", 2, "20240115", "K1", "GLZ", "20,0,0,0,0") +
      zkb("1001", 2, "20240115", "K1", "", "21,0,0,0,0") +
      zkb("1001", 3, "20240101", "K1", "GLZ", "30,0,0,0,0") +
      // A day booking of another person and one outside the window.
      zkb("1002", 1, "20240115", "K1", "GLZ", "8,0,0,0,0") +
      zkb("1001", 1, "20240201", "K1", "GLZ", "9,0,0,0,0"));

  runJanuary();

  const std::string key = " ZkbKtr=KTR ZkbKrt=KRT";
  EXPECT_EQ(
      rows("Zev899Zkb", "ZkbZtr<=3", "ZkbZtr,ZkbDtm,ZkbNum"),
      (std::vector<std::string>{
          // Day row of the 15th: numbered in fetch order, the day's
          // assignment on each; empty key parts written as NULL.
          "ZkbPnr=1001 ZkbZtr=1 ZkbDtm=20240115 ZkbKst=K1" + key +
              " ZkbZkt=GLZ ZkbStd=2 ZkbNum=1 ZkbAnz=1 ZtgVra=V15 ZtgKst=Z15",
          "ZkbPnr=1001 ZkbZtr=1 ZkbDtm=20240115" + key +
              " ZkbZkt=GLZ ZkbStd=5 ZkbNum=2 ZkbAnz=1 ZtgVra=V15 ZtgKst=Z15",
          "ZkbPnr=1001 ZkbZtr=1 ZkbDtm=20240115" + key +
              " ZkbZkt=GLZ ZkbStd=6 ZkbNum=3 ZkbAnz=1 ZtgVra=V15 ZtgKst=Z15",
          "ZkbPnr=1001 ZkbZtr=1 ZkbDtm=20240115 ZkbKst=K1" + key +
              " ZkbStd=7 ZkbNum=4 ZkbAnz=1 ZtgVra=V15 ZtgKst=Z15",
          // Week of the 1st: the next week row starts on the 15th, so the
          // span is 1 .. 14 January (two day bookings).
          "ZkbPnr=1001 ZkbZtr=2 ZkbDtm=20240101 ZkbKst=K1" + key +
              " ZkbZkt=GLZ ZkbStd=10 ZkbTge=11 ZkbStg=12 ZkbSto=13 ZkbBem=14 "
              "ZkbNum=1 ZkbAnz=2",
          // Week of the 15th, no later week row: its calendar week, 15 .. 21
          // January (two day bookings with the full key).
          "ZkbPnr=1001 ZkbZtr=2 ZkbDtm=20240115 ZkbKst=K1" + key +
              " ZkbZkt=GLZ ZkbStd=20 ZkbNum=1 ZkbAnz=2 ZtgVra=V15 ZtgKst=Z15",
          "ZkbPnr=1001 ZkbZtr=2 ZkbDtm=20240115 ZkbKst=K1" + key +
              " ZkbStd=21 ZkbNum=2 ZtgVra=V15 ZtgKst=Z15",
          // Month, no later month row: the calendar month.
          "ZkbPnr=1001 ZkbZtr=3 ZkbDtm=20240101 ZkbKst=K1" + key +
              " ZkbZkt=GLZ ZkbStd=30 ZkbNum=1 ZkbAnz=5"}));
}

// Source rows of every period code are written with their own code; only
// day rows get the year balance, and a booking of a quarter row no day
// count. (Dated off the periods' first days, so that the roll-up's rows
// stand beside them.)
TEST_F(DailyBalanceStageTest, EveryPeriodCodeKeepsItsOwnCode) {
  app("insert into Zev130Zkt values ('JHS',1);"
      "insert into Zev332Jav values ('1001'," + jd("20240101") + "," +
      jd("20241231") + ",50);");
  for (int ztr = 1; ztr <= 6; ++ztr)
    app(tgb("1001", ztr, "2024010" + std::to_string(ztr + 1), kValues));
  app(zkb("1001", 4, "20240105", "K1", "GLZ", "1,0,0,0,0"));
  runJanuary();

  EXPECT_EQ(value("select group_concat(TgbZtr||':'||TgbDtm||':'||JavJaz||':'||"
                  "JavSol||':'||JavDi2, ' ') from (select * from Zev899Tgb "
                  "where TgbDtm<>'20240101' order by TgbZtr)"),
            "1:20240102:50:11:50 2:20240103:50:0:0 3:20240104:50:0:0 "
            "4:20240105:50:0:0 5:20240106:50:0:0 6:20240107:50:0:0");
  EXPECT_EQ(rows("Zev899Zkb", "ZkbDtm='20240105'", "ZkbNum"),
            (std::vector<std::string>{
                "ZkbPnr=1001 ZkbZtr=4 ZkbDtm=20240105 ZkbKst=K1 ZkbKtr=KTR "
                "ZkbKrt=KRT ZkbZkt=GLZ ZkbStd=1 ZkbNum=1"}));
}

}  // namespace
}  // namespace ravlen
