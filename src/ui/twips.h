// The window's layout is given in twips; Qt works in device-independent pixels, 15 twips
// to the pixel, and scales those for high-density screens itself.
#pragma once

#include <QRect>
#include <cmath>

namespace vfs::ui {

inline constexpr int kTwipsPerPixel = 15;

inline int Px(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

}  // namespace vfs::ui
