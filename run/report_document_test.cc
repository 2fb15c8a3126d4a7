// The run report's document: the backend kind from the NET8 form, and
// valid JSON whatever bytes the texts bring.
#include "run/report_document.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>

namespace ravlen {
namespace {

TEST(ReportDocumentTest, BackendKindFromTheNet8Form) {
  EXPECT_EQ(backendKindOf("sqlite:/var/lib/ravlen"), "embedded");
  EXPECT_EQ(backendKindOf("postgresql://db.example:5433/dwh"), "postgresql");
  EXPECT_EQ(backendKindOf("postgres:///dwh?host=/run/postgresql"),
            "postgresql");
  EXPECT_EQ(backendKindOf("KORVPROD"), "oracle");
  EXPECT_EQ(backendKindOf("dbhost:1521/korv"), "oracle");
}

// Windows-1252 bytes, as in a database message or a name given on the
// command line, are no UTF-8; the document still parses.
TEST(ReportDocumentTest, BytesThatAreNoUtf8StillGiveValidJson) {
  std::FILE* sink = std::fopen("/dev/null", "w");
  RunReport report;
  report.start(sink);
  int id = 0;
  report.failed(StatementOp::kExecute, "insert into Zev899Tgb (TgbPnr)", &id,
                SqlStatus(-1400), "Spalte f\xFCr Person leer");
  RunFacts facts;
  facts.ran = true;
  facts.evaluation = "Pr\xFC" "fung";
  std::string text = reportDocument(facts, report);
  std::fclose(sink);

  nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
  ASSERT_FALSE(document.is_discarded()) << text;
  EXPECT_EQ(document["run"]["name"], "Pr\xEF\xBF\xBD" "fung");
  EXPECT_EQ(document["messages"].size(), 1u);
  EXPECT_EQ(document["errors"], 1);
}

}  // namespace
}  // namespace ravlen
