#include "run/report_document.h"

#include <cmath>
#include <ctime>
#include <nlohmann/json.hpp>

#include "ravlen_version.h"

namespace ravlen {
namespace {

using json = nlohmann::ordered_json;

// "2024-03-01T02:00:05+01:00"
std::string localTimeText(std::chrono::system_clock::time_point at) {
  std::time_t seconds = std::chrono::system_clock::to_time_t(at);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[64];
  size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  long offset = local.tm_gmtoff / 60;
  char sign = offset < 0 ? '-' : '+';
  if (offset < 0) offset = -offset;
  std::snprintf(text + length, sizeof text - length, "%c%02ld:%02ld", sign,
                offset / 60, offset % 60);
  return text;
}

// Seconds to the millisecond, as the summary on standard error shows them.
double milliseconds(double seconds) { return std::round(seconds * 1000) / 1000; }

json orNull(const std::string& text) { return text.empty() ? json() : json(text); }

json stagesOf(const RunReport& report) {
  json stages = json::array();
  for (const RunReport::StageTotals& s : report.stageTotals()) {
    stages.push_back({{"name", s.name},
                      {"read", s.read},
                      {"written", s.written},
                      {"seconds", s.seconds < 0 ? json() : json(milliseconds(s.seconds))}});
  }
  return stages;
}

json runOf(const RunFacts& facts) {
  if (!facts.ran) return json();
  if (facts.evaluation.empty()) return {{"kind", "standard"}};
  return {{"kind", "evaluation"}, {"name", facts.evaluation}};
}

}  // namespace

std::string backendKindOf(std::string_view net8) {
  if (net8.starts_with("sqlite:")) return "embedded";
  if (net8.starts_with("postgresql://") || net8.starts_with("postgres://"))
    return "postgresql";
  return "oracle";
}

std::string reportDocument(const RunFacts& facts, const RunReport& report) {
  json document = {
      {"program", "ravlen"},
      {"version", kRavlenVersion},
      {"start", localTimeText(facts.start)},
      {"end", localTimeText(facts.end)},
      {"seconds", milliseconds(std::chrono::duration<double>(
                      facts.end - facts.start).count())},
      {"exit_code", facts.exitCode},
      {"exit_status", facts.exitCode & 0xFF},
      {"reason", orNull(facts.reason)},
      {"window", facts.ran ? json{{"from", facts.vonDatum},
                                  {"to", facts.bisDatum}}
                           : json()},
      {"run", runOf(facts)},
      {"backend", orNull(facts.backend)},
      {"stages", stagesOf(report)},
      {"errors", report.errors()},
      {"warnings", report.warnings()},
      {"messages", report.firstMessages()},
  };
  return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace ravlen
