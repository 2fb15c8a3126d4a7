// The parameters of one execution on the server, made from the caller's
// host variables and the statement's translation (pg_translate.h):
//  - a text host variable binds its text in place (an empty text: NULL),
//    typed text; an int binds as int4, a double as float8 (each in its
//    shortest exact decimal form);
//  - sysdate, when the statement names it, is one more parameter of type
//    timestamp: the local date and time of the machine that runs the
//    program, to the second, taken once per execution;
//  - the bounds of each rewritten date comparison follow, two parameters
//    of type timestamp computed from the compared host variable
//    (pg_date_bounds.h).
// The texts point into the host variables and into this object: both must
// stay unchanged until the execution's round trip is over.
#ifndef RAVLEN_DB_POSTGRESQL_PG_INPUTS_H_
#define RAVLEN_DB_POSTGRESQL_PG_INPUTS_H_

#include <array>
#include <string>
#include <vector>

#include "db/host_var.h"
#include "db/postgresql/pg_pipeline.h"
#include "db/postgresql/pg_translate.h"

namespace ravlen {

// PostgreSQL's type numbers (pg_type.oid) of the parameters.
inline constexpr Oid kTextOid = 25;
inline constexpr Oid kInt4Oid = 23;
inline constexpr Oid kFloat8Oid = 701;
inline constexpr Oid kTimestampOid = 1114;

// The type of a host variable of `kind` as a parameter.
Oid parameterType(HostKind kind);
// The parameter types of `tr` run with inputs of `in`'s kinds.
std::vector<Oid> parameterTypes(HostVars in, const PgTranslation& tr);

class PgInputs {
 public:
  // `in` must have tr.inputCount host variables.
  void bind(HostVars in, const PgTranslation& tr);
  const PgParams& params() const { return params_; }

 private:
  void bindDateBounds(const PgTranslation& tr);

  PgParams params_;
  std::vector<std::array<char, 32>> numbers_;
  std::array<char, 32> now_{};
  std::vector<std::string> bounds_;
};

}  // namespace ravlen

#endif  // RAVLEN_DB_POSTGRESQL_PG_INPUTS_H_
