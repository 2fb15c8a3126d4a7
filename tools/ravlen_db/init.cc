#include "tools/ravlen_db/init.h"

#include <filesystem>

#include "schema_files.h"
#include "tools/ravlen_db/layout.h"
#include "tools/ravlen_db/sqlite_file.h"

namespace ravlen {
namespace fs = std::filesystem;

namespace {

std::string loadFile(SqliteFile& db, std::string_view fileName) {
  std::string error = db.exec("begin");
  if (error.empty()) error = db.exec(embeddedText(fileName));
  if (error.empty()) return db.exec("commit");
  db.exec("rollback");
  return "schema/" + std::string(fileName) + ": " + error;
}

std::string loadAll(const std::string& systemPath, const std::string& appPath) {
  SqliteFile system, application;
  std::string error = system.open(systemPath, SqliteFile::Mode::kCreate);
  if (error.empty()) error = application.open(appPath, SqliteFile::Mode::kCreate);
  for (const SchemaLoad& load : schemaLoadPlan()) {
    if (!error.empty()) break;
    error = loadFile(load.systemSchema ? system : application, load.fileName);
  }
  return error;
}

}  // namespace

std::string_view embeddedText(std::string_view fileName) {
  for (const SchemaFile& file : kSchemaFiles) {
    if (file.name == fileName) return file.text;
  }
  return {};
}

std::vector<SchemaLoad> schemaLoadPlan() {
  std::vector<SchemaLoad> plan;
  for (const SchemaFile& file : kSchemaFiles)
    plan.push_back({file.name, file.name.substr(0, 8) == "kalderon"});
  return plan;
}

std::string initDatabase(const std::string& dir, std::string_view schema) {
  if (!isApplicationSchemaName(schema)) {
    return "ungueltiger Schemaname: " + std::string(schema);
  }
  std::error_code ec;
  if (fs::exists(dir, ec) && !fs::is_directory(dir, ec)) {
    return dir + ": kein Verzeichnis";
  }
  std::string systemPath = schemaFile(dir, kSystemSchema);
  std::string appPath = schemaFile(dir, schema);
  for (const std::string& path : {systemPath, appPath}) {
    if (fs::exists(path, ec)) return path + " gibt es schon";
  }
  fs::create_directories(dir, ec);
  if (ec) return dir + ": " + ec.message();
  std::string error = loadAll(systemPath, appPath);
  if (!error.empty()) {
    fs::remove(systemPath, ec);
    fs::remove(appPath, ec);
  }
  return error;
}

}  // namespace ravlen
