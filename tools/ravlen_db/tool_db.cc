#include "tools/ravlen_db/tool_db.h"

namespace ravlen {

Insert::Insert(ToolDb& db, std::string_view table, std::string_view columns,
               bool replace)
    : table_(table) {
  writer_ = db.rowWriter(table, columns, replace, &error_);
  if (!error_.empty()) error_ = table_ + ": " + error_;
}

Insert& Insert::text(std::string_view value) {
  if (value.empty()) return null();
  if (error_.empty()) writer_->text(value);
  return *this;
}

Insert& Insert::integer(int64_t value) {
  if (error_.empty()) writer_->integer(value);
  return *this;
}

Insert& Insert::real(double value) {
  if (error_.empty()) writer_->real(value);
  return *this;
}

Insert& Insert::null() {
  if (error_.empty()) writer_->null();
  return *this;
}

Insert& Insert::date(double julian) {
  if (julian == 0) return null();
  if (error_.empty()) writer_->date(julian);
  return *this;
}

void Insert::run() {
  if (!error_.empty()) return;
  std::string error = writer_->endRow();
  if (error.empty()) {
    ++rows_;
  } else {
    error_ = table_ + ": " + error;
  }
}

std::string Insert::finish() {
  if (!error_.empty()) return error_;
  std::string error = writer_->finish();
  if (!error.empty()) error_ = table_ + ": " + error;
  return error_;
}

Query::Query(ToolDb& db, std::string_view sql)
    : reader_(db.rowReader(sql, &error_)) {}

bool Query::next() { return error_.empty() && reader_->next(&error_); }

}  // namespace ravlen
