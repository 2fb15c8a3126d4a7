#include "run/output_capture.h"

namespace ravlen {

OutputCapture::OutputCapture(std::FILE* target) : target_(target) {
  cookie_io_functions_t functions{};
  functions.write = &OutputCapture::pass;
  stream_ = fopencookie(this, "w", functions);
  // Unbuffered: each write reaches the target in the order it was made.
  if (stream_ != nullptr) std::setvbuf(stream_, nullptr, _IONBF, 0);
}

OutputCapture::~OutputCapture() {
  if (stream_ != nullptr) std::fclose(stream_);
}

ssize_t OutputCapture::pass(void* self, const char* data, size_t size) {
  auto* capture = static_cast<OutputCapture*>(self);
  capture->text_.append(data, size);
  return static_cast<ssize_t>(std::fwrite(data, 1, size, capture->target_));
}

}  // namespace ravlen
