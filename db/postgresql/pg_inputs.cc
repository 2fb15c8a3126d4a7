#include "db/postgresql/pg_inputs.h"

#include <charconv>
#include <ctime>

namespace ravlen {

namespace {

Oid typeOf(HostKind kind) {
  switch (kind) {
    case HostKind::kText: return kTextOid;
    case HostKind::kInt: return kInt4Oid;
    case HostKind::kDouble: return kFloat8Oid;
  }
  return 0;
}

// Writes `value` terminated into `out`.
template <typename T>
const char* decimal(T value, std::array<char, 32>& out) {
  auto end = std::to_chars(out.data(), out.data() + out.size() - 1, value).ptr;
  *end = '\0';
  return out.data();
}

}  // namespace

std::vector<Oid> parameterTypes(HostVars in, bool withSysdate) {
  std::vector<Oid> types;
  for (const HostVar& v : in) types.push_back(typeOf(v.kind));
  if (withSysdate) types.push_back(kTimestampOid);
  return types;
}

void PgInputs::bind(HostVars in, bool withSysdate) {
  params_.values.clear();
  params_.types.clear();
  numbers_.resize(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    const HostVar& v = in[i];
    const char* value = nullptr;
    switch (v.kind) {
      case HostKind::kText: {
        // FixedText keeps its terminator within the buffer.
        const char* text = static_cast<const char*>(v.address);
        value = text[0] == '\0' ? nullptr : text;
        break;
      }
      case HostKind::kInt:
        value = decimal(*static_cast<int32_t*>(v.address), numbers_[i]);
        break;
      case HostKind::kDouble:
        value = decimal(*static_cast<double*>(v.address), numbers_[i]);
        break;
    }
    params_.values.push_back(value);
    params_.types.push_back(typeOf(v.kind));
  }
  if (!withSysdate) return;
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(now_.data(), now_.size(), "%Y-%m-%d %H:%M:%S", &local);
  params_.values.push_back(now_.data());
  params_.types.push_back(kTimestampOid);
}

}  // namespace ravlen
