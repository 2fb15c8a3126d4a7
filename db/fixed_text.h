// FixedText<N>: the host type text(N) of every statement: at most N bytes of
// text followed by a terminator, held in N+1 bytes without heap allocation.
//
// Contract:
//  - a default-constructed text is empty (all bytes zero);
//  - assign() copies at most N bytes and always terminates; a longer source is
//    cut to fit, never in the middle of a UTF-8 character;
//  - assignExact() refuses a source that does not fit and leaves the text
//    unchanged, for callers that must not cut silently;
//  - clear() zeroes every byte, as the records are cleared before each fetch.
#ifndef RAVLEN_DB_FIXED_TEXT_H_
#define RAVLEN_DB_FIXED_TEXT_H_

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace ravlen {

// Length of the longest prefix of `text` of at most `cap` bytes that does not
// end inside a UTF-8 multi-byte sequence. Single-byte texts (Windows-1252)
// are cut at `cap` when their bytes do not form a valid sequence.
size_t utf8CutLength(std::string_view text, size_t cap);

template <size_t N>
class FixedText {
 public:
  static constexpr size_t kCapacity = N;       // characters
  static constexpr size_t kBufferSize = N + 1;  // with terminator

  FixedText() { clear(); }
  FixedText(std::string_view text) { assign(text); }  // NOLINT: cut to fit

  void clear() { std::memset(buf_, 0, sizeof buf_); }

  void assign(std::string_view text) {
    size_t n = utf8CutLength(text, N);
    std::memcpy(buf_, text.data(), n);
    std::memset(buf_ + n, 0, sizeof buf_ - n);
  }

  bool assignExact(std::string_view text) {
    if (text.size() > N) return false;
    assign(text);
    return true;
  }

  FixedText& operator=(std::string_view text) {
    assign(text);
    return *this;
  }

  const char* c_str() const { return buf_; }
  std::string_view view() const { return std::string_view(buf_, size()); }
  std::string str() const { return std::string(view()); }
  size_t size() const { return strnlen(buf_, N); }
  bool empty() const { return buf_[0] == '\0'; }

  // Raw buffer, for the statement layer's output copy.
  char* data() { return buf_; }
  const char* data() const { return buf_; }

  friend bool operator==(const FixedText& a, const FixedText& b) {
    return a.view() == b.view();
  }
  friend bool operator==(const FixedText& a, std::string_view b) {
    return a.view() == b;
  }
  // Byte-wise comparison, as window and period bounds are compared.
  friend auto operator<=>(const FixedText& a, const FixedText& b) {
    return a.view() <=> b.view();
  }

 private:
  char buf_[N + 1];
};

// The Overview's shared texts.
using DateText = FixedText<8>;        // yyyymmdd
using TimestampText = FixedText<14>;  // yyyymmddhhmmss

}  // namespace ravlen

#endif  // RAVLEN_DB_FIXED_TEXT_H_
