#include "sql/daily_balance.h"

#include "db/session.h"
#include "sql/window_delete.h"

namespace ravlen {
namespace {

constexpr SqlText kLookupZktSnr =
    "select ZktSnr into :b0:b1  from Zev130Zkt where ZktNum=:b2";

constexpr SqlText kDeleteTgb =
    "delete  from Zev899Tgb  where ((TgbDtm>=:b0 and TgbDtm<=:b1) and "
    "TgbZtr=:b2)";
constexpr SqlText kDeleteTgbEvaluation =
    "delete  from Zev898Tgb  where ((TgbDtm>=:b0 and TgbDtm<=:b1) and "
    "TgbZtr=:b2)";

}  // namespace

SqlStatus lookupZktSnr(const ZktKey& key, int32_t& snr) {
  int32_t result = 0;
  SqlStatus status =
      session().selectInto(kLookupZktSnr, {hostVar(key)}, {hostVar(result)});
  if (status.ok()) snr = result;
  return status;
}

SqlStatus deleteTgb(const DateText& von, const DateText& bis, int32_t ztr) {
  return deleteWindowRows(kDeleteTgb, von, bis, ztr);
}

SqlStatus deleteTgbEvaluation(const DateText& von, const DateText& bis,
                              int32_t ztr) {
  return deleteWindowRows(kDeleteTgbEvaluation, von, bis, ztr);
}

}  // namespace ravlen
