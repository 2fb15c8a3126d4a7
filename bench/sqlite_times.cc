// ravlen-times: the program itself (runRavlen, same arguments, same
// output) for bench/run.sh, with the embedded database's time measured
// (db/sqlite/sqlite_timing.h). After the run it writes the figures to the
// file named by RAVLEN_BENCH_TIMES, tab-separated:
//   phase <tab> bind|outputs|reset|exec <tab> seconds <tab> values
//   step <tab> write|lookup|cursor <tab> seconds <tab> steps <tab> text
// The measuring exists only in this program, never in ravlen.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "db/sqlite/sqlite_timing.h"
#include "run/ravlen.h"

namespace {

const char* useName(ravlen::TimedUse use) {
  switch (use) {
    case ravlen::TimedUse::kWrite: return "write";
    case ravlen::TimedUse::kLookup: return "lookup";
    case ravlen::TimedUse::kCursor: return "cursor";
  }
  return "?";
}

// The statement's text on one line, cut to 160 characters.
std::string oneLine(const std::string& text) {
  std::string line = text.substr(0, 160);
  for (char& c : line)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return line;
}

bool writeTimes(const char* path) {
  FILE* out = std::fopen(path, "w");
  if (out == nullptr) return false;
  const char* phases[] = {"bind", "outputs", "reset", "exec"};
  for (int i = 0; i < ravlen::kTimedPhases; ++i) {
    auto phase = static_cast<ravlen::TimedPhase>(i);
    std::fprintf(out, "phase\t%s\t%.6f\t%llu\n", phases[i],
                 ravlen::sqlitePhaseSeconds(phase),
                 static_cast<unsigned long long>(ravlen::sqlitePhaseValues(phase)));
  }
  for (const ravlen::TimedStatement& t : ravlen::sqliteStatementTimes())
    std::fprintf(out, "step\t%s\t%.6f\t%llu\t%s\n", useName(t.use), t.seconds,
                 static_cast<unsigned long long>(t.steps),
                 oneLine(t.text).c_str());
  return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = std::getenv("RAVLEN_BENCH_TIMES");
  if (path == nullptr) {
    std::fprintf(stderr, "ravlen-times: RAVLEN_BENCH_TIMES fehlt\n");
    return 2;
  }
  ravlen::enableSqliteTiming();
  int code = ravlen::runRavlen(argc, argv);
  if (!writeTimes(path)) {
    std::fprintf(stderr, "ravlen-times: %s nicht geschrieben\n", path);
    return code == 0 ? 2 : code;
  }
  return code;
}
