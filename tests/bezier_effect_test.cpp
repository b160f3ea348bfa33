// Bezier Control as the host sets it up and routes its panel events: the parameter list, the
// registration of its custom UI, and which events reach which handler.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bezier_fixture.h"
#include "param_expectations.h"

namespace {

using testhost::BezierSession;
using testhost::CommandResult;
using testhost::EventOutcome;
using testhost::Fault;
using testhost::Host;
using testhost::Panel;
using testhost::PanelKind;
using testhost::PointF;

constexpr const char* kEntry = "EntryPointFunc_bezier";

PF_ParamDef PointDef(A_long id, const char* name, PF_Fixed xy) {
  PF_ParamDef def = expect::Base(id, PF_Param_POINT, name, 0);
  def.u.td.x_value = def.u.td.x_dephault = xy;
  def.u.td.y_value = def.u.td.y_dephault = xy;
  return def;
}

class BezierEffectTest : public ::testing::Test {
 protected:
  Host host{zelfin_test::Plugin(), kEntry};
};

TEST_F(BezierEffectTest, GlobalSetupAsksForTheCustomUIInsteadOfParameterUpdates) {
  host.outDataPreset().out_flags = 0x1;
  host.outDataPreset().out_flags2 = 0x2;
  const CommandResult r = host.globalSetup();
  EXPECT_TRUE(r.clean()) << r.describe();
  EXPECT_EQ(r.err, PF_Err_NONE);
  EXPECT_EQ(r.after.out_flags, 0x02008001u);
  EXPECT_EQ(r.after.out_flags2, 0x1402u);
  EXPECT_NE(host.globalData(), nullptr);
}

TEST_F(BezierEffectTest, RegistersAVertexTwoTangentsAndItsPanelUI) {
  const CommandResult r = host.paramsSetup();
  ASSERT_TRUE(r.clean()) << r.describe();
  ASSERT_EQ(r.err, PF_Err_NONE);
  const PF_ParamDef expected[] = {PointDef(1, "Vertex", expect::kFixed50),
                                  PointDef(2, "In Tangent", 0), PointDef(3, "Out Tangent", 0)};
  ASSERT_EQ(host.paramCount(), 4);
  for (int i = 1; i <= 3; ++i) EXPECT_TRUE(expect::SameDef(expected[i - 1], host.param(i)));
  EXPECT_EQ(host.declaredNumParams(), 4);

  ASSERT_TRUE(host.customUI().has_value());
  PF_CustomUIInfo ui{};
  ui.events = PF_CustomEFlag_COMP | PF_CustomEFlag_LAYER;
  EXPECT_EQ(std::memcmp(&*host.customUI(), &ui, sizeof ui), 0) << "only events is set, to 3";
  EXPECT_EQ(host.log().names(), (std::vector<std::string>{"PF_STRCPY", "add_param", "PF_STRCPY",
                                                          "add_param", "PF_STRCPY", "add_param",
                                                          "register_ui"}));
}

TEST_F(BezierEffectTest, TheParameterCountStandsEvenWhenTheUICannotBeRegistered) {
  host.faults().failAt("register_ui", 1, Fault::fail(PF_Err_OUT_OF_MEMORY));
  const CommandResult r = host.paramsSetup();
  EXPECT_EQ(r.err, PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(r.after.num_params, 4);
  EXPECT_EQ(host.paramCount(), 4);
}

TEST_F(BezierEffectTest, ARefusedParameterEndsTheSetup) {
  host.faults().failAt("add_param", 2, Fault::fail(PF_Err_OUT_OF_MEMORY));
  const CommandResult r = host.paramsSetup();
  EXPECT_EQ(r.err, PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(host.log().count("add_param"), 2);
  EXPECT_EQ(host.log().count("register_ui"), 0);
  EXPECT_FALSE(host.customUI().has_value());
  EXPECT_EQ(r.after.num_params, 0);
}

TEST_F(BezierEffectTest, UpdateParamsUIChangesNothing) {
  ASSERT_EQ(host.paramsSetup().err, PF_Err_NONE);
  host.log().clear();
  const CommandResult r = host.updateParamsUI();
  EXPECT_EQ(r.err, PF_Err_NONE);
  EXPECT_TRUE(r.outDataUntouched());
  EXPECT_TRUE(host.log().empty()) << host.log().dump();
}

class BezierRoutingTest : public zelfin_test::BezierLayerPanelTest {
 protected:
  // The calls made during the last command.
  std::vector<testhost::Call> LastCalls() {
    return host().log().ofCommand(host().commandSerial());
  }
};

TEST_F(BezierRoutingTest, EventsOutsideTheTwoPanelsOrOfOtherKindsAreLeftAlone) {
  struct Case {
    const char* what;
    PF_EventType type;
    PF_WindowType window;
  };
  const Case cases[] = {
      {"click in the Effect Controls panel", PF_Event_DO_CLICK, PF_Window_EFFECT},
      {"drag in the Effect Controls panel", PF_Event_DRAG, PF_Window_EFFECT},
      {"draw in the Effect Controls panel", PF_Event_DRAW, PF_Window_EFFECT},
      {"draw in an unknown window", PF_Event_DRAW, 7},
      {"key down", PF_Event_KEYDOWN, PF_Window_LAYER},
      {"cursor", PF_Event_ADJUST_CURSOR, PF_Window_COMP},
      {"idle", PF_Event_IDLE, PF_Window_COMP},
      {"new context", PF_Event_NEW_CONTEXT, PF_Window_LAYER},
  };
  for (const Case& c : cases) {
    PF_Context context = **panel().contextH();
    context.w_type = c.window;
    PF_Context* contextP = &context;
    PF_EventExtra event = panel().newEvent(c.type);
    event.contextH = &contextP;
    event.evt_out_flags = 0x40;
    event.u.do_click.screen_point = {100, 100};  // right on the vertex
    event.u.do_click.continue_refcon[3] = 0;
    const EventOutcome out = panel().send(host(), event);
    EXPECT_TRUE(out.clean()) << c.what << ": " << out.command.describe();
    EXPECT_EQ(out.record.evt_out_flags, 0x40) << c.what;
    EXPECT_EQ(out.record.e_type, c.type) << c.what;
    EXPECT_TRUE(out.changed.empty()) << c.what;
    EXPECT_EQ(out.record.u.do_click.send_drag, 0) << c.what;
    EXPECT_TRUE(LastCalls().empty()) << c.what;
  }
}

TEST_F(BezierRoutingTest, AnEventWithoutAContextIsLeftAlone) {
  PF_EventExtra event = panel().newEvent(PF_Event_DRAW);
  event.contextH = nullptr;
  const EventOutcome out = panel().send(host(), event);
  EXPECT_TRUE(out.clean()) << out.command.describe();
  EXPECT_EQ(out.record.evt_out_flags, 0);
  EXPECT_TRUE(LastCalls().empty());
}

TEST_F(BezierRoutingTest, HandledEventsGetTheFlagWordAssignedNotOred) {
  PF_EventExtra draw = panel().newEvent(PF_Event_DRAW);
  draw.evt_out_flags = 0x6;
  EXPECT_EQ(panel().send(host(), draw).record.evt_out_flags, PF_EO_HANDLED_EVENT);

  PF_EventExtra hit = panel().newEvent(PF_Event_DO_CLICK);
  hit.evt_out_flags = 0x6;
  hit.u.do_click.screen_point = {100, 100};
  EXPECT_EQ(panel().send(host(), hit).record.evt_out_flags, PF_EO_HANDLED_EVENT);

  PF_EventExtra drag = panel().newEvent(PF_Event_DRAG);
  drag.evt_out_flags = 0x6;
  drag.u.do_click.continue_refcon[3] = 7;  // no handle: nothing changes, still handled
  const EventOutcome dragged = panel().send(host(), drag);
  EXPECT_EQ(dragged.record.evt_out_flags, PF_EO_HANDLED_EVENT);
  EXPECT_TRUE(dragged.changed.empty());
  EXPECT_EQ(dragged.record.u.do_click.send_drag, 1);
}

TEST_F(BezierRoutingTest, AClickThatHitsNothingStartsNoDragAndIsNotHandled) {
  PF_EventExtra event = panel().newEvent(PF_Event_DO_CLICK);
  event.evt_out_flags = 0x6;
  event.u.do_click.screen_point = {300, 300};
  event.u.do_click.continue_refcon[1] = 11;
  const EventOutcome out = panel().send(host(), event);
  EXPECT_TRUE(out.clean()) << out.command.describe();
  EXPECT_EQ(out.record.evt_out_flags, 0x6);
  EXPECT_EQ(out.record.u.do_click.send_drag, 0);
  EXPECT_EQ(out.record.u.do_click.continue_refcon[1], 11);
  EXPECT_TRUE(out.changed.empty());
}

TEST_F(BezierRoutingTest, AClickDuringADragIsTakenForADrag) {
  // As some hosts send a drag: clicks with send_drag still set after the press.
  testhost::Gesture gesture{{100, 100}, {{110, 105}}, PF_Point{120, 110}, false, true};
  const testhost::GestureResult g = session.drag(gesture);
  ASSERT_EQ(g.events.size(), 3u);
  EXPECT_EQ(g.events[0].record.e_type, PF_Event_DO_CLICK);
  for (std::size_t i = 1; i < g.events.size(); ++i) {
    EXPECT_EQ(g.events[i].record.e_type, PF_Event_DRAG) << i;
    EXPECT_EQ(g.events[i].record.evt_out_flags, PF_EO_HANDLED_EVENT) << i;
  }
  EXPECT_EQ(session.vertex().x, 110);
  EXPECT_EQ(session.vertex().y, 105);
}

TEST_F(BezierRoutingTest, AMissingSuiteEndsTheEventWithItsErrorAndLeavesNothingHeld) {
  struct Case {
    const char* suite;
    PF_EventType type;
  };
  for (const Case& c : {Case{"PF ANSI Suite", PF_Event_DO_CLICK},
                        Case{"PF Effect Custom UI Suite", PF_Event_DRAW},
                        Case{"DRAWBOT Surface Suite", PF_Event_DRAW}}) {
    host().faults().clear();
    host().faults().refuseSuite(c.suite, PF_Err_OUT_OF_MEMORY);
    PF_EventExtra event = panel().newEvent(c.type);
    event.u.do_click.screen_point = {100, 100};
    const EventOutcome out = panel().send(host(), event);
    EXPECT_TRUE(out.command.clean()) << c.suite << ": " << out.command.describe();
    EXPECT_EQ(out.command.liveSuites, 0) << c.suite;
    EXPECT_EQ(out.record.u.do_click.send_drag, 0) << c.suite;
    if (std::string(c.suite) == "DRAWBOT Surface Suite") {
      // The drawing suites come through the helper: drawing stops, the event is still drawn.
      EXPECT_EQ(out.command.err, PF_Err_NONE);
      EXPECT_EQ(out.record.evt_out_flags, PF_EO_HANDLED_EVENT);
      EXPECT_EQ(host().log().count("GetSurface"), 0);
    } else {
      EXPECT_EQ(out.command.err, PF_Err_BAD_CALLBACK_PARAM) << c.suite;
    }
  }
}

TEST(BezierApplyTest, ANewlyAppliedEffectHasItsVertexAtTheLayerCentreWithTheHandlesOnIt) {
  testhost::BezierSessionSetup setup;
  setup.layerWidth = 300;
  setup.layerHeight = 120;
  BezierSession session(zelfin_test::Plugin(), setup);
  EXPECT_EQ(session.vertex().x, 150);
  EXPECT_EQ(session.vertex().y, 60);
  EXPECT_EQ(session.inTangent().x, 0);
  EXPECT_EQ(session.outTangent().y, 0);
  session.draw();
  // Three squares on one spot: one 8 by 8 patch of the handle colour.
  const PointF at = session.handleInPanel(BezierSession::kVertex);
  const testhost::Canvas::Box box =
      session.panel().canvas().bounds([](testhost::Rgba8 p) { return p.r > 200 && p.b < 100; });
  EXPECT_EQ(box.width(), 8);
  EXPECT_EQ(box.height(), 8);
  EXPECT_EQ(box.left, static_cast<int>(at.x) - 4);
  EXPECT_EQ(box.top, static_cast<int>(at.y) - 4);
}

}  // namespace
