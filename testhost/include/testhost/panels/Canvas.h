// The pixels of a panel: an RGBA image (8 bits per channel, not premultiplied) that the host's
// drawing services paint into, and that can be written out as a PNG file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "testhost/core/DrawingTarget.h"

namespace testhost {

struct Rgba8 {
  std::uint8_t r = 0, g = 0, b = 0, a = 0;
  bool operator==(const Rgba8& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
  bool operator!=(const Rgba8& o) const { return !(*this == o); }
};

class Canvas {
 public:
  // Throws std::invalid_argument for a size that is not positive.
  Canvas(int width, int height, Rgba8 background);

  int width() const { return width_; }
  int height() const { return height_; }
  Rgba8 at(int x, int y) const;
  const std::vector<Rgba8>& pixels() const { return pixels_; }

  void clear(Rgba8 colour);

  // Pixel (x, y) covers [x, x + 1) x [y, y + 1); a shape covers the pixels whose centres lie in it.
  // Each covered pixel is blended once by the colour's alpha ("source over").
  void paintRect(double left, double top, double width, double height, const ColorF& colour);
  // The outline of open polylines, `width` wide with round ends and joins.
  void strokePolylines(const std::vector<std::vector<PointF>>& polylines, double width,
                       const ColorF& colour);

  // Pixels that match, and the smallest rectangle holding them (-1s when none).
  using Match = std::function<bool(Rgba8)>;
  int count(const Match& match) const;
  struct Box {
    int left = -1, top = -1, right = -1, bottom = -1;  // right and bottom exclusive
    int width() const { return right - left; }
    int height() const { return bottom - top; }
  };
  Box bounds(const Match& match) const;

  // Throws std::runtime_error when the file cannot be written (or the build has no PNG writer).
  void writePng(const std::string& path) const;

  // What blending `colour` over `under` gives, for tests to compute expected pixels.
  static Rgba8 blend(Rgba8 under, const ColorF& colour);

 private:
  void blendCovered(const std::vector<bool>& covered, const ColorF& colour);

  int width_;
  int height_;
  std::vector<Rgba8> pixels_;
};

}  // namespace testhost
