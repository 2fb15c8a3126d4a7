// Master data that widens a daily balance before it is written: the person's
// Zev327Tag row of the day with the texts of its three function codes, the
// assignment (Zev329Ztg) starting on the day, working-time rules (Zev322Gaz,
// else Zev140Azv), the calendar's weekday, the validity rows of Zev310Bsv and
// Zev311Zuo, the yearly rows of Zev332Urv and Zev332Sfv, the latest
// Zev332Utg and Zev332Sfz rows, and the annual target of Zev332Jav.
//
// Every lookup reads TgbPnr and TgbDtm (or the year, the integer value of
// TgbDtm's first four characters) from the record and returns the status of
// its (last) statement: 0 found, 1403 not found, negative on error (several
// matching rows included). It changes its own fields of the record only when
// it returns 0; a NULL column then leaves its field as it was. On any other
// status the record is left exactly as it was. The lookups on code tables
// (function codes and their types, Zev140Azv) and on the calendar keep
// their answers for the run (Session::selectIntoKept).
#ifndef RAVLEN_SQL_DAILY_BALANCE_ENRICHMENT_H_
#define RAVLEN_SQL_DAILY_BALANCE_ENRICHMENT_H_

#include <cstdint>

#include "db/fixed_text.h"
#include "db/session.h"
#include "db/status.h"
#include "sql/tgb_record.h"

namespace ravlen {

// The balance-pair numbers (1 .. 7 name a pair, anything else none) of the
// time accounts "JHS" and "JHR", read once per standard run.
struct YearBalancePairs {
  int32_t jhs = 0;
  int32_t jhr = 0;
};

// The whole per-row sequence: every lookup in its fixed order, whatever the
// others returned; for a day row (period code 1) whose Zev332Jav lookup
// succeeded, the year-balance derivation.
void enrichTgbRow(TgbRecord& rec, const YearBalancePairs& pairs);

// enrichTgbRow in two halves, so that the lookups of many rows go to the
// database together: submitTgbLookups hands over the lookups that need only
// the row's person and day (Tag, Ztg, Gaz, Bsv, Zuo, Urv, the latest Utg,
// Sfv, the latest Sfz, Jav); after the session's flush, completeTgbLookups
// runs what depends on their answers (the function codes of the day's
// three slots, Azv where Gaz found nothing) and the calendar's, and derives
// the year balance. `rec` and `pending` must stay in place in between.
// Together they leave `rec` as enrichTgbRow does: each lookup sets only its
// own fields and reads only the person and the day.
struct TgbLookups {
  SqlStatus gaz, jav;  // the statuses the sequence examines
};
void submitTgbLookups(TgbRecord& rec, TgbLookups& pending);
void completeTgbLookups(TgbRecord& rec, const TgbLookups& pending,
                        const YearBalancePairs& pairs);

// TagKzv, TagPzv, TagTgb, TagHtv, TagHtn, TagNpk, TagAmp.
SqlStatus lookupTag(TgbRecord& rec);

// Function-code slot 1 (TagTgb), 2 (TagHtv) or 3 (TagHtn): FcdTxt and FcdKrt
// of `code` into the slot's text and mark fields, then, when the code has a
// type, the type's name into the slot's type-text field. Returns the status
// of the last statement that ran.
SqlStatus lookupFunctionCode(TgbRecord& rec, int slot,
                             const FixedText<3>& code);

// ZtgAzt .. ZtgTtp of the assignment that starts exactly on TgbDtm. Also used
// by the period roll-up with the period's first day in TgbDtm, handed over
// for many rows at once (lookupZtgLater: `rec` changes when the session has
// run it).
SqlStatus lookupZtg(TgbRecord& rec);
void lookupZtgLater(TgbRecord& rec, Session::Done done);

// TgbGaz and AzvSol .. AzvPsm: from the person's Zev322Gaz row of the day
// (TgbGaz 1), else from the Zev140Azv row named by ZtgAzt (TgbGaz 0).
SqlStatus lookupGazAzv(TgbRecord& rec);

SqlStatus lookupBakWtg(TgbRecord& rec);
SqlStatus lookupBsv(TgbRecord& rec);  // BsvPnm .. BsvGbi; open end empty
SqlStatus lookupZuo(TgbRecord& rec);  // ZuoGvo, ZuoGbi; open end empty
SqlStatus lookupUrv(TgbRecord& rec);  // by year
SqlStatus lookupLatestUtg(TgbRecord& rec);  // latest row on or before the day
SqlStatus lookupSfv(TgbRecord& rec);        // by year
SqlStatus lookupLatestSfz(TgbRecord& rec);  // latest row on or before the day
SqlStatus lookupJav(TgbRecord& rec);  // JavJaz of the period holding the day

// JavSol = value of pair `jhs`, JavIst = value of pair `jhr` (each only for
// a pair number 1 .. 7), JavDif = JavIst - JavSol, JavDi2 = JavJaz - JavIst;
// a pair's value is TgbVtN + TgbSaN. 32-bit arithmetic that wraps around
// instead of overflowing.
void deriveYearBalance(TgbRecord& rec, const YearBalancePairs& pairs);

}  // namespace ravlen

#endif  // RAVLEN_SQL_DAILY_BALANCE_ENRICHMENT_H_
