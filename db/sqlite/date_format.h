// A date format text of to_char and to_date, read once into the sequence
// of its elements and literals, and a per-connection store of the formats
// that the statements use, so that each distinct text is read only once
// however many rows the functions are called for.
//
// Reading a format: at each position the longest element that starts there
// (yyyy, hh24, hh, mm, dd, mi, ss, any case) wins; otherwise "quoted text"
// (up to the closing quote, or to the end of the format when there is none)
// or any other single character that is no letter or digit stands for
// itself; a letter or digit that starts no element is kept as a bad letter,
// which to_char and to_date report when they reach it, after whatever the
// items before it report. Parsing never fails, so that the errors come in
// the same order as a reading of the text call by call would give them.
#ifndef RAVLEN_DB_SQLITE_DATE_FORMAT_H_
#define RAVLEN_DB_SQLITE_DATE_FORMAT_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ravlen {

enum class DateElement : uint8_t {
  kYear, kMonth, kDay, kHour24, kHour12, kMinute, kSecond
};

struct DateFormatItem {
  enum class Kind : uint8_t { kElement, kLiteral, kBadLetter };
  Kind kind = Kind::kLiteral;
  DateElement element = DateElement::kYear;  // kElement only
  int width = 0;                             // kElement: its digits
  uint32_t offset = 0, size = 0;             // kLiteral: its text in the format
};

struct DateFormat {
  std::string text;
  std::vector<DateFormatItem> items;
  // Whether the translation's range bounds take the format
  // (isOrderedDateFormat of date_text_range.h).
  bool ordered = false;

  std::string_view literal(const DateFormatItem& item) const {
    return std::string_view(text).substr(item.offset, item.size);
  }
};

DateFormat parseDateFormat(std::string_view text);

// The parsed formats of one connection. Not thread-safe: one per
// connection, which one thread uses at a time.
class DateFormatCache {
 public:
  // The parsed form of `text`; valid until the next call. Keeps at most
  // kMaxFormats texts: a statement that takes its format from the data
  // cannot grow the store without bound, it only pays a parse per call.
  const DateFormat& get(std::string_view text);

  static constexpr size_t kMaxFormats = 32;

 private:
  std::vector<std::unique_ptr<DateFormat>> formats_;
  DateFormat overflow_;
};

}  // namespace ravlen

#endif  // RAVLEN_DB_SQLITE_DATE_FORMAT_H_
