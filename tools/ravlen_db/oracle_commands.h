// The ravlen-db commands on an Oracle database: "DIR" is then
// "oracle:NET8", NET8 a net service name or an easy-connect text
// (host:1521/service). Login and password come from the environment
// variable RAVLEN_ORACLE_LOGIN ("LOGIN/PASSWORD"), never from the command
// line. Schemas are Oracle users; the system schema is KALDERON.
//
// Contract:
//  - initOracle: refused when the user KALDERON or SCHEMA exists. Creates
//    both as schema-only users (no password, unlimited tablespace: Oracle
//    18c or later), in them every table, key and plain index of the schema
//    files (oracleDdl, server_schema.h), and for every system table a
//    public synonym, so that unqualified names find the system tables as
//    on the embedded database. On a failure the users it made are dropped
//    again. The login needs the rights to do so (a DBA's).
//  - calendarOracle: the days from..to, replacing those the calendar
//    holds, in one transaction.
//  - demoOracle: as writeDemoData (demo.h), in one transaction.
//  - statsOracle: as collectStats (stats.h).
//  - findOracleSchema: `given` in upper case when it names a schema with
//    the warehouse tables, else the one such schema besides KALDERON.
// Every function returns the error text, empty on success.
#ifndef RAVLEN_TOOLS_RAVLEN_DB_ORACLE_COMMANDS_H_
#define RAVLEN_TOOLS_RAVLEN_DB_ORACLE_COMMANDS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/ravlen_db/demo.h"
#include "tools/ravlen_db/oracle_db.h"
#include "tools/ravlen_db/stats.h"

namespace ravlen {

inline constexpr std::string_view kOraclePrefix = "oracle:";
inline constexpr char kOracleLoginVariable[] = "RAVLEN_ORACLE_LOGIN";

// Whether a ravlen-db DIR names an Oracle database.
bool isOracleTarget(std::string_view dir);

// Logs on with RAVLEN_ORACLE_LOGIN to the database of `target`, with
// `schema` (when not empty) as the current schema.
std::string openOracleSchema(OracleDb& db, std::string_view target,
                             std::string_view schema);

// A public synonym for every table that `ddl` creates, naming the table
// of the system schema.
std::string createPublicSynonyms(OracleDb& db, const std::string& ddl);

std::string initOracle(const std::string& target, std::string_view schema);
std::string calendarOracle(const std::string& target, double from, double to,
                           int64_t* rows);
std::string demoOracle(const std::string& target, const DemoOptions& options,
                       DemoResult* result);
std::string statsOracle(const std::string& target, const std::string& schema,
                        DatabaseStats* stats);
std::string findOracleSchema(const std::string& target, std::string_view given,
                             std::string* schema);

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_ORACLE_COMMANDS_H_
