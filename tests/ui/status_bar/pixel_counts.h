#pragma once
// Pixel counts for the drawing tests: what a render painted in a colour.

#include <QColor>
#include <QImage>
#include <cstdlib>

namespace mobrelle::test {

// Pixels of text drawn in that colour, its smoothed edges included.
inline int CountLike(const QImage& image, const QColor& colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - colour.red()) < 60 && std::abs(c.green() - colour.green()) < 60 &&
          std::abs(c.blue() - colour.blue()) < 60)
        ++n;
    }
  return n;
}

// How many pixels of the image have exactly that colour.
inline int CountColour(const QImage& image, const QColor& colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y).rgb() == colour.rgb()) ++n;
  return n;
}

}  // namespace mobrelle::test
