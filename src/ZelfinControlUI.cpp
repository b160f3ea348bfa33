#include "ZelfinControlUI.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr double kFixedOne = 65536.0;
constexpr std::int64_t kFixedMin = std::numeric_limits<PF_Fixed>::min();
constexpr std::int64_t kFixedMax = std::numeric_limits<PF_Fixed>::max();

PF_Fixed IntToFixed(A_long whole) {
  std::int64_t fixed = static_cast<std::int64_t>(whole) * 65536;
  if (fixed < kFixedMin) {
    fixed = kFixedMin;
  } else if (fixed > kFixedMax) {
    fixed = kFixedMax;
  }
  return static_cast<PF_Fixed>(fixed);
}

// Whole pixels, rounded toward negative infinity: 10.75 gives 10 and -0.5 gives -1.
A_long FixedToInt(PF_Fixed fixed) {
  const std::int64_t value = fixed;
  const std::int64_t remainder = ((value % 65536) + 65536) % 65536;
  return static_cast<A_long>((value - remainder) / 65536);
}

void FixedFromPoint(const PF_Point* input, PF_FixedPoint* work) {
  const PF_Point in = *input;
  work->x = IntToFixed(in.h);
  work->y = IntToFixed(in.v);
}

void PointFromFixed(const PF_FixedPoint* work, PF_Point* output) {
  output->h = FixedToInt(work->x);
  output->v = FixedToInt(work->y);
}

bool InCompositionPanel(const PF_EventExtra* event) {
  return event->contextH && *event->contextH && (*event->contextH)->w_type == PF_Window_COMP;
}

// The callbacks' results are not looked at: the point is used as the host left it, and a
// callback the host did not supply leaves it unchanged.
void LayerToComp(const PF_InData* in_data, PF_EventExtra* event, PF_FixedPoint* point) {
  if (!event->cbs.layer_to_comp) {
    return;
  }
  event->cbs.layer_to_comp(event->cbs.refcon, event->contextH, in_data->current_time,
                           static_cast<A_long>(in_data->time_scale), point);
}

void CompToLayer(const PF_InData* in_data, PF_EventExtra* event, PF_FixedPoint* point) {
  if (!event->cbs.comp_to_layer) {
    return;
  }
  event->cbs.comp_to_layer(event->cbs.refcon, event->contextH, in_data->current_time,
                           static_cast<A_long>(in_data->time_scale), point);
}

void SourceToFrame(PF_EventExtra* event, PF_FixedPoint* point) {
  if (!event->cbs.source_to_frame) {
    return;
  }
  event->cbs.source_to_frame(event->cbs.refcon, event->contextH, point);
}

void FrameToSource(PF_EventExtra* event, PF_FixedPoint* point) {
  if (!event->cbs.frame_to_source) {
    return;
  }
  event->cbs.frame_to_source(event->cbs.refcon, event->contextH, point);
}

}  // namespace

double FixedToDouble(PF_Fixed value) {
  return static_cast<double>(value) / kFixedOne;
}

bool RoundToFixed(double coordinate, PF_Fixed* out) {
  const double rounded = std::round(coordinate * kFixedOne);
  if (std::isnan(rounded)) {
    *out = 0;
    return false;
  }
  if (rounded < static_cast<double>(kFixedMin)) {
    *out = static_cast<PF_Fixed>(kFixedMin);
    return false;
  }
  if (rounded > static_cast<double>(kFixedMax)) {
    *out = static_cast<PF_Fixed>(kFixedMax);
    return false;
  }
  *out = static_cast<PF_Fixed>(rounded);
  return true;
}

void Source2FramePoint(const PF_InData* in_data, PF_EventExtra* event, PF_FixedPoint* point) {
  if (InCompositionPanel(event)) {
    LayerToComp(in_data, event, point);
  }
  SourceToFrame(event, point);
}

void Layer2CompFrame(const PF_InData* in_data, PF_EventExtra* event, const PF_Point* input,
                     PF_Point* output, PF_FixedPoint* work) {
  FixedFromPoint(input, work);
  LayerToComp(in_data, event, work);
  SourceToFrame(event, work);
  PointFromFixed(work, output);
}

void Layer2LayerFrame(const PF_InData*, PF_EventExtra* event, const PF_Point* input,
                      PF_Point* output, PF_FixedPoint* work) {
  FixedFromPoint(input, work);
  SourceToFrame(event, work);
  PointFromFixed(work, output);
}

void CompFrame2Layer(const PF_InData* in_data, PF_EventExtra* event, const PF_Point* input,
                     PF_Point* output, PF_FixedPoint* work) {
  FixedFromPoint(input, work);
  FrameToSource(event, work);
  CompToLayer(in_data, event, work);
  PointFromFixed(work, output);
}

void LayerFrame2Layer(const PF_InData*, PF_EventExtra* event, const PF_Point* input,
                      PF_Point* output, PF_FixedPoint* work) {
  FixedFromPoint(input, work);
  FrameToSource(event, work);
  PointFromFixed(work, output);
}
