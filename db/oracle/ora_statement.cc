#include "db/oracle/ora_statement.h"

namespace ravlen {

OraStatementText oracleStatement(std::string_view text) {
  ScannedStatement scanned = scanStatement(text);
  OraStatementText out;
  out.kind = scanned.kind;
  out.inputCount = scanned.inputCount;
  out.selectInto = scanned.selectInto;
  out.outputIndicators = std::move(scanned.outputIndicators);
  const std::vector<Token>& tokens = scanned.tokens;
  for (size_t i = 0; i < tokens.size(); ++i) {
    out.sql.append(tokens[i].text);
    if (tokens[i].type == Tok::kPlaceholder) i = inputPlaceholderEnd(tokens, i);
  }
  return out;
}

}  // namespace ravlen
