// A font description as the player hands it over: typeface, character set, size or height,
// style and colour.
#pragma once

#include <cstdint>
#include <string>

class TFont {
  public:
    std::string Name = "MS Sans Serif";  // the platform's default font
    std::uint8_t Charset = 1;            // DEFAULT_CHARSET
    std::int32_t Height = -11;           // pixels; negative = character height
    std::int32_t Size = 8;               // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    std::uint32_t Color = 0;

    // Size in points and height in pixels describe the same thing at 96 pixels per inch.
    void SetSize(std::int32_t Points);
    void SetHeight(std::int32_t Pixels);
    // Style bits as the player gives them: bit 0 bold, 1 italic, 2 underline, 3 strike-out.
    void SetStyleBits(std::uint32_t Bits);
    // Fills the font from the player's values: a size below 0 is a height in pixels.
    void Assign(const std::string& FaceName, std::uint32_t CharSet, std::int32_t SizeValue,
                std::uint32_t StyleBits, std::uint32_t Colour);
};
