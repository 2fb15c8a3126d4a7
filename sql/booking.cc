#include "sql/booking.h"

#include "sql/window_delete.h"

namespace ravlen {
namespace {

constexpr SqlText kDeleteBst =
    "delete  from Zev899Bst  where ((BstDtm>=:b0 and BstDtm<=:b1) and "
    "BstZtr=:b2)";
constexpr SqlText kDeleteBstEvaluation =
    "delete  from Zev898Bst  where ((BstDtm>=:b0 and BstDtm<=:b1) and "
    "BstZtr=:b2)";

}  // namespace

SqlStatus deleteBst(const DateText& von, const DateText& bis, int32_t ztr) {
  return deleteWindowRows(kDeleteBst, von, bis, ztr);
}

SqlStatus deleteBstEvaluation(const DateText& von, const DateText& bis,
                              int32_t ztr) {
  return deleteWindowRows(kDeleteBstEvaluation, von, bis, ztr);
}

}  // namespace ravlen
