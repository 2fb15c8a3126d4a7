#include "db/postgresql/pg_batch.h"

#include <algorithm>
#include <set>

#include "db/postgresql/pg_status.h"

namespace ravlen {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);
constexpr size_t kFewestItems = 8;
constexpr char kSavepoint[] = "SAVEPOINT ravlen_s";
constexpr char kRelease[] = "RELEASE SAVEPOINT ravlen_s";
constexpr char kRollbackTo[] = "ROLLBACK TO SAVEPOINT ravlen_s";

bool failed(const PgResult& r) {
  return r && PQresultStatus(r.get()) == PGRES_FATAL_ERROR;
}

// libpq's view of a command's parameters.
PgParams paramsOf(const PgCommand& c) {
  PgParams params;
  for (const std::optional<std::string>& v : c.values)
    params.values.push_back(v ? v->c_str() : nullptr);
  params.types = c.types;
  return params;
}

}  // namespace

SqlStatus failureStatus(const PGresult* r, std::string* message) {
  const char* state = PQresultErrorField(r, PG_DIAG_SQLSTATE);
  const char* primary = PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY);
  std::string sqlstate = state ? state : "";
  *message = std::string(primary ? primary : PQresultErrorMessage(r)) +
             " (SQLSTATE " + sqlstate + ")";
  return statusFromSqlstate(sqlstate);
}

void PgBatch::queueCommand(const PgCommand& c, Sent* sent, size_t item) {
  size_t prepare = kNone;
  PgParams params = paramsOf(c);
  PgStatement* s = c.statement;
  if (s && !s->onServer &&
      std::none_of(sent->prepared.begin(), sent->prepared.end(),
                   [s](const auto& p) { return p.first == s; })) {
    prepare = pipeline_.addPrepare(s->name, s->sql, s->types);
    sent->prepared.push_back({s, prepare});
  }
  size_t result = s ? pipeline_.addPrepared(s->name, params)
                    : pipeline_.addQuery(c.query, &params);
  sent->results[item].push_back(result);
  sent->prepares[item].push_back(prepare);
}

void PgBatch::add(PgItem item) {
  items_.push_back(std::move(item));
  if (running_ || lost_) return;
  if (!tripOpen_) openTrip();
  queueMore();
}

void PgBatch::openTrip() {
  open_ = Sent{};
  tripOpen_ = true;
  if (rollBack_) {
    pipeline_.addQuery(kRollbackTo);
  } else {
    if (PQtransactionStatus(conn_) == PQTRANS_IDLE) pipeline_.addQuery("BEGIN");
    pipeline_.addQuery(kSavepoint);
  }
}

// Queues the items not queued yet, up to the trip's limit and up to one
// that ends the trip.
void PgBatch::queueMore() {
  while (open_.items < items_.size() && open_.items < limit_) {
    if (open_.items > 0 && items_[open_.items - 1].endsTrip) break;
    const PgItem& item = items_[open_.items];
    open_.results.emplace_back();
    open_.prepares.emplace_back();
    for (const PgCommand& c : item.commands)
      queueCommand(c, &open_, open_.items);
    ++open_.items;
  }
}

PgBatch::Sent PgBatch::queueTrip() {
  if (!tripOpen_) openTrip();
  queueMore();
  pipeline_.addQuery(kRelease);
  tripOpen_ = false;
  return std::move(open_);
}

std::vector<PgResult> PgBatch::resultsOf(const Sent& sent, size_t item,
                                         std::vector<PgResult>& results) {
  std::vector<PgResult> own;
  for (size_t at : sent.results[item]) own.push_back(std::move(results[at]));
  return own;
}

void PgBatch::finish(const Sent& sent, std::vector<PgResult>& results) {
  rollBack_ = false;
  limit_ = std::min(limit_ * 2, kMostItems);
  PgItems next;
  for (size_t i = 0; i < sent.items; ++i) {
    std::vector<PgResult> own = resultsOf(sent, i, results);
    PgItem item = std::move(items_.front());
    items_.pop_front();
    if (item.done) next = item.done(own);
  }
  items_.insert(items_.begin(), std::make_move_iterator(next.begin()),
                std::make_move_iterator(next.end()));
}

// Item `item` failed at its command `command`: the trip is undone; the
// items before it run again (or are done, where no rollback undoes them),
// then what its failure returns, then the rest.
void PgBatch::failAt(size_t item, size_t command, const Sent& sent,
                     std::vector<PgResult>& results) {
  rollBack_ = true;
  limit_ = kFewestItems;
  PgItems again;
  for (size_t i = 0; i < item; ++i) {
    PgItem& earlier = items_[i];
    if (earlier.undoneByRollback) {
      again.push_back(std::move(earlier));
    } else if (earlier.done) {
      std::vector<PgResult> own = resultsOf(sent, i, results);
      earlier.done(own);
    }
  }
  PgFailure failure;
  failure.command = command;
  size_t at = sent.prepares[item][command];
  failure.preparing = at != kNone && failed(results[at]);
  if (!failure.preparing) at = sent.results[item][command];
  failure.status = failureStatus(results[at].get(), &failure.message);
  for (size_t c = 0; c < command; ++c)
    failure.before.push_back(std::move(results[sent.results[item][c]]));
  PgItem failing = std::move(items_[item]);
  items_.erase(items_.begin(), items_.begin() + static_cast<long>(item) + 1);
  PgItems next = failing.failed ? failing.failed(failure) : PgItems{};
  again.insert(again.end(), std::make_move_iterator(next.begin()),
               std::make_move_iterator(next.end()));
  items_.insert(items_.begin(), std::make_move_iterator(again.begin()),
                std::make_move_iterator(again.end()));
}

// The first statement that meets the lost connection fails with -3113,
// every later one with -3114; an item that has nobody to tell (a cursor's
// close) meets nothing, and the items that a failure returns (a writer's
// pair as single statements) come first.
void PgBatch::loseConnection(const std::string& message) {
  bool met = lost_;
  lost_ = true;
  while (!items_.empty()) {
    PgItem item = std::move(items_.front());
    items_.pop_front();
    if (!item.failed) continue;
    PgFailure failure;
    failure.status = met ? sqlstatus::kNotConnected : sqlstatus::kConnectionLost;
    failure.message =
        met ? "ORA-03114: not connected to ORACLE"
            : "ORA-03113: end-of-file on communication channel: " + message;
    PgItems next = item.failed(failure);
    met = met || next.empty();
    items_.insert(items_.begin(), std::make_move_iterator(next.begin()),
                  std::make_move_iterator(next.end()));
  }
}

void PgBatch::trip() {
  Sent sent = queueTrip();
  std::vector<PgResult> results;
  if (!pipeline_.send(&results))
    return loseConnection(firstLine(PQerrorMessage(conn_)));
  for (const auto& [statement, at] : sent.prepared) {
    if (succeeded(results[at].get())) statement->onServer = true;
  }
  for (size_t i = 0; i < sent.items; ++i) {
    for (size_t c = 0; c < sent.results[i].size(); ++c) {
      size_t prepare = sent.prepares[i][c];
      if ((prepare != kNone && failed(results[prepare])) ||
          failed(results[sent.results[i][c]]))
        return failAt(i, c, sent, results);
    }
  }
  // A guard command failed (the transaction cannot be kept): the first
  // item takes the failure.
  if (std::any_of(results.begin(), results.end(), failed) && sent.items > 0) {
    rollBack_ = false;
    const PGresult* guard = std::find_if(results.begin(), results.end(),
                                         failed)->get();
    PgFailure failure;
    failure.status = failureStatus(guard, &failure.message);
    PgItem first = std::move(items_.front());
    items_.pop_front();
    if (first.failed) first.failed(failure);
    return;
  }
  finish(sent, results);
}

void PgBatch::run() {
  running_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{running_};
  while (!items_.empty()) {
    if (lost_) return loseConnection("");
    trip();
  }
  if (!rollBack_ || lost_) return;
  // The last trip failed at its last item: undo it.
  pipeline_.addQuery(kRollbackTo);
  pipeline_.addQuery(kRelease);
  std::vector<PgResult> results;
  if (!pipeline_.send(&results))
    return loseConnection(firstLine(PQerrorMessage(conn_)));
  rollBack_ = false;
}

SqlStatus PgBatch::commit(std::string* message) {
  run();
  if (lost_) {
    *message = "ORA-03114: not connected to ORACLE";
    return sqlstatus::kNotConnected;
  }
  if (PQtransactionStatus(conn_) == PQTRANS_IDLE) return sqlstatus::kOk;
  size_t at = pipeline_.addQuery("COMMIT");
  std::vector<PgResult> results;
  if (!pipeline_.send(&results)) {
    loseConnection(firstLine(PQerrorMessage(conn_)));
    *message = "ORA-03113: end-of-file on communication channel: " +
               firstLine(PQerrorMessage(conn_));
    return sqlstatus::kConnectionLost;
  }
  if (failed(results[at])) return failureStatus(results[at].get(), message);
  // A transaction that the server had to abort ends in a rollback.
  if (std::string_view(PQcmdStatus(results[at].get())) != "COMMIT") {
    *message = "ORA-02091: transaction rolled back";
    return SqlStatus(-2091);
  }
  return sqlstatus::kOk;
}

}  // namespace ravlen
