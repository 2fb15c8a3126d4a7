// Loading the Oracle client library (libclntsh) at run time.
//
// findOciLibrary looks where an Oracle client is installed, in this order:
//  1. $ORACLE_HOME/lib/libclntsh.so, when ORACLE_HOME is set;
//  2. libclntsh.so through the dynamic loader's own search: LD_LIBRARY_PATH,
//     the directories of /etc/ld.so.conf (an Instant Client registered with
//     ldconfig), the system's library directories.
// loadOciLibrary tries the given candidates in that order. The first file
// that loads and has every function of OciFunctions wins; a library is
// loaded once per process and never unloaded. When none does, the result
// is null and *error says what was looked for, where, and why it failed
// (the loader's own reason), for the operator.
#ifndef RAVLEN_DB_ORACLE_OCI_LIBRARY_H_
#define RAVLEN_DB_ORACLE_OCI_LIBRARY_H_

#include <string>
#include <vector>

#include "db/oracle/oci.h"

namespace ravlen {

inline constexpr char kOciLibraryName[] = "libclntsh.so";

// The candidates in the order above.
std::vector<std::string> ociLibraryCandidates();

const OciFunctions* loadOciLibrary(const std::vector<std::string>& candidates,
                                   std::string* error);

inline const OciFunctions* findOciLibrary(std::string* error) {
  return loadOciLibrary(ociLibraryCandidates(), error);
}

}  // namespace ravlen

#endif  // RAVLEN_DB_ORACLE_OCI_LIBRARY_H_
