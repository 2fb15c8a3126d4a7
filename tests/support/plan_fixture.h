// Test support for the query-plan tests of both backends: data that makes
// every statement of the program run, the runs that run them with the
// session recording each statement, and the count of the statement
// constants that sql/ defines.
#ifndef RAVLEN_TESTS_SUPPORT_PLAN_FIXTURE_H_
#define RAVLEN_TESTS_SUPPORT_PLAN_FIXTURE_H_

#include <cstddef>
#include <functional>
#include <string>

namespace ravlen::testing {

// An operational date yyyymmdd as the backend's SQL literal.
using DateLiteral = std::function<std::string(const std::string&)>;

// Rows for the system schema and for the application schema (the base
// calendar aside): one person whose bookings, daily balances (day, week,
// month) and time-account bookings make every statement run, among them
// the add-ons of the statistics writers (two bookings that differ only in
// their booking function) and an evaluation.
std::string planSystemRows();
std::string planApplicationRows(const DateLiteral& date);

// Connects to `service` (schema KORV), turns the session's recording on,
// runs the start-up's calendar reads, a standard run over 20240110 ..
// 20240331 (inside a week and a month) and the named run of the evaluation,
// and turns the recording off again; the session stays connected.
void runEveryStatement(const std::string& service);

// The statement constants of the sources of sql/: every definition of a
// SqlText or a TgbStatement (the daily-balance writers' texts).
size_t statementConstants();

}  // namespace ravlen::testing

#endif  // RAVLEN_TESTS_SUPPORT_PLAN_FIXTURE_H_
