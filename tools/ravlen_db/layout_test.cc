// Which file of a database directory is the application schema.
#include "tools/ravlen_db/layout.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/embedded_db.h"

namespace ravlen {
namespace {

void touch(const std::string& path) { std::ofstream(path) << ""; }

TEST(RavlenDbLayout, SchemaNamesAreUnquotedIdentifiers) {
  for (const char* name : {"KORV", "korv", "A", "Demo_1", "X$Y#Z"}) {
    EXPECT_TRUE(isSchemaName(name)) << name;
  }
  for (const char* name : {"", "1KORV", "_KORV", "KO RV", "KO-RV", "K\xc3\x96RV"}) {
    EXPECT_FALSE(isSchemaName(name)) << name;
  }
  EXPECT_TRUE(isSchemaName(std::string(128, 'A')));
  EXPECT_FALSE(isSchemaName(std::string(129, 'A')));
  EXPECT_FALSE(isApplicationSchemaName("KalDeron"));
  EXPECT_EQ(schemaFile("d", "korv"), "d/KORV.db");
}

TEST(RavlenDbLayout, TheOneFileBesidesKalderonIsTheApplication) {
  testing::TempDir dir;
  std::string schema = "unchanged";
  EXPECT_NE(findApplicationSchema(dir.path(), "", &schema), "") << "no KALDERON.db";
  touch(dir.file("KALDERON.db"));
  EXPECT_NE(findApplicationSchema(dir.path(), "", &schema), "") << "no application";
  touch(dir.file("KORV.db"));
  touch(dir.file("notes.txt"));
  touch(dir.file("lower.db"));  // not a schema file: names are upper case
  EXPECT_EQ(findApplicationSchema(dir.path(), "", &schema), "");
  EXPECT_EQ(schema, "KORV");
  touch(dir.file("DEMO.db"));
  EXPECT_NE(findApplicationSchema(dir.path(), "", &schema), "") << "two candidates";
  EXPECT_EQ(findApplicationSchema(dir.path(), "demo", &schema), "");
  EXPECT_EQ(schema, "DEMO");
  EXPECT_NE(findApplicationSchema(dir.path(), "OTHER", &schema), "") << "missing file";
  EXPECT_NE(findApplicationSchema(dir.path(), "kalderon", &schema), "");
  EXPECT_EQ(schema, "DEMO");
}

}  // namespace
}  // namespace ravlen
