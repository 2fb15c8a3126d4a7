// Test support: the property that a backend's rewrite of a formatted-date
// comparison ("to_char(D,'yyyymmdd')>=:b0" into a range of D) selects
// exactly the rows that the comparison as written selects, for random
// stored date-times and random compared values.
//
// Backend-neutral: a backend supplies a DateConditionRunner that stores the
// instants and evaluates a condition both ways; checkDateConditions makes
// the instants and the conditions and compares the row sets.
//
// The instants cover the years 1 to 9999 with milliseconds, many of them in
// the last and first second of a day, month or year (at, just below and
// just above the half second at which the rounding to the second changes
// the day), and one NULL. The conditions use the ordered formats in any
// case, the five operators, both orders of the operands, a substr() of the
// value, a constant instead of a placeholder, and NOT around the
// comparison. The compared values: formatted instants cut to any length or
// with digits appended, the neighbouring texts, dates that do not exist,
// texts with separators, blanks, letters or bytes beyond ASCII, the empty
// text and NULL.
#ifndef RAVLEN_TESTS_SUPPORT_DATE_CONDITION_PROPERTY_H_
#define RAVLEN_TESTS_SUPPORT_DATE_CONDITION_PROPERTY_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ravlen::testing {

// A condition on the date column D of the table T(N, D), in the program's
// dialect, with at most one placeholder, ":b0".
struct DateCondition {
  std::string text;                  // "to_char(D,'yyyymmdd')>=:b0"
  std::optional<std::string> value;  // bound to :b0; nullopt is NULL
};

class DateConditionRunner {
 public:
  virtual ~DateConditionRunner() = default;
  // Replaces the rows of T by one row per instant: N its position (from 0),
  // D the instant 'yyyy-mm-dd hh:mi:ss.fff', or NULL for an empty text.
  virtual void store(const std::vector<std::string>& instants) = 0;
  // N of the rows for which the condition holds, ascending: evaluated as
  // written (rewritten false) or as the backend's translation makes it.
  virtual std::vector<int> select(const DateCondition& condition,
                                  bool rewritten) = 0;
};

// Stores `instants` random instants, then evaluates `conditions` random
// conditions both ways. Returns one line per condition whose row sets
// differ; empty when the property holds.
std::vector<std::string> checkDateConditions(DateConditionRunner& runner,
                                             uint32_t seed, int instants,
                                             int conditions);

}  // namespace ravlen::testing

#endif  // RAVLEN_TESTS_SUPPORT_DATE_CONDITION_PROPERTY_H_
