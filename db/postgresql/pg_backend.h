// PgBackend: a PostgreSQL server (15 or later, extension orafce) that runs
// the program's Oracle statements, reached through libpq.
//
// Statements: each text is translated (pg_translate.h) once and prepared
// on the server once per session, with the parameter types of the host
// variables it is first run with. Every round trip is one pipeline
// (pg_pipeline.h): a statement is sent together with what it needs, so a
// statement costs one round trip:
//   [BEGIN] SAVEPOINT [CLOSE done cursors] [PREPARE] EXECUTE [FETCH] RELEASE
// BEGIN when no transaction is open: work becomes permanent at commit()
// only, and is rolled back when the session ends. The savepoint makes a
// failed statement undo only itself (one more round trip rolls back to it)
// instead of aborting the transaction, as the program goes on after
// failures.
//
// Cursors: a cursor text is declared "NO SCROLL CURSOR WITH HOLD": it
// delivers the rows as of its open and survives a commit. The open fetches
// the first kFetchRows rows in the same round trip, each later chunk takes
// one more; so at most a chunk of rows is held in memory, whatever the
// size of the result. A cursor that has delivered its last row, or was
// closed, is closed on the server with the next round trip.
//
// Schema statement: "ALTER SESSION SET CURRENT_SCHEMA=NAME" needs an
// unquoted identifier (-922 otherwise) naming an existing schema in lower
// case (-1435 otherwise; the search path stays as it was); then the
// session holds the advisory lock of that schema (schemaLockSql), waiting
// up to `lockWait` for a session that holds it (-54 when the wait ran out),
// and the search path becomes the schema, kalderon, pg_catalog, oracle,
// public: unqualified names resolve in the current schema first, then in
// the system schema, like public synonyms.
//
// A lost connection fails the statement that met it with -3113 and every
// later one with -3114.
#ifndef RAVLEN_DB_POSTGRESQL_PG_BACKEND_H_
#define RAVLEN_DB_POSTGRESQL_PG_BACKEND_H_

#include <libpq-fe.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "db/backend.h"
#include "db/postgresql/pg_inputs.h"
#include "db/postgresql/pg_pipeline.h"
#include "db/postgresql/pg_translate.h"

namespace ravlen {

// The advisory lock of an application schema, held by a session for its
// life: class "RAVL", key the hash of the schema's name in lower case ($1).
inline constexpr char kSchemaLockSql[] =
    "select pg_advisory_lock(1380013644, hashtext($1))";

class PgBackend : public Backend {
 public:
  static constexpr std::chrono::milliseconds kLockWait{60000};
  static constexpr int kFetchRows = 500;

  // Connects to the server of `service` (see pg_connect.h); null on
  // failure with *status and *message.
  static std::unique_ptr<PgBackend> open(
      std::string_view service, std::string_view login,
      std::string_view password, SqlStatus* status, std::string* message,
      std::chrono::milliseconds lockWait = kLockWait);
  ~PgBackend() override;

  SqlStatus execute(SqlText text, HostVars in) override;
  SqlStatus executeImmediate(std::string_view text) override;
  SqlStatus selectInto(SqlText text, HostVars in, HostVars out) override;
  SqlStatus openCursor(SqlText text, HostVars in) override;
  SqlStatus fetch(SqlText text, HostVars out) override;
  SqlStatus closeCursor(SqlText text) override;
  SqlStatus commit() override;
  const std::string& lastError() const override { return lastError_; }

  uint64_t roundTrips() const override { return pipeline_.roundTrips(); }
  std::vector<uint64_t> roundTripsAtCommits() const override {
    return tripsAtCommits_;
  }

 private:
  struct Prepared {
    PgTranslation translation;
    std::string name;    // of the prepared statement (and of the cursor)
    bool onServer = false;
    // Cursors only.
    bool open = false;        // between openCursor and closeCursor
    bool serverOpen = false;  // declared on the server, not yet closed
    bool exhausted = false;   // the server has no more rows
    PgResult rows;            // the chunk being delivered
    int nextRow = 0;
  };
  // The commands of one round trip are queued by a function of this type.
  using Queue = std::function<void(PgPipeline&)>;

  PgBackend(PGconn* conn, std::chrono::milliseconds lockWait);

  Prepared& prepared(SqlText text, bool cursor);
  SqlStatus guardedTrip(const Queue& queue, std::vector<PgResult>* results);
  SqlStatus runPrepared(Prepared& p, HostVars in, bool fetchFirst,
                        PgResult* result);
  SqlStatus fetchChunk(Prepared& p);
  SqlStatus storeFetchedRow(Prepared& p, HostVars out);
  SqlStatus setSchema(const std::string& name);
  void closeOnServer(Prepared& p);
  SqlStatus failWith(SqlStatus status, std::string message);
  SqlStatus failedResult(const PGresult* r);
  SqlStatus connectionLost();
  bool usable();

  PGconn* conn_;
  PgPipeline pipeline_;
  std::chrono::milliseconds lockWait_;
  std::unordered_map<const void*, std::unique_ptr<Prepared>> cache_;
  std::vector<std::string> pendingCloses_;
  PgInputs inputs_;
  std::string lockedSchema_;
  int nextName_ = 0;
  bool lost_ = false;
  std::string lastError_;
  std::vector<uint64_t> tripsAtCommits_;
};

}  // namespace ravlen

#endif  // RAVLEN_DB_POSTGRESQL_PG_BACKEND_H_
