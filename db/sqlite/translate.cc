#include "db/sqlite/translate.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "db/date_comparison.h"

namespace ravlen {
namespace {

class Emitter {
 public:
  Emitter(const std::vector<Token>& tokens, std::string_view currentSchema,
          int sysdateParameter)
      : tokens_(tokens),
        currentSchema_(currentSchema),
        sysdateParameter_(sysdateParameter),
        dateComparisons_(findDateComparisons(tokens)) {}

  void emit(size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) i = emitOne(i, end);
  }

  std::string out;
  int inputs = 0;

 private:
  // Emits the token at i (and what belongs to it); returns the last index
  // consumed.
  size_t emitOne(size_t i, size_t end) {
    for (const DateComparison& c : dateComparisons_) {
      if (c.begin == i && c.end <= end) return emitDateRange(c);
    }
    const Token& t = tokens_[i];
    if (t.type == Tok::kPlaceholder) return emitPlaceholder(i, end);
    if (t.type == Tok::kWord) return emitWord(i, end);
    out += t.text;
    if (isComparison(t)) return emitScalarSubquery(i, end);
    return i;
  }

  size_t emitPlaceholder(size_t i, size_t end) {
    out += '?';
    out += std::to_string(++inputs);
    // An indicator directly after an input (":b0:b1") is not bound.
    return std::min(inputPlaceholderEnd(tokens_, i), end - 1);
  }

  size_t emitWord(size_t i, size_t end) {
    const Token& t = tokens_[i];
    bool qualifier = i + 2 < end && isPunct(tokens_[i + 1], ".") &&
                     (tokens_[i + 2].type == Tok::kWord ||
                      tokens_[i + 2].type == Tok::kQuoted) &&
                     !(i > 0 && isPunct(tokens_[i - 1], "."));
    if (qualifier && !currentSchema_.empty() &&
        equalsNoCase(t.text, currentSchema_)) {
      out += "main";
    } else if (qualifier && t.text.find_first_of("$#") != std::string::npos) {
      out += '"';
      out += t.text;
      out += '"';
    } else if (isWord(t, "sysdate") && sysdateParameter_ > 0) {
      out += '?';
      out += std::to_string(sysdateParameter_);
    } else {
      out += t.text;
    }
    return i;
  }

  // The tokens [begin, end) as they are emitted, apart from `out`.
  std::string emitted(size_t begin, size_t end) {
    std::string saved = std::move(out);
    out.clear();
    emit(begin, end);
    std::swap(saved, out);
    return saved;
  }

  // "to_char(COL,'fmt') OP value" as a range of COL, bounds computed by the
  // dialect from the format, the operator and the value, which is emitted
  // once so that its placeholders keep their numbers. Both bounds, even
  // where one is always open, so that a value in COL that is no number (a
  // text sorts above every number) is never selected. An open bound is
  // written on "+COL", which SQLite never takes as an index bound: taken,
  // it could replace the other comparison's tight bound of a window
  // ("COL>=a and COL<+Inf and COL>=-Inf and COL<b" read from a to the end).
  size_t emitDateRange(const DateComparison& c) {
    const std::string column = emitted(c.columnBegin, c.columnEnd);
    const std::string arguments = "('" + std::string(c.format) + "','" +
                                  std::string(dateCompareText(c.op)) + "'," +
                                  emitted(c.valueBegin, c.valueEnd) + ")";
    out += "(" + std::string(needsLowerBound(c.op) ? "" : "+") + column +
           ">=ravlen_date_from" + arguments + " and " +
           std::string(needsUpperBound(c.op) ? "" : "+") + column +
           "<ravlen_date_until" + arguments + ")";
    return c.end - 1;
  }

  // After a comparison operator: "(select X from ...)" in scalar position.
  size_t emitScalarSubquery(size_t op, size_t end) {
    size_t open = skipBlank(tokens_, op + 1);
    if (open >= end || !isPunct(tokens_[open], "(")) return op;
    size_t sel = skipBlank(tokens_, open + 1);
    if (sel >= end || !isWord(tokens_[sel], "select")) return op;
    size_t close = matchingParen(tokens_, open);
    if (close >= end) return op;
    size_t from = findTopLevel(tokens_, sel + 1, close, "from");
    if (from == close || !isSimpleScalar(sel + 1, from, close)) return op;
    emit(op + 1, open);
    out += "(select case when count(*)>1 then ravlen_raise(-1427) else min(";
    emit(sel + 1, from);
    out += ") end ";
    emit(from, close + 1);
    return close;
  }

  // One plain column expression, no aggregate anywhere in it (not even
  // inside a function call), and no clause that the aggregate rewrite would
  // change.
  bool isSimpleScalar(size_t exprBegin, size_t from, size_t close) const {
    static constexpr std::string_view kClauses[] = {
        "group", "order", "union", "distinct", "having", "limit",
        "intersect", "except", "minus"};
    static constexpr std::string_view kAggregates[] = {
        "count", "sum", "min", "max", "avg", "total", "group_concat"};
    for (std::string_view word : kClauses) {
      if (findTopLevel(tokens_, exprBegin, close, word) != close) return false;
    }
    for (size_t i = exprBegin; i < from; ++i) {
      if (isPunct(tokens_[i], ",")) return false;
      for (std::string_view word : kAggregates) {
        if (isWord(tokens_[i], word)) return false;
      }
    }
    return true;
  }

  const std::vector<Token>& tokens_;
  std::string_view currentSchema_;
  int sysdateParameter_;
  std::vector<DateComparison> dateComparisons_;
};

}  // namespace

Translation translateStatement(std::string_view text,
                               std::string_view currentSchema) {
  ScannedStatement scanned = scanStatement(text);
  Translation tr;
  tr.kind = scanned.kind;
  tr.inputCount = scanned.inputCount;
  tr.selectInto = scanned.selectInto;
  tr.outputIndicators = std::move(scanned.outputIndicators);
  if (scanned.usesSysdate) tr.sysdateParameter = tr.inputCount + 1;
  Emitter emitter(scanned.tokens, currentSchema, tr.sysdateParameter);
  emitter.emit(0, scanned.tokens.size());
  tr.sql = std::move(emitter.out);
  return tr;
}

}  // namespace ravlen
