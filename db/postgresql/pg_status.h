// Status numbers of the statement layer from PostgreSQL's outcomes.
//
// SQLSTATE to status, as the embedded database numbers the same failures:
//   23505 unique key -1, 23502 NOT NULL -1400, 42P01 no table -942,
//   42703 no column -904, 21000 scalar subquery rows -1427,
//   22001 text longer than its column -12899, 55P03 lock not had -54;
// every other SQLSTATE kServerBase less a number made of its five
// characters (never -1, never one of the above). A lost connection is
// -3113 on the statement that met it and -3114 on every later one.
#ifndef RAVLEN_DB_POSTGRESQL_PG_STATUS_H_
#define RAVLEN_DB_POSTGRESQL_PG_STATUS_H_

#include <string>
#include <string_view>

#include "db/status.h"

namespace ravlen {

namespace sqlstatus {
inline constexpr SqlStatus kTextTooLong{-12899};
inline constexpr SqlStatus kConnectionLost{-3113};
inline constexpr SqlStatus kCannotConnect{-12541};
// Any other failure of the server: -30000 and less.
inline constexpr int32_t kServerBase = -30000;
}  // namespace sqlstatus

SqlStatus statusFromSqlstate(std::string_view sqlstate);

// The first line of a server or client message, without trailing blanks,
// and with every occurrence of `secret` (when not empty) replaced by "***".
std::string firstLine(std::string_view message, std::string_view secret = {});

}  // namespace ravlen

#endif  // RAVLEN_DB_POSTGRESQL_PG_STATUS_H_
