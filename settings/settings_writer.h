// Writing settings files that the program reads: each of NET8, SCHEMA, LOGIN
// and PASS as one entry (a group line ";Datenbank;" and a value line
// "<n>;<KEY>;<enciphered value>" with n = 1..4), so that no entry answers for
// another key. The program drops the last character of the SCHEMA value, so
// SCHEMA is stored with one trailing blank. An empty value is stored as one
// enciphered zero block, which deciphers to the empty text.
#ifndef RAVLEN_SETTINGS_SETTINGS_WRITER_H_
#define RAVLEN_SETTINGS_SETTINGS_WRITER_H_

#include <string>
#include <string_view>

namespace ravlen {

// At most this many clear characters fit the 200 hex digits of a value.
inline constexpr size_t kMaxClearChars = 96;

struct ConnectionValues {
  std::string net8, schema, login, pass;
};

// The enciphered form of one value as stored in a settings file.
std::string storedSettingText(std::string_view clear);

// The complete file text (LF line ends). Values must already be checked
// against kMaxClearChars (SCHEMA: one less, for its blank).
std::string settingsFileText(const ConnectionValues& values);

}  // namespace ravlen

#endif  // RAVLEN_SETTINGS_SETTINGS_WRITER_H_
