// The table definitions of a database server, made from the embedded
// database's schema files, so that every database keeps one source of
// truth.
//
// postgresqlDdl turns a schema file's text, line by line, into PostgreSQL's:
//  - a column declared REAL whose comment starts with "date" (the files'
//    mark of an Oracle DATE, stored embedded as a Julian day number)
//    becomes timestamp(0) without time zone;
//  - any other REAL becomes double precision; VARCHAR2(n) becomes
//    varchar(n); INTEGER, keys, unique constraints, plain indexes and
//    comments stay as they are.
// oracleDdl turns it into Oracle's own: a REAL marked "date" becomes DATE,
// any other REAL NUMBER; everything else stays.
#ifndef RAVLEN_TOOLS_RAVLEN_DB_SERVER_SCHEMA_H_
#define RAVLEN_TOOLS_RAVLEN_DB_SERVER_SCHEMA_H_

#include <string>
#include <string_view>

namespace ravlen {

std::string postgresqlDdl(std::string_view sqliteDdl);
std::string oracleDdl(std::string_view sqliteDdl);

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_SERVER_SCHEMA_H_
