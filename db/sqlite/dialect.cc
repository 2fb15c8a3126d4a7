#include "db/sqlite/dialect.h"

#include <sqlite3.h>

#include <string>

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

void toDate(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
  dateResult(ctx, oracleToDate(textArg(argv[0]), textArg(argv[1])));
}

void toChar(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
  double julian;
  if (!dateArg(ctx, argv[0], &julian)) return;
  TextResult r = oracleToChar(julian, textArg(argv[1]));
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

void raise(sqlite3_context* ctx, int, sqlite3_value** argv) {
  int code = sqlite3_value_int(argv[0]);
  if (code == -1427) {
    return sqlite3_result_error(
        ctx, "ORA-01427: single-row subquery returns more than one row", -1);
  }
  std::string message = "ORA-" + std::to_string(-code);
  sqlite3_result_error(ctx, message.c_str(), -1);
}

}  // namespace

int registerDialect(sqlite3* db) {
  constexpr int kPure = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
  struct Function {
    const char* name;
    int args;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
    int flags;
  };
  const Function kFunctions[] = {
      {"to_date", 2, toDate, kPure},
      {"to_char", 2, toChar, kPure},
      {"trunc", 1, trunc, kPure},
      {"add_months", 2, addMonths, kPure},
      {"ravlen_raise", 1, raise, SQLITE_UTF8},
  };
  for (const Function& f : kFunctions) {
    int rc = sqlite3_create_function_v2(db, f.name, f.args, f.flags, nullptr,
                                        f.fn, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return rc;
  }
  return SQLITE_OK;
}

}  // namespace ravlen
