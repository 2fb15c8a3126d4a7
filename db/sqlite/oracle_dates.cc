#include "db/sqlite/oracle_dates.h"

#include <cctype>
#include <cmath>
#include <ctime>

namespace ravlen {
namespace {

// Julian day number of 1970-01-01 00:00.
constexpr double kUnixEpochJulian = 2440587.5;
// Julian day number of 10000-01-02 00:00: no value from here on rounds into
// a year of four digits.
constexpr double kJulianLimit = 5373485.5;

constexpr const char* kYearRangeError =
    "ORA-01841: (full) year must be between -4713 and +9999, and not be 0";

// Whole seconds of a finite value, to the nearest second.
int64_t roundedSecond(double julian) {
  return std::llround((julian - kUnixEpochJulian) * 86400.0);
}

std::string_view trimBlanks(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

int* fieldOf(CivilTime& t, DateElement e) {
  switch (e) {
    case DateElement::kYear: return &t.year;
    case DateElement::kMonth: return &t.month;
    case DateElement::kDay: return &t.day;
    case DateElement::kHour24:
    case DateElement::kHour12: return &t.hour;
    case DateElement::kMinute: return &t.minute;
    case DateElement::kSecond: return &t.second;
  }
  return nullptr;
}

// The error of an invalid date, null for a valid one.
const char* checkCivil(const CivilTime& t, bool hasYear) {
  if (!hasYear || t.year == 0) return kYearRangeError;
  if (t.month < 1 || t.month > 12) return "ORA-01843: not a valid month";
  if (t.day < 1 || t.day > daysInMonth(t.year, t.month))
    return "ORA-01847: day of month must be between 1 and last day of month";
  if (t.hour > 23) return "ORA-01850: hour must be between 0 and 23";
  if (t.minute > 59) return "ORA-01851: minutes must be between 0 and 59";
  if (t.second > 59) return "ORA-01852: seconds must be between 0 and 59";
  return nullptr;
}

// Reads up to `width` digits of `text` at *pos; false when there is none.
bool readNumber(std::string_view text, size_t* pos, int width, int* value) {
  int digits = 0;
  *value = 0;
  while (*pos < text.size() && digits < width &&
         std::isdigit(static_cast<unsigned char>(text[*pos]))) {
    *value = *value * 10 + (text[*pos] - '0');
    ++*pos;
    ++digits;
  }
  return digits > 0;
}

// Appends `value` as printf's "%0*d" does: at least `width` characters,
// zeros after the sign.
void appendPadded(std::string* out, int value, int width) {
  char digits[16];
  int n = 0;
  unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value)
                                 : static_cast<unsigned>(value);
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) {
    out->push_back('-');
    --width;
  }
  for (int pad = width - n; pad > 0; --pad) out->push_back('0');
  while (n > 0) out->push_back(digits[--n]);
}

}  // namespace

double julianFromCivil(const CivilTime& t) {
  double days = static_cast<double>(daysFromCivil(t.year, t.month, t.day));
  double seconds = t.hour * 3600.0 + t.minute * 60.0 + t.second;
  return kUnixEpochJulian + days + seconds / 86400.0;
}

CivilTime civilFromJulian(double julian) {
  return civilFromSeconds(roundedSecond(julian));
}

bool secondOfJulian(double julian, int64_t* second) {
  // The year is checked after rounding: the last instant of 9999 may round
  // into the year 10000.
  static const int64_t kYear10000 = secondsFromCivil({10000, 1, 1});
  if (!std::isfinite(julian) || julian < 0 || julian >= kJulianLimit)
    return false;
  *second = roundedSecond(julian);
  return *second < kYear10000;
}

double firstJulianOfSecond(int64_t second) {
  // An estimate half a second before, then the exact edge in steps of one
  // representable value: rounding is monotone, so the edge is unique.
  double x = kUnixEpochJulian + (static_cast<double>(second) - 0.5) / 86400.0;
  constexpr double kUp = HUGE_VAL;
  while (roundedSecond(x) >= second) x = std::nextafter(x, -kUp);
  while (roundedSecond(x) < second) x = std::nextafter(x, kUp);
  return x;
}

DateResult oracleToDate(std::string_view text, std::string_view format) {
  return oracleToDate(text, parseDateFormat(format));
}

DateResult oracleToDate(std::string_view text, const DateFormat& format) {
  DateResult result;
  text = trimBlanks(text);
  if (text.empty()) {
    result.ok = result.null = true;
    return result;
  }
  CivilTime t;
  bool hasYear = false;
  size_t pos = 0;
  for (const DateFormatItem& item : format.items) {
    if (item.kind != DateFormatItem::Kind::kElement) {
      std::string_view literal = format.literal(item);
      if (item.kind == DateFormatItem::Kind::kBadLetter ||
          text.substr(pos, literal.size()) != literal) {
        result.error = "ORA-01861: literal does not match format string";
        return result;
      }
      pos += literal.size();
      continue;
    }
    if (!readNumber(text, &pos, item.width, fieldOf(t, item.element))) {
      result.error = "ORA-01858: a non-numeric character was found where a "
                     "numeric was expected";
      return result;
    }
    hasYear |= item.element == DateElement::kYear;
  }
  if (pos != text.size()) {
    result.error = "ORA-01830: date format picture ends before converting "
                   "entire input string";
    return result;
  }
  if (const char* error = checkCivil(t, hasYear)) {
    result.error = error;
    return result;
  }
  result.ok = true;
  result.julian = julianFromCivil(t);
  return result;
}

TextResult oracleToChar(double julian, std::string_view format) {
  return oracleToChar(julian, parseDateFormat(format));
}

TextResult oracleToChar(double julian, const DateFormat& format) {
  TextResult result;
  int64_t second;
  if (!secondOfJulian(julian, &second)) {
    result.error = kYearRangeError;
    return result;
  }
  CivilTime t = civilFromSeconds(second);
  for (const DateFormatItem& item : format.items) {
    switch (item.kind) {
      case DateFormatItem::Kind::kElement: {
        int value = *fieldOf(t, item.element);
        if (item.element == DateElement::kHour12) value = (value + 11) % 12 + 1;
        appendPadded(&result.text, value, item.width);
        break;
      }
      case DateFormatItem::Kind::kLiteral:
        result.text += format.literal(item);
        break;
      case DateFormatItem::Kind::kBadLetter:
        result.error = "ORA-01821: date format not recognized";
        return result;
    }
  }
  result.ok = true;
  return result;
}

DateResult oracleTrunc(double julian) {
  DateResult result;
  int64_t second;
  if (!secondOfJulian(julian, &second)) {
    result.error = kYearRangeError;
    return result;
  }
  result.ok = true;
  result.julian = kUnixEpochJulian + static_cast<double>(
                                         floorDiv(second, kSecondsPerDay));
  return result;
}

DateResult oracleAddMonths(double julian, int64_t months) {
  // Beyond this many months no date of the range has a target in range.
  constexpr int64_t kMonthsLimit = 12 * 15000;
  DateResult result;
  int64_t second;
  if (!secondOfJulian(julian, &second) || months > kMonthsLimit ||
      months < -kMonthsLimit) {
    result.error = kYearRangeError;
    return result;
  }
  CivilTime t = civilFromSeconds(second);
  int64_t index = static_cast<int64_t>(t.year) * 12 + (t.month - 1) + months;
  bool lastDay = t.day == daysInMonth(t.year, t.month);
  t.year = static_cast<int>(floorDiv(index, 12));
  t.month = static_cast<int>(index - floorDiv(index, 12) * 12) + 1;
  int last = daysInMonth(t.year, t.month);
  if (lastDay || t.day > last) t.day = last;
  result.julian = julianFromCivil(t);
  if (t.year > 9999 || result.julian < 0) {
    result.error = kYearRangeError;
    return result;
  }
  result.ok = true;
  return result;
}

double julianNowLocal() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  CivilTime t{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
              local.tm_hour, local.tm_min, local.tm_sec};
  return julianFromCivil(t);
}

}  // namespace ravlen
