// The progress line's text: the rate once the stage has run a moment,
// percent and time left where the share done is known.
#include "run/progress_line.h"

#include <gtest/gtest.h>

namespace ravlen {
namespace {

TEST(ProgressLineTest, RatePercentAndTimeLeft) {
  EXPECT_EQ(progressText("Tagessalden", 1, 0.01, -1),
            "Ravlen: Tagessalden: 1 Zeilen gelesen");
  EXPECT_EQ(progressText("Tagessalden", 5000, 2.0, -1),
            "Ravlen: Tagessalden: 5000 Zeilen gelesen, 2500/s");
  EXPECT_EQ(progressText("Tag", 1000, 10.0, 0.25),
            "Ravlen: Tag: 1000 Zeilen gelesen, 100/s, 25 %, noch 0:30");
  EXPECT_EQ(progressText("Tag", 1000, 3600.0, 0.4),
            "Ravlen: Tag: 1000 Zeilen gelesen, 0/s, 40 %, noch 1:30:00");
}

}  // namespace
}  // namespace ravlen
