#include "tests/support/warehouse_fixture.h"

#include <fstream>

#include "settings/settings_writer.h"

namespace ravlen::testing {

std::string jd(std::string_view yyyymmdd) {
  return std::to_string(julianOf(yyyymmdd));
}

std::string standardRunDebugOutput() {
  return "Tabelle Zev899Bch bearbeiten...\n"
         "Tabelle Zev899Pnr bearbeiten...\n"
         "Tabelle Zev899Tgb bearbeiten...\n"
         "Tabelle Zev899Bst(Tag) bearbeiten...\n"
         "Tabelle Zev899Bst(Woche) bearbeiten...\n"
         "Tabelle Zev899Bst(Monat) bearbeiten...\n"
         "Tabelle Zev899Tgb + Zev899Bst (Quartal) bearbeiten...\n"
         "Tabelle Zev899Tgb + Zev899Bst (Halbjahr) bearbeiten...\n"
         "Tabelle Zev899Tgb + Zev899Bst (Jahr) bearbeiten...\n"
         "Tabelle Zev899Tgb + Zev899Bst (indiv. Zeitraum) bearbeiten...\n"
         "Ravlen: Fertig.\n";
}

WarehouseTest::WarehouseTest(std::string calendarFrom, std::string calendarTo)
    : calendarFrom_(std::move(calendarFrom)),
      calendarTo_(std::move(calendarTo)) {}

void WarehouseTest::SetUp() {
  createProjectDatabase(dir_.path());
  fillCalendar(sysFile(), calendarFrom_, calendarTo_);
  std::ofstream(ini_) << settingsFileText(
      {"sqlite:" + dir_.path(), "KORV", "ravlen", ""});
}

void WarehouseTest::app(const std::string& sql) { execSql(appFile(), sql); }
void WarehouseTest::sys(const std::string& sql) { execSql(sysFile(), sql); }

ProgramResult WarehouseTest::ravlen(const std::vector<std::string>& args) {
  std::vector<std::string> all{ini_};
  all.insert(all.end(), args.begin(), args.end());
  return runProgram(programPath("ravlen"), all);
}

void WarehouseTest::runOk(const std::vector<std::string>& args) {
  ProgramResult r = ravlen(args);
  ASSERT_EQ(r.exitStatus, 0) << r.out << r.err;
}

std::vector<std::string> WarehouseTest::rows(const std::string& table,
                                             const std::string& where,
                                             const std::string& order) {
  return queryRows(appFile(),
                   "select * from " + table + " where " + where +
                       " order by " + order,
                   {"TgbDat", "ZkbDat", "BstDat", "BchDat", "PnrDat"});
}

std::string WarehouseTest::value(const std::string& sql) {
  return queryText(appFile(), sql);
}

}  // namespace ravlen::testing
