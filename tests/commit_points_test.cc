// Where the standard run commits: after each stage, after each clear-down,
// once per level for days, weeks and months, once per period from the
// quarters on, once after the evaluations. A commit that goes missing or
// moves would leave an interrupted run with more or less than one whole
// stage, so the order of the calls that the session passes to its backend
// is checked here.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "db/session.h"
#include "run/run_sequence.h"
#include "tests/support/session_fixture.h"
#include "tests/support/tracing_backend.h"

namespace ravlen {
namespace {

using Trace = testing::TracingBackend::Trace;

class CommitPointsTest : public testing::ConnectedTest {
 protected:
  // What the standard run over `von` .. `bis` wrote or closed last before
  // each commit (single-row reads, such as the date step that ends a
  // level's walk, are passed over).
  Trace beforeEachCommit(const char* von, const char* bis) {
    testing::fillCalendar(sysFile(), "20240101", "20241231");
    Trace trace;
    session().useBackend(std::make_unique<testing::TracingBackend>(
        session().releaseBackend(), &trace));
    RunParameters params;
    params.vonDatum = von;
    params.bisDatum = bis;
    std::FILE* sink = std::fopen("/dev/null", "w");
    runTransfer(params, sink, sink);
    std::fclose(sink);
    Trace before;
    for (size_t i = 0; i < trace.size(); ++i) {
      if (trace[i] != "commit") continue;
      size_t last = i;
      while (last > 0 && trace[last - 1].starts_with("beim Lesen aus")) --last;
      before.push_back(last > 0 ? trace[last - 1] : "");
    }
    return before;
  }
};

TEST_F(CommitPointsTest, EachStageAndPeriodCommitsOnceAtItsEnd) {
  const std::string bookings = "beim Schliessen des Cursors auf Zev321Bch";
  const std::string statistics = "beim Schliessen des Cursors auf Zev899Bst";
  EXPECT_EQ(beforeEachCommit("20240301", "20240331"),
            (Trace{bookings,                                     // bookings
                   "beim Schliessen des Cursors auf ZEV300PNR",  // personnel
                   "beim Loeschen in Zev898Zkb",  // first clear-down
                   "beim Schliessen des Cursors auf Zev320Tgb",  // balances
                   "beim Loeschen in Zev899Bst",  // second clear-down
                   bookings,                      // the day level
                   bookings,                      // the week level
                   statistics,                    // the month level
                   statistics,                    // one quarter
                   statistics,                    // one half-year
                   statistics,                    // one year
                   "beim Schliessen des Cursors auf Zev800Dwh"}));
}

}  // namespace
}  // namespace ravlen
