#include "db/postgresql/pg_connect.h"

#include <vector>

#include "db/postgresql/pg_status.h"

namespace ravlen {

bool isServerService(std::string_view service) {
  return service.starts_with("postgresql://") ||
         service.starts_with("postgres://");
}

PGconn* connectToServer(std::string_view service, std::string_view login,
                        std::string_view password, std::string* message,
                        const char* name) {
  std::string uri(service), user(login), pass(password);
  // Values before "dbname" are defaults that the URI may override; the
  // user and password after it override anything the URI holds.
  std::vector<const char*> keys = {"connect_timeout", "application_name",
                                   "client_encoding", "options", "dbname"};
  std::vector<const char*> values = {"10", name, "UTF8",
                                     "-c DateStyle=ISO,YMD", uri.c_str()};
  if (!user.empty()) {
    keys.push_back("user");
    values.push_back(user.c_str());
  }
  if (!pass.empty()) {
    keys.push_back("password");
    values.push_back(pass.c_str());
  }
  keys.push_back(nullptr);
  values.push_back(nullptr);
  PGconn* conn = PQconnectdbParams(keys.data(), values.data(), 1);
  if (conn != nullptr && PQstatus(conn) == CONNECTION_OK) return conn;
  *message = conn ? firstLine(PQerrorMessage(conn), password)
                  : std::string("out of memory");
  if (message->empty()) *message = "connection failed";
  PQfinish(conn);
  return nullptr;
}

}  // namespace ravlen
