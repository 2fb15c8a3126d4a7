// SqlStatus: the status of one statement, in the database's own numbering.
//
//   0      success
//   1403   no row: a select-into that finds none, a fetch past the last row,
//          an update or delete that touches no row
//   < 0    an error, numbered as the database numbers it (-1 unique key,
//          -1422 several rows for a select-into, ...)
//
// Every statement function returns one. Callers of the run examine fetch
// statuses only; the numbers are what operators and logs know them by.
#ifndef RAVLEN_DB_STATUS_H_
#define RAVLEN_DB_STATUS_H_

#include <cstdint>

namespace ravlen {

class SqlStatus {
 public:
  constexpr SqlStatus() : code_(0) {}
  constexpr explicit SqlStatus(int32_t code) : code_(code) {}

  constexpr int32_t code() const { return code_; }
  constexpr bool ok() const { return code_ == 0; }
  constexpr bool noData() const { return code_ == 1403; }
  constexpr bool failed() const { return code_ < 0; }

  friend constexpr bool operator==(SqlStatus a, SqlStatus b) {
    return a.code_ == b.code_;
  }

 private:
  int32_t code_;
};

namespace sqlstatus {
inline constexpr SqlStatus kOk{0};
inline constexpr SqlStatus kNoData{1403};
inline constexpr SqlStatus kUniqueKey{-1};
inline constexpr SqlStatus kNoTable{-942};
inline constexpr SqlStatus kNoColumn{-904};
inline constexpr SqlStatus kNotNull{-1400};
inline constexpr SqlStatus kNullWithoutIndicator{-1405};
inline constexpr SqlStatus kTooManyRows{-1422};
inline constexpr SqlStatus kSubqueryRows{-1427};
inline constexpr SqlStatus kUnknownSchema{-1435};
// The database is held by another session or writer beyond the wait.
inline constexpr SqlStatus kResourceBusy{-54};
inline constexpr SqlStatus kNotConnected{-3114};
inline constexpr SqlStatus kNoService{-12154};
// The output list does not match the columns of the statement.
inline constexpr SqlStatus kOutputMismatch{-1007};
// Any other failure of the embedded database: -20000 less its result code.
inline constexpr int32_t kEmbeddedBase = -20000;
}  // namespace sqlstatus

}  // namespace ravlen

#endif  // RAVLEN_DB_STATUS_H_
