// A host whose answers make no sense must not lead the plug-in into undefined behaviour: here the
// distance of the hit test, which the host's ANSI suite computes.
#include <gtest/gtest.h>

#include <limits>

#include "testhost/testhost.h"

namespace {

using testhost::BezierSession;
using testhost::EventOutcome;

double gFabsAnswer = 0;

double FabsAnswer(double) { return gFabsAnswer; }

// Each answer that is no distance (negative, not a number, beyond any panel) leaves every handle
// out of reach: the click far from the handles hits nothing and starts no drag.
TEST(HostAnswersTest, AnAbsoluteValueThatIsNoDistanceHitsNothing) {
  const testhost::PluginModule plugin(testhost::DefaultPluginPath());
  static PF_ANSICallbacksSuite1 ansi{};
  ansi.fabs = &FabsAnswer;
  for (double answer : {-1.0, -1e300, std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(), 1e300}) {
    SCOPED_TRACE(answer);
    gFabsAnswer = answer;
    testhost::BezierSessionSetup setup;
    setup.panel = testhost::PanelKind::Layer;
    BezierSession session(plugin, setup);
    session.host().provideSuite(kPFANSISuite, kPFANSISuiteVersion1, &ansi);
    const EventOutcome e = session.panel().click(session.host(), {1000, 1000});
    EXPECT_TRUE(e.clean()) << e.command.describe();
    EXPECT_EQ(e.record.evt_out_flags, 0);
    EXPECT_EQ(e.record.u.do_click.send_drag, 0);
  }
}

}  // namespace
