// Writing demo data into an embedded database made by initDatabase.
//
// Contract:
//  - writeDemoData first empties every table it fills (the operational and
//    master tables of the application schema; Zev131Fcd, Zev102whl and
//    Zev800Dwh of KALDERON.db), then writes the master data and the persons
//    10001 .. 10000+N over from..to (see demo_person.h, demo_days.h). The
//    base calendar and the warehouse tables are left as they are.
//  - The same seed, persons and range give the same rows, byte for byte.
//  - Everything is one transaction over both files with prepared inserts
//    reused for every row, the journal kept in memory and without syncs
//    while it runs; on a failure nothing is committed.
#ifndef RAVLEN_TOOLS_RAVLEN_DB_DEMO_H_
#define RAVLEN_TOOLS_RAVLEN_DB_DEMO_H_

#include <cstdint>
#include <string>
#include <vector>

namespace ravlen {

inline constexpr int kMaxDemoPersons = 99999;

struct DemoOptions {
  int persons = 0;
  double from = 0, to = 0;  // days (Julian day numbers)
  uint64_t seed = 1;
  std::string schema;       // the application schema's name
};

struct DemoTableRows {
  std::string table;
  int64_t rows = 0;
};

struct DemoResult {
  std::vector<DemoTableRows> tables;
  int64_t rows = 0;
  double seconds = 0;
};

class ToolDb;

// Writes the demo data on an open database (the application schema's
// names unqualified, the system schema's as KalDeron.<table>).
std::string fillDemo(ToolDb& db, const DemoOptions& options,
                     DemoResult* result);

// Returns the error text, empty on success.
std::string writeDemoData(const std::string& dir, const DemoOptions& options,
                          DemoResult* result);

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_DEMO_H_
