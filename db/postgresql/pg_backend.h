// PgBackend: a PostgreSQL server (15 or later, extension orafce) that runs
// the program's Oracle statements, reached through libpq.
//
// Statements: each text is translated (pg_translate.h) once and prepared
// on the server once per session, with the parameter types of the host
// variables it is first run with. Every operation becomes an item of the
// session's batch (pg_batch.h), which sends items in round trips guarded by
// a savepoint, so that a failed statement undoes only itself while the
// transaction goes on, as the program goes on after failures. BEGIN starts
// the first trip after a commit: work becomes permanent at commit() only,
// and is rolled back when the session ends.
//
// Round trips: an operation whose answer the program waits for (execute,
// selectInto, openCursor, a fetch that needs the next chunk, commit) sends
// everything held before it in the same trip. The *Later operations are
// held until then, or until flush(): a block of rows' lookups and writes
// travels in one or a few trips. A writer's pair travels as statements
// whose outcome needs no round trip in between (pg_write_pair.h). Reads
// handed over (lookups, a cursor's first rows) wait until another
// operation comes; then the lookups of one text go as one statement for
// all their rows (pg_block_reads.h), which spares the server an
// executor's start-up per row.
//
// Cursors: a cursor text is declared "NO SCROLL CURSOR WITH HOLD": it
// delivers the rows as of its open and survives a commit. The open fetches
// the first kFetchRows rows in the same round trip, each later chunk takes
// one more; so at most a chunk of rows is held in memory, whatever the
// size of the result. A cursor that has delivered its last row, or was
// closed, is closed on the server with the next round trip. rowsLater runs
// the cursor's query with a limit instead of a cursor.
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
// Groups: the session plans a "group by" by sorting (enable_hashagg off),
// so the groups come in the order of their keys, as on the embedded
// database. Where the program's rows depend on the order in which a cursor
// without "order by" delivers its groups (the booking function that a
// merged statistics row keeps, the running numbers of summed time-account
// rows), both backends then agree, whatever plan the server chooses.
// Random reads cost as on data held in memory (random_page_cost 1.1), so
// that a lookup by key reads the index even on a small table.
//
// A lost connection fails the statement that met it with -3113 and every
// later one with -3114.
#ifndef RAVLEN_DB_POSTGRESQL_PG_BACKEND_H_
#define RAVLEN_DB_POSTGRESQL_PG_BACKEND_H_

#include <libpq-fe.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "db/backend.h"
#include "db/postgresql/pg_batch.h"
#include "db/postgresql/pg_inputs.h"
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

  void selectIntoLater(SqlText text, HostVars in, HostVars out,
                       std::function<void(const LaterOutcome&)> done) override;
  void rowsLater(SqlText text, HostVars in, HostVars out, size_t maxRows,
                 std::function<void()> onRow,
                 std::function<void(const RowsOutcome&)> done) override;
  void writeLater(const WriteSteps& steps,
                  std::function<void(const WriteOutcome&)> done) override;
  void flush() override;

  uint64_t roundTrips() const override { return batch_.roundTrips(); }
  std::vector<uint64_t> roundTripsAtCommits() const override {
    return tripsAtCommits_;
  }

 private:
  // A translated statement, prepared on the server as `name`.
  struct Statement : PgStatement {
    PgTranslation translation;
    // The lookups of several rows as one statement (pg_block_reads.h),
    // and how often it failed: after kBlockRefusals the text goes alone.
    std::unique_ptr<PgStatement> block;
    int blockRefused = 0;
  };
  static constexpr int kBlockRefusals = 3;
  // Fewer writes than this go one by one: a statement for many rows costs
  // more than a few single ones (the daily balances' writes alternate
  // between two tables, so their runs are short).
  static constexpr size_t kRowsAtLeast = 8;
  // Held writes go to the server once there are this many, so that it
  // works on them while the program computes the block's other rows.
  static constexpr size_t kWritesHeldAtMost = 64;
  // A read handed over and not yet in the batch: a lookup (done), or a
  // query's first maxRows rows (rowsDone).
  struct HeldRead {
    Statement* statement = nullptr;
    PgCommand command;
    std::vector<HostVar> outputs;
    std::function<void(const LaterOutcome&)> done;
    size_t maxRows = 0;
    std::function<void()> onRow;
    std::function<void(const RowsOutcome&)> rowsDone;
  };
  // The forms in which a program text reaches the server.
  enum class Form : uint8_t { kPlain, kCursor, kRows };
  struct Cursor {
    Statement* statement = nullptr;
    bool open = false;        // between openCursor and closeCursor
    bool serverOpen = false;  // declared on the server, not yet closed
    bool exhausted = false;   // the server has no more rows
    PgResult rows;            // the chunk being delivered
    int nextRow = 0;
  };

  PgBackend(PGconn* conn, std::chrono::milliseconds lockWait);

  Statement& statement(SqlText text, Form form, size_t rows = 0);
  // A writer's pair as one statement (pg_write_pair.h), for the host
  // variables it was made with (their addresses tell which values both
  // steps share): the upsert, until the server refuses it; then the other
  // form, which the statement becomes (both take the same parameters).
  struct Pair {
    std::vector<const void*> addresses;
    std::vector<int> numbers;  // of the second step's inputs
    PgStatement statement;
    std::string otherSql;  // the other form, while the upsert is in use
    // The upsert for many rows (rowsUpsertSql) and how often it failed:
    // after kBlockRefusals the pair's writes go one by one.
    std::unique_ptr<PgStatement> rows;
    int rowsRefused = 0;
    // The update step's inputs that its condition compares: the row's key.
    std::vector<size_t> keyInputs;
    // The table both steps write, in upper case: a plain table of the
    // current schema; "" where not known.
    std::string table;
    // Writes of different keys never meet: the table has no other unique
    // index, no trigger, rule or default (schemaTables_), and the update
    // leaves the key as it is. Their order may change then.
    bool apart = false;
  };
  // A write handed over as its one upsert, not yet in the batch.
  // A write handed over as its one statement (both steps' values, see
  // pg_write_pair.h), not yet in the batch; its steps' own commands are
  // made from it where it must run as its two statements (stepOf).
  struct HeldWrite {
    Pair* pair = nullptr;
    WritePattern pattern;
    Statement* first = nullptr;
    Statement* second = nullptr;
    PgCommand both;
    std::string key;
    std::function<void(const WriteOutcome&)> done;
  };
  static PgCommand stepOf(const HeldWrite& w, int step);
  Pair* pair(const WriteSteps& steps, const Statement& first,
             const Statement& second);
  void refuseUpsert(Pair& p);
  PgCommand command(Statement& s, HostVars in);
  PgInputs inputs_;  // command's scratch, kept for its buffers
  static bool inputsMatch(const Statement& s, HostVars in,
                          LaterOutcome* failure);
  // Runs `item` with everything held before it; its status (0 unless it
  // failed), the failure's message in lastError_.
  SqlStatus runNow(PgItem item);
  // Reads are held until another operation comes (releaseReads), so that
  // the lookups of one text go together; add() and runBatch() release them
  // first.
  void add(PgItem item);
  void runBatch();
  void releaseReads();
  // Writes of one pair's upsert are held as reads are, and consecutive
  // ones of different keys go as one statement (rowsUpsertSql). Writes of
  // pairs on different tables are held together and go pair by pair: rows
  // of different tables do not meet, so the order between them changes no
  // row and no outcome; the callbacks still come in the order of hand-over.
  void releaseWrites();
  bool holdsWith(const Pair& p) const;
  void sendRuns(std::vector<HeldWrite> writes);
  void sendLayers(Pair& p, std::vector<HeldWrite> writes);
  void sendRun(Pair& p, PgStatement* rows, std::vector<HeldWrite> run);
  static PgItem pairItem(PgBackend* self, HeldWrite w);
  PgStatement* rowsOf(Pair& p);
  PgItem rowsItem(Pair& p, std::vector<HeldWrite> writes);
  PgItem readItem(HeldRead read);
  PgItem rowsReadItem(HeldRead read);
  PgStatement* blockOf(Statement& s);
  PgItem blockItem(Statement& s, PgStatement* block,
                   std::vector<HeldRead> reads);
  SqlStatus fetchChunk(Cursor& c);
  void closeOnServer(Cursor& c);
  Cursor* openCursorOf(SqlText text, SqlStatus* status);
  SqlStatus setSchema(const std::string& name);
  bool usable();

  PGconn* conn_;
  PgBatch batch_;
  std::chrono::milliseconds lockWait_;
  std::map<std::pair<const void*, size_t>, std::unique_ptr<Statement>>
      statements_;
  std::map<std::pair<const void*, const void*>,
           std::vector<std::unique_ptr<Pair>>>
      pairs_;
  std::unordered_map<const void*, Cursor> cursors_;
  std::string lockedSchema_;
  int nextName_ = 0;
  std::string lastError_;
  std::vector<uint64_t> tripsAtCommits_;
  std::vector<HeldRead> heldReads_;
  std::vector<HeldWrite> heldWrites_;
  // The plain tables of the current schema in upper case, each with
  // whether its rows of different keys never meet (kSchemaTablesSql).
  std::map<std::string, bool> schemaTables_;
};

}  // namespace ravlen

#endif  // RAVLEN_DB_POSTGRESQL_PG_BACKEND_H_
