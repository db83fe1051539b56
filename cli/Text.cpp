#include "cli/Text.h"

#include <optional>

#include "cli/Cp932Table.h"
#include "rcp/Convert.h"

namespace cli {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::optional<int> TrailIndex(unsigned char byte) {
    if (byte >= 0x40 && byte <= 0x7E) return byte - 0x40;
    if (byte >= 0x80 && byte <= 0xFC) return byte - 0x80 + 0x3F;
    return std::nullopt;
}

int LeadIndex(unsigned char lead) {
    return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 0x1F;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::string Utf8FromCp932(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    for (size_t index = 0; index < bytes.size(); ++index) {
        const auto byte = static_cast<unsigned char>(bytes[index]);
        if (byte < 0x80) {
            out += char(byte);
            continue;
        }
        if (!rcp::IsCp932LeadByte(byte)) {
            const char32_t code = cp932::kSingle[byte];
            AppendUtf8(out, code ? code : kReplacement);
            continue;
        }
        const std::optional<int> trail =
            index + 1 < bytes.size() ? TrailIndex(static_cast<unsigned char>(bytes[index + 1]))
                                     : std::nullopt;
        const char32_t code =
            trail ? cp932::kDouble[LeadIndex(byte) * cp932::kTrailCount + *trail] : 0;
        AppendUtf8(out, code ? code : kReplacement);
        if (code) ++index;
    }
    return out;
}

}  // namespace cli
