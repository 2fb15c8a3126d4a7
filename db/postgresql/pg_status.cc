#include "db/postgresql/pg_status.h"

namespace ravlen {

SqlStatus statusFromSqlstate(std::string_view sqlstate) {
  struct Known {
    std::string_view state;
    SqlStatus status;
  };
  static constexpr Known kKnown[] = {
      {"23505", sqlstatus::kUniqueKey},    {"23502", sqlstatus::kNotNull},
      {"42P01", sqlstatus::kNoTable},      {"42703", sqlstatus::kNoColumn},
      {"21000", sqlstatus::kSubqueryRows}, {"22001", sqlstatus::kTextTooLong},
      {"55P03", sqlstatus::kResourceBusy},
  };
  for (const Known& k : kKnown) {
    if (sqlstate == k.state) return k.status;
  }
  // Five characters of 0-9A-Z, read as a number of base 36 and folded into
  // 0..9999: distinct failures mostly keep distinct numbers.
  int32_t n = 0;
  for (char c : sqlstate.substr(0, 5)) {
    int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'Z' ? c - 'A' + 10 : 0;
    n = (n * 36 + digit) % 10000;
  }
  return SqlStatus(sqlstatus::kServerBase - n);
}

std::string firstLine(std::string_view message, std::string_view secret) {
  std::string line(message.substr(0, message.find('\n')));
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r'))
    line.pop_back();
  if (secret.empty()) return line;
  for (size_t at = line.find(secret); at != std::string::npos;
       at = line.find(secret, at + 3))
    line.replace(at, secret.size(), "***");
  return line;
}

}  // namespace ravlen
