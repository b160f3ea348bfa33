#include "testhost/panels/Canvas.h"

#include "testhost/panels/Png.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace testhost {
namespace {

std::uint8_t ToByte(double unit) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(unit, 0.0, 1.0) * 255.0));
}

double DistanceToSegment(PointF p, PointF a, PointF b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double lengthSquared = dx * dx + dy * dy;
  double t = 0;
  if (lengthSquared > 0) {
    t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0, 1.0);
  }
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// First and one-past-last pixel index whose centre lies in [from, to); none when either bound
// is not a number, as coordinates from the effect may be.
std::pair<int, int> CentresIn(double from, double to, int limit) {
  if (std::isnan(from) || std::isnan(to)) return {0, 0};
  const double first = std::ceil(from - 0.5);
  const double last = std::ceil(to - 0.5);
  return {static_cast<int>(std::clamp(first, 0.0, static_cast<double>(limit))),
          static_cast<int>(std::clamp(last, 0.0, static_cast<double>(limit)))};
}

}  // namespace

Canvas::Canvas(int width, int height, Rgba8 background) : width_(width), height_(height) {
  if (width <= 0 || height <= 0) throw std::invalid_argument("canvas size must be positive");
  pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), background);
}

Rgba8 Canvas::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_)
    throw std::out_of_range("pixel outside canvas");
  return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                 static_cast<std::size_t>(x)];
}

void Canvas::clear(Rgba8 colour) { std::fill(pixels_.begin(), pixels_.end(), colour); }

Rgba8 Canvas::blend(Rgba8 under, const ColorF& colour) {
  const double a = std::clamp(static_cast<double>(colour.a), 0.0, 1.0);
  const double underA = under.a / 255.0;
  const double outA = a + underA * (1 - a);
  auto channel = [&](float over, std::uint8_t below) {
    if (outA <= 0) return std::uint8_t{0};
    return ToByte((std::clamp(static_cast<double>(over), 0.0, 1.0) * a +
                   below / 255.0 * underA * (1 - a)) / outA);
  };
  return {channel(colour.r, under.r), channel(colour.g, under.g), channel(colour.b, under.b),
          ToByte(outA)};
}

void Canvas::blendCovered(const std::vector<bool>& covered, const ColorF& colour) {
  for (std::size_t i = 0; i < pixels_.size(); ++i) {
    if (covered[i]) pixels_[i] = blend(pixels_[i], colour);
  }
}

void Canvas::paintRect(double left, double top, double width, double height,
                       const ColorF& colour) {
  if (!(width > 0) || !(height > 0)) return;
  const auto [x0, x1] = CentresIn(left, left + width, width_);
  const auto [y0, y1] = CentresIn(top, top + height, height_);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      Rgba8& p = pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                         static_cast<std::size_t>(x)];
      p = blend(p, colour);
    }
  }
}

void Canvas::strokePolylines(const std::vector<std::vector<PointF>>& polylines, double width,
                             const ColorF& colour) {
  if (!(width > 0)) return;
  const double half = width / 2;
  // One coverage mask for the whole stroke, so that joins are not blended twice. A lone point
  // has no segment and draws nothing; a segment of no length draws a round dot.
  std::vector<bool> covered(pixels_.size(), false);
  for (const std::vector<PointF>& line : polylines) {
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
      const PointF a = line[i];
      const PointF b = line[i + 1];
      const auto [x0, x1] = CentresIn(std::min(a.x, b.x) - half, std::max(a.x, b.x) + half, width_);
      const auto [y0, y1] =
          CentresIn(std::min(a.y, b.y) - half, std::max(a.y, b.y) + half, height_);
      for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
          if (DistanceToSegment({x + 0.5, y + 0.5}, a, b) <= half) {
            covered[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                    static_cast<std::size_t>(x)] = true;
          }
        }
      }
    }
  }
  blendCovered(covered, colour);
}

int Canvas::count(const Match& match) const {
  return static_cast<int>(std::count_if(pixels_.begin(), pixels_.end(), match));
}

Canvas::Box Canvas::bounds(const Match& match) const {
  Box box;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (!match(at(x, y))) continue;
      if (box.left < 0) {
        box = {x, y, x + 1, y + 1};
      } else {
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
      }
    }
  }
  return box;
}

void Canvas::writePng(const std::string& path) const {
  RgbaImage image = MakeImage(width_, height_);
  for (std::size_t i = 0; i < pixels_.size(); ++i) {
    const Rgba8& p = pixels_[i];
    std::uint16_t* out = &image.samples[4 * i];
    out[0] = static_cast<std::uint16_t>(p.r * 257);
    out[1] = static_cast<std::uint16_t>(p.g * 257);
    out[2] = static_cast<std::uint16_t>(p.b * 257);
    out[3] = static_cast<std::uint16_t>(p.a * 257);
  }
  WritePng(path, image, 8);
}

}  // namespace testhost
