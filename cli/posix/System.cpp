#include "cli/System.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/Text.h"

namespace cli {

std::vector<std::string> CommandLineWords(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::FILE* OpenForReading(const std::string& path) {
    return std::fopen(path.c_str(), "rb");
}

std::FILE* CreateNewFile(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) return nullptr;
    std::FILE* file = ::fdopen(descriptor, "wb");
    if (!file) ::close(descriptor);
    return file;
}

const char kPathSeparators[] = "/";

unsigned long ProcessId() {
    return static_cast<unsigned long>(::getpid());
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return FileIdentity{uint64_t(status.st_dev), uint64_t(status.st_ino)};
}

void WriteText(std::FILE* stream, const std::string& utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

}  // namespace cli
