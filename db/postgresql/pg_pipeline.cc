#include "db/postgresql/pg_pipeline.h"

#include <poll.h>

#include <thread>

namespace ravlen {

namespace {

std::chrono::microseconds tripDelay{0};

}  // namespace

void addRoundTripDelay(std::chrono::microseconds delay) { tripDelay = delay; }

bool succeeded(const PGresult* r) {
  if (r == nullptr) return false;
  ExecStatusType s = PQresultStatus(r);
  return s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK;
}

PgPipeline::PgPipeline(PGconn* conn) : conn_(conn) {
  PQsetnonblocking(conn_, 1);
}

size_t PgPipeline::queuedOne(int sent) {
  if (sent != 1) sendFailed_ = true;
  return queued_++;
}

size_t PgPipeline::addQuery(const std::string& sql, const PgParams* params) {
  int n = params ? static_cast<int>(params->values.size()) : 0;
  return queuedOne(PQsendQueryParams(
      conn_, sql.c_str(), n, params ? params->types.data() : nullptr,
      params ? params->values.data() : nullptr, nullptr, nullptr, 0));
}

size_t PgPipeline::addPrepare(const std::string& name, const std::string& sql,
                              const std::vector<Oid>& types) {
  return queuedOne(PQsendPrepare(conn_, name.c_str(), sql.c_str(),
                                 static_cast<int>(types.size()),
                                 types.data()));
}

size_t PgPipeline::addPrepared(const std::string& name,
                               const PgParams& params) {
  return queuedOne(PQsendQueryPrepared(
      conn_, name.c_str(), static_cast<int>(params.values.size()),
      params.values.data(), nullptr, nullptr, 0));
}

bool PgPipeline::flushAll() {
  for (;;) {
    int pending = PQflush(conn_);
    if (pending == 0) return true;
    if (pending < 0) return false;
    pollfd fd{PQsocket(conn_), POLLIN | POLLOUT, 0};
    if (poll(&fd, 1, -1) < 0) return false;
    // Answers read now keep the server from waiting on a full socket.
    if ((fd.revents & POLLIN) && PQconsumeInput(conn_) != 1) return false;
  }
}

bool PgPipeline::drainToSync() {
  // One null ends each command's results; a second in a row means nothing
  // is pending any more, not even the sync: the connection is no good.
  for (int nulls = 0; nulls < 2;) {
    PgResult r(PQgetResult(conn_));
    if (PQstatus(conn_) == CONNECTION_BAD) return false;
    if (r && PQresultStatus(r.get()) == PGRES_PIPELINE_SYNC) return true;
    nulls = r ? 0 : nulls + 1;
  }
  return false;
}

bool PgPipeline::send(std::vector<PgResult>* results) {
  results->clear();
  results->resize(queued_);
  size_t expected = queued_;
  bool sendFailed = sendFailed_;
  queued_ = 0;
  sendFailed_ = false;
  ++roundTrips_;
  if (PQpipelineSync(conn_) != 1 || !flushAll()) return false;
  if (sendFailed) {
    drainToSync();
    return false;
  }
  // Each command: its result, then a null; the sync: PGRES_PIPELINE_SYNC.
  // A lost connection may go on yielding error results: stop at once.
  for (size_t i = 0; i < expected; ++i) {
    while (PGresult* r = PQgetResult(conn_)) {
      (*results)[i].reset(r);
      if (PQstatus(conn_) == CONNECTION_BAD) return false;
    }
    if (PQstatus(conn_) == CONNECTION_BAD) return false;
  }
  bool synced = drainToSync();
  if (tripDelay.count() > 0) std::this_thread::sleep_for(tripDelay);
  return synced;
}

}  // namespace ravlen
