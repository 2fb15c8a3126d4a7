// Test support: real embedded databases in temporary directories.
//
// TempDir makes a fresh directory and removes it with everything in it.
// The helpers write SQLite files directly (as anyone preparing a database
// from the embedded database's contract would), never through the code
// under test.
#ifndef RAVLEN_TESTS_SUPPORT_EMBEDDED_DB_H_
#define RAVLEN_TESTS_SUPPORT_EMBEDDED_DB_H_

#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace ravlen::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(std::string_view name) const;

 private:
  std::string path_;
};

// A connection of its own to the SQLite file `dbFile` (created when
// missing), as another program on the same database would hold it.
class SqliteConnection {
 public:
  explicit SqliteConnection(const std::string& dbFile);
  ~SqliteConnection();
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;
  // Runs `sql`; fails the current test on an error.
  void exec(const std::string& sql);

 private:
  sqlite3* db_ = nullptr;
};

// Runs `sql` on the SQLite file `dbFile` (created when missing); fails the
// current test on an error.
void execSql(const std::string& dbFile, const std::string& sql);
// The first column of the first row of `sql` as text ("" for none/NULL).
std::string queryText(const std::string& dbFile, const std::string& sql);

// Every row of `sql`, each as "Name=value" pairs joined by blanks, in column
// order; columns that are NULL, 0 or named in `skip` are left out, so a
// row reads as what it carries. Values print as SQLite's text of them.
std::vector<std::string> queryRows(const std::string& dbFile,
                                   const std::string& sql,
                                   const std::vector<std::string>& skip = {});

// Contents of a file of the repository's schema/ folder.
std::string schemaSql(std::string_view fileName);

// A directory with KALDERON.db (system tables) and <appSchema>.db (all
// application tables), loaded from schema/ without the dialect indexes.
void createProjectDatabase(const std::string& dir,
                           const std::string& appSchema = "KORV");

// Adds one row per day from..to (yyyymmdd) to Zev133Bak in `kalderonFile`:
// ISO week numbers, quarters 1-4, half-years 1-2, weekday 1 (Monday) to 7.
void fillCalendar(const std::string& kalderonFile, std::string_view from,
                  std::string_view to);

// The local date now as yyyymmdd (the day the database's sysdate sees).
std::string localToday();

// Julian day number of a yyyymmdd text, as operational DATE columns hold it.
double julianOf(std::string_view yyyymmdd);

}  // namespace ravlen::testing

#endif  // RAVLEN_TESTS_SUPPORT_EMBEDDED_DB_H_
