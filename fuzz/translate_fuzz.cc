// Fuzz target: the statement translations of both backends on arbitrary
// text (the embedded database's with and without a current schema, the
// server's), and the recognition of the schema switch.
//
// Besides what the sanitizers see, each accepted translation must keep its
// placeholder numbering: when the text itself holds no parameter marker
// ('?' for SQLite, '$' for PostgreSQL), the parameters in the result first
// appear as 1..inputCount in text order (a rewritten date comparison names
// its value's parameters twice on SQLite; on the server the bounds that
// the client computes from them stand in their place, numbered after
// sysdate), plus the sysdate parameter (inputCount+1) wherever sysdate
// stood; both count the same inputs.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/postgresql/pg_translate.h"
#include "db/sqlite/translate.h"
#include "fuzz/fuzz_check.h"

namespace ravlen {
namespace {

// `unnamed`: inputs that the text need not name; `lastParameter`: the
// highest parameter number allowed beyond inputs and sysdate.
template <typename AnyTranslation>
void checkParameters(std::string_view text, const AnyTranslation& tr,
                     char marker, const std::vector<int>& unnamed = {},
                     int lastParameter = 0) {
  fuzzCheck(tr.sysdateParameter == 0 ||
                tr.sysdateParameter == tr.inputCount + 1,
            "sysdate is the parameter after the inputs");
  if (text.find(marker) != std::string_view::npos) return;
  int nextInput = 1;
  const std::string& sql = tr.sql;
  for (size_t i = sql.find(marker); i != std::string::npos;
       i = sql.find(marker, i + 1)) {
    size_t end = i + 1;
    while (end < sql.size() && std::isdigit(static_cast<unsigned char>(sql[end])))
      ++end;
    fuzzCheck(end > i + 1 && end - i - 1 <= 9, "a parameter has its number");
    int number = std::stoi(sql.substr(i + 1, end - i - 1));
    if (tr.sysdateParameter != 0 && number == tr.sysdateParameter) continue;
    if (number > tr.inputCount + 1) {
      fuzzCheck(number <= lastParameter, "a bound is a parameter of its own");
      continue;
    }
    while (std::find(unnamed.begin(), unnamed.end(), nextInput - 1) !=
           unnamed.end())
      ++nextInput;
    fuzzCheck(number <= nextInput, "inputs are numbered in text order");
    if (number == nextInput) ++nextInput;
  }
  while (std::find(unnamed.begin(), unnamed.end(), nextInput - 1) !=
         unnamed.end())
    ++nextInput;
  fuzzCheck(nextInput == tr.inputCount + 1, "every input has its parameter");
}

void checkTranslation(std::string_view text, std::string_view schema) {
  Translation tr = translateStatement(text, schema);
  fuzzCheck(tr.inputCount >= 0, "input count is not negative");
  fuzzCheck(!tr.selectInto || tr.kind == StatementKind::kQuery,
            "only queries have an into list");
  fuzzCheck(tr.selectInto || tr.outputIndicators.empty(),
            "outputs only with an into list");
  if (text.find(':') == std::string_view::npos) {
    fuzzCheck(tr.inputCount == 0 && tr.outputIndicators.empty(),
              "no placeholder without ':'");
  }
  checkParameters(text, tr, '?');
}

void checkServerTranslation(std::string_view text) {
  PgTranslation tr = translateForPostgresql(text);
  Translation embedded = translateStatement(text, "");
  fuzzCheck(tr.inputCount == embedded.inputCount &&
                tr.outputIndicators == embedded.outputIndicators,
            "both backends bind the same host variables");
  std::vector<int> unnamed;
  for (const PgDateBound& b : tr.dateBounds) unnamed.push_back(b.input);
  checkParameters(text, tr, '$', unnamed, tr.parameterCount());
}

void checkSetSchema(std::string_view text) {
  std::string name = "unchanged";
  if (!parseSetSchema(text, &name)) {
    fuzzCheck(name == "unchanged", "a refused text leaves the name alone");
    return;
  }
  fuzzCheck(text.find(name) != std::string_view::npos,
            "the name is taken from the text");
  if (name.empty()) return;
  constexpr std::string_view kBlanks = " \t\r\n";
  fuzzCheck(kBlanks.find(name.front()) == std::string_view::npos &&
                kBlanks.find(name.back()) == std::string_view::npos,
            "the name has no surrounding blanks");
}

}  // namespace
}  // namespace ravlen

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ravlen;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  checkTranslation(text, "");
  checkTranslation(text, "KalDeron");
  checkServerTranslation(text);
  checkSetSchema(text);
  return 0;
}
