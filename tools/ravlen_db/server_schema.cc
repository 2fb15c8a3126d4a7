#include "tools/ravlen_db/server_schema.h"

#include <regex>

namespace ravlen {

namespace {

std::string convertLine(std::string_view line) {
  size_t comment = line.find("--");
  std::string code(line.substr(0, comment));
  std::string_view note =
      comment == std::string_view::npos ? "" : line.substr(comment + 2);
  note.remove_prefix(std::min(note.find_first_not_of(' '), note.size()));
  static const std::regex kReal("\\bREAL\\b", std::regex::icase);
  static const std::regex kVarchar2("\\bVARCHAR2\\s*\\(", std::regex::icase);
  code = std::regex_replace(
      code, kReal, note.starts_with("date") ? "timestamp(0)" : "double precision");
  code = std::regex_replace(code, kVarchar2, "varchar(");
  if (comment != std::string_view::npos) code += line.substr(comment);
  return code;
}

}  // namespace

std::string postgresqlDdl(std::string_view sqliteDdl) {
  std::string out;
  while (!sqliteDdl.empty()) {
    size_t end = sqliteDdl.find('\n');
    std::string_view line = sqliteDdl.substr(0, end);
    out += convertLine(line);
    if (end == std::string_view::npos) break;
    out += '\n';
    sqliteDdl.remove_prefix(end + 1);
  }
  return out;
}

}  // namespace ravlen
