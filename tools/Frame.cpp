#include "Frame.h"

#include <algorithm>
#include <cmath>

#include "CommandLine.h"

namespace zelfin_host {

namespace {

constexpr std::uint32_t kMaxSample = 65535;

A_u_char To8(std::uint16_t v) {
  return static_cast<A_u_char>((v * 255u + kMaxSample / 2) / kMaxSample);
}
A_u_short To16(std::uint16_t v) {
  return static_cast<A_u_short>((v * std::uint32_t{PF_MAX_CHAN16} + kMaxSample / 2) / kMaxSample);
}
PF_FpShort ToFloat(std::uint16_t v) { return static_cast<PF_FpShort>(v) / kMaxSample; }

std::uint16_t From8(A_u_char v) { return static_cast<std::uint16_t>(v * 257); }
std::uint16_t From16(A_u_short v) {
  const std::uint32_t clamped = std::min<std::uint32_t>(v, PF_MAX_CHAN16);
  return static_cast<std::uint16_t>((clamped * kMaxSample + PF_MAX_CHAN16 / 2) / PF_MAX_CHAN16);
}
std::uint16_t FromFloat(PF_FpShort v) {
  const double clamped = std::isnan(v) ? 0.0 : std::clamp(static_cast<double>(v), 0.0, 1.0);
  return static_cast<std::uint16_t>(std::lround(clamped * kMaxSample));
}

// The host's pixels are alpha first; the image's are alpha last.
template <typename Pixel, typename Convert>
Pixel Make(const std::uint16_t* rgba, Convert convert) {
  Pixel p;
  p.alpha = convert(rgba[3]);
  p.red = convert(rgba[0]);
  p.green = convert(rgba[1]);
  p.blue = convert(rgba[2]);
  return p;
}

template <typename Pixel, typename Convert>
void Take(const Pixel& p, std::uint16_t* rgba, Convert convert) {
  rgba[0] = convert(p.red);
  rgba[1] = convert(p.green);
  rgba[2] = convert(p.blue);
  rgba[3] = convert(p.alpha);
}

}  // namespace

void ToWorld(const testhost::RgbaImage& image, testhost::World& world) {
  for (int y = 0; y < world.height(); ++y) {
    for (int x = 0; x < world.width(); ++x) {
      const std::uint16_t* in = image.pixel(x, y);
      unsigned char* out = world.pixelAddress(x, y);
      switch (world.depth()) {
        case testhost::Depth::Bits8:
          *reinterpret_cast<PF_Pixel*>(out) = Make<PF_Pixel>(in, To8);
          break;
        case testhost::Depth::Bits16:
          *reinterpret_cast<PF_Pixel16*>(out) = Make<PF_Pixel16>(in, To16);
          break;
        case testhost::Depth::Float32:
          *reinterpret_cast<PF_PixelFloat*>(out) = Make<PF_PixelFloat>(in, ToFloat);
          break;
      }
    }
  }
}

testhost::RgbaImage FromWorld(const testhost::World& world) {
  testhost::RgbaImage image = testhost::MakeImage(world.width(), world.height());
  for (int y = 0; y < world.height(); ++y) {
    for (int x = 0; x < world.width(); ++x) {
      std::uint16_t* out = image.pixel(x, y);
      switch (world.depth()) {
        case testhost::Depth::Bits8:
          Take(world.pixel8(x, y), out, From8);
          break;
        case testhost::Depth::Bits16:
          Take(world.pixel16(x, y), out, From16);
          break;
        case testhost::Depth::Float32:
          Take(world.pixelFloat(x, y), out, FromFloat);
          break;
      }
    }
  }
  return image;
}

RenderOutcome RenderImage(testhost::Host& host, const testhost::RgbaImage& input,
                          testhost::Depth depth) {
  testhost::FrameSetup setup;
  setup.depth = depth;
  setup.width = input.width;
  setup.height = input.height;
  RenderOutcome outcome;
  outcome.preRender = host.smartPreRender(setup);
  if (outcome.preRender.err != PF_Err_NONE || outcome.preRender.escaped) return outcome;
  // The pre-render made the frame's buffers; the render keeps them for the same setup.
  ToWorld(input, *host.input());
  outcome.rendered = true;
  outcome.render = host.smartRender(setup);
  outcome.difference = host.output()->firstDifference(*host.input());
  outcome.identical = !outcome.difference;
  outcome.output = FromWorld(*host.output());
  return outcome;
}

testhost::Depth ParseDepth(const std::string& text) {
  if (text == "8") return testhost::Depth::Bits8;
  if (text == "16") return testhost::Depth::Bits16;
  if (text == "32") return testhost::Depth::Float32;
  throw UsageError("--depth must be 8, 16 or 32, not '" + text + "'");
}

testhost::RgbaImage TestPicture(int width, int height) {
  testhost::RgbaImage image = testhost::MakeImage(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double u = width > 1 ? static_cast<double>(x) / (width - 1) : 0.0;
      const double v = height > 1 ? static_cast<double>(y) / (height - 1) : 0.0;
      const double edge = std::clamp(std::min({u, v, 1 - u, 1 - v}) * 8.0, 0.0, 1.0);
      std::uint16_t* p = image.pixel(x, y);
      p[0] = static_cast<std::uint16_t>(std::lround(u * kMaxSample));
      p[1] = static_cast<std::uint16_t>(std::lround(v * kMaxSample));
      p[2] = static_cast<std::uint16_t>(std::lround((1 - u) * v * kMaxSample));
      p[3] = static_cast<std::uint16_t>(std::lround(edge * kMaxSample));
    }
  }
  return image;
}

}  // namespace zelfin_host
