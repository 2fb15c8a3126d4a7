#include "db/write_pair_key.h"

#include <cstdio>
#include <cstring>

#include "db/statement_scan.h"

namespace ravlen {
namespace {

// The statement's tokens without blanks and comments, each input
// placeholder with the number of the input it binds (its place among the
// inputs; an indicator directly after an input is no input of its own).
struct Words {
  std::vector<Token> tokens;
  std::vector<int> input;  // per token: its input, or -1
};

Words readWords(std::string_view text) {
  std::vector<Token> all = tokenize(text);
  Words words;
  int next = 0;
  size_t indicatorEnd = 0;  // the indicator of the last input, if any
  for (size_t i = skipBlank(all, 0); i < all.size(); i = skipBlank(all, i + 1)) {
    bool input = all[i].type == Tok::kPlaceholder && i > indicatorEnd;
    if (input) indicatorEnd = inputPlaceholderEnd(all, i);
    words.tokens.push_back(all[i]);
    words.input.push_back(input ? next++ : -1);
  }
  return words;
}

bool plainName(const Token& t) {
  return t.type == Tok::kWord && isPlainIdentifier(t.text);
}

// The table name at `at` ("T" or "S.T"); the index after it, or 0.
size_t readTable(const Words& w, size_t at, std::string* table) {
  const std::vector<Token>& t = w.tokens;
  if (at >= t.size() || !plainName(t[at])) return 0;
  *table = std::string(t[at].text);
  if (at + 2 < t.size() && isPunct(t[at + 1], ".") && plainName(t[at + 2])) {
    *table += "." + std::string(t[at + 2].text);
    at += 2;
  }
  return at + 1;
}

// One term "C = :bN" or ":bN = C" at `at`: its column and input.
bool readTerm(const Words& w, size_t at, std::string* column, size_t* input) {
  const std::vector<Token>& t = w.tokens;
  if (at + 2 >= t.size() || !isPunct(t[at + 1], "=")) return false;
  bool inputFirst = w.input[at] >= 0;
  size_t name = inputFirst ? at + 2 : at;
  size_t value = inputFirst ? at : at + 2;
  if (!plainName(t[name]) || w.input[value] < 0) return false;
  *column = std::string(t[name].text);
  *input = static_cast<size_t>(w.input[value]);
  return true;
}

// "insert into T (C, ...) values (:bN, ...)": per column its input.
bool readInsert(std::string_view text, std::string* table,
                std::vector<std::string>* columns, std::vector<int>* inputs) {
  Words w = readWords(text);
  if (w.tokens.size() < 2 ||
      !isWord(w.tokens[0], "insert") || !isWord(w.tokens[1], "into"))
    return false;
  const std::vector<Token>& t = w.tokens;
  size_t at = readTable(w, 2, table);
  if (at == 0 || at >= t.size() || !isPunct(t[at], "(")) return false;
  for (++at; at + 1 < t.size() && plainName(t[at]); at += 2) {
    columns->emplace_back(t[at].text);
    if (isPunct(t[at + 1], ")")) break;
    if (!isPunct(t[at + 1], ",")) return false;
  }
  at += 2;
  if (at + 1 >= t.size() || !isWord(t[at], "values") ||
      !isPunct(t[at + 1], "("))
    return false;
  at += 2;
  for (size_t i = 0; i < columns->size(); ++i, at += 2) {
    const char* after = i + 1 < columns->size() ? "," : ")";
    if (at + 1 >= t.size() || w.input[at] < 0 || !isPunct(t[at + 1], after))
      return false;
    inputs->push_back(w.input[at]);
  }
  return at == t.size() && !columns->empty();
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

bool readUpdateKey(std::string_view text, PairKey* key) {
  Words w = readWords(text);
  if (w.tokens.empty() || !isWord(w.tokens[0], "update")) return false;
  const std::vector<Token>& t = w.tokens;
  size_t set = readTable(w, 1, &key->table);
  size_t where = findTopLevel(t, 0, t.size(), "where");
  if (set == 0 || set >= t.size() || !isWord(t[set], "set") ||
      where == t.size())
    return false;
  for (size_t at = where + 1; at < t.size(); ++at) {
    if (isPunct(t[at], "(") || isPunct(t[at], ")") || isWord(t[at], "and"))
      continue;
    std::string column;
    size_t input = 0;
    if (!readTerm(w, at, &column, &input)) return false;
    key->columns.push_back(std::move(column));
    key->updateInputs.push_back(input);
    at += 2;
  }
  return !key->columns.empty();
}


bool readPairKey(WritePattern pattern, std::string_view first,
                 std::string_view second, PairKey* key) {
  bool updateFirst = pattern == WritePattern::kUpdateElseInsert;
  std::string table;
  std::vector<std::string> columns;
  std::vector<int> inputs;
  if (!readUpdateKey(updateFirst ? first : second, key) ||
      !readInsert(updateFirst ? second : first, &table, &columns, &inputs) ||
      !equalsNoCase(table, key->table))
    return false;
  for (const std::string& column : key->columns) {
    size_t i = 0;
    while (i < columns.size() && !equalsNoCase(columns[i], column)) ++i;
    if (i == columns.size()) return false;
    key->insertInputs.push_back(static_cast<size_t>(inputs[i]));
  }
  return true;
}

bool sameKeyValues(const PairKey& key, const WriteSteps& steps) {
  bool updateFirst = steps.pattern == WritePattern::kUpdateElseInsert;
  HostVars update = updateFirst ? steps.firstIn : steps.secondIn;
  HostVars insert = updateFirst ? steps.secondIn : steps.firstIn;
  for (size_t i = 0; i < key.columns.size(); ++i) {
    size_t u = key.updateInputs[i], n = key.insertInputs[i];
    if (u >= update.size() || n >= insert.size() ||
        update[u].address != insert[n].address ||
        update[u].kind != insert[n].kind ||
        update[u].bufferSize != insert[n].bufferSize ||
        update[u].indicator != insert[n].indicator)
      return false;
  }
  return true;
}

std::vector<size_t> updateKeyInputs(std::string_view updateText) {
  PairKey key;
  if (!readUpdateKey(updateText, &key)) return {};
  return key.updateInputs;
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
