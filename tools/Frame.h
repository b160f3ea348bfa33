// A picture through the effect's smart pre-render and render, at one pixel depth.
#pragma once

#include <optional>
#include <string>

#include "testhost/panels/Png.h"
#include "testhost/core/Host.h"

namespace zelfin_host {

struct RenderOutcome {
  testhost::CommandResult preRender;
  testhost::CommandResult render;
  bool rendered = false;  // the render is sent only after a pre-render that succeeded
  bool identical = false;
  std::optional<std::string> difference;  // the first differing pixel when not identical
  testhost::RgbaImage output;                        // the output buffer, converted back
};

// The host's channel values for a 16-bit sample: 0-255, 0-32768 and 0.0-1.0.
void ToWorld(const testhost::RgbaImage& image, testhost::World& world);
testhost::RgbaImage FromWorld(const testhost::World& world);

// Sends SMART_PRE_RENDER and SMART_RENDER for a frame holding `input` at `depth`, and compares
// the output buffer with the input buffer pixel for pixel.
RenderOutcome RenderImage(testhost::Host& host, const testhost::RgbaImage& input,
                          testhost::Depth depth);

// Parses "8", "16" or "32"; throws UsageError otherwise.
testhost::Depth ParseDepth(const std::string& text);

// A picture to render when none is given: colour ramps under a soft alpha edge, so that every
// channel holds many different values.
testhost::RgbaImage TestPicture(int width, int height);

}  // namespace zelfin_host
