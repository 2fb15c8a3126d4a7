#include "db/fixed_text.h"

namespace ravlen {

size_t utf8CutLength(std::string_view text, size_t cap) {
  if (text.size() <= cap) return text.size();
  // Step back over continuation bytes (10xxxxxx) to the lead byte of the
  // sequence that the cut would split; cut before it if it does not fit.
  size_t cut = cap;
  size_t back = 0;
  while (cut > 0 && back < 3 &&
         (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
    --cut;
    ++back;
  }
  if (back == 0) return cap;  // the next byte starts a character
  unsigned char lead = static_cast<unsigned char>(text[cut]);
  size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (len == 0) return cap;  // not UTF-8 at all: a plain byte cut
  return cut + len <= cap ? cut + len : cut;
}

}  // namespace ravlen
