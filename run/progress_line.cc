#include "run/progress_line.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace ravlen {
namespace {

constexpr double kIntervalSeconds =
    std::chrono::duration<double>(ProgressLine::kInterval).count();

// "0:12", "12:05", "1:02:03".
std::string durationText(double seconds) {
  long total = std::lround(seconds);
  long h = total / 3600, m = total / 60 % 60, s = total % 60;
  char text[48];
  if (h > 0)
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", h, m, s);
  else
    std::snprintf(text, sizeof text, "%ld:%02ld", m, s);
  return text;
}

}  // namespace

std::string progressText(std::string_view stage, int64_t rows, double seconds,
                         double share) {
  std::string text = "Ravlen: " + std::string(stage) + ": " +
                     std::to_string(rows) + " Zeilen gelesen";
  if (seconds < kIntervalSeconds) return text;
  text += ", " + std::to_string(std::llround(rows / seconds)) + "/s";
  if (share > 0) {
    share = std::min(share, 1.0);
    text += ", " + std::to_string(std::lround(share * 100)) + " %, noch " +
            durationText(seconds * (1 - share) / share);
  }
  return text;
}

void ProgressLine::attach(std::FILE* stream) {
  stream_ = stream != nullptr && isatty(fileno(stream)) ? stream : nullptr;
  inStage_ = false;
  shown_ = 0;
}

void ProgressLine::begin(std::string_view stage) {
  clear();
  stage_ = stage;
  inStage_ = true;
  drawnInStage_ = false;
  share_ = -1;
  rows_ = 0;
  start_ = Clock::now();
}

void ProgressLine::rowsRead(int64_t rows) {
  rows_ = rows;
  if (!active() || !inStage_) return;
  Clock::time_point now = Clock::now();
  if (!drawnInStage_ || now - lastDraw_ >= kInterval) draw(now);
}

// The new text overwrites the old one; blanks cover what it is shorter.
void ProgressLine::draw(Clock::time_point now) {
  double seconds = std::chrono::duration<double>(now - start_).count();
  std::string text = progressText(stage_, rows_, seconds, share_);
  size_t length = text.size();
  if (shown_ > length) text.append(shown_ - length, ' ');
  text.insert(0, 1, '\r');
  std::fwrite(text.data(), 1, text.size(), stream_);
  std::fflush(stream_);
  shown_ = std::max(shown_, length);
  lastDraw_ = now;
  drawnInStage_ = true;
}

void ProgressLine::clear() {
  if (!active() || shown_ == 0) return;
  std::string blank = "\r" + std::string(shown_, ' ') + "\r";
  std::fwrite(blank.data(), 1, blank.size(), stream_);
  std::fflush(stream_);
  shown_ = 0;
}

}  // namespace ravlen
