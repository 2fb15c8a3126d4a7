// The personnel statements and the personnel stage against a real embedded
// database.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "run/personnel_stage.h"
#include "sql/personnel.h"
#include "tests/support/embedded_db.h"
#include "tests/support/session_fixture.h"

namespace ravlen {
namespace {

using testing::execSql;
using testing::queryRows;
using testing::queryText;

std::string jd(std::string_view day) {
  return std::to_string(testing::julianOf(day));
}

std::string textOrNull(const std::string& s) {
  return s.empty() ? std::string("NULL") : "'" + s + "'";
}

// The warehouse row of a person whose source columns are all set (see
// addPerson), as queryRows prints it without PnrDat.
std::string fullRow(const std::string& pnr, const std::string& tag,
                    const std::string& lug, const std::string& ztg = "") {
  return "PnrNum=" + pnr + " PnrGeb=19800215 PnrEin=20100401 " +
         "PnrGbi=20301231 PnrNam=Nam" + tag + " PnrStr=Str" + tag +
         " PnrPlz=Plz" + tag + " PnrOrt=Ort" + tag + " PnrTel=Tel" + tag +
         " PnrMob=Mob" + tag + " PnrEml=Eml" + tag +
         " PnrAnr=3 PnrTit=4 PnrAnm=Anm" + tag +
         (lug.empty() ? "" : " PnrLug=" + lug) + " PnrSta=5 PnrMrt=Mrt" + tag +
         " PnrFrt=Frt" + tag + " PnrFre=Fre" + tag + " PnrBea=6 PnrNeb=Neb" +
         tag + " PnrAkt=Akt" + tag + " PnrEnd=End" + tag + " PnrKrd=Krd" + tag +
         " PnrPrt=Prt" + tag + ztg;
}

// The nine assignment columns as an assignment row `tag` fills them.
std::string ztgPart(const std::string& tag) {
  return " ZtgAzt=Az" + tag + " ZtgVra=Vr" + tag + " ZtgAkr=Ak" + tag +
         " ZtgAbt=Abt" + tag + " ZtgKst=Kst" + tag + " ZtgKtr=Kt" + tag +
         " ZtgKrt=Kr" + tag + " ZtgAgr=Ag" + tag + " ZtgBsd=Bs" + tag;
}

class PersonnelTest : public testing::ConnectedTest {
 protected:
  void app(const std::string& sql) { execSql(dir_.file("KORV.db"), sql); }

  // A person with every column set; texts end in `tag`.
  void addPerson(const std::string& pnr, const std::string& tag = "") {
    app("insert into ZEV300PNR values ('" + pnr + "',1," + jd("19800215") +
        "," + jd("20100401") + "," + jd("20301231") + ",'Nam" + tag +
        "','Str" + tag + "','Plz" + tag + "','Ort" + tag + "','Tel" + tag +
        "','Mob" + tag + "','Eml" + tag + "',3,4,'Anm" + tag + "',5,'Mrt" +
        tag + "','Frt" + tag + "','Fre" + tag + "',6,'Neb" + tag + "','Akt" +
        tag + "','End" + tag + "','Krd" + tag + "','Prt" + tag + "');");
  }
  // A person with nothing but the number.
  void addBarePerson(const std::string& pnr) {
    app("insert into ZEV300PNR (PnrNum) values ('" + pnr + "');");
  }
  // An employment row; an empty `until` is open-ended, an empty `lug` NULL.
  void employ(const std::string& pnr, std::string_view from,
              std::string_view until, const std::string& lug = "") {
    app("insert into Zev310Bsv (BsvPnr,BsvGvo,BsvGbi,BsvLug) values ('" +
        pnr + "'," + jd(from) + "," +
        (until.empty() ? std::string("NULL") : jd(until)) + "," +
        textOrNull(lug) + ");");
  }
  // An assignment starting on the Julian day `von`; ZtgKtr NULL when `tag`
  // is "n".
  void assign(const std::string& pnr, double von, const std::string& tag) {
    std::string ktr = tag == "n" ? "NULL" : "'Kt" + tag + "'";
    app("insert into Zev329Ztg values ('" + pnr + "'," + std::to_string(von) +
        ",'Az" + tag + "','Vr" + tag + "','Ak" + tag + "','Abt" + tag +
        "','Kst" + tag + "'," + ktr + ",'Kr" + tag + "','Ag" + tag + "','Bs" +
        tag + "','Tt');");
  }

  // Fetches to the end: the person numbers with their PnrLug.
  std::vector<std::string> fetchAll(const char* from, const char* to) {
    std::vector<std::string> seen;
    EXPECT_TRUE(openPnrSource(DateText(from), DateText(to)).ok())
        << session().lastError();
    PnrRecord rec;
    SqlStatus status;
    while ((status = fetchPnrSource(rec)).ok())
      seen.push_back(rec.PnrNum.str() + "/" + rec.PnrLug.str());
    EXPECT_EQ(status.code(), 1403) << session().lastError();
    EXPECT_TRUE(closePnrSource().ok());
    return seen;
  }

  std::vector<std::string> warehouse() {
    return queryRows(dir_.file("KORV.db"),
                     "select * from Zev899Pnr order by PnrNum", {"PnrDat"});
  }

};

TEST_F(PersonnelTest, SourceTakesEmploymentRowsThatOverlapTheWindow) {
  const char* kPersons[] = {"01", "02", "03", "04", "05", "06", "07", "08"};
  for (const char* p : kPersons) addBarePerson(p);
  employ("01", "20230101", "20241231", "inside");
  employ("02", "20240120", "", "onEnd");
  employ("03", "20230101", "20240110", "onStart");
  employ("04", "20200101", "", "open");
  employ("05", "20240121", "", "afterEnd");
  employ("06", "20230101", "20240109", "before");
  employ("07", "20240111", "20240112", "within");
  // 08 has no employment row at all.

  EXPECT_EQ(fetchAll("20240110", "20240120"),
            (std::vector<std::string>{"01/inside", "02/onEnd",
                                      "03/onStart", "04/open",
                                      "07/within"}));
  EXPECT_EQ(fetchAll("20250101", "20251231"),
            (std::vector<std::string>{"02/onEnd", "04/open", "05/afterEnd"}));
}

TEST_F(PersonnelTest, SourceDeliversAPersonOncePerDistinctBsvLug) {
  addBarePerson("10");
  employ("10", "20230101", "20231231", "A");
  employ("10", "20240101", "", "B");
  addBarePerson("11");
  employ("11", "20230101", "20231231", "C");
  employ("11", "20240101", "", "C");

  std::vector<std::string> seen = fetchAll("20231201", "20240131");
  ASSERT_EQ(seen.size(), 3u);
  std::sort(seen.begin(), seen.begin() + 2);
  EXPECT_EQ(seen, (std::vector<std::string>{"10/A", "10/B", "11/C"}));
}

// Which column lands in which field is checked through whole warehouse rows
// below; here: what a fetch leaves of the record it fills.
TEST_F(PersonnelTest, FetchReplacesTheWholeRecordOnlyOnSuccess) {
  addPerson("20", "x");
  employ("20", "20240101", "", "Lug");
  addBarePerson("21");
  employ("21", "20240101", "");
  ASSERT_TRUE(openPnrSource(DateText("20240101"), DateText("20240131")).ok());

  PnrRecord rec;
  rec.ZtgAzt = "old";
  rec.ZtgBsd = "old";
  ASSERT_TRUE(fetchPnrSource(rec).ok()) << session().lastError();
  EXPECT_EQ(rec.PnrNum, "20");
  EXPECT_EQ(rec.PnrLug, "Lug");
  EXPECT_TRUE(rec.ZtgAzt.empty());
  EXPECT_TRUE(rec.ZtgBsd.empty());

  // A person whose columns are all NULL keeps nothing of the row before.
  ASSERT_TRUE(fetchPnrSource(rec).ok()) << session().lastError();
  EXPECT_EQ(rec.PnrNum, "21");
  EXPECT_TRUE(rec.PnrGeb.empty());
  EXPECT_TRUE(rec.PnrNam.empty());
  EXPECT_EQ(rec.PnrAnr, 0);
  EXPECT_TRUE(rec.PnrLug.empty());
  EXPECT_TRUE(rec.PnrPrt.empty());

  // Past the end the record keeps the last row.
  EXPECT_EQ(fetchPnrSource(rec).code(), 1403);
  EXPECT_EQ(rec.PnrNum, "21");
  EXPECT_TRUE(closePnrSource().ok());
}

TEST_F(PersonnelTest, LookupTakesOnlyTheAssignmentStartingToday) {
  double today = testing::julianOf(testing::localToday());
  assign("30", today - 1, "y");
  assign("30", today, "t");
  assign("30", today + 1, "m");
  assign("31", today, "n");  // ZtgKtr NULL
  assign("32", today - 1, "y");

  PnrRecord rec;
  rec.PnrNum = "30";
  rec.PnrNam = "Nam";
  ASSERT_TRUE(lookupPnrZtg(rec).ok()) << session().lastError();
  EXPECT_EQ(rec.PnrNam, "Nam");
  EXPECT_EQ(rec.ZtgAzt, "Azt");
  EXPECT_EQ(rec.ZtgVra, "Vrt");
  EXPECT_EQ(rec.ZtgAkr, "Akt");
  EXPECT_EQ(rec.ZtgAbt, "Abtt");
  EXPECT_EQ(rec.ZtgKst, "Kstt");
  EXPECT_EQ(rec.ZtgKtr, "Ktt");
  EXPECT_EQ(rec.ZtgKrt, "Krt");
  EXPECT_EQ(rec.ZtgAgr, "Agt");
  EXPECT_EQ(rec.ZtgBsd, "Bst");

  // A NULL column leaves its field as it was.
  rec.PnrNum = "31";
  ASSERT_TRUE(lookupPnrZtg(rec).ok()) << session().lastError();
  EXPECT_EQ(rec.ZtgAzt, "Azn");
  EXPECT_EQ(rec.ZtgKtr, "Ktt");

  // No assignment starting today: nothing changes.
  rec.PnrNum = "32";
  EXPECT_EQ(lookupPnrZtg(rec).code(), 1403);
  EXPECT_EQ(rec.ZtgAzt, "Azn");
  EXPECT_EQ(rec.ZtgBsd, "Bsn");
}

TEST_F(PersonnelTest, WriteInsertsThenOverwritesEveryColumn) {
  // Built here, not fetched: each field must reach the column of its name.
  PnrRecord rec;
  rec.PnrNum = "40";
  rec.PnrGeb = "19800215";
  rec.PnrEin = "20100401";
  rec.PnrGbi = "20301231";
  rec.PnrNam = "Nam1";
  rec.PnrStr = "Str1";
  rec.PnrPlz = "Plz1";
  rec.PnrOrt = "Ort1";
  rec.PnrTel = "Tel1";
  rec.PnrMob = "Mob1";
  rec.PnrEml = "Eml1";
  rec.PnrAnr = 3;
  rec.PnrTit = 4;
  rec.PnrAnm = "Anm1";
  rec.PnrLug = "Lug";
  rec.PnrSta = 5;
  rec.PnrMrt = "Mrt1";
  rec.PnrFrt = "Frt1";
  rec.PnrFre = "Fre1";
  rec.PnrBea = 6;
  rec.PnrNeb = "Neb1";
  rec.PnrAkt = "Akt1";
  rec.PnrEnd = "End1";
  rec.PnrKrd = "Krd1";
  rec.PnrPrt = "Prt1";
  rec.ZtgAzt = "Az1";
  rec.ZtgVra = "Vr1";
  rec.ZtgAkr = "Ak1";
  rec.ZtgAbt = "Abt1";
  rec.ZtgKst = "Kst1";
  rec.ZtgKtr = "Kt1";
  rec.ZtgKrt = "Kr1";
  rec.ZtgAgr = "Ag1";
  rec.ZtgBsd = "Bs1";

  ASSERT_TRUE(writePnr(rec).ok()) << session().lastError();
  ASSERT_TRUE(sqlCommit());
  EXPECT_EQ(warehouse(),
            (std::vector<std::string>{fullRow("40", "1", "Lug", ztgPart("1"))}));
  std::string written = queryText(dir_.file("KORV.db"),
                                  "select PnrDat from Zev899Pnr");
  EXPECT_EQ(written.size(), 14u);
  EXPECT_EQ(written.substr(0, 8), testing::localToday());

  // The same person again: the update path, emptied fields become NULL.
  app("update Zev899Pnr set PnrDat='19990101000000';");
  rec.PnrNam.clear();
  rec.PnrAnr = 0;
  rec.PnrLug = "Neu";
  rec.ZtgAzt.clear();
  rec.ZtgBsd = "Bs2";
  ASSERT_TRUE(writePnr(rec).ok()) << session().lastError();
  ASSERT_TRUE(sqlCommit());
  std::string expected = fullRow("40", "1", "Neu", ztgPart("1"));
  for (const char* gone : {"PnrNam=Nam1 ", "PnrAnr=3 ", "ZtgAzt=Az1 "})
    expected.erase(expected.find(gone), std::string(gone).size());
  expected.replace(expected.find("ZtgBsd=Bs1"), 10, "ZtgBsd=Bs2");
  EXPECT_EQ(warehouse(), (std::vector<std::string>{expected}));
  written = queryText(dir_.file("KORV.db"), "select PnrDat from Zev899Pnr");
  EXPECT_EQ(written.substr(0, 8), testing::localToday());
}

TEST_F(PersonnelTest, StageTransfersThePersonsOfTheWindowAndCommits) {
  double today = testing::julianOf(testing::localToday());
  // In the window (2020), with an assignment starting today and one on the
  // window's first day: today's is taken.
  addPerson("50", "a");
  employ("50", "20190101", "20200630", "L50");
  assign("50", today, "t");
  assign("50", testing::julianOf("20200101"), "w");
  // Two overlapping employment rows that differ in BsvLug: one row remains.
  addPerson("51", "b");
  employ("51", "20190101", "20200131", "X");
  employ("51", "20200201", "", "Y");
  // Only NULL source columns.
  addBarePerson("52");
  employ("52", "20200301", "20200301");
  // Already in the warehouse: overwritten.
  addPerson("53", "d");
  employ("53", "20201231", "", "L53");
  app("insert into Zev899Pnr (PnrNum,PnrNam,PnrPrt,ZtgKst,PnrDat) values "
      "('53','Alt','Alt','Alt','19990101000000');");
  // Employed only before or only after the window: not transferred, and a
  // warehouse row of such a person stays as it is.
  addPerson("54", "e");
  employ("54", "20180101", "20191231", "L54");
  addPerson("55", "f");
  employ("55", "20210101", "", "L55");
  app("insert into Zev899Pnr (PnrNum,PnrNam,PnrDat) values "
      "('55','Alt','19990101000000');");

  runPersonnelStage(DateText("20200101"), DateText("20201231"));

  std::vector<std::string> rows = warehouse();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], fullRow("50", "a", "L50", ztgPart("t")));
  EXPECT_TRUE(rows[1] == fullRow("51", "b", "X") ||
              rows[1] == fullRow("51", "b", "Y"))
      << rows[1];
  EXPECT_EQ(rows[2], "PnrNum=52");
  EXPECT_EQ(rows[3], fullRow("53", "d", "L53"));
  EXPECT_EQ(rows[4], "PnrNum=55 PnrNam=Alt");
  EXPECT_EQ(queryText(dir_.file("KORV.db"),
                      "select count(*) from Zev899Pnr where PnrDat like '" +
                          testing::localToday() + "%'"),
            "4");
}

}  // namespace
}  // namespace ravlen
