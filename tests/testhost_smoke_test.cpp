// The built plug-in loaded and driven through the stand-in host: every effect sets up, renders a
// frame at each depth and sets down again without leaving anything behind.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "testhost/core/Host.h"
#include "testhost/loader/PluginModule.h"

namespace {

using testhost::CommandResult;
using testhost::Depth;
using testhost::Fault;
using testhost::Host;

struct Effect {
  const char* entryPoint;
  bool globalData;  // Transform Control sets up inline, without global data
};

constexpr Effect kEffects[] = {
    {"EntryPointFunc_2d", false},    {"EntryPointFunc_3d", true},
    {"EntryPointFunc_camera", true}, {"EntryPointFunc_light", true},
    {"EntryPointFunc_bezier", true},
};

TEST(PluginSmokeTest, EveryEffectSetsUpRendersAndSetsDown) {
  const testhost::PluginModule plugin(testhost::DefaultPluginPath());
  for (const Effect& effect : kEffects) {
    SCOPED_TRACE(effect.entryPoint);
    Host host(plugin, effect.entryPoint);

    const CommandResult setup = host.globalSetup();
    ASSERT_EQ(setup.err, PF_Err_NONE);
    EXPECT_TRUE(setup.clean()) << setup.describe();
    EXPECT_EQ(setup.after.my_version, 0x00088601u);
    if (effect.globalData) {
      ASSERT_NE(host.globalData(), nullptr);
      ASSERT_EQ(host.handles().size(host.globalData()), sizeof(AEGP_PluginID));
      ASSERT_EQ(host.registrations().size(), 1u);
      AEGP_PluginID stored = 0;
      std::memcpy(&stored, host.handles().peek(host.globalData()), sizeof stored);
      EXPECT_EQ(stored, host.registrations()[0].id);
    } else {
      EXPECT_EQ(host.globalData(), nullptr);
      EXPECT_EQ(setup.liveHandles, 0);
    }

    for (Depth depth : {Depth::Bits8, Depth::Bits16, Depth::Float32}) {
      testhost::FrameSetup setup;
      setup.depth = depth;
      const testhost::FrameResult frame = host.renderFrame(setup);
      ASSERT_TRUE(frame.rendered) << frame.preRender.describe();
      EXPECT_EQ(frame.render.err, PF_Err_NONE);
      EXPECT_TRUE(frame.identical)
          << testhost::DepthName(depth) << ": " << frame.difference.value_or("");
      EXPECT_TRUE(frame.render.clean()) << frame.render.describe();
    }

    const CommandResult setdown = host.globalSetdown();
    EXPECT_TRUE(setdown.clean()) << setdown.describe();
    EXPECT_EQ(setdown.liveHandles, 0);
    EXPECT_EQ(setdown.liveSuites, 0);
    EXPECT_TRUE(host.violations().empty());
  }
}

// Global setup of every effect with each of its host calls failing in turn, once with an error
// (or null) and once throwing: nothing escapes, no suite stays acquired, no handle leaks.
TEST(PluginSmokeTest, GlobalSetupSurvivesAnySingleHostFailure) {
  const testhost::PluginModule plugin(testhost::DefaultPluginPath());
  for (const Effect& effect : kEffects) {
    std::vector<testhost::FaultSite> sites;
    {
      Host probe(plugin, effect.entryPoint);
      probe.globalSetup();
      sites = testhost::FaultSites(probe.log());
    }
    for (const testhost::FaultSite& site : sites) {
      // A failed release leaves its suite acquired on the host's side, and the releases run in
      // destructors, where nothing may throw.
      const bool release = site.call == "ReleaseSuite" || site.call == "host_unlock_handle" ||
                           site.call == "host_dispose_handle";
      for (const Fault& fault : {Fault::fail(PF_Err_OUT_OF_MEMORY), Fault::throwBadAlloc()}) {
        if (release) continue;
        SCOPED_TRACE(std::string(effect.entryPoint) + " " + site.call + " #" +
                     std::to_string(site.occurrence) + (fault.throws() ? " throws" : " fails"));
        Host host(plugin, effect.entryPoint);
        host.faults().failAt(site.call, site.occurrence, fault);
        const CommandResult r = host.globalSetup();
        EXPECT_FALSE(r.escaped) << r.exception;
        EXPECT_TRUE(r.suiteProblems.empty()) << r.describe();
        EXPECT_TRUE(r.violations.empty()) << r.describe();
        EXPECT_EQ(r.liveHandles, host.globalData() ? 1 : 0) << r.describe();
        EXPECT_EQ(host.faults().hits(), 1);
      }
    }
  }
}

}  // namespace
