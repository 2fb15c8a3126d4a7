#include "db/postgresql/pg_block_reads.h"

#include <cstdlib>

#include "db/postgresql/pg_inputs.h"
#include "db/statement_scan.h"

namespace ravlen {

namespace {

const char* arrayType(Oid type) {
  switch (type) {
    case kTextOid: return "text[]";
    case kInt4Oid: return "int4[]";
    case kFloat8Oid: return "float8[]";
    default: return nullptr;
  }
}

// The parameter number of a token "$n", else 0.
int parameterOf(const Token& t) {
  if (t.type != Tok::kWord || t.text.size() < 2 || t.text[0] != '$' ||
      t.text.find_first_not_of("0123456789", 1) != std::string_view::npos)
    return 0;
  return std::atoi(std::string(t.text.substr(1)).c_str());
}

}  // namespace

std::string blockSql(const PgTranslation& tr, const std::vector<Oid>& types) {
  int k = tr.inputCount;
  if (!tr.selectInto || tr.parameterCount() != k || k < 1 ||
      types.size() != static_cast<size_t>(k))
    return "";
  std::vector<Token> tokens = tokenize(tr.sql);
  size_t select = skipBlank(tokens, 0);
  size_t first = skipBlank(tokens, select + 1);
  if (first >= tokens.size() || !isWord(tokens[select], "select") ||
      isWord(tokens[first], "distinct") || isWord(tokens[first], "all"))
    return "";
  std::string inner = "select 1 as ravlen_found, ";
  for (size_t i = first; i < tokens.size(); ++i) {
    int p = parameterOf(tokens[i]);
    if (p > k) return "";
    inner += p > 0 ? "r.p" + std::to_string(p) : std::string(tokens[i].text);
  }
  std::string source = unnestSource(types, "r");
  if (source.empty()) return "";
  return "select r.n, x.* from " + source + "\nleft join lateral (" + inner +
         "\n) x on true\norder by r.n";
}

std::string unnestSource(const std::vector<Oid>& types,
                         const std::string& alias) {
  std::string arrays, names;
  for (size_t i = 1; i <= types.size(); ++i) {
    const char* type = arrayType(types[i - 1]);
    if (type == nullptr) return "";
    arrays += (i > 1 ? ", $" : "$") + std::to_string(i) + "::" + type;
    names += "p" + std::to_string(i) + ", ";
  }
  return "unnest(" + arrays + ") with ordinality as " + alias + "(" + names +
         "n)";
}

std::string arrayText(
    const std::vector<const std::optional<std::string>*>& values) {
  std::string text = "{";
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text += ',';
    if (!*values[i]) {
      text += "NULL";
      continue;
    }
    text += '"';
    for (char c : **values[i]) {
      if (c == '"' || c == '\\') text += '\\';
      text += c;
    }
    text += '"';
  }
  return text + "}";
}

void rowsOfBlockRow(const PGresult* result, long n, int* next, int* first) {
  *first = *next;
  int rows = PQntuples(result);
  while (*next < rows && std::atol(PQgetvalue(result, *next, 0)) == n) ++*next;
}

}  // namespace ravlen
