#include "db/statement_scan.h"

#include <algorithm>
#include <cctype>

namespace ravlen {
namespace {

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

bool isComparison(const Token& t) {
  static constexpr std::string_view kOps[] = {"=", "<", ">", "<=",
                                              ">=", "<>", "!="};
  if (t.type != Tok::kPunct) return false;
  for (std::string_view op : kOps) {
    if (t.text == op) return true;
  }
  return false;
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

std::string writtenTable(std::string_view text) {
  std::vector<Token> tokens = tokenize(text);
  StatementKind kind = kindOf(tokens);
  if (!writesRows(kind)) return "";
  size_t at = skipBlank(tokens, 0);
  if (kind != StatementKind::kUpdate)
    at = findTopLevel(tokens, at, tokens.size(),
                      kind == StatementKind::kInsert ? "into" : "from");
  at = skipBlank(tokens, at + 1);
  while (at + 2 < tokens.size() && isPunct(tokens[at + 1], "."))
    at += 2;  // schema.table
  return at < tokens.size() ? lowerAscii(tokens[at].text) : "";
}

std::vector<std::string> lowerWords(std::string_view text) {
  std::vector<std::string> words;
  for (const Token& t : tokenize(text)) {
    if (t.type != Tok::kWord) continue;
    std::string word = lowerAscii(t.text);
    if (std::find(words.begin(), words.end(), word) == words.end())
      words.push_back(std::move(word));
  }
  return words;
}

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string upperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
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
    if (!isSqlWordChar(c)) return false;
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
