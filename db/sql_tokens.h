// Tokens of a statement text in the program's Oracle dialect, for the
// backends' translations.
//
// tokenizeSql splits a text into tokens whose texts, joined, give the text
// back byte for byte: words (identifiers, keywords and numbers: letters,
// digits, "_", "$", "#"), placeholders (":name"), texts in single quotes,
// quoted identifiers, comments, blank runs and punctuation ("<=", ">=",
// "<>", "!=" and "||" are one token). An unterminated quote or comment
// takes the rest of the text.
#ifndef RAVLEN_DB_SQL_TOKENS_H_
#define RAVLEN_DB_SQL_TOKENS_H_

#include <cstddef>
#include <string_view>
#include <vector>

namespace ravlen {

enum class SqlTokenType { kWord, kPlaceholder, kString, kQuoted, kComment,
                          kSpace, kPunct };

struct SqlToken {
  SqlTokenType type;
  std::string_view text;  // a view into the tokenized text
};

std::vector<SqlToken> tokenizeSql(std::string_view text);

bool isSqlWordChar(char c);
// Names compare case-insensitively (ASCII letters), as keywords do.
bool equalsNoCase(std::string_view a, std::string_view b);
// Whether `text` begins with `lowerPrefix` (given in lower case), ASCII
// letters of `text` in any case: format elements such as "yyyy" or "HH24".
bool startsWithNoCase(std::string_view text, std::string_view lowerPrefix);

bool isWord(const SqlToken& t, std::string_view word);
bool isPunct(const SqlToken& t, std::string_view p);

// Index of the next token from i on that is not blank or comment
// (tokens.size() when none).
size_t skipBlank(const std::vector<SqlToken>& tokens, size_t i);
// Index of the last token before i that is not blank or comment; npos when
// none.
size_t skipBlankBack(const std::vector<SqlToken>& tokens, size_t i);
// Index of the ")" that closes the "(" at `open`, or tokens.size().
size_t matchingParen(const std::vector<SqlToken>& tokens, size_t open);

}  // namespace ravlen

#endif  // RAVLEN_DB_SQL_TOKENS_H_
