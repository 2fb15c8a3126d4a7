#include "db/postgresql/pg_write_pair.h"

#include <cstdlib>
#include <vector>

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

// `sql` with every parameter $n as $(n + offset).
std::string shifted(const std::string& sql, int offset) {
  std::string out;
  for (const Token& t : tokenize(sql)) {
    bool parameter = t.type == Tok::kWord && t.text.size() > 1 &&
                     t.text[0] == '$' &&
                     t.text.find_first_not_of("0123456789", 1) ==
                         std::string_view::npos;
    if (parameter)
      out += '$' + std::to_string(std::atoi(t.text.data() + 1) + offset);
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

bool plain(const PgTranslation& tr) {
  return tr.parameterCount() == tr.inputCount;
}

int64_t countAt(const PGresult* r, int column) {
  return std::strtoll(PQgetvalue(r, 0, column), nullptr, 10);
}

}  // namespace

std::string pairSql(WritePattern pattern, const PgTranslation& first,
                    const PgTranslation& second) {
  if (!plain(first) || !plain(second)) return "";
  bool updateFirst = pattern == WritePattern::kUpdateElseInsert;
  StatementKind firstKind =
      updateFirst ? StatementKind::kUpdate : StatementKind::kInsert;
  StatementKind secondKind =
      updateFirst ? StatementKind::kInsert : StatementKind::kUpdate;
  if (first.kind != firstKind || second.kind != secondKind) return "";
  std::string a = updateFirst ? first.sql
                              : first.sql + "\non conflict do nothing";
  std::string secondSql = shifted(second.sql, first.inputCount);
  std::string b = updateFirst ? insertWhereAMissed(secondSql)
                              : updateWhereAMissed(secondSql);
  if (b.empty()) return "";
  return "with a as (" + a + "\nreturning 1), b as (" + b +
         "\nreturning 1) select (select count(*) from a), "
         "(select count(*) from b)";
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
