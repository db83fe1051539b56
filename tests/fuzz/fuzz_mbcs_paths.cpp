// Fuzzes the code-page-aware path and case helpers with random bytes, under code page 932 and
// under a single-byte code page. A reference walk over the characters gives the boundaries:
// no result may start or end inside a double-byte character, and a trail byte 0x5C ('\\') or
// 0x2E ('.') is never taken for a separator or a period.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Mbcs.h"
#include "tests/fuzz/FuzzWorld.h"

namespace {

using fuzz::Check;

bool Lead932(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Start of every character, plus the end of the text. A lead byte at the very end stands alone.
std::vector<bool> Boundaries(const std::string& text, bool dbcs) {
    std::vector<bool> at(text.size() + 1, false);
    for (std::size_t i = 0; i < text.size(); ++i) {
        at[i] = true;
        if (dbcs && Lead932(static_cast<unsigned char>(text[i]))) ++i;
    }
    at[text.size()] = true;
    return at;
}

// Whether a single-byte character from `set` starts at a boundary in [from, to).
bool HasSingle(const std::string& text, const std::vector<bool>& at, std::size_t from,
               std::size_t to, const std::string& set) {
    for (std::size_t i = from; i < to; ++i)
        if (at[i] && set.find(text[i]) != std::string::npos &&
            !(at.size() > i + 1 && !at[i + 1]))  // a lead byte is not a single-byte character
            return true;
    return false;
}

void CheckCase(const std::string& text, const std::string& mapped, const std::vector<bool>& at,
               bool upper) {
    Check(mapped.size() == text.size(), "case change keeps the length");
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool single = at[i] && at[i + 1];
        if (!single) {
            Check(mapped[i] == c, "double-byte characters keep their bytes");
            continue;
        }
        char want = c;
        if (upper && c >= 'a' && c <= 'z') want = static_cast<char>(c - 32);
        if (!upper && c >= 'A' && c <= 'Z') want = static_cast<char>(c + 32);
        Check(mapped[i] == want, "only ASCII letters change case");
    }
}

void CheckPaths(const std::string& path, const std::string& ext) {
    const bool dbcs = platform::Os().AnsiCodePage() == platform::kCodePage932;
    const std::vector<bool> at = Boundaries(path, dbcs);

    const std::string fileExt = mbcs::ExtractFileExt(path);
    Check(fileExt.size() <= path.size(), "extension is no longer than the path");
    const std::size_t extAt = path.size() - fileExt.size();
    Check(path.compare(extAt, std::string::npos, fileExt) == 0, "extension is a suffix");
    Check(at[extAt], "extension starts on a character boundary");
    if (!fileExt.empty()) {
        Check(fileExt[0] == '.', "extension starts with its period");
        Check(!HasSingle(path, at, extAt + 1, path.size(), ".\\:"),
              "extension holds no further period or separator");
    } else {
        // No extension: no period after the last separator.
        std::size_t last = 0;
        for (std::size_t i = 0; i < path.size(); ++i)
            if (HasSingle(path, at, i, i + 1, "\\:")) last = i + 1;
        Check(!HasSingle(path, at, last, path.size(), "."),
              "a period after the last separator "
              "gives an extension");
    }

    const std::string folder = mbcs::ExtractFilePath(path);
    Check(path.compare(0, folder.size(), folder) == 0, "folder is a prefix");
    Check(at[folder.size()], "folder ends on a character boundary");
    if (!folder.empty())
        Check(HasSingle(path, at, folder.size() - 1, folder.size(), "\\:"),
              "folder ends with its separator");
    Check(!HasSingle(path, at, folder.size(), path.size(), "\\:"), "no separator after the folder");

    const std::string dir = mbcs::ExtractFileDir(path);
    Check(folder.compare(0, dir.size(), dir) == 0, "directory is a prefix of the folder");
    Check(dir.size() + 1 >= folder.size(), "directory drops at most the trailing separator");
    Check(at[dir.size()], "directory ends on a character boundary");

    const std::string changed = mbcs::ChangeFileExt(path, ext);
    Check(changed == path.substr(0, extAt) + ext, "changed extension replaces exactly the old");
    Check(mbcs::ExtractFilePath(changed) == folder || ext.find_first_of("\\:") != std::string::npos,
          "changing the extension keeps the folder");

    CheckCase(path, mbcs::UpperCase(path), at, true);
    CheckCase(path, mbcs::LowerCase(path), at, false);
    Check(mbcs::SameText(path, mbcs::UpperCase(path)), "a text matches its upper case");
    Check(mbcs::SameText(mbcs::LowerCase(path), path), "a text matches its lower case");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    fake::FakePlatform os;
    os.ansiCodePage = data.ConsumeBool() ? platform::kCodePage932 : 1252;
    const std::string ext = data.ConsumeRandomLengthString(8);
    const std::string path = data.ConsumeRemainingBytesAsString();
    CheckPaths(path, ext);
    return 0;
}
