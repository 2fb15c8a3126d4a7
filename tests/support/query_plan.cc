#include "tests/support/query_plan.h"

#include "db/sqlite/translate.h"

namespace ravlen::testing {

std::vector<std::string> queryPlan(sqlite3* db, const std::string& statement,
                                   const std::string& schema) {
  const std::string explain =
      "explain query plan " + translateStatement(statement, schema).sql;
  std::vector<std::string> lines;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, explain.c_str(), -1, &stmt, nullptr) !=
      SQLITE_OK) {
    lines.push_back(std::string("error: ") + sqlite3_errmsg(db));
    return lines;
  }
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    lines.push_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3)));
  }
  sqlite3_finalize(stmt);
  return lines;
}

bool isFullScan(const std::string& line) {
  // The one-row view dual and a constant row do not grow.
  return line.rfind("SCAN ", 0) == 0 && line != "SCAN CONSTANT ROW" &&
         line.rfind("SCAN dual", 0) != 0;
}

}  // namespace ravlen::testing
