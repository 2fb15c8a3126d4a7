#include "db/oracle/ora_buffers.h"

#include <algorithm>
#include <cstring>

#include "db/output_store.h"

namespace ravlen {

using namespace oci;

namespace {

constexpr uint32_t kCutRoom = 4;  // bytes beyond a text's capacity

ub2 typeOf(HostKind kind) {
  switch (kind) {
    case HostKind::kText: return SQLT_CHR;
    case HostKind::kInt: return SQLT_INT;
    case HostKind::kDouble: return SQLT_FLT;
  }
  return SQLT_CHR;
}

uint32_t bufferSize(const HostVar& v) {
  return v.kind == HostKind::kText ? v.bufferSize - 1 + kCutRoom : v.bufferSize;
}

}  // namespace

void OraInputs::clear() {
  columns_.clear();
  rows_ = 0;
}

OraInputs::Column& OraInputs::column(size_t index, ub2 type) {
  if (index >= columns_.size()) {
    columns_.resize(index + 1);
    columns_[index].type = type;
  }
  return columns_[index];
}

void OraInputs::add(size_t index, ub2 type, std::string bytes, bool null) {
  Column& c = column(index, type);
  c.values.resize(rows_);  // a column that earlier rows lacked: NULLs
  c.indicators.resize(rows_, -1);
  c.values.push_back(std::move(bytes));
  c.indicators.push_back(null ? -1 : 0);
}

void OraInputs::addRow(HostVars in) {
  for (size_t i = 0; i < in.size(); ++i) {
    const HostVar& v = in[i];
    const char* at = static_cast<const char*>(v.address);
    if (v.kind == HostKind::kText) {
      std::string text(at, strnlen(at, v.bufferSize - 1));
      bool null = text.empty();
      add(i, SQLT_CHR, std::move(text), null);
    } else {
      add(i, typeOf(v.kind), std::string(at, v.bufferSize), false);
    }
  }
  ++rows_;
}

void OraInputs::addTextRow(
    const std::vector<std::optional<std::string>>& values) {
  for (size_t i = 0; i < values.size(); ++i)
    add(i, SQLT_CHR, values[i].value_or(""), !values[i].has_value());
  ++rows_;
}

void OraInputs::addRowOf(const OraInputs& from, size_t row) {
  for (size_t i = 0; i < from.columns_.size(); ++i) {
    const Column& c = from.columns_[i];
    bool present = row < c.values.size();
    add(i, c.type, present ? c.values[row] : "",
        !present || c.indicators[row] == -1);
  }
  ++rows_;
}

SqlStatus OraInputs::bind(OraSession& session, OCIStmt* stmt) {
  for (size_t i = 0; i < columns_.size(); ++i) {
    Column& c = columns_[i];
    c.values.resize(rows_);
    c.indicators.resize(rows_, -1);
    size_t width = 1;
    for (const std::string& v : c.values) width = std::max(width, v.size());
    c.buffer.assign(width * rows_, '\0');
    c.lengths.assign(rows_, 0);
    for (size_t row = 0; row < rows_; ++row) {
      std::memcpy(c.buffer.data() + row * width, c.values[row].data(),
                  c.values[row].size());
      c.lengths[row] = static_cast<ub2>(c.values[row].size());
    }
    OCIBind* bind = nullptr;
    SqlStatus status = session.check(session.api().OCIBindByPos(
        stmt, &bind, session.err(), static_cast<ub4>(i + 1), c.buffer.data(),
        static_cast<sb4>(width), c.type, c.indicators.data(), c.lengths.data(),
        nullptr, 0, nullptr, OCI_DEFAULT));
    if (!status.ok()) return status;
  }
  return sqlstatus::kOk;
}

bool OraOutputs::definedFor(HostVars out) const {
  if (out.size() != slots_.size()) return false;
  for (size_t i = 0; i < out.size(); ++i) {
    if (out[i].kind != slots_[i].kind || out[i].bufferSize != slots_[i].capacity)
      return false;
  }
  return true;
}

SqlStatus OraOutputs::define(OraSession& session, OCIStmt* stmt, HostVars out) {
  slots_.clear();
  slots_.resize(out.size());
  for (size_t i = 0; i < out.size(); ++i) {
    Slot& s = slots_[i];
    s.kind = out[i].kind;
    s.capacity = out[i].bufferSize;
    s.buffer.assign(bufferSize(out[i]), '\0');
    OCIDefine* define = nullptr;
    SqlStatus status = session.check(session.api().OCIDefineByPos(
        stmt, &define, session.err(), static_cast<ub4>(i + 1), s.buffer.data(),
        static_cast<sb4>(s.buffer.size()), typeOf(s.kind), &s.indicator,
        &s.length, nullptr, OCI_DEFAULT));
    if (!status.ok()) {
      slots_.clear();
      return status;
    }
  }
  return sqlstatus::kOk;
}

SqlStatus OraOutputs::store(HostVars out, size_t columns,
                            const std::vector<bool>* indicators,
                            std::string* message) const {
  return storeRow(
      out, columns, indicators,
      [this](size_t i) { return slots_[i].indicator == -1; },
      [this](size_t i, const HostVar& v) {
        const Slot& s = slots_[i];
        switch (s.kind) {
          case HostKind::kText:
            return storeText(v, std::string_view(s.buffer.data(), s.length));
          case HostKind::kInt: {
            int32_t value;
            std::memcpy(&value, s.buffer.data(), sizeof value);
            return storeInteger(v, value);
          }
          case HostKind::kDouble: {
            double value;
            std::memcpy(&value, s.buffer.data(), sizeof value);
            return storeDouble(v, value);
          }
        }
        return false;
      },
      message);
}

}  // namespace ravlen
