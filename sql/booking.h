// Statements of the booking family: bookings (Zev321Bch, Zev899Bch) with the
// master data that widens them, and the booking statistics (Zev899Bst,
// Zev898Bst).
#ifndef RAVLEN_SQL_BOOKING_H_
#define RAVLEN_SQL_BOOKING_H_

#include <cstdint>

#include <span>

#include "db/fixed_text.h"
#include "db/session.h"
#include "db/status.h"
#include "sql/bch_record.h"

namespace ravlen {

// The booking source: the Zev321Bch rows whose day lies in from .. to (both
// yyyymmdd, both inclusive), ordered by person; within a person the order is
// the database's.
//  - openBchSource opens the cursor; a failed open makes the next fetch fail.
//  - fetchBchSource reads the next row into a cleared receiving area, so a
//    NULL column arrives as an empty text or 0. On status 0 the eight columns
//    replace BchPnr, BchVon (yyyymmdd), BchUhr (hh24miss), BchFkt, BchFcd,
//    BchKst, BchTrm and BchErf of `rec`, and nothing else; on any other
//    status (1403 after the last row, or an error) `rec` is left untouched.
//  - closeBchSource closes the cursor.
SqlStatus openBchSource(const DateText& from, const DateText& to);
SqlStatus fetchBchSource(BchRecord& rec);
SqlStatus closeBchSource();

// The lookups of one booking. Each returns the status of its statement: 0
// found, 1403 not found, negative on error (several rows included), and
// changes its output only on 0. The texts come from code tables whose
// answers the session keeps for the run (Session::selectIntoKept).
//  - lookupPnrSpr: the person's language (PnrSpr), 1 when that column is
//    NULL.
//  - lookupFktText: the text of booking function `fkt` in `language`
//    (value list 13102).
//  - lookupFcdText: the text of a function code.
//  - lookupKstText: the short text of a cost centre. The cost centre is
//    bound whole, so a long one finds its own row, never one named by its
//    first characters.
// The three texts are cut to 30 characters; a NULL text makes `text` empty.
SqlStatus lookupPnrSpr(const FixedText<8>& pnr, int32_t& language);
SqlStatus lookupFktText(int32_t fkt, int32_t language, FixedText<30>& text);
SqlStatus lookupFcdText(const FixedText<3>& fcd, FixedText<30>& text);
SqlStatus lookupKstText(const FixedText<30>& kst, FixedText<30>& text);

// ZtgAzt .. ZtgBsd of the assignment of BchPnr that starts exactly on BchVon
// (an earlier assignment does not count); on status 0 all nine fields are
// replaced, a NULL column by an empty text; otherwise `rec` is unchanged.
SqlStatus lookupBchZtg(BchRecord& rec);

// The per-row lookups of a fetched booking, in order: the person's language
// (1 unless found), the function's text in that language (no fallback to
// language 1), the function code's and the cost centre's texts, BchBup 0,
// the assignment of the booking day. Their statuses are not examined.
void enrichBchRow(BchRecord& rec);
// enrichBchRow for every row of `rows`, the lookups that reach the database
// asked for all rows together (Session::selectIntoLater).
void enrichBchRows(std::span<BchRecord> rows);

// Writes `rec` with a fresh timestamp in BchDat: updates the Zev899Bch row
// of the same BchPnr, BchVon, BchUhr and BchFkt; when that does not return 0
// (no such row, or an error), inserts it. Returns the status of the last
// statement run (update_or_insert.h). writeBchLater hands the write over:
// `done` gets that status once it ran.
SqlStatus writeBch(const BchRecord& rec);
void writeBchLater(const BchRecord& rec, Session::Done done);

// Clear-down of the window's statistics rows of one period code.
SqlStatus deleteBst(const DateText& von, const DateText& bis, int32_t ztr);
SqlStatus deleteBstEvaluation(const DateText& von, const DateText& bis,
                              int32_t ztr);

}  // namespace ravlen

#endif  // RAVLEN_SQL_BOOKING_H_
