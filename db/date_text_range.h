// Which stored date-times a comparison of their formatted text selects.
//
// The statements compare formatted dates with texts, for example
// "to_char(BchVon,'yyyymmdd')>=:b0". Written that way only an index on the
// very expression could serve them. For an ordered format the formatted
// text sorts as the date-time itself, so the dates that such a comparison
// selects form one half-open range of whole seconds, and a condition on the
// column itself with the range's bounds selects exactly the same rows and
// can use the plain index on the column. This module computes that range;
// date_comparison.h finds the comparisons in a statement text. Both are
// backend-neutral: each backend turns the range into bounds of its own
// storage form (see firstJulianOfSecond for the embedded database).
//
// Semantics, exactly as the literal comparison has them:
//  - A stored date-time D is first taken to the nearest whole second, as
//    to_char does: the day 20240131 covers [20240130 23:59:59.5,
//    20240131 23:59:59.5). Its formatted text s is then compared with the
//    text T byte by byte (binary order: the first differing byte decides,
//    bytes as unsigned; when one text is a prefix of the other, the shorter
//    is smaller). T may be any text: no date, shorter or longer than s
//    ('2024011' against 'yyyymmdd' selects the days before 20240110 for
//    "<="), empty, or with bytes beyond ASCII.
//  - An ordered format is a leading run of the elements yyyy, mm, dd, hh24,
//    mi, ss in this order (any case) and nothing else: 'yyyy', 'yyyymm',
//    'YYYYMMDD', 'yyyymmddhh24miss', ... Any other format is not rewritten.
//  - The range covers the years 1 to 9999 (four-digit years). Date-times
//    before the year 1 count as below every bound (a to_char of them has no
//    four-digit year); the ends of the range may therefore be open.
//  - A NULL text (or a NULL date) makes the comparison NULL for every row, so
//    that NOT around it stays NULL as well: a rewrite must give NULL bounds
//    for a NULL text rather than an empty range. dateTextRange takes
//    non-NULL texts only.
//
// Use in a translation: "to_char(D,fmt) OP T" becomes
// "D >= <from> and D < <until>", where only the bounds that can be finite
// are needed: kLt and kLe have no lower bound (from is always kBelowAll),
// kGt and kGe no upper bound (until is always kAboveAll), kEq has both. A
// bound kAboveAll as `from`, or from >= until, selects nothing.
#ifndef RAVLEN_DB_DATE_TEXT_RANGE_H_
#define RAVLEN_DB_DATE_TEXT_RANGE_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace ravlen {

// The comparison as it reads with to_char(...) on the left.
enum class DateCompare : uint8_t { kEq, kLt, kLe, kGt, kGe };

// "=", "<", "<=", ">", ">=" and back; nullopt for any other text.
std::optional<DateCompare> dateCompareOf(std::string_view op);
std::string_view dateCompareText(DateCompare op);
// The same comparison with its operands swapped ("T < s" is "s > T").
DateCompare swapOperands(DateCompare op);

bool needsLowerBound(DateCompare op);  // from can be finite
bool needsUpperBound(DateCompare op);  // until can be finite

// A point of the time line, in whole seconds since 1970-01-01 00:00:00
// (proleptic Gregorian, no time zone), or one of its two open ends.
struct SecondBound {
  enum class Kind : uint8_t { kBelowAll, kAt, kAboveAll };
  Kind kind = Kind::kBelowAll;
  int64_t second = 0;  // kAt only
};

// The rounded date-times in [from, until) are those selected.
struct SecondRange {
  SecondBound from;
  SecondBound until;
};

bool isOrderedDateFormat(std::string_view format);

// The range of `format` (an ordered format) compared by `op` with `text`.
SecondRange dateTextRange(std::string_view format, DateCompare op,
                          std::string_view text);

}  // namespace ravlen

#endif  // RAVLEN_DB_DATE_TEXT_RANGE_H_
