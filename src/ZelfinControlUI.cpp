#include "ZelfinControlUI.h"

#include "ZelfinFixed.h"

namespace zelfin {

namespace {

void FixedFromPoint(const PF_Point* inputP, PF_FixedPoint* workP) {
  const PF_Point in = *inputP;
  workP->x = IntToFixed(in.h);
  workP->y = IntToFixed(in.v);
}

void PointFromFixed(const PF_FixedPoint* workP, PF_Point* outputP) {
  outputP->h = FixedToInt(workP->x);
  outputP->v = FixedToInt(workP->y);
}

bool InCompositionPanel(const PF_EventExtra* event) {
  return event->contextH && *event->contextH && (*event->contextH)->w_type == PF_Window_COMP;
}

// The callbacks' results are not looked at: the point is used as the host left it, and a callback
// the host did not supply leaves it unchanged (kept on purpose: "Compatibility decisions" in
// docs/developer-guide.md).
void LayerToComp(const PF_InData* in_data, PF_EventExtra* event, PF_FixedPoint* pointP) {
  if (!event->cbs.layer_to_comp) {
    return;
  }
  event->cbs.layer_to_comp(event->cbs.refcon, event->contextH, in_data->current_time,
                           static_cast<A_long>(in_data->time_scale), pointP);
}

void CompToLayer(const PF_InData* in_data, PF_EventExtra* event, PF_FixedPoint* pointP) {
  if (!event->cbs.comp_to_layer) {
    return;
  }
  event->cbs.comp_to_layer(event->cbs.refcon, event->contextH, in_data->current_time,
                           static_cast<A_long>(in_data->time_scale), pointP);
}

void SourceToFrame(PF_EventExtra* event, PF_FixedPoint* pointP) {
  if (!event->cbs.source_to_frame) {
    return;
  }
  event->cbs.source_to_frame(event->cbs.refcon, event->contextH, pointP);
}

void FrameToSource(PF_EventExtra* event, PF_FixedPoint* pointP) {
  if (!event->cbs.frame_to_source) {
    return;
  }
  event->cbs.frame_to_source(event->cbs.refcon, event->contextH, pointP);
}

}  // namespace

void Source2FramePoint(const PF_InData* in_data, PF_EventExtra* event, PF_FixedPoint* pointP) {
  if (InCompositionPanel(event)) {
    LayerToComp(in_data, event, pointP);
  }
  SourceToFrame(event, pointP);
}

void Layer2CompFrame(const PF_InData* in_data, PF_EventExtra* event, const PF_Point* inputP,
                     PF_Point* outputP, PF_FixedPoint* workP) {
  FixedFromPoint(inputP, workP);
  LayerToComp(in_data, event, workP);
  SourceToFrame(event, workP);
  PointFromFixed(workP, outputP);
}

void Layer2LayerFrame(const PF_InData*, PF_EventExtra* event, const PF_Point* inputP,
                      PF_Point* outputP, PF_FixedPoint* workP) {
  FixedFromPoint(inputP, workP);
  SourceToFrame(event, workP);
  PointFromFixed(workP, outputP);
}

void CompFrame2Layer(const PF_InData* in_data, PF_EventExtra* event, const PF_Point* inputP,
                     PF_Point* outputP, PF_FixedPoint* workP) {
  FixedFromPoint(inputP, workP);
  FrameToSource(event, workP);
  CompToLayer(in_data, event, workP);
  PointFromFixed(workP, outputP);
}

void LayerFrame2Layer(const PF_InData*, PF_EventExtra* event, const PF_Point* inputP,
                      PF_Point* outputP, PF_FixedPoint* workP) {
  FixedFromPoint(inputP, workP);
  FrameToSource(event, workP);
  PointFromFixed(workP, outputP);
}

}  // namespace zelfin
