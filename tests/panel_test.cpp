// The stand-in host's panels: where the layer sits in the composition, how the panel shows it,
// the conversion callbacks in 16.16, the pixels drawn, and gestures sent as the host sends them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "testhost/testhost.h"

namespace {

using testhost::Canvas;
using testhost::ColorF;
using testhost::FrameView;
using testhost::Gesture;
using testhost::Host;
using testhost::LayerTransform;
using testhost::Panel;
using testhost::PanelKind;
using testhost::PointF;
using testhost::Rgba8;

void ExpectNear(PointF actual, PointF expected, const std::string& what) {
  EXPECT_NEAR(actual.x, expected.x, 1e-9) << what;
  EXPECT_NEAR(actual.y, expected.y, 1e-9) << what;
}

TEST(PanelTest, TheLayerTransformPlacesScalesAndTurnsClockwise) {
  Panel panel(PanelKind::Composition, 100, 100);
  struct Case {
    const char* what;
    LayerTransform t;
    PointF layer, comp;
  };
  const Case cases[] = {
      {"identity", {}, {3, 4}, {3, 4}},
      {"position is where the anchor lands", {{50, 60}, {10, 20}, {100, 100}, 0}, {10, 20}, {50, 60}},
      {"scale in percent about the anchor", {{0, 0}, {10, 10}, {200, 50}, 0}, {20, 20}, {20, 5}},
      {"90 degrees turns +x to +y", {{0, 0}, {0, 0}, {100, 100}, 90}, {1, 0}, {0, 1}},
      {"all together", {{100, 100}, {5, 5}, {200, 200}, 180}, {6, 5}, {98, 100}},
  };
  for (const Case& c : cases) {
    panel.setTransform(c.t);
    ExpectNear(panel.layerToComp(c.layer, 0), c.comp, c.what);
    ExpectNear(*panel.compToLayer(c.comp, 0), c.layer, c.what);
  }
  panel.setTransform({{0, 0}, {0, 0}, {0, 100}, 0});
  EXPECT_FALSE(panel.compToLayer({1, 1}, 0).has_value()) << "a zero scale has no inverse";
}

TEST(PanelTest, KeyedTransformsAreInterpolatedAndHeldOutsideTheKeys) {
  Panel panel(PanelKind::Composition, 100, 100);
  panel.setTransformAt(1, {{10, 0}, {0, 0}, {100, 100}, 0});
  panel.setTransformAt(3, {{30, 40}, {0, 0}, {300, 100}, 90});
  const struct {
    double seconds;
    double x, y, scale, rotation;
  } expected[] = {{0, 10, 0, 100, 0}, {1, 10, 0, 100, 0}, {2, 20, 20, 200, 45}, {5, 30, 40, 300, 90}};
  for (const auto& e : expected) {
    const LayerTransform t = panel.transformAt(e.seconds);
    EXPECT_DOUBLE_EQ(t.position.x, e.x) << e.seconds;
    EXPECT_DOUBLE_EQ(t.position.y, e.y) << e.seconds;
    EXPECT_DOUBLE_EQ(t.scale.x, e.scale) << e.seconds;
    EXPECT_DOUBLE_EQ(t.rotation, e.rotation) << e.seconds;
  }
}

TEST(PanelTest, TheViewZoomsAndScrolls) {
  Panel panel(PanelKind::Layer, 100, 100);
  panel.setView({2, {10, -4}});
  ExpectNear(panel.sourceToFrame({5, 5}), {0, 14}, "source to frame");
  ExpectNear(panel.frameToSource({0, 14}), {5, 5}, "frame to source");
  EXPECT_THROW(panel.setView({0, {0, 0}}), std::invalid_argument);
  // The Layer panel shows the layer itself, whatever its place in the composition.
  panel.setTransform({{100, 100}, {0, 0}, {50, 50}, 30});
  ExpectNear(panel.layerToPanel({5, 5}, 0), {0, 14}, "layer panel");
}

TEST(PanelTest, FixedPointRoundsHalvesAwayFromZeroAndClamps) {
  EXPECT_EQ(testhost::ToFixed(0.5 / 65536), 1);
  EXPECT_EQ(testhost::ToFixed(-0.5 / 65536), -1);
  EXPECT_EQ(testhost::ToFixed(1e9), 0x7FFFFFFF);
  EXPECT_EQ(testhost::ToFixed(-1e9), static_cast<PF_Fixed>(0x80000000));
  EXPECT_EQ(testhost::ToFixed(std::nan("")), 0);
  EXPECT_EQ(testhost::FromFixed(-(3 << 15)), -1.5);
}

// An entry point that runs a script, for driving the panel without the plug-in.
std::function<PF_Err(PF_EventExtra*)> gOnEvent;
PF_Err Scripted(PF_Cmd cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void* extra) {
  return cmd == PF_Cmd_EVENT ? gOnEvent(static_cast<PF_EventExtra*>(extra)) : PF_Err_NONE;
}

TEST(PanelTest, TheCallbacksConvertIn16Dot16AndCheckTheirArguments) {
  Host host(&Scripted);
  Panel panel(PanelKind::Composition, 100, 100);
  panel.setTransform({{10, 20}, {0, 0}, {100, 100}, 0});
  panel.setView({2, {0, 0}});
  std::vector<PF_FixedPoint> seen;
  gOnEvent = [&](PF_EventExtra* e) {
    PF_FixedPoint p{1 << 16, 1 << 15};
    e->cbs.layer_to_comp(e->cbs.refcon, e->contextH, 0, 30, &p);
    seen.push_back(p);
    e->cbs.source_to_frame(e->cbs.refcon, e->contextH, &p);
    seen.push_back(p);
    e->cbs.frame_to_source(e->cbs.refcon, e->contextH, &p);
    e->cbs.comp_to_layer(e->cbs.refcon, e->contextH, 0, 30, &p);
    seen.push_back(p);
    PF_FixedPoint q{};
    return e->cbs.source_to_frame(nullptr, e->contextH, &q);  // not the panel's refcon
  };
  const testhost::EventOutcome out = panel.send(host, panel.newEvent(PF_Event_DRAW));
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].x, 11 << 16);
  EXPECT_EQ(seen[0].y, (41 << 16) / 2);
  EXPECT_EQ(seen[1].x, 22 << 16);
  EXPECT_EQ(seen[1].y, 41 << 16);
  EXPECT_EQ(seen[2].x, 1 << 16);
  EXPECT_EQ(seen[2].y, 1 << 15);
  EXPECT_EQ(out.command.err, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(testhost::RulesOf(out.command.violations),
            std::vector<testhost::HostRule>{testhost::HostRule::NotThisEventsContext});
  EXPECT_EQ(Panel::fromContext(panel.contextH()), &panel);
}

TEST(PanelTest, AGestureSendsPressMovesAndReleaseCarryingTheClickData) {
  Host host(&Scripted);
  Panel panel(PanelKind::Layer, 100, 100);
  std::vector<std::string> seen;
  gOnEvent = [&](PF_EventExtra* e) {
    PF_DoClickEventInfo& c = e->u.do_click;
    seen.push_back(std::to_string(e->e_type) + "@" + std::to_string(c.screen_point.h) + " refcon " +
                   std::to_string(c.continue_refcon[0]) + (c.last_time ? " last" : "") +
                   (c.modifiers == PF_Mod_SHIFT_KEY ? " shift" : ""));
    c.send_drag = 1;
    ++c.continue_refcon[0];
    return PF_Err_NONE;
  };
  panel.drag(host, {{1, 0}, {{2, 0}, {3, 0}}, PF_Point{4, 0}, true});
  EXPECT_EQ(seen, (std::vector<std::string>{"2@1 refcon 0 shift", "3@2 refcon 1 shift",
                                            "3@3 refcon 2 shift", "3@4 refcon 3 last shift"}));

  // The host sends no more once the effect lets go of the drag.
  seen.clear();
  gOnEvent = [&](PF_EventExtra* e) {
    seen.push_back(std::to_string(e->e_type));
    e->u.do_click.send_drag = seen.size() < 2;
    return PF_Err_NONE;
  };
  const testhost::GestureResult g = panel.drag(host, {{1, 0}, {{2, 0}, {3, 0}}, {}, false});
  EXPECT_EQ(g.events.size(), 2u);
  EXPECT_TRUE(g.dragged);
}

TEST(CanvasTest, RectanglesCoverThePixelsWhoseCentresTheyHoldAndBlendByAlpha) {
  Canvas canvas(10, 10, {0, 0, 0, 255});
  // [1.5, 4.5) x [2, 4) holds the centres 1.5, 2.5, 3.5 across and 2.5, 3.5 down.
  canvas.paintRect(1.5, 2.0, 3.0, 2.0, {1, 0, 0, 0.5f});
  const Canvas::Box box = canvas.bounds([](Rgba8 p) { return p.r > 0; });
  EXPECT_EQ(box.left, 1);
  EXPECT_EQ(box.right, 4);
  EXPECT_EQ(box.top, 2);
  EXPECT_EQ(box.bottom, 4);
  EXPECT_EQ(canvas.at(2, 2), (Rgba8{128, 0, 0, 255}));
  canvas.paintRect(1.5, 2.0, 3.0, 2.0, {1, 0, 0, 0.5f});
  EXPECT_EQ(canvas.at(2, 2), (Rgba8{192, 0, 0, 255})) << "painted twice, blended twice";
  EXPECT_EQ(Canvas::blend({0, 0, 0, 0}, {0, 1, 0, 0.25f}), (Rgba8{0, 255, 0, 64}));
}

TEST(CanvasTest, StrokesAreAsWideAsThePenAndBlendOncePerStroke) {
  Canvas canvas(20, 20, {0, 0, 0, 255});
  const ColorF blue{0, 0, 1, 0.5f};
  canvas.strokePolylines({{{2, 10}, {10, 10}, {10, 2}}}, 2.0, blue);
  const Rgba8 once = Canvas::blend({0, 0, 0, 255}, blue);
  EXPECT_EQ(canvas.at(5, 9), once);
  EXPECT_EQ(canvas.at(5, 10), once);
  EXPECT_EQ(canvas.at(5, 11), (Rgba8{0, 0, 0, 255}));
  EXPECT_EQ(canvas.at(9, 9), once) << "the corner where the segments meet";
  EXPECT_EQ(canvas.count([&](Rgba8 p) { return p != once && p.b > 0; }), 0);
}

TEST(CanvasTest, ShapesAtCoordinatesThatAreNotNumbersPaintNothing) {
  Canvas canvas(8, 8, {0, 0, 0, 255});
  const double nan = std::nan("");
  const ColorF red{1, 0, 0, 1};
  canvas.paintRect(nan, 1, 2, 2, red);
  canvas.paintRect(1, nan, 2, 2, red);
  canvas.strokePolylines({{{nan, 2}, {4, 4}}, {{2, 2}, {4, nan}}}, 2.0, red);
  EXPECT_EQ(canvas.count([](Rgba8 p) { return p.r > 0; }), 0);
}

TEST(CanvasTest, WritesAPngOfItsSize) {
  if (!testhost::PngSupported()) GTEST_SKIP() << "this build writes no PNG files";
  Canvas canvas(33, 17, {1, 2, 3, 255});
  const std::string path = ::testing::TempDir() + "canvas_test.png";
  canvas.writePng(path);
  std::ifstream file(path, std::ios::binary);
  std::vector<unsigned char> head(24);
  file.read(reinterpret_cast<char*>(head.data()), 24);
  ASSERT_TRUE(file.good());
  EXPECT_EQ(std::vector<unsigned char>(head.begin(), head.begin() + 8),
            (std::vector<unsigned char>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
  EXPECT_EQ(head[19], 33);  // big-endian width and height in the header chunk
  EXPECT_EQ(head[23], 17);
  std::remove(path.c_str());
  EXPECT_THROW(canvas.writePng("/nonexistent/dir/x.png"), std::runtime_error);
}

}  // namespace
