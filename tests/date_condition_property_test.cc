// Both backends' rewrites of formatted-date comparisons select exactly the
// rows that the comparisons as written select, for random stored
// date-times and random compared values
// (tests/support/date_condition_property.h): the embedded database's on
// values from SQLite's own julianday(), with milliseconds; the server's on
// a timestamp(0) column, as the server rounds them on input, with the
// bounds that the client computes.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <optional>
#include <string>
#include <vector>

#include "db/postgresql/pg_inputs.h"
#include "db/postgresql/pg_translate.h"
#include "db/sqlite/dialect.h"
#include "db/sqlite/translate.h"
#include "tests/support/date_condition_property.h"
#include "tests/support/test_database.h"
#include "tools/ravlen_db/server_db.h"

namespace ravlen {
namespace {

// visited(X): holds, and counts the rows it is evaluated on. Written first
// and given the indexed column D, it sees every index entry that a search
// of T_D reads, before the conditions that the index does not take.
void countVisit(sqlite3_context* ctx, int, sqlite3_value**) {
  ++*static_cast<int*>(sqlite3_user_data(ctx));
  sqlite3_result_int(ctx, 1);
}

// T(N, D) in an in-memory database with the dialect, D indexed as the
// operational date columns are.
class SqliteDateConditions : public testing::DateConditionRunner {
 public:
  SqliteDateConditions() {
    EXPECT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    EXPECT_EQ(registerDialect(db_), SQLITE_OK);
    EXPECT_EQ(sqlite3_create_function_v2(db_, "visited", 1, SQLITE_UTF8,
                                         &visited, countVisit, nullptr,
                                         nullptr, nullptr),
              SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db_,
                           "create table T(N INTEGER, D REAL);"
                           "create index T_D on T(D);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
  }
  ~SqliteDateConditions() override { sqlite3_close(db_); }

  void store(const std::vector<std::string>& instants) override {
    sqlite3_exec(db_, "delete from T", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db_,
                                 "insert into T values(?1, julianday(?2))",
                                 -1, &insert, nullptr),
              SQLITE_OK);
    for (size_t n = 0; n < instants.size(); ++n) {
      sqlite3_bind_int(insert, 1, static_cast<int>(n));
      if (instants[n].empty()) {
        sqlite3_bind_null(insert, 2);
      } else {
        sqlite3_bind_text(insert, 2, instants[n].c_str(), -1,
                          SQLITE_TRANSIENT);
      }
      EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE) << instants[n];
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
  }

  void execute(const char* sql) {
    EXPECT_EQ(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr), SQLITE_OK);
  }

  std::vector<int> select(const testing::DateCondition& c,
                          bool rewritten) override {
    std::string sql = "select N from T where " + c.text + " order by N";
    if (rewritten) {
      sql = translateStatement(sql, "").sql;
      // Every generated condition is one that the translation rewrites.
      EXPECT_EQ(sql.find("to_char"), std::string::npos) << sql;
    } else if (size_t at = sql.find(":b0"); at != std::string::npos) {
      sql.replace(at, 3, "?1");
    }
    return rows(sql, c.value);
  }

 private:
  std::vector<int> rows(const std::string& sql,
                        const std::optional<std::string>& value) {
    std::vector<int> result;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) !=
        SQLITE_OK) {
      ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db_);
      return result;
    }
    if (sqlite3_bind_parameter_count(stmt) > 0 && value) {
      sqlite3_bind_text(stmt, 1, value->data(),
                        static_cast<int>(value->size()), SQLITE_TRANSIENT);
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
      result.push_back(sqlite3_column_int(stmt, 0));
    EXPECT_EQ(rc, SQLITE_DONE) << sql << ": " << sqlite3_errmsg(db_);
    sqlite3_finalize(stmt);
    return result;
  }

  sqlite3* db_ = nullptr;

 public:
  int visited = 0;
};

// A text in a date column makes the comparison as written fail (to_char
// takes numbers only); the range leaves it out, whichever the operator.
TEST(DateConditionPropertyTest, ATextInTheDateColumnIsNeverSelected) {
  SqliteDateConditions runner;
  runner.store({"2024-01-15 00:00:00.000"});
  for (const char* op : {"=", "<", "<=", ">", ">="}) {
    const char* value = *op == '=' ? "2024" : *op == '<' ? "9999" : "0001";
    testing::DateCondition c{"to_char(D,'yyyy')" + std::string(op) + ":b0",
                             std::string(value)};
    EXPECT_EQ(runner.select(c, true), std::vector<int>{0}) << c.text;
    runner.execute("update T set D='2024-01-15'");
    EXPECT_EQ(runner.select(c, true), std::vector<int>{}) << c.text;
    runner.execute("update T set D=julianday('2024-01-15')");
  }
}

// The day count's window: of its two comparisons' bounds the index must
// take the two tight ones, or it reads on past the window.
TEST(DateConditionPropertyTest, AWindowReadsOnlyItsOwnRows) {
  SqliteDateConditions runner;
  std::vector<std::string> days;
  for (int day = 10; day <= 28; ++day)
    days.push_back("2024-02-" + std::to_string(day) + " 12:00:00.000");
  runner.store(days);
  testing::DateCondition window{
      "visited(D) and to_char(D,'yyyymmdd')>='20240215' and "
      "to_char(D,'yyyymmdd')<='20240216'",
      std::nullopt};
  EXPECT_EQ(runner.select(window, true), (std::vector<int>{5, 6}));
  EXPECT_EQ(runner.visited, 2);
}

// T(N, D) on the test server, D timestamp(0) and indexed as the server's
// operational date columns are. The conditions run as the backend runs
// them: translated, and bound from a host variable (so an empty text is
// NULL, as the program binds it).
class ServerDateConditions : public testing::DateConditionRunner {
 public:
  explicit ServerDateConditions(const testing::TestServer& server)
      : database_(server) {
    error_ = database_.error();
    if (error_.empty()) error_ = db_.open(database_.uri(), "ravlen");
    if (error_.empty())
      error_ = db_.exec("create table T(N integer, D timestamp(0)); "
                        "create index T_D on T(D)");
  }
  const std::string& error() const { return error_; }

  void store(const std::vector<std::string>& instants) override {
    std::string rows;
    for (size_t n = 0; n < instants.size(); ++n) {
      rows += std::to_string(n) + "\t" +
              (instants[n].empty() ? "\\N" : instants[n]) + "\n";
    }
    ASSERT_EQ(db_.exec("delete from T"), "");
    ASSERT_EQ(db_.copyIn("T", "N, D", rows), "");
  }

  std::vector<int> select(const testing::DateCondition& c,
                          bool rewritten) override {
    PgTranslation tr = translateForPostgresql(
        "select N from T where " + c.text + " order by N", rewritten);
    if (rewritten) {
      EXPECT_EQ(tr.sql.find("to_char"), std::string::npos) << tr.sql;
    }
    FixedText<64> value(c.value.value_or(""));
    std::vector<HostVar> in;
    if (tr.inputCount > 0) in.push_back(hostVar(value));
    PgInputs inputs;
    inputs.bind(std::span<const HostVar>(in), tr);
    const PgParams& p = inputs.params();
    PGresult* r = PQexecParams(db_.handle(), tr.sql.c_str(),
                               static_cast<int>(p.values.size()),
                               p.types.data(), p.values.data(), nullptr,
                               nullptr, 0);
    std::vector<int> rows;
    EXPECT_EQ(PQresultStatus(r), PGRES_TUPLES_OK)
        << tr.sql << ": " << PQresultErrorMessage(r);
    for (int i = 0; i < PQntuples(r); ++i)
      rows.push_back(std::stoi(PQgetvalue(r, i, 0)));
    PQclear(r);
    return rows;
  }

 private:
  testing::ServerDatabase database_;
  ServerDb db_;
  std::string error_;
};

TEST(DateConditionPropertyTest, RangeRewriteSelectsWhatTheComparisonSelects) {
  SqliteDateConditions runner;
  for (uint32_t seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    std::vector<std::string> failures =
        testing::checkDateConditions(runner, seed, 300, 1500);
    EXPECT_TRUE(failures.empty()) << failures.size() << " differ, first: "
                                  << failures.front();
  }
}

TEST(PostgresqlDateConditionPropertyTest,
     RangeRewriteSelectsWhatTheComparisonSelects) {
  testing::TestServer server;
  std::string reason;
  if (!testing::findTestServer(&server, &reason)) GTEST_SKIP() << reason;
  ServerDateConditions runner(server);
  ASSERT_EQ(runner.error(), "");
  for (uint32_t seed : {1u, 2u}) {
    SCOPED_TRACE(seed);
    std::vector<std::string> failures =
        testing::checkDateConditions(runner, seed, 300, 1000);
    EXPECT_TRUE(failures.empty()) << failures.size() << " differ, first: "
                                  << failures.front();
  }
}

}  // namespace
}  // namespace ravlen
