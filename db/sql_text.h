// SqlText: a statement text of the program, always a string constant.
//
// The statement layer translates and prepares each text once per session and
// finds it again by its address, so a SqlText can only be made from a string
// literal (the constructor is consteval). Texts built at run time go through
// Session::executeImmediate instead.
#ifndef RAVLEN_DB_SQL_TEXT_H_
#define RAVLEN_DB_SQL_TEXT_H_

#include <cstddef>
#include <string_view>

namespace ravlen {

class SqlText {
 public:
  template <size_t N>
  consteval SqlText(const char (&text)[N]) : text_(text), size_(N - 1) {}

  const char* c_str() const { return text_; }
  std::string_view view() const { return {text_, size_}; }
  // Identity of the constant, the key of the prepared-statement cache.
  const void* id() const { return text_; }

 private:
  const char* text_;
  size_t size_;
};

}  // namespace ravlen

#endif  // RAVLEN_DB_SQL_TEXT_H_
