// Fuzz target: the settings file reader on arbitrary file contents.
//
// The input becomes the whole settings file. One temporary file serves the
// whole run and is rewritten for each input. Every input is read with the
// requests the program and its tools make (run control's key lookup, a
// group, a number) and the entry must keep its shape: nothing selected
// means the cleared entry, a selected value fits the clear text of 200
// digits.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_check.h"
#include "settings/settings_reader.h"
#include "settings/settings_writer.h"

namespace ravlen {
namespace {

struct Request {
  const char* group;
  const char* key;
  int32_t number;
};

constexpr Request kRequests[] = {
    {"", "NET8", 0},          // run control
    {"", "SCHEMA", 0},
    {"Datenbank", "-", -1},   // by group
    {"-", "-", 3},            // by number
    {"-", "PASS", 2147483647},
};

const std::string& tempPath() {
  static const std::string path = [] {
    char name[] = "/tmp/ravlen_settings_fuzz_XXXXXX";
    int fd = mkstemp(name);
    fuzzCheck(fd >= 0, "temporary file can be created");
    close(fd);
    std::atexit([] { std::remove(tempPath().c_str()); });
    return std::string(name);
  }();
  return path;
}

void writeFile(const uint8_t* data, size_t size) {
  FILE* out = std::fopen(tempPath().c_str(), "wb");
  fuzzCheck(out != nullptr, "temporary file can be written");
  if (size > 0) std::fwrite(data, 1, size, out);
  std::fclose(out);
}

void checkEntry(const SettingEntry& e, const Request& r) {
  bool cleared = e.number == 0 && e.group.empty() && e.key.empty() &&
                 e.value.empty();
  bool selected = e.group == r.group || e.key == r.key || e.number == r.number;
  fuzzCheck(cleared || selected, "an entry is either cleared or selected");
  fuzzCheck(e.value.size() <= kMaxClearChars,
            "a value deciphers to at most 96 characters");
}

}  // namespace
}  // namespace ravlen

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ravlen;
  writeFile(data, size);
  for (const Request& r : kRequests) {
    checkEntry(readSetting(r.group, r.key, r.number, tempPath()), r);
  }
  return 0;
}
