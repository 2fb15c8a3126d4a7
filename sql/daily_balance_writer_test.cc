// The daily-balance columns, writers and sum cursor. The column positions
// below are written out from the warehouse tables' layout, not taken from
// the code under test; the writers and the sums run against a real embedded
// database and are read back with SQLite directly.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "sql/calendar.h"
#include "sql/daily_balance_columns.h"
#include "sql/daily_balance_writer.h"
#include "tests/support/embedded_db.h"
#include "tests/support/session_fixture.h"

namespace ravlen {
namespace {

using testing::execSql;
using testing::queryText;
using testing::TempDir;

// ---------------------------------------------------------------------------
// Column layout.

// Consecutive columns that start at position `insert` of the Zev899Tgb
// insert and at position `update` of the update (-1: not set).
struct ColumnRun {
  int insert;
  int update;
  std::vector<std::string_view> names;
};

const ColumnRun kLayout[] = {
    {0, -1, {"TgbPnr", "TgbZtr", "TgbDtm"}},
    {3,
     0,
     {"TgbVt1", "TgbVt2", "TgbVt3", "TgbVt4", "TgbVt5", "TgbVt6", "TgbVt7",
      "TgbSa1", "TgbSa2", "TgbSa3", "TgbSa4", "TgbSa5", "TgbSa6", "TgbSa7",
      "TgbMax", "TgbNrm", "TgbMab", "TgbVhs", "TgbUnb", "TgbVab", "TgbPse",
      "TgbGaz"}},
    {25, 22, {"TgbTx1", "TgbTx2", "TgbTx3", "TgbFt1", "TgbFt2", "TgbFt3"}},
    {31, 28, {"TgbTm1", "TgbTm2", "TgbTm3"}},
    {34, 31, {"TagTgb", "TagHtv", "TagHtn"}},
    {37, 34, {"TagKzv"}},
    {38, 37, {"TagPzv"}},
    {39, 36, {"TagAmp"}},
    {40, 35, {"TagNpk"}},
    {41, 38, {"ZtgVra", "ZtgAkr"}},
    {43, 40, {"ZtgAbt"}},
    {44, 41, {"ZtgKst"}},
    {45, 42, {"ZtgKtr"}},
    {46, 43, {"ZtgKrt"}},
    {47, 44, {"ZtgAgr", "ZtgBsd"}},
    {49, 46, {"ZtgTtp"}},
    {50, 47, {"ZtgAzt"}},
    {51, 48, {"AzvSol", "AzvGlv", "AzvGlb", "AzvKev", "AzvKeb", "AzvMav",
              "AzvMab"}},
    {58, 55, {"AzvPsm"}},
    {59, 56, {"BakWtg"}},
    {60, 57, {"BsvPnm"}},
    {61, 58, {"BsvAbr"}},
    {62, 59, {"BsvLug"}},
    {63, 60, {"BsvUrl"}},
    {64, 61, {"BsvBgr"}},
    {65, 62, {"BsvDwt"}},
    {66, 63, {"BsvSal", "BsvLfz", "BsvSfr", "BsvJam", "BsvKal"}},
    {71, 68, {"BsvPrz"}},
    {72, 69, {"BsvMma", "BsvMon", "BsvDms", "BsvAgm", "BsvAgv"}},
    {77, 74, {"BsvRe0", "BsvRe1", "BsvRe2", "BsvRe3", "BsvRe4", "BsvRe5",
              "BsvRe6", "BsvRe7", "BsvRe8", "BsvRe9"}},
    {87, 84, {"BsvGvo", "BsvGbi", "ZuoGvo", "ZuoGbi"}},
    {91, 88, {"UrvJhr"}},
    {92, 89, {"UrvVjr", "UrvUan", "UrvGur", "UrvMin", "UrvVur", "UrvAbg",
              "UrvJub", "UrvSbh", "UrvZus", "UrvSul"}},
    {102, -1, {"UtgGut"}},
    {103, 99, {"UtgVtg", "UtgGkt", "UtgVfl", "UtgRtg", "SfzGen"}},
    {108, 106, {"SfzAns"}},
    {109, 104, {"SfzAnt", "SfzVpl"}},
    {111, 107, {"SfvVtg", "SfvVan", "SfvZus"}},
    {114, 110, {"JavJaz", "JavIst", "JavSol", "JavDif", "JavDi2"}},
    {119, 115, {"TgbDat"}},
};

std::string_view nameAt(const TgbStatement& statement, size_t position) {
  return kTgbColumns[statement.columns[position]].name;
}

void expectTail(const TgbStatement& statement, size_t from,
                const std::vector<std::string_view>& names) {
  ASSERT_EQ(statement.columns.size(), from + names.size());
  for (size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(nameAt(statement, from + i), names[i]) << "position " << from + i;
}

TEST(TgbColumnsTest, EveryColumnStandsAtItsPositions) {
  size_t columns = 0, set = 0;
  for (const ColumnRun& run : kLayout) {
    for (size_t i = 0; i < run.names.size(); ++i, ++columns) {
      std::string_view name = run.names[i];
      size_t insert = run.insert + i;
      EXPECT_EQ(nameAt(kInsertTgb, insert), name);
      if (insert < kTgbColumnCount - 1) {  // Zev898Tgb: TgbDat comes last
        EXPECT_EQ(nameAt(kInsertTgbEvaluation, insert), name);
      }
      if (run.update < 0) continue;
      ++set;
      EXPECT_EQ(nameAt(kUpdateTgb, run.update + i), name);
      EXPECT_EQ(nameAt(kUpdateTgbEvaluation, run.update + i), name);
    }
  }
  ASSERT_EQ(columns, 120u);
  ASSERT_EQ(set, 116u);
  EXPECT_EQ(kInsertTgb.columns.size(), 120u);
  expectTail(kInsertTgbEvaluation, 119, {"TgbDwh", "DwhBis", "TgbDat"});
  expectTail(kUpdateTgb, 116, {"TgbPnr", "TgbZtr", "TgbDtm"});
  expectTail(kUpdateTgbEvaluation, 116,
             {"TgbDwh", "TgbPnr", "TgbZtr", "TgbDtm", "DwhBis"});
}

// What a statement text must be, spelled from its column list.
std::string placeholder(size_t position) {
  return ":b" + std::to_string(position);
}

std::string updateText(std::string_view table, const TgbStatement& st) {
  std::string text = "update " + std::string(table) + "  set ";
  for (size_t i = 0; i < kTgbUpdateSetCount; ++i)
    text += (i ? "," : "") + std::string(nameAt(st, i)) + "=" + placeholder(i);
  size_t keys = st.columns.size() - kTgbUpdateSetCount;
  text += " where " + std::string(keys - 1, '(');
  for (size_t i = kTgbUpdateSetCount; i < st.columns.size(); ++i) {
    if (i > kTgbUpdateSetCount) text += " and ";
    text += std::string(nameAt(st, i)) + "=" + placeholder(i);
    if (i > kTgbUpdateSetCount) text += ")";
  }
  return text;
}

std::string insertText(std::string_view table, const TgbStatement& st) {
  std::string names, values;
  for (size_t i = 0; i < st.columns.size(); ++i) {
    names += (i ? "," : "") + std::string(nameAt(st, i));
    values += (i ? "," : "") + placeholder(i);
  }
  return "insert into " + std::string(table) + " (" + names + ") values (" +
         values + ")";
}

TEST(TgbColumnsTest, TextsSpellTheirColumnLists) {
  EXPECT_EQ(kUpdateTgb.text.view(), updateText("Zev899Tgb", kUpdateTgb));
  EXPECT_EQ(kInsertTgb.text.view(), insertText("Zev899Tgb", kInsertTgb));
  EXPECT_EQ(kUpdateTgbEvaluation.text.view(),
            updateText("Zev898Tgb", kUpdateTgbEvaluation));
  EXPECT_EQ(kInsertTgbEvaluation.text.view(),
            insertText("Zev898Tgb", kInsertTgbEvaluation));

  EXPECT_TRUE(kUpdateTgb.text.view().starts_with(
      "update Zev899Tgb  set TgbVt1=:b0,TgbVt2=:b1,"));
  EXPECT_TRUE(kUpdateTgb.text.view().ends_with(
      " where ((TgbPnr=:b116 and TgbZtr=:b117) and TgbDtm=:b118)"));
  EXPECT_TRUE(kUpdateTgbEvaluation.text.view().ends_with(
      " where ((((TgbDwh=:b116 and TgbPnr=:b117) and TgbZtr=:b118) and "
      "TgbDtm=:b119) and DwhBis=:b120)"));
  // Texts of this length (beyond 1024) must reach the database whole.
  for (const TgbStatement* st : {&kUpdateTgb, &kInsertTgb,
                                 &kUpdateTgbEvaluation,
                                 &kInsertTgbEvaluation}) {
    EXPECT_GE(st->text.view().size(), 1476u);
    EXPECT_LE(st->text.view().size(), 1514u);
  }
}

// ---------------------------------------------------------------------------
// Writers and sums against the database.

// The record's 119 fields, in declared order.
#define TGB_RECORD_FIELDS(X)                                                  \
  X(TgbPnr) X(TgbZtr) X(TgbDtm) X(TgbVt1) X(TgbVt2) X(TgbVt3) X(TgbVt4)       \
  X(TgbVt5) X(TgbVt6) X(TgbVt7) X(TgbSa1) X(TgbSa2) X(TgbSa3) X(TgbSa4)       \
  X(TgbSa5) X(TgbSa6) X(TgbSa7) X(TgbMax) X(TgbNrm) X(TgbMab) X(TgbVhs)       \
  X(TgbUnb) X(TgbVab) X(TgbPse) X(TgbGaz) X(TgbTx1) X(TgbTx2) X(TgbTx3)       \
  X(TgbFt1) X(TgbFt2) X(TgbFt3) X(TgbTm1) X(TgbTm2) X(TgbTm3) X(TagTgb)       \
  X(TagHtv) X(TagHtn) X(TagKzv) X(TagPzv) X(ZtgVra) X(ZtgAkr) X(ZtgAbt)       \
  X(ZtgKst) X(ZtgKtr) X(ZtgKrt) X(ZtgAgr) X(ZtgBsd) X(ZtgTtp) X(ZtgAzt)       \
  X(AzvSol) X(AzvGlv) X(AzvGlb) X(AzvKev) X(AzvKeb) X(AzvMav) X(AzvMab)       \
  X(AzvPsm) X(BakWtg) X(BsvPnm) X(BsvAbr) X(BsvLug) X(BsvUrl) X(BsvBgr)       \
  X(BsvDwt) X(BsvSal) X(BsvLfz) X(BsvSfr) X(BsvJam) X(BsvKal) X(BsvPrz)       \
  X(BsvMma) X(BsvMon) X(BsvDms) X(BsvAgm) X(BsvAgv) X(BsvRe0) X(BsvRe1)       \
  X(BsvRe2) X(BsvRe3) X(BsvRe4) X(BsvRe5) X(BsvRe6) X(BsvRe7) X(BsvRe8)       \
  X(BsvRe9) X(BsvGvo) X(BsvGbi) X(ZuoGvo) X(ZuoGbi) X(UrvJhr) X(UrvVjr)       \
  X(UrvUan) X(UrvGur) X(UrvMin) X(UrvVur) X(UrvAbg) X(UrvJub) X(UrvSbh)       \
  X(UrvZus) X(UrvSul) X(UtgRtg) X(UtgGut) X(UtgVtg) X(UtgGkt) X(UtgVfl)       \
  X(SfzGen) X(SfzAns) X(SfzAnt) X(SfzVpl) X(SfvVtg) X(SfvVan) X(SfvZus)       \
  X(JavJaz) X(JavIst) X(JavSol) X(JavDif) X(JavDi2) X(TagNpk) X(TagAmp)

// Values that differ from field to field and from seed to seed; texts fill
// their whole capacity.
void setDistinct(int32_t& field, std::string_view, int seed, int i) {
  field = (i % 2 ? -1 : 1) * (seed * 1000 + i);
}
void setDistinct(double& field, std::string_view, int seed, int i) {
  field = (i % 2 ? -1 : 1) * (seed * 1000 + i + 0.25);
}
template <size_t N>
void setDistinct(FixedText<N>& field, std::string_view name, int seed, int i) {
  constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string text = {static_cast<char>('A' + seed), kDigits[i % 36],
                      kDigits[i / 36]};
  while (text.size() < N) text += name;
  field = text.substr(0, N);
}

TgbRecord distinctRecord(int seed) {
  TgbRecord rec;
  int i = 0;
#define SET_FIELD(name) setDistinct(rec.name, #name, seed, i++);
  TGB_RECORD_FIELDS(SET_FIELD)
#undef SET_FIELD
  rec.TgbPnr = "00004711";
  rec.TgbZtr = 1;
  rec.TgbDtm = "20240115";
  return rec;
}

struct Cell {
  int type = SQLITE_NULL;
  std::string text;
  double number = 0;
};
using Row = std::map<std::string, Cell>;

// The first row of `sql`, every column by name.
Row readRow(const std::string& dbFile, const std::string& sql) {
  Row row;
  sqlite3* db = nullptr;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_open_v2(dbFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) ==
          SQLITE_OK &&
      sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW) {
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      Cell& cell = row[sqlite3_column_name(stmt, i)];
      cell.type = sqlite3_column_type(stmt, i);
      cell.number = sqlite3_column_double(stmt, i);
      if (cell.type != SQLITE_NULL)
        cell.text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
    }
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return row;
}

void expectCell(const Cell& cell, int32_t value) {
  EXPECT_EQ(cell.type, SQLITE_INTEGER);
  EXPECT_EQ(cell.number, value);
}
void expectCell(const Cell& cell, double value) {
  EXPECT_EQ(cell.type, SQLITE_FLOAT);
  EXPECT_EQ(cell.number, value);
}
template <size_t N>
void expectCell(const Cell& cell, const FixedText<N>& value) {
  EXPECT_EQ(cell.type, value.empty() ? SQLITE_NULL : SQLITE_TEXT);
  EXPECT_EQ(cell.text, value.str());
}

// Every record column of `row` holds the field of its name; returns the
// columns left over.
std::set<std::string> expectRecordColumns(Row row, const TgbRecord& rec) {
#define CHECK_FIELD(name)                              \
  {                                                    \
    SCOPED_TRACE(#name);                               \
    auto it = row.find(#name);                         \
    if (it == row.end()) {                             \
      ADD_FAILURE() << "no column";                    \
    } else {                                           \
      expectCell(it->second, rec.name);                \
      row.erase(it);                                   \
    }                                                  \
  }
  TGB_RECORD_FIELDS(CHECK_FIELD)
#undef CHECK_FIELD
  std::set<std::string> rest;
  for (const auto& [name, cell] : row) rest.insert(name);
  return rest;
}

class TgbWriterTest : public testing::ConnectedTest {
 protected:
  std::string db() const { return dir_.file("KORV.db"); }
  int count(const std::string& table) {
    return std::stoi(queryText(db(), "select count(*) from " + table));
  }
  std::string now() {
    TimestampText stamp;
    makeTimestamp(stamp);
    return stamp.str();
  }

};

TEST_F(TgbWriterTest, NewKeyInsertsEveryColumn) {
  TgbRecord rec = distinctRecord(1);
  std::string before = now();
  ASSERT_EQ(writeTgb(rec).code(), 0) << session().lastError();
  std::string after = now();
  ASSERT_TRUE(session().commit().ok());

  ASSERT_EQ(count("Zev899Tgb"), 1);
  Row row = readRow(db(), "select * from Zev899Tgb");
  EXPECT_EQ(expectRecordColumns(row, rec), std::set<std::string>{"TgbDat"});
  EXPECT_EQ(row["TgbDat"].text.size(), 14u);
  EXPECT_GE(row["TgbDat"].text, before);
  EXPECT_LE(row["TgbDat"].text, after);
}

TEST_F(TgbWriterTest, ClearedRecordStoresNullTextsAndZeros) {
  TgbRecord rec;
  rec.TgbPnr = "00000001";
  rec.TgbDtm = "20240102";
  ASSERT_EQ(writeTgb(rec).code(), 0) << session().lastError();
  ASSERT_TRUE(session().commit().ok());
  EXPECT_EQ(expectRecordColumns(readRow(db(), "select * from Zev899Tgb"), rec),
            std::set<std::string>{"TgbDat"});
}

TEST_F(TgbWriterTest, ExistingKeyIsUpdatedButKeepsUtgGut) {
  TgbRecord first = distinctRecord(1);
  ASSERT_EQ(writeTgb(first).code(), 0) << session().lastError();
  ASSERT_TRUE(session().commit().ok());
  execSql(db(), "update Zev899Tgb set TgbDat='19990101000000';");

  TgbRecord second = distinctRecord(2);
  ASSERT_EQ(writeTgb(second).code(), 0) << session().lastError();
  ASSERT_TRUE(session().commit().ok());

  ASSERT_EQ(count("Zev899Tgb"), 1);
  TgbRecord expected = second;
  expected.UtgGut = first.UtgGut;
  Row row = readRow(db(), "select * from Zev899Tgb");
  EXPECT_EQ(expectRecordColumns(row, expected),
            std::set<std::string>{"TgbDat"});
  EXPECT_GT(row["TgbDat"].text, "19990101000000");
}

TEST_F(TgbWriterTest, EvaluationRowsAreKeyedByNameAndEndDate) {
  const FixedText<50> name(std::string(45, 'N') + "Nord5");
  TgbRecord first = distinctRecord(3);
  first.TgbZtr = 7;
  ASSERT_EQ(writeTgbEvaluation(first, DateText("20240331"), name).code(), 0)
      << session().lastError();
  ASSERT_TRUE(session().commit().ok());
  Row row = readRow(db(), "select * from Zev898Tgb");
  EXPECT_EQ(expectRecordColumns(row, first),
            (std::set<std::string>{"DwhBis", "TgbDat", "TgbDwh"}));
  EXPECT_EQ(row["TgbDwh"].text, name.str());
  EXPECT_EQ(row["DwhBis"].text, "20240331");
  EXPECT_EQ(row["TgbDat"].text.size(), 14u);

  // The same key again: the row is replaced, UtgGut excepted.
  TgbRecord second = distinctRecord(4);
  second.TgbZtr = 7;
  ASSERT_EQ(writeTgbEvaluation(second, DateText("20240331"), name).code(), 0);
  ASSERT_TRUE(session().commit().ok());
  ASSERT_EQ(count("Zev898Tgb"), 1);
  TgbRecord expected = second;
  expected.UtgGut = first.UtgGut;
  expectRecordColumns(readRow(db(), "select * from Zev898Tgb"), expected);

  // Another end date or another name is another row.
  ASSERT_EQ(writeTgbEvaluation(second, DateText("20240430"), name).code(), 0);
  ASSERT_EQ(
      writeTgbEvaluation(second, DateText("20240331"), FixedText<50>("Sued"))
          .code(),
      0);
  ASSERT_TRUE(session().commit().ok());
  EXPECT_EQ(count("Zev898Tgb"), 3);
  EXPECT_EQ(count("Zev899Tgb"), 0);
}

// The summed columns, in select order after TgbPnr.
constexpr int32_t TgbRecord::*kSummed[] = {
    &TgbRecord::TgbSa1, &TgbRecord::TgbSa2, &TgbRecord::TgbSa3,
    &TgbRecord::TgbSa4, &TgbRecord::TgbSa5, &TgbRecord::TgbSa6,
    &TgbRecord::TgbSa7, &TgbRecord::TgbMax, &TgbRecord::TgbNrm,
    &TgbRecord::TgbMab, &TgbRecord::TgbVhs, &TgbRecord::TgbUnb,
    &TgbRecord::TgbVab, &TgbRecord::TgbPse, &TgbRecord::AzvSol};
constexpr const char* kSummedNames =
    "TgbSa1,TgbSa2,TgbSa3,TgbSa4,TgbSa5,TgbSa6,TgbSa7,TgbMax,TgbNrm,TgbMab,"
    "TgbVhs,TgbUnb,TgbVab,TgbPse,AzvSol";

class TgbSumTest : public TgbWriterTest {
 protected:
  // A Zev899Tgb row whose summed columns hold base*1 .. base*15 in select
  // order, TgbSa3 NULL when `nullSa3`.
  void addRow(const std::string& pnr, int ztr, const std::string& day,
              int base, bool nullSa3 = false) {
    // Written as another program would: after the session's commit, which
    // ends its hold of the write lock.
    session().commit();
    std::string values;
    for (int i = 1; i <= 15; ++i)
      values += "," + (nullSa3 && i == 3 ? std::string("NULL")
                                          : std::to_string(base * i));
    execSql(db(), "insert into Zev899Tgb (TgbPnr,TgbZtr,TgbDtm," +
                      std::string(kSummedNames) + ") values ('" + pnr + "'," +
                      std::to_string(ztr) + ",'" + day + "'" + values + ");");
  }
};

TEST_F(TgbSumTest, SumsPerPersonOverAnInclusiveWindowOfOneCode) {
  addRow("1000", 3, "20240101", 1);
  addRow("1000", 3, "20240201", 10);
  addRow("1000", 3, "20240331", 100);
  addRow("1000", 3, "20231231", 1000);  // the day before the window
  addRow("1000", 3, "20240401", 1000);  // the day after the window
  addRow("1000", 1, "20240115", 1000);  // another period code
  addRow("2000", 3, "20240201", 2, true);
  addRow("2000", 3, "20240301", 3, true);

  ASSERT_TRUE(openTgbSum(3, DateText("20240101"), DateText("20240331")).ok())
      << session().lastError();
  std::map<std::string, TgbRecord> sums;
  TgbRecord rec;
  SqlStatus status;
  for (;;) {
    rec.clear();
    rec.BsvPnm = "kept";
    if (!(status = fetchTgbSum(rec)).ok()) break;
    sums[rec.TgbPnr.str()] = rec;
  }
  EXPECT_EQ(status.code(), 1403) << session().lastError();
  EXPECT_EQ(rec.BsvPnm, "kept");
  EXPECT_TRUE(rec.TgbPnr.empty());
  EXPECT_TRUE(closeTgbSum().ok());

  ASSERT_EQ(sums.size(), 2u);
  for (size_t i = 0; i < std::size(kSummed); ++i) {
    int32_t n = static_cast<int32_t>(i + 1);
    EXPECT_EQ(sums["1000"].*kSummed[i], 111 * n) << kSummedNames << " #" << n;
    EXPECT_EQ(sums["2000"].*kSummed[i], n == 3 ? 0 : 5 * n)
        << kSummedNames << " #" << n;
  }
  // Fields outside the select list keep what the caller put there.
  EXPECT_EQ(sums["1000"].BsvPnm, "kept");
  EXPECT_EQ(sums["1000"].TgbZtr, 0);
  EXPECT_TRUE(sums["1000"].TgbDtm.empty());
}

TEST_F(TgbSumTest, FetchWithoutARowLeavesTheRecord) {
  addRow("1000", 3, "20240401", 1);
  addRow("1000", 1, "20240115", 1);
  TgbRecord rec;
  rec.TgbPnr = "9999";
  for (size_t i = 0; i < std::size(kSummed); ++i)
    rec.*kSummed[i] = -1 - static_cast<int32_t>(i);
  auto expectUntouched = [&rec] {
    EXPECT_EQ(rec.TgbPnr, "9999");
    for (size_t i = 0; i < std::size(kSummed); ++i)
      EXPECT_EQ(rec.*kSummed[i], -1 - static_cast<int32_t>(i));
  };

  // A window without rows of the code ends at the first fetch.
  ASSERT_TRUE(openTgbSum(3, DateText("20240101"), DateText("20240331")).ok());
  EXPECT_EQ(fetchTgbSum(rec).code(), 1403);
  expectUntouched();
  EXPECT_TRUE(closeTgbSum().ok());

  // A sum beyond the int range fails the fetch after the columns before it
  // were delivered; none of them reaches the record.
  addRow("1000", 3, "20240402", 1);
  execSql(db(), "update Zev899Tgb set AzvSol=2000000000;");
  ASSERT_TRUE(openTgbSum(3, DateText("20240401"), DateText("20240402")).ok());
  EXPECT_LT(fetchTgbSum(rec).code(), 0);
  expectUntouched();
  EXPECT_TRUE(closeTgbSum().ok());
}

}  // namespace
}  // namespace ravlen
