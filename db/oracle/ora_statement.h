// The text that the Oracle server gets for one of the program's statement
// texts: what embedded SQL itself takes out, nothing else.
//
//  - a select-into loses its "into" list: its outputs become define
//    positions 1, 2, ... of the query, in order (which of them carry an
//    indicator is recorded);
//  - an indicator placeholder written directly after an input (":b0:b1")
//    is taken out, the input stays;
//  - everything else (placeholders ":bN", each occurrence bound by its
//    position; sysdate; functions; names) reaches the server as written.
// The shared front end (statement_scan.h) reads the text.
#ifndef RAVLEN_DB_ORACLE_ORA_STATEMENT_H_
#define RAVLEN_DB_ORACLE_ORA_STATEMENT_H_

#include <string>
#include <string_view>
#include <vector>

#include "db/statement_scan.h"

namespace ravlen {

struct OraStatementText {
  std::string sql;
  ScannedStatement scan;  // what the front end read, without its tokens
};

OraStatementText oracleStatement(std::string_view text);

}  // namespace ravlen

#endif  // RAVLEN_DB_ORACLE_ORA_STATEMENT_H_
