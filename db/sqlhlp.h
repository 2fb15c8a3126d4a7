// SQLHlp: opening, committing and ending the program's database session.
//
//  - sqlConnect connects with the connect text "LOGIN/PASS@NET8" and, only
//    when that succeeded, runs "ALTER SESSION SET CURRENT_SCHEMA=<schema>" as
//    a statement prepared from its text. It returns 0 or the status of the
//    step that failed. Credentials and schema names of any length are used
//    whole; a schema name that is not a plain identifier fails the schema
//    statement, so it never reaches a file path.
//  - sqlCommit commits the session's work: 1 on success, else 0.
//  - sqlEnd does nothing and returns 0; the session ends with the process and
//    its uncommitted work is rolled back then.
#ifndef RAVLEN_DB_SQLHLP_H_
#define RAVLEN_DB_SQLHLP_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace ravlen {

inline constexpr std::string_view kSetSchemaStatement =
    "ALTER SESSION SET CURRENT_SCHEMA=";

std::string makeConnectText(std::string_view login, std::string_view password,
                            std::string_view service);

int32_t sqlConnect(std::string_view login, std::string_view password,
                   std::string_view service, std::string_view schema);
int32_t sqlCommit();
int32_t sqlEnd();

}  // namespace ravlen

#endif  // RAVLEN_DB_SQLHLP_H_
