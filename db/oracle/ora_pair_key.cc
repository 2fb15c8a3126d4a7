#include "db/oracle/ora_pair_key.h"

#include <cstdio>
#include <cstring>

#include "db/statement_scan.h"
#include "db/write_pair_key.h"

namespace ravlen {

namespace {

std::string numberKey(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value == 0 ? 0.0 : value);
  return text;
}

std::string valueKey(const HostVar& v) {
  const char* at = static_cast<const char*>(v.address);
  switch (v.kind) {
    case HostKind::kText: {
      std::string_view text(at, strnlen(at, v.bufferSize - 1));
      while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
      return upperAscii(text);
    }
    case HostKind::kInt: {
      int32_t value;
      std::memcpy(&value, at, sizeof value);
      return numberKey(value);
    }
    case HostKind::kDouble: {
      double value;
      std::memcpy(&value, at, sizeof value);
      return numberKey(value);
    }
  }
  return {};
}

}  // namespace

std::vector<size_t> updateKeyInputs(std::string_view updateText) {
  PairKey key;
  if (!readUpdateKey(updateText, &key)) return {};
  return key.updateInputs;
}

std::optional<std::string> rowKey(HostVars in,
                                  const std::vector<size_t>& inputs) {
  if (inputs.empty()) return std::nullopt;
  std::string key;
  for (size_t i : inputs) {
    if (i >= in.size()) return std::nullopt;
    key += valueKey(in[i]);
    key += '\0';  // texts end at their terminator: no value holds one
  }
  return key;
}

}  // namespace ravlen
