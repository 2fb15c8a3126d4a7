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
// The first step's parameters are $1 .. $m; the second step's input i is
// $secondNumbers[i]: the first's number where both bind the same host
// variable (the writers bind both steps from one row), so that a value
// travels once, else a number after m. Texts with sysdate or rewritten
// date comparisons, or without the expected clause, have no server form
// (pairSql returns "").
#ifndef RAVLEN_DB_POSTGRESQL_PG_WRITE_PAIR_H_
#define RAVLEN_DB_POSTGRESQL_PG_WRITE_PAIR_H_

#include <libpq-fe.h>

#include <string>
#include <vector>

#include "db/backend.h"
#include "db/postgresql/pg_translate.h"

namespace ravlen {

std::string pairSql(WritePattern pattern, const PgTranslation& first,
                    const PgTranslation& second,
                    const std::vector<int>& secondNumbers);

// The numbers of `second`'s inputs (see pairSql): a host variable that
// `first` binds as well keeps its number there.
std::vector<int> sharedNumbers(HostVars first, HostVars second);

// The outcome of the steps from the pair's one result row (its two counts).
WriteOutcome pairOutcome(WritePattern pattern, const PGresult* counts);

// The cheaper form where it applies (one table change instead of two):
//   <the insert, its table as t> on conflict (<key>)
//   do update set <the update's set list, its columns as t.<column>>
//   returning (xmax = 0)
// when the update's condition is a conjunction of "column = parameter"
// (the key) and the insert fills each key column from the same host
// variable (`firstNumbers`: sharedNumbers of the first step's inputs with
// themselves, so that two placeholders of one host variable count as the
// same value). Where the key's row exists, the update's set list changes it,
// as the update would have (and as the add of the statistics does);
// elsewhere the row is inserted. The server accepts the statement only
// where a unique index has exactly the key's columns, so that no other
// row can be the one the update meant; where it refuses, the pair keeps
// its first form. A conflict on another unique index fails the statement,
// and the pair runs again as its two statements. "" where the texts do not
// have that shape.
std::string upsertSql(WritePattern pattern, const PgTranslation& first,
                      const PgTranslation& second,
                      const std::vector<int>& secondNumbers,
                      const std::vector<int>& firstNumbers);

// The outcome of the steps from the upsert's row `row`: whether it inserted.
WriteOutcome upsertOutcome(WritePattern pattern, const PGresult* inserted,
                           int row = 0);

// Whether a translated update leaves the columns of its condition (the
// row's key) as they are: no item of its set list assigns one of them.
bool keepsKey(const std::string& update);

// The upsert of upsertSql for many rows in one statement: its values list
// becomes "select u.p1, ... from unnest($1::T1[], ...) with ordinality as
// u(...)", each parameter an array of the rows' values, and each parameter
// in its "do update set" list the proposed row's column that the same
// parameter fills ("excluded.<column>"). The server reads the arrays in
// their order, and the rows answer one row each in that order (a sort by
// u.n cost 4 % of the run on the server and changed no answer: the rows
// have different keys, so their order changes no row, and the answers only
// tell an insert from an update, which the writers treat alike). Two rows
// of one key in one statement fail it (the server does
// not update a row twice in one command): the caller sends such rows in
// different statements. "" where a parameter of the set list fills no
// column, or a type has no array form.
std::string rowsUpsertSql(const std::string& upsert,
                          const std::vector<Oid>& types);

}  // namespace ravlen

#endif  // RAVLEN_DB_POSTGRESQL_PG_WRITE_PAIR_H_
