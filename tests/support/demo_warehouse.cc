#include "tests/support/demo_warehouse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "db/statement_scan.h"
#include "settings/settings_writer.h"
#include "tools/ravlen_db/oracle_commands.h"
#include "tools/ravlen_db/server_commands.h"
#include "tools/ravlen_db/sqlite_file.h"

namespace ravlen::testing {

namespace {

// The write timestamps BchDat, PnrDat, TgbDat, ZkbDat, BstDat.
bool isTimestampColumn(const std::string& name) {
  return name.size() == 6 && lowerAscii(name).substr(3) == "dat";
}

// Numbers in one form: what reads whole as a number prints shortest, to 12
// significant digits (Oracle's NUMBER sums in decimal, the other databases
// in binary floating point; they part beyond that).
std::string canonical(const std::string& value) {
  double number = 0;
  auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (ec != std::errc() || end != value.data() + value.size() || value.empty())
    return value;
  char rounded[32], text[32];
  std::snprintf(rounded, sizeof rounded, "%.12g", number);
  number = std::strtod(rounded, nullptr);
  return std::string(text, std::to_chars(text, text + sizeof text, number).ptr);
}

std::vector<std::string> queryRows(ToolDb& db, const std::string& sql,
                                   const std::vector<std::string>& skip) {
  std::vector<std::string> rows;
  Query q(db, sql);
  while (q.next()) {
    std::string row;
    for (int c = 0; c < q.columns(); ++c) {
      std::string name = lowerAscii(q.columnName(c));
      if (isTimestampColumn(name) ||
          std::find(skip.begin(), skip.end(), name) != skip.end())
        continue;
      row += (q.isNull(c) ? "" : canonical(q.text(c))) + "|";
    }
    rows.push_back(row);
  }
  EXPECT_EQ(q.error(), "") << sql;
  std::sort(rows.begin(), rows.end());
  return rows;
}

}  // namespace

const std::vector<std::string>& warehouseTables() {
  static const std::vector<std::string> kTables = {
      "Zev899Bch", "Zev899Pnr", "Zev899Tgb", "Zev899Zkb", "Zev899Bst",
      "Zev898Tgb", "Zev898Zkb", "Zev898Bst", "KalDeron.Zev800Dwh"};
  return kTables;
}

std::string DemoWarehouse::prepare(BackendKind kind, int persons,
                                   const std::string& from,
                                   const std::string& to, std::string* skip,
                                   const TestServer* other) {
  kind_ = kind;
  if (kind == BackendKind::kServer) {
    TestServer server;
    std::string reason;
    if (other != nullptr) {
      server = *other;
    } else if (!findTestServer(&server, &reason)) {
      if (skip) *skip = reason;
      return reason;
    }
    server_ = std::make_unique<ServerDatabase>(server);
    if (!server_->error().empty()) return server_->error();
    service_ = server_->uri();
    setenv("PGUSER", "ravlen", 1);  // for ravlen-db
  } else if (kind == BackendKind::kOracle) {
    std::string error = prepareOracle(skip);
    if (!error.empty()) return error;
  } else {
    service_ = "sqlite:" + dir_.file("db");
  }
  if (kind != BackendKind::kOracle)
    target_ = kind == BackendKind::kServer ? service_ : dir_.file("db");
  const std::vector<std::vector<std::string>> steps = {
      {"init", target_, "KORV"},
      {"calendar", target_, "20240101", "20261231"},
      {"demo", target_, "--persons", std::to_string(persons), "--from", from,
       "--to", to, "--seed", "1"}};
  for (const auto& args : steps) {
    ProgramResult r = runProgram(programPath("ravlen-db"), args);
    if (r.exitStatus != 0) return "ravlen-db " + args[0] + ": " + r.err;
    if (args[0] == "init" && kind == BackendKind::kOracle) {
      std::string error = markOracleUsers();
      if (!error.empty()) return error;
    }
  }
  if (kind == BackendKind::kOracle)
    writeSettings(service_, oracle_.login, oracle_.password);
  else
    writeSettings(service_, "ravlen", "");
  return "";
}

// --- Oracle ---------------------------------------------------------------
// The users KALDERON and KORV of an earlier test go (ravlen-db init makes
// them anew); they stay after the test, for a look at what it wrote.
std::string DemoWarehouse::prepareOracle(std::string* skip) {
  std::string reason;
  if (!findTestOracle(&oracle_, &reason)) {
    if (skip) *skip = reason;
    return reason;
  }
  OracleDb admin;
  std::string error = admin.open(oracle_.service, oracle_.credentials());
  for (const char* user : {"KALDERON", "KORV"}) {
    if (error.empty()) error = dropTestUser(admin, user);
  }
  setenv(kOracleLoginVariable, oracle_.credentials().c_str(), 1);  // ravlen-db
  service_ = oracle_.service;
  target_ = std::string(kOraclePrefix) + service_;
  return error;
}

std::string DemoWarehouse::markOracleUsers() {
  OracleDb admin;
  std::string error = admin.open(oracle_.service, oracle_.credentials());
  for (const char* user : {"KALDERON", "KORV"}) {
    if (error.empty()) error = markTestUser(admin, user);
  }
  return error;
}
// --- end Oracle -----------------------------------------------------------

void DemoWarehouse::writeSettings(const std::string& service,
                                  const std::string& login,
                                  const std::string& password,
                                  const std::string& schema) {
  std::ofstream(ini_) << settingsFileText({service, schema, login, password});
}

ProgramResult DemoWarehouse::ravlen(const std::vector<std::string>& args,
                                    int timeoutSeconds) {
  std::vector<std::string> all{ini_};
  all.insert(all.end(), args.begin(), args.end());
  return runProgram(programPath("ravlen"), all, timeoutSeconds);
}

std::unique_ptr<ToolDb> DemoWarehouse::open() {
  if (kind_ == BackendKind::kOracle) {
    auto oracle = std::make_unique<OracleDb>();
    EXPECT_EQ(oracle->open(oracle_.service, oracle_.credentials(), "KORV"), "");
    return oracle;
  }
  if (kind_ == BackendKind::kServer) {
    auto server = std::make_unique<ServerDb>();
    EXPECT_EQ(openServerSchema(*server, service_, "KORV"), "");
    return server;
  }
  auto file = std::make_unique<SqliteFile>();
  std::string error =
      file->open(dir_.file("db/KORV.db"), SqliteFile::Mode::kReadOnly);
  if (error.empty()) error = file->attach(dir_.file("db/KALDERON.db"), "KalDeron");
  EXPECT_EQ(error, "");
  return file;
}

WarehouseRows DemoWarehouse::warehouse(const std::vector<std::string>& skip) {
  std::vector<std::string> skipped;
  for (const std::string& name : skip) skipped.push_back(lowerAscii(name));
  std::unique_ptr<ToolDb> db = open();
  WarehouseRows all;
  for (const std::string& table : warehouseTables())
    all[table] = queryRows(*db, "select * from " + table, skipped);
  return all;
}

std::vector<std::string> DemoWarehouse::rows(const std::string& sql) {
  std::unique_ptr<ToolDb> db = open();
  return queryRows(*db, sql, {});
}

std::string DemoWarehouse::value(const std::string& sql) {
  std::unique_ptr<ToolDb> db = open();
  Query q(*db, sql);
  return q.next() ? q.text(0) : "";
}

}  // namespace ravlen::testing
