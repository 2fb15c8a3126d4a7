// Lookups of one text for many rows as one statement.
//
// A block of rows hands over the same lookup (a select-into) once per row;
// each execution on the server costs its executor's start-up, which for a
// point lookup is most of its work. blockSql() turns the select-into's
// server text, its parameters $1 .. $k, into one statement for any number
// of rows, each parameter i given as an array $i of the rows' values:
//
//   select r.n, x.* from unnest($1::T1[], ...) with ordinality as r(p1, ..., n)
//   left join lateral (select 1, <the lookup's select list and the rest,
//                      $i read as r.pi>) x on true
//   order by r.n
//
// Row n of the block gets what its own execution would get: the lookup
// keeps its "limit 2", so one result row with the marker column NULL
// means no row (1403), two rows mean several (-1422), one row the answer.
// A failure of any row's lookup fails the statement; the caller then runs
// the rows one by one, so that each row gets its own outcome.
//
// Only texts whose parameters are the caller's inputs (no clock, no
// computed date bounds) and that begin with "select" followed by a select
// list have a block form: blockSql returns "" otherwise.
#ifndef RAVLEN_DB_POSTGRESQL_PG_BLOCK_READS_H_
#define RAVLEN_DB_POSTGRESQL_PG_BLOCK_READS_H_

#include <libpq-fe.h>

#include <optional>
#include <string>
#include <vector>

#include "db/postgresql/pg_translate.h"

namespace ravlen {

std::string blockSql(const PgTranslation& tr, const std::vector<Oid>& types);

// The same for the first rows of a query (rowsLater): `sql` is its server
// text with its limit; the lateral part also numbers its rows,
// "row_number() over (order by <its order by list>) as ravlen_row" after
// the marker ("over ()" for a query without "order by": the order in which
// the lookup finds them, as on its own), and the rows come ordered by n and
// that number, so each block row gets its rows in the query's order. ""
// where the query orders by a select list position, or has another shape
// that blockSql refuses.
std::string rowsBlockSql(const PgTranslation& tr, const std::string& sql,
                         const std::vector<Oid>& types);

// "unnest($1::T1[], ...) with ordinality as ALIAS(p1, ..., n)": the rows
// of k array parameters of those types; "" for a type without an array
// form here.
std::string unnestSource(const std::vector<Oid>& types,
                         const std::string& alias);

// One array parameter of the block: the rows' values of one parameter in
// the server's array text form (NULL unquoted, every value quoted).
std::string arrayText(const std::vector<const std::optional<std::string>*>& values);

// The result rows of block row n (from 1), found in `result` from row
// `*next` on (the rows come ordered by n): [*first, *next) afterwards.
void rowsOfBlockRow(const PGresult* result, long n, int* next, int* first);

}  // namespace ravlen

#endif  // RAVLEN_DB_POSTGRESQL_PG_BLOCK_READS_H_
