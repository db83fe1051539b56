// The player's settings, tool list and look: the design, the tools in the player's INI file,
// colours, fonts and the form image.
#include <optional>

#include "hostlink/bstr.h"
#include "hostlink/checked_read.h"
#include "hostlink/orvo.h"
#include "platform/Mbcs.h"

namespace {

using hostlink::OwnedBstr;
using Orvo_tlb::Long;

constexpr char kDesignSection[] = "ORVO";
constexpr char kDesignKey[] = "Design";
constexpr char kToolSection[] = "Tool";
constexpr std::uintptr_t kToolsChanged = 0x403;
constexpr std::uint32_t kNoColor = 0x1FFFFFFF;

// The player keeps its settings beside its executable.
std::string PlayerIni(const TORVO& orvo) {
    return mbcs::ChangeFileExt(orvo.ExePath, ".ini");
}

// Sets the process's current directory for its lifetime and puts the previous one back on
// every way out.
class CurrentDirectoryScope {
  public:
    explicit CurrentDirectoryScope(const std::string& dir)
        : saved_(platform::Os().GetCurrentDirectory()) {
        platform::Os().SetCurrentDirectory(dir);
    }
    ~CurrentDirectoryScope() { platform::Os().SetCurrentDirectory(saved_); }
    CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
    CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

  private:
    const std::string saved_;
};

}  // namespace

std::string TORVO::GetDesign() {
    if (Bound) {
        OwnedBstr value;
        const platform::HResult hr = ControlIntf->get_Design(value.Out());
        hostlink::CheckRead(hr, "this->get_Design((BSTR*)&Value)");
        return FromHost(value.Text());
    }
    const std::string value =
        platform::Os().GetProfileString(PlayerIni(*this), kDesignSection, kDesignKey, "");
    if (value.empty()) return value;
    // A relative design is relative to the player's folder, not to ours.
    const CurrentDirectoryScope inPlayerFolder(mbcs::ExtractFileDir(ExePath));
    return platform::Os().GetFullPathName(value);
}

void TORVO::SetDesign(const std::string& Value) {
    if (Bound) {
        const OwnedBstr value(ToHost(Value));
        ControlIntf->set_Design(value.In());
        return;
    }
    platform::Os().WriteProfileString(PlayerIni(*this), kDesignSection, kDesignKey, Value);
}

// The profile functions only tell a missing key by handing back the default, so a key counts as
// present when either of two different defaults is not returned.
bool TORVO::ToolExists(const std::string& Name) {
    const std::string ini = PlayerIni(*this);
    static const std::string kAbsent[2] = {"\x01", "\x02"};
    for (const std::string& absent : kAbsent)
        if (platform::Os().GetProfileString(ini, kToolSection, Name, absent) != absent) return true;
    return false;
}

void TORVO::SetTool(const std::string& Name, const std::string& Value) {
    platform::Os().WriteProfileString(PlayerIni(*this), kToolSection, Name, Value);
    Post(MessageId, kToolsChanged, 0);
}

void TORVO::DeleteTool(const std::string& Name) {
    platform::Os().WriteProfileString(PlayerIni(*this), kToolSection, Name, std::nullopt);
    Post(MessageId, kToolsChanged, 0);
}

std::uint32_t TORVO::GetColor(std::int32_t Index) {
    if (!Bound) return kNoColor;
    Long color = 0;
    ControlIntf->GetColor(Index, &color);
    return static_cast<std::uint32_t>(color);
}

TFont* TORVO::GetFont(std::int32_t Index) {
    if (Bound) {
        OwnedBstr faceName;
        Long charSet = 0, size = 0, style = 0, color = 0;
        ControlIntf->GetFont(Index, faceName.Out(), &charSet, &size, &style, &color);
        Font->Assign(FromHost(faceName.Text()), static_cast<std::uint32_t>(charSet), size,
                     static_cast<std::uint32_t>(style), static_cast<std::uint32_t>(color));
    }
    return Font.get();
}

void TORVO::GetFormImage(const std::string& Text) {
    if (!Bound) return;
    const OwnedBstr text(ToHost(Text));
    ControlIntf->GetFormImage(text.In());
}
