#include "db/postgresql/pg_translate.h"

#include <cctype>
#include <charconv>
#include <set>

#include "db/date_comparison.h"

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

// An integer constant at i ("7", "-1"); the index after it, or i when
// there is none.
size_t readInteger(const std::vector<Token>& tokens, size_t i, int* value) {
  size_t at = skipBlank(tokens, i);
  bool negative = at < tokens.size() && isPunct(tokens[at], "-");
  if (negative) at = skipBlank(tokens, at + 1);
  if (at >= tokens.size() || tokens[at].type != Tok::kWord) return i;
  std::string_view digits = tokens[at].text;
  auto [end, ec] =
      std::from_chars(digits.data(), digits.data() + digits.size(), *value);
  if (ec != std::errc() || end != digits.data() + digits.size()) return i;
  if (negative) *value = -*value;
  return at + 1;
}

// substr(:bN, start[, length]) over [begin, end), a length not negative.
bool parseSubstr(const std::vector<Token>& tokens, size_t begin, size_t end,
                 PgDateBound* bound) {
  if (!isWord(tokens[begin], "substr")) return false;
  size_t at = skipBlank(tokens, begin + 1);
  if (at >= end || !isPunct(tokens[at], "(")) return false;
  at = skipBlank(tokens, at + 1);
  if (at >= end || tokens[at].type != Tok::kPlaceholder) return false;
  at = skipBlank(tokens, inputPlaceholderEnd(tokens, at) + 1);
  if (at >= end || !isPunct(tokens[at], ",")) return false;
  size_t next = readInteger(tokens, at + 1, &bound->start);
  if (next == at + 1) return false;
  at = skipBlank(tokens, next);
  if (at < end && isPunct(tokens[at], ",")) {
    int length = 0;
    next = readInteger(tokens, at + 1, &length);
    if (next == at + 1 || length < 0) return false;
    bound->length = length;
    at = skipBlank(tokens, next);
  }
  if (at + 1 != end || !isPunct(tokens[at], ")")) return false;
  bound->substr = true;
  return true;
}

std::string unquoted(std::string_view literal) {
  std::string text;
  for (size_t i = 1; i + 1 < literal.size(); ++i) {
    text += literal[i];
    if (literal[i] == '\'' && literal[i + 1] == '\'') ++i;
  }
  return text;
}

class PgEmitter {
 public:
  PgEmitter(const std::vector<Token>& tokens, int sysdateParameter,
            int firstBoundParameter, bool rewriteDates)
      : tokens_(tokens),
        formats_(formatLiterals(tokens)),
        sysdateParameter_(sysdateParameter),
        nextBoundParameter_(firstBoundParameter) {
    if (rewriteDates) dateComparisons_ = findDateComparisons(tokens);
  }

  void emit(size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) i = emitOne(i);
  }

  std::string out;
  std::vector<PgDateBound> bounds;

 private:
  // Emits the token at i (and what belongs to it); returns the last index
  // consumed. The one place where a recognised comparison is replaced.
  size_t emitOne(size_t i) {
    for (const DateComparison& c : dateComparisons_) {
      if (c.begin == i && emitDateRange(c)) return c.end - 1;
    }
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

  // The tokens [begin, end) as they are emitted, apart from `out`.
  std::string emitted(size_t begin, size_t end) {
    std::string saved = std::move(out);
    out.clear();
    emit(begin, end);
    std::swap(saved, out);
    return saved;
  }

  // "(COL>=from and COL<until)" for a value that is a constant text, a
  // placeholder or substr() of one; false (nothing emitted) otherwise.
  bool emitDateRange(const DateComparison& c) {
    const Token& first = tokens_[c.valueBegin];
    std::string from, until;
    if (first.type == Tok::kString && c.valueEnd == c.valueBegin + 1) {
      SecondRange range =
          dateTextRange(c.format, c.op, unquoted(first.text));
      from = "timestamp '" + timestampText(range.from) + "'";
      until = "timestamp '" + timestampText(range.until) + "'";
    } else {
      PgDateBound bound;
      bound.format = c.format;
      bound.op = c.op;
      bound.input = inputs_;
      bool placeholder = first.type == Tok::kPlaceholder &&
                         inputPlaceholderEnd(tokens_, c.valueBegin) + 1 ==
                             c.valueEnd;
      if (!placeholder &&
          !parseSubstr(tokens_, c.valueBegin, c.valueEnd, &bound))
        return false;
      ++inputs_;  // bound, but named by the bounds alone
      bound.fromParameter = nextBoundParameter_++;
      bound.untilParameter = nextBoundParameter_++;
      from = '$' + std::to_string(bound.fromParameter);
      until = '$' + std::to_string(bound.untilParameter);
      bounds.push_back(std::move(bound));
    }
    const std::string column = emitted(c.columnBegin, c.columnEnd);
    out += "(" + column + ">=" + from + " and " + column + "<" + until + ")";
    return true;
  }

  const std::vector<Token>& tokens_;
  std::set<size_t> formats_;
  int sysdateParameter_;
  int nextBoundParameter_;
  std::vector<DateComparison> dateComparisons_;
  int inputs_ = 0;
};

}  // namespace

PgTranslation translateForPostgresql(std::string_view text,
                                     bool rewriteDates) {
  ScannedStatement scanned = scanStatement(text);
  PgTranslation tr;
  tr.kind = scanned.kind;
  tr.inputCount = scanned.inputCount;
  tr.selectInto = scanned.selectInto;
  tr.outputIndicators = std::move(scanned.outputIndicators);
  if (scanned.usesSysdate) tr.sysdateParameter = tr.inputCount + 1;
  PgEmitter emitter(scanned.tokens, tr.sysdateParameter,
                    tr.inputCount + (tr.sysdateParameter > 0 ? 2 : 1),
                    rewriteDates);
  emitter.emit(0, scanned.tokens.size());
  tr.sql = std::move(emitter.out);
  tr.dateBounds = std::move(emitter.bounds);
  const std::vector<Token>& tokens = scanned.tokens;
  if (tr.selectInto &&
      findTopLevel(tokens, 0, tokens.size(), "limit") == tokens.size())
    tr.sql += "\nlimit 2";  // a line of its own: after any comment
  return tr;
}

}  // namespace ravlen
