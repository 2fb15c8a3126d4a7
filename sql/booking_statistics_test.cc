// The booking-statistics statements against a real embedded database:
// the booking count, the sum cursor, both writers and the period deletes.
#include "sql/booking_statistics.h"

#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "db/sqlite/dialect.h"
#include "tests/support/embedded_db.h"
#include "tests/support/session_fixture.h"

namespace ravlen {
namespace {

using testing::execSql;
using testing::julianOf;
using testing::TempDir;

using Rows = std::vector<std::string>;

std::string quoted(const std::string& text) {
  return text.empty() ? "NULL" : "'" + text + "'";
}

std::string groupText(const BstRecord& r) {
  return r.BstPnr.str() + "/" + r.BstFcd.str() + "/" +
         std::to_string(r.BstFkt) + ":" + std::to_string(r.BstAnz);
}

BstRecord bstRow(const std::string& pnr, int32_t ztr, const std::string& day,
                 const std::string& fcd, int32_t fkt, int32_t anz) {
  BstRecord r;
  r.BstPnr = pnr;
  r.BstZtr = ztr;
  r.BstDtm = day;
  r.BstFcd = fcd;
  r.BstFkt = fkt;
  r.BstAnz = anz;
  return r;
}

class BookingStatisticsTest : public testing::ConnectedTest {
 protected:
  std::string korv() const { return dir_.file("KORV.db"); }

  // A booking of `pnr` on `day` at hh:mm, BchVon carrying the time of day.
  void addBooking(const std::string& pnr, const std::string& day, int hour,
                  int minute, int fkt, const std::string& fcd = "A") {
    // Written as another program would: after the session's commit, which
    // ends its hold of the write lock.
    session().commit();
    const double von = julianOf(day) + (hour * 60 + minute) / 1440.0;
    execSql(korv(), "insert into Zev321Bch(BchPnr,BchVon,BchUhr,BchFkt,"
                    "BchFcd) values('" + pnr + "'," + std::to_string(von) +
                        "," + std::to_string(von) + "," +
                        std::to_string(fkt) + "," + quoted(fcd) + ");");
  }

  void addBst(const std::string& pnr, int ztr, const std::string& day,
              const std::string& fcd, int fkt, int anz) {
    execSql(korv(), "insert into Zev899Bst(BstPnr,BstZtr,BstDtm,BstFcd,"
                    "BstFkt,BstAnz) values('" + pnr + "'," +
                        std::to_string(ztr) + ",'" + day + "'," +
                        quoted(fcd) + "," + std::to_string(fkt) + "," +
                        std::to_string(anz) + ");");
  }

  // The count cursor over from .. to, read to its end as "pnr/fcd/fkt:n",
  // sorted; each fetch starts from a record the caller prepared as the
  // roll-up does, whose BstZtr and BstDtm must come back unchanged.
  Rows countGroups(const std::string& from, const std::string& to) {
    EXPECT_TRUE(openBchCount(DateText(from), DateText(to)).ok())
        << session().lastError();
    Rows groups;
    BstRecord rec;
    SqlStatus status;
    for (;;) {
      rec.clear();
      rec.BstZtr = 2;
      rec.BstDtm = from;
      if (!(status = fetchBchCount(rec)).ok()) break;
      EXPECT_EQ(rec.BstZtr, 2);
      EXPECT_EQ(rec.BstDtm, from);
      groups.push_back(groupText(rec));
    }
    EXPECT_EQ(status.code(), 1403) << session().lastError();
    EXPECT_TRUE(closeBchCount().ok());
    std::sort(groups.begin(), groups.end());
    return groups;
  }

  // The stored rows of `table` (committed first), in key order, without
  // the timestamp; NULL and 0 columns are left out.
  Rows stored(const std::string& table) {
    EXPECT_TRUE(session().commit().ok()) << session().lastError();
    const std::string key = table == "Zev898Bst"
                                ? "BstDwh, BstPnr, BstZtr, BstDtm, DwhBis"
                                : "BstPnr, BstZtr, BstDtm";
    return testing::queryRows(
        korv(), "select * from " + table + " order by " + key + ", BstFcd",
        {"BstDat"});
  }

};

// ---------------------------------------------------------------------------
// Booking counts

TEST_F(BookingStatisticsTest, CountsGroupsOfTheWindowWithoutFunction45) {
  addBooking("1000", "20240115", 8, 0, 1);
  addBooking("1000", "20240115", 17, 30, 1);
  addBooking("1000", "20240116", 8, 0, 1);
  addBooking("1000", "20240116", 12, 0, 2);
  addBooking("1000", "20240115", 9, 0, 45);  // never counted
  addBooking("1000", "20240116", 9, 0, 45);
  addBooking("1000", "20240115", 10, 0, 1, "B");
  addBooking("2000", "20240116", 7, 0, 3, "");  // no function code
  addBooking("1000", "20240114", 8, 0, 1);      // before the window
  addBooking("1000", "20240117", 8, 0, 1);      // after the window

  EXPECT_EQ(countGroups("20240115", "20240116"),
            (Rows{"1000/A/1:3", "1000/A/2:1", "1000/B/1:1", "2000//3:1"}));
  // One day, as the day level passes it.
  EXPECT_EQ(countGroups("20240115", "20240115"),
            (Rows{"1000/A/1:2", "1000/B/1:1"}));
  // Only function 45 or nothing at all: no group.
  addBooking("3000", "20240120", 8, 0, 45);
  EXPECT_EQ(countGroups("20240120", "20240121"), Rows{});
}

// The day of a booking is compared as text, so the whole last day of the
// window counts, up to its last minute, and nothing of the day after.
TEST_F(BookingStatisticsTest, CountsTheWholeLastDayOfTheWindow) {
  addBooking("1000", "20240131", 23, 59, 1);
  addBooking("1000", "20240201", 0, 0, 1);
  addBooking("1000", "20240101", 0, 0, 1);
  addBooking("1000", "20231231", 23, 59, 1);
  EXPECT_EQ(countGroups("20240101", "20240131"), Rows{"1000/A/1:2"});
  EXPECT_EQ(countGroups("20240131", "20240131"), Rows{"1000/A/1:1"});
}

TEST_F(BookingStatisticsTest, FailedFetchLeavesTheRecordAlone) {
  addBooking("1000", "20240115", 8, 0, 1);
  ASSERT_TRUE(openBchCount(DateText("20240115"), DateText("20240115")).ok());
  BstRecord rec = bstRow("", 1, "20240115", "", 0, 0);
  ASSERT_TRUE(fetchBchCount(rec).ok());
  EXPECT_EQ(groupText(rec), "1000/A/1:1");
  BstRecord next = bstRow("x", 1, "20240116", "Z", 7, 9);
  EXPECT_EQ(fetchBchCount(next).code(), 1403);
  EXPECT_EQ(groupText(next), "x/Z/7:9");
  EXPECT_EQ(next.BstDtm, "20240116");
  EXPECT_TRUE(closeBchCount().ok());
}

// ---------------------------------------------------------------------------
// Sums of stored counts

TEST_F(BookingStatisticsTest, SumsOnePeriodCodeOverTheWindow) {
  addBst("1000", 1, "20240101", "A", 1, 1);
  addBst("1000", 1, "20240115", "A", 1, 2);
  addBst("1000", 1, "20240131", "A", 1, 4);
  addBst("1000", 1, "20240120", "A", 2, 8);  // a day whose row kept fkt 2
  addBst("1000", 1, "20240120", "B", 1, 16);
  addBst("2000", 1, "20240110", "A", 1, 32);
  addBst("1000", 1, "20231231", "A", 1, 64);   // before the window
  addBst("1000", 1, "20240201", "A", 1, 128);  // after the window
  addBst("1000", 2, "20240115", "A", 1, 256);  // another period code

  ASSERT_TRUE(openBstSum(1, DateText("20240101"), DateText("20240131")).ok())
      << session().lastError();
  Rows groups;
  BstRecord rec;
  SqlStatus status;
  for (;;) {
    rec.clear();
    rec.BstZtr = 3;
    rec.BstDtm = "20240101";
    if (!(status = fetchBstSum(rec)).ok()) break;
    EXPECT_EQ(rec.BstZtr, 3);
    EXPECT_EQ(rec.BstDtm, "20240101");
    groups.push_back(groupText(rec));
  }
  EXPECT_EQ(status.code(), 1403);
  EXPECT_TRUE(closeBstSum().ok());
  std::sort(groups.begin(), groups.end());
  EXPECT_EQ(groups,
            (Rows{"1000/A/1:7", "1000/A/2:8", "1000/B/1:16", "2000/A/1:32"}));
}

// ---------------------------------------------------------------------------
// Writers

TEST_F(BookingStatisticsTest, NewGroupIsInsertedWithItsTimestamp) {
  EXPECT_TRUE(writeBst(bstRow("1000", 1, "20240115", "A", 1, 3)).ok())
      << session().lastError();
  EXPECT_EQ(stored("Zev899Bst"),
            Rows{"BstPnr=1000 BstZtr=1 BstDtm=20240115 BstFcd=A BstFkt=1 "
                 "BstAnz=3"});
  EXPECT_EQ(testing::queryText(korv(), "select length(BstDat) from Zev899Bst"),
            "14");
}

// A taken key adds the new count to the stored row; the booking function is
// no part of the key, so a second booking function joins the first's row.
TEST_F(BookingStatisticsTest, TakenKeyAddsTheCountToTheStoredRow) {
  ASSERT_TRUE(writeBst(bstRow("1000", 2, "20240115", "A", 1, 3)).ok());
  EXPECT_TRUE(writeBst(bstRow("1000", 2, "20240115", "A", 1, 4)).ok())
      << session().lastError();
  EXPECT_TRUE(writeBst(bstRow("1000", 2, "20240115", "A", 2, 5)).ok());
  // Each differs from the first in one key column: rows of their own.
  EXPECT_TRUE(writeBst(bstRow("1000", 2, "20240115", "B", 1, 1)).ok());
  EXPECT_TRUE(writeBst(bstRow("1000", 3, "20240115", "A", 1, 1)).ok());
  EXPECT_TRUE(writeBst(bstRow("1000", 2, "20240122", "A", 1, 1)).ok());
  EXPECT_TRUE(writeBst(bstRow("2000", 2, "20240115", "A", 1, 1)).ok());
  EXPECT_EQ(
      stored("Zev899Bst"),
      (Rows{"BstPnr=1000 BstZtr=2 BstDtm=20240115 BstFcd=A BstFkt=1 BstAnz=12",
            "BstPnr=1000 BstZtr=2 BstDtm=20240115 BstFcd=B BstFkt=1 BstAnz=1",
            "BstPnr=1000 BstZtr=2 BstDtm=20240122 BstFcd=A BstFkt=1 BstAnz=1",
            "BstPnr=1000 BstZtr=3 BstDtm=20240115 BstFcd=A BstFkt=1 BstAnz=1",
            "BstPnr=2000 BstZtr=2 BstDtm=20240115 BstFcd=A BstFkt=1 "
            "BstAnz=1"}));
}

// Only -1 leads to the update; a failing insert of another kind is
// returned as it is (an update would answer 1403 here).
TEST_F(BookingStatisticsTest, OtherInsertFailuresAreReturnedUnchanged) {
  EXPECT_EQ(writeBst(bstRow("", 1, "20240115", "A", 1, 3)).code(), -1400);
  BstRecord rec = bstRow("1000", 7, "20240301", "A", 1, 3);
  EXPECT_EQ(writeBstEvaluation(rec, DateText("20240331"), FixedText<50>(""))
                .code(),
            -1400);
  EXPECT_EQ(stored("Zev899Bst"), Rows{});
  EXPECT_EQ(stored("Zev898Bst"), Rows{});
}

TEST_F(BookingStatisticsTest, EvaluationRowsCarryNameAndLastDay) {
  const FixedText<50> q1("Quartal 1");
  const BstRecord rec = bstRow("1000", 7, "20240301", "A", 1, 3);
  ASSERT_TRUE(writeBstEvaluation(rec, DateText("20240331"), q1).ok())
      << session().lastError();
  // The same period again (a second named run): the counts add up.
  EXPECT_TRUE(writeBstEvaluation(bstRow("1000", 7, "20240301", "A", 2, 4),
                                 DateText("20240331"), q1)
                  .ok())
      << session().lastError();
  // Another last day or another name: rows of their own.
  EXPECT_TRUE(writeBstEvaluation(rec, DateText("20240315"), q1).ok());
  EXPECT_TRUE(
      writeBstEvaluation(rec, DateText("20240331"), FixedText<50>("Q")).ok());
  EXPECT_EQ(stored("Zev898Bst"),
            (Rows{"BstDwh=Q BstPnr=1000 BstZtr=7 BstDtm=20240301 BstFcd=A "
                  "BstFkt=1 BstAnz=3 DwhBis=20240331",
                  "BstDwh=Quartal 1 BstPnr=1000 BstZtr=7 BstDtm=20240301 "
                  "BstFcd=A BstFkt=1 BstAnz=3 DwhBis=20240315",
                  "BstDwh=Quartal 1 BstPnr=1000 BstZtr=7 BstDtm=20240301 "
                  "BstFcd=A BstFkt=1 BstAnz=7 DwhBis=20240331"}));
  EXPECT_EQ(stored("Zev899Bst"), Rows{});
}

// ---------------------------------------------------------------------------
// Period deletes

TEST_F(BookingStatisticsTest, DeleteBeforeKeepsTheDayItselfAndOtherCodes) {
  addBst("1000", 2, "20231231", "A", 1, 1);
  addBst("1000", 2, "20240101", "A", 1, 2);
  addBst("1000", 2, "20240114", "A", 1, 3);
  addBst("1000", 2, "20240115", "A", 1, 4);
  addBst("1000", 3, "20240101", "A", 1, 5);
  EXPECT_TRUE(deleteBstBefore(DateText("20240101"), DateText("20240115"), 2)
                  .ok());
  EXPECT_TRUE(session().commit().ok());
  EXPECT_EQ(testing::queryText(korv(), "select group_concat(BstAnz) from "
                                       "(select BstAnz from Zev899Bst "
                                       "order by BstAnz)"),
            "1,4,5");
}

TEST_F(BookingStatisticsTest, DeleteEvaluationPeriodTakesOnlyThatPeriod) {
  // Name, person, first day, last day, function code and count; only the
  // first two rows belong to Q1 from 20240301 to 20240331.
  execSql(korv(),
          "insert into Zev898Bst(BstDwh,BstPnr,BstZtr,BstDtm,DwhBis,BstFcd,"
          "BstAnz) values"
          "('Q1','1000',7,'20240301','20240331','A',1),"
          "('Q1','2000',7,'20240301','20240331',NULL,2),"
          "('Q1','1000',7,'20240301','20240330','A',4),"
          "('Q1','1000',7,'20240302','20240331','A',8),"
          "('Q2','1000',7,'20240301','20240331','A',16);");
  const FixedText<50> q1("Q1");
  EXPECT_TRUE(deleteBstEvaluationPeriod(q1, DateText("20240301"),
                                        DateText("20240331"))
                  .ok())
      << session().lastError();
  EXPECT_EQ(deleteBstEvaluationPeriod(q1, DateText("20240301"),
                                      DateText("20240331"))
                .code(),
            1403);
  EXPECT_TRUE(session().commit().ok());
  EXPECT_EQ(testing::queryText(korv(), "select group_concat(BstAnz) from "
                                       "(select BstAnz from Zev898Bst "
                                       "order by BstAnz)"),
            "4,8,16");
}

// ---------------------------------------------------------------------------
// A database that still carries the old expression index of the day count

// Databases made before the count became a range of BchVon may carry an
// index on to_char(BchVon,'yyyymmdd'). The session registers the function,
// so writing bookings still maintains the index, and the count is right.
TEST_F(BookingStatisticsTest, OldExpressionIndexKeepsWorking) {
  addBooking("1000", "20240131", 23, 59, 1);
  session().disconnect();
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(korv().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(registerDialect(db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db,
                           "CREATE INDEX Zev321Bch_Day ON Zev321Bch "
                           "(to_char(BchVon,'yyyymmdd'))",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }
  ASSERT_EQ(sqlConnect("u", "p", "sqlite:" + dir_.path(), "KORV"), 0);
  ASSERT_TRUE(session()
                  .executeImmediate("insert into Zev321Bch(BchPnr,BchVon,"
                                    "BchFkt,BchFcd) values('1000'," +
                                    std::to_string(julianOf("20240201")) +
                                    ",1,'A')")
                  .ok())
      << session().lastError();
  EXPECT_EQ(countGroups("20240131", "20240131"), Rows{"1000/A/1:1"});
  EXPECT_EQ(countGroups("20240201", "20240201"), Rows{"1000/A/1:1"});
}

}  // namespace
}  // namespace ravlen
