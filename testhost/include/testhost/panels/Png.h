// PNG files: pictures read for rendering, rendered frames and panels written out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testhost {

// Straight (not premultiplied) RGBA, 16 bits per channel whatever the file held, so one image can
// feed every pixel depth of the host; 8-bit files are widened by v * 257.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint16_t> samples;  // r, g, b, a per pixel, rows top to bottom

  std::uint16_t* pixel(int x, int y) {
    return &samples[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                     static_cast<std::size_t>(x)) * 4];
  }
  const std::uint16_t* pixel(int x, int y) const {
    return &samples[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                     static_cast<std::size_t>(x)) * 4];
  }
};

RgbaImage MakeImage(int width, int height);

// Whether this build reads and writes PNG files (the cross builds run without libpng).
bool PngSupported();

// The largest picture ReadPng takes: pixels on a side, pixels in all (width times height), and
// the file's size (the pixels stored without compression, and room to spare).
constexpr std::uint32_t kMaxPngSide = 16384;
constexpr std::uint64_t kMaxPngPixels = std::uint64_t{1} << 24;
constexpr std::uint64_t kMaxPngFileSize = std::uint64_t{256} << 20;

// Any colour type and bit depth libpng reads, up to the limits above. Throws std::runtime_error
// naming the path when the file is missing, not a regular file, unreadable, too large or not a
// PNG file, or when the build has no PNG support.
RgbaImage ReadPng(const std::string& path);

// Writes 8 or 16 bits per channel. Throws std::invalid_argument for another depth or an image
// whose samples do not fill width x height (an empty one included), std::runtime_error naming
// the path on failure or when the build has no PNG support.
void WritePng(const std::string& path, const RgbaImage& image, int bitsPerChannel);

}  // namespace testhost
