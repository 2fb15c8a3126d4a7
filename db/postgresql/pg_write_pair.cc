#include "db/postgresql/pg_write_pair.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "db/postgresql/pg_block_reads.h"
#include "db/sql_tokens.h"
#include "db/statement_scan.h"

namespace ravlen {

namespace {

constexpr char kNoRowOfA[] = " not exists (select 1 from a)";

std::string join(const std::vector<Token>& tokens, size_t begin, size_t end) {
  std::string text;
  for (size_t i = begin; i < end; ++i) text += tokens[i].text;
  return text;
}

// `sql` with every parameter $n as $(numbers[n - 1]).
std::string renumbered(const std::string& sql, const std::vector<int>& numbers) {
  std::string out;
  for (const Token& t : tokenize(sql)) {
    bool parameter = t.type == Tok::kWord && t.text.size() > 1 &&
                     t.text[0] == '$' &&
                     t.text.find_first_not_of("0123456789", 1) ==
                         std::string_view::npos;
    size_t n = parameter ? std::strtoul(t.text.data() + 1, nullptr, 10) : 0;
    if (n >= 1 && n <= numbers.size())
      out += '$' + std::to_string(numbers[n - 1]);
    else
      out += t.text;
  }
  return out;
}

// "insert into T (c) values (v)" as "insert into T (c) select v where not
// exists (select 1 from a)"; "" without a closing values list.
std::string insertWhereAMissed(const std::string& sql) {
  std::vector<Token> tokens = tokenize(sql);
  size_t values = findTopLevel(tokens, 0, tokens.size(), "values");
  size_t open = skipBlank(tokens, values + 1);
  if (values == tokens.size() || open >= tokens.size() ||
      !isPunct(tokens[open], "("))
    return "";
  size_t close = matchingParen(tokens, open);
  if (close == tokens.size() || skipBlank(tokens, close + 1) != tokens.size())
    return "";
  return join(tokens, 0, values) + "select " +
         join(tokens, open + 1, close) + " where" + kNoRowOfA;
}

// "update T set x=1 where c" as "update T set x=1 where (c) and not exists
// (select 1 from a)"; "" without a where clause.
std::string updateWhereAMissed(const std::string& sql) {
  std::vector<Token> tokens = tokenize(sql);
  size_t where = findTopLevel(tokens, 0, tokens.size(), "where");
  if (where == tokens.size()) return "";
  return join(tokens, 0, where + 1) + " (" +
         join(tokens, where + 1, tokens.size()) + "\n) and" + kNoRowOfA;
}

bool isParameter(const Token& t) {
  return t.type == Tok::kWord && t.text.size() > 1 && t.text[0] == '$';
}

// The table after `at` (its last name part, lower case) and the index
// after it.
size_t tableAt(const std::vector<Token>& tokens, size_t at,
               std::string* table) {
  at = skipBlank(tokens, at);
  while (at + 2 < tokens.size() && isPunct(tokens[at + 1], ".")) at += 2;
  if (at >= tokens.size() || tokens[at].type != Tok::kWord) return tokens.size();
  *table = lowerAscii(tokens[at].text);
  return at + 1;
}

// The comma-separated single tokens of a parenthesized list at `open`;
// false when an element is more than one token.
bool singleTokens(const std::vector<Token>& tokens, size_t open,
                  std::vector<std::string>* items, size_t* close) {
  *close = matchingParen(tokens, open);
  if (open >= tokens.size() || !isPunct(tokens[open], "(") ||
      *close == tokens.size())
    return false;
  for (size_t at = skipBlank(tokens, open + 1); at < *close;) {
    items->push_back(lowerAscii(tokens[at].text));
    at = skipBlank(tokens, at + 1);
    if (at < *close && !isPunct(tokens[at], ",")) return false;
    if (at < *close) at = skipBlank(tokens, at + 1);
  }
  return true;
}

struct Insert {
  std::string table;
  std::vector<std::string> columns, values;
};

// "insert into T (c1, ...) values ($1, ...)".
bool parseInsert(const std::string& sql, Insert* insert) {
  std::vector<Token> tokens = tokenize(sql);
  size_t into = findTopLevel(tokens, 0, tokens.size(), "into");
  size_t open = skipBlank(tokens, tableAt(tokens, into + 1, &insert->table));
  size_t close = 0;
  if (into == tokens.size() || !singleTokens(tokens, open, &insert->columns, &close))
    return false;
  size_t values = skipBlank(tokens, close + 1);
  if (values >= tokens.size() || !isWord(tokens[values], "values") ||
      !singleTokens(tokens, skipBlank(tokens, values + 1), &insert->values,
                    &close) ||
      skipBlank(tokens, close + 1) != tokens.size())
    return false;
  return insert->columns.size() == insert->values.size();
}

struct Update {
  std::string table;
  std::vector<Token> setList;
  std::vector<std::pair<std::string, std::string>> keys;  // column, $n
};

// "update T set ... where (a=$1 and b=$2)": the condition a conjunction of
// column = parameter.
bool parseUpdate(const std::string& sql, Update* update) {
  std::vector<Token> tokens = tokenize(sql);
  size_t first = skipBlank(tokens, 0);
  if (first >= tokens.size() || !isWord(tokens[first], "update")) return false;
  tableAt(tokens, first + 1, &update->table);
  size_t set = findTopLevel(tokens, 0, tokens.size(), "set");
  size_t where = findTopLevel(tokens, 0, tokens.size(), "where");
  if (set == tokens.size() || where == tokens.size() || where < set)
    return false;
  update->setList.assign(tokens.begin() + static_cast<long>(set) + 1,
                         tokens.begin() + static_cast<long>(where));
  for (size_t at = skipBlank(tokens, where + 1); at < tokens.size();
       at = skipBlank(tokens, at + 1)) {
    const Token& t = tokens[at];
    if (isPunct(t, "(") || isPunct(t, ")") || isWord(t, "and")) continue;
    size_t equals = skipBlank(tokens, at + 1);
    size_t value = skipBlank(tokens, equals + 1);
    if (t.type != Tok::kWord || isParameter(t) || value >= tokens.size() ||
        !isPunct(tokens[equals], "=") || !isParameter(tokens[value]))
      return false;
    update->keys.push_back({lowerAscii(t.text), std::string(tokens[value].text)});
    at = value;
  }
  return !update->keys.empty();
}

bool plain(const PgTranslation& tr) {
  return tr.parameterCount() == tr.inputCount;
}

int64_t countAt(const PGresult* r, int column) {
  return std::strtoll(PQgetvalue(r, 0, column), nullptr, 10);
}

}  // namespace

std::string pairSql(WritePattern pattern, const PgTranslation& first,
                    const PgTranslation& second,
                    const std::vector<int>& secondNumbers) {
  if (!plain(first) || !plain(second)) return "";
  bool updateFirst = pattern == WritePattern::kUpdateElseInsert;
  StatementKind firstKind =
      updateFirst ? StatementKind::kUpdate : StatementKind::kInsert;
  StatementKind secondKind =
      updateFirst ? StatementKind::kInsert : StatementKind::kUpdate;
  if (first.kind != firstKind || second.kind != secondKind) return "";
  std::string a = updateFirst ? first.sql
                              : first.sql + "\non conflict do nothing";
  std::string secondSql = renumbered(second.sql, secondNumbers);
  std::string b = updateFirst ? insertWhereAMissed(secondSql)
                              : updateWhereAMissed(secondSql);
  if (b.empty()) return "";
  return "with a as (" + a + "\nreturning 1), b as (" + b +
         "\nreturning 1) select (select count(*) from a), "
         "(select count(*) from b)";
}

std::vector<int> sharedNumbers(HostVars first, HostVars second) {
  std::vector<int> numbers;
  int next = static_cast<int>(first.size());
  for (const HostVar& v : second) {
    int number = 0;
    for (size_t j = 0; j < first.size() && number == 0; ++j) {
      if (first[j].address == v.address && first[j].kind == v.kind)
        number = static_cast<int>(j) + 1;
    }
    numbers.push_back(number ? number : ++next);
  }
  return numbers;
}

// The update's set list for "on conflict do update", where a bare column
// name would mean the proposed row as well as the stored one: each column
// of `columns` on the right of "=" names the stored row, "t.<column>".
// "" when the right side holds another word (a function, say).
std::string storedRowSetList(const std::vector<Token>& set,
                             const std::vector<std::string>& columns) {
  std::string out;
  int depth = 0;
  bool right = false;
  for (const Token& t : set) {
    if (isPunct(t, "(")) ++depth;
    if (isPunct(t, ")")) --depth;
    if (depth == 0 && isPunct(t, ",")) right = false;
    bool name = right && t.type == Tok::kWord && !isParameter(t);
    if (name && std::find(columns.begin(), columns.end(),
                          lowerAscii(t.text)) == columns.end())
      return "";
    out += name ? "t." + std::string(t.text) : std::string(t.text);
    if (depth == 0 && isPunct(t, "=")) right = true;
  }
  return out;
}

bool keepsKey(const std::string& update) {
  Update u;
  if (!parseUpdate(update, &u)) return false;
  int depth = 0;
  bool target = true;
  for (const Token& t : u.setList) {
    if (isPunct(t, "(")) ++depth;
    if (isPunct(t, ")")) --depth;
    if (depth == 0 && isPunct(t, ",")) target = true;
    if (!target || t.type != Tok::kWord) continue;
    for (const auto& key : u.keys)
      if (key.first == lowerAscii(t.text)) return false;
    target = false;
  }
  return true;
}

std::string upsertSql(WritePattern pattern, const PgTranslation& first,
                      const PgTranslation& second,
                      const std::vector<int>& secondNumbers,
                      const std::vector<int>& firstNumbers) {
  if (!plain(first) || !plain(second)) return "";
  bool updateFirst = pattern == WritePattern::kUpdateElseInsert;
  std::string insertSql = updateFirst
                              ? renumbered(second.sql, secondNumbers)
                              : first.sql;
  std::string updateSql = updateFirst
                              ? first.sql
                              : renumbered(second.sql, secondNumbers);
  Insert insert;
  Update update;
  if (!parseInsert(insertSql, &insert) || !parseUpdate(updateSql, &update) ||
      insert.table != update.table)
    return "";
  // A parameter of the first step as the number of the first of its
  // parameters that binds the same host variable; the second step's are
  // numbered so already.
  auto same = [&firstNumbers](const std::string& parameter) {
    int n = parameter.size() > 1 && parameter[0] == '$'
                ? std::atoi(parameter.c_str() + 1) : 0;
    if (n < 1 || static_cast<size_t>(n) > firstNumbers.size()) return parameter;
    std::string number = "$";
    number += std::to_string(firstNumbers[n - 1]);
    return number;
  };
  std::string keys;
  for (const auto& [column, parameter] : update.keys) {
    size_t at = 0;
    while (at < insert.columns.size() && insert.columns[at] != column) ++at;
    if (at == insert.columns.size() ||
        same(insert.values[at]) != same(parameter))
      return "";
    keys += (keys.empty() ? "" : ",") + column;
  }
  std::string setList = storedRowSetList(update.setList, insert.columns);
  std::vector<Token> tokens = tokenize(insertSql);
  size_t into = findTopLevel(tokens, 0, tokens.size(), "into");
  std::string table;
  size_t after = tableAt(tokens, into + 1, &table);
  if (setList.empty() || after == tokens.size()) return "";
  return join(tokens, 0, after) + " as t" + join(tokens, after, tokens.size()) +
         "\non conflict (" + keys + ") do update set" + setList +
         "\nreturning (xmax = 0)";
}

WriteOutcome upsertOutcome(WritePattern pattern, const PGresult* inserted,
                           int row) {
  bool isNew = std::string_view(PQgetvalue(inserted, row, 0)) == "t";
  bool updateFirst = pattern == WritePattern::kUpdateElseInsert;
  WriteOutcome outcome;
  outcome.first.failedOp = StatementOp::kExecute;
  if (isNew == updateFirst) {  // the first step did the work
    outcome.first.status = sqlstatus::kOk;
    return outcome;
  }
  outcome.first.status =
      updateFirst ? sqlstatus::kNoData : sqlstatus::kUniqueKey;
  outcome.second = LaterOutcome{sqlstatus::kOk, StatementOp::kExecute, ""};
  return outcome;
}

WriteOutcome pairOutcome(WritePattern pattern, const PGresult* counts) {
  bool firstTouched = countAt(counts, 0) > 0;
  bool secondTouched = countAt(counts, 1) > 0;
  WriteOutcome outcome;
  if (firstTouched) {
    outcome.first.status = sqlstatus::kOk;
    return outcome;
  }
  outcome.first.failedOp = StatementOp::kExecute;
  outcome.first.status = pattern == WritePattern::kUpdateElseInsert
                             ? sqlstatus::kNoData
                             : sqlstatus::kUniqueKey;
  LaterOutcome second;
  second.status = secondTouched ? sqlstatus::kOk : sqlstatus::kNoData;
  outcome.second = second;
  return outcome;
}

}  // namespace ravlen

namespace ravlen {

std::string rowsUpsertSql(const std::string& upsert,
                          const std::vector<Oid>& types) {
  std::vector<Token> tokens = tokenize(upsert);
  size_t n = tokens.size();
  size_t values = findTopLevel(tokens, 0, n, "values");
  size_t columnsOpen = 0;
  while (columnsOpen < values && !isPunct(tokens[columnsOpen], "("))
    ++columnsOpen;
  std::vector<std::string> columns, items;
  size_t columnsClose = 0, close = 0;
  if (values == n ||
      !singleTokens(tokens, columnsOpen, &columns, &columnsClose) ||
      !singleTokens(tokens, skipBlank(tokens, values + 1), &items, &close) ||
      columns.size() != items.size())
    return "";
  std::string source = unnestSource(types, "u");
  if (source.empty()) return "";
  std::string select = "select ";
  for (size_t i = 0; i < items.size(); ++i) {
    if (!isParameter(Token{Tok::kWord, items[i]})) return "";
    select += (i ? ", u.p" : "u.p") + items[i].substr(1);
  }
  std::string rest;
  for (size_t i = close + 1; i < n; ++i) {
    if (!isParameter(tokens[i])) {
      rest += tokens[i].text;
      continue;
    }
    auto at = std::find(items.begin(), items.end(), lowerAscii(tokens[i].text));
    if (at == items.end()) return "";
    rest += "excluded." + columns[static_cast<size_t>(at - items.begin())];
  }
  return join(tokens, 0, values) + select + " from " + source + rest;
}

}  // namespace ravlen
