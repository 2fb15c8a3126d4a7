#include "run/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ravlen {
namespace {

bool writeAll(int fd, std::string_view content) {
  while (!content.empty()) {
    ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    content.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool fail(const std::string& what, const std::string& path,
          std::string* error) {
  *error = what + " " + path + ": " + std::strerror(errno);
  return false;
}

}  // namespace

bool replaceFileAtomically(const std::string& path, std::string_view content,
                           std::string* error) {
  std::string temporary = path + ".tmp.XXXXXX";
  int fd = mkstemp(temporary.data());
  if (fd < 0) return fail("Anlegen fehlgeschlagen:", temporary, error);
  // mkstemp makes the file readable for its owner only; a report is read
  // by monitoring, so it gets the usual permissions under the umask.
  mode_t mask = umask(0);
  umask(mask);
  bool written = fchmod(fd, 0666 & ~mask) == 0 && writeAll(fd, content) &&
                 fsync(fd) == 0;
  int reason = errno;
  if (::close(fd) != 0 && written) {
    written = false;
    reason = errno;
  }
  errno = reason;
  if (written && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  if (written)
    fail("Umbenennen fehlgeschlagen:", temporary + " -> " + path, error);
  else
    fail("Schreiben fehlgeschlagen:", temporary, error);
  ::unlink(temporary.c_str());
  return false;
}

}  // namespace ravlen
