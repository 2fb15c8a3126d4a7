#include "sql/evaluation.h"

#include "db/session.h"

namespace ravlen {
namespace {

constexpr SqlText kDwhCursor =
    "select DwhVon ,DwhBis ,DwhNam  from Zev800Dwh where ((DwhDar=1 and "
    "DwhVon<=:b0) and DwhBis>=:b1) order by DwhVon";

constexpr SqlText kMarkEvaluation =
    "update KalDeron.Zev800Dwh  set DwhSta=5 where DwhNam=:b0";

// Bind copies of the cursor: the window and the row being fetched.
DateText dwhBis, dwhVon;
DwhRecord dwhRow;

}  // namespace

// The cursor binds the window's end first: an evaluation overlaps the window
// when it starts on or before its end and ends on or after its start.
SqlStatus openDwh(const DateText& von, const DateText& bis) {
  dwhBis = bis;
  dwhVon = von;
  return session().openCursor(kDwhCursor, {hostVar(dwhBis), hostVar(dwhVon)});
}

SqlStatus fetchDwh(DwhRecord& rec) {
  static const HostVar kOut[] = {hostVar(dwhRow.DwhVon), hostVar(dwhRow.DwhBis),
                                 hostVar(dwhRow.DwhNam)};
  dwhRow = rec;
  SqlStatus status = session().fetch(kDwhCursor, kOut);
  if (status.ok()) rec = dwhRow;
  return status;
}

SqlStatus closeDwh() { return session().closeCursor(kDwhCursor); }

SqlStatus markEvaluation(const FixedText<50>& name) {
  return session().execute(kMarkEvaluation, {hostVar(name)});
}

}  // namespace ravlen
