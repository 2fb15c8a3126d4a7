// Status numbers of the statement layer from the Oracle client's outcomes.
//
// The database's own numbering, unchanged: an OCI call that fails with
// ORA-nnnnn is status -nnnnn (ORA-00001 -1, ORA-01422 -1422, ORA-00942
// -942, ...); a call that ends without data (fetch past the last row,
// select-into without a row) is 1403; success, also success with a warning
// (a value cut to its buffer, a NULL in an aggregate), is 0. A call that
// failed without an error record, or with an invalid handle, is
// kClientFailure, as is a client that cannot be loaded or set up.
#ifndef RAVLEN_DB_ORACLE_ORA_STATUS_H_
#define RAVLEN_DB_ORACLE_ORA_STATUS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "db/oracle/oci.h"
#include "db/status.h"

namespace ravlen {

namespace sqlstatus {
// ORA-01019: the client side could not be set up.
inline constexpr SqlStatus kClientFailure{-1019};
}  // namespace sqlstatus

// `errorCode` is the number of the call's first error record (ORA-nnnnn:
// nnnnn), 0 when it has none.
SqlStatus statusFromOci(oci::sword rc, int32_t errorCode);

// A client message as one line: line breaks become blanks, blanks at the
// end go, and every occurrence of `secret` (when not empty) becomes "***".
std::string oneLine(std::string_view message, std::string_view secret = {});

}  // namespace ravlen

#endif  // RAVLEN_DB_ORACLE_ORA_STATUS_H_
