// Every level of the period walk ends, whatever the calendar or the window:
// runs with a time limit, so a walk that does not end fails the test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "db/sqlhlp.h"
#include "run/roll_up.h"
#include "run/run_parameters.h"
#include "tests/support/warehouse_fixture.h"

namespace ravlen {
namespace {

using testing::jd;
using Rows = std::vector<std::string>;

constexpr int kLimitSeconds = 60;

std::string booking(const std::string& pnr, std::string_view day) {
  std::string at = std::to_string(testing::julianOf(day) + 8.0 / 24);
  return "insert into Zev321Bch (BchPnr,BchVon,BchUhr,BchFkt,BchFcd) values "
         "('" + pnr + "'," + at + "," + at + ",1,'A');";
}

class PeriodWalkEndTest : public testing::WarehouseTest {
 protected:
  testing::ProgramResult ravlenWithLimit(std::vector<std::string> args) {
    args.insert(args.begin(), ini_);
    return testing::runProgram(testing::programPath("ravlen"), args,
                               kLimitSeconds);
  }
  Rows statistics(int ztr) {
    return rows("Zev899Bst", "BstZtr=" + std::to_string(ztr), "BstDtm");
  }
};

// The calendar lacks 28 .. 31 January. The first missing day still gets
// January's bounds (1 .. 27), so the month walk would come back to January:
// January is built once and the month level ends there.
TEST_F(PeriodWalkEndTest, MonthWithoutItsLastDaysIsBuiltOnce) {
  sys("delete from Zev133Bak where BakDtm between " + jd("20240128") +
      " and " + jd("20240131") + ";");
  app(booking("1001", "20240110") + booking("1001", "20240215"));
  testing::ProgramResult r = ravlenWithLimit({"20240101", "20240331"});
  ASSERT_FALSE(r.timedOut) << "the run did not end";
  EXPECT_EQ(r.exitStatus, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "Ravlen: Fertig.\n");
  EXPECT_EQ(statistics(3),
            (Rows{"BstPnr=1001 BstZtr=3 BstDtm=20240101 BstFcd=A BstFkt=1 "
                  "BstAnz=1"}))
      << "January counted once; the level ends at the repeat";
  EXPECT_EQ(statistics(1).size(), 2u) << "the day level walks on";
}

// A window that would rest on today while the calendar has no row for it is
// refused before the walk.
TEST_F(PeriodWalkEndTest, TodayOutsideTheCalendarIsRefused) {
  sys("delete from Zev133Bak where BakDtm=" + jd(testing::localToday()) + ";");
  for (const char* art : {"2", "3", "7"}) {
    testing::ProgramResult r = ravlenWithLimit({art});
    ASSERT_FALSE(r.timedOut) << art;
    EXPECT_EQ(r.exitStatus, 255) << art;
    EXPECT_EQ(r.out, "Ravlen: Error (Heutiges Datum nicht im Basiskalender).\n");
  }
}

// The only date the embedded database cannot step to a NULL result is an
// empty one, which start-up no longer lets through; the walk itself must
// still end on it. Runs in a child process that an alarm ends after the
// time limit, connected there, so the test's own process holds no session.
TEST_F(PeriodWalkEndTest, DateStepGivingNullEndsTheLevel) {
  std::string service = "sqlite:" + dir_.path();
  EXPECT_EXIT(
      {
        alarm(kLimitSeconds);
        if (sqlConnect("u", "p", service, "KORV") != 0) std::_Exit(2);
        RunParameters empty;  // VonDatum and BisDatum both ""
        rollUpPeriods(empty, stdout);
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace ravlen
