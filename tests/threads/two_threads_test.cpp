// The host renders on threads of its own while its user-interface thread sends parameter
// updates, clicks and drags, and the instances of one effect share its global data. The plug-in
// keeps no state between calls, so this is safe: here one effect is driven from two threads at
// once, an instance rendering frames at every depth on one and another instance, with the same
// global data, taking the user's changes and (Bezier Control) mouse events on the other. The
// test command runs it under ThreadSanitizer, which reports any unordered access between them.
#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "testhost/testhost.h"

namespace {

using testhost::Host;

constexpr int kRounds = 60;
constexpr testhost::Depth kDepths[] = {testhost::Depth::Bits8, testhost::Depth::Bits16,
                                       testhost::Depth::Float32};

struct Effect {
  const char* entryPoint;
  std::vector<const char*> changes;  // made in turn, each followed by the update it asks for
  bool events;                       // clicks, drags and draws in a Composition panel
};

const Effect kEffects[] = {
    {"EntryPointFunc_2d", {"Uniform Scaling=on", "Scale=150", "Uniform Scaling=off", "Rotation=30"}, false},
    {"EntryPointFunc_3d", {"Uniform Scaling=on", "Scale=80", "Uniform Scaling=off", "Z Scale=120"}, false},
    {"EntryPointFunc_camera", {"Camera Type=Two-Node", "Zoom=500", "Camera Type=One-Node"}, false},
    {"EntryPointFunc_light", {"Light Type=Spot", "Cone Angle=40", "Light Type=Point", "Light Type=Ambient",
                              "Light Type=Parallel"}, false},
    {"EntryPointFunc_bezier", {"Out Tangent=60,-40", "In Tangent=-30,20"}, true},
};

void PrintTo(const Effect& effect, std::ostream* out) { *out << effect.entryPoint; }

// Each thread writes only its own list; the lists are read after both have ended.
void Require(std::vector<std::string>& failures, const testhost::CommandResult& r, const char* what) {
  if (r.err != PF_Err_NONE || !r.clean()) failures.push_back(std::string(what) + ": " + r.describe());
}

class TwoThreads : public ::testing::TestWithParam<Effect> {
 protected:
  const testhost::PluginModule plugin_{testhost::DefaultPluginPath()};
};

TEST_P(TwoThreads, RenderingWhileTheUserChangesAndDragsIsSafe) {
  const Effect& effect = GetParam();
  // The instance the host renders with gets global setup; the panel's instance shares its data.
  Host render(plugin_, effect.entryPoint);
  for (const testhost::CommandResult& r : testhost::ApplyEffect(render)) {
    ASSERT_TRUE(r.err == PF_Err_NONE && r.clean()) << r.describe();
  }
  Host ui(plugin_, effect.entryPoint);
  ui.setGlobalData(render.globalData());
  ui.inData().width = 400;
  ui.inData().height = 300;
  ui.inData().extent_hint = {0, 0, 400, 300};
  const bool asksForUpdates = (render.globalOutFlags() & PF_OutFlag_SEND_UPDATE_PARAMS_UI) != 0;
  {
    const testhost::CommandResult setup = ui.paramsSetup();
    ASSERT_TRUE(setup.err == PF_Err_NONE && setup.clean()) << setup.describe();
  }
  testhost::PlacePointDefaults(ui);
  testhost::Panel panel(testhost::PanelKind::Composition, 640, 360);
  panel.setLayerSize(400, 300);
  panel.setTransform({{320, 180}, {200, 150}, {100, 100}, 0});

  std::atomic<int> ready{0};
  const auto startTogether = [&ready] {
    ready.fetch_add(1);
    while (ready.load() < 2) std::this_thread::yield();
  };
  std::vector<std::string> renderFailures;
  std::vector<std::string> uiFailures;
  std::thread renderer([&] {
    startTogether();
    for (int round = 0; round < kRounds; ++round) {
      for (testhost::Depth depth : kDepths) {
        testhost::FrameSetup frame;
        frame.depth = depth;
        frame.width = 48;
        frame.height = 32;
        frame.seed = static_cast<std::uint32_t>(round + 1);
        const testhost::FrameResult f = render.renderFrame(frame);
        Require(renderFailures, f.preRender, "smart pre-render");
        if (f.rendered) Require(renderFailures, f.render, "smart render");
        if (!f.identical) renderFailures.push_back("frame differs: " + f.difference.value_or("?"));
      }
    }
  });
  std::thread user([&] {
    startTogether();
    try {
      for (int round = 0; round < kRounds; ++round) {
        for (const char* change : effect.changes) {
          testhost::SetControl(ui, change);
          if (asksForUpdates) Require(uiFailures, ui.updateParamsUI(), change);
        }
        if (!effect.events) continue;
        // The vertex sits at the panel's centre: drag it, then miss every handle, then draw.
        const testhost::GestureResult g =
            panel.drag(ui, {{320, 180}, {{330, 190}, {320, 180}}, std::nullopt, round % 2 == 1});
        if (!g.dragged) uiFailures.push_back("the press on the vertex took no handle");
        for (const testhost::EventOutcome& e : g.events) Require(uiFailures, e.command, "drag");
        Require(uiFailures, panel.click(ui, {5, 5}, 0).command, "click");
        Require(uiFailures, panel.draw(ui).command, "draw");
      }
    } catch (const std::exception& e) {
      uiFailures.push_back(std::string("the panel refused a change: ") + e.what());
    }
  });
  renderer.join();
  user.join();

  for (const std::string& f : renderFailures) ADD_FAILURE() << "render thread: " << f;
  for (const std::string& f : uiFailures) ADD_FAILURE() << "user-interface thread: " << f;
  EXPECT_EQ(ui.globalData(), render.globalData());
  ui.setGlobalData(nullptr);  // not this instance's to set down
  const testhost::CommandResult setdown = render.globalSetdown();
  EXPECT_TRUE(setdown.err == PF_Err_NONE && setdown.clean()) << setdown.describe();
}

INSTANTIATE_TEST_SUITE_P(EveryEffect, TwoThreads, ::testing::ValuesIn(kEffects),
                         [](const ::testing::TestParamInfo<Effect>& info) {
                           return std::string(info.param.entryPoint + sizeof "EntryPointFunc_" - 1);
                         });

}  // namespace
