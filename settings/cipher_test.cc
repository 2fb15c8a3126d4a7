#include "settings/cipher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace ravlen {
namespace {

std::string decipher(const std::string& text, const char* key = kSettingsKey) {
  std::vector<char> dest(text.size() / 2 + 1, 'X');
  EXPECT_EQ(decipherValue(text.c_str(), dest.data(), key), 1);
  return std::string(dest.data());
}

std::vector<unsigned char> fromHex(const char* hex) {
  std::vector<unsigned char> bytes;
  for (size_t i = 0; hex[i] != '\0'; i += 2) {
    bytes.push_back(static_cast<unsigned char>(std::stoi(std::string(hex + i, 2), nullptr, 16)));
  }
  return bytes;
}

uint32_t bigEndian(const unsigned char* b) {
  return uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
}

bool stateIsClear() {
  const BlowfishState& s = blowfishStateForTest();
  auto zero = [](uint32_t w) { return w == 0; };
  return std::all_of(std::begin(s.p), std::end(s.p), zero) &&
         std::all_of(&s.s[0][0], &s.s[0][0] + 4 * 256, zero);
}

// Published known-answer vectors, in the usual big-endian block convention.
TEST(Cipher, PublishedVectorsEncipherAndDecipher) {
  struct Vector { const char* key; const char* clear; const char* cipher; };
  const Vector vectors[] = {
      {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
      {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
      {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
      {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
      {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
      {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
  };
  for (const Vector& v : vectors) {
    SCOPED_TRACE(v.key);
    std::vector<unsigned char> key = fromHex(v.key), clear = fromHex(v.clear),
                               cipher = fromHex(v.cipher);
    blowfishKeySchedule(std::string_view(reinterpret_cast<const char*>(key.data()), key.size()));
    uint32_t left = bigEndian(clear.data()), right = bigEndian(clear.data() + 4);
    blowfishEncipher(&left, &right);
    EXPECT_EQ(left, bigEndian(cipher.data()));
    EXPECT_EQ(right, bigEndian(cipher.data() + 4));
    blowfishDecipher(&left, &right);
    EXPECT_EQ(left, bigEndian(clear.data()));
    EXPECT_EQ(right, bigEndian(clear.data() + 4));
  }
  blowfishWipe();
}

TEST(Cipher, TextFormStoresHalvesLittleEndian) {
  // The zero-key vector 4EF99745 6198DD78, each half written low byte first.
  const std::string zeros(8, '\0');
  EXPECT_EQ(encipherValue(zeros, zeros), "4597F94E78DD9861");
}

TEST(Cipher, RoundTripsThroughZeroPadding) {
  EXPECT_EQ(encipherValue("", kSettingsKey), "");
  EXPECT_EQ(decipher(""), "");
  for (const std::string& clear :
       std::vector<std::string>{"abc", "exactly8", "nine char", std::string(96, 'q')}) {
    SCOPED_TRACE(clear);
    std::string text = encipherValue(clear, kSettingsKey);
    EXPECT_EQ(text.size(), (clear.size() + 7) / 8 * 16);
    EXPECT_EQ(text.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_EQ(decipher(text), clear);
  }
  // Another key gives another text.
  EXPECT_NE(encipherValue("abc", "OTHER"), encipherValue("abc", kSettingsKey));
}

TEST(Cipher, LowerCaseDigitsGiveOtherBytes) {
  std::string text = encipherValue("secret", kSettingsKey);
  ASSERT_NE(text.find_first_of("ABCDEF"), std::string::npos);
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  EXPECT_NE(decipher(lower), "secret");
}

TEST(Cipher, PartialBlockIsIgnoredAndNothingOverrun) {
  std::string text = encipherValue("8bytes!!", kSettingsKey) + "4597F";
  char dest[16];
  std::memset(dest, 'X', sizeof dest);
  decipherValue(text.c_str(), dest, kSettingsKey);
  EXPECT_EQ(std::string(dest), "8bytes!!");
  EXPECT_EQ(dest[9], 'X');  // only 8 bytes and the terminator were written

  std::memset(dest, 'X', sizeof dest);
  decipherValue("0123456789ABCDE", dest, kSettingsKey);  // 15 digits: no block
  EXPECT_EQ(dest[0], '\0');
  EXPECT_EQ(dest[1], 'X');
}

TEST(Cipher, StateIsWipedAfterEveryCall) {
  decipher(encipherValue("value", kSettingsKey));
  EXPECT_TRUE(stateIsClear());
  encipherValue("value", kSettingsKey);
  EXPECT_TRUE(stateIsClear());
  blowfishKeySchedule(kSettingsKey);
  EXPECT_FALSE(stateIsClear());
  blowfishWipe();
  EXPECT_TRUE(stateIsClear());
}

}  // namespace
}  // namespace ravlen
