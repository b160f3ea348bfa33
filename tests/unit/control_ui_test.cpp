#include "ZelfinControlUI.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "testhost/panels/Panel.h"

namespace {

using namespace zelfin;

constexpr PF_Fixed kFixedMax = std::numeric_limits<PF_Fixed>::max();
constexpr PF_Fixed kFixedMin = std::numeric_limits<PF_Fixed>::min();

// The stand-in host's Composition panel behind callbacks that record what they were given. The
// layer's origin sits 100 pixels right of the composition's and the panel shows it at zoom 2,
// scrolled 8 pixels right and down.
struct RecordingPanel {
  struct Seen {
    std::string name;
    void* refcon;
    PF_ContextH context;
    A_long time;
    A_long scale;
  };
  testhost::Panel panel{testhost::PanelKind::Composition, 64, 48};
  PF_EventCallbacks host = panel.newEvent(PF_Event_DRAW).cbs;
  std::vector<Seen> calls;

  RecordingPanel() {
    panel.setTransform({{100, 0}, {0, 0}, {100, 100}, 0});
    panel.setView({2, {8, 8}});
  }

  static RecordingPanel* Of(void* refcon, const char* name, PF_ContextH context, A_long time = 0,
                            A_long scale = 0) {
    auto* self = static_cast<RecordingPanel*>(refcon);
    self->calls.push_back({name, refcon, context, time, scale});
    return self;
  }
  static PF_Err LayerToComp(void* refcon, PF_ContextH context, A_long time, A_long scale,
                            PF_FixedPoint* pt) {
    const PF_EventCallbacks& host = Of(refcon, "layer_to_comp", context, time, scale)->host;
    return host.layer_to_comp(host.refcon, context, time, scale, pt);
  }
  static PF_Err CompToLayer(void* refcon, PF_ContextH context, A_long time, A_long scale,
                            PF_FixedPoint* pt) {
    const PF_EventCallbacks& host = Of(refcon, "comp_to_layer", context, time, scale)->host;
    return host.comp_to_layer(host.refcon, context, time, scale, pt);
  }
  static PF_Err SourceToFrame(void* refcon, PF_ContextH context, PF_FixedPoint* pt) {
    const PF_EventCallbacks& host = Of(refcon, "source_to_frame", context)->host;
    return host.source_to_frame(host.refcon, context, pt);
  }
  // Reports a failure after converting, which the conversions do not look at.
  static PF_Err FrameToSource(void* refcon, PF_ContextH context, PF_FixedPoint* pt) {
    const PF_EventCallbacks& host = Of(refcon, "frame_to_source", context)->host;
    host.frame_to_source(host.refcon, context, pt);
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }

  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const Seen& s : calls) out.push_back(s.name);
    return out;
  }
};

class ControlUITest : public ::testing::Test {
 protected:
  ControlUITest() {
    in_data.current_time = 48;
    in_data.time_scale = 24;
    event.contextH = recorder.panel.contextH();
    event.cbs.refcon = &recorder;
    event.cbs.layer_to_comp = &RecordingPanel::LayerToComp;
    event.cbs.comp_to_layer = &RecordingPanel::CompToLayer;
    event.cbs.source_to_frame = &RecordingPanel::SourceToFrame;
    event.cbs.frame_to_source = &RecordingPanel::FrameToSource;
  }

  void showIn(PF_WindowType window) { recorder.panel.setWindowType(window); }

  RecordingPanel recorder;
  PF_InData in_data{};
  PF_EventExtra event{};
};

TEST_F(ControlUITest, EachConversionCallsTheHostInOrderAndConverts) {
  struct Case {
    const char* what;
    ZelfinPointConversion convert;
    PF_WindowType panel;
    PF_Point input;
    std::vector<std::string> calls;
    PF_FixedPoint work;
    PF_Point output;
  };
  const Case cases[] = {
      {"Layer2CompFrame", Layer2CompFrame, PF_Window_COMP, {10, -3},
       {"layer_to_comp", "source_to_frame"}, {212 << 16, -(14 << 16)}, {212, -14}},
      {"Layer2LayerFrame", Layer2LayerFrame, PF_Window_LAYER, {10, -3},
       {"source_to_frame"}, {12 << 16, -(14 << 16)}, {12, -14}},
      {"CompFrame2Layer", CompFrame2Layer, PF_Window_COMP, {230, -12},
       {"frame_to_source", "comp_to_layer"}, {19 << 16, -(2 << 16)}, {19, -2}},
      {"LayerFrame2Layer", LayerFrame2Layer, PF_Window_LAYER, {29, -13},
       {"frame_to_source"}, {37 << 15, -(5 << 15)}, {18, -3}},
  };
  for (const Case& c : cases) {
    recorder.calls.clear();
    showIn(c.panel);
    PF_Point output{-1, -1};
    PF_FixedPoint work{-1, -1};
    c.convert(&in_data, &event, &c.input, &output, &work);
    EXPECT_EQ(recorder.names(), c.calls) << c.what;
    EXPECT_EQ(work.x, c.work.x) << c.what;
    EXPECT_EQ(work.y, c.work.y) << c.what;
    EXPECT_EQ(output.h, c.output.h) << c.what;
    EXPECT_EQ(output.v, c.output.v) << c.what;
  }
}

TEST_F(ControlUITest, CallbacksGetTheRefconContextAndTheCurrentTime) {
  PF_Point p{1, 1};
  PF_FixedPoint work{};
  Layer2CompFrame(&in_data, &event, &p, &p, &work);
  CompFrame2Layer(&in_data, &event, &p, &p, &work);
  ASSERT_EQ(recorder.calls.size(), 4u);
  for (const RecordingPanel::Seen& seen : recorder.calls) {
    EXPECT_EQ(seen.refcon, &recorder) << seen.name;
    EXPECT_EQ(seen.context, event.contextH) << seen.name;
  }
  for (int i : {0, 3}) {
    EXPECT_EQ(recorder.calls[i].time, 48) << recorder.calls[i].name;
    EXPECT_EQ(recorder.calls[i].scale, 24) << recorder.calls[i].name;
  }
}

TEST_F(ControlUITest, WholePixelsRoundTowardNegativeInfinity) {
  // The host's answer is whatever the refcon holds.
  event.cbs.source_to_frame = [](void* refcon, PF_ContextH, PF_FixedPoint* pt) {
    *pt = *static_cast<PF_FixedPoint*>(refcon);
    return PF_Err_NONE;
  };
  showIn(PF_Window_LAYER);
  struct Case {
    PF_FixedPoint frame;
    PF_Point whole;
  };
  const Case cases[] = {
      {{-(1 << 15), (43 << 16) / 4}, {-1, 10}},  // -0.5 and 10.75
      {{kFixedMin, kFixedMax}, {-32768, 32767}},
      {{-1, 1}, {-1, 0}},
  };
  for (const Case& c : cases) {
    PF_FixedPoint answer = c.frame;
    event.cbs.refcon = &answer;
    PF_Point p{0, 0};
    PF_FixedPoint work{};
    Layer2LayerFrame(&in_data, &event, &p, &p, &work);
    EXPECT_EQ(p.h, c.whole.h) << c.frame.x;
    EXPECT_EQ(p.v, c.whole.v) << c.frame.y;
  }
}

TEST_F(ControlUITest, InputAndOutputMayBeTheSamePoint) {
  for (ZelfinPointConversion convert :
       {Layer2CompFrame, Layer2LayerFrame, CompFrame2Layer, LayerFrame2Layer}) {
    const PF_Point input{37, -12};
    PF_Point separate{};
    PF_FixedPoint separateWork{};
    convert(&in_data, &event, &input, &separate, &separateWork);
    PF_Point same = input;
    PF_FixedPoint sameWork{};
    convert(&in_data, &event, &same, &same, &sameWork);
    EXPECT_EQ(same.h, separate.h);
    EXPECT_EQ(same.v, separate.v);
    EXPECT_EQ(sameWork.x, separateWork.x);
    EXPECT_EQ(sameWork.y, separateWork.y);
  }
}

TEST_F(ControlUITest, WholePixelsBeyondFixedPointAreClamped) {
  event.cbs.frame_to_source = [](void*, PF_ContextH, PF_FixedPoint*) { return PF_Err_NONE; };
  struct Case {
    A_long whole;
    PF_Fixed fixed;
  };
  constexpr A_long kLongMax = std::numeric_limits<A_long>::max();
  constexpr A_long kLongMin = std::numeric_limits<A_long>::min();
  for (const Case& c : {Case{32767, 32767 << 16}, Case{32768, kFixedMax}, Case{-32768, kFixedMin},
                        Case{-32769, kFixedMin}, Case{kLongMax, kFixedMax},
                        Case{kLongMin, kFixedMin}}) {
    PF_Point p{c.whole, -c.whole / 2};
    PF_FixedPoint work{};
    LayerFrame2Layer(&in_data, &event, &p, &p, &work);
    EXPECT_EQ(work.x, c.fixed) << c.whole;
  }
}

TEST_F(ControlUITest, Source2FramePointGoesThroughTheCompositionOnlyInTheCompositionPanel) {
  PF_FixedPoint point{5 << 16, 1 << 16};
  Source2FramePoint(&in_data, &event, &point);
  EXPECT_EQ(recorder.names(), (std::vector<std::string>{"layer_to_comp", "source_to_frame"}));
  EXPECT_EQ(point.x, 202 << 16);
  EXPECT_EQ(point.y, -(6 << 16));

  recorder.calls.clear();
  showIn(PF_Window_LAYER);
  point = {5 << 16, 1 << 16};
  Source2FramePoint(&in_data, &event, &point);
  EXPECT_EQ(recorder.names(), std::vector<std::string>{"source_to_frame"});
  EXPECT_EQ(point.x, 2 << 16);
}

TEST_F(ControlUITest, MissingCallbacksLeaveThePointAsItIs) {
  event.cbs = PF_EventCallbacks{};
  PF_Point p{7, -7};
  PF_FixedPoint work{};
  Layer2CompFrame(&in_data, &event, &p, &p, &work);
  EXPECT_EQ(work.x, 7 << 16);
  EXPECT_EQ(work.y, -(7 << 16));
  EXPECT_EQ(p.h, 7);
  EXPECT_EQ(p.v, -7);
}

}  // namespace
