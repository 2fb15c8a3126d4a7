#include "sql/time_account.h"

#include "sql/window_delete.h"

namespace ravlen {
namespace {

constexpr SqlText kDeleteZkb =
    "delete  from Zev899Zkb  where ((ZkbDtm>=:b0 and ZkbDtm<=:b1) and "
    "ZkbZtr=:b2)";
constexpr SqlText kDeleteZkbEvaluation =
    "delete  from Zev898Zkb  where ((ZkbDtm>=:b0 and ZkbDtm<=:b1) and "
    "ZkbZtr=:b2)";

}  // namespace

SqlStatus deleteZkb(const DateText& von, const DateText& bis, int32_t ztr) {
  return deleteWindowRows(kDeleteZkb, von, bis, ztr);
}

SqlStatus deleteZkbEvaluation(const DateText& von, const DateText& bis,
                              int32_t ztr) {
  return deleteWindowRows(kDeleteZkbEvaluation, von, bis, ztr);
}

}  // namespace ravlen
