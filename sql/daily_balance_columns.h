// The columns of the daily-balance warehouse tables Zev899Tgb and Zev898Tgb
// and the four writer statements that bind them.
//
// Contract:
//  - kTgbColumns lists every column once: the 120 columns of Zev899Tgb in the
//    order of its insert, then TgbDwh and DwhBis, which only Zev898Tgb has.
//    Each entry names the column and yields the host variable it is bound
//    from: the field of the same name in a TgbWriteRow;
//  - each TgbStatement carries its text, written out in full, and the
//    columns of its placeholders in text order (":b0" first), as indexes
//    into kTgbColumns. A statement binds one host variable per placeholder
//    in that order, so the writers build their bind lists from `columns`;
//  - both updates set the same 116 columns (UtgGut is set by the inserts
//    only), then name the key columns.
// The tests check every position against the tables' column layout and each
// text against what its column list spells.
#ifndef RAVLEN_SQL_DAILY_BALANCE_COLUMNS_H_
#define RAVLEN_SQL_DAILY_BALANCE_COLUMNS_H_

#include <cstddef>
#include <cstdint>
#include <span>

#include "db/fixed_text.h"
#include "db/host_var.h"
#include "db/sql_text.h"
#include "sql/tgb_record.h"

namespace ravlen {

// Everything one warehouse row is written from: the caller's record and the
// values the writers add to it, each named after its column.
struct TgbWriteRow {
  TgbRecord record;
  TimestampText TgbDat;  // time of the write
  FixedText<50> TgbDwh;  // Zev898Tgb: the evaluation's name
  DateText DwhBis;       // Zev898Tgb: the evaluation's last day
};

struct TgbColumn {
  const char* name;
  HostVar (*bind)(TgbWriteRow& row);
};

inline constexpr size_t kTgbColumnCount = 120;            // Zev899Tgb
inline constexpr size_t kTgbEvaluationColumnCount = 122;  // Zev898Tgb
inline constexpr size_t kTgbUpdateSetCount = 116;

extern const TgbColumn kTgbColumns[kTgbEvaluationColumnCount];

struct TgbStatement {
  SqlText text;
  std::span<const uint8_t> columns;  // indexes into kTgbColumns
};

// Zev899Tgb: update by (TgbPnr, TgbZtr, TgbDtm); insert of all 120 columns.
extern const TgbStatement kUpdateTgb;
extern const TgbStatement kInsertTgb;
// Zev898Tgb: update by (TgbDwh, TgbPnr, TgbZtr, TgbDtm, DwhBis); insert of
// all 122 columns, TgbDwh and DwhBis before TgbDat.
extern const TgbStatement kUpdateTgbEvaluation;
extern const TgbStatement kInsertTgbEvaluation;

}  // namespace ravlen

#endif  // RAVLEN_SQL_DAILY_BALANCE_COLUMNS_H_
