#include "settings/settings_reader.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>

#include "settings/cipher.h"

namespace ravlen {

namespace {

constexpr size_t kFieldChars = 200;
constexpr size_t kNumberChars = 11;

SettingEntry entry;
SettingsFileState lastState = SettingsFileState::kRead;

void clearEntry() {
  entry.number = 0;
  entry.group.clear();
  entry.key.clear();
  entry.value.clear();
}

// One whole line without its line end (LF, or CR LF). False at the end of
// the file, and for a line longer than kMaxSettingsLineBytes (then
// *tooLong is set): such a line is not read further.
bool readLine(std::istream& in, std::string* line, bool* tooLong) {
  line->clear();
  std::streambuf* buffer = in.rdbuf();
  bool any = false;
  for (int c; (c = buffer->sbumpc()) != std::char_traits<char>::eof();) {
    any = true;
    if (c == '\n') break;
    if (line->size() == kMaxSettingsLineBytes) {
      *tooLong = true;
      return false;
    }
    line->push_back(static_cast<char>(c));
  }
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return any;
}

std::string groupOfLine(std::string_view line) {
  size_t first = line.find(';');
  if (first == std::string_view::npos) return {};
  size_t second = line.find(';', first + 1);
  if (second == std::string_view::npos) return {};
  if (second == first + 1) return std::string(line.substr(first + 1)) + '\n';
  return std::string(line.substr(first + 1, second - first - 1));
}

// Byte-exact cut to the field's 200 characters.
void setGroup(std::string_view group) {
  entry.group.clear();
  std::memcpy(entry.group.data(), group.data(), std::min(group.size(), kFieldChars));
}

int32_t parseNumber(std::string_view field) {
  size_t pos = 0;
  while (pos < field.size() && std::isspace(static_cast<unsigned char>(field[pos]))) ++pos;
  bool negative = false;
  if (pos < field.size() && (field[pos] == '+' || field[pos] == '-')) {
    negative = field[pos] == '-';
    ++pos;
  }
  int64_t value = 0;  // at most 11 characters: no overflow here
  for (; pos < field.size() && field[pos] >= '0' && field[pos] <= '9'; ++pos) {
    value = value * 10 + (field[pos] - '0');
  }
  if (negative) value = -value;
  value = std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                              std::numeric_limits<int32_t>::max());
  return static_cast<int32_t>(value);
}

bool fieldFits(std::string_view field, size_t limit) {
  return !field.empty() && field.size() <= limit;
}

// Fills number, key and value from a value line; false when the line does
// not have the form number;key;value with fields that fit.
bool parseValueLine(std::string_view line) {
  size_t first = line.find(';');
  if (first == std::string_view::npos) return false;
  size_t second = line.find(';', first + 1);
  if (second == std::string_view::npos) return false;
  std::string_view number = line.substr(0, first);
  std::string_view key = line.substr(first + 1, second - first - 1);
  std::string_view value = line.substr(second + 1);
  if (!fieldFits(number, kNumberChars) || !fieldFits(key, kFieldChars) ||
      !fieldFits(value, kFieldChars)) {
    return false;
  }
  entry.number = parseNumber(number);
  entry.key.assign(key);
  entry.value.assign(value);
  return true;
}

bool isSelected(std::string_view group, std::string_view key, int32_t number) {
  return entry.group.view() == group || entry.key.view() == key || entry.number == number;
}

void decipherSelectedValue() {
  char clear[kFieldChars / 2 + 1];  // half the enciphered digits plus terminator
  decipherValue(entry.value.c_str(), clear, kSettingsKey);
  entry.value.assign(clear);
}

}  // namespace

const SettingEntry& readSetting(std::string_view group, std::string_view key,
                                int32_t number, std::string_view path) {
  clearEntry();
  lastState = SettingsFileState::kRead;
  std::ifstream in{std::string(path)};
  if (!in) {
    lastState = SettingsFileState::kNotOpened;
    return entry;
  }
  std::string groupLine, valueLine;
  bool tooLong = false;
  while (readLine(in, &groupLine, &tooLong) &&
         readLine(in, &valueLine, &tooLong)) {
    setGroup(groupOfLine(groupLine));
    if (parseValueLine(valueLine) && isSelected(group, key, number)) {
      decipherSelectedValue();
      return entry;
    }
    clearEntry();
  }
  clearEntry();
  if (tooLong) lastState = SettingsFileState::kLineTooLong;
  return entry;
}

SettingsFileState lastSettingsFileState() { return lastState; }

}  // namespace ravlen
