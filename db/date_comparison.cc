#include "db/date_comparison.h"

#include <cctype>
#include <optional>
#include <span>

namespace ravlen {
namespace {

using Tokens = std::vector<SqlToken>;
constexpr size_t kNone = static_cast<size_t>(-1);

constexpr std::string_view kBefore[] = {"where", "and", "or",    "not",
                                        "on",    "when", "having"};
constexpr std::string_view kAfter[] = {
    "and",   "or",        "group",  "order", "having", "limit", "union",
    "intersect", "except", "minus", "then",  "else",   "end",   "when"};
// Functions of a value: pure, one result per call, no aggregate.
constexpr std::string_view kValueFunctions[] = {
    "substr", "nvl",   "coalesce", "trim",    "ltrim",      "rtrim",
    "upper",  "lower", "replace",  "lpad",    "rpad",       "to_char",
    "to_date", "trunc", "add_months"};

bool isAnyWord(const SqlToken& t, std::span<const std::string_view> words) {
  for (std::string_view word : words) {
    if (isWord(t, word)) return true;
  }
  return false;
}

bool isNumber(const SqlToken& t) {
  return t.type == SqlTokenType::kWord &&
         std::isdigit(static_cast<unsigned char>(t.text[0]));
}

bool isColumnPart(const SqlToken& t) {
  if (t.type == SqlTokenType::kQuoted) return true;
  return t.type == SqlTokenType::kWord && !isNumber(t) &&
         !isWord(t, "sysdate");
}

std::optional<DateCompare> compareAt(const Tokens& tokens, size_t i) {
  if (i >= tokens.size() || tokens[i].type != SqlTokenType::kPunct)
    return std::nullopt;
  return dateCompareOf(tokens[i].text);
}

// A function call of a value: every word in it names a function of the
// list and is called, so that nothing in it reads a column.
size_t callEnd(const Tokens& tokens, size_t name) {
  size_t open = skipBlank(tokens, name + 1);
  if (open >= tokens.size() || !isPunct(tokens[open], "(")) return kNone;
  size_t close = matchingParen(tokens, open);
  if (close == tokens.size()) return kNone;
  for (size_t j = name; j < close; ++j) {
    const SqlToken& t = tokens[j];
    if (t.type == SqlTokenType::kQuoted) return kNone;
    if (t.type != SqlTokenType::kWord || isNumber(t)) continue;
    size_t next = skipBlank(tokens, j + 1);
    if (!isAnyWord(t, kValueFunctions) || next >= close ||
        !isPunct(tokens[next], "("))
      return kNone;
  }
  return close + 1;
}

// End of the value that starts at i, or kNone when none starts there.
size_t valueEnd(const Tokens& tokens, size_t i) {
  if (i >= tokens.size()) return kNone;
  const SqlToken& t = tokens[i];
  if (t.type == SqlTokenType::kPlaceholder) {
    bool indicator = i + 1 < tokens.size() &&
                     tokens[i + 1].type == SqlTokenType::kPlaceholder;
    return i + (indicator ? 2 : 1);
  }
  if (t.type == SqlTokenType::kString || isNumber(t)) return i + 1;
  if (t.type == SqlTokenType::kWord) return callEnd(tokens, i);
  return kNone;
}

struct ToCharCall {
  size_t end = 0, columnBegin = 0, columnEnd = 0;
  std::string_view format;
};

// to_char(COLUMN, 'FORMAT') at i, with an ordered format.
bool parseToChar(const Tokens& tokens, size_t i, ToCharCall* call) {
  const size_t n = tokens.size();
  if (i >= n || !isWord(tokens[i], "to_char")) return false;
  size_t j = skipBlank(tokens, i + 1);
  if (j >= n || !isPunct(tokens[j], "(")) return false;
  j = skipBlank(tokens, j + 1);
  if (j >= n || !isColumnPart(tokens[j])) return false;
  call->columnBegin = j;
  while (j + 2 < n && isPunct(tokens[j + 1], ".") &&
         isColumnPart(tokens[j + 2]))
    j += 2;
  call->columnEnd = j + 1;
  j = skipBlank(tokens, j + 1);
  if (j >= n || !isPunct(tokens[j], ",")) return false;
  j = skipBlank(tokens, j + 1);
  if (j >= n || tokens[j].type != SqlTokenType::kString) return false;
  std::string_view quoted = tokens[j].text;
  if (quoted.size() < 2 || quoted.back() != '\'') return false;
  call->format = quoted.substr(1, quoted.size() - 2);
  if (!isOrderedDateFormat(call->format)) return false;
  j = skipBlank(tokens, j + 1);
  if (j >= n || !isPunct(tokens[j], ")")) return false;
  call->end = j + 1;
  return true;
}

// Whether the "and" at `at` is the one of "x between a and b".
bool closesBetween(const Tokens& tokens, size_t at) {
  int depth = 0;
  for (size_t j = at; j-- > 0;) {
    const SqlToken& t = tokens[j];
    if (isPunct(t, ")")) ++depth;
    if (isPunct(t, "(") && depth-- == 0) return false;
    if (depth != 0) continue;
    if (isWord(t, "between")) return true;
    if (isAnyWord(t, kBefore)) return false;
  }
  return false;
}

bool standsAlone(const Tokens& tokens, size_t begin, size_t end) {
  size_t before = skipBlankBack(tokens, begin);
  if (before != kNone && !isPunct(tokens[before], "(")) {
    const SqlToken& t = tokens[before];
    if (!isAnyWord(t, kBefore)) return false;
    if (isWord(t, "and") && closesBetween(tokens, before)) return false;
    size_t is = skipBlankBack(tokens, before);
    if (isWord(t, "not") && is != kNone && isWord(tokens[is], "is"))
      return false;
  }
  size_t after = skipBlank(tokens, end);
  return after == tokens.size() || isPunct(tokens[after], ")") ||
         isAnyWord(tokens[after], kAfter);
}

// "to_char(...) OP VALUE" or "VALUE OP to_char(...)" starting at i.
bool matchAt(const Tokens& tokens, size_t i, DateComparison* c) {
  ToCharCall call;
  if (parseToChar(tokens, i, &call)) {
    size_t op = skipBlank(tokens, call.end);
    std::optional<DateCompare> compare = compareAt(tokens, op);
    if (!compare) return false;
    size_t value = skipBlank(tokens, op + 1);
    size_t end = valueEnd(tokens, value);
    if (end == kNone) return false;
    *c = {i, end, call.columnBegin, call.columnEnd, value, end, call.format,
          *compare};
  } else {
    size_t end = valueEnd(tokens, i);
    if (end == kNone) return false;
    size_t op = skipBlank(tokens, end);
    std::optional<DateCompare> compare = compareAt(tokens, op);
    if (!compare || !parseToChar(tokens, skipBlank(tokens, op + 1), &call))
      return false;
    *c = {i, call.end, call.columnBegin, call.columnEnd, i, end, call.format,
          swapOperands(*compare)};
  }
  return standsAlone(tokens, c->begin, c->end);
}

}  // namespace

std::vector<DateComparison> findDateComparisons(const Tokens& tokens) {
  std::vector<DateComparison> found;
  size_t i = 0;
  while (i < tokens.size()) {
    DateComparison c;
    if (matchAt(tokens, i, &c)) {
      found.push_back(c);
      i = c.end;
    } else {
      ++i;
    }
  }
  return found;
}

}  // namespace ravlen
