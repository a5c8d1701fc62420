#pragma once

#include <QRect>

namespace widgets {

// Positions of the forms are given in twips: 15 twips are one pixel at 96 dpi
// (Qt scales pixels on high-DPI screens).
constexpr int Px(int twips) { return (twips + 7) / 15; }
inline QRect Twips(int left, int top, int width, int height) {
  return QRect(Px(left), Px(top), Px(width), Px(height));
}

}  // namespace widgets
