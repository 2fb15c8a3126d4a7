#include "run/run_report.h"

#include <algorithm>
#include <cctype>

#include "db/session.h"

namespace ravlen {
namespace {

// The word of `text` that follows the first `keyword` (case-insensitive,
// as a whole word), or "" when there is none.
std::string_view wordAfter(std::string_view text, std::string_view keyword) {
  auto lower = [](char c) { return static_cast<char>(std::tolower(c)); };
  for (size_t at = 0; at + keyword.size() <= text.size(); ++at) {
    bool match = at == 0 || text[at - 1] == ' ' || text[at - 1] == '(';
    for (size_t i = 0; match && i < keyword.size(); ++i)
      match = lower(text[at + i]) == keyword[i];
    if (!match) continue;
    size_t start = text.find_first_not_of(' ', at + keyword.size());
    if (start == std::string_view::npos || start == at + keyword.size())
      continue;
    size_t end = text.find_first_of(" (,", start);
    return text.substr(start, end == std::string_view::npos ? end : end - start);
  }
  return {};
}

std::string_view firstWord(std::string_view text) {
  size_t end = text.find(' ');
  return text.substr(0, end);
}

bool startsWithNoCase(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != word[i])
      return false;
  return true;
}

}  // namespace

std::string describeStatement(StatementOp op, std::string_view statement) {
  std::string_view from = wordAfter(statement, "from");
  switch (op) {
    case StatementOp::kCommit:
      return "beim Festschreiben";
    case StatementOp::kOpen:
      return "beim Oeffnen des Cursors auf " + std::string(from);
    case StatementOp::kClose:
      return "beim Schliessen des Cursors auf " + std::string(from);
    case StatementOp::kFetch:
    case StatementOp::kSelectInto:
      return "beim Lesen aus " + std::string(from);
    case StatementOp::kExecute:
      break;
  }
  std::string_view verb = firstWord(statement);
  if (startsWithNoCase(verb, "insert"))
    return "beim Einfuegen in " + std::string(wordAfter(statement, "into"));
  if (startsWithNoCase(verb, "update"))
    return "beim Aendern in " + std::string(wordAfter(statement, "update"));
  if (startsWithNoCase(verb, "delete"))
    return "beim Loeschen in " + std::string(from);
  return "bei der Anweisung " + std::string(verb);
}

RunReport& runReport() {
  static RunReport instance;
  return instance;
}

void RunReport::start(std::FILE* err) {
  err_ = err;
  stages_.clear();
  stageOpen_ = false;
  failures_.clear();
  errors_ = warnings_ = 0;
  runStart_ = std::chrono::steady_clock::now();
  showTrips_ = false;
  tripsAtStart_ = session().roundTrips();
  progress_.attach(err);
  firstMessages_.clear();
}

void RunReport::failed(StatementOp op, std::string_view statement,
                       const void* id, SqlStatus status,
                       std::string_view message) {
  Failures& f = failures_[id];
  if (f.count == 0) {
    f.what = describeStatement(op, statement);
    f.warning = op == StatementOp::kSelectInto &&
                status.code() == sqlstatus::kTooManyRows.code();
  }
  ++(f.warning ? warnings_ : errors_);
  if (op == StatementOp::kCommit)  // the transaction's writes are gone
    for (Stage& s : stages_) s.pending = 0;
  if (++f.count > kLinesPerStatement) return;
  char code[16];
  std::snprintf(code, sizeof code, "%d", status.code());
  std::string line = std::string("Ravlen: ") +
                     (f.warning ? "Warnung " : "Fehler ") + f.what +
                     " (Status " + code + "): " + std::string(message);
  progress_.clear();
  std::fprintf(err_, "%s\n", line.c_str());
  if (firstMessages_.size() < kFirstMessages)
    firstMessages_.push_back(std::move(line));
}

void RunReport::committed() {
  for (Stage& s : stages_) {
    s.written += s.pending;
    s.pending = 0;
  }
}

double RunReport::elapsed(std::chrono::steady_clock::time_point since) const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() -
                                       since)
      .count();
}

// A stage begun again (a name used twice) adds to its counts and time.
void RunReport::beginStage(std::string_view name) {
  endStage();
  Stage& stage = stageNamed(name);
  currentStage_ = static_cast<size_t>(&stage - stages_.data());
  stageOpen_ = true;
  stageStart_ = std::chrono::steady_clock::now();
  tripsAtStageStart_ = session().roundTrips();
  progress_.begin(name);
}

void RunReport::endStage() {
  if (!stageOpen_) return;
  Stage& stage = stages_[currentStage_];
  stage.seconds = std::max(stage.seconds, 0.0) + elapsed(stageStart_);
  stage.trips += session().roundTrips() - tripsAtStageStart_;
  stageOpen_ = false;
  progress_.clear();
}

RunReport::Stage& RunReport::stageNamed(std::string_view name) {
  for (Stage& s : stages_)
    if (s.name == name) return s;
  stages_.push_back({std::string(name)});
  return stages_.back();
}

// Rows counted outside every stage still show in the summary.
RunReport::Stage& RunReport::current() {
  return stageOpen_ ? stages_[currentStage_] : stageNamed("ausserhalb");
}

void RunReport::addRows(std::string_view stage, int64_t read,
                        int64_t written) {
  Stage& s = stageNamed(stage);
  s.read += read;
  s.pending += written;
}

void RunReport::printSummary() {
  endStage();
  for (const auto& [id, f] : failures_) {
    if (f.count > kLinesPerStatement)
      std::fprintf(err_, "Ravlen: ... und %lld weitere %s %s\n",
                   static_cast<long long>(f.count - kLinesPerStatement),
                   f.warning ? "Warnungen" : "Fehler", f.what.c_str());
  }
  for (const Stage& s : stages_) {
    std::fprintf(err_, "Ravlen: Stufe %s: %lld gelesen, %lld geschrieben",
                 s.name.c_str(), static_cast<long long>(s.read),
                 static_cast<long long>(s.written));
    if (s.seconds >= 0) std::fprintf(err_, ", %.3f s", s.seconds);
    std::fputc('\n', err_);
  }
  if (showTrips_) printRoundTrips();
  std::fprintf(err_, "Ravlen: %lld Fehler, %lld Warnungen, Dauer %.3f s\n",
               static_cast<long long>(errors_),
               static_cast<long long>(warnings_), elapsed(runStart_));
}

// Stages not timed apart ran inside another one, whose trips they are.
void RunReport::printRoundTrips() {
  for (const Stage& s : stages_) {
    if (s.seconds < 0) continue;
    std::fprintf(err_,
                 "Ravlen: Stufe %s: %llu Rundreisen, %.2f je gelesene Zeile\n",
                 s.name.c_str(), static_cast<unsigned long long>(s.trips),
                 s.read > 0 ? static_cast<double>(s.trips) / s.read : 0.0);
  }
  std::fprintf(err_, "Ravlen: %llu Rundreisen zum Server\n",
               static_cast<unsigned long long>(session().roundTrips() -
                                               tripsAtStart_));
}

std::vector<RunReport::StageTotals> RunReport::stageTotals() const {
  std::vector<StageTotals> totals;
  for (const Stage& s : stages_)
    totals.push_back({s.name, s.read, s.written, s.seconds});
  return totals;
}

void printDebugMessage(std::FILE* out, const char* message) {
  session().flush();
  runReport().clearProgress();
  std::fputs(message, out);
  std::fflush(out);
}

}  // namespace ravlen
