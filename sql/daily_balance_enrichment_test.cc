// The master-data lookups of a daily balance against a real embedded
// database.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "sql/daily_balance_enrichment.h"
#include "tests/support/embedded_db.h"
#include "tests/support/session_fixture.h"
#include "tests/support/warehouse_fixture.h"

namespace ravlen {
namespace {

// A Julian day number as SQL text, the storage form of operational dates.
using testing::jd;

class EnrichmentTest : public testing::ConnectedTest {
 protected:
  void SetUp() override {
    ConnectedTest::SetUp();
    rec_.TgbPnr = "1001";
    rec_.TgbZtr = 1;
    rec_.TgbDtm = "20240115";
  }

  void addFunctionCodes() {
    sys("insert into Zev131Fcd values ('U',12,'Urlaub','UR');"
        "insert into Zev131Fcd values ('K',13,'Krank','KR');"
        "insert into Zev131Fcd values ('D',NULL,'Dienstgang','DG');"
        "insert into Zev102whl values (13102,12,1,'Abwesenheit');"
        "insert into Zev102whl values (13102,12,2,'absence');"
        "insert into Zev102whl values (13102,13,2,'sick');"
        "insert into Zev102whl values (13101,13,1,'andere Liste');");
  }

  TgbRecord rec_;
};

TEST_F(EnrichmentTest, FullRowFillsEveryMasterDataField) {
  addFunctionCodes();
  app("insert into Zev327Tag values ('1001'," + jd("20240115") +
      ",11,12,'U','K','U',18,19);"
      "insert into Zev329Ztg values ('1001'," + jd("20240115") +
      ",'AZ1','VRA','AKR','Abteilung','Kostenstelle','KTR','KRT','AGR',"
      "'BSD','TTP');"
      "insert into Zev140Azv values ('AZ1',51,52,53,54,55,56,'PSM',50);"
      "insert into Zev310Bsv values ('1001'," + jd("20230101") +
      "," + jd("20241231") + ",'Muster, Erika','ABR','LUG','URL',63,64.5,"
      "'SAL','LFZ','SFR','JAM','KAL',70.25,71,72,73,74,75,'R0','R1','R2',"
      "'R3','R4','R5','R6','R7','R8','R9');"
      "insert into Zev311Zuo values ('1001'," + jd("20240101") + ",NULL);"
      "insert into Zev332Urv values ('1001',2024,91,92,93,94,95,96,97,98,"
      "99,100);"
      "insert into Zev332Utg values ('1001'," + jd("20240110") +
      ",102,103,104,105,101);"
      "insert into Zev332Sfv values ('1001',2024,110,111,112);"
      "insert into Zev332Sfz values ('1001'," + jd("20240105") +
      ",106,107,108,109);"
      "insert into Zev332Jav values ('1001'," + jd("20240101") + "," +
      jd("20241231") + ",113);");
  sys("insert into Zev133Bak values (" + jd("20240115") + ",3,1,1,1);");
  rec_.TgbVt2 = 40;
  rec_.TgbSa2 = 2;
  rec_.TgbVt4 = 7;
  rec_.TgbSa4 = -1;

  enrichTgbRow(rec_, {.jhs = 4, .jhr = 2});

  EXPECT_EQ(rec_.TagKzv, 11);
  EXPECT_EQ(rec_.TagPzv, 12);
  EXPECT_EQ(rec_.TagTgb, "U");
  EXPECT_EQ(rec_.TagHtv, "K");
  EXPECT_EQ(rec_.TagHtn, "U");
  EXPECT_EQ(rec_.TagNpk, 18);
  EXPECT_EQ(rec_.TagAmp, 19);
  EXPECT_EQ(rec_.TgbTx1, "Urlaub");
  EXPECT_EQ(rec_.TgbFt1, "Abwesenheit") << "type text in language 1";
  EXPECT_EQ(rec_.TgbTm1, "UR");
  EXPECT_EQ(rec_.TgbTx2, "Krank");
  EXPECT_EQ(rec_.TgbFt2, "") << "type 13 has no text in language 1";
  EXPECT_EQ(rec_.TgbTm2, "KR");
  EXPECT_EQ(rec_.TgbTx3, "Urlaub");
  EXPECT_EQ(rec_.TgbFt3, "Abwesenheit");
  EXPECT_EQ(rec_.TgbTm3, "UR");

  EXPECT_EQ(rec_.ZtgAzt, "AZ1");
  EXPECT_EQ(rec_.ZtgVra, "VRA");
  EXPECT_EQ(rec_.ZtgAkr, "AKR");
  EXPECT_EQ(rec_.ZtgAbt, "Abteilung");
  EXPECT_EQ(rec_.ZtgKst, "Kostenstelle");
  EXPECT_EQ(rec_.ZtgKtr, "KTR");
  EXPECT_EQ(rec_.ZtgKrt, "KRT");
  EXPECT_EQ(rec_.ZtgAgr, "AGR");
  EXPECT_EQ(rec_.ZtgBsd, "BSD");
  EXPECT_EQ(rec_.ZtgTtp, "TTP");

  EXPECT_EQ(rec_.TgbGaz, 0);
  EXPECT_EQ(rec_.AzvSol, 50);
  EXPECT_EQ(rec_.AzvGlv, 51);
  EXPECT_EQ(rec_.AzvGlb, 52);
  EXPECT_EQ(rec_.AzvKev, 53);
  EXPECT_EQ(rec_.AzvKeb, 54);
  EXPECT_EQ(rec_.AzvMav, 55);
  EXPECT_EQ(rec_.AzvMab, 56);
  EXPECT_EQ(rec_.AzvPsm, "PSM");
  EXPECT_EQ(rec_.BakWtg, 1);

  EXPECT_EQ(rec_.BsvPnm, "Muster, Erika");
  EXPECT_EQ(rec_.BsvGvo, "20230101");
  EXPECT_EQ(rec_.BsvGbi, "20241231");
  EXPECT_EQ(rec_.BsvAbr, "ABR");
  EXPECT_EQ(rec_.BsvLug, "LUG");
  EXPECT_EQ(rec_.BsvUrl, "URL");
  EXPECT_EQ(rec_.BsvBgr, 63);
  EXPECT_EQ(rec_.BsvDwt, 64.5);
  EXPECT_EQ(rec_.BsvSal, "SAL");
  EXPECT_EQ(rec_.BsvLfz, "LFZ");
  EXPECT_EQ(rec_.BsvSfr, "SFR");
  EXPECT_EQ(rec_.BsvJam, "JAM");
  EXPECT_EQ(rec_.BsvKal, "KAL");
  EXPECT_EQ(rec_.BsvPrz, 70.25);
  EXPECT_EQ(rec_.BsvMma, 71);
  EXPECT_EQ(rec_.BsvMon, 72);
  EXPECT_EQ(rec_.BsvDms, 73);
  EXPECT_EQ(rec_.BsvAgm, 74);
  EXPECT_EQ(rec_.BsvAgv, 75);
  EXPECT_EQ(rec_.BsvRe0, "R0");
  EXPECT_EQ(rec_.BsvRe5, "R5");
  EXPECT_EQ(rec_.BsvRe9, "R9");
  EXPECT_EQ(rec_.ZuoGvo, "20240101");
  EXPECT_EQ(rec_.ZuoGbi, "") << "open-ended assignment";

  EXPECT_EQ(rec_.UrvJhr, 2024);
  EXPECT_EQ(rec_.UrvVjr, 91);
  EXPECT_EQ(rec_.UrvSbh, 98);
  EXPECT_EQ(rec_.UrvSul, 100);
  EXPECT_EQ(rec_.UtgGut, 102);
  EXPECT_EQ(rec_.UtgVtg, 103);
  EXPECT_EQ(rec_.UtgGkt, 104);
  EXPECT_EQ(rec_.UtgVfl, 105);
  EXPECT_EQ(rec_.UtgRtg, 101);
  EXPECT_EQ(rec_.SfzGen, 106);
  EXPECT_EQ(rec_.SfzAns, 107);
  EXPECT_EQ(rec_.SfzAnt, 108);
  EXPECT_EQ(rec_.SfzVpl, 109);
  EXPECT_EQ(rec_.SfvVtg, 110);
  EXPECT_EQ(rec_.SfvVan, 111);
  EXPECT_EQ(rec_.SfvZus, 112);

  EXPECT_EQ(rec_.JavJaz, 113);
  EXPECT_EQ(rec_.JavSol, 6) << "pair 4: TgbVt4 + TgbSa4";
  EXPECT_EQ(rec_.JavIst, 42) << "pair 2: TgbVt2 + TgbSa2";
  EXPECT_EQ(rec_.JavDif, 36);
  EXPECT_EQ(rec_.JavDi2, 71);
}

TEST_F(EnrichmentTest, FunctionCodeSlotsStayApart) {
  addFunctionCodes();
  rec_.TagTgb = "X";  // not in Zev131Fcd
  EXPECT_TRUE(lookupFunctionCode(rec_, 1, rec_.TagTgb).noData());
  EXPECT_TRUE(lookupFunctionCode(rec_, 2, FixedText<3>("U")).ok());
  EXPECT_EQ(rec_.TgbTx1, "");
  EXPECT_EQ(rec_.TgbFt1, "");
  EXPECT_EQ(rec_.TgbTm1, "");
  EXPECT_EQ(rec_.TgbTx2, "Urlaub");
  EXPECT_EQ(rec_.TgbFt2, "Abwesenheit");
  EXPECT_EQ(rec_.TgbTm2, "UR");

  // A code without type: text and mark, no type text, and the status of the
  // code statement.
  EXPECT_TRUE(lookupFunctionCode(rec_, 3, FixedText<3>("D")).ok());
  EXPECT_EQ(rec_.TgbTx3, "Dienstgang");
  EXPECT_EQ(rec_.TgbTm3, "DG");
  EXPECT_EQ(rec_.TgbFt3, "");

  // A type without text in language 1: the status of the type statement.
  EXPECT_TRUE(lookupFunctionCode(rec_, 1, FixedText<3>("K")).noData());
  EXPECT_EQ(rec_.TgbTx1, "Krank");
  EXPECT_EQ(rec_.TgbFt1, "");
}

TEST_F(EnrichmentTest, DayRowWithoutCodesRunsNoCodeLookup) {
  addFunctionCodes();
  app("insert into Zev327Tag values ('1001'," + jd("20240115") +
      ",1,2,NULL,NULL,NULL,3,4);");
  enrichTgbRow(rec_, {});
  EXPECT_EQ(rec_.TagKzv, 1);
  EXPECT_EQ(rec_.TgbTx1, "");
  EXPECT_EQ(rec_.TgbTx2, "");
  EXPECT_EQ(rec_.TgbTx3, "");
  EXPECT_EQ(rec_.TgbTm3, "");
}

TEST_F(EnrichmentTest, PersonalRulesOfTheDayBeatTheModel) {
  app("insert into Zev329Ztg (ZtgPnr,ZtgVon,ZtgAzt) values ('1001'," +
      jd("20240115") + ",'AZ1');"
      "insert into Zev140Azv values ('AZ1',1,2,3,4,5,6,'MOD',7);"
      "insert into Zev322Gaz values ('1001'," + jd("20240115") +
      ",11,12,13,14,15,16,'TAG',17);");
  ASSERT_TRUE(lookupZtg(rec_).ok());
  EXPECT_TRUE(lookupGazAzv(rec_).ok());
  EXPECT_EQ(rec_.TgbGaz, 1);
  EXPECT_EQ(rec_.AzvGlv, 11);
  EXPECT_EQ(rec_.AzvMab, 16);
  EXPECT_EQ(rec_.AzvPsm, "TAG");
  EXPECT_EQ(rec_.AzvSol, 17);

  TgbRecord other;
  other.TgbPnr = "1001";
  other.TgbDtm = "20240116";  // no Zev322Gaz row that day
  other.ZtgAzt = "AZ1";
  other.TgbGaz = 1;
  EXPECT_TRUE(lookupGazAzv(other).ok());
  EXPECT_EQ(other.TgbGaz, 0);
  EXPECT_EQ(other.AzvGlv, 1);
  EXPECT_EQ(other.AzvPsm, "MOD");
  EXPECT_EQ(other.AzvSol, 7);

  other.ZtgAzt = "NONE";
  other.AzvGlv = 99;
  EXPECT_TRUE(lookupGazAzv(other).noData());
  EXPECT_EQ(other.AzvGlv, 99) << "a failed lookup changes nothing";
}

TEST_F(EnrichmentTest, LatestRowsOnOrBeforeTheDay) {
  app("insert into Zev332Utg values ('1001'," + jd("20231201") +
      ",1,1,1,1,1);"
      "insert into Zev332Utg values ('1001'," + jd("20240115") +
      ",2,2,2,2,2);"
      "insert into Zev332Utg values ('1001'," + jd("20240116") +
      ",3,3,3,3,3);"
      "insert into Zev332Utg values ('2002'," + jd("20240114") +
      ",4,4,4,4,4);"
      "insert into Zev332Sfz values ('1001'," + jd("20240201") +
      ",5,5,5,5);");
  EXPECT_TRUE(lookupLatestUtg(rec_).ok());
  EXPECT_EQ(rec_.UtgGut, 2) << "the row of the day itself is the latest";
  EXPECT_EQ(rec_.UtgRtg, 2);
  EXPECT_TRUE(lookupLatestSfz(rec_).noData()) << "only a later row";
  EXPECT_EQ(rec_.SfzGen, 0);

  // The cursors are closed after each call: a second call starts afresh.
  rec_.TgbDtm = "20231231";
  EXPECT_TRUE(lookupLatestUtg(rec_).ok());
  EXPECT_EQ(rec_.UtgGut, 1);
}

TEST_F(EnrichmentTest, SeveralMatchingRowsLeaveTheRecordUnchanged) {
  // Two validity rows that both hold the day, one of them open-ended.
  app("insert into Zev310Bsv (BsvPnr,BsvGvo,BsvGbi,BsvPnm) values ('1001'," +
      jd("20230101") + ",NULL,'offen');"
      "insert into Zev310Bsv (BsvPnr,BsvGvo,BsvGbi,BsvPnm) values ('1001'," +
      jd("20240101") + "," + jd("20240131") + ",'Januar');");
  rec_.BsvPnm = "vorher";
  SqlStatus status = lookupBsv(rec_);
  EXPECT_TRUE(status.failed()) << status.code();
  EXPECT_EQ(rec_.BsvPnm, "vorher");
  EXPECT_EQ(rec_.BsvGvo, "");

  rec_.TgbDtm = "20240201";
  EXPECT_TRUE(lookupBsv(rec_).ok());
  EXPECT_EQ(rec_.BsvPnm, "offen");
  EXPECT_EQ(rec_.BsvGbi, "");
}

TEST_F(EnrichmentTest, YearIsReadFromTheDayText) {
  app("insert into Zev332Urv (UrvPnr,UrvJhr,UrvVjr) values ('1001',2023,1);"
      "insert into Zev332Urv (UrvPnr,UrvJhr,UrvVjr) values ('1001',2024,2);"
      "insert into Zev332Sfv (SfvPnr,SfvJhr,SfvVtg) values ('1001',2024,3);");
  EXPECT_TRUE(lookupUrv(rec_).ok());
  EXPECT_EQ(rec_.UrvJhr, 2024);
  EXPECT_EQ(rec_.UrvVjr, 2);
  EXPECT_TRUE(lookupSfv(rec_).ok());
  EXPECT_EQ(rec_.SfvVtg, 3);
}

TEST_F(EnrichmentTest, YearBalanceOnlyForDayRowsWithATarget) {
  app("insert into Zev332Jav values ('1001'," + jd("20240101") + "," +
      jd("20240131") + ",500);");
  rec_.TgbVt3 = 100;
  rec_.TgbSa3 = 20;
  rec_.TgbVt5 = 300;
  rec_.TgbSa5 = 4;
  TgbRecord week = rec_;
  TgbRecord february = rec_;

  enrichTgbRow(rec_, {.jhs = 3, .jhr = 5});
  EXPECT_EQ(rec_.JavJaz, 500);
  EXPECT_EQ(rec_.JavSol, 120);
  EXPECT_EQ(rec_.JavIst, 304);
  EXPECT_EQ(rec_.JavDif, 184);
  EXPECT_EQ(rec_.JavDi2, 196);

  week.TgbZtr = 2;
  enrichTgbRow(week, {.jhs = 3, .jhr = 5});
  EXPECT_EQ(week.JavJaz, 500);
  EXPECT_EQ(week.JavSol, 0);
  EXPECT_EQ(week.JavIst, 0);
  EXPECT_EQ(week.JavDif, 0);
  EXPECT_EQ(week.JavDi2, 0);

  february.TgbDtm = "20240201";  // outside the target's period
  enrichTgbRow(february, {.jhs = 3, .jhr = 5});
  EXPECT_EQ(february.JavJaz, 0);
  EXPECT_EQ(february.JavIst, 0);
  EXPECT_EQ(february.JavDi2, 0);
}

TEST(DeriveYearBalanceTest, PairNumbersOutsideOneToSeven) {
  TgbRecord rec;
  rec.TgbVt1 = 5;
  rec.TgbVt7 = 30;
  rec.TgbSa7 = 3;
  rec.JavJaz = 40;
  deriveYearBalance(rec, {.jhs = 8, .jhr = 7});
  EXPECT_EQ(rec.JavSol, 0);
  EXPECT_EQ(rec.JavIst, 33);
  EXPECT_EQ(rec.JavDif, 33);
  EXPECT_EQ(rec.JavDi2, 7);

  TgbRecord none;
  none.TgbVt1 = 5;
  none.JavJaz = 9;
  deriveYearBalance(none, {.jhs = 0, .jhr = 0});
  EXPECT_EQ(none.JavSol, 0);
  EXPECT_EQ(none.JavIst, 0);
  EXPECT_EQ(none.JavDif, 0);
  EXPECT_EQ(none.JavDi2, 9);
}

TEST(DeriveYearBalanceTest, ArithmeticWrapsAt32Bits) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  TgbRecord rec;
  rec.TgbVt1 = kMax;
  rec.TgbSa1 = 1;
  rec.JavJaz = kMax;
  deriveYearBalance(rec, {.jhs = 0, .jhr = 1});
  EXPECT_EQ(rec.JavIst, kMin);
  EXPECT_EQ(rec.JavDif, kMin);
  EXPECT_EQ(rec.JavDi2, -1);
}

}  // namespace
}  // namespace ravlen
