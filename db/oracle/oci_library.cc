#include "db/oracle/oci_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

namespace ravlen {

namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Takes every function from `handle`; false with *missing when one lacks.
bool resolve(void* handle, OciFunctions* api, std::string* missing) {
#define RAVLEN_OCI_RESOLVE(name)                                        \
  api->name = reinterpret_cast<oci::name##Fn*>(dlsym(handle, #name));  \
  if (api->name == nullptr) {                                           \
    *missing = #name;                                                   \
    return false;                                                       \
  }
  RAVLEN_OCI_FUNCTIONS(RAVLEN_OCI_RESOLVE)
#undef RAVLEN_OCI_RESOLVE
  return true;
}

// The libraries loaded so far, by the name they were loaded under.
std::map<std::string, std::unique_ptr<OciFunctions>>& loaded() {
  static std::map<std::string, std::unique_ptr<OciFunctions>> libraries;
  return libraries;
}

const OciFunctions* loadOne(const std::string& candidate,
                            std::string* reason) {
  auto it = loaded().find(candidate);
  if (it != loaded().end()) return it->second.get();
  void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    *reason = why ? why : candidate + ": not loadable";
    return nullptr;
  }
  auto api = std::make_unique<OciFunctions>();
  std::string missing;
  if (!resolve(handle, api.get(), &missing)) {
    *reason = candidate + " lacks the function " + missing +
              " (client too old?)";
    dlclose(handle);
    return nullptr;
  }
  return loaded().emplace(candidate, std::move(api)).first->second.get();
}

}  // namespace

std::vector<std::string> ociLibraryCandidates() {
  std::vector<std::string> candidates;
  std::string home = environment("ORACLE_HOME");
  if (!home.empty()) candidates.push_back(home + "/lib/" + kOciLibraryName);
  candidates.push_back(kOciLibraryName);
  return candidates;
}

const OciFunctions* loadOciLibrary(const std::vector<std::string>& candidates,
                                   std::string* error) {
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  std::string reasons;
  for (const std::string& candidate : candidates) {
    std::string reason;
    if (const OciFunctions* api = loadOne(candidate, &reason)) return api;
    reasons += (reasons.empty() ? "" : "; ") + reason;
  }
  std::string home = environment("ORACLE_HOME");
  std::string path = environment("LD_LIBRARY_PATH");
  *error = std::string("Oracle-Client nicht gefunden: ") + kOciLibraryName +
           " ist nicht ladbar (gesucht in ORACLE_HOME/lib mit ORACLE_HOME=" +
           (home.empty() ? "(nicht gesetzt)" : home) +
           " und im Bibliothekssuchpfad mit LD_LIBRARY_PATH=" +
           (path.empty() ? "(nicht gesetzt)" : path) + "): " + reasons;
  return nullptr;
}

}  // namespace ravlen
