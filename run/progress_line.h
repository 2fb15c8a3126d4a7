// ProgressLine: how far the current stage of a run has come, as one line on
// a terminal that is rewritten in place.
//
//  - It draws only when its stream is a terminal (attach). On any other
//    stream it writes nothing at all, so logs stay line by line and the
//    same as without it.
//  - The line names the stage and the rows read so far; once the stage has
//    run for kInterval, also the rows per second; where the stage tells its
//    share done (setShare), also the percent and the time left.
//  - The first row of a stage draws at once, later rows at most every
//    kInterval. The line is erased by clear(), and by begin() of the next
//    stage; whoever writes anything else to the terminal calls clear()
//    first, so that no line of the log is mixed with it.
#ifndef RAVLEN_RUN_PROGRESS_LINE_H_
#define RAVLEN_RUN_PROGRESS_LINE_H_

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace ravlen {

class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kInterval{250};

  // Draws on `stream` from now on when it is a terminal, else never.
  void attach(std::FILE* stream);
  bool active() const { return stream_ != nullptr; }

  // A new stage: the line of the one before is erased, counts start at 0.
  void begin(std::string_view stage);
  // The share of the current stage done so far, 0 to 1.
  void setShare(double share) { share_ = share; }
  // The rows the current stage has read so far.
  void rowsRead(int64_t rows);
  // Erases the line, if one is shown.
  void clear();

 private:
  void draw(Clock::time_point now);

  std::FILE* stream_ = nullptr;
  std::string stage_;
  bool inStage_ = false;
  bool drawnInStage_ = false;
  double share_ = -1;  // unknown
  int64_t rows_ = 0;
  Clock::time_point start_, lastDraw_;
  size_t shown_ = 0;  // characters of the line on the screen, 0: none
};

// The line's text: "Ravlen: Tagessalden: 1234 Zeilen gelesen, 456/s,
// 37 %, noch 0:12". The rate needs `seconds` of at least kInterval, percent
// and time left a `share` above 0 (negative: unknown).
std::string progressText(std::string_view stage, int64_t rows, double seconds,
                         double share);

}  // namespace ravlen

#endif  // RAVLEN_RUN_PROGRESS_LINE_H_
