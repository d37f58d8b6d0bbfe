#pragma once
// One running copy of the program per program folder. The first copy holds an exclusive flock on
// the lock file in the program folder for as long as it runs; a second copy started on the same
// folder finds it held and stops before it touches any database. The kernel drops the lock with
// the last descriptor of the process, so a copy that crashes or is killed never leaves a stale
// lock behind. The lock file is only ever created, never truncated or deleted: removing it while
// a copy runs would let the next copy lock a new file of the same name.

#include <QString>

#include <optional>

namespace kl {

class InstanceLock {
  public:
    // The name of the lock file in the program folder.
    static QString fileName();

    // Takes the lock of `folder`. Nothing when another copy (any process, or another lock of
    // this one) holds it, or when the lock file cannot be made or locked; `error` is then set
    // to EWOULDBLOCK for a lock held elsewhere and to the errno of the failure otherwise.
    static std::optional<InstanceLock> acquire(const QString& folder, int* error = nullptr);

    // The Croatian message that explains why acquire() refused, for `error` as it set it.
    static QString refusal(const QString& folder, int error);

    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();  // releases the lock; the file stays

  private:
    explicit InstanceLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

// True when the current process may create and change files in `folder` (checked with the
// effective ids, as the writes will be).
bool folderWritable(const QString& folder);

}  // namespace kl
