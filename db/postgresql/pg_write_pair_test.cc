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

// The many-row form takes each row's values from the arrays and sets the
// stored row from the proposed one.
TEST(PgWritePairTest, ManyRowsSetTheStoredRowFromTheProposedOne) {
  Row row;
  std::string upsert = upsertOf(row, row.f);
  const std::vector<Oid> types(4, 25);
  std::string rows = rowsUpsertSql(upsert, types);
  EXPECT_NE(rows.find("select u.p3, u.p4, u.p1, u.p2 from unnest($1::text[], "
                      "$2::text[], $3::text[], $4::text[]) with ordinality "
                      "as u(p1, p2, p3, p4, n)\non conflict"),
            std::string::npos)
      << rows;
  EXPECT_NE(rows.find("set f=excluded.f ,v=excluded.v"), std::string::npos)
      << rows;
  EXPECT_EQ(rows.find('$', rows.find("on conflict")), std::string::npos)
      << "no parameter after the rows' source: " << rows;
  EXPECT_EQ(rowsUpsertSql("insert into W as t (p) values ($1)\non conflict (p) "
                          "do update set v=$2\nreturning (xmax = 0)",
                          types),
            "")
      << "a set value that fills no column has no many-row form";
}

}  // namespace
}  // namespace ravlen
