#include "db/sql_tokens.h"

#include <cctype>

namespace ravlen {
namespace {

// Length of the quoted run that starts at text[0] (== quote); a doubled
// quote inside stays in the run. An unterminated run takes the rest.
size_t quotedLength(std::string_view text, char quote) {
  size_t i = 1;
  while (i < text.size()) {
    if (text[i] == quote) {
      if (i + 1 < text.size() && text[i + 1] == quote) {
        i += 2;
        continue;
      }
      return i + 1;
    }
    ++i;
  }
  return text.size();
}

size_t commentLength(std::string_view text) {
  if (text.substr(0, 2) == "--") {
    size_t end = text.find('\n');
    return end == std::string_view::npos ? text.size() : end;
  }
  size_t end = text.find("*/", 2);
  return end == std::string_view::npos ? text.size() : end + 2;
}

size_t runLength(std::string_view text, bool (*pred)(char), size_t from) {
  size_t i = from;
  while (i < text.size() && pred(text[i])) ++i;
  return i;
}

bool isSpaceChar(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

SqlToken nextToken(std::string_view rest) {
  using T = SqlTokenType;
  char c = rest[0];
  if (c == '\'') return {T::kString, rest.substr(0, quotedLength(rest, c))};
  if (c == '"') return {T::kQuoted, rest.substr(0, quotedLength(rest, c))};
  if (rest.substr(0, 2) == "--" || rest.substr(0, 2) == "/*")
    return {T::kComment, rest.substr(0, commentLength(rest))};
  if (isSpaceChar(c))
    return {T::kSpace, rest.substr(0, runLength(rest, isSpaceChar, 0))};
  if (c == ':' && rest.size() > 1 && isSqlWordChar(rest[1]))
    return {T::kPlaceholder, rest.substr(0, runLength(rest, isSqlWordChar, 1))};
  if (isSqlWordChar(c))
    return {T::kWord, rest.substr(0, runLength(rest, isSqlWordChar, 0))};
  static constexpr std::string_view kTwoChar[] = {"<=", ">=", "<>", "!=",
                                                  "||"};
  for (std::string_view op : kTwoChar) {
    if (rest.substr(0, 2) == op) return {T::kPunct, rest.substr(0, 2)};
  }
  return {T::kPunct, rest.substr(0, 1)};
}

bool isBlank(const SqlToken& t) {
  return t.type == SqlTokenType::kSpace || t.type == SqlTokenType::kComment;
}

}  // namespace

std::vector<SqlToken> tokenizeSql(std::string_view text) {
  std::vector<SqlToken> tokens;
  while (!text.empty()) {
    SqlToken t = nextToken(text);
    tokens.push_back(t);
    text.remove_prefix(t.text.size());
  }
  return tokens;
}

bool isSqlWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' ||
         c == '#';
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

bool startsWithNoCase(std::string_view text, std::string_view lowerPrefix) {
  if (text.size() < lowerPrefix.size()) return false;
  for (size_t i = 0; i < lowerPrefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != lowerPrefix[i])
      return false;
  }
  return true;
}

bool isWord(const SqlToken& t, std::string_view word) {
  return t.type == SqlTokenType::kWord && equalsNoCase(t.text, word);
}

bool isPunct(const SqlToken& t, std::string_view p) {
  return t.type == SqlTokenType::kPunct && t.text == p;
}

size_t skipBlank(const std::vector<SqlToken>& tokens, size_t i) {
  while (i < tokens.size() && isBlank(tokens[i])) ++i;
  return i;
}

size_t skipBlankBack(const std::vector<SqlToken>& tokens, size_t i) {
  while (i > 0) {
    if (!isBlank(tokens[--i])) return i;
  }
  return std::string_view::npos;
}

size_t matchingParen(const std::vector<SqlToken>& tokens, size_t open) {
  int depth = 0;
  for (size_t i = open; i < tokens.size(); ++i) {
    if (isPunct(tokens[i], "(")) ++depth;
    if (isPunct(tokens[i], ")") && --depth == 0) return i;
  }
  return tokens.size();
}

}  // namespace ravlen
