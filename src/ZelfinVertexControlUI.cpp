#include "ZelfinVertexControlUI.h"

#include <cstdint>
#include <initializer_list>

#include "Util/AEFX_SuiteHelper.h"
#include "Util/AEGP_SuiteHandler.h"
#include "ZelfinDrawbotObjects.h"
#include "ZelfinFixed.h"
#include "ZelfinVector.h"

namespace zelfin {

namespace {


// The three handles, in hit-test order; handle k edits parameter k + 1.
enum Handle : A_intptr_t { kVertexHandle = 0, kInHandle, kOutHandle, kHandleCount };

// What the click stores in continue_refcon for the drag's events.
enum DragSlot { kDragX = 1, kDragY = 2, kDragHandle = 3 };

// A handle is hit when the mouse lies within this many panel pixels (horizontal plus vertical).
constexpr std::int64_t kHitReach = 15;

// Yellow, slightly translucent; the same for the line and the squares.
constexpr DRAWBOT_ColorRGBA kHandleColour = {1.0f, 1.0f, 0.0f, 0.9f};
constexpr float kLineWidth = 2.0f;
// Panel pixels, centred on the point: the squares keep their size at every zoom.
constexpr float kSquareSize = 8.0f;

// Which conversions serve which panel; events for any other window are left alone.
struct PanelConversions {
  PF_WindowType windowType;
  ZelfinPointConversion toPanel;  // for the hit test
  ZelfinPointConversion toLayer;  // for the drag
};
constexpr PanelConversions kPanels[] = {
    {PF_Window_COMP, Layer2CompFrame, CompFrame2Layer},
    {PF_Window_LAYER, Layer2LayerFrame, LayerFrame2Layer},
};

const PanelConversions* PanelOf(const PF_EventExtra* event) {
  if (event->contextH == nullptr || *event->contextH == nullptr) {
    return nullptr;
  }
  const PF_WindowType windowType = (*event->contextH)->w_type;
  for (const PanelConversions& panel : kPanels) {
    if (panel.windowType == windowType) {
      return &panel;
    }
  }
  return nullptr;
}

Vector<double> PointValue(const PF_ParamDef* paramP) {
  return Vector<double>(FixedToDouble(paramP->u.td.x_value), FixedToDouble(paramP->u.td.y_value));
}

// Layer-space positions of the vertex and the two tangent handles, indexed by Handle.
struct HandlePositions {
  Vector<double> at[kHandleCount];
};

HandlePositions ReadHandles(PF_ParamDef* params[]) {
  const Vector<double> vertex = PointValue(params[kBezierVertex]);
  HandlePositions handles;
  handles.at[kVertexHandle] = vertex;
  handles.at[kInHandle] = PointValue(params[kBezierInTangent]);
  handles.at[kInHandle] += vertex;
  handles.at[kOutHandle] = PointValue(params[kBezierOutTangent]);
  handles.at[kOutHandle] += vertex;
  return handles;
}

// |a - b| in whole pixels. The effect host gets it through its ANSI suite; that one host works on
// the integers directly (kept on purpose: "Compatibility decisions" in docs/developer-guide.md). An
// answer that is no distance (negative, not a number, too large to convert) counts as out of reach.
std::int64_t AbsoluteDifference(const PF_InData* in_data, AEGP_SuiteHandler& suites, A_long a,
                                A_long b) {
  const std::int64_t difference = static_cast<std::int64_t>(a) - b;
  if (in_data->appl_id == PF_ApplId_PRMR) {
    return difference < 0 ? -difference : difference;
  }
  const double magnitude = suites.ANSICallbacksSuite1()->fabs(static_cast<double>(difference));
  constexpr double kUnreachable = 4294967296.0;
  return magnitude >= 0 && magnitude < kUnreachable ? static_cast<std::int64_t>(magnitude)
                                                    : static_cast<std::int64_t>(kUnreachable);
}

// Writes a point parameter's new value and marks it for the host to pick up.
void SetPointValue(PF_ParamDef* paramP, PF_Fixed x, PF_Fixed y) {
  paramP->u.td.x_value = x;
  paramP->u.td.y_value = y;
  paramP->uu.change_flags |= PF_ChangeFlag_CHANGED_VALUE;
}

// The offset that a tangent handle dragged to `dragged` gives, kept on the tangent's present
// direction with Shift (a tangent of no length has none and is not constrained). Returns false,
// and changes nothing, when the offset does not fit in 16.16.
bool SetTangent(PF_ParamDef* tangentP, const Vector<double>& vertex, const Vector<double>& dragged,
                bool keepDirection) {
  Vector<double> offset(dragged);
  offset -= vertex;
  if (keepDirection) {
    Vector<double> direction = PointValue(tangentP);
    if (direction.Length() > 0) {
      direction.Normalize();
      const double along = direction.Dot(offset);
      offset = direction;
      offset *= along;
    }
  }
  PF_Fixed x = 0;
  PF_Fixed y = 0;
  if (!RoundToFixed(offset.x, &x) || !RoundToFixed(offset.y, &y)) {
    return false;
  }
  SetPointValue(tangentP, x, y);
  return true;
}

// Panel position of a layer-space point, for drawing. A point beyond the range of 16.16 is drawn
// at the nearest representable place.
DRAWBOT_PointF32 PanelPosition(const PF_InData* in_data, PF_EventExtra* event,
                               const Vector<double>& layerPoint) {
  PF_FixedPoint point = {0, 0};
  RoundToFixed(layerPoint.x, &point.x);
  RoundToFixed(layerPoint.y, &point.y);
  Source2FramePoint(in_data, event, &point);
  return {static_cast<float>(FixedToDouble(point.x)), static_cast<float>(FixedToDouble(point.y))};
}

bool HoldsAllSuites(const DRAWBOT_Suites& drawbot) {
  return drawbot.drawbotSuiteP && drawbot.supplierSuiteP && drawbot.surfaceSuiteP &&
         drawbot.pathSuiteP;
}

// The drawing proper. Every host drawing call is made only while the ones before it succeeded; a
// path or pen that cannot be made throws DRAWBOT_Exception, and the owners release what was made as
// it passes. The Draw and Surface suites come through the suite handler as well as the helper's
// record, so they are acquired twice in one event (kept on purpose: "Compatibility decisions" in
// docs/developer-guide.md).
void DrawLineAndSquares(AEGP_SuiteHandler& suites, const DRAWBOT_Suites& drawbot,
                        PF_InData* in_data, PF_ParamDef* params[], PF_EventExtra* event) {
  DRAWBOT_DrawRef drawing = nullptr;
  PF_Err err = suites.EffectCustomUISuite1()->PF_GetDrawingReference(event->contextH, &drawing);
  const HandlePositions handles = ReadHandles(params);
  if (drawing == nullptr) {
    return;
  }

  DRAWBOT_SurfaceRef surface = nullptr;
  DRAWBOT_SupplierRef supplier = nullptr;
  if (!err) {
    err = suites.DrawbotSuite1()->GetSurface(drawing, &surface);
  }
  if (!err) {
    err = drawbot.drawbotSuiteP->GetSupplier(drawing, &supplier);
  }
  // Without a surface and a supplier there is nothing to draw with or on.
  if (err || surface == nullptr || supplier == nullptr) {
    return;
  }

  DRAWBOT_PathP path(drawbot.supplierSuiteP);
  path.New(drawbot.supplierSuiteP, supplier);
  DRAWBOT_PenP pen(drawbot.supplierSuiteP);
  pen.New(drawbot.supplierSuiteP, supplier, &kHandleColour, kLineWidth);

  const DRAWBOT_PointF32 in = PanelPosition(in_data, event, handles.at[kInHandle]);
  const DRAWBOT_PointF32 vertex = PanelPosition(in_data, event, handles.at[kVertexHandle]);
  const DRAWBOT_PointF32 out = PanelPosition(in_data, event, handles.at[kOutHandle]);

  err = drawbot.pathSuiteP->MoveTo(path.Get(), in.x, in.y);
  if (!err) {
    err = drawbot.pathSuiteP->LineTo(path.Get(), vertex.x, vertex.y);
  }
  if (!err) {
    err = drawbot.pathSuiteP->LineTo(path.Get(), out.x, out.y);
  }
  if (!err) {
    err = suites.SurfaceSuite1()->StrokePath(surface, pen.Get(), path.Get());
  }
  // The out-tangent square lies on top where they overlap, all three on top of the line.
  for (const DRAWBOT_PointF32& centre : {in, vertex, out}) {
    const DRAWBOT_RectF32 square = {centre.x - kSquareSize / 2, centre.y - kSquareSize / 2,
                                    kSquareSize, kSquareSize};
    if (!err) {
      err = suites.SurfaceSuite1()->PaintRect(surface, &kHandleColour, &square);
    }
  }
}

}  // namespace

bool DoClickHandles(PF_InData* in_data, PF_OutData*, PF_ParamDef* params[],
                    ZelfinPointConversion toPanel, PF_EventExtra* event) {
  AEGP_SuiteHandler suites(in_data->pica_basicP);
  PF_DoClickEventInfo& click = event->u.do_click;
  const HandlePositions handles = ReadHandles(params);
  for (A_intptr_t k = kVertexHandle; k < kHandleCount; ++k) {
    const Vector<double>& at = handles.at[k];
    // A handle whose position does not fit in 16.16 cannot be carried through a drag.
    PF_FixedPoint start = {0, 0};
    if (!RoundToFixed(at.x, &start.x) || !RoundToFixed(at.y, &start.y)) {
      continue;
    }
    // Tested at a whole layer pixel, so at a high zoom the spot may lie a few panel pixels from the
    // drawn square (kept on purpose: "Compatibility decisions" in docs/developer-guide.md).
    PF_Point spot = {static_cast<A_long>(at.x + 0.5), static_cast<A_long>(at.y + 0.5)};
    PF_FixedPoint work = {0, 0};
    toPanel(in_data, event, &spot, &spot, &work);
    const std::int64_t distance =
        AbsoluteDifference(in_data, suites, spot.h, click.screen_point.h) +
        AbsoluteDifference(in_data, suites, spot.v, click.screen_point.v);
    if (distance <= kHitReach) {
      click.send_drag = 1;
      click.continue_refcon[kDragX] = start.x;
      click.continue_refcon[kDragY] = start.y;
      click.continue_refcon[kDragHandle] = k;
      return true;
    }
  }
  return false;
}

// Each event applies the position the previous one stored (the click stores the handle's own),
// so the handle does not jump when the drag starts; the release's position is stored, not
// applied (kept on purpose: "Compatibility decisions" in docs/developer-guide.md).
bool DoDragHandles(PF_InData* in_data, PF_ParamDef* params[], ZelfinPointConversion toLayer,
                   PF_EventExtra* event) {
  PF_DoClickEventInfo& click = event->u.do_click;
  PF_Point mouse = click.screen_point;
  PF_FixedPoint mouseInLayer = {0, 0};
  toLayer(in_data, event, &mouse, &mouse, &mouseInLayer);

  const PF_Fixed storedX = static_cast<PF_Fixed>(click.continue_refcon[kDragX]);
  const PF_Fixed storedY = static_cast<PF_Fixed>(click.continue_refcon[kDragY]);
  const Vector<double> dragged(FixedToDouble(storedX), FixedToDouble(storedY));
  const Vector<double> vertex = PointValue(params[kBezierVertex]);
  const bool keepDirection = (click.modifiers & PF_Mod_SHIFT_KEY) != 0;

  switch (click.continue_refcon[kDragHandle]) {
    case kVertexHandle:
      SetPointValue(params[kBezierVertex], storedX, storedY);
      break;
    case kInHandle:
      SetTangent(params[kBezierInTangent], vertex, dragged, keepDirection);
      break;
    case kOutHandle:
      SetTangent(params[kBezierOutTangent], vertex, dragged, keepDirection);
      break;
    default:
      break;
  }

  click.send_drag = 1;
  click.continue_refcon[kDragX] = mouseInLayer.x;
  click.continue_refcon[kDragY] = mouseInLayer.y;
  if (click.last_time) {
    click.send_drag = 0;
  }
  return true;
}

void DrawHandles(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                 PF_EventExtra* event) {
  AEGP_SuiteHandler suites(in_data->pica_basicP);
  DRAWBOT_Suites drawbot = {};
  AEFX_AcquireDrawbotSuites(in_data, out_data, &drawbot);
  try {
    // A suite the host did not hand over is never called through: nothing is drawn.
    if (HoldsAllSuites(drawbot)) {
      DrawLineAndSquares(suites, drawbot, in_data, params, event);
    }
  } catch (const DRAWBOT_Exception&) {
    // The drawing stops where it failed; the objects made so far are already released. The
    // event still counts as drawn: a failed overlay is no reason to interrupt the user.
  } catch (...) {
    ReleaseHeldDrawbotSuites(in_data, out_data, drawbot);
    throw;
  }
  ReleaseHeldDrawbotSuites(in_data, out_data, drawbot);
}

PF_Err HandleEventVertexControl(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                                PF_LayerDef*, PF_EventExtra* event) {
  // Some hosts send the events of a drag as clicks with send_drag still set (kept on purpose:
  // "Compatibility decisions" in docs/developer-guide.md).
  if (event->e_type == PF_Event_DO_CLICK && event->u.do_click.send_drag) {
    event->e_type = PF_Event_DRAG;
  }
  const PanelConversions* panelP = PanelOf(event);
  if (panelP == nullptr) {
    return PF_Err_NONE;
  }
  switch (event->e_type) {
    case PF_Event_DO_CLICK:
      if (DoClickHandles(in_data, out_data, params, panelP->toPanel, event)) {
        event->evt_out_flags = PF_EO_HANDLED_EVENT;
      }
      break;
    case PF_Event_DRAG:
      DoDragHandles(in_data, params, panelP->toLayer, event);
      event->evt_out_flags = PF_EO_HANDLED_EVENT;
      break;
    case PF_Event_DRAW:
      DrawHandles(in_data, out_data, params, event);
      event->evt_out_flags = PF_EO_HANDLED_EVENT;
      break;
    default:
      break;
  }
  return PF_Err_NONE;
}

}  // namespace zelfin
