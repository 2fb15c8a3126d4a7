#include "tests/support/embedded_db.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "db/sqlite/oracle_dates.h"

namespace ravlen::testing {
namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "ravlen-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  EXPECT_NE(made, nullptr);
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string TempDir::file(std::string_view name) const {
  return (fs::path(path_) / name).string();
}

SqliteConnection::SqliteConnection(const std::string& dbFile) {
  EXPECT_EQ(sqlite3_open(dbFile.c_str(), &db_), SQLITE_OK) << dbFile;
}

SqliteConnection::~SqliteConnection() { sqlite3_close(db_); }

void SqliteConnection::exec(const std::string& sql) {
  char* error = nullptr;
  int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error);
  EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "") << "\n" << sql;
  sqlite3_free(error);
}

void execSql(const std::string& dbFile, const std::string& sql) {
  SqliteConnection(dbFile).exec(sql);
}

std::string queryText(const std::string& dbFile, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string result;
  if (sqlite3_open_v2(dbFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) ==
      SQLITE_OK) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0)) {
      result = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  return result;
}

namespace {

std::string rowText(sqlite3_stmt* stmt, const std::vector<std::string>& skip) {
  std::string row;
  for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
    const char* value =
        reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
    std::string name = sqlite3_column_name(stmt, i);
    if (value == nullptr || std::string_view(value) == "0" ||
        std::string_view(value) == "0.0")
      continue;
    if (std::find(skip.begin(), skip.end(), name) != skip.end()) continue;
    if (!row.empty()) row += ' ';
    row += name + "=" + value;
  }
  return row;
}

}  // namespace

std::vector<std::string> queryRows(const std::string& dbFile,
                                   const std::string& sql,
                                   const std::vector<std::string>& skip) {
  sqlite3* db = nullptr;
  std::vector<std::string> rows;
  EXPECT_EQ(sqlite3_open_v2(dbFile.c_str(), &db, SQLITE_OPEN_READONLY,
                            nullptr),
            SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK)
      << sql << ": " << sqlite3_errmsg(db);
  while (stmt != nullptr && sqlite3_step(stmt) == SQLITE_ROW)
    rows.push_back(rowText(stmt, skip));
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return rows;
}

std::string schemaSql(std::string_view fileName) {
  std::ifstream in(fs::path(RAVLEN_SOURCE_DIR) / "schema" / fileName);
  EXPECT_TRUE(in.good()) << fileName;
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void createProjectDatabase(const std::string& dir, const std::string& app) {
  execSql((fs::path(dir) / "KALDERON.db").string(), schemaSql("kalderon.sql"));
  execSql((fs::path(dir) / (app + ".db")).string(),
          schemaSql("application.sql"));
}

std::string localToday() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y%m%d", &local);
  return text;
}

double julianOf(std::string_view d) {
  CivilTime t;
  t.year = std::stoi(std::string(d.substr(0, 4)));
  t.month = std::stoi(std::string(d.substr(4, 2)));
  t.day = std::stoi(std::string(d.substr(6, 2)));
  return julianFromCivil(t);
}

namespace {

// ISO 8601 week number of the day at Julian day `jd` (midnight).
int isoWeek(double jd, int weekday) {
  CivilTime thursday = civilFromJulian(jd - (weekday - 1) + 3);
  CivilTime jan1{thursday.year, 1, 1};
  int dayOfYear = static_cast<int>(jd - (weekday - 1) + 3 - julianFromCivil(jan1));
  return dayOfYear / 7 + 1;
}

}  // namespace

void fillCalendar(const std::string& kalderonFile, std::string_view from,
                  std::string_view to) {
  std::ostringstream sql;
  sql.precision(17);
  sql << "begin;";
  for (double jd = julianOf(from); jd <= julianOf(to); jd += 1) {
    CivilTime t = civilFromJulian(jd);
    int weekday = static_cast<int>(static_cast<int64_t>(jd + 0.5) % 7) + 1;
    sql << "insert into Zev133Bak(BakDtm,BakWch,BakQua,BakHjh,BakWtg) values("
        << jd << "," << isoWeek(jd, weekday) << "," << (t.month + 2) / 3 << ","
        << (t.month + 5) / 6 << "," << weekday << ");";
  }
  sql << "commit;";
  execSql(kalderonFile, sql.str());
}

}  // namespace ravlen::testing
