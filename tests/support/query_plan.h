// Test support: the query plan of one of the program's statements, as the
// embedded database runs it (translated from the Oracle dialect first).
#ifndef RAVLEN_TESTS_SUPPORT_QUERY_PLAN_H_
#define RAVLEN_TESTS_SUPPORT_QUERY_PLAN_H_

#include <sqlite3.h>

#include <string>
#include <vector>

namespace ravlen::testing {

// Translates `statement` for the current schema `schema`, prepares it on
// `db` and returns its query plan, one line per step; a preparation failure
// is returned as the line "error: <message>".
std::vector<std::string> queryPlan(sqlite3* db, const std::string& statement,
                                   const std::string& schema);

// A step that reads a whole table, or a whole index: its cost grows with
// the data.
bool isFullScan(const std::string& line);

}  // namespace ravlen::testing

#endif  // RAVLEN_TESTS_SUPPORT_QUERY_PLAN_H_
