#include "tests/support/oci_test_double.h"

#include <dlfcn.h>

#include <cstdlib>

#include "db/oracle/oci_library.h"
#include "tests/oci_double/oci_double.h"

namespace ravlen::testing {

namespace {

// The control functions, taken from the loaded double.
struct Control {
  decltype(&ociDoubleReset) reset = nullptr;
  decltype(&ociDoubleAddService) addService = nullptr;
  decltype(&ociDoubleError) error = nullptr;
  decltype(&ociDoubleRows) rows = nullptr;
  decltype(&ociDoubleRowOutcomes) rowOutcomes = nullptr;
  decltype(&ociDoubleLog) log = nullptr;
  decltype(&ociDoubleLiveHandles) liveHandles = nullptr;
  decltype(&ociDoubleOpenCursors) openCursors = nullptr;
};

Control& control() {
  static Control c;
  return c;
}

template <typename F>
void take(void* handle, const char* name, F* target) {
  *target = reinterpret_cast<F>(dlsym(handle, name));
}

}  // namespace

std::string ociDoubleHome() { return RAVLEN_OCI_TEST_DOUBLE_HOME; }

OciDouble::OciDouble() {
  std::string library = ociDoubleHome() + "/lib/" + kOciLibraryName;
  api_ = loadOciLibrary({library}, &loadError_);
  if (api_ == nullptr) return;
  Control& c = control();
  if (c.reset == nullptr) {
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    take(handle, "ociDoubleReset", &c.reset);
    take(handle, "ociDoubleAddService", &c.addService);
    take(handle, "ociDoubleError", &c.error);
    take(handle, "ociDoubleRows", &c.rows);
    take(handle, "ociDoubleRowOutcomes", &c.rowOutcomes);
    take(handle, "ociDoubleLog", &c.log);
    take(handle, "ociDoubleLiveHandles", &c.liveHandles);
    take(handle, "ociDoubleOpenCursors", &c.openCursors);
  }
  c.reset();
}

void OciDouble::addService(const std::string& name) {
  control().addService(name.c_str());
}

void OciDouble::fail(const std::string& match, int code,
                     const std::string& message) {
  control().error(match.c_str(), code, message.c_str());
}

void OciDouble::rows(const std::string& match,
                     const std::vector<std::string>& names,
                     const std::vector<DoubleRow>& rows, long rowCount) {
  std::vector<const char*> nameTexts, cells;
  for (const std::string& n : names) nameTexts.push_back(n.c_str());
  size_t columns = rows.empty() ? names.size() : rows[0].size();
  for (const DoubleRow& row : rows) {
    for (const auto& cell : row) cells.push_back(cell ? cell->c_str() : nullptr);
  }
  control().rows(match.c_str(), static_cast<int>(columns),
                 names.empty() ? nullptr : nameTexts.data(),
                 static_cast<int>(rows.size()), cells.data(), rowCount);
}

void OciDouble::rowOutcomes(const std::string& match,
                            const std::vector<long>& outcomes) {
  control().rowOutcomes(match.c_str(), static_cast<int>(outcomes.size()),
                        outcomes.data());
}

std::string OciDouble::log() const { return control().log(); }
int OciDouble::liveHandles() const { return control().liveHandles(); }
int OciDouble::openCursors() const { return control().openCursors(); }

ScopedEnv::ScopedEnv(const char* name, const std::optional<std::string>& value)
    : name_(name) {
  if (const char* old = std::getenv(name)) old_ = old;
  if (value)
    setenv(name, value->c_str(), 1);
  else
    unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
  if (old_)
    setenv(name_.c_str(), old_->c_str(), 1);
  else
    unsetenv(name_.c_str());
}

}  // namespace ravlen::testing
