// Opening a connection to a PostgreSQL server for a service name.
//
// A service "postgresql://..." or "postgres://..." is a libpq connection
// URI (without user or password; a socket directory as "?host=/path", a
// service file entry as "?service=NAME"). The login and password of the
// settings are given to libpq as values of their own, never in a text
// that could be shown: an empty login leaves the user to libpq's defaults,
// an empty password leaves authentication to the server's rules (a
// password file, for example). The session runs with UTF-8 texts, ISO
// dates, the application name given, and a connect timeout of 10 s unless the URI
// says otherwise.
//
// On failure the result is null and *message holds the first line of
// libpq's reason, the password (if any) replaced by "***".
#ifndef RAVLEN_DB_POSTGRESQL_PG_CONNECT_H_
#define RAVLEN_DB_POSTGRESQL_PG_CONNECT_H_

#include <libpq-fe.h>

#include <string>
#include <string_view>

namespace ravlen {

// Whether `service` names a PostgreSQL server.
bool isServerService(std::string_view service);

// `name` is the application name the server shows for the session.
PGconn* connectToServer(std::string_view service, std::string_view login,
                        std::string_view password, std::string* message,
                        const char* name = "ravlen");

}  // namespace ravlen

#endif  // RAVLEN_DB_POSTGRESQL_PG_CONNECT_H_
