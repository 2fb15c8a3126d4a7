#include "db/sqlhlp.h"

#include "db/session.h"

namespace ravlen {

std::string makeConnectText(std::string_view login, std::string_view password,
                            std::string_view service) {
  std::string text;
  text.reserve(login.size() + password.size() + service.size() + 2);
  text.append(login).append("/").append(password).append("@").append(service);
  return text;
}

int32_t sqlConnect(std::string_view login, std::string_view password,
                   std::string_view service, std::string_view schema) {
  SqlStatus status = session().connect(makeConnectText(login, password, service));
  if (!status.ok()) return status.code();
  std::string statement(kSetSchemaStatement);
  statement.append(schema);
  return session().executeImmediate(statement).code();
}

int32_t sqlCommit() { return session().commit().ok() ? 1 : 0; }

int32_t sqlEnd() { return 0; }

}  // namespace ravlen
