#include "db/postgresql/pg_block_reads.h"

#include <cstdlib>
#include <string_view>

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


// Tokens [begin, end) with each parameter $i read as r.pi; false where a
// parameter is beyond k.
bool rowParameters(const std::vector<Token>& tokens, size_t begin, size_t end,
                   int k, std::string* out) {
  for (size_t i = begin; i < end; ++i) {
    int p = parameterOf(tokens[i]);
    if (p > k) return false;
    *out += p > 0 ? "r.p" + std::to_string(p) : std::string(tokens[i].text);
  }
  return true;
}

// The block statement around `sql` (see the header), its select list after
// `columns`; "" where `sql` has another shape.
std::string lateralBlock(const std::string& sql, int k,
                         const std::vector<Oid>& types, std::string columns,
                         const std::string& orderBy) {
  if (k < 1 || types.size() != static_cast<size_t>(k)) return "";
  std::vector<Token> tokens = tokenize(sql);
  size_t select = skipBlank(tokens, 0);
  size_t first = skipBlank(tokens, select + 1);
  if (first >= tokens.size() || !isWord(tokens[select], "select") ||
      isWord(tokens[first], "distinct") || isWord(tokens[first], "all"))
    return "";
  std::string inner = "select 1 as ravlen_found, " + columns;
  if (!rowParameters(tokens, first, tokens.size(), k, &inner)) return "";
  std::string source = unnestSource(types, "r");
  if (source.empty()) return "";
  return "select r.n, x.* from " + source + "\nleft join lateral (" + inner +
         "\n) x on true\norder by r.n" + orderBy;
}

}  // namespace

std::string blockSql(const PgTranslation& tr, const std::vector<Oid>& types) {
  if (!tr.selectInto || tr.parameterCount() != tr.inputCount) return "";
  return lateralBlock(tr.sql, tr.inputCount, types, "", "");
}

std::string rowsBlockSql(const PgTranslation& tr, const std::string& sql,
                         const std::vector<Oid>& types) {
  if (tr.selectInto || tr.parameterCount() != tr.inputCount) return "";
  std::vector<Token> tokens = tokenize(sql);
  size_t order = findTopLevel(tokens, 0, tokens.size(), "order");
  if (order == tokens.size())  // rows in the order the lookup finds them
    return lateralBlock(sql, tr.inputCount, types,
                        "row_number() over () as ravlen_row, ",
                        ", x.ravlen_row");
  size_t by = skipBlank(tokens, order + 1);
  if (by >= tokens.size() || !isWord(tokens[by], "by")) return "";
  size_t limit = findTopLevel(tokens, by, tokens.size(), "limit");
  std::string window = "row_number() over (order by";
  for (size_t i = by + 1; i < limit; ++i)  // not a select list position
    if (tokens[i].type == Tok::kWord &&
        tokens[i].text.find_first_not_of("0123456789") == std::string::npos)
      return "";
  if (!rowParameters(tokens, by + 1, limit, tr.inputCount, &window)) return "";
  return lateralBlock(sql, tr.inputCount, types,
                      window + ") as ravlen_row, ", ", x.ravlen_row");
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
  size_t size = 2;
  for (const std::optional<std::string>* v : values)
    size += (*v ? (*v)->size() + 3 : 5);
  std::string text;
  text.reserve(size);
  text += '{';
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text += ',';
    if (!*values[i]) {
      text += "NULL";
      continue;
    }
    text += '"';
    std::string_view rest = **values[i];
    for (size_t at; (at = rest.find_first_of("\"\\")) != rest.npos;) {
      text.append(rest.substr(0, at)).append(1, '\\').append(1, rest[at]);
      rest.remove_prefix(at + 1);
    }
    text.append(rest);
    text += '"';
  }
  text += '}';
  return text;
}

void rowsOfBlockRow(const PGresult* result, long n, int* next, int* first) {
  *first = *next;
  int rows = PQntuples(result);
  while (*next < rows && std::atol(PQgetvalue(result, *next, 0)) == n) ++*next;
}

}  // namespace ravlen
