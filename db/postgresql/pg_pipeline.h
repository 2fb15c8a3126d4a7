// PgPipeline: one round trip to the server carrying several commands.
//
// The connection stays in libpq's pipeline mode for its whole life: the
// commands of a round trip are queued (add*), then send() ends them with
// one sync message and reads one result per command, in order. After a
// command fails, the server skips the rest up to the sync; their results
// report PGRES_PIPELINE_ABORTED. Every round trip is counted.
//
// The connection sends without blocking, and send() reads what the server
// answers while it is still sending, so that a round trip of many commands
// never waits on a server that waits on it. A lost connection ends the
// reading at once: the results not read stay null.
//
// Parameters are copied when a command is queued.
#ifndef RAVLEN_DB_POSTGRESQL_PG_PIPELINE_H_
#define RAVLEN_DB_POSTGRESQL_PG_PIPELINE_H_

#include <libpq-fe.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ravlen {

struct PgResultFree {
  void operator()(PGresult* r) const { PQclear(r); }
};
using PgResult = std::unique_ptr<PGresult, PgResultFree>;

// The parameters of one command: values as text (nullptr: NULL) with their
// types (0: the server infers one). The pointers must stay valid until the
// command is queued.
struct PgParams {
  std::vector<const char*> values;
  std::vector<Oid> types;
};

class PgPipeline {
 public:
  explicit PgPipeline(PGconn* conn);

  // Queues a command; each returns its index among this round trip's.
  size_t addQuery(const std::string& sql, const PgParams* params = nullptr);
  size_t addPrepare(const std::string& name, const std::string& sql,
                    const std::vector<Oid>& types);
  size_t addPrepared(const std::string& name, const PgParams& params);

  // Sends the queued commands with one sync and returns their results.
  // False when the commands could not be sent or the connection broke.
  bool send(std::vector<PgResult>* results);

  size_t queued() const { return queued_; }
  uint64_t roundTrips() const { return roundTrips_; }

 private:
  size_t queuedOne(int sent);
  // Sends all that is queued, reading meanwhile; false on a broken socket.
  bool flushAll();
  // Reads until the sync's result; false when the connection broke first.
  bool drainToSync();

  PGconn* conn_;
  size_t queued_ = 0;
  bool sendFailed_ = false;
  uint64_t roundTrips_ = 0;
};

// Whether a result is a success (command done, or rows).
bool succeeded(const PGresult* r);

// For the benchmark only: every round trip from now on waits `delay` more
// once its answer has come, as a slower network would make it.
void addRoundTripDelay(std::chrono::microseconds delay);

}  // namespace ravlen

#endif  // RAVLEN_DB_POSTGRESQL_PG_PIPELINE_H_
