// The host's transcript: one UTF-8 line per event on standard output, flushed at once so that
// a test reading a running host sees each line as it happens.
#pragma once

#include <cstdint>
#include <string>

namespace host {

class Transcript {
  public:
    void Line(const std::string& utf8);
    // While muted no line is written: a benchmark's timed calls must not pay for the transcript.
    void Mute(bool muted) { muted_ = muted; }
    static std::string Hex(std::uintptr_t value);

  private:
    bool muted_ = false;
};

}  // namespace host
