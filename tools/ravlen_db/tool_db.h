// ToolDb: the database a ravlen-db command works on, the embedded
// database's files (SqliteFile) or a server's schemas (ServerDb), and the
// two ways the commands use it: Insert writes rows, Query reads them.
//
// Contract:
//  - Every operation returns an error text, empty on success; nothing
//    throws.
//  - Insert binds a row's values in column order, then run() ends the row.
//    An empty text is NULL (as both databases store a zero-length text); a
//    date is a Julian day number, NULL when 0. The first failure is kept
//    (error()) and later rows are skipped. A database may hold rows back
//    until finish(), which the caller runs before its commit.
//  - Query steps through the rows of one statement: next() is true while
//    there is a row, error() tells an end by failure; text() is "" for NULL.
#ifndef RAVLEN_TOOLS_RAVLEN_DB_TOOL_DB_H_
#define RAVLEN_TOOLS_RAVLEN_DB_TOOL_DB_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ravlen {

// One database's way of writing the rows of one table.
class RowWriter {
 public:
  virtual ~RowWriter() = default;
  virtual void text(std::string_view value) = 0;  // not empty
  virtual void integer(int64_t value) = 0;
  virtual void real(double value) = 0;
  virtual void date(double julian) = 0;  // not 0
  virtual void null() = 0;
  virtual std::string endRow() = 0;
  virtual std::string finish() = 0;
};

// One database's way of reading the rows of one statement.
class RowReader {
 public:
  virtual ~RowReader() = default;
  virtual bool next(std::string* error) = 0;
  virtual int64_t integer(int column) const = 0;
  virtual std::string text(int column) const = 0;
  virtual int columns() const = 0;
  virtual std::string columnName(int column) const = 0;
  virtual bool isNull(int column) const = 0;
};

class ToolDb {
 public:
  virtual ~ToolDb() = default;
  // Runs one or more statements without results.
  virtual std::string exec(std::string_view sql) = 0;
  // `replace`: a row of the same key replaces the stored one.
  virtual std::unique_ptr<RowWriter> rowWriter(std::string_view table,
                                               std::string_view columns,
                                               bool replace,
                                               std::string* error) = 0;
  virtual std::unique_ptr<RowReader> rowReader(std::string_view sql,
                                               std::string* error) = 0;
};

class Insert {
 public:
  // `columns` is the comma-separated column list of `table`.
  Insert(ToolDb& db, std::string_view table, std::string_view columns,
         bool replace = false);

  Insert& text(std::string_view value);
  Insert& integer(int64_t value);
  Insert& real(double value);
  Insert& null();
  Insert& date(double julian);
  void run();
  // Writes what the database held back; the error text, also kept.
  std::string finish();

  const std::string& table() const { return table_; }
  int64_t rows() const { return rows_; }
  const std::string& error() const { return error_; }

 private:
  std::unique_ptr<RowWriter> writer_;
  std::string table_;
  int64_t rows_ = 0;
  std::string error_;
};

class Query {
 public:
  Query(ToolDb& db, std::string_view sql);

  bool next();
  int64_t integer(int column) const { return reader_->integer(column); }
  std::string text(int column) const { return reader_->text(column); }
  int columns() const { return reader_->columns(); }
  std::string columnName(int column) const { return reader_->columnName(column); }
  bool isNull(int column) const { return reader_->isNull(column); }
  const std::string& error() const { return error_; }

 private:
  std::string error_;  // before reader_: the reader's making may set it
  std::unique_ptr<RowReader> reader_;
};

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_TOOL_DB_H_
