// The daily-balance source cursor against a real embedded database.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "sql/daily_balance.h"
#include "tests/support/embedded_db.h"
#include "tests/support/session_fixture.h"

namespace ravlen {
namespace {

using testing::execSql;
using testing::julianOf;
using testing::TempDir;

// The 21 nullable numeric source fields, in select-list order.
constexpr int32_t TgbRecord::*kNumbers[] = {
    &TgbRecord::TgbVt1, &TgbRecord::TgbVt2, &TgbRecord::TgbVt3,
    &TgbRecord::TgbVt4, &TgbRecord::TgbVt5, &TgbRecord::TgbVt6,
    &TgbRecord::TgbVt7, &TgbRecord::TgbSa1, &TgbRecord::TgbSa2,
    &TgbRecord::TgbSa3, &TgbRecord::TgbSa4, &TgbRecord::TgbSa5,
    &TgbRecord::TgbSa6, &TgbRecord::TgbSa7, &TgbRecord::TgbMax,
    &TgbRecord::TgbNrm, &TgbRecord::TgbMab, &TgbRecord::TgbVhs,
    &TgbRecord::TgbUnb, &TgbRecord::TgbVab, &TgbRecord::TgbPse};

using RowKey = std::tuple<std::string, int32_t, std::string>;

class TgbSourceTest : public testing::ConnectedTest {
 protected:
  // A source row whose numeric columns are base+1 .. base+21 in column
  // order, or NULL when base is negative.
  void addRow(const std::string& pnr, int ztr, const std::string& day,
              int base = 0) {
    std::string values;
    for (int i = 1; i <= 21; ++i)
      values += "," + (base < 0 ? std::string("NULL") : std::to_string(base + i));
    execSql(dir_.file("KORV.db"),
            "insert into Zev320Tgb values ('" + pnr + "'," +
                std::to_string(ztr) + "," + std::to_string(julianOf(day)) +
                values + ");");
  }

  // Fetches to the end; returns the keys seen and the final status.
  std::vector<RowKey> fetchAll(SqlStatus* last) {
    std::vector<RowKey> keys;
    TgbRecord rec;
    while ((*last = fetchTgbSource(rec)).ok())
      keys.emplace_back(rec.TgbPnr.str(), rec.TgbZtr, rec.TgbDtm.str());
    return keys;
  }

};

TEST_F(TgbSourceTest, WindowIsInclusiveAndOrdered) {
  addRow("2000", 1, "20240115");
  addRow("1000", 3, "20240110");
  addRow("1000", 1, "20240120");
  addRow("1000", 1, "20240109");  // the day before the window
  addRow("1000", 1, "20240121");  // the day after the window
  addRow("1000", 1, "20240110");
  addRow("1000", 2, "20240115");

  ASSERT_TRUE(openTgbSource(DateText("20240110"), DateText("20240120")).ok())
      << session().lastError();
  SqlStatus last;
  std::vector<RowKey> keys = fetchAll(&last);
  EXPECT_EQ(keys, (std::vector<RowKey>{{"1000", 1, "20240110"},
                                       {"1000", 1, "20240120"},
                                       {"1000", 2, "20240115"},
                                       {"1000", 3, "20240110"},
                                       {"2000", 1, "20240115"}}));
  EXPECT_EQ(last.code(), 1403);
  EXPECT_TRUE(closeTgbSource().ok());

  // One day: exactly that day's rows; the cursor opens again after a close.
  ASSERT_TRUE(openTgbSource(DateText("20240110"), DateText("20240110")).ok());
  keys = fetchAll(&last);
  EXPECT_EQ(keys, (std::vector<RowKey>{{"1000", 1, "20240110"},
                                       {"1000", 3, "20240110"}}));
  EXPECT_EQ(last.code(), 1403);
  EXPECT_TRUE(closeTgbSource().ok());

  // No rows in the window: the first fetch already ends the loop.
  ASSERT_TRUE(openTgbSource(DateText("20240201"), DateText("20240229")).ok());
  EXPECT_TRUE(fetchAll(&last).empty());
  EXPECT_EQ(last.code(), 1403);
  EXPECT_TRUE(closeTgbSource().ok());
}

TEST_F(TgbSourceTest, ColumnsLandInTheirFieldsAndReplaceTheRecord) {
  addRow("12345678", 4, "20240301", 100);
  ASSERT_TRUE(openTgbSource(DateText("20240301"), DateText("20240301")).ok());

  // Fields from an earlier row's lookups, which a fetch must not keep.
  TgbRecord rec;
  rec.TgbGaz = 1;
  rec.TgbTx1 = "Urlaub";
  rec.BsvPnm = "Muster";
  rec.BsvDwt = 38.5;
  rec.UtgRtg = 2.5;
  rec.JavDi2 = -7;
  rec.TagAmp = 9;
  ASSERT_TRUE(fetchTgbSource(rec).ok()) << session().lastError();

  EXPECT_EQ(rec.TgbPnr, "12345678");
  EXPECT_EQ(rec.TgbZtr, 4);
  EXPECT_EQ(rec.TgbDtm, "20240301");
  for (size_t i = 0; i < std::size(kNumbers); ++i)
    EXPECT_EQ(rec.*kNumbers[i], 101 + static_cast<int32_t>(i))
        << "numeric column " << i + 1;
  EXPECT_EQ(rec.TgbPse, 121);

  EXPECT_EQ(rec.TgbGaz, 0);
  EXPECT_TRUE(rec.TgbTx1.empty());
  EXPECT_TRUE(rec.BsvPnm.empty());
  EXPECT_EQ(rec.BsvDwt, 0.0);
  EXPECT_EQ(rec.UtgRtg, 0.0);
  EXPECT_EQ(rec.JavDi2, 0);
  EXPECT_EQ(rec.TagAmp, 0);

  // After the last row the record keeps the row fetched last.
  EXPECT_EQ(fetchTgbSource(rec).code(), 1403);
  EXPECT_EQ(rec.TgbPnr, "12345678");
  EXPECT_EQ(rec.TgbPse, 121);
  EXPECT_TRUE(closeTgbSource().ok());
}

TEST_F(TgbSourceTest, NullColumnsStayZeroAfterAFullRow) {
  addRow("1000", 1, "20240105", 500);
  addRow("1000", 1, "20240106", -1);
  ASSERT_TRUE(openTgbSource(DateText("20240105"), DateText("20240106")).ok());

  TgbRecord rec;
  ASSERT_TRUE(fetchTgbSource(rec).ok()) << session().lastError();
  ASSERT_EQ(rec.TgbVt1, 501);
  ASSERT_TRUE(fetchTgbSource(rec).ok()) << session().lastError();
  EXPECT_EQ(rec.TgbDtm, "20240106");
  for (size_t i = 0; i < std::size(kNumbers); ++i)
    EXPECT_EQ(rec.*kNumbers[i], 0) << "numeric column " << i + 1;
  EXPECT_TRUE(closeTgbSource().ok());
}

TEST_F(TgbSourceTest, FailedFetchLeavesRecordUntouched) {
  addRow("1000", 1, "20240105", 0);
  TgbRecord rec;
  rec.TgbPnr = "keep";
  rec.TgbSa3 = 33;

  // Never opened: the fetch fails.
  EXPECT_LT(fetchTgbSource(rec).code(), 0);
  EXPECT_EQ(rec.TgbPnr, "keep");
  EXPECT_EQ(rec.TgbSa3, 33);

  // A window the database cannot read: whether the open or the first fetch
  // reports it, the fetch does not deliver a row.
  openTgbSource(DateText("2024xx01"), DateText("20240131"));
  EXPECT_LT(fetchTgbSource(rec).code(), 0);
  EXPECT_EQ(rec.TgbPnr, "keep");
  EXPECT_EQ(rec.TgbSa3, 33);
}

}  // namespace
}  // namespace ravlen
