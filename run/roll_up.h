// The period roll-up that ends the standard run, and the build of one
// evaluation period that both runs use.
//
// rollUpPeriods walks the window level by level: days (1), weeks (2), months
// (3), quarters (4), half-years (5), years (6), each from VonDatum afresh,
// period by period, every period a whole calendar period dated by its first
// day. Days and weeks count the bookings; months sum the day counts;
// quarters, half-years and years sum the next finer level's daily balances,
// time-account rows and counts. Then the evaluations of Zev800Dwh that
// overlap the window are built, each cut to the window, and marked.
//
// Commits: once after each of the day, week and month levels; after every
// quarter, half-year and year period; once after all evaluations.
//
// A bounds lookup that finds no calendar row makes the period run from the
// current date to BisDatum; any other failure of a bounds lookup or of the
// date step ends the level. So does a step without result (NULL) or one that
// does not move forward, and a walk that would come back to a period it has
// built already: no level builds a period twice, none can walk forever.
#ifndef RAVLEN_RUN_ROLL_UP_H_
#define RAVLEN_RUN_ROLL_UP_H_

#include <cstdio>

#include "db/fixed_text.h"
#include "run/run_parameters.h"

namespace ravlen {

void rollUpPeriods(const RunParameters& params, std::FILE* out);

// Builds the evaluation rows (period code 7) of first .. last under `name`:
// the daily balances, time-account rows and booking counts summed from the
// day rows. When `statisticsMessage` is given, it is printed to `out` before
// the booking counts. Does not commit.
void buildEvaluationPeriod(const DateText& first, const DateText& last,
                           const EvaluationName& name,
                           const char* statisticsMessage = nullptr,
                           std::FILE* out = nullptr);

// The first day of the first period that a level's walk builds: the period
// holding `von` (its calendar bounds; for years, 1 January). Returns false
// when the calendar cannot tell, in which case the walk starts at `von`.
bool firstPeriodStart(int32_t ztr, const DateText& von, DateText& first);

}  // namespace ravlen

#endif  // RAVLEN_RUN_ROLL_UP_H_
