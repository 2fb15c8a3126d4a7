#include "db/postgresql/pg_inputs.h"

#include <charconv>
#include <ctime>
#include <optional>

namespace ravlen {

Oid parameterType(HostKind kind) {
  switch (kind) {
    case HostKind::kText: return kTextOid;
    case HostKind::kInt: return kInt4Oid;
    case HostKind::kDouble: return kFloat8Oid;
  }
  return 0;
}

namespace {

// Writes `value` terminated into `out`.
template <typename T>
const char* decimal(T value, std::array<char, 32>& out) {
  auto end = std::to_chars(out.data(), out.data() + out.size() - 1, value).ptr;
  *end = '\0';
  return out.data();
}

}  // namespace

std::vector<Oid> parameterTypes(HostVars in, const PgTranslation& tr) {
  std::vector<Oid> types;
  for (const HostVar& v : in) types.push_back(parameterType(v.kind));
  types.resize(static_cast<size_t>(tr.parameterCount()), kTimestampOid);
  return types;
}

void PgInputs::bind(HostVars in, const PgTranslation& tr) {
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
    params_.types.push_back(parameterType(v.kind));
  }
  if (tr.sysdateParameter > 0) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(now_.data(), now_.size(), "%Y-%m-%d %H:%M:%S", &local);
    params_.values.push_back(now_.data());
    params_.types.push_back(kTimestampOid);
  }
  bindDateBounds(tr);
}

// Two timestamps per rewritten comparison, NULL for a NULL value. The texts
// are made first, then pointed to: bounds_ must not move afterwards.
void PgInputs::bindDateBounds(const PgTranslation& tr) {
  bounds_.clear();
  std::vector<bool> null;
  for (const PgDateBound& b : tr.dateBounds) {
    const char* text = params_.values[static_cast<size_t>(b.input)];
    std::optional<std::string> value = comparedValue(
        b, text ? std::optional<std::string_view>(text) : std::nullopt);
    null.push_back(!value);
    SecondRange range;
    if (value) range = dateTextRange(b.format, b.op, *value);
    bounds_.push_back(timestampText(range.from));
    bounds_.push_back(timestampText(range.until));
  }
  for (size_t i = 0; i < bounds_.size(); ++i) {
    params_.values.push_back(null[i / 2] ? nullptr : bounds_[i].c_str());
    params_.types.push_back(kTimestampOid);
  }
}

}  // namespace ravlen
