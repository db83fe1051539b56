// A platform for the Wine test program: the real Win32 one, except that message boxes and
// beeps are recorded instead of shown, so that no run waits for a click, and that the paths
// libraries are loaded from are recorded.
#pragma once

#include <string>
#include <vector>

#include "tests/wine/common/ForwardingPlatform.h"

class RecordingPlatform final : public ForwardingPlatform {
  public:
    struct Box {
        std::string text;
        std::string caption;
        std::uint32_t type;
        unsigned codePage;
    };
    std::vector<Box> boxes;
    int beeps = 0;
    std::vector<std::string> loads;

    Handle LoadLibrary(const std::string& path) override {
        loads.push_back(path);
        return ForwardingPlatform::LoadLibrary(path);
    }
    void MessageBeep(std::uint32_t) override { ++beeps; }
    int MessageBox(platform::Handle, const std::string& text, const std::string& caption,
                   std::uint32_t type, unsigned codePage) override {
        boxes.push_back({text, caption, type, codePage});
        return platform::kIdOk;
    }
};
