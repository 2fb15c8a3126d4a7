#include "tools/ravlen_db/stats.h"

#include <cstdio>
#include <map>
#include <string_view>

#include "tools/ravlen_db/layout.h"
#include "tools/ravlen_db/sqlite_file.h"

namespace ravlen {

namespace {

// A table, its period-code column (empty: none) and its date expression
// giving yyyymmdd (empty: none).
struct CountedTable {
  std::string_view table, code, day;
};

constexpr CountedTable kWarehouse[] = {
    {"Zev899Bch", "", "BchVon"},           {"Zev899Pnr", "", ""},
    {"Zev899Tgb", "TgbZtr", "TgbDtm"},     {"Zev899Zkb", "ZkbZtr", "ZkbDtm"},
    {"Zev899Bst", "BstZtr", "BstDtm"},     {"Zev898Tgb", "TgbZtr", "TgbDtm"},
    {"Zev898Zkb", "ZkbZtr", "ZkbDtm"},     {"Zev898Bst", "BstZtr", "BstDtm"},
};

constexpr CountedTable kSources[] = {
    {"Zev321Bch", "", "to_char(BchVon,'yyyymmdd')"},
    {"ZEV300PNR", "", ""},
    {"Zev320Tgb", "TgbZtr", "to_char(TgbDtm,'yyyymmdd')"},
    {"Zev331Zkb", "ZkbZtr", "to_char(ZkbDtm,'yyyymmdd')"},
};

std::string countTable(ToolDb& db, const CountedTable& t,
                       TableStats* stats) {
  stats->table = t.table;
  stats->byPeriodCode = !t.code.empty();
  std::string code = t.code.empty() ? "cast(null as integer)" : std::string(t.code);
  std::string day = t.day.empty() ? "cast(null as varchar(8))" : std::string(t.day);
  Query query(db, "select " + code + ", count(*), min(" + day + "), max(" + day +
                      ") from " + std::string(t.table) +
                      (t.code.empty() ? "" : " group by " + code));
  while (query.next()) {
    int64_t periodCode = query.integer(0), rows = query.integer(1);
    if (periodCode >= 1 && periodCode <= 7) stats->rowsOfCode[periodCode] += rows;
    stats->rows += rows;
    std::string first = query.text(2), last = query.text(3);
    if (!first.empty() && (stats->firstDay.empty() || first < stats->firstDay)) {
      stats->firstDay = first;
    }
    if (last > stats->lastDay) stats->lastDay = last;
  }
  return query.error().empty() ? "" : std::string(t.table) + ": " + query.error();
}

std::string countTables(ToolDb& db, const auto& tables,
                        std::vector<TableStats>* out) {
  for (const CountedTable& t : tables) {
    out->emplace_back();
    std::string error = countTable(db, t, &out->back());
    if (!error.empty()) return error;
  }
  return "";
}

// Rows per evaluation name of one Zev898 table.
std::string rowsPerName(ToolDb& db, std::string_view table,
                        std::string_view nameColumn,
                        std::map<std::string, int64_t>* rows) {
  Query query(db, "select " + std::string(nameColumn) + ", count(*) from " +
                      std::string(table) + " group by " + std::string(nameColumn));
  while (query.next()) (*rows)[query.text(0)] = query.integer(1);
  return query.error();
}

std::string collectEvaluations(ToolDb& db,
                               std::vector<EvaluationStats>* out) {
  std::map<std::string, int64_t> tgb, zkb, bst;
  std::string error = rowsPerName(db, "Zev898Tgb", "TgbDwh", &tgb);
  if (error.empty()) error = rowsPerName(db, "Zev898Zkb", "TgbDwh", &zkb);
  if (error.empty()) error = rowsPerName(db, "Zev898Bst", "BstDwh", &bst);
  if (!error.empty()) return error;
  Query query(db, "select DwhNam, DwhVon, DwhBis, DwhDar, DwhSta from "
                  "KalDeron.Zev800Dwh order by DwhVon, DwhNam");
  while (query.next()) {
    EvaluationStats e{query.text(0), query.text(1), query.text(2),
                      query.integer(3), query.integer(4)};
    e.tgbRows = tgb[e.name], e.zkbRows = zkb[e.name], e.bstRows = bst[e.name];
    out->push_back(e);
  }
  return query.error();
}

std::string tableLine(const TableStats& t) {
  char line[200];
  int n = std::snprintf(line, sizeof line, "%-15s", t.table.c_str());
  for (int code = 1; code <= 7; ++code) {
    if (t.byPeriodCode) {
      n += std::snprintf(line + n, sizeof line - n, " %9lld",
                         static_cast<long long>(t.rowsOfCode[code]));
    } else {
      n += std::snprintf(line + n, sizeof line - n, " %9s", "-");
    }
  }
  std::snprintf(line + n, sizeof line - n, " %10lld  %-8s  %-8s",
                static_cast<long long>(t.rows), t.firstDay.c_str(),
                t.lastDay.c_str());
  std::string text = line;
  return text.erase(text.find_last_not_of(' ') + 1) + "\n";
}

std::string tableBlock(const std::string& title,
                       const std::vector<TableStats>& tables) {
  std::string text = title + "\n";
  text += "Tabelle               Tag     Woche     Monat   Quartal  Halbjahr"
          "      Jahr    indiv.     gesamt  von       bis\n";
  for (const TableStats& t : tables) text += tableLine(t);
  return text;
}

std::string evaluationBlock(const std::vector<EvaluationStats>& evaluations) {
  std::string text = "Auswertungen (Zev800Dwh):\n";
  if (evaluations.empty()) return text + "  keine\n";
  text += "Name                              von       bis       Dar  Sta"
          "  Zev898Tgb  Zev898Zkb  Zev898Bst\n";
  for (const EvaluationStats& e : evaluations) {
    char line[200];
    std::snprintf(line, sizeof line, "%-32s  %-8s  %-8s  %3lld  %3lld  %9lld  %9lld  %9lld\n",
                  e.name.c_str(), e.from.c_str(), e.to.c_str(),
                  static_cast<long long>(e.flag), static_cast<long long>(e.state),
                  static_cast<long long>(e.tgbRows), static_cast<long long>(e.zkbRows),
                  static_cast<long long>(e.bstRows));
    text += line;
  }
  return text;
}

}  // namespace

std::string collectStatsOf(ToolDb& db, const std::string& schema,
                           DatabaseStats* stats) {
  *stats = DatabaseStats();
  stats->schema = schema;
  std::string error = countTables(db, kWarehouse, &stats->warehouse);
  if (error.empty()) error = countTables(db, kSources, &stats->sources);
  if (error.empty()) error = collectEvaluations(db, &stats->evaluations);
  return error;
}

std::string collectStats(const std::string& dir, const std::string& schema,
                         DatabaseStats* stats) {
  *stats = DatabaseStats();
  SqliteFile db;
  std::string error = db.open(schemaFile(dir, schema), SqliteFile::Mode::kReadOnly);
  if (error.empty()) error = db.attach(schemaFile(dir, kSystemSchema), "KalDeron");
  return error.empty() ? collectStatsOf(db, schema, stats) : error;
}

std::string formatStats(const DatabaseStats& stats) {
  std::string where = stats.where.empty() ? stats.schema + ".db" : stats.where;
  return tableBlock("Warehouse (" + where + "), Zeilen je Zeitraumart:",
                    stats.warehouse) +
         "\n" +
         tableBlock("Quelltabellen (" + where + "):", stats.sources) +
         "\n" + evaluationBlock(stats.evaluations);
}

}  // namespace ravlen
