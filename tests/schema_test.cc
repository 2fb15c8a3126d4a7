// Tests of the embedded database's table definitions in schema/: that the
// plain files load, that every table lives in the schema file where the
// program looks for it, that the warehouse keys behave as the writers need,
// that dates keep their storage form, and that every statement of the
// program prepares against the tables and is served by an index.
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "db/sqlite/dialect.h"
#include "tests/support/query_plan.h"

namespace ravlen {
namespace {

std::string readSchemaFile(const std::string& name) {
  std::ifstream in(std::string(RAVLEN_SOURCE_DIR) + "/schema/" + name);
  if (!in) ADD_FAILURE() << "cannot read schema/" << name;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// One SQLite connection, closed at the end of the scope.
class Db {
 public:
  explicit Db(const std::string& path = ":memory:") {
    sqlite3_open(path.c_str(), &db_);
  }
  ~Db() { sqlite3_close(db_); }
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;

  sqlite3* get() const { return db_; }

  // Runs a script; returns "" on success, else the database's message.
  std::string exec(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) ==
        SQLITE_OK) {
      return "";
    }
    std::string text = message != nullptr ? message : "failed";
    sqlite3_free(message);
    return text.empty() ? "failed" : text;
  }

  // Runs one statement; returns the extended result code of the step.
  int step(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
      rc = sqlite3_step(stmt);
      if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        rc = sqlite3_extended_errcode(db_);
      }
    }
    sqlite3_finalize(stmt);
    return rc;
  }

  // The first column of the first row as text ("" when none).
  std::string text(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    std::string result;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW &&
        sqlite3_column_text(stmt, 0) != nullptr) {
      result = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    }
    sqlite3_finalize(stmt);
    return result;
  }

  bool hasTable(const std::string& name) {
    return text("select count(*) from sqlite_master where type='table' "
                "and name='" + name + "' collate nocase") == "1";
  }

 private:
  sqlite3* db_ = nullptr;
};

// ---------------------------------------------------------------------------
// Loading and placement of the tables

const char* const kKalderonTables[] = {"Zev133Bak", "Zev131Fcd", "Zev102whl",
                                       "Zev800Dwh"};

const char* const kApplicationTables[] = {
    "Zev321Bch", "ZEV300PNR", "O1003KSTSTELLE", "Zev329Ztg", "Zev310Bsv",
    "Zev320Tgb", "Zev327Tag", "Zev322Gaz", "Zev140Azv", "Zev311Zuo",
    "Zev332Urv", "Zev332Utg", "Zev332Sfv", "Zev332Sfz", "Zev332Jav",
    "Zev130Zkt", "Zev331Zkb", "Zev899Bch", "Zev899Pnr", "Zev899Tgb",
    "Zev898Tgb", "Zev899Zkb", "Zev898Zkb", "Zev899Bst", "Zev898Bst"};

TEST(SchemaTest, PlainFilesLoadWithoutDialectFunctions) {
  Db kalderon;
  EXPECT_EQ(kalderon.exec(readSchemaFile("kalderon.sql")), "");
  Db application;
  EXPECT_EQ(application.exec(readSchemaFile("application.sql")), "");
}

// An unqualified name is looked up in the current (application) schema
// first, so a table defined in both files would hide the system table.
TEST(SchemaTest, EveryTableLivesInExactlyOneSchemaFile) {
  Db kalderon;
  ASSERT_EQ(kalderon.exec(readSchemaFile("kalderon.sql")), "");
  Db application;
  ASSERT_EQ(application.exec(readSchemaFile("application.sql")), "");
  for (const char* table : kKalderonTables) {
    EXPECT_TRUE(kalderon.hasTable(table)) << table;
    EXPECT_FALSE(application.hasTable(table)) << table;
  }
  for (const char* table : kApplicationTables) {
    EXPECT_TRUE(application.hasTable(table)) << table;
    EXPECT_FALSE(kalderon.hasTable(table)) << table;
  }
}

// ---------------------------------------------------------------------------
// Warehouse keys

struct KeyCase {
  const char* table;
  const char* columns;
  const char* row;        // the first row
  const char* sameKey;    // same key per the writer, other values: rejected
  const char* otherKey;   // differs in one key column: a row of its own
};

const KeyCase kKeyCases[] = {
    {"Zev899Bch", "BchPnr,BchVon,BchUhr,BchFkt,BchTtx",
     "'4711','20240115','080501',1,'Kommen'",
     "'4711','20240115','080501',1,'Gehen'",
     "'4711','20240115','080501',2,'Kommen'"},
    {"Zev899Pnr", "PnrNum,PnrNam", "'4711','Meier'", "'4711','Huber'",
     "'4712','Meier'"},
    {"Zev899Tgb", "TgbPnr,TgbZtr,TgbDtm,TgbSa1", "'4711',1,'20240115',10",
     "'4711',1,'20240115',20", "'4711',2,'20240115',10"},
    // The same evaluation with another end date is another row.
    {"Zev898Tgb", "TgbDwh,TgbPnr,TgbZtr,TgbDtm,DwhBis,TgbSa1",
     "'Q1','4711',7,'20240101','20240331',10",
     "'Q1','4711',7,'20240101','20240331',20",
     "'Q1','4711',7,'20240101','20240430',10"},
    {"Zev899Zkb", "ZkbPnr,ZkbZtr,ZkbDtm,ZkbKst,ZkbKtr,ZkbKrt,ZkbZkt,ZkbNum",
     "'4711',1,'20240115','K1','T1','R1','GLZ',1",
     "'4711',1,'20240115','K1','T1','R1','GLZ',2",
     "'4711',1,'20240115','K1','T1','R1','URL',1"},
    {"Zev898Zkb",
     "TgbDwh,DwhBis,ZkbPnr,ZkbZtr,ZkbDtm,ZkbKst,ZkbKtr,ZkbKrt,ZkbZkt,ZkbNum",
     "'Q1','20240331','4711',7,'20240101','K1','T1','R1','GLZ',1",
     "'Q1','20240331','4711',7,'20240101','K1','T1','R1','GLZ',2",
     "'Q2','20240331','4711',7,'20240101','K1','T1','R1','GLZ',1"},
    // The booking function is not part of the key: writeBst adds the count
    // of a second booking function to the row of the first.
    {"Zev899Bst", "BstPnr,BstZtr,BstDtm,BstFcd,BstFkt,BstAnz",
     "'4711',1,'20240115','A',1,3", "'4711',1,'20240115','A',2,5",
     "'4711',1,'20240115','B',1,3"},
    {"Zev898Bst", "BstDwh,BstPnr,BstZtr,BstDtm,DwhBis,BstFcd,BstFkt,BstAnz",
     "'Q1','4711',7,'20240101','20240331','A',1,3",
     "'Q1','4711',7,'20240101','20240331','A',2,5",
     "'Q1','4711',7,'20240101','20240430','A',1,3"},
};

std::string insertText(const KeyCase& c, const char* values) {
  return std::string("insert into ") + c.table + " (" + c.columns +
         ") values (" + values + ")";
}

// A duplicate must fail as a key violation (the writers react to it), not
// as a NOT NULL violation, which the database layer reports differently.
bool isKeyViolation(int rc) {
  return rc == SQLITE_CONSTRAINT_PRIMARYKEY || rc == SQLITE_CONSTRAINT_UNIQUE;
}

TEST(SchemaTest, WarehouseKeysMatchTheWritersUpdateKeys) {
  Db db;
  ASSERT_EQ(db.exec(readSchemaFile("application.sql")), "");
  for (const KeyCase& c : kKeyCases) {
    SCOPED_TRACE(c.table);
    EXPECT_EQ(db.step(insertText(c, c.row)), SQLITE_DONE);
    EXPECT_TRUE(isKeyViolation(db.step(insertText(c, c.sameKey))));
    EXPECT_EQ(db.step(insertText(c, c.otherKey)), SQLITE_DONE);
    EXPECT_EQ(db.text(std::string("select count(*) from ") + c.table), "2");
  }
}

// An empty account key reaches the table as NULL; such a booking never
// matches the writer's update, so its insert must store it every time.
TEST(SchemaTest, TimeAccountRowsWithEmptyAccountKeysAreStored) {
  Db db;
  ASSERT_EQ(db.exec(readSchemaFile("application.sql")), "");
  const std::string insert =
      "insert into Zev899Zkb (ZkbPnr,ZkbZtr,ZkbDtm,ZkbKst,ZkbKtr,ZkbKrt,"
      "ZkbZkt) values ('4711',1,'20240115',NULL,'T1','R1','GLZ')";
  EXPECT_EQ(db.step(insert), SQLITE_DONE);
  EXPECT_EQ(db.step(insert), SQLITE_DONE);
}

// ---------------------------------------------------------------------------
// Storage of dates

TEST(SchemaTest, WarehouseDatesAndTimesStayText) {
  Db db;
  ASSERT_EQ(db.exec(readSchemaFile("application.sql")), "");
  ASSERT_EQ(db.step("insert into Zev899Bch (BchPnr,BchVon,BchUhr,BchFkt) "
                    "values ('4711','20240115','080501',1)"),
            SQLITE_DONE);
  // A numeric affinity would turn the time into 80501.
  EXPECT_EQ(db.text("select typeof(BchVon)||' '||typeof(BchUhr)||' '||"
                    "BchUhr from Zev899Bch"),
            "text text 080501");
  ASSERT_EQ(db.step("insert into Zev899Tgb (TgbPnr,TgbZtr,TgbDtm) "
                    "values ('4711',1,'20240115')"),
            SQLITE_DONE);
  // The clear-down and the sums compare the column with day texts.
  EXPECT_EQ(db.text("select count(*) from Zev899Tgb "
                    "where TgbDtm>='20240101' and TgbDtm<='20240131'"),
            "1");
}

TEST(SchemaTest, OperationalDatesAreJulianDayNumbers) {
  Db db;
  ASSERT_EQ(db.exec(readSchemaFile("application.sql")), "");
  // A loader that writes the day as text still stores a number.
  ASSERT_EQ(db.step("insert into Zev321Bch (BchPnr,BchVon,BchUhr) "
                    "values ('4711','2460324.5','2460324.83681')"),
            SQLITE_DONE);
  EXPECT_EQ(db.text("select typeof(BchVon)||' '||typeof(BchUhr) "
                    "from Zev321Bch"),
            "real real");
  EXPECT_EQ(db.text("select count(*) from Zev321Bch "
                    "where BchVon>=julianday('2024-01-15') "
                    "and BchVon<=julianday('2024-01-15')"),
            "1");
}

// ---------------------------------------------------------------------------
// The program's statements against the schema

// The schema directory as the program sees it: the application schema
// current, KALDERON.db attached as KalDeron, the dialect functions
// registered and the dialect indexes applied.
class SchemaPlanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("ravlen_schema_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
    const std::string kalderonPath = (dir_ / "KALDERON.db").string();
    std::filesystem::remove(kalderonPath);
    {
      Db kalderon(kalderonPath);
      ASSERT_EQ(registerDialect(kalderon.get()), SQLITE_OK);
      ASSERT_EQ(kalderon.exec(readSchemaFile("kalderon.sql")), "");
      ASSERT_EQ(kalderon.exec(readSchemaFile("kalderon_dialect.sql")), "");
    }
    ASSERT_EQ(registerDialect(db_.get()), SQLITE_OK);
    ASSERT_EQ(db_.exec(readSchemaFile("application.sql")), "");
    ASSERT_EQ(db_.exec(readSchemaFile("application_dialect.sql")), "");
    ASSERT_EQ(db_.exec("attach '" + kalderonPath + "' as KalDeron"), "");
  }

  void TearDown() override {
    db_.exec("detach KalDeron");
    std::filesystem::remove_all(dir_);
  }

  std::vector<std::string> plan(const std::string& statement) {
    return testing::queryPlan(db_.get(), statement, "KORV");
  }

  std::filesystem::path dir_;
  Db db_;
};

struct StatementCase {
  const char* name;
  std::string text;
  const char* index;  // an index the plan must name, or ""
};

// The Zev899Tgb columns in the order of the writer's insert, without TgbDat.
const char kTgbColumns[] =
    "TgbPnr,TgbZtr,TgbDtm,TgbVt1,TgbVt2,TgbVt3,TgbVt4,TgbVt5,TgbVt6,TgbVt7,"
    "TgbSa1,TgbSa2,TgbSa3,TgbSa4,TgbSa5,TgbSa6,TgbSa7,TgbMax,TgbNrm,TgbMab,"
    "TgbVhs,TgbUnb,TgbVab,TgbPse,TgbGaz,TgbTx1,TgbTx2,TgbTx3,TgbFt1,TgbFt2,"
    "TgbFt3,TgbTm1,TgbTm2,TgbTm3,TagTgb,TagHtv,TagHtn,TagKzv,TagPzv,TagAmp,"
    "TagNpk,ZtgVra,ZtgAkr,ZtgAbt,ZtgKst,ZtgKtr,ZtgKrt,ZtgAgr,ZtgBsd,ZtgTtp,"
    "ZtgAzt,AzvSol,AzvGlv,AzvGlb,AzvKev,AzvKeb,AzvMav,AzvMab,AzvPsm,BakWtg,"
    "BsvPnm,BsvAbr,BsvLug,BsvUrl,BsvBgr,BsvDwt,BsvSal,BsvLfz,BsvSfr,BsvJam,"
    "BsvKal,BsvPrz,BsvMma,BsvMon,BsvDms,BsvAgm,BsvAgv,BsvRe0,BsvRe1,BsvRe2,"
    "BsvRe3,BsvRe4,BsvRe5,BsvRe6,BsvRe7,BsvRe8,BsvRe9,BsvGvo,BsvGbi,ZuoGvo,"
    "ZuoGbi,UrvJhr,UrvVjr,UrvUan,UrvGur,UrvMin,UrvVur,UrvAbg,UrvJub,UrvSbh,"
    "UrvZus,UrvSul,UtgGut,UtgVtg,UtgGkt,UtgVfl,UtgRtg,SfzGen,SfzAns,SfzAnt,"
    "SfzVpl,SfvVtg,SfvVan,SfvZus,JavJaz,JavIst,JavSol,JavDif,JavDi2";

std::string placeholders(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += (i == 0 ? ":b" : ",:b") + std::to_string(i);
  }
  return text;
}

const std::string kBoundsHead =
    "select to_char(min(BakDtm),'yyyymmdd') ,to_char(max(BakDtm),'yyyymmdd') "
    "into :b0:b1,:b2:b3  from KalDeron.Zev133Bak where ";

// The program's statements as it sends them. The daily-balance writers are
// reduced to their column lists and key conditions.
std::vector<StatementCase> programStatements() {
  const std::string tgbColumns = kTgbColumns;
  return {
      {"weekBounds", kBoundsHead +
       "((BakDtm>=(to_date(:b4,'yyyymmdd')-7) and "
       "BakDtm<=(to_date(:b4,'yyyymmdd')+7)) and BakWch=(select BakWch  "
       "from KalDeron.Zev133Bak where to_char(BakDtm,'yyyymmdd')=:b4))",
       "Zev133Bak_Day"},
      {"monthBounds", kBoundsHead + "to_char(BakDtm,'yyyymm')=substr(:b4,1,6)",
       "Zev133Bak_Month"},
      {"quarterBounds", kBoundsHead +
       "(to_char(BakDtm,'yyyy')=substr(:b4,1,4) and BakQua=(select BakQua  "
       "from KalDeron.Zev133Bak where to_char(BakDtm,'yyyymmdd')=:b4))",
       "Zev133Bak_Quarter"},
      {"halfYearBounds", kBoundsHead +
       "(to_char(BakDtm,'yyyy')=substr(:b4,1,4) and BakHjh=(select BakHjh  "
       "from KalDeron.Zev133Bak where to_char(BakDtm,'yyyymmdd')=:b4))",
       "Zev133Bak_HalfYear"},
      {"readToday",
       "select to_char(BakDtm,'yyyymmdd') into :b0  from "
       "KalDeron.Zev133Bak where BakDtm=trunc(sysdate)",
       ""},
      {"readLastCalendarDay",
       "select to_char(max(BakDtm),'yyyymmdd') into :b0:b1  from "
       "Kalderon.Zev133Bak",
       ""},
      {"lookupBakWtg",
       "select BakWtg into :b0:b1  from Kalderon.Zev133Bak where "
       "BakDtm=to_date(:b2,'yyyymmdd')",
       ""},
      {"openBchSource",
       "select BchPnr ,to_char(BchVon,'yyyymmdd') "
       ",to_char(BchUhr,'HH24MiSS') ,BchFkt ,BchFcd ,BchKst ,BchTrm "
       ",BchErf  from Zev321Bch where (BchVon>=to_date(:b0,'yyyymmdd') "
       "and BchVon<=to_date(:b1,'yyyymmdd')) order by BchPnr",
       "Zev321Bch_Von"},
      {"lookupPnrSpr",
       "select PnrSpr into :b0:b1  from zev300pnr where PNRNUM=:b2",
       ""},
      {"lookupFktText",
       "select ftxt50 into :b0:b1  from kalderon.zev102whl where "
       "((ftxnumspr=13102 and ftxwhl=:b2) and ftxspr=:b3)",
       ""},
      {"lookupFcdText",
       "select fcdtxt into :b0:b1  from zev131fcd where fcdnum=:b2",
       ""},
      {"lookupKstText",
       "select kstktx into :b0:b1  from O1003KSTSTELLE where kstnum=:b2",
       ""},
      {"lookupBchZtg",
       "select ZTGAZT ,ZTGVRA ,ZTGAKR ,ZTGABT ,ZTGKST ,ZTGKTR ,ZTGKRT "
       ",ZTGAGR ,ZTGBSD into :b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,"
       ":b12:b13,:b14:b15,:b16:b17  from ZEV329ZTG where (ZTGPNR=:b18 and "
       "ZTGVON=to_date(:b19,'yyyymmdd'))",
       ""},
      {"writeBch update",
       "update Zev899Bch  set BchFkt=:b0,BchTtx=:b1,BchFcd=:b2,BchFtx=:b3,"
       "BchKst=:b4,BchKtx=:b5,BchBup=:b6,BchErf=:b7,BchTrm=:b8,ZtgAzt=:b9,"
       "ZtgVra=:b10,ZtgAkr=:b11,ZtgAbt=:b12,ZtgKst=:b13,ZtgKtr=:b14,"
       "ZtgKrt=:b15,ZtgAgr=:b16,ZtgBsd=:b17,BchDat=:b18 where "
       "(((BchPnr=:b19 and BchVon=:b20) and BchUhr=:b21) and BchFkt=:b0)",
       ""},
      {"writeBch insert",
       "insert into Zev899Bch (BchPnr,BchVon,BchUhr,BchFkt,BchTtx,BchFcd,"
       "BchFtx,BchKst,BchKtx,BchBup,BchErf,BchTrm,ZtgAzt,ZtgVra,ZtgAkr,"
       "ZtgAbt,ZtgKst,ZtgKtr,ZtgKrt,ZtgAgr,ZtgBsd,BchDat) values "
       "(:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14,"
       ":b15,:b16,:b17,:b18,:b19,:b20,:b21)",
       ""},
      {"openBchCount",
       "select BchPnr ,BchFcd ,BchFkt ,count(*)   from Zev321Bch where "
       "((to_char(BchVon,'yyyymmdd')>=:b0 and "
       "to_char(BchVon,'yyyymmdd')<=:b1) and BchFkt<>45) group by "
       "BchPnr,BchFcd,BchFkt",
       "Zev321Bch_Day"},
      {"openBstSum",
       "select BstPnr ,BstFcd ,BstFkt ,sum(BstAnz)  from Zev899Bst where "
       "((BstZtr=:b0 and BstDtm>=:b1) and BstDtm<=:b2) group by "
       "BstPnr,BstFcd,BstFkt",
       ""},
      {"writeBst insert",
       "insert into Zev899Bst (BstPnr,BstZtr,BstDtm,BstFcd,BstFkt,BstAnz,"
       "BstDat) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6)",
       ""},
      {"writeBst update",
       "update Zev899Bst  set BstAnz=(BstAnz+:b0),BstDat=:b1 where "
       "(((BstPnr=:b2 and BstZtr=:b3) and BstDtm=:b4) and BstFcd=:b5)",
       ""},
      {"writeBstEvaluation insert",
       "insert into Zev898Bst (BstDwh,BstPnr,BstZtr,BstDtm,BstFcd,BstFkt,"
       "BstAnz,DwhBis,BstDat) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8)",
       ""},
      {"writeBstEvaluation update",
       "update Zev898Bst  set BstAnz=(BstAnz+:b0),BstDat=:b1 where "
       "(((((BstDwh=:b2 and BstPnr=:b3) and BstZtr=:b4) and BstDtm=:b5) "
       "and DwhBis=:b6) and BstFcd=:b7)",
       ""},
      {"openPnrSource",
       "select distinct PnrNum ,to_char(PnrGeb,'yyyymmdd') "
       ",to_char(PnrEin,'yyyymmdd') ,to_char(PnrGbi,'yyyymmdd') ,PnrNam "
       ",PnrStr ,PnrPlz ,PnrOrt ,PnrTel ,PnrMob ,PnrEml ,PnrAnr ,PnrTit "
       ",PnrAnm ,BsvLug ,PnrSta ,PnrMrt ,PnrFrt ,PnrFre ,PnrBea ,PnrNeb "
       ",PnrAkt ,PnrEnd ,PnrKrd ,PnrPrt  from ZEV300PNR ,ZEV310BSV where "
       "((PnrNum=BsvPnr and BsvGvo<=to_date(:b0,'yyyymmdd')) and "
       "(BsvGbi>=to_date(:b1,'yyyymmdd') or BsvGbi is null )) order by "
       "PnrNum asc",
       ""},
      {"lookupPnrZtg",
       "select ZTGAZT ,ZTGVRA ,ZTGAKR ,ZTGABT ,ZTGKST ,ZTGKTR ,ZTGKRT "
       ",ZTGAGR ,ZTGBSD into :b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,"
       ":b12:b13,:b14:b15,:b16:b17  from ZEV329ZTG where (ZTGPNR=:b18 and "
       "ztgvon=trunc(sysdate))",
       ""},
      {"writePnr update",
       "update Zev899Pnr  set PnrNum=:b0,PnrGeb=:b1,PnrEin=:b2,PnrGbi=:b3,"
       "PnrNam=:b4,PnrStr=:b5,PnrPlz=:b6,PnrOrt=:b7,PnrTel=:b8,PnrMob=:b9,"
       "PnrEml=:b10,PnrAnr=:b11,PnrTit=:b12,PnrAnm=:b13,PnrLug=:b14,"
       "PnrSta=:b15,PnrMrt=:b16,PnrFrt=:b17,PnrFre=:b18,PnrBea=:b19,"
       "PnrNeb=:b20,PnrAkt=:b21,PnrEnd=:b22,PnrKrd=:b23,PnrPrt=:b24,"
       "ZtgAzt=:b25,ZtgVra=:b26,ZtgAkr=:b27,ZtgAbt=:b28,ZtgKst=:b29,"
       "ZtgKtr=:b30,ZtgKrt=:b31,ZtgAgr=:b32,ZtgBsd=:b33,PnrDat=:b34 where "
       "PnrNum=:b0",
       ""},
      {"writePnr insert",
       "insert into Zev899Pnr (PnrNum,PnrGeb,PnrEin,PnrGbi,PnrNam,PnrStr,"
       "PnrPlz,PnrOrt,PnrTel,PnrMob,PnrEml,PnrAnr,PnrTit,PnrAnm,PnrLug,"
       "PnrSta,PnrMrt,PnrFrt,PnrFre,PnrBea,PnrNeb,PnrAkt,PnrEnd,PnrKrd,"
       "PnrPrt,ZtgAzt,ZtgVra,ZtgAkr,ZtgAbt,ZtgKst,ZtgKtr,ZtgKrt,ZtgAgr,"
       "ZtgBsd,PnrDat) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,"
       ":b10,:b11,:b12,:b13,:b14,:b15,:b16,:b17,:b18,:b19,:b20,:b21,:b22,"
       ":b23,:b24,:b25,:b26,:b27,:b28,:b29,:b30,:b31,:b32,:b33,:b34)",
       ""},
      {"openTgbSource",
       "select TgbPnr ,TgbZtr ,to_char(TgbDtm,'yyyymmdd') ,TgbVt1 ,TgbVt2 "
       ",TgbVt3 ,TgbVt4 ,TgbVt5 ,TgbVt6 ,TgbVt7 ,TgbSa1 ,TgbSa2 ,TgbSa3 "
       ",TgbSa4 ,TgbSa5 ,TgbSa6 ,TgbSa7 ,TgbMax ,TgbNrm ,TgbMab ,TgbVhs "
       ",TgbUnb ,TgbVab ,TgbPse  from Zev320Tgb where "
       "(TgbDtm>=to_date(:b0,'yyyymmdd') and "
       "TgbDtm<=to_date(:b1,'yyyymmdd')) order by TgbPnr,TgbZtr,TgbDtm",
       "Zev320Tgb_Dtm"},
      {"lookupTag",
       "select TagKzv ,TagPzv ,TagTgb ,TagHtv ,TagHtn ,TagNpk ,TagAmp "
       "into :b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13  from "
       "Zev327Tag where (TagPnr=:b14 and TagTag=to_date(:b15,'yyyymmdd'))",
       ""},
      {"lookupFunctionCode code",
       "select FcdTyp ,FcdTxt ,FcdKrt into :b0:b1,:b2:b3,:b4:b5  from "
       "Zev131Fcd where FcdNum=:b6",
       ""},
      {"lookupFunctionCode type, slots 1 and 2",
       "select ftxt50 into :b0:b1  from Kalderon.Zev102whl where "
       "((ftxnumspr=13102 and ftxwhl=:b2) and ftxspr=1)",
       ""},
      {"lookupFunctionCode type, slot 3",
       "select ftxt50 into :b0:b1  from KalDeron.Zev102whl where "
       "((ftxnumspr=13102 and ftxwhl=:b2) and ftxspr=1)",
       ""},
      {"lookupZtg",
       "select ZtgAzt ,ZtgVra ,ZtgAkr ,ZtgAbt ,ZtgKst ,ZtgKtr ,ZtgKrt "
       ",ZtgAgr ,ZtgBsd ,ZtgTtp into :b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,"
       ":b10:b11,:b12:b13,:b14:b15,:b16:b17,:b18:b19  from Zev329Ztg "
       "where (ZtgPnr=:b20 and ZtgVon=to_date(:b21,'yyyymmdd'))",
       ""},
      {"lookupGazAzv day",
       "select GazGlv ,GazGlb ,GazKev ,GazKeb ,GazMav ,GazMab ,GazPsm "
       ",GazSol into :b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13,"
       ":b14:b15  from Zev322Gaz where (GazPnr=:b16 and "
       "GazDtm=to_date(:b17,'yyyymmdd'))",
       ""},
      {"lookupGazAzv model",
       "select AzvGlv ,AzvGlb ,AzvKev ,AzvKeb ,AzvMav ,AzvMab ,AzvPsm "
       ",AzvSol into :b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13,"
       ":b14:b15  from Zev140Azv where AzvNum=:b16",
       ""},
      {"lookupBsv",
       "select BsvPnm ,to_char(BsvGvo,'yyyymmdd') "
       ",to_char(BsvGbi,'yyyymmdd') ,BsvAbr ,BsvLug ,BsvUrl ,BsvBgr "
       ",BsvDwt ,BsvSal ,BsvLfz ,BsvSfr ,BsvJam ,BsvKal ,BsvPrz ,BsvMma "
       ",BsvMon ,BsvDms ,BsvAgm ,BsvAgv ,BsvRe0 ,BsvRe1 ,BsvRe2 ,BsvRe3 "
       ",BsvRe4 ,BsvRe5 ,BsvRe6 ,BsvRe7 ,BsvRe8 ,BsvRe9 into "
       ":b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13,:b14:b15,"
       ":b16:b17,:b18:b19,:b20:b21,:b22:b23,:b24:b25,:b26:b27,:b28:b29,"
       ":b30:b31,:b32:b33,:b34:b35,:b36:b37,:b38:b39,:b40:b41,:b42:b43,"
       ":b44:b45,:b46:b47,:b48:b49,:b50:b51,:b52:b53,:b54:b55,:b56:b57  "
       "from Zev310Bsv where ((BsvPnr=:b58 and "
       "BsvGvo<=to_date(:b59,'yyyymmdd')) and "
       "(BsvGbi>=to_date(:b59,'yyyymmdd') or BsvGbi is null ))",
       ""},
      {"lookupZuo",
       "select to_char(ZuoGvo,'yyyymmdd') ,to_char(ZuoGbi,'yyyymmdd') "
       "into :b0:b1,:b2:b3  from Zev311Zuo where ((ZuoPnr=:b4 and "
       "ZuoGvo<=to_date(:b5,'yyyymmdd')) and "
       "(ZuoGbi>=to_date(:b5,'yyyymmdd') or ZuoGbi is null ))",
       ""},
      {"lookupUrv",
       "select UrvJhr ,UrvVjr ,UrvUan ,UrvGur ,UrvMin ,UrvVur ,UrvAbg "
       ",UrvJub ,UrvSbh ,UrvZus ,UrvSul into "
       ":b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13,:b14:b15,"
       ":b16:b17,:b18:b19,:b20:b21  from Zev332Urv where (UrvPnr=:b22 and "
       "UrvJhr=:b23)",
       ""},
      {"lookupLatestUtg",
       "select UtgGut ,UtgVtg ,UtgGkt ,UtgVfl ,UtgRtg  from Zev332Utg "
       "where (UtgPnr=:b0 and UtgDtm<=to_date(:b1,'yyyymmdd')) order by "
       "UtgDtm desc",
       ""},
      {"lookupSfv",
       "select SfvVtg ,SfvVan ,SfvZus into :b0:b1,:b2:b3,:b4:b5  from "
       "Zev332Sfv where (SfvPnr=:b6 and SfvJhr=:b7)",
       ""},
      {"lookupLatestSfz",
       "select SfzGen ,SfzAns ,SzfAnt ,SfzVpl  from Zev332Sfz where "
       "(SfzPnr=:b0 and SfzDtm<=to_date(:b1,'yyyymmdd')) order by SfzDtm "
       "desc",
       ""},
      {"lookupZktSnr",
       "select ZktSnr into :b0:b1  from Zev130Zkt where ZktNum=:b2",
       ""},
      {"openTgbSum",
       "select TgbPnr ,sum(TgbSa1) ,sum(TgbSa2) ,sum(TgbSa3) ,sum(TgbSa4) "
       ",sum(TgbSa5) ,sum(TgbSa6) ,sum(TgbSa7) ,sum(TgbMax) ,sum(TgbNrm) "
       ",sum(TgbMab) ,sum(TgbVhs) ,sum(TgbUnb) ,sum(TgbVab) ,sum(TgbPse) "
       ",sum(AzvSol)  from Zev899Tgb where ((TgbZtr=:b0 and TgbDtm>=:b1) "
       "and TgbDtm<=:b2) group by TgbPnr",
       ""},
      {"openZkbSource",
       "select ZkbPnr ,ZkbZtr ,to_char(ZkbDtm,'yyyymmdd') ,ZkbKst ,ZkbKtr "
       ",ZkbKrt ,ZkbZkt ,ZkbStd ,ZkbTge ,ZkbStg ,ZkbSto ,ZkbBem  from "
       "ZEV331ZKB where ((ZKBPNR=:b0 and ZkbZtr=:b1) and "
       "ZkbDtm=to_date(:b2,'yyyymmdd'))",
       "Zev331Zkb_Pnr"},
      {"lookupTgbPeriodEnd",
       "select to_char((min(TgbDtm)-1),'yyyymmdd') into :b0:b1  from "
       "Zev320Tgb where ((TgbPnr=:b2 and TgbZtr=:b3) and "
       "to_char(TgbDtm,'yyyymmdd')>:b4)",
       ""},
      {"countDayZkb",
       "select count(*)  into :b0:b1  from Zev331Zkb where "
       "(((((((ZkbPnr=:b2 and ZkbZtr=1) and "
       "ZkbDtm>=to_date(:b3,'yyyymmdd')) and "
       "ZkbDtm<=to_date(:b4,'yyyymmdd')) and ZkbZkt=:b5) and ZkbKst=:b6) "
       "and ZkbKrt=:b7) and ZkbKtr=:b8)",
       "Zev331Zkb_Pnr"},
      {"writeZkb update",
       "update Zev899Zkb  set ZkbStd=:b0,ZkbTge=:b1,ZkbStg=:b2,ZkbSto=:b3,"
       "ZkbBem=:b4,ZkbNum=:b5,ZkbAnz=:b6,ZtgVra=:b7,ZtgAkr=:b8,ZtgAbt=:b9,"
       "ZtgKst=:b10,ZtgKtr=:b11,ZtgKrt=:b12,ZtgAgr=:b13,ZtgBsd=:b14,"
       "ZtgTtp=:b15,ZkbDat=:b16 where ((((((ZkbPnr=:b17 and ZkbZtr=:b18) "
       "and ZkbDtm=:b19) and ZkbKst=:b20) and ZkbKtr=:b21) and "
       "ZkbKrt=:b22) and ZkbZkt=:b23)",
       ""},
      {"writeZkb insert",
       "insert into Zev899Zkb (ZkbPnr,ZkbZtr,ZkbDtm,ZkbKst,ZkbKtr,ZkbKrt,"
       "ZkbZkt,ZkbStd,ZkbTge,ZkbStg,ZkbSto,ZkbBem,ZkbNum,ZkbAnz,ZtgVra,"
       "ZtgAkr,ZtgAbt,ZtgKst,ZtgKtr,ZtgKrt,ZtgAgr,ZtgBsd,ZtgTtp,ZkbDat) "
       "values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,"
       ":b13,:b14,:b15,:b16,:b17,:b18,:b19,:b20,:b21,:b22,:b23)",
       ""},
      {"writeZkbEvaluation update",
       "update Zev898Zkb  set ZkbStd=:b0,ZkbTge=:b1,ZkbStg=:b2,ZkbSto=:b3,"
       "ZkbBem=:b4,ZkbNum=:b5,ZkbAnz=:b6,ZtgVra=:b7,ZtgAkr=:b8,ZtgAbt=:b9,"
       "ZtgKst=:b10,ZtgKtr=:b11,ZtgKrt=:b12,ZtgAgr=:b13,ZtgBsd=:b14,"
       "ZtgTtp=:b15,ZkbDat=:b16 where ((((((((TgbDwh=:b17 and "
       "ZkbPnr=:b18) and ZkbZtr=:b19) and ZkbDtm=:b20) and ZkbKst=:b21) "
       "and ZkbKtr=:b22) and ZkbKrt=:b23) and ZkbZkt=:b24) and "
       "DwhBis=:b25)",
       ""},
      {"writeZkbEvaluation insert",
       "insert into Zev898Zkb (ZkbPnr,ZkbZtr,ZkbDtm,ZkbKst,ZkbKtr,ZkbKrt,"
       "ZkbZkt,ZkbStd,ZkbTge,ZkbStg,ZkbSto,ZkbBem,ZkbNum,ZkbAnz,ZtgVra,"
       "ZtgAkr,ZtgAbt,ZtgKst,ZtgKtr,ZtgKrt,ZtgAgr,ZtgBsd,ZtgTtp,TgbDwh,"
       "DwhBis,ZkbDat) values (:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,"
       ":b10,:b11,:b12,:b13,:b14,:b15,:b16,:b17,:b18,:b19,:b20,:b21,:b22,"
       ":b23,:b24,:b25)",
       ""},
      {"openZkbSum",
       "select ZkbPnr ,ZkbZkt ,ZkbKst ,ZkbKtr ,ZkbKrt ,ZtgVra ,ZtgAkr "
       ",ZtgAbt ,ZtgKst ,ZtgKtr ,ZtgKrt ,ZtgAgr ,ZtgBsd ,ZtgTtp "
       ",sum(ZkbStd) ,sum(ZkbSto) ,sum(ZkbTge) ,sum(ZkbStg) ,sum(ZkbAnz)  "
       "from Zev899Zkb where ((ZkbZtr=:b0 and ZkbDtm>=:b1) and "
       "ZkbDtm<=:b2) group by ZkbPnr,ZkbZkt,ZkbKst,ZkbKtr,ZkbKrt,ZtgVra,"
       "ZtgAkr,ZtgAbt,ZtgKst,ZtgKtr,ZtgKrt,ZtgAgr,ZtgBsd,ZtgTtp",
       ""},
      {"clear-down Zev899Tgb",
       "delete  from Zev899Tgb  where ((TgbDtm>=:b0 and TgbDtm<=:b1) and "
       "TgbZtr=:b2)",
       ""},
      {"clear-down Zev898Tgb",
       "delete  from Zev898Tgb  where ((TgbDtm>=:b0 and TgbDtm<=:b1) and "
       "TgbZtr=:b2)",
       ""},
      {"clear-down Zev899Zkb",
       "delete  from Zev899Zkb  where ((ZkbDtm>=:b0 and ZkbDtm<=:b1) and "
       "ZkbZtr=:b2)",
       ""},
      {"clear-down Zev898Zkb",
       "delete  from Zev898Zkb  where ((ZkbDtm>=:b0 and ZkbDtm<=:b1) and "
       "ZkbZtr=:b2)",
       ""},
      {"clear-down Zev899Bst",
       "delete  from Zev899Bst  where ((BstDtm>=:b0 and BstDtm<=:b1) and "
       "BstZtr=:b2)",
       ""},
      {"clear-down Zev898Bst",
       "delete  from Zev898Bst  where ((BstDtm>=:b0 and BstDtm<=:b1) and "
       "BstZtr=:b2)",
       ""},
      {"evaluation cursor",
       "select DwhVon ,DwhBis ,DwhNam  from Zev800Dwh where ((DwhDar=1 "
       "and DwhVon<=:b0) and DwhBis>=:b1) order by DwhVon",
       "Zev800Dwh_Dar"},
      {"evaluation mark",
       "update KalDeron.Zev800Dwh  set DwhSta=5 where DwhNam=:b0",
       ""},
      {"lookupJav",
       "select JavJaz into :b0:b1  from Zev332Jav where ((JavPnr=:b2 and "
       "JavBeg<=to_date(:b3,'yyyymmdd')) and JavEnd>=to_date(:b3,'yyyymmdd'))",
       ""},
      {"writeTgb insert",
       "insert into Zev899Tgb (" + tgbColumns + ",TgbDat) values (" +
       placeholders(120) + ")", ""},
      {"writeTgb update",
       "update Zev899Tgb  set TgbVt1=:b0,TgbDat=:b115 where "
       "((TgbPnr=:b116 and TgbZtr=:b117) and TgbDtm=:b118)", ""},
      {"writeTgbEvaluation insert",
       "insert into Zev898Tgb (" + tgbColumns +
       ",TgbDwh,DwhBis,TgbDat) values (" + placeholders(122) + ")", ""},
      {"writeTgbEvaluation update",
       "update Zev898Tgb  set TgbVt1=:b0,TgbDat=:b115 where "
       "((((TgbDwh=:b116 and TgbPnr=:b117) and TgbZtr=:b118) and "
       "TgbDtm=:b119) and DwhBis=:b120)", ""},
  };
}

TEST_F(SchemaPlanTest, EveryStatementPreparesAndUsesAnIndex) {
  for (const StatementCase& c : programStatements()) {
    SCOPED_TRACE(c.name);
    std::string joined;
    for (const std::string& line : plan(c.text)) {
      EXPECT_EQ(line.rfind("error: ", 0), std::string::npos) << line;
      EXPECT_FALSE(testing::isFullScan(line)) << line;
      joined += line + "\n";
    }
    if (*c.index != '\0') {
      EXPECT_NE(joined.find(c.index), std::string::npos) << joined;
    }
  }
}

}  // namespace
}  // namespace ravlen
