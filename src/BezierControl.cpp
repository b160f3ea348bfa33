// Bezier Control: one Bezier vertex and its two tangents, editable on screen.
#include <iterator>

#include "ZelfinControl.h"
#include "ZelfinParams.h"
#include "ZelfinVertexControlUI.h"

namespace zelfin {
namespace {

// The host reads a point's default as a percentage of the layer's size: a new vertex sits at the
// layer's centre, with both tangents of no length.
constexpr ParamEntry kParams[] = {
    Point("Vertex", kNoFlags, 50, 50),
    Point("In Tangent", kNoFlags, 0, 0),
    Point("Out Tangent", kNoFlags, 0, 0),
};
static_assert(WellFormed(kParams));
static_assert(std::size(kParams) + 1 == kBezierNumParams, "the input layer comes first");

// The vertex editor draws and takes clicks in the Composition and Layer panels and asks for no
// room of its own in any panel. A custom UI the host refuses leaves the parameters in place, so
// num_params, which AddParams has written by then, stands.
PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data) {
  if (const PF_Err err = AddParams(in_data, out_data, kParams)) {
    return err;
  }
  PF_CustomUIInfo ui = {};
  ui.events = PF_CustomEFlag_COMP | PF_CustomEFlag_LAYER;
  return in_data->inter.register_ui(in_data->effect_ref, &ui);
}

constexpr ZelfinCommandTable kCommands = {kBezierControl, GlobalSetup, GlobalSetdown,
                                          ParamsSetup, nullptr, HandleEventVertexControl};

}  // namespace
}  // namespace zelfin

ZELFIN_ENTRY_POINT PF_Err EntryPointFunc_bezier(PF_Cmd cmd, PF_InData* in_data,
                                                PF_OutData* out_data, PF_ParamDef* params[],
                                                PF_LayerDef* output, void* extra) {
  return zelfin::DispatchCommand(zelfin::kCommands, cmd, in_data, out_data, params, output, extra);
}
