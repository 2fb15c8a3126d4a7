// Storing one fetched column into its host variable, the same for every
// backend (see host_var.h):
//  - storeText: a text host variable gets the value cut to its capacity,
//    never inside a UTF-8 character, and terminated; a number host
//    variable gets the value read as a number;
//  - storeInteger: an int host variable takes a value of 32 bits only
//    (false otherwise, the variable unchanged: status kIntegerOverflow); a
//    double or text host variable takes any;
//  - storeDouble: a double as it is, an int cut toward zero as SQLite
//    does, a text in its shortest exact form;
//  - storeRow: a whole row, with NULLs, indicators and the statuses of a
//    mismatched output list.
#ifndef RAVLEN_DB_OUTPUT_STORE_H_
#define RAVLEN_DB_OUTPUT_STORE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/host_var.h"
#include "db/status.h"

namespace ravlen {

namespace sqlstatus {
inline constexpr SqlStatus kIntegerOverflow{-1455};
}
inline constexpr char kIntegerOverflowMessage[] =
    "ORA-01455: converting column overflows integer datatype";

bool storeText(const HostVar& v, std::string_view value);
bool storeInteger(const HostVar& v, int64_t value);
bool storeDouble(const HostVar& v, double value);

// Stores one row of `columns` columns into `out`: isNull(i) tells a NULL,
// store(i, v) stores column i into v (false: integer overflow). NULL
// leaves the variable unchanged; an indicator, where the variable has one,
// says -1 (NULL) or 0. `indicators` (select-into only) says which outputs
// the text gave an indicator: a NULL into one without fails with -1405.
// On a failure *message gets the database's text.
template <typename IsNull, typename Store>
SqlStatus storeRow(HostVars out, size_t columns,
                   const std::vector<bool>* indicators, IsNull isNull,
                   Store store, std::string* message) {
  if (out.size() != columns) {
    *message = "ORA-01007: variable not in select list";
    return sqlstatus::kOutputMismatch;
  }
  for (size_t i = 0; i < columns; ++i) {
    const HostVar& v = out[i];
    bool null = isNull(i);
    if (null && indicators && !(*indicators)[i]) {
      *message = "ORA-01405: fetched column value is NULL";
      return sqlstatus::kNullWithoutIndicator;
    }
    if (v.indicator) *v.indicator = null ? -1 : 0;
    if (null) continue;
    if (!store(i, v)) {
      *message = kIntegerOverflowMessage;
      return sqlstatus::kIntegerOverflow;
    }
  }
  return sqlstatus::kOk;
}

}  // namespace ravlen

#endif  // RAVLEN_DB_OUTPUT_STORE_H_
