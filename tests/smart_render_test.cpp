// Smart pre-render and render of the five effects through the stand-in host: the input is asked
// for over exactly the host's request, the result area is what the input covers, and the render
// passes the pixels through unchanged at every depth.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <tuple>

#include "plugin_effects.h"

namespace testhost {
// Names the depth in the parameters gtest prints.
void PrintTo(Depth depth, std::ostream* os) { *os << DepthName(depth); }
}  // namespace testhost

namespace {

using testhost::CommandResult;
using testhost::Depth;
using testhost::Fault;
using testhost::FrameResult;
using testhost::FrameSetup;
using testhost::Host;
using zelfin_test::EffectCase;
using zelfin_test::kEffectCases;
using zelfin_test::Plugin;

// "(left, top, right, bottom)", so that rectangles compare and print as one value.
std::string Str(const PF_LRect& r) {
  return '(' + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
         std::to_string(r.right) + ", " + std::to_string(r.bottom) + ')';
}

class PreRenderTest : public ::testing::TestWithParam<EffectCase> {
 protected:
  Host host{Plugin(), GetParam().entryPoint};
};

TEST_P(PreRenderTest, AsksForTheInputOverTheHostsWholeRequestAtTheHostsTime) {
  host.inData().current_time = 1234;
  host.inData().time_step = 7;
  host.inData().time_scale = 2997;
  PF_RenderRequest request{};
  request.rect = {3, 4, 21, 15};
  request.field = 2;
  request.channel_mask = 0x5;
  std::memcpy(request.unused, "\x11\x22\x33", 3);
  for (int i = 0; i < 4; ++i) request.reserved[i] = 100 + i;
  FrameSetup setup;
  setup.request = request;

  const CommandResult r = host.smartPreRender(setup);
  ASSERT_EQ(r.err, PF_Err_NONE);
  EXPECT_TRUE(r.clean()) << r.describe();
  EXPECT_TRUE(r.outDataUntouched());
  ASSERT_EQ(host.layerCheckouts().size(), 1u);
  const testhost::LayerCheckout& c = host.layerCheckouts()[0];
  EXPECT_EQ(c.index, 0);
  EXPECT_EQ(c.checkoutId, 0);
  EXPECT_EQ(c.time, 1234);
  EXPECT_EQ(c.timeStep, 7);
  EXPECT_EQ(c.timeScale, 2997u);
  PF_RenderRequest expected = request;
  expected.preserve_rgb_of_zero_alpha = true;
  EXPECT_EQ(std::memcmp(&c.request, &expected, sizeof expected), 0);

  // Nothing but the two rectangles is reported.
  const PF_PreRenderOutput& out = host.preRenderOutput();
  EXPECT_FALSE(out.solid);
  EXPECT_EQ(out.flags, 0);
  EXPECT_EQ(out.pre_render_data, nullptr);
  EXPECT_EQ(out.delete_pre_render_data_func, nullptr);
}

// The host's rectangle before the call, what the input covers, and what the effect reports.
struct Union {
  PF_LRect host;
  PF_LRect checkout;
  PF_LRect expected;
};

TEST_P(PreRenderTest, ReportsTheAreaTheInputCovers) {
  // Each case runs through result_rect and, with other numbers, max_result_rect at once.
  const struct {
    const char* label;
    Union result;
    Union max;
  } cases[] = {
      {"empty host rect takes the input's",
       {{0, 0, 0, 0}, {10, 20, 110, 220}, {10, 20, 110, 220}},
       {{60, 60, 40, 80}, {-5, -6, 300, 301}, {-5, -6, 300, 301}}},
      {"overlapping rects unite",
       {{0, 0, 50, 50}, {25, 25, 100, 100}, {0, 0, 100, 100}},
       {{-3, 10, 20, 60}, {0, -4, 30, 50}, {-3, -4, 30, 60}}},
      {"empty input leaves the host rect",
       {{5, 6, 40, 41}, {0, 0, 0, 0}, {5, 6, 40, 41}},
       {{1, 2, 3, 4}, {9, 9, 2, 90}, {1, 2, 3, 4}}},
      {"zero-width or zero-height input never grows it",
       {{0, 0, 10, 10}, {30, 0, 30, 500}, {0, 0, 10, 10}},
       {{2, 2, 8, 8}, {-100, 70, 900, 70}, {2, 2, 8, 8}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    FrameSetup setup;
    setup.initialResultRect = c.result.host;
    setup.initialMaxResultRect = c.max.host;
    setup.checkout = PF_CheckoutResult{};
    setup.checkout->result_rect = c.result.checkout;
    setup.checkout->max_result_rect = c.max.checkout;
    const CommandResult r = host.smartPreRender(setup);
    ASSERT_EQ(r.err, PF_Err_NONE);
    EXPECT_TRUE(r.clean()) << r.describe();
    EXPECT_EQ(Str(host.preRenderOutput().result_rect), Str(c.result.expected));
    EXPECT_EQ(Str(host.preRenderOutput().max_result_rect), Str(c.max.expected));
  }
}

TEST_P(PreRenderTest, FailedCheckoutIsReturnedAndLeavesTheRects) {
  FrameSetup setup;
  setup.initialResultRect = {1, 2, 30, 20};
  setup.initialMaxResultRect = {0, 0, 32, 24};
  host.faults().failAt("checkout_layer", 1, Fault::fail(PF_Err_OUT_OF_MEMORY));
  const FrameResult f = host.renderFrame(setup);
  EXPECT_EQ(f.preRender.err, PF_Err_OUT_OF_MEMORY);
  EXPECT_TRUE(f.preRender.clean()) << f.preRender.describe();
  EXPECT_FALSE(f.rendered);
  EXPECT_EQ(Str(f.preRenderOutput.result_rect), Str(setup.initialResultRect));
  EXPECT_EQ(Str(f.preRenderOutput.max_result_rect), Str(setup.initialMaxResultRect));
}

INSTANTIATE_TEST_SUITE_P(Effects, PreRenderTest, ::testing::ValuesIn(kEffectCases),
                         zelfin_test::EffectId);

class RenderTest : public ::testing::TestWithParam<std::tuple<EffectCase, Depth>> {
 protected:
  Host host{Plugin(), std::get<0>(GetParam()).entryPoint};
  Depth depth() const { return std::get<1>(GetParam()); }
};

TEST_P(RenderTest, PassesThePixelsThroughUnchanged) {
  // Odd sizes, padded rows, a single column and a single row.
  const struct {
    int width, height, padding;
  } sizes[] = {{7, 5, 3}, {1, 9, 1}, {13, 1, 0}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
    FrameSetup setup;
    setup.depth = depth();
    setup.width = size.width;
    setup.height = size.height;
    setup.paddingPixels = size.padding;
    setup.seed = 7;
    const FrameResult f = host.renderFrame(setup);
    ASSERT_TRUE(f.rendered) << f.preRender.describe();
    EXPECT_EQ(f.render.err, PF_Err_NONE);
    EXPECT_TRUE(f.render.clean()) << f.render.describe();
    EXPECT_TRUE(f.render.outDataUntouched());
    EXPECT_TRUE(f.identical) << f.difference.value_or("");
    EXPECT_EQ(host.output()->poisonedPixels(), 0);
    testhost::World pattern(size.width, size.height, depth(), size.padding);
    pattern.fillPattern(setup.seed);
    EXPECT_TRUE(host.input()->samePixels(pattern)) << "the input is left as it was";
    EXPECT_TRUE(host.input()->guardsIntact());
    EXPECT_TRUE(host.output()->guardsIntact());

    // The pixels asked for are the ones the pre-render declared.
    const auto pixels = host.log().filter([&](const testhost::Call& c) {
      return c.command == f.render.serial && c.name == "checkout_layer_pixels";
    });
    ASSERT_EQ(f.checkouts.size(), 1u);
    ASSERT_EQ(pixels.size(), 1u);
    EXPECT_EQ(pixels[0].args.at(0), std::to_string(f.checkouts[0].checkoutId));
  }
}

// A render step that fails: its code is returned and the output keeps the host's poison.
TEST_P(RenderTest, FailedStepIsReturnedWithNothingCopied) {
  const struct {
    const char* call;
    PF_Err code;
    int outputCheckouts;
    int copies;
  } cases[] = {
      {"checkout_layer_pixels", PF_Err_OUT_OF_MEMORY, 0, 0},
      {"checkout_output", 0x33, 1, 0},
      {"PF_COPY", PF_Err_INTERNAL_STRUCT_DAMAGED, 1, 1},
      // The host has no buffer to hand out and says so with success.
      {"checkout_layer_pixels", PF_Err_NONE, 1, 0},
      {"checkout_output", PF_Err_NONE, 1, 0},
  };
  FrameSetup setup;
  setup.depth = depth();
  setup.width = 5;
  setup.height = 3;
  ASSERT_EQ(host.smartPreRender(setup).err, PF_Err_NONE);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.call) + " returns " + std::to_string(c.code));
    host.faults().clear();
    host.faults().failAt(c.call, 1, Fault::fail(c.code));
    const CommandResult r = host.smartRender(setup);
    EXPECT_EQ(r.err, c.code);
    EXPECT_TRUE(r.clean()) << r.describe();
    EXPECT_EQ(host.faults().hits(), 1);
    EXPECT_EQ(host.output()->poisonedPixels(), setup.width * setup.height);
    EXPECT_TRUE(host.output()->guardsIntact());
    const auto calls = host.log().ofCommand(r.serial);
    auto count = [&](const char* name) {
      return std::count_if(calls.begin(), calls.end(),
                           [&](const testhost::Call& call) { return call.name == name; });
    };
    EXPECT_EQ(count("checkout_output"), c.outputCheckouts);
    EXPECT_EQ(count("PF_COPY"), c.copies);
  }
}

std::string DepthId(Depth d) {
  switch (d) {
    case Depth::Bits8:
      return "8bit";
    case Depth::Bits16:
      return "16bit";
    case Depth::Float32:
      return "32bitFloat";
  }
  return "unknown";
}

INSTANTIATE_TEST_SUITE_P(
    EffectsAndDepths, RenderTest,
    ::testing::Combine(::testing::ValuesIn(kEffectCases),
                       ::testing::Values(Depth::Bits8, Depth::Bits16, Depth::Float32)),
    [](const ::testing::TestParamInfo<RenderTest::ParamType>& info) {
      return std::string(std::get<0>(info.param).id) + "_" +
             DepthId(std::get<1>(info.param));
    });

}  // namespace
