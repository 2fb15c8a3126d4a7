// Settings file reader: finds one entry of the settings file and returns its
// value in clear text.
//
// The file is a sequence of entries of two lines each: a group line, then a
// value line of the form  number ";" key ";" value  where value is the
// enciphered text of cipher.h. Lines end in LF or CR LF.
//
// Contract of readSetting():
//  - the file is opened and read from its start on every call; nothing is
//    cached; a file that cannot be opened gives the cleared entry;
//  - an entry is selected when its group equals `group`, OR its key equals
//    `key` (byte for byte, case-sensitive), OR its number equals `number`;
//    the first selected entry in the file wins and later lines are not read;
//  - only the selected entry's value is deciphered, under kSettingsKey;
//  - no entry selected: number 0 and empty group, key and value;
//  - a last group line without a value line after it is ignored.
// Group of a group line: the text between its first two ';'; empty when the
// line has fewer than two ';'; when the first two ';' are adjacent, the whole
// rest of the line after the first ';' followed by "\n" (the line end, as one
// LF whatever the file had). A longer group is cut to 200 characters.
// A value line that is not of the form above (fewer than two ';', an empty
// number, key or value field, a number field over 11 characters, a key or
// value field over 200) never matches: its entry is skipped like an
// unselected one and the pairing of the following lines is kept. Lines are
// read whole up to kMaxSettingsLineBytes; a longer line (no settings file
// has one; /dev/zero is one endless line) ends the reading: the result is
// the cleared entry and lastSettingsFileState() says why. A last line
// without a line end is read as well.
// The number field reads as a decimal integer: leading white space skipped,
// an optional sign, the digits up to the first non-digit, 0 without digits;
// a number beyond the 32-bit range is clamped to it.
//
// The result is the single module-level SettingEntry, overwritten by every
// call. Single-threaded.
#ifndef RAVLEN_SETTINGS_SETTINGS_READER_H_
#define RAVLEN_SETTINGS_SETTINGS_READER_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "db/fixed_text.h"

namespace ravlen {

struct SettingEntry {
  int32_t number = 0;
  FixedText<200> group;
  FixedText<200> key;
  FixedText<200> value;  // clear text once the entry is selected
};

const SettingEntry& readSetting(std::string_view group, std::string_view key,
                                int32_t number, std::string_view path);

inline constexpr size_t kMaxSettingsLineBytes = 4096;

// How the last readSetting() call read its file: to the selected entry or
// the end, not at all (the file could not be opened), or up to a line
// longer than kMaxSettingsLineBytes.
enum class SettingsFileState { kRead, kNotOpened, kLineTooLong };
SettingsFileState lastSettingsFileState();

}  // namespace ravlen

#endif  // RAVLEN_SETTINGS_SETTINGS_READER_H_
