#include "testhost/core/World.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace testhost {

namespace {

constexpr unsigned char kPaddingFiller = 0x5A;

std::uint32_t Mix(std::uint32_t seed, int x, int y, int channel) {
  std::uint32_t h = seed * 0x9E3779B9u ^ static_cast<std::uint32_t>(x) * 0x85EBCA6Bu ^
                    static_cast<std::uint32_t>(y) * 0xC2B2AE35u ^
                    static_cast<std::uint32_t>(channel) * 0x27D4EB2Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

PF_Rect Whole(const World& w) { return {0, 0, w.width(), w.height()}; }

PF_Rect Clip(PF_Rect r, const World& w) {
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, w.width());
  r.bottom = std::min(r.bottom, w.height());
  return r;
}

}  // namespace

int PixelSize(Depth depth) {
  switch (depth) {
    case Depth::Bits8:
      return static_cast<int>(sizeof(PF_Pixel));
    case Depth::Bits16:
      return static_cast<int>(sizeof(PF_Pixel16));
    case Depth::Float32:
      return static_cast<int>(sizeof(PF_PixelFloat));
  }
  return 0;
}

const char* DepthName(Depth depth) {
  switch (depth) {
    case Depth::Bits8:
      return "8-bit";
    case Depth::Bits16:
      return "16-bit";
    case Depth::Float32:
      return "32-bit float";
  }
  return "?";
}

World::World(int width, int height, Depth depth, int paddingPixels) : depth_(depth) {
  if (width < 0 || height < 0 || paddingPixels < 0)
    throw std::invalid_argument("World: negative size or padding");
  const std::size_t rowBytes = static_cast<std::size_t>(width + paddingPixels) * PixelSize(depth);
  const std::size_t bytes = rowBytes * static_cast<std::size_t>(height);
  storage_.assign(kGuardBytes + bytes + kGuardBytes, kGuardByte);
  record_.world_flags = PF_WorldFlag_WRITEABLE | (depth == Depth::Bits16 ? PF_WorldFlag_DEEP : 0);
  record_.data = reinterpret_cast<PF_PixelPtr>(buffer());
  record_.rowbytes = static_cast<A_long>(rowBytes);
  record_.width = width;
  record_.height = height;
  record_.extent_hint = {0, 0, width, height};
  record_.pix_aspect_ratio = {1, 1};
  fillPoison();
}

void World::fillPattern(std::uint32_t seed) {
  std::fill_n(buffer(), bufferBytes(), kPaddingFiller);
  for (int y = 0; y < height(); ++y) {
    for (int x = 0; x < width(); ++x) {
      unsigned char* p = pixelAddress(x, y);
      for (int c = 0; c < 4; ++c) {
        const std::uint32_t h = Mix(seed, x, y, c);
        switch (depth_) {
          case Depth::Bits8:
            p[c] = static_cast<unsigned char>(h & 0xFF);
            break;
          case Depth::Bits16: {
            const auto v = static_cast<A_u_short>(h % 32769u);
            std::memcpy(p + c * sizeof v, &v, sizeof v);
            break;
          }
          case Depth::Float32: {
            const float v = static_cast<float>(h % 100003u) / 100003.0f;
            std::memcpy(p + c * sizeof v, &v, sizeof v);
            break;
          }
        }
      }
    }
  }
}

void World::fillPoison() { std::fill_n(buffer(), bufferBytes(), kPoisonByte); }

unsigned char* World::pixelAddress(int x, int y) {
  return buffer() + static_cast<std::size_t>(y) * rowBytes() +
         static_cast<std::size_t>(x) * PixelSize(depth_);
}

const unsigned char* World::pixelAddress(int x, int y) const {
  return const_cast<World*>(this)->pixelAddress(x, y);
}

PF_Pixel World::pixel8(int x, int y) const {
  PF_Pixel p{};
  std::memcpy(&p, pixelAddress(x, y), sizeof p);
  return p;
}

PF_Pixel16 World::pixel16(int x, int y) const {
  PF_Pixel16 p{};
  std::memcpy(&p, pixelAddress(x, y), sizeof p);
  return p;
}

PF_PixelFloat World::pixelFloat(int x, int y) const {
  PF_PixelFloat p{};
  std::memcpy(&p, pixelAddress(x, y), sizeof p);
  return p;
}

int World::poisonedPixels() const {
  int n = 0;
  const int size = PixelSize(depth_);
  for (int y = 0; y < height(); ++y)
    for (int x = 0; x < width(); ++x) {
      const unsigned char* p = pixelAddress(x, y);
      n += std::all_of(p, p + size, [](unsigned char b) { return b == kPoisonByte; });
    }
  return n;
}

bool World::guardsIntact() const {
  auto isGuard = [](unsigned char b) { return b == kGuardByte; };
  const unsigned char* after = buffer() + bufferBytes();
  return std::all_of(storage_.data(), buffer(), isGuard) &&
         std::all_of(after, after + kGuardBytes, isGuard);
}

std::optional<std::string> World::firstDifference(const World& other) const {
  if (depth_ != other.depth_)
    return std::string("depth ") + DepthName(depth_) + " against " + DepthName(other.depth_);
  if (width() != other.width() || height() != other.height())
    return "size " + std::to_string(width()) + "x" + std::to_string(height()) + " against " +
           std::to_string(other.width()) + "x" + std::to_string(other.height());
  const std::size_t size = static_cast<std::size_t>(PixelSize(depth_));
  for (int y = 0; y < height(); ++y)
    for (int x = 0; x < width(); ++x)
      if (std::memcmp(pixelAddress(x, y), other.pixelAddress(x, y), size) != 0)
        return "first differing pixel at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
  return std::nullopt;
}

PF_Err CopyPixels(const World& src, World& dst, const PF_Rect* srcRect, const PF_Rect* dstRect) {
  if (src.depth() != dst.depth()) return PF_Err_BAD_CALLBACK_PARAM;
  const bool wholeBuffers = !srcRect && !dstRect && src.width() == dst.width() &&
                            src.height() == dst.height() && src.rowBytes() == dst.rowBytes();
  if (src.width() == 0 || src.height() == 0 || dst.width() == 0 || dst.height() == 0)
    return PF_Err_NONE;
  if (wholeBuffers) {
    std::memmove(dst.pixelAddress(0, 0), src.pixelAddress(0, 0),
                 src.rowBytes() * static_cast<std::size_t>(src.height()));
    return PF_Err_NONE;
  }
  const PF_Rect s = Clip(srcRect ? *srcRect : Whole(src), src);
  // Where the source lands, clipped to the destination. In 64 bits, as the effect's destination
  // may hold any values.
  const long long left = dstRect ? dstRect->left : 0;
  const long long top = dstRect ? dstRect->top : 0;
  const long long dLeft = std::max(left, 0LL);
  const long long dTop = std::max(top, 0LL);
  const long long width =
      std::min(left + (s.right - s.left), static_cast<long long>(dst.width())) - dLeft;
  const long long height =
      std::min(top + (s.bottom - s.top), static_cast<long long>(dst.height())) - dTop;
  if (width <= 0 || height <= 0) return PF_Err_NONE;
  // A destination clipped on the left or top starts further into the source.
  const auto sx = static_cast<int>(s.left + (dLeft - left));
  const auto sy = static_cast<int>(s.top + (dTop - top));
  const std::size_t rowLength = static_cast<std::size_t>(width) * PixelSize(src.depth());
  for (int row = 0; row < height; ++row) {
    std::memmove(dst.pixelAddress(static_cast<int>(dLeft), static_cast<int>(dTop) + row),
                 src.pixelAddress(sx, sy + row), rowLength);
  }
  return PF_Err_NONE;
}

}  // namespace testhost
