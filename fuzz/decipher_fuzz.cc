// Fuzz target: the value decipher on arbitrary text and keys.
//
// Input layout: the first byte gives the key length (mod 16), the key bytes
// follow, the rest is the text; both are cut at their first zero byte, as a
// terminated string would be. The destination is exactly the documented
// strlen(text)/2+1 bytes on the heap, so AddressSanitizer sees any write past
// it. The same bytes, taken as clear text, must survive encipher and
// decipher, and the cipher state must be wiped after each call.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/fuzz_check.h"
#include "settings/cipher.h"

namespace ravlen {
namespace {

std::string upToZero(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  return std::string(text, std::find(text, text + size, '\0'));
}

std::string decipher(const std::string& text, const std::string& key) {
  size_t size = text.size() / 2 + 1;
  std::unique_ptr<char[]> dest(new char[size]);
  fuzzCheck(decipherValue(text.c_str(), dest.get(), key.c_str()) == 1,
            "decipherValue returns 1");
  size_t blockBytes = text.size() / 16 * 8;
  fuzzCheck(dest[blockBytes] == '\0', "the clear text is terminated");
  return std::string(dest.get());
}

bool stateIsWiped() {
  const BlowfishState& s = blowfishStateForTest();
  const auto* bytes = reinterpret_cast<const unsigned char*>(&s);
  return std::all_of(bytes, bytes + sizeof s, [](unsigned char b) { return b == 0; });
}

}  // namespace
}  // namespace ravlen

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ravlen;
  if (size == 0) return 0;
  size_t keyLength = std::min<size_t>(data[0] % 16, size - 1);
  std::string key = upToZero(data + 1, keyLength);
  std::string text = upToZero(data + 1 + keyLength, size - 1 - keyLength);

  decipher(text, key);
  fuzzCheck(stateIsWiped(), "state wiped after decipherValue");

  std::string stored = encipherValue(text, key);
  fuzzCheck(stateIsWiped(), "state wiped after encipherValue");
  fuzzCheck(stored.size() == (text.size() + 7) / 8 * 16,
            "16 digits per started block");
  fuzzCheck(decipher(stored, key) == text, "decipher reverses encipher");
  return 0;
}
