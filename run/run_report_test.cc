// The run's report: lines for failing statements, their limit, the summary.
#include "run/run_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace ravlen {
namespace {

// A report that writes into memory.
class RunReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = open_memstream(&buffer_, &size_);
    report_.start(file_);
  }
  void TearDown() override {
    std::fclose(file_);
    std::free(buffer_);
  }
  std::string text() {
    std::fflush(file_);
    return std::string(buffer_, size_);
  }

  char* buffer_ = nullptr;
  size_t size_ = 0;
  std::FILE* file_ = nullptr;
  RunReport report_;
};

TEST(DescribeStatementTest, NamesOperationAndTable) {
  EXPECT_EQ(describeStatement(StatementOp::kExecute,
                              "insert into Zev899Tgb (TgbPnr) values (:b0)"),
            "beim Einfuegen in Zev899Tgb");
  EXPECT_EQ(describeStatement(StatementOp::kExecute,
                              "update KalDeron.Zev800Dwh  set DwhSta=5"),
            "beim Aendern in KalDeron.Zev800Dwh");
  EXPECT_EQ(describeStatement(StatementOp::kExecute,
                              "delete  from Zev899Bst  where (BstDtm>=:b0)"),
            "beim Loeschen in Zev899Bst");
  EXPECT_EQ(describeStatement(StatementOp::kSelectInto,
                              "select to_char(max(BakDtm),'yyyymmdd') into "
                              ":b0:b1  from Kalderon.Zev133Bak"),
            "beim Lesen aus Kalderon.Zev133Bak");
  EXPECT_EQ(describeStatement(StatementOp::kOpen,
                              "select TgbPnr ,sum(TgbSa1)  from Zev899Tgb "
                              "where TgbZtr=:b0"),
            "beim Oeffnen des Cursors auf Zev899Tgb");
  EXPECT_EQ(describeStatement(StatementOp::kCommit, "commit"),
            "beim Festschreiben");
}

TEST_F(RunReportTest, FailuresAreLimitedPerStatementAndCounted) {
  static const char kInsert[] = "insert into Zev899Zkb (ZkbPnr) values (:b0)";
  static const char kLookup[] = "select BsvPnm into :b0:b1  from Zev310Bsv";
  for (int i = 0; i < 5; ++i)
    report_.failed(StatementOp::kExecute, kInsert, kInsert, SqlStatus(-942),
                   "no such table: Zev899Zkb");
  report_.failed(StatementOp::kSelectInto, kLookup, kLookup, SqlStatus(-1422),
                 "ORA-01422: exact fetch returns more than requested");
  EXPECT_EQ(report_.errors(), 5);
  EXPECT_EQ(report_.warnings(), 1);
  const std::string line =
      "Ravlen: Fehler beim Einfuegen in Zev899Zkb (Status -942): no such "
      "table: Zev899Zkb\n";
  EXPECT_EQ(text(), line + line + line +
                        "Ravlen: Warnung beim Lesen aus Zev310Bsv (Status "
                        "-1422): ORA-01422: exact fetch returns more than "
                        "requested\n");

  report_.printSummary();
  EXPECT_NE(text().find("Ravlen: ... und 2 weitere Fehler beim Einfuegen in "
                        "Zev899Zkb\n"),
            std::string::npos)
      << text();
  EXPECT_NE(text().find("Ravlen: 5 Fehler, 1 Warnungen, Dauer "),
            std::string::npos);
}

TEST_F(RunReportTest, StagesCountRowsAndTime) {
  report_.beginStage("Buchungen");
  report_.rowRead();
  report_.rowRead();
  report_.rowWritten(SqlStatus(0));
  report_.rowWritten(SqlStatus(-1400));
  report_.committed();
  report_.beginStage("Tagessalden");
  report_.rowRead();
  report_.rowWritten(SqlStatus(0));
  report_.addRows("Zeitkontobuchungen", 7, 6);
  report_.committed();
  // Rolled back by a failed commit, and not committed at all: not written.
  report_.rowWritten(SqlStatus(0));
  report_.failed(StatementOp::kCommit, "commit", "commit", SqlStatus(-20013),
                 "database or disk is full");
  report_.beginStage("Monat");
  report_.rowWritten(SqlStatus(0));
  report_.printSummary();
  std::string summary = text();
  EXPECT_NE(summary.find("Ravlen: Stufe Buchungen: 2 gelesen, 1 geschrieben, "),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("Ravlen: Stufe Tagessalden: 1 gelesen, 1 geschrieben, "),
            std::string::npos);
  EXPECT_NE(summary.find("Ravlen: Stufe Monat: 0 gelesen, 0 geschrieben, "),
            std::string::npos);
  EXPECT_NE(summary.find("Ravlen: Stufe Zeitkontobuchungen: 7 gelesen, 6 "
                         "geschrieben\n"),
            std::string::npos)
      << "counted inside another stage, not timed apart";
  EXPECT_NE(summary.find("Ravlen: 1 Fehler, 0 Warnungen"), std::string::npos);
}

}  // namespace
}  // namespace ravlen
