// Host variables: the program's side of a statement's placeholders.
//
// A statement text names its inputs ":b0", ":b1", ... and the statement
// layer binds one HostVar per occurrence, in text order: a placeholder used
// twice is passed twice. Outputs (select-into targets, fetched columns) are
// HostVars too, one per output column in order.
//
// Kinds:
//  - text(n): a FixedText<n>; as input an empty text binds as NULL; as output
//    the column is stored with its terminator and cut to n characters;
//  - int: a 32-bit signed integer;
//  - double: a 64-bit floating-point number.
// A NULL output column leaves its host variable unchanged. An output may
// carry an indicator (withIndicator): the statement layer sets it to -1 when
// the column was NULL and to 0 when it delivered a value; the rare caller
// that must tell a NULL from a value reads it.
#ifndef RAVLEN_DB_HOST_VAR_H_
#define RAVLEN_DB_HOST_VAR_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <type_traits>

#include "db/fixed_text.h"

namespace ravlen {

enum class HostKind : uint8_t { kText, kInt, kDouble };

struct HostVar {
  HostKind kind;
  void* address;
  uint32_t bufferSize;  // text: capacity plus terminator; else sizeof
  int16_t* indicator = nullptr;
};

template <size_t N>
HostVar hostVar(FixedText<N>& text) {
  return {HostKind::kText, text.data(), static_cast<uint32_t>(N + 1)};
}
// Inputs are never written; the const overloads exist for them alone.
template <size_t N>
HostVar hostVar(const FixedText<N>& text) {
  return hostVar(const_cast<FixedText<N>&>(text));
}
inline HostVar hostVar(int32_t& value) {
  return {HostKind::kInt, &value, sizeof value};
}
inline HostVar hostVar(const int32_t& value) {
  return hostVar(const_cast<int32_t&>(value));
}
inline HostVar hostVar(double& value) {
  return {HostKind::kDouble, &value, sizeof value};
}
inline HostVar hostVar(const double& value) {
  return hostVar(const_cast<double&>(value));
}

// The output `var` with an indicator that records whether its column was
// NULL (-1) or not (0).
inline HostVar withIndicator(HostVar var, int16_t& indicator) {
  var.indicator = &indicator;
  return var;
}

template <typename Part>
constexpr size_t hostVarCount() {
  if constexpr (std::is_same_v<Part, HostVar>)
    return 1;
  else
    return std::tuple_size_v<Part>;
}

// The host variables of `parts` (single HostVars or std::arrays of them),
// one after the other, in exactly N places: for bind lists that several
// statements compose of the same groups of columns.
template <size_t N, typename... Parts>
std::array<HostVar, N> joinHostVars(const Parts&... parts) {
  static_assert(N == (hostVarCount<Parts>() + ...), "N must count the parts");
  std::array<HostVar, N> all{};
  size_t next = 0;
  auto append = [&](const auto& part) {
    if constexpr (std::is_same_v<std::decay_t<decltype(part)>, HostVar>) {
      all[next++] = part;
    } else {
      for (const HostVar& v : part) all[next++] = v;
    }
  };
  (append(parts), ...);
  return all;
}

// A borrowed list of host variables, built from a braced list at the call
// (valid for the duration of that call) or from a longer-lived array.
class HostVars {
 public:
  HostVars() = default;
  HostVars(std::initializer_list<HostVar> list)
      : vars_(list.begin(), list.size()) {}
  HostVars(std::span<const HostVar> vars) : vars_(vars) {}
  template <size_t K>
  HostVars(const HostVar (&vars)[K]) : vars_(vars, K) {}
  template <size_t K>
  HostVars(const std::array<HostVar, K>& vars) : vars_(vars) {}

  size_t size() const { return vars_.size(); }
  const HostVar& operator[](size_t i) const { return vars_[i]; }
  auto begin() const { return vars_.begin(); }
  auto end() const { return vars_.end(); }

 private:
  std::span<const HostVar> vars_;
};

}  // namespace ravlen

#endif  // RAVLEN_DB_HOST_VAR_H_
