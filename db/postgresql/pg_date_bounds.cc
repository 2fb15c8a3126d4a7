#include "db/postgresql/pg_date_bounds.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "db/civil_time.h"

namespace ravlen {
namespace {

// Byte offset of character `n` (from 0) of a UTF-8 text, or its size.
size_t offsetOfCharacter(std::string_view text, int64_t n) {
  size_t at = 0;
  for (int64_t seen = 0; at < text.size(); ++at) {
    bool lead = (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
    if (lead && seen++ == n) return at;
  }
  return text.size();
}

}  // namespace

std::string timestampText(const SecondBound& bound) {
  switch (bound.kind) {
    case SecondBound::Kind::kBelowAll: return "-infinity";
    case SecondBound::Kind::kAboveAll: return "infinity";
    case SecondBound::Kind::kAt: break;
  }
  CivilTime t = civilFromSeconds(bound.second);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year,
                t.month, t.day, t.hour, t.minute, t.second);
  return text;
}

// text_substring of the server: positions before the first character count,
// so substr('abc', 0, 2) is 'a'.
std::string serverSubstr(std::string_view text, int start,
                         std::optional<int> length) {
  int64_t first = std::max<int64_t>(start, 1);
  if (!length) return std::string(text.substr(offsetOfCharacter(text, first - 1)));
  int64_t end = static_cast<int64_t>(start) + *length;  // exclusive
  if (end <= first) return "";
  size_t from = offsetOfCharacter(text, first - 1);
  size_t to = offsetOfCharacter(text, end - 1);
  return std::string(text.substr(from, to - from));
}

std::optional<std::string> comparedValue(const PgDateBound& bound,
                                         std::optional<std::string_view> text) {
  if (!text) return std::nullopt;
  if (!bound.substr) return std::string(*text);
  return serverSubstr(*text, bound.start, bound.length);
}

}  // namespace ravlen
