#include "db/output_store.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace ravlen {

namespace {

void copyText(const HostVar& v, std::string_view value) {
  size_t n = utf8CutLength(value, v.bufferSize - 1);
  char* dest = static_cast<char*>(v.address);
  std::memcpy(dest, value.data(), n);
  dest[n] = '\0';
}

}  // namespace

bool storeInteger(const HostVar& v, int64_t value) {
  switch (v.kind) {
    case HostKind::kInt:
      if (value < std::numeric_limits<int32_t>::min() ||
          value > std::numeric_limits<int32_t>::max())
        return false;
      *static_cast<int32_t*>(v.address) = static_cast<int32_t>(value);
      return true;
    case HostKind::kDouble:
      *static_cast<double*>(v.address) = static_cast<double>(value);
      return true;
    case HostKind::kText:
      copyText(v, std::to_string(value));
      return true;
  }
  return false;
}

bool storeDouble(const HostVar& v, double value) {
  switch (v.kind) {
    case HostKind::kInt:
      if (!(std::fabs(value) < 2147483648.0)) return false;
      *static_cast<int32_t*>(v.address) = static_cast<int32_t>(value);
      return true;
    case HostKind::kDouble:
      *static_cast<double*>(v.address) = value;
      return true;
    case HostKind::kText: {
      char text[32];
      auto end = std::to_chars(text, text + sizeof text, value).ptr;
      copyText(v, std::string_view(text, end - text));
      return true;
    }
  }
  return false;
}

bool storeText(const HostVar& v, std::string_view value) {
  if (v.kind == HostKind::kText) {
    copyText(v, value);
    return true;
  }
  int64_t whole = 0;
  auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), whole);
  if (ec == std::errc() && end == value.data() + value.size())
    return storeInteger(v, whole);
  double real = 0;
  auto [rend, rec] = std::from_chars(value.data(), value.data() + value.size(), real);
  if (rec != std::errc()) real = 0;  // not a number: 0, as SQLite reads it
  return storeDouble(v, real);
}

}  // namespace ravlen
