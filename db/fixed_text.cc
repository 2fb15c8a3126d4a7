#include "db/fixed_text.h"

namespace ravlen {
namespace {

bool isContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Bytes of the UTF-8 character that `lead` starts; 0 when it starts none.
size_t sequenceLength(char lead) {
  unsigned char b = static_cast<unsigned char>(lead);
  if (b >= 0xC2 && b <= 0xDF) return 2;
  if (b >= 0xE0 && b <= 0xEF) return 3;
  if (b >= 0xF0 && b <= 0xF4) return 4;
  return 0;
}

}  // namespace

size_t utf8CutLength(std::string_view text, size_t cap) {
  if (text.size() <= cap) return text.size();
  // Step back over continuation bytes (10xxxxxx) to the lead byte of the
  // sequence that the cut would split.
  size_t lead = cap;
  while (lead > 0 && cap - lead < 3 && isContinuation(text[lead])) --lead;
  if (lead == cap) return cap;  // the next byte starts a character
  // Cut before it only when the bytes form a whole UTF-8 character that
  // reaches beyond cap; anything else is single-byte text, cut at cap.
  size_t len = sequenceLength(text[lead]);
  if (len == 0 || lead + len <= cap || lead + len > text.size()) return cap;
  for (size_t i = lead + 1; i < lead + len; ++i) {
    if (!isContinuation(text[i])) return cap;
  }
  return lead;
}

}  // namespace ravlen
