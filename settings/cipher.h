// Settings value cipher: Blowfish (16 rounds, 64-bit blocks, the published
// key schedule and pi tables) in electronic-codebook mode, written as text of
// upper-case hexadecimal digits, 16 digits per 8-byte block.
//
// Contract:
//  - one module-level BlowfishState serves every call; decipherValue() and
//    encipherValue() compute the key schedule afresh and overwrite the state
//    with zeros before they return;
//  - inside a block the left half is bytes 0..3 and the right half bytes
//    4..7, each read and written as a little-endian 32-bit word;
//  - the block functions below work on the module state; whoever calls
//    blowfishKeySchedule() directly calls blowfishWipe() when done.
// Single-threaded, like the rest of the program.
#ifndef RAVLEN_SETTINGS_CIPHER_H_
#define RAVLEN_SETTINGS_CIPHER_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace ravlen {

struct BlowfishState {
  uint32_t p[18];
  uint32_t s[4][256];
};

// The fixed key under which every value of the settings file is enciphered.
inline constexpr char kSettingsKey[] = "QUELMAR";

// Loads the pi tables and mixes in the key bytes (taken cyclically, the first
// of each four as the most significant byte), then runs the 521
// encipherments of the schedule. An empty key leaves the tables unmixed.
void blowfishKeySchedule(std::string_view key);

// One 64-bit block, left and right half as 32-bit words, in place.
void blowfishEncipher(uint32_t* left, uint32_t* right);
void blowfishDecipher(uint32_t* left, uint32_t* right);

// Overwrites the module state with zeros.
void blowfishWipe();

// Read-only view of the module state, so tests can see that it was wiped.
const BlowfishState& blowfishStateForTest();

// Deciphers the hexadecimal text `text` under the terminated key `key` into
// `dest` and terminates it; the clear text is the bytes up to the first zero
// byte. Digits 'A'..'F' count code-55, every other character code-48, so
// lower-case or non-hex characters give other bytes rather than an error.
// Only whole blocks of 16 digits are deciphered; a shorter tail is ignored
// and nothing past the terminator of `text` is read. `dest` must hold
// strlen(text)/2+1 bytes. Always returns 1.
int decipherValue(const char* text, char* dest, const char* key);

// The reverse: pads the bytes of `clear` with zero bytes to a multiple of 8
// (an empty text stays empty), enciphers each block and writes it as 16
// upper-case hexadecimal digits, high digit of each byte first.
std::string encipherValue(std::string_view clear, std::string_view key);

}  // namespace ravlen

#endif  // RAVLEN_SETTINGS_CIPHER_H_
