#include "tools/ravlen_db/oracle_commands.h"

#include <cstdlib>
#include <regex>
#include <vector>

#include "db/statement_scan.h"
#include "tools/ravlen_db/init.h"
#include "tools/ravlen_db/layout.h"
#include "tools/ravlen_db/server_commands.h"
#include "tools/ravlen_db/server_schema.h"

namespace ravlen {

namespace {

}  // namespace

// Every system table gets a public synonym: unqualified names of the
// application's statements find it, as public synonyms do in production.
std::string createPublicSynonyms(OracleDb& db, const std::string& ddl) {
  static const std::regex kTable("CREATE\\s+TABLE\\s+(\\w+)", std::regex::icase);
  for (std::sregex_iterator it(ddl.begin(), ddl.end(), kTable), end; it != end; ++it) {
    std::string table = (*it)[1];
    std::string error = db.exec("create or replace public synonym " + table +
                                " for " + std::string(kSystemSchema) + "." + table);
    if (!error.empty()) return error;
  }
  return "";
}

namespace {

std::string createUser(OracleDb& db, const std::string& name,
                       std::vector<std::string>* made) {
  std::string error = db.exec("create user " + name + " no authentication");
  if (!error.empty()) return error;
  made->push_back(name);
  return db.exec("grant unlimited tablespace to " + name);
}

std::string createTables(OracleDb& db, const std::string& application) {
  for (const SchemaLoad& load : schemaLoadPlan()) {
    std::string owner = load.systemSchema ? std::string(kSystemSchema) : application;
    std::string ddl = oracleDdl(embeddedText(load.fileName));
    std::string error = db.exec("alter session set current_schema=" + owner + ";" + ddl);
    if (error.empty() && load.systemSchema) error = createPublicSynonyms(db, ddl);
    if (!error.empty()) return std::string(load.fileName) + ": " + error;
  }
  return "";
}

}  // namespace

bool isOracleTarget(std::string_view dir) { return dir.starts_with(kOraclePrefix); }

std::string openOracleSchema(OracleDb& db, std::string_view target,
                             std::string_view schema) {
  const char* login = std::getenv(kOracleLoginVariable);
  if (login == nullptr || *login == '\0')
    return std::string(kOracleLoginVariable) +
           " fehlt: Anmeldung LOGIN/PASSWORT fuer die Oracle-Datenbank";
  return db.open(std::string(target.substr(kOraclePrefix.size())), login,
                 std::string(schema));
}

std::string initOracle(const std::string& target, std::string_view schema) {
  if (!isApplicationSchemaName(schema))
    return "ungueltiger Schemaname: " + std::string(schema);
  std::string application = upperAscii(schema);
  OracleDb db;
  std::string error = openOracleSchema(db, target, "");
  if (!error.empty()) return error;
  Query users(db, "select username from all_users where username in ('" +
                      std::string(kSystemSchema) + "','" + application + "')");
  if (users.next()) return "Schema " + users.text(0) + " gibt es schon";
  if (!users.error().empty()) return users.error();
  std::vector<std::string> made;
  error = createUser(db, std::string(kSystemSchema), &made);
  if (error.empty()) error = createUser(db, application, &made);
  if (error.empty()) error = createTables(db, application);
  if (error.empty()) return "";
  for (const std::string& user : made) db.exec("drop user " + user + " cascade");
  return error;
}

std::string calendarOracle(const std::string& target, double from, double to,
                           int64_t* rows) {
  *rows = 0;
  OracleDb db;
  std::string error = openOracleSchema(db, target, kSystemSchema);
  return error.empty() ? replaceCalendarRows(db, from, to, rows) : error;
}

std::string demoOracle(const std::string& target, const DemoOptions& options,
                       DemoResult* result) {
  OracleDb db;
  std::string error = openOracleSchema(db, target, options.schema);
  return error.empty() ? fillDemo(db, options, result) : error;
}

std::string statsOracle(const std::string& target, const std::string& schema,
                        DatabaseStats* stats) {
  OracleDb db;
  std::string error = openOracleSchema(db, target, schema);
  if (!error.empty()) return error;
  error = collectStatsOf(db, schema, stats);
  stats->where = "Schema " + upperAscii(schema);
  return error;
}

std::string findOracleSchema(const std::string& target, std::string_view given,
                             std::string* schema) {
  if (!given.empty() && !isApplicationSchemaName(given))
    return "ungueltiger Schemaname: " + std::string(given);
  OracleDb db;
  std::string error = openOracleSchema(db, target, "");
  if (!error.empty()) return error;
  Query owners(db, "select owner from all_tables where table_name = 'ZEV899TGB' "
                   "and owner <> '" + std::string(kSystemSchema) + "' order by 1");
  std::vector<std::string> found;
  while (owners.next()) found.push_back(owners.text(0));
  if (!owners.error().empty()) return owners.error();
  return chooseServerSchema(found, given, schema);
}

}  // namespace ravlen
