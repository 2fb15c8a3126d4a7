// The layout of the stats an operator reads.
#include "tools/ravlen_db/stats.h"

#include <gtest/gtest.h>

namespace ravlen {
namespace {

TEST(RavlenDbStats, OneLinePerTableWithCountsPerPeriodCode) {
  DatabaseStats stats;
  stats.schema = "KORV";
  TableStats tgb;
  tgb.table = "Zev899Tgb";
  tgb.byPeriodCode = true;
  tgb.rowsOfCode = {0, 250, 52, 12, 4, 2, 1, 0};
  tgb.rows = 321;
  tgb.firstDay = "20240101";
  tgb.lastDay = "20241231";
  TableStats pnr;
  pnr.table = "Zev899Pnr";
  pnr.rows = 7;
  stats.warehouse = {tgb, pnr};
  stats.evaluations = {{"PROJEKT", "20240201", "20240229", 1, 5, 10, 20, 30}};

  std::string text = formatStats(stats);
  EXPECT_NE(text.find("Warehouse (KORV.db)"), std::string::npos) << text;
  EXPECT_NE(text.find("\nZev899Tgb             250        52        12         4"
                      "         2         1         0        321  20240101  20241231\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\nZev899Pnr               -         -         -         -"
                      "         -         -         -          7\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\nPROJEKT                           20240201  20240229    1    5"
                      "         10         20         30\n"),
            std::string::npos)
      << text;
  // The headings line up with the figures.
  size_t heading = text.find("Tabelle");
  size_t line = text.find("Zev899Tgb");
  ASSERT_NE(heading, std::string::npos);
  std::string head = text.substr(heading, text.find('\n', heading) - heading);
  std::string row = text.substr(line, text.find('\n', line) - line);
  EXPECT_EQ(head.find("gesamt") + 6, row.find("321") + 3);
}

TEST(RavlenDbStats, NoEvaluationsSaysSo) {
  DatabaseStats stats;
  stats.schema = "KORV";
  EXPECT_NE(formatStats(stats).find("Auswertungen (Zev800Dwh):\n  keine\n"),
            std::string::npos);
}

}  // namespace
}  // namespace ravlen
