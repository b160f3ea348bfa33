// Light Control: the keyframable properties of a light.
#include "ZelfinControl.h"

static PF_Err ParamsSetup(PF_InData*, PF_OutData*) { return PF_Err_NONE; }

static PF_Err UpdateParamsUI(PF_InData*, PF_OutData*, PF_ParamDef*[]) { return PF_Err_NONE; }

static constexpr ZelfinCommandTable kCommands = {
    zelfin::kLightControl, GlobalSetup, GlobalSetdown, ParamsSetup, UpdateParamsUI, nullptr};

ZELFIN_ENTRY_POINT PF_Err EntryPointFunc_light(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                               PF_ParamDef* params[], PF_LayerDef* output,
                                               void* extra) {
  return DispatchCommand(kCommands, cmd, in_data, out_data, params, output, extra);
}
