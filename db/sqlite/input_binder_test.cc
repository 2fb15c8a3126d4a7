// The binder leaves a parameter alone only when a bind would give it the
// same value: each case here would run the statement with a stale value if
// the binder skipped one bind too many.
#include "db/sqlite/input_binder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "db/fixed_text.h"

namespace ravlen {
namespace {

class InputBinderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    ASSERT_EQ(sqlite3_prepare_v2(db_, "select ?1", -1, &stmt_, nullptr),
              SQLITE_OK);
  }
  void TearDown() override {
    sqlite3_finalize(stmt_);
    sqlite3_close(db_);
  }

  void bind(const HostVar& v, InputBinder::Texts texts) {
    ASSERT_EQ(binder_.bind(stmt_, 1, v, texts), SQLITE_OK);
  }

  // The statement's value for ?1, "<null>" for NULL.
  std::string value() {
    EXPECT_EQ(sqlite3_step(stmt_), SQLITE_ROW);
    const unsigned char* text = sqlite3_column_text(stmt_, 0);
    std::string result = text ? reinterpret_cast<const char*>(text) : "<null>";
    sqlite3_reset(stmt_);
    return result;
  }

  sqlite3* db_ = nullptr;
  sqlite3_stmt* stmt_ = nullptr;
  InputBinder binder_;
};

TEST_F(InputBinderTest, RebindsWhateverAFreshBindWouldChange) {
  using Texts = InputBinder::Texts;
  FixedText<8> a("abc"), b("abc");
  bind(hostVar(a), Texts::kInPlace);
  bind(hostVar(b), Texts::kInPlace);  // the same bytes in another variable
  a = "qqq";
  EXPECT_EQ(value(), "abc");

  bind(hostVar(b), Texts::kCopy);  // a cursor: the text as at its open
  b = "zzz";
  EXPECT_EQ(value(), "abc");
  bind(hostVar(b), Texts::kInPlace);  // the copy holds other bytes
  EXPECT_EQ(value(), "zzz");

  b = "";
  bind(hostVar(b), Texts::kInPlace);
  EXPECT_EQ(value(), "<null>");
  int32_t zero = 0;
  bind(hostVar(zero), Texts::kInPlace);
  EXPECT_EQ(value(), "0");
  double zeroDouble = 0.0;
  bind(hostVar(zeroDouble), Texts::kInPlace);
  EXPECT_EQ(value(), "0.0") << "a double is no int of the same bits";
}

}  // namespace
}  // namespace ravlen
