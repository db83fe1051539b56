#include "hostlink/font.h"

#include <cstdint>

namespace {

constexpr std::int32_t kPixelsPerInch = 96;
constexpr std::int32_t kPointsPerInch = 72;

// a * b / c rounded to the nearest integer, halves away from zero, as the system's MulDiv.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = c / 2;
    const std::int64_t rounded = product >= 0 ? (product + half) / c : (product - half) / c;
    return static_cast<std::int32_t>(rounded);
}

}  // namespace

void TFont::SetSize(std::int32_t Points) {
    Size = Points;
    Height = -MulDiv(Points, kPixelsPerInch, kPointsPerInch);
}

void TFont::SetHeight(std::int32_t Pixels) {
    Height = Pixels;
    Size = -MulDiv(Pixels, kPointsPerInch, kPixelsPerInch);
}

void TFont::SetStyleBits(std::uint32_t Bits) {
    Bold = (Bits & 0x01) != 0;
    Italic = (Bits & 0x02) != 0;
    Underline = (Bits & 0x04) != 0;
    StrikeOut = (Bits & 0x08) != 0;
}

void TFont::Assign(const std::string& FaceName, std::uint32_t CharSet, std::int32_t SizeValue,
                   std::uint32_t StyleBits, std::uint32_t Colour) {
    Name = FaceName;
    Charset = static_cast<std::uint8_t>(CharSet & 0xFF);
    if (SizeValue < 0)
        SetHeight(SizeValue);
    else
        SetSize(SizeValue);
    SetStyleBits(StyleBits & 0xFF);
    Color = Colour;
}
