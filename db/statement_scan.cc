#include "db/statement_scan.h"

#include <cctype>

namespace ravlen {
namespace {

bool isWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' ||
         c == '#';
}

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

Token nextToken(std::string_view rest) {
  char c = rest[0];
  if (c == '\'') return {Tok::kString, rest.substr(0, quotedLength(rest, c))};
  if (c == '"') return {Tok::kQuoted, rest.substr(0, quotedLength(rest, c))};
  if (rest.substr(0, 2) == "--" || rest.substr(0, 2) == "/*")
    return {Tok::kComment, rest.substr(0, commentLength(rest))};
  if (isSpaceChar(c))
    return {Tok::kSpace, rest.substr(0, runLength(rest, isSpaceChar, 0))};
  if (c == ':' && rest.size() > 1 && isWordChar(rest[1]))
    return {Tok::kPlaceholder, rest.substr(0, runLength(rest, isWordChar, 1))};
  if (isWordChar(c))
    return {Tok::kWord, rest.substr(0, runLength(rest, isWordChar, 0))};
  static constexpr std::string_view kTwoChar[] = {"<=", ">=", "<>", "!=",
                                                  "||"};
  for (std::string_view op : kTwoChar) {
    if (rest.substr(0, 2) == op) return {Tok::kPunct, rest.substr(0, 2)};
  }
  return {Tok::kPunct, rest.substr(0, 1)};
}

StatementKind kindOf(const std::vector<Token>& tokens) {
  size_t i = skipBlank(tokens, 0);
  if (i == tokens.size()) return StatementKind::kOther;
  const Token& t = tokens[i];
  if (isWord(t, "select") || isWord(t, "with")) return StatementKind::kQuery;
  if (isWord(t, "insert")) return StatementKind::kInsert;
  if (isWord(t, "update")) return StatementKind::kUpdate;
  if (isWord(t, "delete")) return StatementKind::kDelete;
  return StatementKind::kOther;
}

// Removes "into <outputs>" of a select-into and records the outputs.
void takeIntoList(ScannedStatement& s) {
  std::vector<Token>& tokens = s.tokens;
  size_t into = findTopLevel(tokens, 0, tokens.size(), "into");
  size_t from = findTopLevel(tokens, 0, tokens.size(), "from");
  if (into == tokens.size() || into > from) return;
  s.selectInto = true;
  for (size_t i = into + 1; i < from; ++i) {
    if (tokens[i].type != Tok::kPlaceholder) continue;
    bool indicator = i + 1 < from && tokens[i + 1].type == Tok::kPlaceholder;
    s.outputIndicators.push_back(indicator);
    if (indicator) ++i;
  }
  tokens.erase(tokens.begin() + into, tokens.begin() + from);
}

int countInputs(const std::vector<Token>& tokens) {
  int count = 0;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].type != Tok::kPlaceholder) continue;
    ++count;
    i = inputPlaceholderEnd(tokens, i);
  }
  return count;
}

bool mentionsSysdate(const std::vector<Token>& tokens) {
  for (const Token& t : tokens) {
    if (isWord(t, "sysdate")) return true;
  }
  return false;
}

}  // namespace

std::vector<Token> tokenize(std::string_view text) {
  std::vector<Token> tokens;
  while (!text.empty()) {
    Token t = nextToken(text);
    tokens.push_back(t);
    text.remove_prefix(t.text.size());
  }
  return tokens;
}

bool isWord(const Token& t, std::string_view word) {
  return t.type == Tok::kWord && equalsNoCase(t.text, word);
}

bool isPunct(const Token& t, std::string_view p) {
  return t.type == Tok::kPunct && t.text == p;
}

bool isComparison(const Token& t) {
  static constexpr std::string_view kOps[] = {"=", "<", ">", "<=",
                                              ">=", "<>", "!="};
  if (t.type != Tok::kPunct) return false;
  for (std::string_view op : kOps) {
    if (t.text == op) return true;
  }
  return false;
}

size_t skipBlank(const std::vector<Token>& tokens, size_t i) {
  while (i < tokens.size() &&
         (tokens[i].type == Tok::kSpace || tokens[i].type == Tok::kComment))
    ++i;
  return i;
}

size_t matchingParen(const std::vector<Token>& tokens, size_t open) {
  int depth = 0;
  for (size_t i = open; i < tokens.size(); ++i) {
    if (isPunct(tokens[i], "(")) ++depth;
    if (isPunct(tokens[i], ")") && --depth == 0) return i;
  }
  return tokens.size();
}

size_t findTopLevel(const std::vector<Token>& tokens, size_t begin, size_t end,
                    std::string_view word) {
  int depth = 0;
  for (size_t i = begin; i < end; ++i) {
    if (isPunct(tokens[i], "(")) ++depth;
    if (isPunct(tokens[i], ")")) --depth;
    if (depth == 0 && isWord(tokens[i], word)) return i;
  }
  return end;
}

ScannedStatement scanStatement(std::string_view text) {
  ScannedStatement s;
  s.tokens = tokenize(text);
  s.kind = kindOf(s.tokens);
  if (s.kind == StatementKind::kQuery) takeIntoList(s);
  s.inputCount = countInputs(s.tokens);
  s.usesSysdate = mentionsSysdate(s.tokens);
  return s;
}

bool writesRows(StatementKind kind) {
  return kind == StatementKind::kInsert || kind == StatementKind::kUpdate ||
         kind == StatementKind::kDelete;
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

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

size_t inputPlaceholderEnd(const std::vector<Token>& tokens, size_t i) {
  bool indicator = i + 1 < tokens.size() && tokens[i + 1].type == Tok::kPlaceholder;
  return indicator ? i + 1 : i;
}

bool isPlainIdentifier(std::string_view name) {
  if (name.empty() || name.size() > 128) return false;
  if (!std::isalpha(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name) {
    if (!isWordChar(c)) return false;
  }
  return true;
}

bool parseSetSchema(std::string_view text, std::string* name) {
  static constexpr std::string_view kWords[] = {"alter", "session", "set",
                                                "current_schema"};
  std::vector<Token> tokens = tokenize(text);
  size_t i = 0;
  for (std::string_view word : kWords) {
    i = skipBlank(tokens, i);
    if (i >= tokens.size() || !isWord(tokens[i], word)) return false;
    ++i;
  }
  i = skipBlank(tokens, i);
  if (i >= tokens.size() || !isPunct(tokens[i], "=")) return false;
  std::string_view rest = text.substr(tokens[i].text.data() + 1 - text.data());
  size_t first = rest.find_first_not_of(" \t\r\n");
  size_t last = rest.find_last_not_of(" \t\r\n");
  *name = first == std::string_view::npos
              ? std::string()
              : std::string(rest.substr(first, last - first + 1));
  return true;
}

}  // namespace ravlen
