// What only the embedded database does at connect: directories and schema
// files, nothing created by a failed connect. The contract that every
// backend meets is tested in db/backend_conformance_test.cc.
#include <gtest/gtest.h>

#include <filesystem>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "tests/support/embedded_db.h"

namespace ravlen {
namespace {

using testing::execSql;
using testing::TempDir;

TEST(EmbeddedConnectTest, Failures) {
  TempDir dir;
  execSql(dir.file("KORV.db"), "create table T(x INTEGER);");
  std::string service = "sqlite:" + dir.path();

  EXPECT_LT(sqlConnect("u", "p", "sqlite:" + dir.file("missing"), "KORV"), 0);
  EXPECT_EQ(sqlConnect("u", "p", "ORCL", "KORV"), -12154);
  EXPECT_EQ(sqlConnect("u", "p", service, "NOSUCH"), -1435);
  EXPECT_FALSE(std::filesystem::exists(dir.file("NOSUCH.db")))
      << "a missing schema file is never created";
  EXPECT_LT(sqlConnect("u", "p", service, ""), 0);
  for (const char* bad : {"../KORV", "KORV/../KORV", "K ORV", "1KORV", "KORV;"}) {
    EXPECT_LT(sqlConnect("u", "p", service, bad), 0) << bad;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1)
      << "no file was created by the failed connects";
  std::string longLogin(300, 'L');
  EXPECT_EQ(sqlConnect(longLogin, "p", service, "korv"), 0)
      << "long credentials are taken whole";
  EXPECT_EQ(sqlCommit(), 1);
  session().disconnect();
  EXPECT_EQ(sqlCommit(), 0) << "no session, no commit";
}

TEST(EmbeddedConnectTest, ConnectTextAndSchemaStatement) {
  EXPECT_EQ(makeConnectText("scott", "tiger", "sqlite:/tmp/x"),
            "scott/tiger@sqlite:/tmp/x");
  EXPECT_EQ(std::string(kSetSchemaStatement) + "ABC",
            "ALTER SESSION SET CURRENT_SCHEMA=ABC");
  EXPECT_EQ(kSetSchemaStatement.size(), 33u);
}

}  // namespace
}  // namespace ravlen
