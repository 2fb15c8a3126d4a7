// One person of the demo data: the drawn profile and the person's master
// rows (ZEV300PNR, Zev310Bsv, Zev311Zuo and the yearly Zev332 rows).
//
// Contract: the profile depends on the random generator's state, the
// person's index and the range alone. Persons are numbered from 10001. Most
// are employed before the range begins and stay; some join or leave within
// it, some change their working-time model on a month's first day (two
// employment periods that meet without a gap) or their department on a
// Monday. Every row the run reads by a single-row lookup is unique for its
// person and day, so the demo database never makes a lookup find two rows.
#ifndef RAVLEN_TOOLS_RAVLEN_DB_DEMO_PERSON_H_
#define RAVLEN_TOOLS_RAVLEN_DB_DEMO_PERSON_H_

#include <string>

#include "tools/ravlen_db/demo_master.h"
#include "tools/ravlen_db/demo_tables.h"
#include "tools/ravlen_db/random.h"

namespace ravlen {

struct DemoPerson {
  std::string number;  // "10001", ...
  int language = 1;
  int salutation = 1;  // 1 Herr, 2 Frau
  std::string firstName, lastName;
  double birth = 0;
  double entry = 0;   // first day of employment
  double leave = 0;   // last day of employment; 0 while employed
  double first = 0;   // employed days inside the range: first .. last
  double last = 0;
  const DemoModel* model[2] = {nullptr, nullptr};
  double modelChange = 0;  // first day of model[1]; 0 for none
  const DemoDepartment* department[2] = {nullptr, nullptr};
  double departmentChange = 0;  // first day of department[1]; 0 for none
  std::string group;            // ZtgAgr
  std::string terminal;         // BchTrm of the office bookings
  bool homeOffice = false;
  bool specialLeave = false;
  int vacationDays = 30;  // per year

  const DemoModel& modelAt(double day) const;
  const DemoDepartment& departmentAt(double day) const;
  std::string displayName() const;  // "Lastname, Firstname"
};

// Draws person `index` (0-based) for the range from..to. The person is
// employed on at least one day of the range.
DemoPerson drawDemoPerson(DemoRandom& random, int index, double from,
                          double to);

// ZEV300PNR, Zev310Bsv (one or two periods), Zev311Zuo, and per year of
// the employed range Zev332Urv and Zev332Jav, with Zev332Sfv and Zev332Sfz
// for persons with special leave.
void writePersonMasterRows(DemoTables& tables, DemoRandom& random,
                           const DemoPerson& person);

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_DEMO_PERSON_H_
