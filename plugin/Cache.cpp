// Play-file conversion: each song the host is about to play is converted into a numbered file
// of a small most-recently-used cache, and the host is handed that file instead.
#include <string>

#include "platform/Mbcs.h"
#include "plugin/Messages.h"
#include "plugin/Vellacord.h"

namespace {

enum class SongKind { Other, RcpFamily, Midi };

SongKind Classify(const std::string& path) {
    const std::string ext = mbcs::LowerCase(mbcs::ExtractFileExt(path));
    if (ext == ".rcp" || ext == ".r36" || ext == ".g36") return SongKind::RcpFamily;
    if (ext == ".mid" || ext == ".rmi") return SongKind::Midi;
    return SongKind::Other;
}

}  // namespace

const char* TVellacord::OpenPlayFile(const char* Path) {
    // SourcePath and TargetPath belong to the conversion under way: a nested one would pull
    // them from under it.
    if (Converting) return Path;
    Converting = true;
    const char* const result = Convert(Path);
    Converting = false;
    return result;
}

const char* TVellacord::Convert(const char* Path) {
    SourcePath = Path ? Path : "";
    if ((!Rcpcv->Enabled && !SmfKnife->Enabled) || SourcePath.empty()) return Path;
    const SongKind kind = Classify(SourcePath);
    if (kind == SongKind::Other) return Path;
    if (kind == SongKind::RcpFamily && !Rcpcv->Enabled) return Path;
    if (kind == SongKind::Midi && !SmfKnife->Enabled) return Path;

    auto& os = platform::Os();
    bool hit = false;
    TargetPath = LookupCache(SourcePath, hit);
    const bool chained = kind == SongKind::RcpFamily && SmfKnife->Enabled;
    if (kind == SongKind::RcpFamily) {
        if (!hit) {
            Rcpcv->Convert(SourcePath, TargetPath);
            // A conversion that wrote nothing is not handed to the host as if it had worked.
            if (!os.FileExists(TargetPath)) {
                DropEntry(CacheList.IndexOf(TargetPath));
                return Path;
            }
        }
        if (chained) {
            SourcePath = TargetPath;
            TargetPath = LookupCache(SourcePath, hit);
        }
    }
    if (hit || !SmfKnife->Enabled) return TargetPath.c_str();

    SmfKnife->ConfigFile = GetConfigFor(Path);
    bool converted = false;
    if (SmfKnife->ConfigFile.empty() && !ConfigWarned) {
        os.MessageBeep(platform::kMbIconExclamation);
        os.MessageBox(BoxOwner(), messages::kNoConfig, messages::kCaption,
                      platform::kMbOk | platform::kMbIconError, platform::kCodePage932);
        ConfigWarned = true;
    } else {
        const std::int32_t result = SmfKnife->Convert(SourcePath, TargetPath);
        if (SmfKnife->LastResult != 0) {
            os.MessageBeep(platform::kMbIconExclamation);
        } else {
            // No configuration, or the library gone, makes no call and writes nothing.
            converted = result == 0 && os.FileExists(TargetPath);
        }
    }
    if (converted) return TargetPath.c_str();

    DropEntry(CacheList.IndexOf(TargetPath));
    return chained ? SourcePath.c_str() : Path;
}

const std::string& TVellacord::LookupCache(const std::string& Source, bool& Hit) {
    auto& os = platform::Os();
    Hit = false;
    if (FlushPending) {
        FlushCache();
        FlushPending = false;
    }
    for (int i = SourceList.IndexOf(Source); i >= 0; i = SourceList.IndexOf(Source)) {
        if (os.FileExists(CacheList[i])) {
            if (i != 0) {
                SourceList.Move(i, 0);
                CacheList.Move(i, 0);
            }
            Hit = true;
            return CacheList[0];
        }
        SourceList.Delete(i);
        CacheList.Delete(i);
    }
    while (SourceList.Count() > 0 && SourceList.Count() >= CacheSize) {
        const int last = SourceList.Count() - 1;
        if (os.FileExists(CacheList[last])) os.DeleteFile(CacheList[last]);
        SourceList.Delete(last);
        CacheList.Delete(last);
    }
    // A file of an earlier run under the chosen name is removed first, so that only this
    // conversion can make it exist. One that cannot be removed (a read-only folder, a file the
    // host still plays) would pass for a conversion that wrote nothing: its name is passed over.
    std::string name;
    do {
        name = WorkDir + "\\VLCRD" + std::to_string(FileCounter) + ".mid";
        ++FileCounter;
    } while (CacheList.IndexOf(name) >= 0 || (os.FileExists(name) && !os.DeleteFile(name)));
    SourceList.Insert(0, Source);
    CacheList.Insert(0, name);
    return CacheList[0];
}

void TVellacord::FlushCache() {
    auto& os = platform::Os();
    for (int i = 0; i < CacheList.Count(); ++i)
        if (os.FileExists(CacheList[i])) os.DeleteFile(CacheList[i]);
    CacheList.Clear();
    SourceList.Clear();
}

void TVellacord::DropEntry(int index) {
    if (index < 0) return;
    auto& os = platform::Os();
    if (os.FileExists(CacheList[index])) os.DeleteFile(CacheList[index]);
    SourceList.Delete(index);
    CacheList.Delete(index);
}
