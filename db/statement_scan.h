// The front end that every backend's translator shares: the program's
// Oracle statement texts split into tokens and read for what the statement
// layer needs to know, whatever database runs them.
//
//  - tokenize() splits a text into its tokens (sql_tokens.h);
//  - scanStatement() tells the statement's kind, removes the "into" list of
//    a select-into (recording each output with or without its indicator),
//    counts the input placeholders (an indicator directly after an input,
//    ":b0:b1", is not an input) and notes whether the word sysdate occurs;
//  - parseSetSchema() recognises the session's schema statement.
// Token texts point into the scanned text, which must outlive them.
#ifndef RAVLEN_DB_STATEMENT_SCAN_H_
#define RAVLEN_DB_STATEMENT_SCAN_H_

#include <string>
#include <string_view>
#include <vector>

#include "db/sql_tokens.h"

namespace ravlen {

// The tokens are those of sql_tokens.h, under shorter names.
using Tok = SqlTokenType;
using Token = SqlToken;

inline std::vector<Token> tokenize(std::string_view text) {
  return tokenizeSql(text);
}

// "=", "<", ">", "<=", ">=", "<>", "!="
bool isComparison(const Token& t);
// Index of the first word `word` at parenthesis depth 0 in [begin, end),
// else `end`.
size_t findTopLevel(const std::vector<Token>& tokens, size_t begin,
                    size_t end, std::string_view word);

enum class StatementKind { kQuery, kInsert, kUpdate, kDelete, kOther };

struct ScannedStatement {
  std::vector<Token> tokens;  // without the into list of a select-into
  StatementKind kind = StatementKind::kOther;
  int inputCount = 0;  // host variables the caller binds
  bool selectInto = false;
  // One entry per select-into output: true when it has an indicator.
  std::vector<bool> outputIndicators;
  bool usesSysdate = false;
};

ScannedStatement scanStatement(std::string_view text);

// True for the kinds that change rows.
bool writesRows(StatementKind kind);

// The table that an insert, update or delete writes, in lower case and
// without its schema ("kalderon.zev800dwh" is "zev800dwh"); "" for any
// other statement.
std::string writtenTable(std::string_view text);

// The words of a text in lower case, each once: a superset of the tables
// that a statement reads.
std::vector<std::string> lowerWords(std::string_view text);

// Recognises "ALTER SESSION SET CURRENT_SCHEMA=NAME" (keywords in any case,
// blanks around "=" allowed). Returns false for any other statement; on true
// *name holds the text after "=" with surrounding blanks removed, which may
// still be empty or not an identifier.
bool parseSetSchema(std::string_view text, std::string* name);

// The text with its ASCII letters in lower case: the case that unquoted
// names fold to on a PostgreSQL server.
std::string lowerAscii(std::string_view text);
// In upper case: the case that unquoted names fold to on an Oracle server.
std::string upperAscii(std::string_view text);

// The index of the last token of the input placeholder at `i`: its
// indicator when one follows directly (":b0:b1"), else `i`.
size_t inputPlaceholderEnd(const std::vector<Token>& tokens, size_t i);

// An unquoted identifier: a letter, then letters, digits, "_", "$", "#";
// at most 128 characters.
bool isPlainIdentifier(std::string_view name);

}  // namespace ravlen

#endif  // RAVLEN_DB_STATEMENT_SCAN_H_
