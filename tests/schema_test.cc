// Tests of the embedded database's table definitions in schema/: that the
// plain files load, that every table lives in the schema file where the
// program looks for it, that the warehouse keys behave as the writers need,
// and that dates keep their storage form. That every statement of the
// program is served by an index: statement_plan_test.cc.
#include <sqlite3.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace ravlen
