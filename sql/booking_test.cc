// The booking transfer against a real embedded database: the source cursor,
// the lookups, the writer and the stage that runs them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "run/booking_stage.h"
#include "sql/booking.h"
#include "tests/support/embedded_db.h"
#include "tests/support/session_fixture.h"

namespace ravlen {
namespace {

using testing::execSql;
using testing::queryRows;
using testing::queryText;
using testing::TempDir;
using Rows = std::vector<std::string>;

constexpr char k30[] = "123456789012345678901234567890";  // a cut text
constexpr char kZtg[] =
    " ZtgAzt=AZ1 ZtgVra=VRA ZtgAkr=AKR ZtgAbt=Abteilung ZtgKst=Kostenstelle"
    " ZtgKtr=KTR ZtgKrt=KRT ZtgAgr=AGR ZtgBsd=BSD";

// A source booking; `rest` lists BchFkt, BchFcd, BchKst, BchTrm and BchErf
// as SQL literals ("NULL" allowed).
std::string bch(const std::string& pnr, const std::string& day,
                const std::string& time, const std::string& rest) {
  return "insert into Zev321Bch values ('" + pnr + "',julianday('" + day +
         "'),julianday('" + day + " " + time + "')," + rest + ");";
}

class BookingTest : public testing::ConnectedTest {
 protected:
  void app(const std::string& sql) { execSql(dir_.file("KORV.db"), sql); }
  void sys(const std::string& sql) { execSql(dir_.file("KALDERON.db"), sql); }

  // Persons 1001 (language 2) and 1003 (language NULL); 1002 has no row.
  void addMasterData() {
    sys("insert into Zev102whl values (13102,10,1,'Kommen');"
        "insert into Zev102whl values (13102,11,1,'Gehen');"
        "insert into Zev102whl values (13102,11,2,'Leaving');"
        "insert into Zev102whl values (13102,12,1,'" + std::string(k30) +
        "ABC');"
        "insert into Zev102whl values (13102,13,1,NULL);"
        "insert into Zev102whl values (13101,11,2,'andere Liste');"
        "insert into Zev131Fcd values ('DG',NULL,'" + std::string(k30) +
        "DEF','DG');");
    app("insert into ZEV300PNR (PnrNum,PnrSpr) values ('1001',2);"
        "insert into ZEV300PNR (PnrNum,PnrSpr) values ('1003',NULL);"
        "insert into O1003KSTSTELLE values ('K100','" + std::string(k30) +
        "GHI');"
        "insert into O1003KSTSTELLE values ('LONGKOST12345','Lang');"
        "insert into O1003KSTSTELLE values ('LONGKOST12','Kurz');"
        "insert into Zev329Ztg values ('1001',julianday('2024-01-15'),'AZ1',"
        "'VRA','AKR','Abteilung','Kostenstelle','KTR','KRT','AGR','BSD','T');"
        "insert into Zev329Ztg values ('1002',julianday('2024-01-10'),'AZ2',"
        "'VRA','AKR','Abteilung','Kostenstelle','KTR','KRT','AGR','BSD','T');"
        "insert into Zev329Ztg (ZtgPnr,ZtgVon,ZtgAzt) values "
        "('1003',julianday('2024-01-16'),'AZ3');");
  }

  Rows warehouse() {
    return queryRows(dir_.file("KORV.db"),
                     "select * from Zev899Bch "
                     "order by BchPnr,BchVon,BchUhr,BchFkt",
                     {"BchDat"});
  }
  std::string count(const std::string& where) {
    return queryText(dir_.file("KORV.db"),
                     "select count(*) from Zev899Bch where " + where);
  }

};

TEST_F(BookingTest, StageWidensEveryBookingOfTheWindow) {
  addMasterData();
  app(bch("1001", "2024-01-15", "07:30:00", "10,'DG','K100','T1','E1'") +
      bch("1001", "2024-01-15", "16:00:00", "11,NULL,NULL,NULL,NULL") +
      bch("1002", "2024-01-16", "08:00:05", "10,NULL,'LONGKOST12345',NULL,"
          "NULL") +
      bch("1003", "2024-01-16", "23:59:59", "12,NULL,NULL,NULL,NULL") +
      bch("1004", "2024-01-16", "09:00:00", "NULL,NULL,NULL,NULL,NULL") +
      bch("1001", "2024-01-14", "23:59:59", "10,NULL,NULL,NULL,NULL") +
      bch("1001", "2024-01-17", "00:00:00", "10,NULL,NULL,NULL,NULL"));

  runBookingStage(DateText("20240115"), DateText("20240116"));

  // 1001 speaks language 2: function 10 has a text in language 1 only.
  // 1002 has no person row, 1003 a NULL language: both read language 1.
  // 1002's assignment starts before the day and does not count.
  EXPECT_EQ(warehouse(),
            (Rows{"BchPnr=1001 BchVon=20240115 BchUhr=073000 BchFkt=10 "
                  "BchFcd=DG BchFtx=" + std::string(k30) +
                      " BchKst=K100 BchKtx=" + k30 +
                      " BchErf=E1 BchTrm=T1" + kZtg,
                  "BchPnr=1001 BchVon=20240115 BchUhr=160000 BchFkt=11 "
                  "BchTtx=Leaving" + std::string(kZtg),
                  "BchPnr=1002 BchVon=20240116 BchUhr=080005 BchFkt=10 "
                  "BchTtx=Kommen BchKst=LONGKOST12345 BchKtx=Lang",
                  "BchPnr=1003 BchVon=20240116 BchUhr=235959 BchFkt=12 "
                  "BchTtx=" + std::string(k30) + " ZtgAzt=AZ3",
                  "BchPnr=1004 BchVon=20240116 BchUhr=090000"}));
  EXPECT_EQ(count("BchBup=0 and BchDat glob "
                  "'20[0-9][0-9][01][0-9][0-3][0-9][0-2][0-9][0-5][0-9]"
                  "[0-5][0-9]'"),
            "5");
}

TEST_F(BookingTest, RerunUpdatesByKeyIncludingTheFunction) {
  addMasterData();
  // An earlier run wrote 07:30 with function 99 (since changed to 10) and
  // 16:00 with function 11.
  app("insert into Zev899Bch (BchPnr,BchVon,BchUhr,BchFkt,BchTtx,ZtgAzt,"
      "BchDat) values ('1001','20240115','073000',99,'alt','OLD',"
      "'20000101000000');"
      "insert into Zev899Bch (BchPnr,BchVon,BchUhr,BchFkt,BchTtx,BchTrm,"
      "ZtgAzt,BchDat) values ('1001','20240115','160000',11,'alt','alt',"
      "'OLD','20000101000000');" +
      bch("1001", "2024-01-15", "07:30:00", "10,NULL,NULL,NULL,NULL") +
      bch("1001", "2024-01-15", "16:00:00", "11,NULL,NULL,'first',NULL") +
      bch("1001", "2024-01-15", "16:00:00", "11,NULL,NULL,'second',NULL"));

  // Which of the two 16:00 bookings comes last is the database's choice.
  std::string lastTrm;
  ASSERT_TRUE(openBchSource(DateText("20240115"), DateText("20240115")).ok());
  for (BchRecord r; fetchBchSource(r).ok();)
    if (r.BchUhr == "160000") lastTrm = r.BchTrm.str();
  closeBchSource();
  ASSERT_FALSE(lastTrm.empty());

  runBookingStage(DateText("20240115"), DateText("20240115"));

  EXPECT_EQ(warehouse(),
            (Rows{"BchPnr=1001 BchVon=20240115 BchUhr=073000 BchFkt=10" +
                      std::string(kZtg),
                  "BchPnr=1001 BchVon=20240115 BchUhr=073000 BchFkt=99 "
                  "BchTtx=alt ZtgAzt=OLD",
                  "BchPnr=1001 BchVon=20240115 BchUhr=160000 BchFkt=11 "
                  "BchTtx=Leaving BchTrm=" + lastTrm + kZtg}));
  EXPECT_EQ(count("BchDat='20000101000000'"), "1");  // only function 99
}

TEST_F(BookingTest, LookupsChangeTheirOutputOnlyWhenFound) {
  addMasterData();
  int32_t language = 7;
  EXPECT_EQ(lookupPnrSpr(FixedText<8>("1002"), language).code(), 1403);
  EXPECT_EQ(language, 7);
  EXPECT_TRUE(lookupPnrSpr(FixedText<8>("1003"), language).ok());
  EXPECT_EQ(language, 1);
  EXPECT_TRUE(lookupPnrSpr(FixedText<8>("1001"), language).ok());
  EXPECT_EQ(language, 2);

  FixedText<30> text("keep");
  EXPECT_EQ(lookupFktText(10, 2, text).code(), 1403);
  EXPECT_EQ(text, "keep");
  EXPECT_TRUE(lookupFktText(13, 1, text).ok());  // a NULL text
  EXPECT_EQ(text, "");
  EXPECT_EQ(lookupFcdText(FixedText<3>("XX"), text).code(), 1403);
  EXPECT_TRUE(lookupKstText(FixedText<30>("LONGKOST12"), text).ok());
  EXPECT_EQ(text, "Kurz");

  BchRecord rec;
  rec.BchPnr = "1003";
  rec.BchVon = "20240117";
  rec.ZtgVra = "old";
  EXPECT_EQ(lookupBchZtg(rec).code(), 1403);
  EXPECT_EQ(rec.ZtgVra, "old");
  rec.BchVon = "20240116";
  EXPECT_TRUE(lookupBchZtg(rec).ok());
  EXPECT_EQ(rec.ZtgAzt, "AZ3");
  EXPECT_EQ(rec.ZtgVra, "");  // NULL in the assignment row
}

TEST_F(BookingTest, FetchReplacesOnlyTheSourceFields) {
  app(bch("1004", "2024-01-16", "09:00:00", "NULL,NULL,NULL,NULL,NULL"));
  BchRecord rec;
  rec.BchFkt = 5;
  rec.BchTrm = "old";
  rec.BchTtx = "lookup";
  EXPECT_LT(fetchBchSource(rec).code(), 0);  // not open
  EXPECT_EQ(rec.BchTrm, "old");

  ASSERT_TRUE(openBchSource(DateText("20240116"), DateText("20240116")).ok());
  ASSERT_TRUE(fetchBchSource(rec).ok()) << session().lastError();
  EXPECT_EQ(rec.BchUhr, "090000");
  EXPECT_EQ(rec.BchFkt, 0);
  EXPECT_EQ(rec.BchTrm, "");
  EXPECT_EQ(rec.BchTtx, "lookup");
  EXPECT_EQ(fetchBchSource(rec).code(), 1403);
  EXPECT_EQ(rec.BchPnr, "1004");
  EXPECT_TRUE(closeBchSource().ok());
}

// The writer on its own, then a stage over a window without bookings, whose
// commit makes the writer's rows permanent.
TEST_F(BookingTest, WriterThenEmptyWindowStageCommits) {
  BchRecord rec;
  rec.BchPnr = "1001";
  rec.BchVon = "20240115";
  rec.BchUhr = "073000";
  ASSERT_TRUE(writeBch(rec).ok()) << session().lastError();  // inserted
  rec.BchTrm = "T";
  EXPECT_TRUE(writeBch(rec).ok()) << session().lastError();  // updated
  EXPECT_EQ(count("1"), "0");  // not yet committed

  runBookingStage(DateText("20240201"), DateText("20240229"));
  EXPECT_EQ(warehouse(),
            (Rows{"BchPnr=1001 BchVon=20240115 BchUhr=073000 BchTrm=T"}));
}

}  // namespace
}  // namespace ravlen
