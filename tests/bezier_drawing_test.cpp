// Drawing the vertex and its tangent handles over the Composition and Layer panels: the host
// drawing calls in order, what a failing call leaves behind, and the pixels that reach the panel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bezier_fixture.h"

namespace {

using testhost::BezierSession;
using testhost::Canvas;
using testhost::ColorF;
using testhost::EventOutcome;
using testhost::Fault;
using testhost::Host;
using testhost::PanelKind;
using testhost::PointF;
using testhost::Rgba8;

const ColorF kYellow{1, 1, 0, 0.9f};
const Rgba8 kLineOnBackground = Canvas::blend(testhost::Panel::kBackground, kYellow);

bool Handle(Rgba8 p) { return p.r > 200 && p.g > 200 && p.b < 100; }

class BezierDrawingTest : public zelfin_test::BezierLayerPanelTest {
 protected:
  EventOutcome Draw() { return session.panel().draw(session.host()); }

  // The host calls of the last command, "name(args)"; an object being released is named by its
  // kind, since its address says nothing.
  std::vector<std::string> Calls(bool drawingOnly) {
    static const std::vector<std::string> kSuiteCalls = {"AcquireSuite", "ReleaseSuite",
                                                         "PF_GetDrawingReference",
                                                         "source_to_frame", "layer_to_comp"};
    std::vector<std::string> out;
    for (const testhost::Call& c : host().log().ofCommand(host().commandSerial())) {
      bool suiteCall = false;
      for (const std::string& s : kSuiteCalls) suiteCall |= c.name == s;
      if (drawingOnly && suiteCall) continue;
      std::string line = c.name;
      if (c.name == "ReleaseObject") {
        void* ref = reinterpret_cast<void*>(std::strtoull(c.args[0].c_str(), nullptr, 16));
        using Kind = testhost::DrawObjects::Kind;
        line += host().drawObjects().is(ref, Kind::Pen) ? "(pen)" : "(path)";
      } else if (c.name != "PF_GetDrawingReference") {
        line += "(";
        for (std::size_t i = 0; i < c.args.size(); ++i) line += (i ? ", " : "") + c.args[i];
        line += ")";
      }
      out.push_back(line);
    }
    return out;
  }
  const Canvas& canvas() { return session.panel().canvas(); }
};

TEST_F(BezierDrawingTest, DrawsALineAndThreeSquaresWithTheseCallsInThisOrder) {
  const EventOutcome e = Draw();
  ASSERT_TRUE(e.clean()) << e.command.describe();
  EXPECT_EQ(e.record.evt_out_flags, PF_EO_HANDLED_EVENT);
  EXPECT_TRUE(e.changed.empty());
  const std::vector<std::string> expected = {
      "AcquireSuite(DRAWBOT Draw Suite, 1)",
      "AcquireSuite(DRAWBOT Supplier Suite, 1)",
      "AcquireSuite(DRAWBOT Surface Suite, 1)",
      "AcquireSuite(DRAWBOT Path Suite, 1)",
      "AcquireSuite(PF Effect Custom UI Suite, 1)",
      "PF_GetDrawingReference",
      "AcquireSuite(DRAWBOT Draw Suite, 1)",
      "GetSurface()",
      "GetSupplier()",
      "NewPath()",
      "NewPen(rgba(1, 1, 0, 0.9), 2)",
      "source_to_frame((70, 100))",
      "source_to_frame((100, 100))",
      "source_to_frame((140, 100))",
      "MoveTo(70, 100)",
      "LineTo(100, 100)",
      "LineTo(140, 100)",
      "AcquireSuite(DRAWBOT Surface Suite, 1)",
      "StrokePath()",
      "PaintRect(rgba(1, 1, 0, 0.9), 66, 96, 8, 8)",
      "PaintRect(rgba(1, 1, 0, 0.9), 96, 96, 8, 8)",
      "PaintRect(rgba(1, 1, 0, 0.9), 136, 96, 8, 8)",
      "ReleaseObject(pen)",
      "ReleaseObject(path)",
      "ReleaseSuite(DRAWBOT Draw Suite, 1)",
      "ReleaseSuite(DRAWBOT Supplier Suite, 1)",
      "ReleaseSuite(DRAWBOT Surface Suite, 1)",
      "ReleaseSuite(DRAWBOT Path Suite, 1)",
      "ReleaseSuite(PF Effect Custom UI Suite, 1)",
      "ReleaseSuite(DRAWBOT Draw Suite, 1)",
      "ReleaseSuite(DRAWBOT Surface Suite, 1)",
  };
  EXPECT_EQ(Calls(false), expected);
}

TEST_F(BezierDrawingTest, WithoutADrawingReferenceNothingIsDrawnAndTheEventIsStillHandled) {
  session.panel().setDrawable(false);
  const EventOutcome e = Draw();
  ASSERT_TRUE(e.clean()) << e.command.describe();
  EXPECT_EQ(e.record.evt_out_flags, PF_EO_HANDLED_EVENT);
  EXPECT_EQ(Calls(true), std::vector<std::string>{});
  EXPECT_EQ(e.command.liveSuites, 0);
  EXPECT_EQ(canvas().count(Handle), 0);
}

TEST_F(BezierDrawingTest, APanelThatDoesNotPaintRecordsTheSameDrawingButKeepsItsPixels) {
  ASSERT_TRUE(Draw().clean());
  const std::vector<std::string> calls = Calls(false);
  ASSERT_GT(canvas().count(Handle), 0);
  session.panel().setPainting(false);
  const EventOutcome recorded = Draw();
  ASSERT_TRUE(recorded.clean()) << recorded.command.describe();
  EXPECT_EQ(Calls(false), calls);
  EXPECT_EQ(canvas().count(Handle), 0);
}

TEST_F(BezierDrawingTest, AFailingDrawingCallStopsTheDrawingAndReleasesEverything) {
  const std::vector<std::string> made = {
      "GetSurface()", "GetSupplier()", "NewPath()", "NewPen(rgba(1, 1, 0, 0.9), 2)",
      "MoveTo(70, 100)", "LineTo(100, 100)", "LineTo(140, 100)", "StrokePath()",
      "PaintRect(rgba(1, 1, 0, 0.9), 66, 96, 8, 8)", "PaintRect(rgba(1, 1, 0, 0.9), 96, 96, 8, 8)",
      "PaintRect(rgba(1, 1, 0, 0.9), 136, 96, 8, 8)"};
  auto upTo = [&](std::size_t count, int released) {
    std::vector<std::string> calls(made.begin(), made.begin() + static_cast<std::ptrdiff_t>(count));
    if (released == 2) calls.push_back("ReleaseObject(pen)");
    if (released >= 1) calls.push_back("ReleaseObject(path)");
    return calls;
  };
  struct Case {
    const char* call;
    int occurrence;
    std::vector<std::string> calls;  // the drawing calls made
    int unreleased;                  // objects the host refused to take back
  };
  const Case cases[] = {
      {"PF_GetDrawingReference", 1, {}, 0},
      {"GetSurface", 1, upTo(1, 0), 0},
      {"GetSupplier", 1, upTo(2, 0), 0},
      {"NewPath", 1, upTo(3, 0), 0},
      {"NewPen", 1, upTo(4, 1), 0},
      {"MoveTo", 1, upTo(5, 2), 0},
      {"LineTo", 1, upTo(6, 2), 0},
      {"LineTo", 2, upTo(7, 2), 0},
      {"StrokePath", 1, upTo(8, 2), 0},
      {"PaintRect", 1, upTo(9, 2), 0},
      {"PaintRect", 2, upTo(10, 2), 0},
      {"PaintRect", 3, upTo(11, 2), 0},
      {"ReleaseObject", 1, upTo(11, 2), 1},
      {"ReleaseObject", 2, upTo(11, 2), 1},
  };
  for (const Case& c : cases) {
    const std::string what = std::string(c.call) + " #" + std::to_string(c.occurrence);
    host().faults().clear();
    host().faults().failAt(c.call, c.occurrence, Fault::fail(-7));
    const int liveBefore = host().drawObjects().live();
    const EventOutcome e = Draw();
    EXPECT_EQ(e.command.err, PF_Err_NONE) << what;
    EXPECT_FALSE(e.command.escaped) << what;
    EXPECT_EQ(e.record.evt_out_flags, PF_EO_HANDLED_EVENT) << what;
    EXPECT_EQ(Calls(true), c.calls) << what;
    EXPECT_TRUE(e.command.suiteProblems.empty()) << what << ": " << e.command.describe();
    EXPECT_EQ(e.command.liveSuites, 0) << what;
    EXPECT_EQ(host().drawObjects().live() - liveBefore, c.unreleased) << what;
    // The objects whose release the host failed stay on its books.
    EXPECT_EQ(testhost::RulesOf(e.command.violations),
              c.unreleased ? std::vector<testhost::HostRule>{testhost::HostRule::DrawingObjectKept}
                           : std::vector<testhost::HostRule>{})
        << what;
    // Nothing for the user to see: no error dialog.
    EXPECT_EQ(e.command.after.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0) << what;
  }
}

TEST_F(BezierDrawingTest, ReleasesThatAllFailDoNotEndTheProcess) {
  host().faults().failEvery("ReleaseObject", Fault::fail(-3));
  const EventOutcome e = Draw();
  EXPECT_EQ(e.command.err, PF_Err_NONE);
  EXPECT_FALSE(e.command.escaped);
  EXPECT_EQ(host().log().count("ReleaseObject"), 2);
  EXPECT_EQ(e.command.liveSuites, 0);
}

TEST_F(BezierDrawingTest, AnUnexpectedFailureInsideTheDrawingStillReleasesEverything) {
  host().faults().failAt("StrokePath", 1, Fault::throwUnknown());
  const EventOutcome e = Draw();
  EXPECT_FALSE(e.command.escaped) << e.command.describe();
  EXPECT_EQ(e.command.err, PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_TRUE(e.command.suiteProblems.empty()) << e.command.describe();
  EXPECT_EQ(e.command.liveSuites, 0);
  EXPECT_EQ(host().drawObjects().live(), 0);
}

TEST_F(BezierDrawingTest, ADrawingSuiteTheHostRefusesIsNeitherCalledNorGivenBack) {
  for (const char* refused : {"DRAWBOT Draw Suite", "DRAWBOT Supplier Suite",
                              "DRAWBOT Surface Suite", "DRAWBOT Path Suite"}) {
    host().faults().clear();
    host().faults().refuseSuite(refused, 0);  // success, but no suite
    const EventOutcome e = Draw();
    EXPECT_EQ(e.command.err, PF_Err_NONE) << refused;
    EXPECT_EQ(e.record.evt_out_flags, PF_EO_HANDLED_EVENT) << refused;
    // The suite helper tells the user which part of the host is missing.
    EXPECT_EQ(Calls(true),
              std::vector<std::string>{"PF_SPRINTF(%s, Not able to acquire AEFX Suite.)"})
        << refused;
    EXPECT_NE(e.command.after.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0) << refused;
    EXPECT_TRUE(e.command.suiteProblems.empty()) << refused << ": " << e.command.describe();
    EXPECT_EQ(e.command.liveSuites, 0) << refused;
  }
}

TEST_F(BezierDrawingTest, TheLineRunsThroughTheVertexTwoPixelsWide) {
  ASSERT_TRUE(Draw().clean());
  // Halfway between the vertex and each handle, on the horizontal line at y = 100.
  for (int x : {85, 120}) {
    EXPECT_EQ(canvas().at(x, 99), kLineOnBackground) << x;
    EXPECT_EQ(canvas().at(x, 100), kLineOnBackground) << x;
    EXPECT_EQ(canvas().at(x, 98), testhost::Panel::kBackground) << x;
    EXPECT_EQ(canvas().at(x, 101), testhost::Panel::kBackground) << x;
  }
  // The line ends at the handles: nothing of it beyond their squares.
  EXPECT_EQ(canvas().bounds(Handle).left, 66);
  EXPECT_EQ(canvas().bounds(Handle).right, 144);
}

TEST_F(BezierDrawingTest, TheSquaresAreEightPanelPixelsAtAnyZoom) {
  session.setValue(BezierSession::kInTangent, {0, 0});
  session.setValue(BezierSession::kOutTangent, {0, 0});
  for (double zoom : {0.25, 1.0, 3.5}) {
    session.showPanel(PanelKind::Layer, {}, {zoom, {0, 0}});
    ASSERT_TRUE(Draw().clean()) << zoom;
    const Canvas::Box box = canvas().bounds(Handle);
    const int centre = static_cast<int>(100 * zoom);
    EXPECT_EQ(box.left, centre - 4) << zoom;
    EXPECT_EQ(box.top, centre - 4) << zoom;
    EXPECT_EQ(box.width(), 8) << zoom;
    EXPECT_EQ(box.height(), 8) << zoom;
  }
}

TEST_F(BezierDrawingTest, InTheCompositionPanelTheHandlesFollowTheLayerAtTheCurrentTime) {
  session.showPanel(PanelKind::Composition, {{100, 50}, {0, 0}, {100, 100}, 0}, {});
  session.panel().setTransformAt(1, {{300, 150}, {0, 0}, {100, 100}, 0});
  session.host().inData().time_scale = 24;
  for (A_long time : {0, 12, 24, 48}) {
    session.setTime(time);
    ASSERT_TRUE(Draw().clean()) << time;
    const double shift = time >= 24 ? 200 : 200.0 * time / 24;
    const Canvas::Box box = canvas().bounds(Handle);
    EXPECT_EQ(box.left, static_cast<int>(100 + shift) + 70 - 4) << time;
    EXPECT_EQ(box.top, static_cast<int>(50 + shift / 2) + 100 - 4) << time;
    const std::vector<testhost::Call> toComp = host().log().filter([&](const testhost::Call& c) {
      return c.name == "layer_to_comp" && c.command == host().commandSerial();
    });
    ASSERT_EQ(toComp.size(), 3u) << time;
    for (const testhost::Call& c : toComp) {
      EXPECT_EQ(c.args[1], std::to_string(time));
      EXPECT_EQ(c.args[2], "24");
    }
  }
}

TEST_F(BezierDrawingTest, InTheLayerPanelTheHandlesDependOnlyOnTheView) {
  session.panel().setTransform({{300, 150}, {10, 10}, {50, 200}, 30});
  session.panel().setTransformAt(2, {{0, 0}, {0, 0}, {100, 100}, 0});
  std::vector<Rgba8> first;
  for (A_long time : {0, 30, 90}) {
    session.setTime(time);
    ASSERT_TRUE(Draw().clean()) << time;
    EXPECT_EQ(host().log().count("layer_to_comp"), 0);
    // The layer outline the host paints moves nowhere either: compare the whole panel.
    if (first.empty()) first = canvas().pixels();
    EXPECT_TRUE(canvas().pixels() == first) << time;
  }
  EXPECT_EQ(canvas().bounds(Handle).left, 66);
}

TEST_F(BezierDrawingTest, HandlesBeyondFixedPointAreDrawnAtItsEdge) {
  session.setValue(BezierSession::kVertex, {32000, 100});
  session.setValue(BezierSession::kOutTangent, {32000, 0});
  const EventOutcome e = Draw();
  ASSERT_TRUE(e.clean()) << e.command.describe();
  EXPECT_EQ(host().log().named("LineTo").back().args[0], "32768");
}

}  // namespace
