// DirectoryLock: one writing session at a time per embedded database.
//
// SQLite locks a file only for the length of a transaction. Two runs on the
// same database would therefore interleave their stages: one run's
// clear-down between another run's load and roll-up, booking counts added
// twice, and statements failing at once where SQLite sees a lock cycle. A
// session instead holds an exclusive lock on the database directory itself
// for its whole life. The lock belongs to an open descriptor of the
// directory (flock), separate from SQLite's locks on the files, and ends
// with the session or with the process, however that ends.
#ifndef RAVLEN_DB_SQLITE_DIRECTORY_LOCK_H_
#define RAVLEN_DB_SQLITE_DIRECTORY_LOCK_H_

#include <chrono>
#include <string>

namespace ravlen {

class DirectoryLock {
 public:
  enum class Outcome {
    kAcquired,     // held until release() or destruction
    kBusy,         // another session held it for the whole wait
    kUnavailable,  // the directory cannot be opened or locked at all
  };

  DirectoryLock() = default;
  ~DirectoryLock() { release(); }
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;

  // Waits up to `limit` for the lock on `dir`.
  Outcome acquire(const std::string& dir, std::chrono::milliseconds limit);
  void release();
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace ravlen

#endif  // RAVLEN_DB_SQLITE_DIRECTORY_LOCK_H_
