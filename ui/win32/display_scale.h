#pragma once
// The scale a window is drawn at: the DPI of its display over 96. Layouts
// are in twips (1/1440 inch), fonts in points, the artwork in pixels of a
// 96-DPI display; this turns each into pixels of the window's display. At
// 96 DPI a twip is 1/15 pixel and every size comes out as it always has.

namespace tarnvel {

class DisplayScale {
public:
    static constexpr int kBaseDpi = 96;

    constexpr DisplayScale() = default;
    explicit constexpr DisplayScale(int dpi) : dpi_(dpi > 0 ? dpi : kBaseDpi) {}

    constexpr int Dpi() const { return dpi_; }
    constexpr bool IsBase() const { return dpi_ == kBaseDpi; }
    // Twips to whole pixels, the fraction dropped.
    constexpr int Px(int twips) const { return static_cast<int>(static_cast<long long>(twips) * dpi_ / 1440); }
    // A length of the 96-DPI artwork, in whole pixels of this display.
    constexpr int Pixels(int basePixels) const {
        return static_cast<int>(static_cast<long long>(basePixels) * dpi_ / kBaseDpi);
    }
    // The height in pixels of a font of this many points, rounded.
    constexpr int FontPixels(double points) const { return static_cast<int>(points * dpi_ / 72.0 + 0.5); }

    constexpr bool operator==(const DisplayScale& other) const { return dpi_ == other.dpi_; }
    constexpr bool operator!=(const DisplayScale& other) const { return dpi_ != other.dpi_; }

private:
    int dpi_ = kBaseDpi;
};

}  // namespace tarnvel
