// The layout of an embedded database directory: one SQLite file per schema,
// named after the schema in upper case with the suffix ".db"; the system
// schema KalDeron is KALDERON.db.
#ifndef RAVLEN_TOOLS_RAVLEN_DB_LAYOUT_H_
#define RAVLEN_TOOLS_RAVLEN_DB_LAYOUT_H_

#include <string>
#include <string_view>

namespace ravlen {

inline constexpr std::string_view kSystemSchema = "KALDERON";

// An unquoted identifier: a letter, then letters, digits, '_', '$', '#';
// at most 128 characters.
bool isSchemaName(std::string_view name);

// A schema name that is not KalDeron (in any case).
bool isApplicationSchemaName(std::string_view name);

// DIR/<NAME in upper case>.db
std::string schemaFile(const std::string& dir, std::string_view schema);

// The application schema of `dir`: `given` when not empty, else the one
// *.db file besides KALDERON.db. Returns the error text, empty on success.
std::string findApplicationSchema(const std::string& dir,
                                  std::string_view given, std::string* schema);

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_LAYOUT_H_
