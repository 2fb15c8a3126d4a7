#include "tools/ravlen_db/demo.h"

#include <chrono>

#include "tools/ravlen_db/demo_days.h"
#include "tools/ravlen_db/demo_master.h"
#include "tools/ravlen_db/demo_person.h"
#include "tools/ravlen_db/demo_tables.h"
#include "tools/ravlen_db/layout.h"
#include "tools/ravlen_db/sqlite_file.h"

namespace ravlen {

namespace {

// Schema-qualified names stay as the tables are called on the connection;
// the report names them without the schema.
std::string bareName(const std::string& table) {
  size_t dot = table.find('.');
  return dot == std::string::npos ? table : table.substr(dot + 1);
}

std::string openDatabase(const std::string& dir, const std::string& schema,
                         SqliteFile& db) {
  std::string error = db.open(schemaFile(dir, schema), SqliteFile::Mode::kExisting);
  if (error.empty()) error = db.attach(schemaFile(dir, kSystemSchema), "KalDeron");
  // The whole demo is one transaction; a crash in it leaves a demo database
  // to be made again, so the journal may stay in memory. A large page cache
  // keeps the transaction from spilling pages to the file and reading them
  // back before the commit.
  if (error.empty()) {
    error = db.exec(
        "pragma main.journal_mode=memory; pragma main.synchronous=off;"
        "pragma main.cache_size=-262144;"
        "pragma KalDeron.journal_mode=memory; pragma KalDeron.synchronous=off;");
  }
  return error;
}

std::string emptyTables(ToolDb& db, const DemoTables& tables) {
  for (const Insert* insert : tables.all()) {
    std::string error = db.exec("delete from " + insert->table());
    if (!error.empty()) return insert->table() + ": " + error;
  }
  return "";
}

std::string writeAll(ToolDb& db, DemoTables& tables, const DemoOptions& o) {
  std::string error = emptyTables(db, tables);
  if (!error.empty()) return error;
  writeMasterData(tables, o.from, o.to);
  for (int index = 0; index < o.persons && tables.error().empty(); ++index) {
    DemoRandom random(o.seed, static_cast<uint64_t>(index));
    DemoPerson person = drawDemoPerson(random, index, o.from, o.to);
    writePersonMasterRows(tables, random, person);
    writePersonDays(tables, random, person);
  }
  for (Insert* insert : tables.all()) insert->finish();
  return tables.error();
}

}  // namespace

std::string fillDemo(ToolDb& db, const DemoOptions& options,
                     DemoResult* result) {
  auto start = std::chrono::steady_clock::now();
  *result = DemoResult();
  DemoTables tables(db);
  std::string error = tables.error();
  if (error.empty()) error = db.exec("begin");
  if (error.empty()) error = writeAll(db, tables, options);
  if (error.empty()) error = db.exec("commit");
  if (!error.empty()) {
    db.exec("rollback");
    return error;
  }
  for (const Insert* insert : tables.all()) {
    result->tables.push_back({bareName(insert->table()), insert->rows()});
    result->rows += insert->rows();
  }
  result->seconds = std::chrono::duration<double>(
                        std::chrono::steady_clock::now() - start).count();
  return "";
}

std::string writeDemoData(const std::string& dir, const DemoOptions& options,
                          DemoResult* result) {
  *result = DemoResult();
  SqliteFile db;
  std::string error = openDatabase(dir, options.schema, db);
  return error.empty() ? fillDemo(db, options, result) : error;
}

}  // namespace ravlen
