// Transform Control: the keyframable properties of a 2D layer transform.
#include "ZelfinControl.h"

static PF_Err ParamsSetup(PF_InData*, PF_OutData*) { return PF_Err_NONE; }

static PF_Err UpdateParamsUI(PF_InData*, PF_OutData*, PF_ParamDef*[]) { return PF_Err_NONE; }

// This effect keeps no global data and does not register with the host's plug-in services: it
// only states its version and capabilities.
static PF_Err GlobalSetupWithoutData(PF_InData*, PF_OutData* out_data,
                                     const zelfin::EffectDescription& effect) {
  DeclareVersionAndFlags(out_data, effect);
  return PF_Err_NONE;
}

static constexpr ZelfinCommandTable kCommands = {zelfin::kTransformControl2D,
                                                 GlobalSetupWithoutData,
                                                 nullptr,
                                                 ParamsSetup,
                                                 UpdateParamsUI,
                                                 nullptr};

ZELFIN_ENTRY_POINT PF_Err EntryPointFunc_2d(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                            PF_ParamDef* params[], PF_LayerDef* output,
                                            void* extra) {
  return DispatchCommand(kCommands, cmd, in_data, out_data, params, output, extra);
}
