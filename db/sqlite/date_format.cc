#include "db/sqlite/date_format.h"

#include <cctype>

#include "db/date_text_range.h"
#include "db/sql_tokens.h"

namespace ravlen {
namespace {

struct ElementName {
  std::string_view name;
  DateElement element;
  int width;
};

// Longest names first, so that "hh24" wins over "hh" and "mi" is not "mm".
constexpr ElementName kElements[] = {
    {"yyyy", DateElement::kYear, 4},   {"hh24", DateElement::kHour24, 2},
    {"hh", DateElement::kHour12, 2},   {"mm", DateElement::kMonth, 2},
    {"dd", DateElement::kDay, 2},      {"mi", DateElement::kMinute, 2},
    {"ss", DateElement::kSecond, 2},
};

const ElementName* elementAt(std::string_view format) {
  for (const ElementName& e : kElements) {
    if (startsWithNoCase(format, e.name)) return &e;
  }
  return nullptr;
}

// The item at `*f`, which it moves past the item.
DateFormatItem itemAt(std::string_view format, size_t* f) {
  DateFormatItem item;
  if (const ElementName* e = elementAt(format.substr(*f))) {
    item.kind = DateFormatItem::Kind::kElement;
    item.element = e->element;
    item.width = e->width;
    *f += e->name.size();
  } else if (format[*f] == '"') {
    size_t close = format.find('"', *f + 1);
    if (close == std::string_view::npos) close = format.size();
    item.offset = static_cast<uint32_t>(*f + 1);
    item.size = static_cast<uint32_t>(close - *f - 1);
    *f = close + 1;
  } else {
    if (std::isalnum(static_cast<unsigned char>(format[*f])))
      item.kind = DateFormatItem::Kind::kBadLetter;
    item.offset = static_cast<uint32_t>(*f);
    item.size = 1;
    *f += 1;
  }
  return item;
}

}  // namespace

DateFormat parseDateFormat(std::string_view text) {
  DateFormat format;
  format.text = std::string(text);
  size_t f = 0;
  while (f < text.size()) format.items.push_back(itemAt(text, &f));
  format.ordered = isOrderedDateFormat(text);
  return format;
}

const DateFormat& DateFormatCache::get(std::string_view text) {
  for (const std::unique_ptr<DateFormat>& format : formats_) {
    if (format->text == text) return *format;
  }
  if (formats_.size() < kMaxFormats) {
    formats_.push_back(std::make_unique<DateFormat>(parseDateFormat(text)));
    return *formats_.back();
  }
  overflow_ = parseDateFormat(text);
  return overflow_;
}

}  // namespace ravlen
