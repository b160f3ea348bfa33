// What the five effects share: the About text, global setup and setdown, pass-through smart
// rendering, and the guarded command dispatch behind every entry point.
#pragma once

#include "ZelfinEffects.h"
#include "host/host.h"

// Exports an entry point under its plain C name; everything else in the plug-in stays hidden.
#if defined(_WIN32)
#define ZELFIN_ENTRY_POINT extern "C" __declspec(dllexport)
#else
#define ZELFIN_ENTRY_POINT extern "C" __attribute__((visibility("default")))
#endif

namespace zelfin {

// The handlers one effect answers with. A null handler leaves its command to the default:
// PF_Err_NONE, nothing touched. About and the two render commands are the same for every effect.
struct ZelfinCommandTable {
  EffectIndex effect;
  PF_Err (*globalSetup)(PF_InData*, PF_OutData*, const EffectDescription&);
  PF_Err (*globalSetdown)(PF_InData*);
  PF_Err (*paramsSetup)(PF_InData*, PF_OutData*);
  PF_Err (*updateParamsUI)(PF_InData*, PF_OutData*, PF_ParamDef*[]);
  PF_Err (*event)(PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, PF_EventExtra*);
};

// Routes cmd through the table and returns the handler's result; PF_Err_BAD_CALLBACK_PARAM
// without calling it when a record the handler reads (in_data, out_data, params, extra) is null.
// Never lets an exception out: a thrown PF_Err becomes the result, std::bad_alloc
// PF_Err_OUT_OF_MEMORY and anything else PF_Err_INTERNAL_STRUCT_DAMAGED.
PF_Err DispatchCommand(const ZelfinCommandTable& table, PF_Cmd cmd, PF_InData* in_data,
                       PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output,
                       void* extra) noexcept;

// Writes "<name>, v1.1.0\r<notice>" into return_msg.
PF_Err About(PF_InData* in_data, PF_OutData* out_data, const EffectDescription& effect);

// Assigns my_version and ORs the effect's flag words into out_flags and out_flags2.
void DeclareVersionAndFlags(PF_OutData* out_data, const EffectDescription& effect);

// Declares version and flags, then keeps a 4-byte global data handle holding the id the host's
// plug-in services return. global_data is set only when registration succeeds; a handle that is
// not handed over is disposed of on every path.
PF_Err GlobalSetup(PF_InData* in_data, PF_OutData* out_data,
                   const EffectDescription& effect);

// Frees the global data handle, if there is one.
PF_Err GlobalSetdown(PF_InData* in_data);

// Asks for the input layer over the area the host asks of the effect and reports that the
// result covers what the input covers.
PF_Err PreRender(PF_InData* in_data, PF_OutData* out_data, PF_PreRenderExtra* extra);

// Copies the input layer's pixels into the output unchanged, at any bit depth.
PF_Err SmartRender(PF_InData* in_data, PF_OutData* out_data, PF_SmartRenderExtra* extra);

}  // namespace zelfin
