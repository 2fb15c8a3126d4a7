#include "db/oracle/ora_pair_key.h"

#include <cstdio>
#include <cstring>

#include "db/statement_scan.h"

namespace ravlen {

namespace {

constexpr int kNoInput = -1;

// The input number of each token that begins an input placeholder.
std::vector<int> inputNumbers(const std::vector<Token>& tokens) {
  std::vector<int> numbers(tokens.size(), kNoInput);
  int next = 0;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].type != Tok::kPlaceholder) continue;
    numbers[i] = next++;
    i = inputPlaceholderEnd(tokens, i);
  }
  return numbers;
}

std::string numberKey(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value == 0 ? 0.0 : value);
  return text;
}

std::string valueKey(const HostVar& v) {
  const char* at = static_cast<const char*>(v.address);
  switch (v.kind) {
    case HostKind::kText: {
      std::string_view text(at, strnlen(at, v.bufferSize - 1));
      while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
      return upperAscii(text);
    }
    case HostKind::kInt: {
      int32_t value;
      std::memcpy(&value, at, sizeof value);
      return numberKey(value);
    }
    case HostKind::kDouble: {
      double value;
      std::memcpy(&value, at, sizeof value);
      return numberKey(value);
    }
  }
  return {};
}

}  // namespace

std::vector<size_t> updateKeyInputs(std::string_view updateText) {
  ScannedStatement scan = scanStatement(updateText);
  const std::vector<Token>& tokens = scan.tokens;
  size_t end = tokens.size();
  size_t where = findTopLevel(tokens, 0, end, "where");
  if (scan.kind != StatementKind::kUpdate || where == end) return {};
  std::vector<int> numbers = inputNumbers(tokens);
  std::vector<size_t> key;
  for (size_t at = skipBlank(tokens, where + 1); at < end;
       at = skipBlank(tokens, at + 1)) {
    const Token& t = tokens[at];
    if (isPunct(t, "(") || isPunct(t, ")") || isWord(t, "and")) continue;
    size_t left = at;
    size_t equals = skipBlank(tokens, inputPlaceholderEnd(tokens, left) + 1);
    size_t right = skipBlank(tokens, equals + 1);
    if (right >= end || !isPunct(tokens[equals], "=")) return {};
    bool leftInput = numbers[left] != kNoInput;
    size_t input = leftInput ? left : right;
    size_t column = leftInput ? right : left;
    if (numbers[input] == kNoInput || tokens[column].type != Tok::kWord)
      return {};
    key.push_back(static_cast<size_t>(numbers[input]));
    at = leftInput ? right : inputPlaceholderEnd(tokens, right);
  }
  return key;
}

std::optional<std::string> rowKey(HostVars in,
                                  const std::vector<size_t>& inputs) {
  if (inputs.empty()) return std::nullopt;
  std::string key;
  for (size_t i : inputs) {
    if (i >= in.size()) return std::nullopt;
    key += valueKey(in[i]);
    key += '\0';  // texts end at their terminator: no value holds one
  }
  return key;
}

}  // namespace ravlen
