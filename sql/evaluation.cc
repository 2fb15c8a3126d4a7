#include "sql/evaluation.h"

#include "db/session.h"

namespace ravlen {
namespace {

constexpr SqlText kMarkEvaluation =
    "update KalDeron.Zev800Dwh  set DwhSta=5 where DwhNam=:b0";

}  // namespace

SqlStatus markEvaluation(const FixedText<50>& name) {
  return session().execute(kMarkEvaluation, {hostVar(name)});
}

}  // namespace ravlen
