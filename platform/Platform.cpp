#include "platform/Platform.h"

namespace platform {

namespace {
IPlatform* installed = nullptr;
}

IPlatform& Os() {
    return installed ? *installed : DefaultPlatform();
}

void SetPlatform(IPlatform* platform) {
    installed = platform;
}

}  // namespace platform
