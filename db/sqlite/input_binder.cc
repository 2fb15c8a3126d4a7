#include "db/sqlite/input_binder.h"

#include <sqlite3.h>

#include <cstring>
#include <string_view>

namespace ravlen {
namespace {

uint64_t bitsOf(const HostVar& v) {
  if (v.kind == HostKind::kInt)
    return static_cast<uint64_t>(
        static_cast<int64_t>(*static_cast<const int32_t*>(v.address)));
  uint64_t bits;
  std::memcpy(&bits, v.address, sizeof bits);
  return bits;
}

// The text of a text host variable, up to its terminator.
std::string_view textOf(const HostVar& v) {
  const char* text = static_cast<const char*>(v.address);
  return {text, strnlen(text, v.bufferSize - 1)};
}

}  // namespace

bool InputBinder::holds(const Held& h, const HostVar& v, std::string_view text,
                        Texts texts) const {
  using Kind = Held::Kind;
  switch (v.kind) {
    case HostKind::kText:
      if (text.empty()) return h.kind == Kind::kNull;
      return h.kind == Kind::kText && h.text == text &&
             (h.copied || (texts == Texts::kInPlace && h.address == v.address));
    case HostKind::kInt:
      return h.kind == Kind::kInt && h.bits == bitsOf(v);
    case HostKind::kDouble:
      return h.kind == Kind::kDouble && h.bits == bitsOf(v);
  }
  return false;
}

int InputBinder::bindText(sqlite3_stmt* stmt, int param, const HostVar& v,
                          std::string_view text, Texts texts, Held* h) {
  if (text.empty()) {
    h->kind = Held::Kind::kNull;
    return sqlite3_bind_null(stmt, param);
  }
  h->kind = Held::Kind::kText;
  h->copied = texts == Texts::kCopy;
  h->address = v.address;
  h->text.assign(text);
  return sqlite3_bind_text(stmt, param, text.data(),
                           static_cast<int>(text.size()),
                           h->copied ? SQLITE_TRANSIENT : SQLITE_STATIC);
}

int InputBinder::bind(sqlite3_stmt* stmt, int param, const HostVar& v,
                      Texts texts) {
  if (held_.size() < static_cast<size_t>(param)) held_.resize(param);
  Held& h = held_[param - 1];
  std::string_view text = v.kind == HostKind::kText ? textOf(v) : "";
  if (holds(h, v, text, texts)) return SQLITE_OK;
  int rc;
  switch (v.kind) {
    case HostKind::kText:
      rc = bindText(stmt, param, v, text, texts, &h);
      break;
    case HostKind::kInt:
      h.kind = Held::Kind::kInt;
      rc = sqlite3_bind_int(stmt, param, *static_cast<int32_t*>(v.address));
      break;
    case HostKind::kDouble:
      h.kind = Held::Kind::kDouble;
      rc = sqlite3_bind_double(stmt, param, *static_cast<double*>(v.address));
      break;
    default:
      rc = SQLITE_MISUSE;
  }
  h.bits = v.kind == HostKind::kText ? 0 : bitsOf(v);
  // After a failed bind the parameter's value is unknown.
  if (rc != SQLITE_OK) h.kind = Held::Kind::kUnknown;
  return rc;
}

}  // namespace ravlen
