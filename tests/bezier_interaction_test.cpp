// Grabbing and dragging the vertex and its tangent handles, event by event, as the host sends
// the mouse: the hit test, the drag state carried in the event record, Shift, and values that
// no longer fit in 16.16.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "bezier_fixture.h"

namespace {

using testhost::BezierSession;
using testhost::EventOutcome;
using testhost::Gesture;
using testhost::GestureResult;
using testhost::Host;
using testhost::Panel;
using testhost::PanelKind;
using testhost::PointF;

constexpr PF_Fixed Fx(double pixels) { return static_cast<PF_Fixed>(pixels * 65536); }
constexpr A_long kPremiere = 0x50724D72;  // "PrMr"

class BezierInteractionTest : public zelfin_test::BezierLayerPanelTest {
 protected:
  EventOutcome Click(PF_Point at) { return session.panel().click(session.host(), at); }
  // The drag state a click left, as (x, y, handle).
  static std::vector<A_intptr_t> State(const EventOutcome& e) {
    const A_intptr_t* r = e.record.u.do_click.continue_refcon;
    return {r[1], r[2], r[3]};
  }
  static PointF Value(const PF_ParamDef& p) {
    return {p.u.td.x_value / 65536.0, p.u.td.y_value / 65536.0};
  }
};

TEST_F(BezierInteractionTest, AClickTakesTheFirstHandleInReachInTheOrderVertexInOut) {
  struct Case {
    const char* what;
    PointF in, out;
    PF_Point click;
    A_intptr_t handle;  // -1: none
  };
  const Case cases[] = {
      {"vertex", {-30, 0}, {40, 0}, {100, 100}, 0},
      {"in-tangent handle", {-30, 0}, {40, 0}, {70, 100}, 1},
      {"out-tangent handle", {-30, 0}, {40, 0}, {140, 100}, 2},
      {"nearer to the in handle, still the vertex", {10, 0}, {40, 0}, {106, 100}, 0},
      {"in and out on one spot", {0, 30}, {0, 30}, {100, 130}, 1},
      {"all three on one spot", {0, 0}, {0, 0}, {100, 100}, 0},
      {"between the handles, out of reach", {-30, 0}, {40, 0}, {120, 100}, -1},
  };
  for (const Case& c : cases) {
    Set({100, 100}, c.in, c.out);
    const EventOutcome e = Click(c.click);
    ASSERT_TRUE(e.clean()) << c.what << ": " << e.command.describe();
    EXPECT_TRUE(e.changed.empty()) << c.what;
    if (c.handle < 0) {
      EXPECT_EQ(e.record.u.do_click.send_drag, 0) << c.what;
      continue;
    }
    EXPECT_EQ(e.record.u.do_click.send_drag, 1) << c.what;
    EXPECT_EQ(e.record.evt_out_flags, PF_EO_HANDLED_EVENT) << c.what;
    EXPECT_EQ(e.record.u.do_click.continue_refcon[3], c.handle) << c.what;
  }
}

TEST_F(BezierInteractionTest, TheReachIsFifteenPanelPixelsAcrossPlusDownForEveryHost) {
  struct Offset {
    A_long dh, dv;
    bool hit;
  };
  const Offset offsets[] = {{8, 7, true},  {8, 8, false},  {-8, -7, true}, {-7, 9, false},
                            {0, 15, true}, {0, -16, false}, {15, 0, true}, {-16, 0, false}};
  for (A_long appl : {host().inData().appl_id, kPremiere}) {
    host().inData().appl_id = appl;
    for (const Offset& o : offsets) {
      const std::string what = std::to_string(appl) + " at +" + std::to_string(o.dh) + ",+" +
                               std::to_string(o.dv);
      const EventOutcome e = Click({140 + o.dh, 100 + o.dv});  // around the out-tangent handle
      ASSERT_TRUE(e.clean()) << what << ": " << e.command.describe();
      EXPECT_EQ(e.record.u.do_click.send_drag, o.hit ? 1 : 0) << what;
      const int fabsCalls = static_cast<int>(
          host().log().filter([&](const testhost::Call& c) {
                   return c.name == "fabs" && c.command == host().commandSerial();
                 }).size());
      // The effect host's distances go through its ANSI suite, two per handle tested: the
      // out-tangent handle is tested last, after the vertex and the in-tangent handle.
      EXPECT_EQ(fabsCalls, appl == kPremiere ? 0 : 6) << what;
    }
  }
}

TEST_F(BezierInteractionTest, ThatOneHostNeedsNoANSISuiteForTheHitTest) {
  host().inData().appl_id = kPremiere;
  host().faults().refuseSuite("PF ANSI Suite", PF_Err_OUT_OF_MEMORY);
  const EventOutcome e = Click({100, 100});
  EXPECT_TRUE(e.clean()) << e.command.describe();
  EXPECT_EQ(e.record.u.do_click.send_drag, 1);
}

TEST_F(BezierInteractionTest, TheHitTestRoundsAHandleToAWholeLayerPixelFirst) {
  // h = x + 0.5 truncated toward zero: 10.5 tests at 11, -10.5 at -10 and -10.6 at -10.
  struct Case {
    double x;
    A_long tested;
  };
  for (const Case& c : {Case{10.5, 11}, Case{10.4, 10}, Case{-10.5, -10}, Case{-10.6, -10}}) {
    Set({c.x, 0}, {0, 0}, {0, 0});
    const EventOutcome hit = Click({c.tested + 15, 0});
    EXPECT_EQ(hit.record.u.do_click.send_drag, 1) << c.x;
    const EventOutcome miss = Click({c.tested + 16, 0});
    EXPECT_EQ(miss.record.u.do_click.send_drag, 0) << c.x;
    // The drag starts from the handle's exact position.
    EXPECT_EQ(hit.record.u.do_click.continue_refcon[1], testhost::ToFixed(c.x)) << c.x;
  }
}

TEST_F(BezierInteractionTest, EachDragEventAppliesThePositionTheEventBeforeItStored) {
  const GestureResult g = session.drag({{70, 100}, {{60, 90}, {50, 80}}, PF_Point{40, 70}, false});
  ASSERT_TRUE(g.clean());
  ASSERT_EQ(g.events.size(), 4u);
  struct Step {
    std::vector<A_intptr_t> state;  // x, y, handle after the event
    PointF inTangent;               // value after the event
    A_char sendDrag;
  };
  const Step steps[] = {
      {{Fx(70), Fx(100), 1}, {-30, 0}, 1},  // click: the handle's own position
      {{Fx(60), Fx(90), 1}, {-30, 0}, 1},   // first drag: applies the click's, no jump
      {{Fx(50), Fx(80), 1}, {-40, -10}, 1},
      {{Fx(40), Fx(70), 1}, {-50, -20}, 0},  // release: stores its own, applies the one before
  };
  for (std::size_t i = 0; i < g.events.size(); ++i) {
    const EventOutcome& e = g.events[i];
    EXPECT_EQ(State(e), steps[i].state) << "event " << i;
    EXPECT_EQ(e.record.u.do_click.send_drag, steps[i].sendDrag) << "event " << i;
    if (i > 0) {
      EXPECT_EQ(e.changed, std::vector<PF_ParamIndex>{BezierSession::kInTangent}) << "event " << i;
      EXPECT_EQ(e.record.evt_out_flags, PF_EO_HANDLED_EVENT) << "event " << i;
    }
  }
  EXPECT_EQ(session.inTangent().x, -50);
  EXPECT_EQ(session.inTangent().y, -20);
  EXPECT_EQ(session.vertex().x, 100);
}

TEST_F(BezierInteractionTest, ReleasingOnTheFirstDragEventKeepsEveryValue) {
  const GestureResult g = session.drag({{140, 100}, {}, PF_Point{300, 250}, true});
  ASSERT_EQ(g.events.size(), 2u);
  EXPECT_EQ(g.events[1].changed, std::vector<PF_ParamIndex>{BezierSession::kOutTangent});
  EXPECT_EQ(session.outTangent().x, 40);
  EXPECT_EQ(session.outTangent().y, 0);
}

TEST_F(BezierInteractionTest, DraggingTheVertexCarriesTheHandlesButNotTheirValues) {
  session.drag({{100, 100}, {{120, 110}}, PF_Point{120, 110}, false});
  EXPECT_EQ(session.vertex().x, 120);
  EXPECT_EQ(session.vertex().y, 110);
  EXPECT_EQ(session.inTangent().x, -30);
  EXPECT_EQ(session.outTangent().x, 40);
  EXPECT_EQ(session.handleInPanel(BezierSession::kInTangent).x, 90);
  // The next press finds the in handle where it is drawn now.
  EXPECT_EQ(Click({90, 110}).record.u.do_click.continue_refcon[3], 1);
}

TEST_F(BezierInteractionTest, AVertexDragStoresExactlyTheMousePositionInLayerSpace) {
  session.showPanel(PanelKind::Layer, {}, {4, {8, 12}});  // frame = layer * 4 - scroll
  const GestureResult g = session.drag({{392, 388}, {{395, 389}}, PF_Point{395, 389}, false});
  ASSERT_EQ(g.events.size(), 3u);
  // (395 + 8) / 4 = 100.75 and (389 + 12) / 4 = 100.25.
  EXPECT_EQ(session.vertex().x, 100.75);
  EXPECT_EQ(session.vertex().y, 100.25);
}

TEST_F(BezierInteractionTest, ShiftKeepsATangentOnItsDirection) {
  struct Case {
    const char* what;
    PointF out;
    PF_Point to;
    bool shift;
    PointF expected;
  };
  const Case cases[] = {
      {"free", {40, 0}, {150, 130}, false, {50, 30}},
      {"along its direction", {40, 0}, {150, 130}, true, {50, 0}},
      {"across the vertex: turned the other way", {40, 0}, {60, 120}, true, {-40, 0}},
      {"diagonal", {20, 20}, {130, 110}, true, {20, 20}},
      {"diagonal, shortened", {20, 20}, {110, 110}, true, {10, 10}},
  };
  for (const Case& c : cases) {
    Set({100, 100}, {-30, 0}, c.out);
    const PointF handle = session.handleInPanel(BezierSession::kOutTangent);
    const PF_Point press{static_cast<A_long>(handle.x), static_cast<A_long>(handle.y)};
    const GestureResult g = session.drag({press, {c.to}, c.to, c.shift});
    ASSERT_EQ(g.events.size(), 3u) << c.what;
    EXPECT_DOUBLE_EQ(session.outTangent().x, c.expected.x) << c.what;
    EXPECT_DOUBLE_EQ(session.outTangent().y, c.expected.y) << c.what;
    EXPECT_EQ(session.vertex().x, 100) << c.what;
  }
}

TEST_F(BezierInteractionTest, ShiftLeavesATangentWithoutLengthFree) {
  // A tangent of no length lies under the vertex, so only a drag already under way reaches it.
  Set({100, 100}, {-30, 0}, {0, 0});
  PF_EventExtra drag = session.panel().newEvent(PF_Event_DRAG);
  drag.u.do_click.continue_refcon[1] = Fx(130);
  drag.u.do_click.continue_refcon[2] = Fx(80);
  drag.u.do_click.continue_refcon[3] = 2;
  drag.u.do_click.modifiers = PF_Mod_SHIFT_KEY;
  drag.u.do_click.screen_point = {0, 0};
  const EventOutcome e = session.panel().send(host(), drag);
  EXPECT_TRUE(e.clean()) << e.command.describe();
  EXPECT_EQ(session.outTangent().x, 30);
  EXPECT_EQ(session.outTangent().y, -20);
}

TEST_F(BezierInteractionTest, InTheCompositionPanelTheDragFollowsTheLayerTransformAtTheCurrentTime) {
  testhost::LayerTransform at0{{200, 100}, {0, 0}, {200, 200}, 0};
  testhost::LayerTransform at2{{200, 100}, {0, 0}, {200, 200}, 90};
  session.showPanel(PanelKind::Composition, at0, {});
  session.panel().setTransformAt(2, at2);
  session.setTime(60);  // 2 seconds at 30 per second: rotated by 90 degrees, clockwise
  const PointF vertex = session.handleInPanel(BezierSession::kVertex);
  EXPECT_NEAR(vertex.x, 0, 1e-9);  // (100, 100) * 2 turned: (-200, 200), then + (200, 100)
  EXPECT_NEAR(vertex.y, 300, 1e-9);
  const GestureResult g = session.drag({{0, 300}, {{-20, 300}}, PF_Point{-20, 300}, false});
  ASSERT_TRUE(g.clean());
  // 20 panel pixels left is 10 layer pixels along the layer's y axis.
  EXPECT_EQ(session.vertex().x, 100);
  EXPECT_EQ(session.vertex().y, 110);
  for (const testhost::Call& c : host().log().named("comp_to_layer")) {
    EXPECT_EQ(c.args[1], "60");
    EXPECT_EQ(c.args[2], "30");
  }
}

TEST_F(BezierInteractionTest, ValuesThatNoLongerFitInFixedPointAreNeverWritten) {
  // A tangent offset beyond 32768 pixels is refused: the tangent keeps its value and is not
  // marked changed; the drag goes on and takes the next position that fits.
  Set({30000, 100}, {-30, 0}, {100, 0});
  const GestureResult g =
      session.drag({{30100, 100}, {{-3000, 100}, {-2000, 100}}, PF_Point{-2000, 100}, false});
  ASSERT_TRUE(g.clean());
  ASSERT_EQ(g.events.size(), 4u);
  EXPECT_EQ(g.events[2].changed, std::vector<PF_ParamIndex>{});  // -33000 does not fit
  EXPECT_EQ(g.events[3].changed, std::vector<PF_ParamIndex>{BezierSession::kOutTangent});
  EXPECT_EQ(session.outTangent().x, -32000);

  // A handle whose position does not fit cannot be grabbed.
  Set({30000, 100}, {-30, 0}, {30000, 0});
  const EventOutcome e = Click({32767, 100});
  EXPECT_TRUE(e.clean()) << e.command.describe();
  EXPECT_EQ(e.record.u.do_click.send_drag, 0);

  // Nor does a mouse far outside the panel upset the hit test or the drag.
  const A_long far = std::numeric_limits<A_long>::min();
  EXPECT_EQ(Click({far, far}).record.u.do_click.send_drag, 0);
  Set({100, 100}, {-30, 0}, {40, 0});
  const GestureResult wild = session.drag({{100, 100}, {{far, far}}, PF_Point{far, 100}, false});
  EXPECT_TRUE(wild.clean());
  EXPECT_EQ(session.vertex().x, -32768);
}

TEST_F(BezierInteractionTest, AStoredHandleThatIsNoHandleChangesNothing) {
  PF_EventExtra drag = session.panel().newEvent(PF_Event_DRAG);
  drag.u.do_click.continue_refcon[3] = 3;
  drag.u.do_click.last_time = 1;
  drag.u.do_click.send_drag = 1;
  const EventOutcome e = session.panel().send(host(), drag);
  EXPECT_TRUE(e.changed.empty());
  EXPECT_EQ(e.record.u.do_click.send_drag, 0);
  EXPECT_EQ(e.record.evt_out_flags, PF_EO_HANDLED_EVENT);
}

}  // namespace
