// PgBatch: the commands held for the server, sent in round trips that each
// undo only what fails.
//
// An item is one unit of the program's work (a statement, a writer's pair,
// a cursor's fetch): one or more commands with their own parameters, and
// the callbacks that get their results. Items run strictly in the order
// they were added. run() sends them in round trips of up to `limit` items:
//   [BEGIN] SAVEPOINT s  <the items' commands>  RELEASE SAVEPOINT s  sync
// When a command fails, the server skips the rest of the trip, and
// ROLLBACK TO SAVEPOINT s (at the start of the next trip) undoes the
// trip's work. Then:
//  - the items before the failing one run again, from the same state, so
//    they end as they would have (their callbacks wait for that run); an
//    item that a rollback cannot undo (a fetch from or close of a cursor
//    that an earlier trip opened) is not run again but done;
//  - the failing item gets its failure; what its callback returns runs
//    next, before everything after it (a writer's pair that failed as one
//    runs again as its single statements, to tell their outcomes apart);
//  - the items after it follow.
// So every failure undoes only its own item, at the price of a round trip.
// After a failure the trips are short, growing again with each trip that
// succeeds, so that a night where everything fails does not send every
// item again and again.
//
// An item marked endsTrip closes its round trip: whatever runs after it can
// depend on its outcome (the second step of a writer's pair).
//
// The trip's commands go to the connection as the items are added, not
// only when run() is called: libpq sends them on in chunks as its buffer
// fills, so the server works on the first commands of a trip while the
// program is still computing the later ones. What a trip holds, its order
// and its one sync are the same as if it were all queued at run(); items
// that callbacks add while run() is under way wait for the next trip, as
// do items after one that ends its trip or beyond the trip's limit.
#ifndef RAVLEN_DB_POSTGRESQL_PG_BATCH_H_
#define RAVLEN_DB_POSTGRESQL_PG_BATCH_H_

#include <libpq-fe.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "db/postgresql/pg_pipeline.h"
#include "db/status.h"

namespace ravlen {

// A prepared statement on the server: created by the first command that
// runs it (a preparation is not undone by a rollback).
struct PgStatement {
  std::string name;
  std::string sql;
  std::vector<Oid> types;
  bool onServer = false;
};

// One command: a query text, or a prepared statement (prepared first where
// needed); the parameters are the command's own.
struct PgCommand {
  std::string query;                  // when `statement` is null
  PgStatement* statement = nullptr;
  std::vector<std::optional<std::string>> values;  // nullopt: NULL
  std::vector<Oid> types;                          // of a query's values
};

struct PgFailure {
  size_t command = 0;  // which of the item's commands failed
  bool preparing = false;  // its preparation failed
  SqlStatus status;
  std::string message;
  // The results of the item's commands before the failing one.
  std::vector<PgResult> before;
};

struct PgItem;
using PgItems = std::vector<PgItem>;

// Each callback may return items that run next, before every item held
// after this one; only an item that ends its trip may return any from
// `done` (the items after it have not run yet).
struct PgItem {
  std::vector<PgCommand> commands;
  // Every command succeeded: their results, in order.
  std::function<PgItems(std::vector<PgResult>&)> done;
  // A command failed (or the connection was lost).
  std::function<PgItems(PgFailure&)> failed;
  bool undoneByRollback = true;
  bool endsTrip = false;
};

class PgBatch {
 public:
  static constexpr size_t kMostItems = 2048;

  explicit PgBatch(PGconn* conn) : conn_(conn), pipeline_(conn) {}

  void add(PgItem item);
  bool empty() const { return items_.empty(); }
  // Runs every item held, and whatever their callbacks add.
  void run();
  // Commits the transaction (run() first); -2091 where the server could
  // only roll it back, *message the failure's text.
  SqlStatus commit(std::string* message);

  // After a lost connection every item fails, the first that meets it with
  // -3113, the others with -3114; so does every item added later.
  bool lost() const { return lost_; }
  uint64_t roundTrips() const { return pipeline_.roundTrips(); }

 private:
  struct Sent {
    size_t items = 0;
    std::vector<std::vector<size_t>> results;  // per item, per command
    std::vector<std::vector<size_t>> prepares;  // the same, or kNone
    std::vector<std::pair<PgStatement*, size_t>> prepared;
  };

  void openTrip();
  void queueMore();
  Sent queueTrip();
  void queueCommand(const PgCommand& c, Sent* sent, size_t item);
  void trip();
  std::vector<PgResult> resultsOf(const Sent& sent, size_t item,
                                  std::vector<PgResult>& results);
  void finish(const Sent& sent, std::vector<PgResult>& results);
  void failAt(size_t item, size_t command, const Sent& sent,
              std::vector<PgResult>& results);
  void loseConnection(const std::string& message);

  PGconn* conn_;
  PgPipeline pipeline_;
  std::deque<PgItem> items_;
  bool rollBack_ = false;   // the last trip failed: undo it first
  size_t limit_ = kMostItems;
  bool lost_ = false;
  bool running_ = false;   // run() is under way: add() only holds items
  bool tripOpen_ = false;  // open_ has begun a trip on the connection
  Sent open_;              // the items of items_' front queued so far
};

// The status and the message of a failed result ("" and 0 when it did
// not fail).
SqlStatus failureStatus(const PGresult* r, std::string* message);

}  // namespace ravlen

#endif  // RAVLEN_DB_POSTGRESQL_PG_BATCH_H_
