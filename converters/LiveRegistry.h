// Which objects of a class are alive, for callbacks that come back from a foreign library with
// a 32-bit user value that is supposed to be one of them.
//
// The value arrives from outside and may be stale (the object was destroyed) or garbage, so it
// is never turned into a pointer on trust: it is only compared against the addresses of objects
// that registered themselves, and only a match yields a pointer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace converters {

template <class T>
class LiveRegistry {
  public:
    // The value handed to a library as "user value". On 32-bit Windows this is the object's
    // address itself; on a 64-bit build it is the address's low 32 bits.
    static std::uint32_t UserValue(const T* object) {
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(object));
    }

    static void Add(T* object) { Live().push_back(object); }

    static void Remove(T* object) {
        auto& live = Live();
        live.erase(std::remove(live.begin(), live.end(), object), live.end());
    }

    // The live object whose user value is `value`, or null. Two live objects can share a value
    // only on a 64-bit build (addresses 4 GiB apart); the one registered first answers then.
    static T* Find(std::uint32_t value) {
        for (T* object : Live())
            if (UserValue(object) == value) return object;
        return nullptr;
    }

  private:
    static std::vector<T*>& Live() {
        static std::vector<T*> live;
        return live;
    }
};

}  // namespace converters
