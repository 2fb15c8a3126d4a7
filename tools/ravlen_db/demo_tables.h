// DemoTables: one prepared insert per table that the demo data fills, made
// once and reused for every row. The connection has the application schema
// as main and KALDERON.db attached as KalDeron.
#ifndef RAVLEN_TOOLS_RAVLEN_DB_DEMO_TABLES_H_
#define RAVLEN_TOOLS_RAVLEN_DB_DEMO_TABLES_H_

#include <string>
#include <vector>

#include "tools/ravlen_db/sqlite_file.h"

namespace ravlen {

struct DemoTables {
  explicit DemoTables(const SqliteFile& db);

  // System schema: master data and evaluations.
  Insert fcd, whl, dwh;
  // Application schema: master data.
  Insert zkt, azv, kst;
  // Application schema: persons and their rows.
  Insert pnr, bsv, zuo, ztg, tgb, bch, gaz, tag, zkb;
  Insert urv, utg, sfv, sfz, jav;

  // Every insert above, in the order of the list.
  std::vector<const Insert*> all() const;
  // The first failure of any insert, empty when there is none.
  std::string error() const;
};

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_DEMO_TABLES_H_
