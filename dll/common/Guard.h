// No exception may leave a library export: the caller is not C++ and would be torn down by it.
#pragma once

#include <exception>

namespace dllfront {

// Runs `body` and returns its result, or `failure` when it throws anything.
template <class Result, class Body>
Result Guarded(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

}  // namespace dllfront
