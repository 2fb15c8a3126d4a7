#include "db/backend.h"

#include "db/sqlite/sqlite_backend.h"

namespace ravlen {

namespace {
constexpr std::string_view kEmbeddedPrefix = "sqlite:";
}

std::unique_ptr<Backend> openBackend(std::string_view connectText,
                                     SqlStatus* status, std::string* message) {
  // "user/password@service": the service follows the "@" that begins an
  // embedded service, else the last "@" (a password may hold an "@").
  size_t at = connectText.find(std::string("@") + std::string(kEmbeddedPrefix));
  if (at == std::string_view::npos) at = connectText.rfind('@');
  std::string_view service =
      at == std::string_view::npos ? std::string_view() : connectText.substr(at + 1);
  if (!service.starts_with(kEmbeddedPrefix)) {
    *status = sqlstatus::kNoService;
    *message = "ORA-12154: TNS:could not resolve the connect identifier "
               "specified (this build has the embedded database only)";
    return nullptr;
  }
  std::string dir(service.substr(kEmbeddedPrefix.size()));
  return SqliteBackend::open(dir, status, message);
}

}  // namespace ravlen
