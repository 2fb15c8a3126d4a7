#include "db/sqlite/dialect.h"

#include <sqlite3.h>

#include <cmath>
#include <string>

#include "db/date_text_range.h"
#include "db/sqlite/date_format.h"
#include "db/sqlite/oracle_dates.h"

namespace ravlen {
namespace {

std::string_view textArg(sqlite3_value* v) {
  const unsigned char* text = sqlite3_value_text(v);
  return {reinterpret_cast<const char*>(text),
          static_cast<size_t>(sqlite3_value_bytes(v))};
}

bool anyNull(int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i) {
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
  }
  return false;
}

// Reads a date argument; on a non-numeric value fails the call.
bool dateArg(sqlite3_context* ctx, sqlite3_value* v, double* julian) {
  int type = sqlite3_value_type(v);
  if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) {
    sqlite3_result_error(ctx, "ORA-00932: inconsistent datatypes: expected "
                              "DATE got CHAR", -1);
    return false;
  }
  *julian = sqlite3_value_double(v);
  return true;
}

void dateResult(sqlite3_context* ctx, const DateResult& r) {
  if (!r.ok) return sqlite3_result_error(ctx, r.error.c_str(), -1);
  if (r.null) return sqlite3_result_null(ctx);
  sqlite3_result_double(ctx, r.julian);
}

// The parsed format of argument `i`, from the function's store of the
// connection's formats.
const DateFormat& formatArg(sqlite3_context* ctx, sqlite3_value** argv,
                            int i) {
  auto* cache = static_cast<DateFormatCache*>(sqlite3_user_data(ctx));
  return cache->get(textArg(argv[i]));
}

void toDate(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
  std::string_view text = textArg(argv[0]);
  dateResult(ctx, oracleToDate(text, formatArg(ctx, argv, 1)));
}

void toChar(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
  double julian;
  if (!dateArg(ctx, argv[0], &julian)) return;
  TextResult r = oracleToChar(julian, formatArg(ctx, argv, 1));
  if (!r.ok) return sqlite3_result_error(ctx, r.error.c_str(), -1);
  sqlite3_result_text(ctx, r.text.data(), static_cast<int>(r.text.size()),
                      SQLITE_TRANSIENT);
}

void trunc(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
  double julian;
  if (!dateArg(ctx, argv[0], &julian)) return;
  dateResult(ctx, oracleTrunc(julian));
}

void addMonths(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
  double julian;
  if (!dateArg(ctx, argv[0], &julian)) return;
  dateResult(ctx, oracleAddMonths(julian, sqlite3_value_int64(argv[1])));
}

// Every date, or none, whichever bounds a translation takes of the range.
SecondRange everyOrNo(bool every) {
  using Kind = SecondBound::Kind;
  if (every) return {{Kind::kBelowAll}, {Kind::kAboveAll}};
  return {{Kind::kAboveAll}, {Kind::kBelowAll}};
}

// The range of stored dates whose to_char(date, format) compares by `op`
// with the value, as SQLite compares a text with a value of any type.
bool rangeOf(sqlite3_context* ctx, sqlite3_value** argv, SecondRange* range) {
  const DateFormat& format = formatArg(ctx, argv, 0);
  std::optional<DateCompare> op = dateCompareOf(textArg(argv[1]));
  if (!op || !format.ordered) {
    sqlite3_result_error(ctx, "ORA-01821: date format not recognized", -1);
    return false;
  }
  switch (sqlite3_value_type(argv[2])) {
    case SQLITE_TEXT:
      *range = dateTextRange(format.text, *op, textArg(argv[2]));
      return true;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:  // a number sorts before every text
      *range = everyOrNo(*op == DateCompare::kGt || *op == DateCompare::kGe);
      return true;
    default:  // a blob sorts after every text
      *range = everyOrNo(*op == DateCompare::kLt || *op == DateCompare::kLe);
      return true;
  }
}

void boundResult(sqlite3_context* ctx, const SecondBound& bound) {
  switch (bound.kind) {
    case SecondBound::Kind::kBelowAll:
      return sqlite3_result_double(ctx, -HUGE_VAL);
    case SecondBound::Kind::kAboveAll:
      return sqlite3_result_double(ctx, HUGE_VAL);
    case SecondBound::Kind::kAt:
      return sqlite3_result_double(ctx, firstJulianOfSecond(bound.second));
  }
}

// ravlen_date_from(format, op, value) and ravlen_date_until(...): the
// bounds of the translation's range condition; NULL for a NULL value, so
// that the condition is NULL as the comparison would be.
void dateFrom(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  SecondRange range;
  if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
  if (rangeOf(ctx, argv, &range)) boundResult(ctx, range.from);
}

void dateUntil(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  SecondRange range;
  if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
  if (rangeOf(ctx, argv, &range)) boundResult(ctx, range.until);
}

void raise(sqlite3_context* ctx, int, sqlite3_value** argv) {
  int code = sqlite3_value_int(argv[0]);
  if (code == -1427) {
    return sqlite3_result_error(
        ctx, "ORA-01427: single-row subquery returns more than one row", -1);
  }
  std::string message = "ORA-" + std::to_string(-code);
  sqlite3_result_error(ctx, message.c_str(), -1);
}

void deleteFormats(void* cache) { delete static_cast<DateFormatCache*>(cache); }

}  // namespace

// Each function that takes a format gets a store of parsed formats of its
// own, which the connection deletes with the function.
int registerDialect(sqlite3* db) {
  constexpr int kPure = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
  struct Function {
    const char* name;
    int args;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
    int flags;
    bool formats;
  };
  const Function kFunctions[] = {
      {"to_date", 2, toDate, kPure, true},
      {"to_char", 2, toChar, kPure, true},
      {"trunc", 1, trunc, kPure, false},
      {"add_months", 2, addMonths, kPure, false},
      {"ravlen_date_from", 3, dateFrom, kPure, true},
      {"ravlen_date_until", 3, dateUntil, kPure, true},
      {"ravlen_raise", 1, raise, SQLITE_UTF8, false},
  };
  for (const Function& f : kFunctions) {
    // On failure the call deletes the store itself.
    void* cache = f.formats ? new DateFormatCache : nullptr;
    int rc = sqlite3_create_function_v2(db, f.name, f.args, f.flags, cache,
                                        f.fn, nullptr, nullptr,
                                        f.formats ? deleteFormats : nullptr);
    if (rc != SQLITE_OK) return rc;
  }
  return SQLITE_OK;
}

}  // namespace ravlen
