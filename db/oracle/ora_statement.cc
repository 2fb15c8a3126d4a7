#include "db/oracle/ora_statement.h"

namespace ravlen {

OraStatementText oracleStatement(std::string_view text) {
  OraStatementText out;
  out.scan = scanStatement(text);
  const std::vector<Token>& tokens = out.scan.tokens;
  for (size_t i = 0; i < tokens.size(); ++i) {
    out.sql.append(tokens[i].text);
    if (tokens[i].type == Tok::kPlaceholder) i = inputPlaceholderEnd(tokens, i);
  }
  out.scan.tokens.clear();  // they point into `text`
  return out;
}

}  // namespace ravlen
