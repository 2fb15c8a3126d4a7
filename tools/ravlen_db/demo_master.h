// The demo data's master data: working-time models, departments with their
// cost centres, function codes, the texts of the booking functions (value
// list 13102, languages 1 and 2), time accounts and the evaluations of the
// range. The persons' rows (demo_person.h) refer to these by key.
#ifndef RAVLEN_TOOLS_RAVLEN_DB_DEMO_MASTER_H_
#define RAVLEN_TOOLS_RAVLEN_DB_DEMO_MASTER_H_

#include <span>
#include <string_view>

#include "tools/ravlen_db/demo_tables.h"

namespace ravlen {

// Booking functions (BchFkt, FcdTyp): values of the list 13102. Bookings of
// function 45 are information only; the booking statistics leave them out.
enum BookingFunction : int {
  kComeIn = 1,
  kGoOut = 2,
  kBreakStart = 3,
  kBreakEnd = 4,
  kErrandStart = 5,
  kErrandEnd = 6,
  kAbsentAllDay = 10,
  kInfoBooking = 45,
};

// A working-time model (Zev140Azv): daily target in minutes, Mon-Fri.
struct DemoModel {
  std::string_view number;    // AzvNum, ZtgAzt
  std::string_view contract;  // ZtgVra
  int dailyMinutes;           // AzvSol, TgbNrm
  int percent;                // BsvPrz
  int weight;                 // how often persons have it
};

struct DemoDepartment {
  std::string_view abbreviation;  // ZtgAbt
  std::string_view costCentre;    // ZtgKst, BchKst, ZkbKst (kstnum)
  std::string_view costCentreText;
  std::string_view costUnit;      // ZtgKtr, ZkbKtr
};

std::span<const DemoModel> demoModels();
std::span<const DemoDepartment> demoDepartments();
// The cost centre of errands (project work outside the department).
inline constexpr std::string_view kProjectCostCentre = "9100";
// Cost type of every demo booking (ZtgKrt, ZkbKrt).
inline constexpr std::string_view kCostType = "6100";

// The time accounts that the demo books (Zev331Zkb.ZkbZkt), in
// DemoAccount order.
enum DemoAccount { kVacationAccount, kSickAccount, kOvertimeAccount, kAccountCount };
std::string_view accountKey(int account);

// Writes the fixed master data and the evaluations of `from`..`to`.
void writeMasterData(DemoTables& tables, double from, double to);

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_DEMO_MASTER_H_
