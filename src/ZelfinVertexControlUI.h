// The on-screen vertex editor of Bezier Control: routing of the panel events, drawing of the
// vertex and its two tangent handles, and the click-and-drag editing of them.
//
// The vertex is a point in layer space; the tangents are offsets from it, so the handles lie at
// vertex + tangent. All three are 16.16 fixed point.
#pragma once

#include "ZelfinControlUI.h"
#include "host/host.h"

namespace zelfin {

// Bezier Control's parameter list; ids equal indices and are stored in projects.
enum BezierParam : PF_ParamIndex {
  kBezierInput = 0,
  kBezierVertex,
  kBezierInTangent,
  kBezierOutTangent,
  kBezierNumParams
};

// Handles PF_Cmd_EVENT for the Composition and Layer panels. A click that arrives while a drag
// is under way (send_drag set) is taken as a drag and its e_type rewritten. Returns
// PF_Err_NONE unless a host suite cannot be had; what the drawing or a host callback meets on
// the way is not turned into the result. output is not used; event is never null (the dispatcher
// refuses a command without its record).
PF_Err HandleEventVertexControl(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                                PF_LayerDef* output, PF_EventExtra* event);

// Hit test on a mouse press: the first of vertex, in-tangent and out-tangent handle within 15
// panel pixels (horizontal plus vertical distance) starts a drag of it, stored in the event's
// click data. toPanel is Layer2CompFrame or Layer2LayerFrame. Changes no parameter.
bool DoClickHandles(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                    ZelfinPointConversion toPanel, PF_EventExtra* event);

// One event of a drag: applies the position stored by the previous event to the dragged
// parameter (Shift keeps a tangent on its direction) and stores the mouse position for the
// next. toLayer is CompFrame2Layer or LayerFrame2Layer. Always true.
bool DoDragHandles(PF_InData* in_data, PF_ParamDef* params[], ZelfinPointConversion toLayer,
                   PF_EventExtra* event);

// Draws the line through the three handles and a square on each. A failing drawing call only
// stops the drawing: nothing of it reaches the caller but a suite that cannot be had.
void DrawHandles(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                 PF_EventExtra* event);

}  // namespace zelfin
