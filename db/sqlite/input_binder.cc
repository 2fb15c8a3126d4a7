#include "db/sqlite/input_binder.h"

#include <sqlite3.h>

#include <cstring>

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

}  // namespace

int InputBinder::bindText(sqlite3_stmt* stmt, int param, const HostVar& v,
                          Texts texts, Held* h) {
  const char* text = static_cast<const char*>(v.address);
  size_t size = strnlen(text, v.bufferSize - 1);
  if (size == 0) {
    if (h->kind == Held::Kind::kNull) return SQLITE_OK;
    h->kind = Held::Kind::kNull;
    return sqlite3_bind_null(stmt, param);
  }
  bool copy = texts == Texts::kCopy;
  if (h->kind == Held::Kind::kText && h->text.size() == size &&
      (h->copied || (!copy && h->address == v.address)) &&
      std::memcmp(h->text.data(), text, size) == 0)
    return SQLITE_OK;
  h->kind = Held::Kind::kText;
  h->copied = copy;
  h->address = v.address;
  h->text.assign(text, size);
  return sqlite3_bind_text(stmt, param, text, static_cast<int>(size),
                           copy ? SQLITE_TRANSIENT : SQLITE_STATIC);
}

int InputBinder::bind(sqlite3_stmt* stmt, int param, const HostVar& v,
                      Texts texts) {
  if (held_.size() < static_cast<size_t>(param)) held_.resize(param);
  Held& h = held_[param - 1];
  int rc;
  if (v.kind == HostKind::kText) {
    rc = bindText(stmt, param, v, texts, &h);
  } else {
    Held::Kind kind = v.kind == HostKind::kInt ? Held::Kind::kInt
                                               : Held::Kind::kDouble;
    uint64_t bits = bitsOf(v);
    if (h.kind == kind && h.bits == bits) return SQLITE_OK;
    h.kind = kind;
    h.bits = bits;
    rc = kind == Held::Kind::kInt
             ? sqlite3_bind_int(stmt, param, *static_cast<int32_t*>(v.address))
             : sqlite3_bind_double(stmt, param,
                                   *static_cast<double*>(v.address));
  }
  // After a failed bind the parameter's value is unknown.
  if (rc != SQLITE_OK) h.kind = Held::Kind::kUnknown;
  return rc;
}

}  // namespace ravlen
