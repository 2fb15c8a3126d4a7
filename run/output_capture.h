// OutputCapture: a stream that passes everything written to it on to its
// target stream at once and keeps a copy, so that the program can name the
// message with which its start-up ended (in the run report) without
// changing what reaches standard output or when.
#ifndef RAVLEN_RUN_OUTPUT_CAPTURE_H_
#define RAVLEN_RUN_OUTPUT_CAPTURE_H_

#include <cstdio>
#include <string>

namespace ravlen {

class OutputCapture {
 public:
  explicit OutputCapture(std::FILE* target);
  ~OutputCapture();
  OutputCapture(const OutputCapture&) = delete;
  OutputCapture& operator=(const OutputCapture&) = delete;

  // The stream to write to; the target itself (nothing kept) in the
  // unlikely case that the capture could not be made.
  std::FILE* stream() const { return stream_ ? stream_ : target_; }
  // Everything written to stream() so far.
  const std::string& text() const { return text_; }

 private:
  static ssize_t pass(void* self, const char* data, size_t size);

  std::FILE* target_;
  std::FILE* stream_ = nullptr;
  std::string text_;
};

}  // namespace ravlen

#endif  // RAVLEN_RUN_OUTPUT_CAPTURE_H_
