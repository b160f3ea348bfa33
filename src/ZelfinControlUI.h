// Carrying points between a layer's own space and the pixels of the panel that shows it, through
// the conversion callbacks of the event record. Stateless.
#pragma once

#include "host/host.h"

namespace zelfin {

// Layer space to panel pixels in place, in either panel: through the composition at the current
// time when the panel is the Composition panel.
void Source2FramePoint(const PF_InData* in_data, PF_EventExtra* event, PF_FixedPoint* pointP);

// The point-pair conversions share one signature so that the click and drag handlers can take
// the one that fits the panel. Each reads inputP fully before writing outputP (they may be the
// same point) and leaves the converted value, in fixed point, in workP. A whole-pixel inputP
// beyond the range of 16.16 is clamped to it.
typedef void (*ZelfinPointConversion)(const PF_InData* in_data, PF_EventExtra* event,
                                      const PF_Point* inputP, PF_Point* outputP,
                                      PF_FixedPoint* workP);

// Layer space (whole pixels) to panel pixels; outputP is the result rounded toward -infinity.
void Layer2CompFrame(const PF_InData* in_data, PF_EventExtra* event, const PF_Point* inputP,
                     PF_Point* outputP, PF_FixedPoint* workP);
void Layer2LayerFrame(const PF_InData* in_data, PF_EventExtra* event, const PF_Point* inputP,
                      PF_Point* outputP, PF_FixedPoint* workP);

// Panel pixels to layer space; the drag uses the fixed-point result in workP, outputP gets its
// whole-pixel form.
void CompFrame2Layer(const PF_InData* in_data, PF_EventExtra* event, const PF_Point* inputP,
                     PF_Point* outputP, PF_FixedPoint* workP);
void LayerFrame2Layer(const PF_InData* in_data, PF_EventExtra* event, const PF_Point* inputP,
                      PF_Point* outputP, PF_FixedPoint* workP);

}  // namespace zelfin
