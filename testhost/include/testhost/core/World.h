// Image buffers as the host hands them to the plug-in: 8-bit, 16-bit and 32-bit float pixels,
// rows padded past their last pixel, guard bytes before and after the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/host.h"

namespace testhost {

enum class Depth { Bits8 = 8, Bits16 = 16, Float32 = 32 };

// Bytes per pixel of a depth: 4, 8 or 16.
int PixelSize(Depth depth);
const char* DepthName(Depth depth);

class World {
 public:
  static constexpr int kDefaultPaddingPixels = 3;
  static constexpr std::size_t kGuardBytes = 64;
  static constexpr unsigned char kGuardByte = 0xA5;
  static constexpr unsigned char kPoisonByte = 0xCD;

  // Throws std::invalid_argument for a negative size or padding.
  World(int width, int height, Depth depth, int paddingPixels = kDefaultPaddingPixels);
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  // The record handed to the plug-in; its data points into this object.
  PF_EffectWorld& record() { return record_; }
  const PF_EffectWorld& record() const { return record_; }

  Depth depth() const { return depth_; }
  int width() const { return record_.width; }
  int height() const { return record_.height; }
  std::size_t rowBytes() const { return static_cast<std::size_t>(record_.rowbytes); }

  // A deterministic pattern over every channel of every pixel (a different one per seed); the
  // row padding gets a filler distinct from the poison.
  void fillPattern(std::uint32_t seed);
  // Every byte, padding included, set to kPoisonByte: a pixel nobody wrote shows.
  void fillPoison();

  unsigned char* pixelAddress(int x, int y);
  const unsigned char* pixelAddress(int x, int y) const;
  PF_Pixel pixel8(int x, int y) const;
  PF_Pixel16 pixel16(int x, int y) const;
  PF_PixelFloat pixelFloat(int x, int y) const;
  // Pixels (not padding) still holding the poison in every byte.
  int poisonedPixels() const;

  // False when a byte before or after the buffer was overwritten.
  bool guardsIntact() const;
  // Lets a test damage a guard on purpose.
  unsigned char* guardAfter() { return storage_.data() + kGuardBytes + bufferBytes(); }

  // Whether the pixel data matches another buffer's (same size and depth), row padding ignored.
  bool samePixels(const World& other) const { return !firstDifference(other); }
  // A description of the first differing pixel, or of the size or depth mismatch.
  std::optional<std::string> firstDifference(const World& other) const;

 private:
  std::size_t bufferBytes() const { return rowBytes() * static_cast<std::size_t>(height()); }
  unsigned char* buffer() { return storage_.data() + kGuardBytes; }
  const unsigned char* buffer() const { return storage_.data() + kGuardBytes; }

  Depth depth_;
  std::vector<unsigned char> storage_;
  PF_EffectWorld record_{};
};

// The copy the host offers as PF_COPY: whole rows at once at every depth, the whole buffer at once
// when no rectangle is given and both buffers have the same size and stride. A null rectangle
// means the whole buffer; the source rectangle is clipped to the source, the destination
// rectangle gives the top-left corner of the copy, which is clipped to the destination (no
// scaling). Returns PF_Err_BAD_CALLBACK_PARAM when the depths differ.
PF_Err CopyPixels(const World& src, World& dst, const PF_Rect* srcRect, const PF_Rect* dstRect);

}  // namespace testhost
