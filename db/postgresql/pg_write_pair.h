// The server form of a writer's pair of statements (WritePattern): one
// statement that runs the second step only where the first step's outcome
// calls for it, so that the pair needs no round trip in between and many
// pairs travel in one:
//
//   with a as (<first> returning 1),
//        b as (<second, where a touched no row> returning 1)
//   select (select count(*) from a), (select count(*) from b)
//
//  - update, else insert: first the update as written; second the insert,
//    its "values (...)" turned into "select ... where not exists (select 1
//    from a)": it inserts exactly where the update found no row.
//  - insert, else add: first the insert with "on conflict do nothing"
//    (nothing where the row's key is taken, which the plain insert answers
//    with -1; an exclusion constraint's conflict would count the same); second
//    the update with "(<its condition>) and not exists (select 1 from a)".
// All statements of one statement see the rows as they were before it, so
// the pair leaves the rows that its two statements run in turn leave. A
// pair that fails as a whole (a failure of either step) is run again as its
// two statements, each on its own, to tell their outcomes apart.
//
// The second step's parameters follow the first's. Texts with sysdate or
// rewritten date comparisons, or without the expected clause, have no
// server form (pairSql returns "").
#ifndef RAVLEN_DB_POSTGRESQL_PG_WRITE_PAIR_H_
#define RAVLEN_DB_POSTGRESQL_PG_WRITE_PAIR_H_

#include <libpq-fe.h>

#include <string>

#include "db/backend.h"
#include "db/postgresql/pg_translate.h"

namespace ravlen {

std::string pairSql(WritePattern pattern, const PgTranslation& first,
                    const PgTranslation& second);

// The outcome of the steps from the pair's one result row (its two counts).
WriteOutcome pairOutcome(WritePattern pattern, const PGresult* counts);

}  // namespace ravlen

#endif  // RAVLEN_DB_POSTGRESQL_PG_WRITE_PAIR_H_
