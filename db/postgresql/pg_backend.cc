#include "db/postgresql/pg_backend.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <unordered_map>

#include "db/in_order.h"
#include "db/output_copy.h"
#include "db/output_store.h"
#include "db/postgresql/pg_block_reads.h"
#include "db/postgresql/pg_connect.h"
#include "db/postgresql/pg_inputs.h"
#include "db/postgresql/pg_status.h"
#include "db/postgresql/pg_write_pair.h"
#include "db/statement_scan.h"
#include "db/write_pair_key.h"

namespace ravlen {

namespace {

constexpr char kPathTail[] = ",kalderon,pg_catalog,oracle,public";
// The session's planner settings: groups of a "group by" in the order of
// their keys; and random reads costed as on data the server holds in
// memory, since the program reads each row by its key. With the default
// cost the planner scanned a small table whole for every lookup (250 rows,
// each compared with a converted date) instead of reading one index entry:
// four times the lookup's time.
constexpr char kSessionSettings[] =
    "set enable_hashagg = off; set random_page_cost = 1.1";

// The plain tables of schema $1 (not views: a write names the table it
// changes), each with whether writes of different keys never meet on it:
// one unique index or exclusion constraint (the key of the writers'
// upserts), no trigger, no rule and no column default.
constexpr char kSchemaTablesSql[] =
    "select upper(c.relname), (select count(*) from pg_index i where "
    "i.indrelid = c.oid and (i.indisunique or i.indisexclusion)) = 1 and "
    "not exists (select 1 from pg_trigger t where t.tgrelid = c.oid) and "
    "not exists (select 1 from pg_rewrite w where w.ev_class = c.oid) and "
    "not exists (select 1 from pg_attrdef d where d.adrelid = c.oid) "
    "from pg_class c join pg_namespace n on n.oid = c.relnamespace "
    "where n.nspname = $1 and c.relkind = 'r'";

int rowCount(const PgResult& r) { return r ? PQntuples(r.get()) : 0; }

bool touchedNoRow(const PgResult& r) {
  return std::strtoll(PQcmdTuples(r.get()), nullptr, 10) == 0;
}

LaterOutcome outcomeOf(const PgFailure& f, StatementOp op) {
  return {f.status, op, f.message};
}

PgCommand queryCommand(std::string sql, std::vector<const char*> values = {}) {
  PgCommand c;
  c.query = std::move(sql);
  for (const char* v : values) {
    c.values.push_back(std::string(v));
    c.types.push_back(kTextOid);
  }
  return c;
}

// Stores row `row` of `r` into `out`, whole or not at all.
// Columns before `firstColumn` are not the statement's own.
SqlStatus storeResultRow(const PGresult* r, int row, HostVars out,
                         const std::vector<bool>* indicators,
                         std::string* message, int firstColumn = 0) {
  // One copy's memory serves every row: nothing runs while a row is stored.
  static OutputCopy copy;
  copy.assign(out);
  SqlStatus status = storeRow(
      copy.vars(), static_cast<size_t>(PQnfields(r) - firstColumn), indicators,
      [r, row, firstColumn](size_t i) {
        return PQgetisnull(r, row, static_cast<int>(i) + firstColumn) == 1;
      },
      [r, row, firstColumn](size_t i, const HostVar& v) {
        int c = static_cast<int>(i) + firstColumn;
        return storeText(v, std::string_view(PQgetvalue(r, row, c),
                                             PQgetlength(r, row, c)));
      },
      message);
  if (status.ok()) copy.keep();
  return status;
}

// The outcome of a select-into from its rows (a limit of 2 tells one row
// from several).
// The rows [first, end) of `r` are the answer; in a block's result (see
// pg_block_reads.h) column 1 marks a row found, and its own columns follow.
LaterOutcome selectIntoOutcome(const PGresult* r, HostVars out,
                               const std::vector<bool>& indicators,
                               int first = 0, int end = -1,
                               bool block = false) {
  LaterOutcome o{sqlstatus::kOk, StatementOp::kSelectInto, ""};
  if (end < 0) end = PQntuples(r);
  int rows = end - first;
  if (block && rows == 1 && PQgetisnull(r, first, 1)) rows = 0;
  if (rows == 0) {
    o.status = sqlstatus::kNoData;
  } else if (rows > 1) {
    o.status = sqlstatus::kTooManyRows;
    o.message =
        "ORA-01422: exact fetch returns more than requested number of rows";
  } else {
    o.status = storeResultRow(r, first, out, &indicators, &o.message,
                              block ? 2 : 0);
  }
  return o;
}

// A query's first rows from the rows [first, end) of `r`, their columns
// from `column` on: the first read.maxRows delivered through read.onRow;
// "more" (0) where there are more, else 1403.
template <typename Read>
RowsOutcome firstRows(const PGresult* r, int first, int end, int column,
                      const Read& read) {
  size_t count = static_cast<size_t>(end - first);
  RowsOutcome o{count > read.maxRows ? sqlstatus::kOk : sqlstatus::kNoData, {}};
  for (size_t i = 0; i < count && i < read.maxRows; ++i) {
    std::string message;
    SqlStatus stored = storeResultRow(
        r, first + static_cast<int>(i),
        std::span<const HostVar>(read.outputs), nullptr, &message, column);
    if (!stored.ok()) {
      o = RowsOutcome{stored, {{stored, StatementOp::kFetch, message}}};
      break;
    }
    read.onRow();
  }
  return o;
}

// One statement for many rows: its parameter i the array of parameter i
// of every held item's own command (`values` gives an item's values).
template <typename Held, typename Values>
PgCommand arraysCommand(PgStatement* statement, size_t count,
                        const std::vector<Held>& held, Values values) {
  PgCommand c;
  c.statement = statement;
  std::vector<const std::optional<std::string>*> column;
  for (size_t i = 0; i < count; ++i) {
    column.clear();
    for (const Held& h : held) column.push_back(&values(h)[i]);
    c.values.push_back(arrayText(column));
  }
  return c;
}

// What a statement for many rows does when it fails: counts the failure
// in `refused` (not a lost connection) and runs each row on its own, so
// that each gets its own outcome.
template <typename Held, typename Single>
std::function<PgItems(PgFailure&)> eachAlone(
    int* refused, std::shared_ptr<std::vector<Held>> held, Single single) {
  return [refused, held, single](PgFailure& f) {
    if (f.preparing || f.status != sqlstatus::kNotConnected) ++*refused;
    PgItems singles;
    for (Held& h : *held) singles.push_back(single(std::move(h)));
    return singles;
  };
}

// A write run on its own: 1403 when it touched no row.
PgItem writeItem(PgCommand c, std::function<void(const LaterOutcome&)> done) {
  PgItem item;
  item.commands.push_back(std::move(c));
  item.done = [done](std::vector<PgResult>& r) {
    done({touchedNoRow(r[0]) ? sqlstatus::kNoData : sqlstatus::kOk,
          StatementOp::kExecute, ""});
    return PgItems{};
  };
  item.failed = [done](PgFailure& f) {
    done(outcomeOf(f, StatementOp::kExecute));
    return PgItems{};
  };
  return item;
}

// A writer's pair as its two statements, each on its own: the first ends
// its round trip, and the second follows only where the first's outcome
// calls for it.
PgItems pairInTurn(WritePattern pattern, const PgCommand& first,
                   const PgCommand& second,
                   std::function<void(const WriteOutcome&)> done) {
  auto afterFirst = [pattern, second, done](const LaterOutcome& o) {
    PgItems next;
    if (!secondStepRuns(pattern, o.status)) {
      done(WriteOutcome{o, std::nullopt});
      return next;
    }
    next.push_back(writeItem(second, [o, done](const LaterOutcome& s) {
      done(WriteOutcome{o, s});
    }));
    return next;
  };
  PgItem one = writeItem(first, [](const LaterOutcome&) {});
  one.endsTrip = true;
  one.done = [afterFirst](std::vector<PgResult>& r) {
    return afterFirst({touchedNoRow(r[0]) ? sqlstatus::kNoData
                                          : sqlstatus::kOk,
                       StatementOp::kExecute, ""});
  };
  one.failed = [afterFirst](PgFailure& f) {
    return afterFirst(outcomeOf(f, StatementOp::kExecute));
  };
  PgItems items;
  items.push_back(std::move(one));
  return items;
}

}  // namespace

std::unique_ptr<PgBackend> PgBackend::open(std::string_view service,
                                           std::string_view login,
                                           std::string_view password,
                                           SqlStatus* status,
                                           std::string* message,
                                           std::chrono::milliseconds lockWait) {
  PGconn* conn = connectToServer(service, login, password, message);
  if (conn != nullptr) PQclear(PQexec(conn, kSessionSettings));
  if (conn == nullptr || PQenterPipelineMode(conn) != 1) {
    if (conn != nullptr) *message = firstLine(PQerrorMessage(conn), password);
    PQfinish(conn);
    *status = sqlstatus::kCannotConnect;
    return nullptr;
  }
  *status = sqlstatus::kOk;
  return std::unique_ptr<PgBackend>(new PgBackend(conn, lockWait));
}

PgBackend::PgBackend(PGconn* conn, std::chrono::milliseconds lockWait)
    : conn_(conn), batch_(conn), lockWait_(lockWait) {}

PgBackend::~PgBackend() { PQfinish(conn_); }

bool PgBackend::usable() {
  if (!batch_.lost()) return true;
  lastError_ = "ORA-03114: not connected to ORACLE";
  return false;
}

// The statement of `text` in `form`, translated once; `rows` is the most
// rows a kRows form delivers.
PgBackend::Statement& PgBackend::statement(SqlText text, Form form,
                                           size_t rows) {
  size_t key = static_cast<size_t>(form) + rows * 8;
  std::unique_ptr<Statement>& s = statements_[{text.id(), key}];
  if (s) return *s;
  s = std::make_unique<Statement>();
  s->name = "ravlen_" + std::to_string(++nextName_);
  s->translation = translateForPostgresql(text.view());
  s->sql = s->translation.sql;
  std::vector<Token> tokens = tokenize(s->sql);
  if (form == Form::kRows &&
      findTopLevel(tokens, 0, tokens.size(), "limit") == tokens.size())
    s->sql += "\nlimit " + std::to_string(rows + 1);  // one more: "more"
  if (form == Form::kCursor)
    s->sql = "DECLARE " + s->name + " NO SCROLL CURSOR WITH HOLD FOR " + s->sql;
  return *s;
}

PgCommand PgBackend::command(Statement& s, HostVars in) {
  inputs_.bind(in, s.translation);
  if (s.types.empty()) s.types = parameterTypes(in, s.translation);
  PgCommand c;
  c.statement = &s;
  const std::vector<const char*>& values = inputs_.params().values;
  c.values.reserve(values.size());
  for (const char* v : values)
    c.values.push_back(v ? std::optional<std::string>(v) : std::nullopt);
  return c;
}

bool PgBackend::inputsMatch(const Statement& s, HostVars in,
                            LaterOutcome* failure) {
  if (static_cast<int>(in.size()) == s.translation.inputCount) return true;
  *failure = {SqlStatus(-1008), StatementOp::kExecute,
              "ORA-01008: not all variables bound (" +
                  std::to_string(in.size()) + " given, " +
                  std::to_string(s.translation.inputCount) + " placeholders)"};
  return false;
}

SqlStatus PgBackend::runNow(PgItem item) {
  SqlStatus status;
  auto done = item.done;
  auto failed = item.failed;
  item.done = [&status, done](std::vector<PgResult>& r) {
    status = sqlstatus::kOk;
    return done ? done(r) : PgItems{};
  };
  item.failed = [this, &status, failed](PgFailure& f) {
    status = f.status;
    lastError_ = f.message;
    return failed ? failed(f) : PgItems{};
  };
  add(std::move(item));
  runBatch();
  return status;
}

SqlStatus PgBackend::execute(SqlText text, HostVars in) {
  if (!usable()) return sqlstatus::kNotConnected;
  Statement& s = statement(text, Form::kPlain);
  LaterOutcome outcome;
  if (!inputsMatch(s, in, &outcome)) {
    lastError_ = outcome.message;
    return outcome.status;
  }
  add(writeItem(command(s, in),
                       [&outcome](const LaterOutcome& o) { outcome = o; }));
  runBatch();
  if (outcome.status.failed()) lastError_ = outcome.message;
  if (!writesRows(s.translation.kind) && outcome.status.noData())
    return sqlstatus::kOk;
  return outcome.status;
}

SqlStatus PgBackend::executeImmediate(std::string_view text) {
  if (!usable()) return sqlstatus::kNotConnected;
  std::string schema;
  if (parseSetSchema(text, &schema)) return setSchema(schema);
  PgTranslation tr = translateForPostgresql(text);
  PgInputs inputs;
  inputs.bind({}, tr);
  PgItem item;
  item.commands.push_back(queryCommand(tr.sql));
  for (const char* v : inputs.params().values)
    item.commands[0].values.push_back(
        v ? std::optional<std::string>(v) : std::nullopt);
  item.commands[0].types = inputs.params().types;
  return runNow(std::move(item));
}

void PgBackend::selectIntoLater(SqlText text, HostVars in, HostVars out,
                                std::function<void(const LaterOutcome&)> done) {
  if (!usable())
    return done({sqlstatus::kNotConnected, StatementOp::kSelectInto,
                 lastError_});
  Statement& s = statement(text, Form::kPlain);
  LaterOutcome mismatch;
  if (!inputsMatch(s, in, &mismatch)) return done(mismatch);
  releaseWrites();
  HeldRead read;
  read.statement = &s;
  read.command = command(s, in);
  read.outputs.assign(out.begin(), out.end());
  read.done = std::move(done);
  heldReads_.push_back(std::move(read));
}

// A lookup on its own.
PgItem PgBackend::readItem(HeldRead read) {
  PgItem item;
  item.commands.push_back(std::move(read.command));
  const std::vector<bool>* indicators =
      &read.statement->translation.outputIndicators;
  auto done = std::move(read.done);
  item.done = [done, outputs = std::move(read.outputs),
               indicators](std::vector<PgResult>& r) {
    done(selectIntoOutcome(r[0].get(), std::span<const HostVar>(outputs),
                           *indicators));
    return PgItems{};
  };
  item.failed = [done](PgFailure& f) {
    done(outcomeOf(f, StatementOp::kSelectInto));
    return PgItems{};
  };
  return item;
}

// The block statement of a lookup text, made once; null where it has none
// or the server refused it.
PgStatement* PgBackend::blockOf(Statement& s) {
  if (s.blockRefused >= kBlockRefusals) return nullptr;
  if (!s.block) {
    std::string sql = s.translation.selectInto
                          ? blockSql(s.translation, s.types)
                          : rowsBlockSql(s.translation, s.sql, s.types);
    if (sql.empty()) {
      s.blockRefused = kBlockRefusals;
      return nullptr;
    }
    s.block = std::make_unique<PgStatement>();
    s.block->name = s.name + "_block";
    s.block->sql = std::move(sql);
    s.block->types.assign(s.types.size(), 0);  // the server's array types
  }
  return s.block.get();
}

// Lookups of one text as one statement (pg_block_reads.h); should the
// statement fail, each lookup runs on its own.
PgItem PgBackend::blockItem(Statement& s, PgStatement* block,
                            std::vector<HeldRead> reads) {
  auto held = std::make_shared<std::vector<HeldRead>>(std::move(reads));
  PgItem item;
  item.commands.push_back(arraysCommand(
      block, s.types.size(), *held,
      [](const HeldRead& r) -> const auto& { return r.command.values; }));
  const std::vector<bool>* indicators = &s.translation.outputIndicators;
  bool rows = !s.translation.selectInto;
  item.done = [held, indicators, rows](std::vector<PgResult>& r) {
    const PGresult* result = r[0].get();
    int next = 0, first = 0;
    for (size_t n = 0; n < held->size(); ++n) {
      rowsOfBlockRow(result, static_cast<long>(n + 1), &next, &first);
      HeldRead& read = (*held)[n];
      if (!rows) {
        read.done(selectIntoOutcome(result,
                                    std::span<const HostVar>(read.outputs),
                                    *indicators, first, next, true));
        continue;
      }
      // One row with the marker NULL: the query has none. Columns: n,
      // marker, row number, the query's own.
      bool none = next - first == 1 && PQgetisnull(result, first, 1);
      read.rowsDone(firstRows(result, first, none ? first : next, 3, read));
    }
    return PgItems{};
  };
  item.failed = eachAlone(&s.blockRefused, held, [this, rows](HeldRead read) {
    return rows ? rowsReadItem(std::move(read)) : readItem(std::move(read));
  });
  return item;
}

// The lookups held so far go to the batch: those of one text together,
// as one statement where there are several. They are all reads and come
// one after another, so their order among themselves changes no outcome.
void PgBackend::releaseReads() {
  if (heldReads_.empty()) return;
  std::vector<HeldRead> reads = std::move(heldReads_);
  heldReads_.clear();
  std::vector<Statement*> order;
  std::unordered_map<Statement*, std::vector<HeldRead>> byText;
  for (HeldRead& read : reads) {
    std::vector<HeldRead>& group = byText[read.statement];
    if (group.empty()) order.push_back(read.statement);
    group.push_back(std::move(read));
  }
  for (Statement* s : order) {
    std::vector<HeldRead>& group = byText[s];
    PgStatement* block = group.size() > 1 ? blockOf(*s) : nullptr;
    if (block != nullptr) {
      batch_.add(blockItem(*s, block, std::move(group)));
      continue;
    }
    for (HeldRead& read : group)
      batch_.add(read.rowsDone ? rowsReadItem(std::move(read))
                               : readItem(std::move(read)));
  }
}

void PgBackend::add(PgItem item) {
  releaseReads();
  releaseWrites();
  batch_.add(std::move(item));
}

// Runs everything held, the lookups that callbacks hand over meanwhile
// included.
void PgBackend::runBatch() {
  do {
    releaseReads();
    releaseWrites();
    batch_.run();
  } while (!heldReads_.empty() || !heldWrites_.empty());
}

SqlStatus PgBackend::selectInto(SqlText text, HostVars in, HostVars out) {
  SqlStatus status;
  selectIntoLater(text, in, out, [this, &status](const LaterOutcome& o) {
    status = o.status;
    if (!o.message.empty()) lastError_ = o.message;
  });
  runBatch();
  return status;
}

// The query of a cursor's text with a limit: its rows come with the
// answer, the first maxRows of them delivered.
void PgBackend::rowsLater(SqlText text, HostVars in, HostVars out,
                          size_t maxRows, std::function<void()> onRow,
                          std::function<void(const RowsOutcome&)> done) {
  auto fail = [done](const LaterOutcome& o) {
    done(RowsOutcome{o.status, {{o.status, StatementOp::kOpen, o.message}}});
  };
  if (!usable())
    return fail({sqlstatus::kNotConnected, StatementOp::kOpen, lastError_});
  Statement& s = statement(text, Form::kRows, maxRows);
  LaterOutcome mismatch;
  if (!inputsMatch(s, in, &mismatch)) return fail(mismatch);
  releaseWrites();
  HeldRead read;
  read.statement = &s;
  read.command = command(s, in);
  read.outputs.assign(out.begin(), out.end());
  read.maxRows = maxRows;
  read.onRow = std::move(onRow);
  read.rowsDone = std::move(done);
  heldReads_.push_back(std::move(read));
}

// A query's first rows on their own.
PgItem PgBackend::rowsReadItem(HeldRead read) {
  PgItem item;
  item.commands.push_back(std::move(read.command));
  auto done = read.rowsDone;
  item.done = [read = std::move(read)](std::vector<PgResult>& r) {
    const PGresult* rows = r[0].get();
    read.rowsDone(firstRows(rows, 0, PQntuples(rows), 0, read));
    return PgItems{};
  };
  item.failed = [done](PgFailure& f) {
    LaterOutcome o = outcomeOf(f, StatementOp::kOpen);
    done(RowsOutcome{o.status, {o}});
    return PgItems{};
  };
  return item;
}

// The pair's server form (pg_write_pair.h), made once per pair of texts and
// host variables; null where the texts have none.
PgBackend::Pair* PgBackend::pair(const WriteSteps& steps,
                                 const Statement& first,
                                 const Statement& second) {
  std::vector<const void*> addresses;
  for (HostVars in : {steps.firstIn, steps.secondIn})
    for (const HostVar& v : in) addresses.push_back(v.address);
  std::vector<std::unique_ptr<Pair>>& known =
      pairs_[{steps.first.id(), steps.second.id()}];
  for (std::unique_ptr<Pair>& p : known) {
    if (p->addresses == addresses)
      return p->statement.sql.empty() ? nullptr : p.get();
  }
  Pair& p = *known.emplace_back(std::make_unique<Pair>());
  p.addresses = std::move(addresses);
  p.numbers = sharedNumbers(steps.firstIn, steps.secondIn);
  bool updateFirst = steps.pattern == WritePattern::kUpdateElseInsert;
  p.keyInputs =
      updateKeyInputs(updateFirst ? steps.first.view() : steps.second.view());
  PairKey key;
  if (readPairKey(steps.pattern, steps.first.view(), steps.second.view(),
                  &key))
    p.table = upperAscii(key.table);
  const Statement& update = updateFirst ? first : second;
  auto listed = schemaTables_.find(p.table);
  if (listed == schemaTables_.end()) p.table.clear();
  p.apart = listed != schemaTables_.end() && listed->second &&
            keepsKey(update.translation.sql);
  p.statement.name = "ravlen_" + std::to_string(++nextName_);
  p.statement.types = first.types;
  for (size_t i = 0; i < p.numbers.size(); ++i)
    if (p.numbers[i] > first.translation.inputCount)
      p.statement.types.push_back(second.types[i]);
  p.statement.sql =
      upsertSql(steps.pattern, first.translation, second.translation,
                p.numbers, sharedNumbers(steps.firstIn, steps.firstIn));
  p.otherSql = pairSql(steps.pattern, first.translation, second.translation,
                       p.numbers);
  if (p.statement.sql.empty()) p.statement.sql = std::move(p.otherSql);
  return p.statement.sql.empty() ? nullptr : &p;
}

// The server refused a pair's upsert: its statement becomes the other
// form, for every write handed over, even those already held.
void PgBackend::refuseUpsert(Pair& p) {
  if (p.otherSql.empty()) return;
  p.statement.name = "ravlen_" + std::to_string(++nextName_);
  p.statement.sql = std::move(p.otherSql);
  p.statement.onServer = false;
}

void PgBackend::writeLater(const WriteSteps& steps,
                           std::function<void(const WriteOutcome&)> done) {
  LaterOutcome failure{sqlstatus::kNotConnected, StatementOp::kExecute,
                       lastError_};
  if (!usable()) return done(WriteOutcome{failure, std::nullopt});
  Statement& first = statement(steps.first, Form::kPlain);
  Statement& second = statement(steps.second, Form::kPlain);
  if (!inputsMatch(first, steps.firstIn, &failure) ||
      !inputsMatch(second, steps.secondIn, &failure))
    return done(WriteOutcome{failure, std::nullopt});
  PgCommand one = command(first, steps.firstIn);
  PgCommand two = command(second, steps.secondIn);
  WritePattern pattern = steps.pattern;
  Pair* p = pair(steps, first, second);
  if (p == nullptr) {
    for (PgItem& item : pairInTurn(pattern, one, two, done))
      add(std::move(item));
    return;
  }
  HeldWrite w;
  w.pair = p;
  w.pattern = pattern;
  w.first = &first;
  w.second = &second;
  w.both.statement = &p->statement;
  w.both.values = std::move(one.values);
  for (size_t i = 0; i < p->numbers.size(); ++i)
    if (p->numbers[i] > first.translation.inputCount)
      w.both.values.push_back(std::move(two.values[i]));
  w.done = std::move(done);
  HostVars updateIn = pattern == WritePattern::kUpdateElseInsert
                          ? steps.firstIn
                          : steps.secondIn;
  if (std::optional<std::string> key = rowKey(updateIn, p->keyInputs))
    w.key = std::move(*key);
  releaseReads();
  if (!holdsWith(*p)) releaseWrites();
  heldWrites_.push_back(std::move(w));
  if (heldWrites_.size() >= kWritesHeldAtMost) releaseWrites();
}

// Whether a write of `p` may join the held ones: each held pair is `p` or
// writes another table than `p`.
bool PgBackend::holdsWith(const Pair& p) const {
  for (const HeldWrite& w : heldWrites_) {
    if (w.pair == &p) continue;
    if (p.table.empty() || w.pair->table.empty() || w.pair->table == p.table)
      return false;
  }
  return true;
}

// Step 1 or 2 of a held write as its own command: the pair's statement
// takes the first step's parameters first, then those of the second that
// the first does not bind (Pair::numbers); texts with a pair form have no
// parameters but their inputs.
PgCommand PgBackend::stepOf(const HeldWrite& w, int step) {
  PgCommand c;
  c.statement = step == 1 ? w.first : w.second;
  const auto& both = w.both.values;
  if (step == 1) {
    size_t n = static_cast<size_t>(w.first->translation.inputCount);
    c.values.assign(both.begin(), both.begin() + static_cast<long>(n));
    return c;
  }
  for (int number : w.pair->numbers)
    c.values.push_back(both[static_cast<size_t>(number - 1)]);
  return c;
}

// One write as its pair's statement.
PgItem PgBackend::pairItem(PgBackend* self, HeldWrite w) {
  PgCommand one = stepOf(w, 1), two = stepOf(w, 2);
  PgItem item;
  item.commands.push_back(std::move(w.both));
  WritePattern pattern = w.pattern;
  auto done = std::move(w.done);
  // The upsert answers with one column, the other form with two.
  item.done = [pattern, done](std::vector<PgResult>& r) {
    const PGresult* row = r[0].get();
    done(PQnfields(row) == 1 ? upsertOutcome(pattern, row)
                             : pairOutcome(pattern, row));
    return PgItems{};
  };
  Pair* p = w.pair;
  item.failed = [self, p, pattern, one = std::move(one),
                 two = std::move(two), done](PgFailure& f) {
    if (f.preparing) self->refuseUpsert(*p);
    return pairInTurn(pattern, one, two, done);
  };
  return item;
}

// The pair's upsert for many rows, made once; null while the pair is not
// an upsert, has no key, or its many-row form failed too often.
PgStatement* PgBackend::rowsOf(Pair& p) {
  if (p.otherSql.empty() || p.keyInputs.empty() ||
      p.rowsRefused >= kBlockRefusals)
    return nullptr;
  if (!p.rows) {
    std::string sql = rowsUpsertSql(p.statement.sql, p.statement.types);
    if (sql.empty()) {
      p.rowsRefused = kBlockRefusals;
      return nullptr;
    }
    p.rows = std::make_unique<PgStatement>();
    p.rows->name = p.statement.name + "_rows";
    p.rows->sql = std::move(sql);
    p.rows->types.assign(p.statement.types.size(), 0);
  }
  return p.rows.get();
}

// Writes of different keys as one statement; should it fail, each write
// runs on its own, so that each gets its own outcome.
PgItem PgBackend::rowsItem(Pair& p, std::vector<HeldWrite> writes) {
  auto held = std::make_shared<std::vector<HeldWrite>>(std::move(writes));
  PgItem item;
  item.commands.push_back(arraysCommand(
      p.rows.get(), p.statement.types.size(), *held,
      [](const HeldWrite& w) -> const auto& { return w.both.values; }));
  item.done = [held](std::vector<PgResult>& r) {
    for (size_t i = 0; i < held->size(); ++i) {
      HeldWrite& w = (*held)[i];
      w.done(upsertOutcome(w.pattern, r[0].get(), static_cast<int>(i)));
    }
    return PgItems{};
  };
  item.failed = eachAlone(&p.rowsRefused, held, [this](HeldWrite w) {
    return pairItem(this, std::move(w));
  });
  return item;
}

// The held writes go to the batch pair by pair (each pair's writes on a
// table of their own, holdsWith), their callbacks in the order of
// hand-over.
void PgBackend::releaseWrites() {
  if (heldWrites_.empty()) return;
  std::vector<HeldWrite> writes = std::move(heldWrites_);
  heldWrites_.clear();
  if (writes.size() == 1) return sendRuns(std::move(writes));
  std::vector<Pair*> pairs;
  for (const HeldWrite& w : writes)
    if (std::find(pairs.begin(), pairs.end(), w.pair) == pairs.end())
      pairs.push_back(w.pair);
  auto order = std::make_shared<InOrder<WriteOutcome>>(writes.size());
  for (size_t i = 0; i < writes.size(); ++i)
    writes[i].done = order->slot(i, std::move(writes[i].done));
  for (Pair* p : pairs) {
    std::vector<HeldWrite> mine;
    for (HeldWrite& w : writes)
      if (w.pair == p) mine.push_back(std::move(w));
    sendRuns(std::move(mine));
  }
}

// Writes of one pair in their order: runs of different keys as one
// statement each, a repeated key starting the next; short runs and writes
// without a key one by one.
void PgBackend::sendRuns(std::vector<HeldWrite> writes) {
  Pair& p = *writes.front().pair;
  PgStatement* rows = writes.size() >= kRowsAtLeast ? rowsOf(p) : nullptr;
  bool keyed = std::none_of(writes.begin(), writes.end(),
                            [](const HeldWrite& w) { return w.key.empty(); });
  if (rows != nullptr && p.apart && keyed)
    return sendLayers(p, std::move(writes));
  std::vector<HeldWrite> run;
  std::set<std::string> keys;
  auto send = [&] {
    sendRun(p, rows, std::move(run));
    run.clear();
    keys.clear();
  };
  for (HeldWrite& w : writes) {
    bool alone = w.key.empty();  // no key read: nothing tells its row
    if (alone || keys.count(w.key) > 0) send();
    keys.insert(w.key);
    run.push_back(std::move(w));
    if (alone) send();
  }
  send();
}

// Writes of a pair whose rows of different keys never meet (Pair::apart):
// the first write of each key as one run, then the second of each, and so
// on. Each key's writes keep their order.
void PgBackend::sendLayers(Pair& p, std::vector<HeldWrite> writes) {
  std::vector<std::vector<HeldWrite>> layers;
  std::unordered_map<std::string, size_t> seen;
  for (HeldWrite& w : writes) {
    size_t layer = seen[w.key]++;
    if (layer == layers.size()) layers.emplace_back();
    layers[layer].push_back(std::move(w));
  }
  for (std::vector<HeldWrite>& layer : layers)
    sendRun(p, p.rows.get(), std::move(layer));
}

// Writes of different keys: one statement where there are enough of them.
void PgBackend::sendRun(Pair& p, PgStatement* rows,
                        std::vector<HeldWrite> run) {
  if (run.size() >= kRowsAtLeast && rows != nullptr)
    return batch_.add(rowsItem(p, std::move(run)));
  for (HeldWrite& w : run) batch_.add(pairItem(this, std::move(w)));
}

void PgBackend::flush() { runBatch(); }

SqlStatus PgBackend::openCursor(SqlText text, HostVars in) {
  if (!usable()) return sqlstatus::kNotConnected;
  Statement& s = statement(text, Form::kCursor);
  Cursor& c = cursors_[text.id()];
  c.statement = &s;
  closeOnServer(c);
  c.open = false;
  c.rows.reset();
  c.nextRow = 0;
  LaterOutcome mismatch;
  if (!inputsMatch(s, in, &mismatch)) {
    lastError_ = mismatch.message;
    return mismatch.status;
  }
  PgItem item;
  item.commands.push_back(command(s, in));
  item.commands.push_back(
      queryCommand("FETCH " + std::to_string(kFetchRows) + " FROM " + s.name));
  item.endsTrip = true;
  item.done = [this, &c](std::vector<PgResult>& r) {
    c.open = c.serverOpen = true;
    c.exhausted = rowCount(r[1]) < kFetchRows;
    c.rows = std::move(r[1]);
    if (c.exhausted) closeOnServer(c);
    return PgItems{};
  };
  return runNow(std::move(item));
}

// The next chunk of an open cursor. The server's cursor moves whether or
// not its trip is undone: the chunk is never fetched twice.
SqlStatus PgBackend::fetchChunk(Cursor& c) {
  c.rows.reset();
  c.nextRow = 0;
  PgItem item;
  item.commands.push_back(queryCommand("FETCH " + std::to_string(kFetchRows) +
                                       " FROM " + c.statement->name));
  item.undoneByRollback = false;
  item.endsTrip = true;
  item.done = [this, &c](std::vector<PgResult>& r) {
    c.exhausted = rowCount(r[0]) < kFetchRows;
    c.rows = std::move(r[0]);
    if (c.exhausted) closeOnServer(c);
    return PgItems{};
  };
  item.failed = [&c](PgFailure&) {
    c.exhausted = true;
    return PgItems{};
  };
  return runNow(std::move(item));
}

// The open cursor of `text`; null with *status -1001 (or the lost
// connection's status) when there is none.
PgBackend::Cursor* PgBackend::openCursorOf(SqlText text, SqlStatus* status) {
  *status = sqlstatus::kNotConnected;
  if (!usable()) return nullptr;
  auto it = cursors_.find(text.id());
  if (it == cursors_.end() || !it->second.open) {
    lastError_ = "ORA-01001: invalid cursor";
    *status = SqlStatus(-1001);
    return nullptr;
  }
  return &it->second;
}

SqlStatus PgBackend::fetch(SqlText text, HostVars out) {
  SqlStatus invalid;
  Cursor* open = openCursorOf(text, &invalid);
  if (open == nullptr) return invalid;
  Cursor& c = *open;
  if (c.nextRow >= rowCount(c.rows)) {
    if (c.exhausted) return sqlstatus::kNoData;
    SqlStatus status = fetchChunk(c);
    if (!status.ok()) return status;
    if (rowCount(c.rows) == 0) return sqlstatus::kNoData;
  }
  return storeResultRow(c.rows.get(), c.nextRow++, out, nullptr, &lastError_);
}

// A cursor that has delivered its last row, or was closed, is closed on
// the server with the next round trip.
void PgBackend::closeOnServer(Cursor& c) {
  if (!c.serverOpen) return;
  c.serverOpen = false;
  PgItem close;
  close.commands.push_back(queryCommand("CLOSE " + c.statement->name));
  close.undoneByRollback = false;
  add(std::move(close));
}

SqlStatus PgBackend::closeCursor(SqlText text) {
  SqlStatus invalid;
  Cursor* open = openCursorOf(text, &invalid);
  if (open == nullptr) return invalid;
  Cursor& c = *open;
  closeOnServer(c);
  c.open = false;
  c.rows.reset();
  return sqlstatus::kOk;
}

SqlStatus PgBackend::commit() {
  if (!usable()) return sqlstatus::kNotConnected;
  runBatch();
  if (!usable()) return sqlstatus::kNotConnected;
  SqlStatus status = batch_.commit(&lastError_);
  tripsAtCommits_.push_back(batch_.roundTrips());
  return status;
}

// Checks the schema, takes its lock and sets the search path, in one round
// trip; the lock waits at most lockWait_ (the server's lock timeout, reset
// in the same trip).
SqlStatus PgBackend::setSchema(const std::string& name) {
  if (!isPlainIdentifier(name)) {
    lastError_ = "ORA-00922: missing or invalid option";
    return SqlStatus(-922);
  }
  std::string schema = lowerAscii(name);
  std::string path = "\"" + schema + "\"" + kPathTail;
  std::string timeout = std::to_string(lockWait_.count());
  bool lock = schema != lockedSchema_;
  PgItem item;
  item.commands.push_back(queryCommand(
      "select set_config('search_path', $2, false) from pg_namespace "
      "where nspname=$1",
      {schema.c_str(), path.c_str()}));
  item.commands.push_back(queryCommand(kSchemaTablesSql, {schema.c_str()}));
  if (lock) {
    item.commands.push_back(queryCommand(
        "select set_config('lock_timeout', $1, false)", {timeout.c_str()}));
    item.commands.push_back(queryCommand(
        std::string(kSchemaLockSql) + " from pg_namespace where nspname=$1",
        {schema.c_str()}));
    item.commands.push_back(
        queryCommand("select set_config('lock_timeout', '0', false)"));
  }
  item.endsTrip = true;
  bool exists = false;
  std::map<std::string, bool> tables;
  item.done = [&exists, &tables](std::vector<PgResult>& r) {
    exists = rowCount(r[0]) > 0;
    for (int i = 0; i < rowCount(r[1]); ++i)
      tables[PQgetvalue(r[1].get(), i, 0)] =
          std::string_view(PQgetvalue(r[1].get(), i, 1)) == "t";
    return PgItems{};
  };
  SqlStatus status = runNow(std::move(item));
  if (status == sqlstatus::kResourceBusy) {
    lastError_ = "another run holds schema " + schema + " (waited " +
                 std::to_string(lockWait_.count() / 1000) +
                 " s): " + lastError_;
    return status;
  }
  if (!status.ok()) return status;
  if (!exists) {
    lastError_ = "ORA-01435: user does not exist: " + name;
    return sqlstatus::kUnknownSchema;
  }
  schemaTables_ = std::move(tables);
  if (lock && !lockedSchema_.empty()) {
    PgItem unlock;
    unlock.commands.push_back(queryCommand(
        "select pg_advisory_unlock(1380013644, hashtext($1))",
        {lockedSchema_.c_str()}));
    runNow(std::move(unlock));
  }
  lockedSchema_ = schema;
  return sqlstatus::kOk;
}

}  // namespace ravlen
