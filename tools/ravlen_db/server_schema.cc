#include "tools/ravlen_db/server_schema.h"

#include <regex>

namespace ravlen {

namespace {

// The types that REAL columns become on a server.
struct RealTypes {
  const char* date;    // a REAL whose comment starts with "date"
  const char* number;  // any other REAL
  bool plainVarchar;   // VARCHAR2(n) becomes varchar(n)
};

std::string convertLine(std::string_view line, const RealTypes& types) {
  size_t comment = line.find("--");
  std::string code(line.substr(0, comment));
  std::string_view note =
      comment == std::string_view::npos ? "" : line.substr(comment + 2);
  note.remove_prefix(std::min(note.find_first_not_of(' '), note.size()));
  static const std::regex kReal("\\bREAL\\b", std::regex::icase);
  static const std::regex kVarchar2("\\bVARCHAR2\\s*\\(", std::regex::icase);
  code = std::regex_replace(code, kReal,
                            note.starts_with("date") ? types.date : types.number);
  if (types.plainVarchar) code = std::regex_replace(code, kVarchar2, "varchar(");
  if (comment != std::string_view::npos) code += line.substr(comment);
  return code;
}

std::string convertDdl(std::string_view sqliteDdl, const RealTypes& types) {
  std::string out;
  while (!sqliteDdl.empty()) {
    size_t end = sqliteDdl.find('\n');
    std::string_view line = sqliteDdl.substr(0, end);
    out += convertLine(line, types);
    if (end == std::string_view::npos) break;
    out += '\n';
    sqliteDdl.remove_prefix(end + 1);
  }
  return out;
}

}  // namespace

std::string postgresqlDdl(std::string_view sqliteDdl) {
  return convertDdl(sqliteDdl, {"timestamp(0)", "double precision", true});
}

std::string oracleDdl(std::string_view sqliteDdl) {
  return convertDdl(sqliteDdl, {"DATE", "NUMBER", false});
}

}  // namespace ravlen
