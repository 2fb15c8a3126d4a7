#include "db/sqlite/translate.h"

#include <cctype>
#include <string>

#include "db/date_comparison.h"

namespace ravlen {
namespace {

using Tok = SqlTokenType;
using Token = SqlToken;

bool isComparison(const Token& t) {
  static constexpr std::string_view kOps[] = {"=", "<", ">", "<=",
                                              ">=", "<>", "!="};
  if (t.type != Tok::kPunct) return false;
  for (std::string_view op : kOps) {
    if (t.text == op) return true;
  }
  return false;
}

// Index of the first word `word` at parenthesis depth 0 in [begin, end).
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
    if (i + 1 < end && tokens_[i + 1].type == Tok::kPlaceholder) return i + 1;
    return i;
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

// Removes "into <outputs>" of a select-into and records the outputs.
void takeIntoList(std::vector<Token>& tokens, Translation& tr) {
  size_t into = findTopLevel(tokens, 0, tokens.size(), "into");
  size_t from = findTopLevel(tokens, 0, tokens.size(), "from");
  if (into == tokens.size() || into > from) return;
  tr.selectInto = true;
  for (size_t i = into + 1; i < from; ++i) {
    if (tokens[i].type != Tok::kPlaceholder) continue;
    bool indicator = i + 1 < from && tokens[i + 1].type == Tok::kPlaceholder;
    tr.outputIndicators.push_back(indicator);
    if (indicator) ++i;
  }
  tokens.erase(tokens.begin() + into, tokens.begin() + from);
}

int countInputs(const std::vector<Token>& tokens) {
  int count = 0;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].type != Tok::kPlaceholder) continue;
    ++count;
    if (i + 1 < tokens.size() && tokens[i + 1].type == Tok::kPlaceholder) ++i;
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

Translation translateStatement(std::string_view text,
                               std::string_view currentSchema) {
  Translation tr;
  std::vector<Token> tokens = tokenizeSql(text);
  tr.kind = kindOf(tokens);
  if (tr.kind == StatementKind::kQuery) takeIntoList(tokens, tr);
  tr.inputCount = countInputs(tokens);
  if (mentionsSysdate(tokens)) tr.sysdateParameter = tr.inputCount + 1;
  Emitter emitter(tokens, currentSchema, tr.sysdateParameter);
  emitter.emit(0, tokens.size());
  tr.sql = std::move(emitter.out);
  return tr;
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
  std::vector<Token> tokens = tokenizeSql(text);
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
