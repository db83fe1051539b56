// The converter objects handed out as 32-bit handles. A handle is a number from a counter, not
// an address: a stale or foreign value is looked up and refused, never dereferenced, and a
// handle is not given out again while the counter has not gone round all 2^32 values.
// Safe to use from several threads at once.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>

namespace rcpcvdll {

template <class Object>
class HandleRegistry {
  public:
    // Takes `object` over and returns its new handle (never 0).
    std::uint32_t Add(std::shared_ptr<const Object> object) {
        const Lock lock(&lock_);
        do {
            ++next_;
        } while (next_ == 0 || objects_.count(next_));
        objects_.emplace(next_, std::move(object));
        return next_;
    }

    // The live object of `handle`, or null. The object stays alive while the caller holds it,
    // even when another thread deletes the handle meanwhile.
    std::shared_ptr<const Object> Find(std::uint32_t handle) const {
        const Lock lock(&lock_);
        const auto found = objects_.find(handle);
        return found == objects_.end() ? nullptr : found->second;
    }

    bool Remove(std::uint32_t handle) {
        std::shared_ptr<const Object> released;  // destroyed after the lock is let go
        const Lock lock(&lock_);
        const auto found = objects_.find(handle);
        if (found == objects_.end()) return false;
        released = std::move(found->second);
        objects_.erase(found);
        return true;
    }

  private:
    class Lock {
      public:
        explicit Lock(SRWLOCK* lock) : lock_(lock) { ::AcquireSRWLockExclusive(lock_); }
        ~Lock() { ::ReleaseSRWLockExclusive(lock_); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

      private:
        SRWLOCK* lock_;
    };

    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    // Handles start away from 0 and small numbers, which a caller's garbage is likeliest to be.
    std::uint32_t next_ = 0x52430000;
    std::map<std::uint32_t, std::shared_ptr<const Object>> objects_;
};

}  // namespace rcpcvdll
