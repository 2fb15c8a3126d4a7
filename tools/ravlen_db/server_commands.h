// The ravlen-db commands on a PostgreSQL server: "DIR" is then a libpq
// connection URI ("postgresql://..."), the user and password come from
// libpq's defaults (PGUSER, a password file, PGPASSWORD), never from the
// command line. Schemas are named in lower case on the server (an
// unquoted SCHEMA folds to it); the system schema is kalderon.
//
// Contract:
//  - initServer: in one transaction, CREATE EXTENSION orafce (when
//    missing), the schemas kalderon and SCHEMA, and in them every table,
//    key and plain index of the schema files (server_schema.h). Refused when
//    the database does not sort bytewise (its collation must be C or
//    C.UTF-8) or when either schema exists already.
//  - calendarServer: the days from..to, replacing those the calendar
//    holds, in one transaction.
//  - demoServer: as writeDemoData (demo.h), in one transaction.
//  - statsServer: as collectStats (stats.h).
//  - findServerSchema: `given` in upper case when it names a schema of the
//    database, else the one schema besides kalderon that holds the
//    warehouse tables.
// Every function returns the error text, empty on success.
#ifndef RAVLEN_TOOLS_RAVLEN_DB_SERVER_COMMANDS_H_
#define RAVLEN_TOOLS_RAVLEN_DB_SERVER_COMMANDS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/ravlen_db/demo.h"
#include "tools/ravlen_db/server_db.h"
#include "tools/ravlen_db/stats.h"

namespace ravlen {

std::string initServer(const std::string& uri, std::string_view schema);
std::string calendarServer(const std::string& uri, double from, double to,
                           int64_t* rows);
std::string demoServer(const std::string& uri, const DemoOptions& options,
                       DemoResult* result);
std::string statsServer(const std::string& uri, const std::string& schema,
                        DatabaseStats* stats);
std::string findServerSchema(const std::string& uri, std::string_view given,
                             std::string* schema);

// Shared by the servers' commands:
//  - replaceCalendarRows: in one transaction on `db` (the base calendar
//    its current schema), deletes the days from..to and writes them anew;
//  - chooseServerSchema: of the schemas `owners` that hold the warehouse
//    tables, the one named `given` (any case), or the only one when
//    `given` is empty; in upper case.
std::string replaceCalendarRows(ToolDb& db, double from, double to,
                                int64_t* rows);
std::string chooseServerSchema(const std::vector<std::string>& owners,
                               std::string_view given, std::string* schema);

// Connects with the search path SCHEMA, kalderon, pg_catalog, oracle,
// public (kalderon first when `schema` is empty).
std::string openServerSchema(ServerDb& db, const std::string& uri,
                             std::string_view schema);

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_SERVER_COMMANDS_H_
