#pragma once

#include <signal.h>
#include <spawn.h>

namespace bw {

// Spawn attributes for a child in a process group of its own, with default signal handling and
// nothing blocked: a Ctrl-C meant for us does not reach it, it never gets our blocked or ignored
// signal settings, and signalling the group reaches everything it starts.
class OwnGroupSpawnAttr {
  public:
    OwnGroupSpawnAttr() {
        posix_spawnattr_init(&attr_);
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attr_, &none);
        posix_spawnattr_setsigdefault(&attr_, &all);
        posix_spawnattr_setpgroup(&attr_, 0);
        posix_spawnattr_setflags(
            &attr_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
    }
    ~OwnGroupSpawnAttr() { posix_spawnattr_destroy(&attr_); }
    OwnGroupSpawnAttr(const OwnGroupSpawnAttr&) = delete;
    OwnGroupSpawnAttr& operator=(const OwnGroupSpawnAttr&) = delete;
    const posix_spawnattr_t* get() const { return &attr_; }

  private:
    posix_spawnattr_t attr_;
};

}  // namespace bw
