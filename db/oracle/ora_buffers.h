// The client's buffers of one statement: inputs to bind, outputs to define.
//
// OraInputs holds the input rows, one column per placeholder occurrence,
// bound by position 1, 2, ... in text order:
//  - text(n): its bytes up to the terminator as VARCHAR2 (SQLT_CHR) with
//    their length; an empty text is NULL (indicator -1);
//  - int: a 4-byte signed integer (SQLT_INT); double: an 8-byte float
//    (SQLT_FLT).
// Values are copied when a row is added, so a cursor keeps the inputs of
// its open. Several rows bind as arrays, for one execution with iters =
// rows() (array DML); a column keeps the kind of its first row.
//
// OraOutputs defines one position per output host variable:
//  - text(n): VARCHAR2 into n + 4 bytes: a longer value arrives cut by the
//    client (a warning, not an error) with the bytes needed to cut it again
//    to n without splitting a UTF-8 character;
//  - int: a 4-byte signed integer (a value beyond 32 bits is the client's
//    ORA-01455); double: an 8-byte float;
// each with an indicator and the returned length. store() copies a fetched
// row into the host variables as output_store.h does for every backend: a
// NULL leaves the variable unchanged.
#ifndef RAVLEN_DB_ORACLE_ORA_BUFFERS_H_
#define RAVLEN_DB_ORACLE_ORA_BUFFERS_H_

#include <optional>
#include <string>
#include <vector>

#include "db/host_var.h"
#include "db/oracle/ora_session.h"

namespace ravlen {

class OraInputs {
 public:
  void clear();
  void addRow(HostVars in);
  // A row of texts (nullopt: NULL), for the tools.
  void addTextRow(const std::vector<std::optional<std::string>>& values);
  // Row `row` of `from`, as it was added there.
  void addRowOf(const OraInputs& from, size_t row);
  size_t rows() const { return rows_; }

  SqlStatus bind(OraSession& session, oci::OCIStmt* stmt);

 private:
  struct Column {
    oci::ub2 type = oci::SQLT_CHR;
    std::vector<std::string> values;  // the bytes the client reads
    std::vector<oci::sb2> indicators;
    // Laid out by bind(): rows of `width` bytes each, and their lengths.
    std::vector<char> buffer;
    std::vector<oci::ub2> lengths;
  };

  Column& column(size_t index, oci::ub2 type);
  void add(size_t index, oci::ub2 type, std::string bytes, bool null);

  std::vector<Column> columns_;
  size_t rows_ = 0;
};

class OraOutputs {
 public:
  // Whether the defines fit `out` (same kinds and capacities).
  bool definedFor(HostVars out) const;
  SqlStatus define(OraSession& session, oci::OCIStmt* stmt, HostVars out);
  // `columns`: the statement's select-list count; `indicators`: which
  // select-into outputs the text gave an indicator (null for a fetch).
  SqlStatus store(HostVars out, size_t columns,
                  const std::vector<bool>* indicators,
                  std::string* message) const;

 private:
  struct Slot {
    HostKind kind;
    uint32_t capacity;  // of the host variable
    std::vector<char> buffer;
    oci::sb2 indicator = 0;
    oci::ub2 length = 0;
  };

  std::vector<Slot> slots_;
};

}  // namespace ravlen

#endif  // RAVLEN_DB_ORACLE_ORA_BUFFERS_H_
