// The dialect functions keep parsed formats per connection: calls with
// different formats on one connection, alternating and beyond the store's
// size, must each get their own format's result.
#include "db/sqlite/dialect.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "db/sqlite/date_format.h"
#include "db/sqlite/oracle_dates.h"

namespace ravlen {
namespace {

// One row per format, in this order; each repeats after the first round.
std::vector<std::string> alternatingFormats() {
  std::vector<std::string> formats = {"yyyymmdd", "yyyy", "dd.mm.yyyy",
                                      "YYYYMMDD", "yyyymm"};
  for (size_t i = 0; i < DateFormatCache::kMaxFormats + 3; ++i)
    formats.push_back("\"k" + std::to_string(i) + "\"yyyymmddhh24mi");
  std::vector<std::string> rows = formats;
  rows.insert(rows.end(), formats.begin(), formats.end());
  return rows;
}

TEST(DialectTest, EachCallGetsItsOwnFormatOnOneConnection) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  ASSERT_EQ(registerDialect(db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "create table f(n integer, fmt text)", nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  std::vector<std::string> formats = alternatingFormats();
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "insert into f values(?1, ?2)", -1, &insert, nullptr);
  for (size_t i = 0; i < formats.size(); ++i) {
    sqlite3_bind_int(insert, 1, static_cast<int>(i));
    sqlite3_bind_text(insert, 2, formats[i].c_str(), -1, SQLITE_STATIC);
    ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);

  // The date back through to_date, and whether the range bounds take the
  // format (only an ordered one, else the call fails).
  const double kDate = julianFromCivil({2024, 2, 9, 13, 5});
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db,
                               "select fmt, to_char(?1, fmt), "
                               "to_date(to_char(?1, fmt), fmt) from f "
                               "order by n",
                               -1, &stmt, nullptr),
            SQLITE_OK);
  sqlite3_bind_double(stmt, 1, kDate);
  size_t rows = 0;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    std::string format =
        reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    TextResult text = oracleToChar(kDate, format);
    DateResult date = oracleToDate(text.text, format);
    ASSERT_TRUE(text.ok && date.ok) << format;
    EXPECT_EQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)),
              text.text)
        << format;
    EXPECT_EQ(sqlite3_column_double(stmt, 2), date.julian) << format;
    ++rows;
  }
  sqlite3_finalize(stmt);
  EXPECT_EQ(rows, formats.size());

  for (const char* fmt : {"yyyy", "dd.mm.yyyy", "yyyy", "dd.mm.yyyy"}) {
    std::string sql =
        std::string("select ravlen_date_from('") + fmt + "', '=', '2024')";
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    EXPECT_EQ(rc == SQLITE_OK, std::string(fmt) == "yyyy") << fmt;
  }
  sqlite3_close(db);
}

}  // namespace
}  // namespace ravlen
