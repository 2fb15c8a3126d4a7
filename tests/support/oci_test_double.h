// Test support: the test double of the Oracle client library
// (tests/oci_double/oci_double.h) in the test process, loaded through the
// backend's own loader, with its control functions.
#ifndef RAVLEN_TESTS_SUPPORT_OCI_TEST_DOUBLE_H_
#define RAVLEN_TESTS_SUPPORT_OCI_TEST_DOUBLE_H_

#include <optional>
#include <string>
#include <vector>

#include "db/oracle/oci.h"

namespace ravlen::testing {

// The ORACLE_HOME under which the build put the double (lib/libclntsh.so).
std::string ociDoubleHome();

using DoubleRow = std::vector<std::optional<std::string>>;

class OciDouble {
 public:
  // Loads the double (once per process) and forgets its script and log;
  // on failure api() is null and loadError() says why.
  OciDouble();

  const OciFunctions* api() const { return api_; }
  const std::string& loadError() const { return loadError_; }

  void addService(const std::string& name);
  void fail(const std::string& match, int code, const std::string& message);
  void rows(const std::string& match, const std::vector<std::string>& names,
            const std::vector<DoubleRow>& rows, long rowCount = -1);
  // Row i of an array execution: a row count (>= 0) or -N for ORA-N.
  void rowOutcomes(const std::string& match, const std::vector<long>& outcomes);
  std::string log() const;
  int liveHandles() const;
  int openCursors() const;

 private:
  const OciFunctions* api_ = nullptr;
  std::string loadError_;
};

// Sets an environment variable for the life of the object, then restores
// it (a test's own process: ctest runs each test in one).
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace ravlen::testing

#endif  // RAVLEN_TESTS_SUPPORT_OCI_TEST_DOUBLE_H_
