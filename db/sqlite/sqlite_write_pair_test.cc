// A writer's pair on the embedded database may run its insert first
// (sqlite_write_pair.cc); it must end as the pair run as written ends.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "db/backend.h"
#include "db/fixed_text.h"
#include "db/sqlhlp.h"
#include "db/write_pair_key.h"
#include "tests/support/test_database.h"

namespace ravlen {
namespace {

using testing::BackendKind;
using testing::TestDatabase;

TEST(PairKeyTest, ReadsTheKeyOfPlainPairsOnly) {
  constexpr WritePattern kUpdateFirst = WritePattern::kUpdateElseInsert;
  const char* update =
      "update S.T  set a=:b0:b9,b=:b1 where ((k1=:b2 and :b3=k2))";
  PairKey key;
  ASSERT_TRUE(readPairKey(kUpdateFirst, update,
                          "insert into s.t (k2,a,b,k1) values (:b0,:b1,:b2,:b3)",
                          &key));
  EXPECT_EQ(key.table, "S.T");
  EXPECT_EQ(key.columns, (std::vector<std::string>{"k1", "k2"}));
  EXPECT_EQ(key.updateInputs, (std::vector<size_t>{2, 3}));
  EXPECT_EQ(key.insertInputs, (std::vector<size_t>{3, 0}));
  key = {};
  ASSERT_TRUE(readPairKey(WritePattern::kInsertElseAdd,
                          "insert into T (k,n) values (:b0,:b1)",
                          "update T set n=(n+:b0) where k=:b1", &key));
  EXPECT_EQ(key.insertInputs, (std::vector<size_t>{0}));
  EXPECT_EQ(key.updateInputs, (std::vector<size_t>{1}));
  for (auto [first, second] : std::vector<std::pair<const char*, const char*>>{
           {"update T set a=:b0 where k=:b1 or j=:b2",
            "insert into T (a,k,j) values (:b0,:b1,:b2)"},
           {"update T set a=:b0 where k=upper(:b1)",
            "insert into T (a,k) values (:b0,:b1)"},
           {"update T set a=:b0 where k>=:b1",
            "insert into T (a,k) values (:b0,:b1)"},
           {"update T set a=:b0 where k=:b1:b2",
            "insert into T (a,k) values (:b0,:b1)"},
           {"update T set a=:b0 where k=:b1",
            "insert into T (a,k) values (:b0,:b1:b2)"},
           {"update T set a=:b0 where k=:b1",
            "insert into T (a,k) values (:b0,upper(:b1))"},
           {"update T set a=:b0 where k=:b1", "insert into T (a) values (:b0)"},
           {"update T set a=:b0 where k=:b1",
            "insert into U (a,k) values (:b0,:b1)"},
           {"update T set a=:b0 where k=:b1",
            "insert into T (a,k) select :b0,:b1 from dual"}}) {
    key = {};
    EXPECT_FALSE(readPairKey(kUpdateFirst, first, second, &key)) << first;
  }
}

// One backend session on a database of its own.
struct Side {
  std::unique_ptr<TestDatabase> db;
  std::unique_ptr<Backend> backend;
};

Side openSide(const std::string& tables) {
  std::string reason;
  Side side{testing::makeTestDatabase(BackendKind::kEmbedded, &reason), {}};
  EXPECT_NE(side.db, nullptr) << reason;
  side.db->app(tables);
  SqlStatus status;
  std::string message;
  side.backend = openBackend(
      makeConnectText(side.db->login(), side.db->password(),
                      side.db->service()),
      &status, &message);
  EXPECT_NE(side.backend, nullptr) << message;
  EXPECT_TRUE(side.backend->executeImmediate(
                  std::string(kSetSchemaStatement) + "KORV").ok());
  return side;
}

std::string outcomeText(const WriteOutcome& w) {
  std::string text = std::to_string(w.first.status.code());
  if (w.second) text += "/" + std::to_string(w.second->status.code());
  return text;
}

// The same writes on two databases: one through the backend's pair, one
// through the pair run as written (the base implementation).
TEST(EmbeddedWritePairTest, EndsAsThePairRunAsWritten) {
  const std::string tables =
      "create table U(k VARCHAR2(5) primary key, name VARCHAR2(10) not null,"
      " alt VARCHAR2(5) unique);"
      "create table N(k VARCHAR2(5), name VARCHAR2(10));"
      "create table C(k VARCHAR2(5), d VARCHAR2(8), n INTEGER, name "
      "VARCHAR2(5) not null, primary key (k, d));"
      "create table D(k VARCHAR2(5) primary key, n INTEGER, name VARCHAR2(5))"
      " without rowid;";
  Side fast = openSide(tables), written = openSide(tables);
  ASSERT_TRUE(fast.backend && written.backend);
  FixedText<5> k, alt, d;
  FixedText<10> name;
  int32_t n = 0;
  const HostVar kUN[] = {hostVar(name), hostVar(alt), hostVar(k)};
  const HostVar kNK[] = {hostVar(name), hostVar(k)};
  const HostVar kKDN[] = {hostVar(k), hostVar(d), hostVar(n), hostVar(name)};
  const HostVar kNKD[] = {hostVar(n), hostVar(k), hostVar(d)};
  const HostVar kNAD[] = {hostVar(name), hostVar(alt), hostVar(d)};
  const HostVar kKN[] = {hostVar(k), hostVar(n)};
  const HostVar kNK2[] = {hostVar(n), hostVar(k)};
  const WriteSteps kPairs[] = {
      {WritePattern::kUpdateElseInsert,
       "update U set name=:b0,alt=:b1 where k=:b2", kUN,
       "insert into U (name,alt,k) values (:b0,:b1,:b2)", kUN},
      {WritePattern::kUpdateElseInsert, "update N set name=:b0 where k=:b1",
       kNK, "insert into N (name,k) values (:b0,:b1)", kNK},
      {WritePattern::kInsertElseAdd,
       "insert into C (k,d,n,name) values (:b0,:b1,:b2,:b3)", kKDN,
       "update C set n=(n+:b0) where (k=:b1 and d=:b2)", kNKD},
      // The insert takes its key from another host variable.
      {WritePattern::kUpdateElseInsert, "update U set name=:b0 where k=:b1",
       kNK, "insert into U (name,alt,k) values (:b0,:b1,:b2)", kNAD},
      {WritePattern::kInsertElseAdd, "insert into D (k,n) values (:b0,:b1)",
       kKN, "update D set n=(n+:b0) where k=:b1", kNK2}};
  struct Write {
    int pair;
    const char *k, *name, *alt, *d;
    int32_t n;
  };
  const Write kWrites[] = {
      {0, "a", "eins", "x", "", 0},   // new row
      {0, "a", "zwei", "y", "", 0},   // the row is there
      {0, "b", "drei", "z", "", 0},   // new again, after an update
      {0, "c", "", "w", "", 0},       // NULL name: the insert fails
      {0, "c", "vier", "y", "", 0},   // another unique key taken
      {0, "", "fuenf", "v", "", 0},   // NULL key: no row to update
      {0, "b", "", "z", "", 0},       // the update fails, the insert too
      {1, "a", "eins", "", "", 0},    // no unique key: as written
      {1, "a", "zwei", "", "", 0},
      {2, "x", "n", "", "1", 1},      // new
      {2, "x", "n", "", "1", 2},      // key taken: adds
      {2, "x", "", "", "2", 3},       // NULL name: fails
      {2, "x", "", "", "1", 6},       // key taken, NULL name: fails
      {2, "", "n", "", "2", 4},       // NULL key part
      {2, "", "n", "", "2", 5},
      {3, "a", "sechs", "q", "zz", 0},
      {4, "x", "", "", "", 1},        // no rowids: new ...
      {4, "x", "", "", "", 2}};       // ... and added
  for (const Write& w : kWrites) {
    k = w.k;
    name = w.name;
    alt = w.alt;
    d = w.d;
    n = w.n;
    std::optional<WriteOutcome> a, b;
    const WriteSteps& steps = kPairs[w.pair];
    fast.backend->writeLater(steps, [&a](const WriteOutcome& o) { a = o; });
    written.backend->Backend::writeLater(
        steps, [&b](const WriteOutcome& o) { b = o; });
    ASSERT_TRUE(a && b);
    EXPECT_EQ(outcomeText(*a), outcomeText(*b)) << w.k << " " << w.name;
  }
  ASSERT_TRUE(fast.backend->commit().ok());
  ASSERT_TRUE(written.backend->commit().ok());
  for (const char* table : {"U", "N", "C", "D"}) {
    std::string rows = std::string("select group_concat(r, ';') from (select "
                                   "quote(k)||quote(name)") +
                       (std::string(table) == "C" ? "||quote(d)||n" : "") +
                       (std::string(table) == "D" ? "||n" : "") +
                       " as r from " + table + " order by 1)";
    EXPECT_EQ(fast.db->value(rows), written.db->value(rows)) << table;
    EXPECT_NE(fast.db->value(rows), "") << table;
  }
}

}  // namespace
}  // namespace ravlen
