// DemoTables: one insert per table that the demo data fills, made once and
// reused for every row. On the connection the application schema's tables
// are reached unqualified, the system schema's as KalDeron.<table>.
#ifndef RAVLEN_TOOLS_RAVLEN_DB_DEMO_TABLES_H_
#define RAVLEN_TOOLS_RAVLEN_DB_DEMO_TABLES_H_

#include <string>
#include <vector>

#include "tools/ravlen_db/tool_db.h"

namespace ravlen {

struct DemoTables {
  explicit DemoTables(ToolDb& db);

  // System schema: master data and evaluations.
  Insert fcd, whl, dwh;
  // Application schema: master data.
  Insert zkt, azv, kst;
  // Application schema: persons and their rows.
  Insert pnr, bsv, zuo, ztg, tgb, bch, gaz, tag, zkb;
  Insert urv, utg, sfv, sfz, jav;

  // Every insert above, in the order of the list.
  std::vector<const Insert*> all() const;
  std::vector<Insert*> all();
  // The first failure of any insert, empty when there is none.
  std::string error() const;
};

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_DEMO_TABLES_H_
