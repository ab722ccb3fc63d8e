#pragma once

#include <QtGlobal>

namespace viewer {

// Twips are 1/1440 inch, the unit the window's design sizes and stored placement are given in.
constexpr double TwipsPerInch = 1440.0;

// Whole pixels for a length in twips at `dotsPerInch`.
[[nodiscard]] constexpr int twipsToPixels(double twips, double dotsPerInch) {
    const double pixels = twips * dotsPerInch / TwipsPerInch;
    return static_cast<int>(pixels < 0 ? pixels - 0.5 : pixels + 0.5);
}

[[nodiscard]] constexpr double pixelsToTwips(int pixels, double dotsPerInch) {
    return pixels * TwipsPerInch / dotsPerInch;
}

} // namespace viewer
