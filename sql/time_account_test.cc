// The time-account booking statements and the transfer of one daily
// balance's bookings, against a real embedded database whose calendar holds
// December 2023 to March 2024 with ISO weeks (20240108 is a Monday).
#include "sql/time_account.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "tests/support/embedded_db.h"
#include "tests/support/session_fixture.h"

namespace ravlen {
namespace {

using testing::execSql;
using testing::julianOf;
using testing::TempDir;

// Account keys of a booking; an empty part is stored as NULL.
struct Keys {
  std::string kst = "K1", ktr = "T1", krt = "R1", zkt = "UE";
};

std::string quoted(const std::string& text) {
  return text.empty() ? "NULL" : "'" + text + "'";
}

class TimeAccountTest : public testing::ConnectedTest {
 protected:
  void SetUp() override {
    ConnectedTest::SetUp();
    testing::fillCalendar(sysFile(), "20231201", "20240331");
  }

  std::string korv() const { return dir_.file("KORV.db"); }

  void addTgb(const std::string& pnr, int ztr, const std::string& day) {
    execSql(korv(), "insert into Zev320Tgb(TgbPnr,TgbZtr,TgbDtm) values('" +
                        pnr + "'," + std::to_string(ztr) + "," +
                        std::to_string(julianOf(day)) + ");");
  }

  // A source booking whose five numbers are base+1 .. base+5.
  void addZkb(const std::string& pnr, int ztr, const std::string& day,
              const Keys& k = {}, int base = 0) {
    std::string numbers;
    for (int i = 1; i <= 5; ++i) numbers += "," + std::to_string(base + i);
    execSql(korv(),
            "insert into Zev331Zkb values('" + pnr + "'," +
                std::to_string(ztr) + "," + std::to_string(julianOf(day)) +
                "," + quoted(k.kst) + "," + quoted(k.ktr) + "," +
                quoted(k.krt) + "," + quoted(k.zkt) + numbers + ");");
  }

  // `expr` over the rows of `table` in the order they were stored, "|"
  // between rows, NULL spelt out. Commits the session's work first, so that
  // the rows can be read from outside.
  std::string column(const std::string& table, const std::string& expr) {
    EXPECT_TRUE(session().commit().ok()) << session().lastError();
    return testing::queryText(
        korv(), "select group_concat(v,'|') from (select ifnull(" + expr +
                    ",'NULL') v from " + table + " order by rowid)");
  }

  static TgbRecord tgbRow(const std::string& pnr, int32_t ztr,
                          const std::string& day) {
    TgbRecord tgb;
    tgb.TgbPnr = pnr;
    tgb.TgbZtr = ztr;
    tgb.TgbDtm = day;
    return tgb;
  }

  static ZkbRecord zkbRow(const std::string& pnr, int32_t ztr,
                          const std::string& day, const Keys& k = {}) {
    ZkbRecord zkb;
    zkb.ZkbPnr = pnr;
    zkb.ZkbZtr = ztr;
    zkb.ZkbDtm = day;
    zkb.ZkbKst = k.kst;
    zkb.ZkbKtr = k.ktr;
    zkb.ZkbKrt = k.krt;
    zkb.ZkbZkt = k.zkt;
    return zkb;
  }

  // Transfers the bookings of one daily balance and returns ZkbAnz of the
  // warehouse rows it wrote.
  std::string anzAfterTransfer(const TgbRecord& tgb) {
    EXPECT_TRUE(session().commit().ok());
    execSql(korv(), "delete from Zev899Zkb;");
    EXPECT_EQ(transferZkbOfTgb(tgb).code(), 1403) << session().lastError();
    return column("Zev899Zkb", "ZkbAnz");
  }

};

TEST_F(TimeAccountTest, SourceFetchReplacesTheWholeRecord) {
  addZkb("1000", 1, "20240110", {}, 10);
  addZkb("1000", 1, "20240110", {"", "", "", ""}, -1);
  execSql(korv(), "update Zev331Zkb set ZkbStd=NULL,ZkbBem=NULL "
                  "where ZkbKst is null;");
  addZkb("1000", 2, "20240110");
  addZkb("1000", 1, "20240111");
  addZkb("2000", 1, "20240110");

  ZkbRecord rec;
  rec.ZkbNum = 7;
  rec.ZkbAnz = 3;
  rec.ZtgKst = "stale";
  ASSERT_TRUE(openZkbSource(PersonKey("1000"), 1, DateText("20240110")).ok())
      << session().lastError();
  ASSERT_TRUE(fetchZkbSource(rec).ok()) << session().lastError();
  EXPECT_EQ(rec.ZkbPnr, "1000");
  EXPECT_EQ(rec.ZkbZtr, 1);
  EXPECT_EQ(rec.ZkbDtm, "20240110");
  EXPECT_EQ(rec.ZkbKst, "K1");
  EXPECT_EQ(rec.ZkbKtr, "T1");
  EXPECT_EQ(rec.ZkbKrt, "R1");
  EXPECT_EQ(rec.ZkbZkt, "UE");
  EXPECT_EQ((std::vector<int32_t>{rec.ZkbStd, rec.ZkbTge, rec.ZkbStg,
                                  rec.ZkbSto, rec.ZkbBem}),
            (std::vector<int32_t>{11, 12, 13, 14, 15}));
  EXPECT_EQ(rec.ZkbNum, 0);
  EXPECT_EQ(rec.ZkbAnz, 0);
  EXPECT_TRUE(rec.ZtgKst.empty());

  // NULL columns after a full row: 0 or empty, nothing kept.
  ASSERT_TRUE(fetchZkbSource(rec).ok()) << session().lastError();
  EXPECT_TRUE(rec.ZkbKst.empty());
  EXPECT_TRUE(rec.ZkbZkt.empty());
  EXPECT_EQ(rec.ZkbStd, 0);
  EXPECT_EQ(rec.ZkbTge, 1);
  EXPECT_EQ(rec.ZkbBem, 0);

  // Past the end the record keeps the booking fetched last.
  EXPECT_EQ(fetchZkbSource(rec).code(), 1403);
  EXPECT_EQ(rec.ZkbTge, 1);
  EXPECT_TRUE(closeZkbSource().ok());
}

TEST_F(TimeAccountTest, DayRowNumbersItsBookingsAndCountsEachOnce) {
  addZkb("1000", 1, "20240110", {"K1", "T1", "R1", "UE"}, 0);
  addZkb("1000", 1, "20240110", {"K1", "T1", "R1", "GZ"}, 10);
  addZkb("1000", 1, "20240110", {"K2", "T1", "R1", "UE"}, 20);
  addZkb("1000", 2, "20240110");  // another period code
  addZkb("1000", 1, "20240111");  // another day
  addZkb("2000", 1, "20240110");  // another person

  TgbRecord tgb = tgbRow("1000", 1, "20240110");
  tgb.ZtgVra = "VRA";
  tgb.ZtgAkr = "AKR";
  tgb.ZtgAbt = "Abteilung";
  tgb.ZtgKst = "4711";
  tgb.ZtgKtr = "KTR";
  tgb.ZtgKrt = "KRT";
  tgb.ZtgAgr = "AGR";
  tgb.ZtgBsd = "BSD";
  tgb.ZtgAzt = "AZT";  // has no place in a booking
  EXPECT_EQ(transferZkbOfTgb(tgb).code(), 1403) << session().lastError();

  EXPECT_EQ(column("Zev899Zkb", "ZkbZkt||ZkbKst||':'||ZkbNum||':'||ZkbAnz"),
            "UEK1:1:1|GZK1:2:1|UEK2:3:1");
  EXPECT_EQ(column("Zev899Zkb", "ZkbStd||','||ZkbTge||','||ZkbStg||','||"
                                "ZkbSto||','||ZkbBem"),
            "1,2,3,4,5|11,12,13,14,15|21,22,23,24,25");
  EXPECT_EQ(column("Zev899Zkb", "ZkbPnr||ZkbZtr||ZkbDtm"),
            "1000120240110|1000120240110|1000120240110");
  // The assignment of the daily balance; its empty ZtgTtp is NULL.
  EXPECT_EQ(column("Zev899Zkb", "ZtgVra||ZtgAkr||ZtgAbt||ZtgKst||ZtgKtr||"
                                "ZtgKrt||ZtgAgr||ZtgBsd"),
            "VRAAKRAbteilung4711KTRKRTAGRBSD|"
                "VRAAKRAbteilung4711KTRKRTAGRBSD|"
                "VRAAKRAbteilung4711KTRKRTAGRBSD");
  EXPECT_EQ(column("Zev899Zkb", "ZtgTtp"), "NULL|NULL|NULL");
  EXPECT_EQ(column("Zev899Zkb", "length(ZkbDat)"), "14|14|14");

  // The next daily balance numbers from 1 again; one without bookings
  // writes nothing.
  EXPECT_EQ(transferZkbOfTgb(tgbRow("2000", 1, "20240110")).code(), 1403);
  EXPECT_EQ(transferZkbOfTgb(tgbRow("3000", 1, "20240110")).code(), 1403);
  EXPECT_EQ(column("Zev899Zkb", "ZkbPnr||':'||ZkbNum"),
            "1000:1|1000:2|1000:3|2000:1");
}

TEST_F(TimeAccountTest, WeekBookingCountsDaysUpToThePersonsNextWeekRow) {
  addTgb("1000", 2, "20240108");
  addTgb("1000", 2, "20240122");  // 14 days later, not the next calendar week
  addTgb("1000", 3, "20240115");  // another period code does not cut
  addTgb("2000", 2, "20240115");  // nor does another person
  addZkb("1000", 2, "20240108");
  addZkb("1000", 2, "20240122");
  for (const char* day : {"20240108", "20240114", "20240115", "20240121",
                          "20240122", "20240128", "20240129"})
    addZkb("1000", 1, day);
  // Day bookings that differ in one account key, or in the person.
  addZkb("1000", 1, "20240110", {"K2", "T1", "R1", "UE"});
  addZkb("1000", 1, "20240110", {"K1", "T2", "R1", "UE"});
  addZkb("1000", 1, "20240110", {"K1", "T1", "R2", "UE"});
  addZkb("1000", 1, "20240110", {"K1", "T1", "R1", "GZ"});
  addZkb("2000", 1, "20240110");

  DateText end("untouch");
  ASSERT_TRUE(lookupTgbPeriodEnd(tgbRow("1000", 2, "20240108"), end).ok())
      << session().lastError();
  EXPECT_EQ(end, "20240121");
  EXPECT_TRUE(
      lookupTgbPeriodEnd(tgbRow("1000", 2, "20240122"), end).noData());
  EXPECT_EQ(end, "20240121") << "untouched without a later row";

  // 20240108 .. 20240121 inclusive: four day bookings, not the calendar
  // week's two.
  EXPECT_EQ(anzAfterTransfer(tgbRow("1000", 2, "20240108")), "4");
  // No later row: up to Sunday 20240128, the end of the calendar week.
  EXPECT_EQ(anzAfterTransfer(tgbRow("1000", 2, "20240122")), "2");
}

TEST_F(TimeAccountTest, MonthAndOtherBookingsCountByTheirOwnRules) {
  addTgb("1000", 3, "20240201");
  addZkb("1000", 3, "20240201");
  for (const char* day : {"20240131", "20240201", "20240229", "20240301"})
    addZkb("1000", 1, day);
  // No later month row: the calendar month, leap day included.
  EXPECT_EQ(anzAfterTransfer(tgbRow("1000", 3, "20240201")), "2");

  // Period codes 4 and up are not counted.
  addZkb("1000", 4, "20240201");
  EXPECT_EQ(anzAfterTransfer(tgbRow("1000", 4, "20240201")), "0");

  // Neither a later row nor a calendar week: no span, no count.
  addZkb("1000", 2, "20240615");
  addZkb("1000", 1, "20240615");
  EXPECT_EQ(anzAfterTransfer(tgbRow("1000", 2, "20240615")), "0");

  // countDayZkb on its own: both ends included; a failure leaves the record.
  ZkbRecord zkb = zkbRow("1000", 3, "20240201");
  ASSERT_TRUE(countDayZkb(zkb, DateText("20240301")).ok());
  EXPECT_EQ(zkb.ZkbAnz, 3);
  EXPECT_LT(countDayZkb(zkb, DateText("2024xx01")).code(), 0);
  EXPECT_EQ(zkb.ZkbAnz, 3);
}

TEST_F(TimeAccountTest, EmptyAccountKeyIsNeverUpdatedNorCounted) {
  Keys noKst{"", "T1", "R1", "UE"};
  addTgb("1000", 2, "20240108");
  addZkb("1000", 2, "20240108", noKst);
  addZkb("1000", 1, "20240109", noKst);
  addZkb("1000", 1, "20240110", noKst);

  TgbRecord tgb = tgbRow("1000", 2, "20240108");
  transferZkbOfTgb(tgb);
  transferZkbOfTgb(tgb);
  EXPECT_EQ(column("Zev899Zkb", "ZkbKst||':'||ZkbAnz"), "NULL|NULL");
  EXPECT_EQ(column("Zev899Zkb", "ZkbNum||':'||ZkbAnz"), "1:0|1:0");
}

// Two bookings of one key on one day: one warehouse row with their totals
// (numbers 1..5 and 101..105; ZkbBem is not summed), the first number and
// the day count of both.
TEST_F(TimeAccountTest, BookingsSharingAKeyAreStoredAsTheirTotal) {
  addZkb("1000", 1, "20240110", {}, 0);
  addZkb("1000", 1, "20240110", {}, 100);
  addZkb("1000", 1, "20240110", {.kst = "K2"}, 200);

  transferZkbOfTgb(tgbRow("1000", 1, "20240110"));
  EXPECT_EQ(column("Zev899Zkb", "ZkbNum||':'||ZkbStd||':'||ZkbTge||':'||"
                                "ZkbStg||':'||ZkbSto||':'||ZkbAnz||':'||ZkbKst"),
            "1:102:104:106:108:2:K1|2:201:202:203:204:1:K2");
}

TEST_F(TimeAccountTest, WriterUpdatesTheRowOfItsKey) {
  ZkbRecord rec = zkbRow("1000", 1, "20240110");
  rec.ZkbStd = 5;
  rec.ZkbNum = 1;
  rec.ZtgAbt = "alt";
  ASSERT_TRUE(writeZkb(rec).ok()) << session().lastError();
  ASSERT_TRUE(session().commit().ok());
  execSql(korv(), "update Zev899Zkb set ZkbDat='x';");

  rec.ZkbStd = 6;
  rec.ZkbAnz = 9;
  rec.ZtgAbt = "";
  EXPECT_TRUE(writeZkb(rec).ok()) << session().lastError();
  EXPECT_EQ(column("Zev899Zkb", "ZkbStd||':'||ZkbAnz||':'||length(ZkbDat)"),
            "6:9:14");
  EXPECT_EQ(column("Zev899Zkb", "ZtgAbt"), "NULL");

  // One key part different: a row of its own.
  rec.ZkbKrt = "R2";
  EXPECT_TRUE(writeZkb(rec).ok()) << session().lastError();
  EXPECT_EQ(column("Zev899Zkb", "ZkbKrt"), "R1|R2");
}

TEST_F(TimeAccountTest, EvaluationWriterKeysByNameAndEndDate) {
  ZkbRecord rec = zkbRow("1000", 7, "20240101");
  rec.ZkbStd = 1;
  EvaluationName name("Quartal Nord");
  ASSERT_TRUE(writeZkbEvaluation(rec, DateText("20240131"), name).ok())
      << session().lastError();
  rec.ZkbStd = 2;
  EXPECT_TRUE(writeZkbEvaluation(rec, DateText("20240131"), name).ok());
  EXPECT_TRUE(writeZkbEvaluation(rec, DateText("20240229"), name).ok());
  EXPECT_TRUE(writeZkbEvaluation(rec, DateText("20240131"),
                                 EvaluationName("Quartal Sued"))
                  .ok());
  EXPECT_EQ(column("Zev898Zkb", "TgbDwh||':'||DwhBis||':'||ZkbStd||':'||"
                                "ZkbZtr||':'||length(ZkbDat)"),
            "Quartal Nord:20240131:2:7:14|Quartal Nord:20240229:2:7:14|"
            "Quartal Sued:20240131:2:7:14");

  // The update finds nothing and the insert's failure is returned.
  EXPECT_EQ(writeZkbEvaluation(rec, DateText("20240131"), EvaluationName())
                .code(),
            -1400);
}

TEST_F(TimeAccountTest, SumCursorGroupsAndSumsInSelectOrder) {
  auto add = [&](const std::string& pnr, int ztr, const std::string& day,
                 const std::string& vra, int std, int sto, int tge, int stg,
                 int anz) {
    execSql(korv(),
            "insert into Zev899Zkb(ZkbPnr,ZkbZtr,ZkbDtm,ZkbKst,ZkbKtr,ZkbKrt,"
            "ZkbZkt,ZkbStd,ZkbSto,ZkbTge,ZkbStg,ZkbAnz,ZkbBem,ZtgVra) values('" +
                pnr + "'," + std::to_string(ztr) + ",'" + day +
                "','K1','T1','R1','UE'," + std::to_string(std) + "," +
                std::to_string(sto) + "," + std::to_string(tge) + "," +
                std::to_string(stg) + "," + std::to_string(anz) + ",99," +
                quoted(vra) + ");");
  };
  add("1000", 3, "20240101", "V1", 1, 10, 100, 1000, 10000);
  add("1000", 3, "20240301", "V1", 2, 20, 200, 2000, 20000);
  add("1000", 3, "20240401", "V1", 4, 40, 400, 4000, 40000);  // after
  add("1000", 1, "20240201", "V1", 8, 80, 800, 8000, 80000);  // other code
  add("1000", 3, "20240201", "V2", 3, 30, 300, 3000, 30000);
  add("2000", 3, "20240201", "", 5, 50, 500, 5000, 50000);

  ASSERT_TRUE(openZkbSum(3, DateText("20240101"), DateText("20240331")).ok())
      << session().lastError();
  std::map<std::string, ZkbRecord> groups;
  for (;;) {
    ZkbRecord rec;
    rec.ZtgVra = "pre";
    rec.ZkbNum = 5;
    if (!fetchZkbSum(rec).ok()) break;
    groups[rec.ZkbPnr.str() + "/" + rec.ZtgVra.str()] = rec;
  }
  EXPECT_TRUE(closeZkbSum().ok());
  ASSERT_EQ(groups.size(), 3u);

  const ZkbRecord& v1 = groups["1000/V1"];
  EXPECT_EQ((std::vector<int32_t>{v1.ZkbStd, v1.ZkbSto, v1.ZkbTge,
                                  v1.ZkbStg, v1.ZkbAnz}),
            (std::vector<int32_t>{3, 30, 300, 3000, 30000}));
  EXPECT_EQ(v1.ZkbKst, "K1");
  EXPECT_EQ(v1.ZkbKtr, "T1");
  EXPECT_EQ(v1.ZkbKrt, "R1");
  EXPECT_EQ(v1.ZkbZkt, "UE");
  EXPECT_EQ(v1.ZkbBem, 0);
  EXPECT_EQ(v1.ZkbNum, 5) << "the caller's field comes through the copy";
  EXPECT_TRUE(v1.ZkbDtm.empty());
  EXPECT_EQ(groups["1000/V2"].ZkbStd, 3);
  // A NULL assignment text leaves the caller's value.
  EXPECT_EQ(groups.count("2000/pre"), 1u);
  EXPECT_EQ(groups["2000/pre"].ZkbStg, 5000);

  // After the last group the caller's record is left as it was.
  ZkbRecord rec;
  rec.ZkbStd = 42;
  EXPECT_NE(fetchZkbSum(rec).code(), 0);
  EXPECT_EQ(rec.ZkbStd, 42);
}

}  // namespace
}  // namespace ravlen
