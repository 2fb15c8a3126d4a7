#include "db/date_text_range.h"

#include <iterator>

#include "db/civil_time.h"
#include "db/sql_tokens.h"

namespace ravlen {
namespace {

// The elements of an ordered format, coarsest first. Each value is printed
// with leading zeros, so its text sorts as the number does.
struct Element {
  std::string_view name;
  int width;
};
constexpr Element kElements[] = {{"yyyy", 4}, {"mm", 2}, {"dd", 2},
                                 {"hh24", 2}, {"mi", 2}, {"ss", 2}};
constexpr size_t kElementCount = std::size(kElements);

// Number of elements of an ordered format; 0 when it is none.
size_t elementCount(std::string_view format) {
  size_t count = 0;
  while (!format.empty() && count < kElementCount &&
         startsWithNoCase(format, kElements[count].name)) {
    format.remove_prefix(kElements[count].name.size());
    ++count;
  }
  return format.empty() ? count : 0;
}

// A period of the format: the values of its first `count` elements.
struct Period {
  size_t count = 0;
  int values[kElementCount] = {};
};

// Year, month and day start at 1, the time of day at 0.
int lowest(size_t element) { return element <= 2 ? 1 : 0; }

int highest(size_t element, const Period& p) {
  static constexpr int kHighest[] = {9999, 12, 0, 23, 59, 59};
  if (element == 2) return daysInMonth(p.values[0], p.values[1]);
  return kHighest[element];
}

// The value printed in `width` digits, first `length` characters compared
// with `text` (length == text.size() <= width).
int comparePrinted(int value, int width, std::string_view text) {
  char digits[4];
  for (int i = width - 1; i >= 0; --i, value /= 10)
    digits[i] = static_cast<char>('0' + value % 10);
  return std::string_view(digits, text.size()).compare(text);
}

void setLowest(Period& p, size_t from) {
  for (size_t i = from; i < p.count; ++i) p.values[i] = lowest(i);
}

// The first value of element i whose printed text, cut to the length of
// `segment`, is not below it; highest + 1 when there is none.
int firstNotBelow(const Period& p, size_t i, std::string_view segment) {
  int lo = lowest(i), hi = highest(i, p) + 1;
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    if (comparePrinted(mid, kElements[i].width, segment) < 0) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}

// Completes p from element i on, the elements before i printing exactly the
// text that `rest` follows: the smallest completion whose whole text is
// above the text (strict) or not below it. False when there is none.
bool completeFrom(Period& p, size_t i, std::string_view rest, bool strict) {
  if (i == p.count) return rest.empty() && !strict;  // equal, or a prefix
  if (rest.empty()) {  // the text is a proper prefix: above it
    setLowest(p, i);
    return true;
  }
  const int width = kElements[i].width;
  std::string_view segment = rest.substr(0, width);
  for (int v = firstNotBelow(p, i, segment); v <= highest(i, p); ++v) {
    p.values[i] = v;
    if (comparePrinted(v, width, segment) > 0 ||
        segment.size() < static_cast<size_t>(width)) {
      setLowest(p, i + 1);
      return true;
    }
    if (completeFrom(p, i + 1, rest.substr(width), strict)) return true;
    // The next value prints above the text: its lowest completion follows.
  }
  return false;
}

SecondBound startOf(const Period& p) {
  CivilTime t{p.values[0], p.count > 1 ? p.values[1] : 1,
              p.count > 2 ? p.values[2] : 1, p.values[3], p.values[4],
              p.values[5]};
  return {SecondBound::Kind::kAt, secondsFromCivil(t)};
}

// The start of the first period whose text is above (strict) or not below
// `text`; kAboveAll when there is none.
SecondBound firstStart(size_t count, std::string_view text, bool strict) {
  Period p;
  p.count = count;
  if (!completeFrom(p, 0, text, strict)) return {SecondBound::Kind::kAboveAll};
  return startOf(p);
}

}  // namespace

std::optional<DateCompare> dateCompareOf(std::string_view op) {
  for (DateCompare c : {DateCompare::kEq, DateCompare::kLt, DateCompare::kLe,
                        DateCompare::kGt, DateCompare::kGe}) {
    if (dateCompareText(c) == op) return c;
  }
  return std::nullopt;
}

std::string_view dateCompareText(DateCompare op) {
  switch (op) {
    case DateCompare::kEq: return "=";
    case DateCompare::kLt: return "<";
    case DateCompare::kLe: return "<=";
    case DateCompare::kGt: return ">";
    case DateCompare::kGe: return ">=";
  }
  return "=";
}

DateCompare swapOperands(DateCompare op) {
  switch (op) {
    case DateCompare::kLt: return DateCompare::kGt;
    case DateCompare::kLe: return DateCompare::kGe;
    case DateCompare::kGt: return DateCompare::kLt;
    case DateCompare::kGe: return DateCompare::kLe;
    case DateCompare::kEq: break;
  }
  return op;
}

bool needsLowerBound(DateCompare op) {
  return op != DateCompare::kLt && op != DateCompare::kLe;
}

bool needsUpperBound(DateCompare op) {
  return op != DateCompare::kGt && op != DateCompare::kGe;
}

bool isOrderedDateFormat(std::string_view format) {
  return elementCount(format) > 0;
}

SecondRange dateTextRange(std::string_view format, DateCompare op,
                          std::string_view text) {
  const size_t count = elementCount(format);
  SecondRange range{{SecondBound::Kind::kBelowAll},
                    {SecondBound::Kind::kAboveAll}};
  if (count == 0) return range;
  // s < T exactly below the first period with s >= T; s <= T exactly below
  // the first period with s > T; = takes the periods between the two.
  if (needsLowerBound(op))
    range.from = firstStart(count, text, op == DateCompare::kGt);
  if (needsUpperBound(op))
    range.until = firstStart(count, text, op != DateCompare::kLt);
  return range;
}

}  // namespace ravlen
