#include "tests/support/plan_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "run/run_sequence.h"
#include "sql/calendar.h"

namespace ravlen::testing {

namespace fs = std::filesystem;

std::string planSystemRows() {
  return "insert into Zev800Dwh values ('GEW','20240101','20240331',1,0);"
         "insert into Zev131Fcd values ('A',1,'Arbeit','AR');"
         "insert into Zev102whl values (13102,1,1,'Kommen');";
}

// Two bookings of one person and function code in one week that differ in
// their booking function: their counts share the key of a week row and of
// an evaluation row, so the second is added to the first.
std::string planApplicationRows(const DateLiteral& date) {
  const std::string day = date("20240115"), next = date("20240116"),
                    week = date("20240115"), month = date("20240201");
  return "insert into ZEV300PNR (PnrNum,PnrSpr) values ('1001',1);"
         "insert into Zev310Bsv (BsvPnr,BsvGvo) values ('1001'," +
         date("20200101") +
         ");"
         "insert into Zev321Bch (BchPnr,BchVon,BchUhr,BchFkt,BchFcd) "
         "values ('1001'," + day + "," + day + ",1,'A'),('1001'," + next +
         "," + next +
         ",2,'A');"
         "insert into Zev320Tgb (TgbPnr,TgbZtr,TgbDtm) values "
         "('1001',1," + day + "),('1001',2," + week + "),('1001',3," + month +
         ");"
         "insert into Zev331Zkb values ('1001',1," + day +
         ",'K','T','R','GLZ',1,0,0,0,0),('1001',2," + week +
         ",'K','T','R','GLZ',1,0,0,0,0),('1001',3," + month +
         ",'K','T','R','GLZ',1,0,0,0,0);"
         "insert into Zev327Tag (TagPnr,TagTag,TagTgb,TagHtv,TagHtn) "
         "values ('1001'," + day + ",'A','A','A');";
}

void runEveryStatement(const std::string& service) {
  ASSERT_EQ(sqlConnect("ravlen", "", service, "KORV"), 0)
      << session().lastError();
  session().recordStatements(true);
  DateText today, firstDay, lastDay, next;
  readToday(today);
  readFirstCalendarDay(firstDay);
  readLastCalendarDay(lastDay);
  shiftDate(DateText("20240101"), 0, 1, next);
  std::FILE* sink = std::fopen("/dev/null", "w");
  RunParameters params{DateText("20240110"), DateText("20240331"), {}, 0};
  EXPECT_EQ(runTransfer(params, sink, sink), 0);
  params.auswertungsname = "GEW";
  EXPECT_EQ(runTransfer(params, sink, sink), 0);
  std::fclose(sink);
  session().recordStatements(false);
}

size_t statementConstants() {
  size_t count = 0;
  for (const auto& entry :
       fs::directory_iterator(fs::path(RAVLEN_SOURCE_DIR) / "sql")) {
    std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".cc" || name.ends_with("_test.cc"))
      continue;
    std::ifstream in(entry.path());
    for (std::string line; std::getline(in, line);) {
      if (line.find("constexpr SqlText k") != std::string::npos ||
          line.find("constexpr TgbStatement k") != std::string::npos)
        ++count;
    }
  }
  return count;
}

}  // namespace ravlen::testing
