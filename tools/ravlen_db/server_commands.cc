#include "tools/ravlen_db/server_commands.h"

#include <vector>

#include "db/statement_scan.h"
#include "tools/ravlen_db/calendar.h"
#include "tools/ravlen_db/day.h"
#include "tools/ravlen_db/init.h"
#include "tools/ravlen_db/layout.h"
#include "tools/ravlen_db/server_schema.h"

namespace ravlen {

namespace {

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// In one transaction; rolled back on a failure.
std::string inTransaction(ServerDb& db, const std::string& sql) {
  std::string error = db.exec("begin; " + sql);
  if (error.empty()) return db.exec("commit");
  db.exec("rollback");
  return error;
}

std::string checkCollation(ServerDb& db) {
  std::vector<TextRow> rows;
  std::string error = db.query(
      "select datcollate from pg_database where datname = current_database()", &rows);
  if (!error.empty()) return error;
  std::string collation = rows.empty() ? "" : rows[0][0];
  if (collation == "C" || collation == "POSIX" || collation == "C.UTF-8" ||
      collation == "C.utf8")
    return "";
  return "die Datenbank sortiert nicht bytegenau (Sortierfolge " + collation +
         "); anlegen mit: createdb --locale=C.UTF-8 --template=template0";
}

std::string schemaDdl(std::string_view schema, bool system) {
  std::string sql = "create schema " + std::string(schema) + "; set local search_path = " +
                    std::string(schema) + "; ";
  for (const SchemaLoad& load : schemaLoadPlan()) {
    if (load.systemSchema == system)
      sql += postgresqlDdl(embeddedText(load.fileName)) + "\n";
  }
  return sql;
}

}  // namespace

std::string openServerSchema(ServerDb& db, const std::string& uri,
                             std::string_view schema) {
  std::string path = "kalderon, pg_catalog, oracle, public";
  if (!schema.empty()) path = lowerAscii(schema) + ", " + path;
  return db.open(uri, "", path);
}

std::string initServer(const std::string& uri, std::string_view schema) {
  if (!isApplicationSchemaName(schema))
    return "ungueltiger Schemaname: " + std::string(schema);
  ServerDb db;
  std::string error = db.open(uri);
  if (error.empty()) error = checkCollation(db);
  if (!error.empty()) return error;
  std::vector<TextRow> rows;
  error = db.query("select nspname from pg_namespace where nspname in ('kalderon', '" +
                       lowerAscii(schema) + "')", &rows);
  if (error.empty() && !rows.empty()) return "Schema " + rows[0][0] + " gibt es schon";
  if (!error.empty()) return error;
  return inTransaction(db, "create extension if not exists orafce; " +
                               schemaDdl("kalderon", true) +
                               schemaDdl(lowerAscii(schema), false));
}

std::string calendarServer(const std::string& uri, double from, double to,
                           int64_t* rows) {
  *rows = 0;
  ServerDb db;
  std::string error = openServerSchema(db, uri, "");
  return error.empty() ? replaceCalendarRows(db, from, to, rows) : error;
}

std::string replaceCalendarRows(ToolDb& db, double from, double to,
                                int64_t* rows) {
  std::string error = db.exec("begin");
  if (error.empty())
    error = db.exec("delete from Zev133Bak where BakDtm between to_date('" +
                    dayText(from) + "','YYYYMMDD') and to_date('" + dayText(to) +
                    "','YYYYMMDD')");
  if (error.empty()) error = writeCalendarRows(db, from, to, rows);
  if (error.empty()) return db.exec("commit");
  db.exec("rollback");
  *rows = 0;
  return error;
}

std::string demoServer(const std::string& uri, const DemoOptions& options,
                       DemoResult* result) {
  ServerDb db;
  std::string error = openServerSchema(db, uri, options.schema);
  return error.empty() ? fillDemo(db, options, result) : error;
}

std::string statsServer(const std::string& uri, const std::string& schema,
                        DatabaseStats* stats) {
  ServerDb db;
  std::string error = openServerSchema(db, uri, schema);
  if (!error.empty()) return error;
  error = collectStatsOf(db, schema, stats);
  stats->where = "Schema " + lowerAscii(schema);
  return error;
}

std::string findServerSchema(const std::string& uri, std::string_view given,
                             std::string* schema) {
  if (!given.empty() && !isApplicationSchemaName(given))
    return "ungueltiger Schemaname: " + std::string(given);
  ServerDb db;
  std::string error = db.open(uri);
  std::vector<TextRow> rows;
  if (error.empty())
    error = db.query("select table_schema from information_schema.tables "
                     "where table_name = 'zev899tgb' and table_schema <> "
                     "'kalderon' order by 1", &rows);
  if (!error.empty()) return error;
  std::vector<std::string> owners;
  for (const TextRow& row : rows) owners.push_back(row[0]);
  return chooseServerSchema(owners, given, schema);
}

std::string chooseServerSchema(const std::vector<std::string>& owners,
                               std::string_view given, std::string* schema) {
  std::vector<std::string> found;
  for (const std::string& owner : owners) {
    if (given.empty() || upper(owner) == upper(given)) found.push_back(upper(owner));
  }
  if (found.size() == 1) {
    *schema = found[0];
    return "";
  }
  if (!given.empty()) return "Schema " + std::string(given) + " fehlt";
  return found.empty() ? "kein Anwendungsschema mit Zev899Tgb"
                       : "mehrere Anwendungsschemas, bitte --schema angeben";
}

}  // namespace ravlen
