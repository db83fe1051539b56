#include "converters/ConverterSupport.h"

#include "converters/Texts.h"
#include "platform/Platform.h"

namespace converters {

void* FindEntry(platform::Handle module, const std::string& name) {
    if (void* address = platform::Os().GetProcAddress(module, name)) return address;
    return platform::Os().GetProcAddress(module, "_" + name);
}

void ShowUnusable(const BoxOwnerFn& owner, const char* text) {
    platform::Os().MessageBox(owner ? owner() : 0, text, texts::kCaption,
                              platform::kMbOk | platform::kMbIconError, platform::kCodePage932);
}

}  // namespace converters
