// Test support: a fixture for runs of the built program over a prepared
// embedded database (KALDERON.db with a calendar, KORV.db with every
// application table) and a settings file that points at it.
#ifndef RAVLEN_TESTS_SUPPORT_WAREHOUSE_FIXTURE_H_
#define RAVLEN_TESTS_SUPPORT_WAREHOUSE_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "tests/support/embedded_db.h"
#include "tests/support/run_program.h"

namespace ravlen::testing {

// A Julian day number as SQL text, the storage form of operational dates.
std::string jd(std::string_view yyyymmdd);

// Everything a standard run prints with "/D" after the banner: the stages'
// and the roll-up levels' progress lines and the closing message.
std::string standardRunDebugOutput();

class WarehouseTest : public ::testing::Test {
 protected:
  // The calendar spans `calendarFrom` .. `calendarTo`.
  explicit WarehouseTest(std::string calendarFrom = "20230101",
                         std::string calendarTo = "20251231");
  void SetUp() override;

  // SQL on the application schema's file and on the system schema's file.
  void app(const std::string& sql);
  void sys(const std::string& sql);
  std::string appFile() const { return dir_.file("KORV.db"); }
  std::string sysFile() const { return dir_.file("KALDERON.db"); }

  // Runs ravlen with the settings file and `args`.
  ProgramResult ravlen(const std::vector<std::string>& args);
  // A standard or named run that must end with exit code 0.
  void runOk(const std::vector<std::string>& args);

  // Rows of `table` matching `where`, in `order`, as queryRows prints them;
  // the write timestamps are left out.
  std::vector<std::string> rows(const std::string& table,
                                const std::string& where,
                                const std::string& order);
  // The first column of the first row of `sql` on the application file.
  std::string value(const std::string& sql);

  TempDir dir_;
  std::string ini_ = dir_.file("x.ini");

 private:
  std::string calendarFrom_, calendarTo_;
};

}  // namespace ravlen::testing

#endif  // RAVLEN_TESTS_SUPPORT_WAREHOUSE_FIXTURE_H_
