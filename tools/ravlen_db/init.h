// Creating an embedded database from the table definitions that the build
// embedded from schema/*.sql.
//
// Contract:
//  - initDatabase creates `dir` (with its parents) when missing and in it
//    KALDERON.db and <SCHEMA>.db; an existing one of the two files is never
//    touched: the call then fails before creating anything.
//  - SCHEMA names the application schema: an unquoted identifier other than
//    KalDeron, which the system tables own.
//  - The files schema/kalderon*.sql load into KALDERON.db, every other
//    schema file into <SCHEMA>.db, each file in one transaction. They are
//    the whole schema: plain SQL that the sqlite3 shell loads as well.
//  - On a failure the files created so far are removed again.
#ifndef RAVLEN_TOOLS_RAVLEN_DB_INIT_H_
#define RAVLEN_TOOLS_RAVLEN_DB_INIT_H_

#include <string>
#include <string_view>
#include <vector>

namespace ravlen {

inline constexpr std::string_view kDefaultApplicationSchema = "KORV";

// One step of the plan: which embedded file goes into which schema.
struct SchemaLoad {
  std::string_view fileName;
  bool systemSchema = false;  // KALDERON.db, else the application schema
};

// The text of an embedded schema file ("" when there is none).
std::string_view embeddedText(std::string_view fileName);

// The embedded schema files in loading order.
std::vector<SchemaLoad> schemaLoadPlan();

// Returns the error text, empty on success.
std::string initDatabase(const std::string& dir, std::string_view schema);

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_INIT_H_
