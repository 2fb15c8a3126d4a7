#include "settings/cipher.h"

#include <cstring>
#include <utility>

#include "settings/blowfish_tables.h"

namespace ravlen {

namespace {

constexpr size_t kBlockBytes = 8;
constexpr size_t kBlockDigits = 16;

BlowfishState state;

uint32_t roundFunction(uint32_t x) {
  uint32_t a = x >> 24, b = (x >> 16) & 0xFF, c = (x >> 8) & 0xFF, d = x & 0xFF;
  return ((state.s[0][a] + state.s[1][b]) ^ state.s[2][c]) + state.s[3][d];
}

uint32_t loadLittleEndian(const unsigned char* bytes) {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 |
         uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

void storeLittleEndian(uint32_t word, unsigned char* bytes) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(word >> (8 * i));
}

// 'A'..'F' count code-55, anything else code-48; the byte is taken mod 256.
int digitValue(char c) { return (c >= 'A' && c <= 'F') ? c - 55 : c - 48; }

unsigned char hexByte(const char* two) {
  return static_cast<unsigned char>(16 * digitValue(two[0]) + digitValue(two[1]));
}

void mixKeyIntoP(std::string_view key) {
  if (key.empty()) return;
  size_t next = 0;
  for (uint32_t& word : state.p) {
    uint32_t data = 0;
    for (int i = 0; i < 4; ++i) {
      data = data << 8 | static_cast<unsigned char>(key[next]);
      next = (next + 1) % key.size();
    }
    word ^= data;
  }
}

// Replaces the words of `table` pairwise with the running encipherment.
void refillTable(uint32_t* table, size_t count, uint32_t* left, uint32_t* right) {
  for (size_t i = 0; i < count; i += 2) {
    blowfishEncipher(left, right);
    table[i] = *left;
    table[i + 1] = *right;
  }
}

}  // namespace

void blowfishKeySchedule(std::string_view key) {
  std::memcpy(state.p, kBlowfishInitialP, sizeof state.p);
  std::memcpy(state.s, kBlowfishInitialS, sizeof state.s);
  mixKeyIntoP(key);
  uint32_t left = 0, right = 0;
  refillTable(state.p, 18, &left, &right);
  for (auto& box : state.s) refillTable(box, 256, &left, &right);
}

void blowfishEncipher(uint32_t* left, uint32_t* right) {
  uint32_t l = *left, r = *right;
  for (int i = 0; i < 16; ++i) {
    l ^= state.p[i];
    r ^= roundFunction(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= state.p[16];
  l ^= state.p[17];
  *left = l;
  *right = r;
}

void blowfishDecipher(uint32_t* left, uint32_t* right) {
  uint32_t l = *left, r = *right;
  for (int i = 17; i > 1; --i) {
    l ^= state.p[i];
    r ^= roundFunction(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= state.p[1];
  l ^= state.p[0];
  *left = l;
  *right = r;
}

void blowfishWipe() { std::memset(&state, 0, sizeof state); }

const BlowfishState& blowfishStateForTest() { return state; }

int decipherValue(const char* text, char* dest, const char* key) {
  const size_t blocks = std::strlen(text) / kBlockDigits;
  blowfishKeySchedule(key);
  unsigned char* out = reinterpret_cast<unsigned char*>(dest);
  for (size_t b = 0; b < blocks; ++b) {
    const char* digits = text + b * kBlockDigits;
    unsigned char bytes[kBlockBytes];
    for (size_t i = 0; i < kBlockBytes; ++i) bytes[i] = hexByte(digits + 2 * i);
    uint32_t left = loadLittleEndian(bytes), right = loadLittleEndian(bytes + 4);
    blowfishDecipher(&left, &right);
    storeLittleEndian(left, out + b * kBlockBytes);
    storeLittleEndian(right, out + b * kBlockBytes + 4);
  }
  dest[blocks * kBlockBytes] = '\0';
  blowfishWipe();
  return 1;
}

std::string encipherValue(std::string_view clear, std::string_view key) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string padded(clear);
  padded.resize((clear.size() + kBlockBytes - 1) / kBlockBytes * kBlockBytes, '\0');
  blowfishKeySchedule(key);
  std::string text;
  text.reserve(padded.size() * 2);
  for (size_t b = 0; b < padded.size(); b += kBlockBytes) {
    unsigned char bytes[kBlockBytes];
    std::memcpy(bytes, padded.data() + b, kBlockBytes);
    uint32_t left = loadLittleEndian(bytes), right = loadLittleEndian(bytes + 4);
    blowfishEncipher(&left, &right);
    storeLittleEndian(left, bytes);
    storeLittleEndian(right, bytes + 4);
    for (unsigned char byte : bytes) {
      text += kDigits[byte >> 4];
      text += kDigits[byte & 0x0F];
    }
  }
  blowfishWipe();
  return text;
}

}  // namespace ravlen
