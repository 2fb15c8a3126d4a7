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

constexpr SqlText kTgbSource =
    "select TgbPnr ,TgbZtr ,to_char(TgbDtm,'yyyymmdd') ,TgbVt1 ,TgbVt2 ,TgbVt3 "
    ",TgbVt4 ,TgbVt5 ,TgbVt6 ,TgbVt7 ,TgbSa1 ,TgbSa2 ,TgbSa3 ,TgbSa4 ,TgbSa5 "
    ",TgbSa6 ,TgbSa7 ,TgbMax ,TgbNrm ,TgbMab ,TgbVhs ,TgbUnb ,TgbVab ,TgbPse  "
    "from Zev320Tgb where (TgbDtm>=to_date(:b0,'yyyymmdd') and "
    "TgbDtm<=to_date(:b1,'yyyymmdd')) order by TgbPnr,TgbZtr,TgbDtm";

// Bind copies of the source cursor: the window bounds and the row being
// fetched. The caller's record sees a row only once it was fetched whole.
DateText sourceFrom, sourceTo;
TgbRecord sourceRow;

// The fetched columns' targets in sourceRow, in select-list order. Built
// once: the stage fetches every daily balance of the window through it.
HostVars tgbSourceOutputs() {
  static const HostVar kOutputs[] = {
      hostVar(sourceRow.TgbPnr), hostVar(sourceRow.TgbZtr),
      hostVar(sourceRow.TgbDtm), hostVar(sourceRow.TgbVt1),
      hostVar(sourceRow.TgbVt2), hostVar(sourceRow.TgbVt3),
      hostVar(sourceRow.TgbVt4), hostVar(sourceRow.TgbVt5),
      hostVar(sourceRow.TgbVt6), hostVar(sourceRow.TgbVt7),
      hostVar(sourceRow.TgbSa1), hostVar(sourceRow.TgbSa2),
      hostVar(sourceRow.TgbSa3), hostVar(sourceRow.TgbSa4),
      hostVar(sourceRow.TgbSa5), hostVar(sourceRow.TgbSa6),
      hostVar(sourceRow.TgbSa7), hostVar(sourceRow.TgbMax),
      hostVar(sourceRow.TgbNrm), hostVar(sourceRow.TgbMab),
      hostVar(sourceRow.TgbVhs), hostVar(sourceRow.TgbUnb),
      hostVar(sourceRow.TgbVab), hostVar(sourceRow.TgbPse)};
  return kOutputs;
}

}  // namespace

SqlStatus openTgbSource(const DateText& from, const DateText& to) {
  sourceFrom = from;
  sourceTo = to;
  return session().openCursor(kTgbSource,
                              {hostVar(sourceFrom), hostVar(sourceTo)});
}

SqlStatus fetchTgbSource(TgbRecord& rec) {
  sourceRow.clear();
  SqlStatus status = session().fetch(kTgbSource, tgbSourceOutputs());
  if (status.ok()) rec = sourceRow;
  return status;
}

SqlStatus closeTgbSource() { return session().closeCursor(kTgbSource); }

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
