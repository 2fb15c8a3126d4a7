#include "db/sqlite/directory_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <thread>

namespace ravlen {

DirectoryLock::Outcome DirectoryLock::acquire(const std::string& dir,
                                              std::chrono::milliseconds limit) {
  release();
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Outcome::kUnavailable;
  auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      fd_ = fd;
      return Outcome::kAcquired;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      close(fd);
      return Outcome::kBusy;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  close(fd);
  return Outcome::kUnavailable;
}

void DirectoryLock::release() {
  if (fd_ < 0) return;
  close(fd_);  // ends the lock
  fd_ = -1;
}

}  // namespace ravlen
