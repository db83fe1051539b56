#include "platform/Platform.h"

#include "platform/Mbcs.h"

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

std::vector<std::string> LibraryFolders() {
    IPlatform& os = Os();
    std::vector<std::string> folders;
    auto add = [&folders](std::string folder) {
        if (folder.empty()) return;
        if (mbcs::LastDelimiter(folder, "\\:") + 1 != folder.size()) folder += '\\';
        for (const std::string& known : folders)
            if (mbcs::SameText(known, folder)) return;  // beside the host is the usual case
        folders.push_back(std::move(folder));
    };
    add(mbcs::ExtractFilePath(os.ModuleFileName(0)));
    add(mbcs::ExtractFilePath(os.ModuleFileName(os.ThisModule())));
    add(os.SystemDirectory());
    return folders;
}

Handle LoadTrustedLibrary(const std::string& fileName) {
    for (const std::string& folder : LibraryFolders())
        if (const Handle module = Os().LoadLibrary(folder + fileName)) return module;
    return 0;
}

}  // namespace platform
