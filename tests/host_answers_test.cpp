// A host whose answers make no sense must not lead the plug-in into undefined behaviour: here the
// distance of the hit test, which the host's ANSI suite computes. The answers come from a table the
// test provides, which the host serves behind its gate like its own.
#include <gtest/gtest.h>

#include <limits>

#include "testhost/testhost.h"

namespace {

using testhost::BezierSession;
using testhost::EventOutcome;

double gFabsAnswer = 0;
int gFabsAnswered = 0;

double FabsAnswer(double) {
  ++gFabsAnswered;
  return gFabsAnswer;
}

// The host's own ANSI functions but for fabs, which answers gFabsAnswer.
PF_ANSICallbacksSuite1 AnsiAnsweringFabs() {
  const PF_ANSICallbacksSuite1& own = testhost::HostAnsiSuite();
  return {
      own.atan, own.atan2, own.ceil, own.cos, own.exp,
      &FabsAnswer,  // fabs
      own.floor, own.fmod, own.hypot, own.log, own.log10, own.pow, own.sin, own.sqrt, own.tan,
      own.sprintf, own.strcpy, own.asin, own.acos,
  };
}

BezierSession LayerPanelSession(const testhost::PluginModule& plugin) {
  testhost::BezierSessionSetup setup;
  setup.panel = testhost::PanelKind::Layer;
  return BezierSession(plugin, setup);
}

// Each answer that is no distance (negative, not a number, beyond any panel) leaves every handle
// out of reach: the click far from the handles hits nothing and starts no drag.
TEST(HostAnswersTest, AnAbsoluteValueThatIsNoDistanceHitsNothing) {
  const testhost::PluginModule plugin(testhost::DefaultPluginPath());
  for (double answer : {-1.0, -1e300, std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(), 1e300}) {
    SCOPED_TRACE(answer);
    gFabsAnswer = answer;
    BezierSession session = LayerPanelSession(plugin);
    session.host().provideSuite(AnsiAnsweringFabs());
    const EventOutcome e = session.panel().click(session.host(), {1000, 1000});
    EXPECT_TRUE(e.clean()) << e.command.describe();
    EXPECT_EQ(e.record.evt_out_flags, 0);
    EXPECT_EQ(e.record.u.do_click.send_drag, 0);
  }
}

// The test's fabs answers through the gate: every call of it is recorded under "fabs", and a fault
// planned on "fabs" strikes it as it strikes the host's own.
TEST(HostAnswersTest, TheProvidedTablePassesTheGate) {
  const testhost::PluginModule plugin(testhost::DefaultPluginPath());
  gFabsAnswer = 1e6;
  BezierSession session = LayerPanelSession(plugin);
  testhost::Host& host = session.host();
  host.provideSuite(AnsiAnsweringFabs());

  gFabsAnswered = 0;
  const EventOutcome missed = session.panel().click(host, {1000, 1000});
  EXPECT_TRUE(missed.clean()) << missed.command.describe();
  const auto fabsOf = [&](int serial) {
    return host.log().filter(
        [&](const testhost::Call& c) { return c.command == serial && c.name == "fabs"; });
  };
  EXPECT_EQ(fabsOf(missed.command.serial).size(), 6u) << "two per handle";
  EXPECT_EQ(gFabsAnswered, 6);

  for (const testhost::Fault& fault : {testhost::Fault::throwBadAlloc(),
                                       testhost::Fault::throwErrorCode(PF_Err_OUT_OF_MEMORY)}) {
    host.faults().clear();
    host.faults().failAt("fabs", 3, fault);
    gFabsAnswered = 0;
    const EventOutcome struck = session.panel().click(host, {1000, 1000});
    EXPECT_FALSE(struck.command.escaped) << "the plug-in catches what the host throws";
    EXPECT_NE(struck.command.err, PF_Err_NONE) << struck.command.describe();
    EXPECT_EQ(host.faults().hits(), 1);
    const auto calls = fabsOf(struck.command.serial);
    ASSERT_EQ(calls.size(), 3u) << "the hit test stops at the fault";
    EXPECT_TRUE(calls[2].faulted);
    EXPECT_EQ(gFabsAnswered, 2) << "the faulted call never reaches the test's function";
  }
}

}  // namespace
