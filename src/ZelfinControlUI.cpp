#include "ZelfinControlUI.h"

#include "ZelfinFixed.h"

namespace {

using zelfin::FixedToInt;
using zelfin::IntToFixed;

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

// The callbacks' results are not looked at: the point is used as the host left it, and a callback
// the host did not supply leaves it unchanged (kept on purpose: "Compatibility decisions" in
// docs/developer-guide.md).
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
