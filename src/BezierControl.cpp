// Bezier Control: one Bezier vertex and its two tangents, editable on screen.
#include "ZelfinControl.h"

static PF_Err ParamsSetup(PF_InData*, PF_OutData*) { return PF_Err_NONE; }

static PF_Err HandleEvent(PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, PF_EventExtra*) {
  return PF_Err_NONE;
}

static constexpr ZelfinCommandTable kCommands = {
    zelfin::kBezierControl, GlobalSetup, GlobalSetdown, ParamsSetup, nullptr, HandleEvent};

ZELFIN_ENTRY_POINT PF_Err EntryPointFunc_bezier(PF_Cmd cmd, PF_InData* in_data,
                                                PF_OutData* out_data, PF_ParamDef* params[],
                                                PF_LayerDef* output, void* extra) {
  return DispatchCommand(kCommands, cmd, in_data, out_data, params, output, extra);
}
