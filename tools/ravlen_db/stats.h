// Row counts of an embedded database, for the operator: what a run read and
// what it produced.
//
// Contract:
//  - collectStats reads (never writes) DIR/<SCHEMA>.db with KALDERON.db
//    attached: for every warehouse table (Zev899*, Zev898*) its rows per
//    period code 1 to 7, its total and the first and last date; the same
//    for the source tables the run reads most (Zev321Bch, ZEV300PNR,
//    Zev320Tgb, Zev331Zkb); and every evaluation of Zev800Dwh with its rows
//    in Zev898Tgb, Zev898Zkb and Zev898Bst.
//  - formatStats lays them out as a table with German headings; a table
//    without period codes shows "-" in those columns.
#ifndef RAVLEN_TOOLS_RAVLEN_DB_STATS_H_
#define RAVLEN_TOOLS_RAVLEN_DB_STATS_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ravlen {

struct TableStats {
  std::string table;
  bool byPeriodCode = false;
  std::array<int64_t, 8> rowsOfCode{};  // index 1..7; other codes only in rows
  int64_t rows = 0;
  std::string firstDay, lastDay;  // yyyymmdd, empty without rows or dates
};

struct EvaluationStats {
  std::string name, from, to;
  int64_t flag = 0, state = 0;  // DwhDar, DwhSta
  int64_t tgbRows = 0, zkbRows = 0, bstRows = 0;
};

struct DatabaseStats {
  std::string schema;
  std::string where;  // for the headings; empty: "<schema>.db"
  std::vector<TableStats> warehouse, sources;
  std::vector<EvaluationStats> evaluations;
};

class ToolDb;

// The statistics of an open database (the application schema's tables
// unqualified, the system schema's as KalDeron.<table>).
std::string collectStatsOf(ToolDb& db, const std::string& schema,
                           DatabaseStats* stats);

// Returns the error text, empty on success.
std::string collectStats(const std::string& dir, const std::string& schema,
                         DatabaseStats* stats);

std::string formatStats(const DatabaseStats& stats);

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_STATS_H_
