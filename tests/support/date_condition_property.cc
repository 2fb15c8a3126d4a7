#include "tests/support/date_condition_property.h"

#include <cstdio>
#include <iterator>
#include <string_view>

#include "db/civil_time.h"
#include "tools/ravlen_db/random.h"

namespace ravlen::testing {
namespace {

struct Instant {
  CivilTime t;
  int millis = 0;
};

std::string isoText(const Instant& i) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d",
                i.t.year, i.t.month, i.t.day, i.t.hour, i.t.minute,
                i.t.second, i.millis);
  return text;
}

// yyyymmddhh24miss of the instant as written, without its milliseconds.
std::string digitsOf(const CivilTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", t.year,
                t.month, t.day, t.hour, t.minute, t.second);
  return text;
}

int randomYear(DemoRandom& r) {
  int pick = r.below(10);
  if (pick < 7) return r.between(2022, 2026);
  if (pick < 9) return r.between(1, 9999);
  return r.percent(50) ? 1 : 9999;
}

// The last or first second of a day (often a month's or year's last day),
// milliseconds at, below and above the half second.
void edgeTime(DemoRandom& r, Instant& i) {
  static constexpr int kMillis[] = {0, 1, 499, 500, 501, 999};
  if (r.percent(50)) i.t.day = daysInMonth(i.t.year, i.t.month);
  if (r.percent(30)) i.t.month = 12, i.t.day = 31;
  bool late = r.percent(70);
  i.t.hour = late ? 23 : 0;
  i.t.minute = late ? 59 : 0;
  i.t.second = late ? 59 : 0;
  i.millis = r.percent(80) ? kMillis[r.below(6)] : r.below(1000);
}

Instant randomInstant(DemoRandom& r) {
  Instant i;
  i.t.year = randomYear(r);
  i.t.month = r.between(1, 12);
  i.t.day = r.between(1, daysInMonth(i.t.year, i.t.month));
  if (r.percent(60)) {
    edgeTime(r, i);
  } else {
    i.t.hour = r.between(0, 23);
    i.t.minute = r.between(0, 59);
    i.t.second = r.between(0, 59);
    i.millis = r.below(1000);
  }
  // The last half second of 9999 would round into the year 10000, which
  // the comparison as written refuses with an error.
  if (i.t.year == 9999 && i.t.month == 12 && i.t.day == 31 &&
      i.t.hour == 23 && i.t.minute == 59 && i.t.second == 59 &&
      i.millis >= 500)
    i.millis = 499;
  return i;
}

constexpr std::string_view kFormats[] = {
    "yyyy", "yyyymm", "yyyymmdd", "yyyymmddhh24", "yyyymmddhh24mi",
    "yyyymmddhh24miss", "YYYYMMDD", "YyYyMm"};
constexpr size_t kFormatWidths[] = {4, 6, 8, 10, 12, 14, 8, 6};
constexpr std::string_view kOperators[] = {"=", "<", "<=", ">", ">="};

// Texts that are no date of the format, or sit at its edges.
constexpr std::string_view kOddValues[] = {
    "20240230", "20241301", "20240100", "20240132", "00000101", "99991231",
    "99999999", "2024-01-15", " 20240115", "2024011", "", "abc", "\xc3\xa4",
    "0", "9", "202401", "2024"};

// One change that keeps a text close to a date: a neighbouring last byte,
// a byte appended, or one replaced by something that is no digit.
void mutate(DemoRandom& r, std::string& text) {
  static constexpr std::string_view kForeign[] = {"-", " ", "a", ":", "/",
                                                  "\xc3\xa4"};
  int pick = r.below(3);
  if (pick == 0 && !text.empty()) {
    text.back() = static_cast<char>(text.back() + (r.percent(50) ? 1 : -1));
  } else if (pick == 1) {
    text += "09x"[r.below(3)];
  } else if (!text.empty()) {
    size_t at = static_cast<size_t>(r.below(static_cast<int>(text.size())));
    text.replace(at, 1, kForeign[r.below(6)]);
  } else {
    text = " ";
  }
}

std::optional<std::string> randomValue(DemoRandom& r,
                                       const std::vector<Instant>& stored,
                                       size_t width) {
  if (r.percent(5)) return std::nullopt;
  if (r.percent(12)) return std::string(kOddValues[r.below(std::size(kOddValues))]);
  const Instant& near = stored[r.below(static_cast<int>(stored.size()))];
  std::string text = digitsOf(near.t);
  size_t length = r.percent(60) ? width : static_cast<size_t>(r.below(17));
  text = length <= text.size() ? text.substr(0, length)
                               : text + std::string(length - text.size(), '0');
  if (r.percent(30)) mutate(r, text);
  return text;
}

// A condition in one of the shapes the statements use, or their mirror.
DateCondition randomCondition(DemoRandom& r,
                              const std::vector<Instant>& stored) {
  size_t f = static_cast<size_t>(r.below(std::size(kFormats)));
  std::string toChar = "to_char(D,'" + std::string(kFormats[f]) + "')";
  std::string op(kOperators[r.below(5)]);
  if (r.percent(30)) op = " " + op + " ";
  DateCondition c;
  c.value = randomValue(r, stored, kFormatWidths[f]);
  int shape = r.below(5);
  if (shape == 3 && !c.value) shape = 0;
  switch (shape) {
    case 0: c.text = toChar + op + ":b0"; break;
    case 1: c.text = ":b0" + op + toChar; break;
    case 2:
      c.text = toChar + op + "substr(:b0,1," + std::to_string(r.below(11)) +
               ")";
      break;
    case 3:
      c.text = toChar + op + "'" + *c.value + "'";
      c.value.reset();
      break;
    default: c.text = "not (" + toChar + op + ":b0)"; break;
  }
  return c;
}

std::string rowsText(const std::vector<int>& rows,
                     const std::vector<std::string>& instants) {
  std::string text;
  for (size_t i = 0; i < rows.size() && i < 4; ++i)
    text += " " + instants[static_cast<size_t>(rows[i])];
  if (rows.size() > 4) text += " ...";
  return text.empty() ? " none" : text;
}

// The rows of `a` that `b` lacks (both ascending).
std::vector<int> without(const std::vector<int>& a, const std::vector<int>& b) {
  std::vector<int> rest;
  size_t j = 0;
  for (int n : a) {
    while (j < b.size() && b[j] < n) ++j;
    if (j == b.size() || b[j] != n) rest.push_back(n);
  }
  return rest;
}

}  // namespace

std::vector<std::string> checkDateConditions(DateConditionRunner& runner,
                                             uint32_t seed, int instantCount,
                                             int conditionCount) {
  DemoRandom r(seed);
  std::vector<Instant> stored;
  std::vector<std::string> instants;
  for (int i = 0; i < instantCount; ++i) {
    stored.push_back(randomInstant(r));
    instants.push_back(isoText(stored.back()));
  }
  instants.push_back("");  // a NULL date
  runner.store(instants);
  std::vector<std::string> failures;
  for (int i = 0; i < conditionCount; ++i) {
    DateCondition c = randomCondition(r, stored);
    std::vector<int> literal = runner.select(c, false);
    std::vector<int> rewritten = runner.select(c, true);
    if (literal == rewritten) continue;
    std::string value = c.value ? "'" + *c.value + "'" : "NULL";
    if (c.text.find(":b0") == std::string::npos) value = "(none)";
    failures.push_back(
        c.text + " with :b0 = " + value + ": only as written" +
        rowsText(without(literal, rewritten), instants) +
        "; only rewritten" + rowsText(without(rewritten, literal), instants));
  }
  return failures;
}

}  // namespace ravlen::testing
