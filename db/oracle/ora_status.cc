#include "db/oracle/ora_status.h"

namespace ravlen {

SqlStatus statusFromOci(oci::sword rc, int32_t errorCode) {
  switch (rc) {
    case oci::OCI_SUCCESS:
    case oci::OCI_SUCCESS_WITH_INFO:
      return sqlstatus::kOk;
    case oci::OCI_NO_DATA:
      return sqlstatus::kNoData;
    case oci::OCI_ERROR:
      if (errorCode == 1403) return sqlstatus::kNoData;
      return errorCode > 0 ? SqlStatus(-errorCode) : sqlstatus::kClientFailure;
    default:
      return sqlstatus::kClientFailure;
  }
}

std::string oneLine(std::string_view message, std::string_view secret) {
  std::string out(message);
  if (!secret.empty()) {
    for (size_t at; (at = out.find(secret)) != std::string::npos;)
      out.replace(at, secret.size(), "***");
  }
  for (char& c : out) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  while (!out.empty() && (out.back() == ' ' || out.back() == '\0'))
    out.pop_back();
  return out;
}

}  // namespace ravlen
