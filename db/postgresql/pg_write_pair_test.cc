// The server forms of a writer's pair: which pairs become one upsert.
#include "db/postgresql/pg_write_pair.h"

#include <gtest/gtest.h>

#include "db/host_var.h"

namespace ravlen {
namespace {

constexpr char kUpdate[] =
    "update W set f=:b0 ,v=:b1 where ((p=:b2 and d=:b3) and f=:b0)";
constexpr char kInsert[] = "insert into W (p,d,f,v) values (:b0,:b1,:b2,:b3)";

struct Row {
  FixedText<8> p, d, f, v;
};

// The upsert of the update-else-insert pair over `row`, with `keyF` the
// host variable that the update's key compares f with.
std::string upsertOf(Row& row, const FixedText<8>& keyF) {
  const std::array<HostVar, 5> update = {hostVar(row.f), hostVar(row.v),
                                         hostVar(row.p), hostVar(row.d),
                                         hostVar(keyF)};
  const std::array<HostVar, 4> insert = {hostVar(row.p), hostVar(row.d),
                                         hostVar(row.f), hostVar(row.v)};
  return upsertSql(WritePattern::kUpdateElseInsert,
                   translateForPostgresql(kUpdate),
                   translateForPostgresql(kInsert),
                   sharedNumbers(update, insert), sharedNumbers(update, update));
}

TEST(PgWritePairTest, UpsertOnlyWhereTheInsertFillsTheKeyFromTheUpdatesValues) {
  Row row;
  std::string upsert = upsertOf(row, row.f);
  EXPECT_NE(upsert.find("on conflict (p,d,f) do update set"), std::string::npos)
      << "a key placeholder that repeats one of the set list is the same "
         "value: "
      << upsert;
  FixedText<8> otherF;
  EXPECT_EQ(upsertOf(row, otherF), "")
      << "a key the insert does not fill from the same host variable";
}

}  // namespace
}  // namespace ravlen
