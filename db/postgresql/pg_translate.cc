#include "db/postgresql/pg_translate.h"

#include <cctype>
#include <set>

namespace ravlen {
namespace {

// Indexes of the string tokens that are the format argument of a to_char
// or to_date call: "to_char" "(" ... "," 'fmt' ")".
std::set<size_t> formatLiterals(const std::vector<Token>& tokens) {
  std::set<size_t> found;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (!isWord(tokens[i], "to_char") && !isWord(tokens[i], "to_date"))
      continue;
    size_t open = skipBlank(tokens, i + 1);
    if (open >= tokens.size() || !isPunct(tokens[open], "(")) continue;
    size_t close = matchingParen(tokens, open);
    int depth = 0;
    size_t comma = close;
    for (size_t j = open + 1; j < close && comma == close; ++j) {
      if (isPunct(tokens[j], "(")) ++depth;
      if (isPunct(tokens[j], ")")) --depth;
      if (depth == 0 && isPunct(tokens[j], ",")) comma = j;
    }
    size_t literal = skipBlank(tokens, comma + 1);
    if (comma == close || literal >= close ||
        tokens[literal].type != Tok::kString ||
        skipBlank(tokens, literal + 1) != close)
      continue;
    found.insert(literal);
  }
  return found;
}

// 'hh24:mi "Uhr"' -> 'HH24:MI "Uhr"'
std::string upperFormat(std::string_view literal) {
  std::string out(literal);
  bool quoted = false;
  for (char& c : out) {
    if (c == '"') quoted = !quoted;
    if (!quoted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return out;
}

class PgEmitter {
 public:
  PgEmitter(const std::vector<Token>& tokens, int sysdateParameter)
      : tokens_(tokens),
        formats_(formatLiterals(tokens)),
        sysdateParameter_(sysdateParameter) {}

  void emit() {
    for (size_t i = 0; i < tokens_.size(); ++i) i = emitOne(i);
  }

  std::string out;

 private:
  // Emits the token at i (and what belongs to it); returns the last index
  // consumed.
  size_t emitOne(size_t i) {
    const Token& t = tokens_[i];
    if (t.type == Tok::kPlaceholder) return emitPlaceholder(i);
    if (t.type == Tok::kString && formats_.count(i)) {
      out += upperFormat(t.text);
    } else if (isWord(t, "sysdate") && sysdateParameter_ > 0) {
      out += '$' + std::to_string(sysdateParameter_);
    } else if (t.type == Tok::kWord && t.text.find('#') != std::string::npos) {
      out += '"' + lowerAscii(t.text) + '"';
    } else {
      out += t.text;
    }
    return i;
  }

  size_t emitPlaceholder(size_t i) {
    out += '$' + std::to_string(++inputs_);
    // An indicator directly after an input (":b0:b1") is not bound.
    return inputPlaceholderEnd(tokens_, i);
  }

  const std::vector<Token>& tokens_;
  std::set<size_t> formats_;
  int sysdateParameter_;
  int inputs_ = 0;
};

}  // namespace

PgTranslation translateForPostgresql(std::string_view text) {
  ScannedStatement scanned = scanStatement(text);
  PgTranslation tr;
  tr.kind = scanned.kind;
  tr.inputCount = scanned.inputCount;
  tr.selectInto = scanned.selectInto;
  tr.outputIndicators = std::move(scanned.outputIndicators);
  if (scanned.usesSysdate) tr.sysdateParameter = tr.inputCount + 1;
  PgEmitter emitter(scanned.tokens, tr.sysdateParameter);
  emitter.emit();
  tr.sql = std::move(emitter.out);
  const std::vector<Token>& tokens = scanned.tokens;
  if (tr.selectInto &&
      findTopLevel(tokens, 0, tokens.size(), "limit") == tokens.size())
    tr.sql += "\nlimit 2";  // a line of its own: after any comment
  return tr;
}

}  // namespace ravlen
