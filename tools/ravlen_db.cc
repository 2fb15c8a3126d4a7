// ravlen-db: operator tool for Ravlen's databases: the embedded one (a
// directory DIR with one SQLite file per schema), a PostgreSQL server
// (DIR a connection URI "postgresql://...", see server_commands.h) or an
// Oracle database (DIR "oracle:NET8", see oracle_commands.h).
//
// Contract:
//  - "init DIR [SCHEMA]" creates DIR with KALDERON.db and <SCHEMA>.db
//    (default KORV): every table and index of the schema files that the
//    build embedded, the same as loading them with the sqlite3 shell;
//    existing files are refused.
//  - "calendar DIR FROM TO" writes the base calendar's days FROM..TO
//    (yyyymmdd), replacing days it already holds.
//  - "demo DIR --persons N --from yyyymmdd --to yyyymmdd [--seed S]
//    [--schema SCHEMA]" replaces the operational and master data with
//    demo data of N persons over the range (same seed, same data).
//  - "stats DIR [--schema SCHEMA]" prints the row counts of the warehouse
//    and source tables per period code, and the evaluations.
//  - Without --schema the application schema is the one <SCHEMA>.db file
//    besides KALDERON.db (on a server: the one schema besides kalderon
//    with the warehouse tables; on Oracle: besides KALDERON).
//  - "--version" prints "ravlen-db VERSION".
//  - Exit codes: 0 done, help or version, 1 the database work failed,
//    2 misuse. Messages are German; errors go to standard error.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "db/postgresql/pg_connect.h"
#include "db/statement_scan.h"
#include "ravlen_version.h"
#include "tools/ravlen_db/calendar.h"
#include "tools/ravlen_db/day.h"
#include "tools/ravlen_db/demo.h"
#include "tools/ravlen_db/init.h"
#include "tools/ravlen_db/layout.h"
#include "tools/ravlen_db/oracle_commands.h"
#include "tools/ravlen_db/server_commands.h"
#include "tools/ravlen_db/stats.h"

namespace ravlen {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kHelp[] =
    "ravlen-db: Werkzeug fuer die eingebettete Datenbank von Ravlen\n"
    "\n"
    "Aufruf:\n"
    "  ravlen-db init DIR [SCHEMA]\n"
    "      legt DIR mit KALDERON.db und SCHEMA.db an (Vorgabe: KORV), mit allen\n"
    "      Tabellen und Indizes aus schema/*.sql\n"
    "  ravlen-db calendar DIR VON BIS\n"
    "      fuellt den Basiskalender Zev133Bak fuer VON..BIS (jjjjmmtt):\n"
    "      ISO-Woche, Quartal, Halbjahr, Wochentag (1 = Montag)\n"
    "  ravlen-db demo DIR --persons N --from VON --to BIS [--seed S] [--schema SCHEMA]\n"
    "      ersetzt die operativen Daten und Stammdaten durch Demodaten von N\n"
    "      Personen (Nummern ab 10001) fuer VON..BIS; gleicher Startwert S,\n"
    "      gleiche Daten (Vorgabe 1)\n"
    "  ravlen-db stats DIR [--schema SCHEMA]\n"
    "      zeigt die Zeilen der Warehouse- und Quelltabellen je Zeitraumart\n"
    "      und die Auswertungen aus Zev800Dwh\n"
    "  ravlen-db --help | -h\n"
    "      zeigt diesen Text\n"
    "  ravlen-db --version\n"
    "      zeigt die Version\n"
    "\n"
    "Ohne --schema gilt die eine Datei SCHEMA.db neben KALDERON.db.\n"
    "Statt DIR geht ein PostgreSQL-Server als URI postgresql://[HOST][:PORT]/DB\n"
    "(Benutzer und Passwort aus PGUSER, ~/.pgpass oder PGPASSWORD); dort sind\n"
    "die Schemas kalderon und SCHEMA (in Kleinbuchstaben).\n"
    "Statt DIR geht eine Oracle-Datenbank als oracle:NET8 (Dienstname oder\n"
    "HOST:PORT/DIENST; Anmeldung LOGIN/PASSWORT aus RAVLEN_ORACLE_LOGIN); dort\n"
    "sind die Schemas KALDERON und SCHEMA Oracle-Benutzer, die init anlegt.\n"
    "Rueckgabewert: 0 erfolgreich, 1 Datenbankfehler, 2 falscher Aufruf.\n";

int misuse(const std::string& message) {
  std::fprintf(stderr, "ravlen-db: %s\nHilfe: ravlen-db --help\n", message.c_str());
  return kExitUsage;
}

int failed(const std::string& message) {
  std::fprintf(stderr, "ravlen-db: %s\n", message.c_str());
  return kExitFailed;
}

// DIR, then --name value pairs; returns an error text.
struct Arguments {
  std::string dir;
  std::vector<std::string> positional;  // after DIR
  std::string persons, from, to, seed, schema;
};

std::string parseArguments(const std::vector<std::string>& args, Arguments* a) {
  struct Option {
    const char* name;
    std::string* value;
  } options[] = {{"--persons", &a->persons}, {"--from", &a->from},
                 {"--to", &a->to},           {"--seed", &a->seed},
                 {"--schema", &a->schema}};
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i].rfind("--", 0) != 0) {
      (a->dir.empty() ? a->dir : a->positional.emplace_back()) = args[i];
      continue;
    }
    Option* option = nullptr;
    for (Option& o : options) {
      if (args[i] == o.name) option = &o;
    }
    if (option == nullptr) return "unbekannte Angabe: " + args[i];
    if (i + 1 >= args.size()) return "Wert fehlt nach " + args[i];
    if (!option->value->empty()) return "Angabe doppelt: " + args[i];
    *option->value = args[++i];
    if (option->value->empty()) return "leerer Wert bei " + args[i - 1];
  }
  if (a->dir.empty()) return "DIR fehlt";
  return "";
}

std::optional<long long> parseNumber(const std::string& text, long long lo, long long hi) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
      text.size() > 18) {
    return std::nullopt;
  }
  long long value = std::stoll(text);
  if (value < lo || value > hi) return std::nullopt;
  return value;
}

// Both days valid and in order; returns an error text.
std::string parseRange(const std::string& fromText, const std::string& toText,
                       double* from, double* to) {
  std::optional<double> f = parseDay(fromText), t = parseDay(toText);
  if (!f) return "kein gueltiges Datum (jjjjmmtt): " + fromText;
  if (!t) return "kein gueltiges Datum (jjjjmmtt): " + toText;
  if (*f > *t) return "VON liegt nach BIS: " + fromText + " > " + toText;
  *from = *f;
  *to = *t;
  return "";
}

// The commands on one kind of database; place() names a schema's home in
// messages.
struct Commands {
  std::string (*init)(const std::string& dir, std::string_view schema);
  std::string (*calendar)(const std::string& dir, double from, double to,
                          int64_t* rows);
  std::string (*findSchema)(const std::string& dir, std::string_view given,
                            std::string* schema);
  std::string (*demo)(const std::string& dir, const DemoOptions& options,
                      DemoResult* result);
  std::string (*stats)(const std::string& dir, const std::string& schema,
                       DatabaseStats* stats);
  std::string (*place)(const std::string& dir, std::string_view schema);
};

// The embedded database's directory, a PostgreSQL server's URI, or
// "oracle:NET8".
const Commands& commandsFor(const std::string& dir) {
  static const Commands kEmbedded{
      initDatabase, writeBaseCalendar, findApplicationSchema, writeDemoData,
      collectStats, [](const std::string& d, std::string_view schema) {
        return schemaFile(d, schema);
      }};
  static const Commands kServer{
      initServer, calendarServer, findServerSchema, demoServer, statsServer,
      [](const std::string&, std::string_view schema) {
        return "Schema " + lowerAscii(schema);
      }};
  static const Commands kOracle{
      initOracle, calendarOracle, findOracleSchema, demoOracle, statsOracle,
      [](const std::string&, std::string_view schema) {
        return "Schema " + upperAscii(schema);
      }};
  if (isOracleTarget(dir)) return kOracle;
  return isServerService(dir) ? kServer : kEmbedded;
}

int runInit(const Arguments& a) {
  if (!a.persons.empty() || !a.from.empty() || !a.to.empty() || !a.seed.empty() ||
      !a.schema.empty() || a.positional.size() > 1) {
    return misuse("init erwartet DIR [SCHEMA]");
  }
  std::string schema(a.positional.empty() ? kDefaultApplicationSchema : a.positional[0]);
  if (!isApplicationSchemaName(schema)) return misuse("ungueltiger Schemaname: " + schema);
  const Commands& c = commandsFor(a.dir);
  std::string error = c.init(a.dir, schema);
  if (!error.empty()) return failed(error);
  std::printf("ravlen-db: %s und %s angelegt\n", c.place(a.dir, kSystemSchema).c_str(),
              c.place(a.dir, schema).c_str());
  return kExitOk;
}

int runCalendar(const Arguments& a) {
  if (a.positional.size() != 2 || !a.persons.empty() || !a.from.empty() ||
      !a.to.empty() || !a.seed.empty() || !a.schema.empty()) {
    return misuse("calendar erwartet DIR VON BIS");
  }
  double from = 0, to = 0;
  std::string error = parseRange(a.positional[0], a.positional[1], &from, &to);
  if (!error.empty()) return misuse(error);
  int64_t days = 0;
  error = commandsFor(a.dir).calendar(a.dir, from, to, &days);
  if (!error.empty()) return failed(error);
  std::printf("ravlen-db: Basiskalender %s bis %s, %lld Tage\n", a.positional[0].c_str(),
              a.positional[1].c_str(), static_cast<long long>(days));
  return kExitOk;
}

void printDemoResult(const DemoResult& r) {
  for (const DemoTableRows& t : r.tables) {
    std::printf("  %-15s %10lld\n", t.table.c_str(), static_cast<long long>(t.rows));
  }
  double perSecond = r.seconds > 0 ? r.rows / r.seconds : 0;
  std::printf("ravlen-db: %lld Zeilen in %.2f s (%.0f Zeilen/s)\n",
              static_cast<long long>(r.rows), r.seconds, perSecond);
}

int runDemo(const Arguments& a) {
  if (!a.positional.empty()) return misuse("demo erwartet nur DIR und Angaben");
  if (a.persons.empty() || a.from.empty() || a.to.empty()) {
    return misuse("demo erwartet --persons, --from und --to");
  }
  DemoOptions options;
  std::optional<long long> persons = parseNumber(a.persons, 1, kMaxDemoPersons);
  if (!persons) return misuse("--persons erwartet eine Zahl von 1 bis 99999");
  options.persons = static_cast<int>(*persons);
  std::optional<long long> seed = parseNumber(a.seed.empty() ? "1" : a.seed, 0,
                                              999999999999999999LL);
  if (!seed) return misuse("--seed erwartet eine Zahl");
  options.seed = static_cast<uint64_t>(*seed);
  std::string error = parseRange(a.from, a.to, &options.from, &options.to);
  if (!error.empty()) return misuse(error);
  const Commands& c = commandsFor(a.dir);
  error = c.findSchema(a.dir, a.schema, &options.schema);
  if (!error.empty()) return failed(error);
  DemoResult result;
  error = c.demo(a.dir, options, &result);
  if (!error.empty()) return failed(error);
  std::string where = c.place(a.dir, options.schema);
  std::printf("ravlen-db: Demodaten in %s, %d Personen, %s bis %s, Startwert %llu\n",
              where.c_str(), options.persons, a.from.c_str(),
              a.to.c_str(), static_cast<unsigned long long>(options.seed));
  printDemoResult(result);
  return kExitOk;
}

int runStats(const Arguments& a) {
  if (!a.positional.empty() || !a.persons.empty() || !a.from.empty() || !a.to.empty() ||
      !a.seed.empty()) {
    return misuse("stats erwartet DIR [--schema SCHEMA]");
  }
  std::string schema;
  const Commands& c = commandsFor(a.dir);
  std::string error = c.findSchema(a.dir, a.schema, &schema);
  if (error.empty()) {
    DatabaseStats stats;
    error = c.stats(a.dir, schema, &stats);
    if (error.empty()) std::fputs(formatStats(stats).c_str(), stdout);
  }
  return error.empty() ? kExitOk : failed(error);
}

int run(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::fputs(kHelp, stderr);
    return kExitUsage;
  }
  std::string command = args[0];
  if (command == "--help" || command == "-h") {
    std::fputs(kHelp, stdout);
    return kExitOk;
  }
  if (command == "--version") {
    std::printf("ravlen-db %s\n", kRavlenVersion);
    return kExitOk;
  }
  int (*handler)(const Arguments&) = nullptr;
  if (command == "init") handler = runInit;
  if (command == "calendar") handler = runCalendar;
  if (command == "demo") handler = runDemo;
  if (command == "stats") handler = runStats;
  if (handler == nullptr) return misuse("unbekannter Befehl: " + command);
  Arguments arguments;
  std::string error = parseArguments({args.begin() + 1, args.end()}, &arguments);
  if (!error.empty()) return misuse(command + ": " + error);
  return handler(arguments);
}

}  // namespace
}  // namespace ravlen

int main(int argc, char** argv) { return ravlen::run(argc, argv); }
