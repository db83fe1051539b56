#include "hostlink/checked_read.h"

#include <cstdio>

#include "hostlink/orvo.h"
#include "platform/Platform.h"

namespace hostlink {

namespace {
const char kCaption[] = "ORVO";
}

std::string ReadFailureText(platform::HResult Status, const char* CallText) {
    std::string description = platform::Os().DescribeStatus(Status);
    if (description.empty()) {
        char number[16];
        std::snprintf(number, sizeof number, "0x%08X", static_cast<unsigned>(Status));
        description = number;
    }
    return std::string(CallText) + "\n" + description;
}

void CheckRead(platform::HResult Status, const char* CallText) {
    if (platform::Succeeded(Status)) return;
    auto& os = platform::Os();
    const std::string text = ReadFailureText(Status, CallText);
    const int answer = os.MessageBox(
        0, text, kCaption, platform::kMbOkCancel | platform::kMbIconError, os.AnsiCodePage());
    if (answer != platform::kIdOk) throw EOleError(text);
}

void ReportError(const std::string& Message) {
    auto& os = platform::Os();
    os.MessageBeep(platform::kMbIconExclamation);
    os.MessageBox(0, Message, kCaption, platform::kMbOk | platform::kMbIconError,
                  os.AnsiCodePage());
}

}  // namespace hostlink
