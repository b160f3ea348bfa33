// A plug-in that answers every command at once with success and touches nothing: what the
// stand-in host costs by itself, per command, with no plug-in work in it.
#include "host/host.h"

#define ZELFIN_NULL_ENTRY(name)                                                                \
  extern "C" __attribute__((visibility("default"))) PF_Err name(                               \
      PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*) {                  \
    return PF_Err_NONE;                                                                        \
  }

ZELFIN_NULL_ENTRY(EntryPointFunc_2d)
ZELFIN_NULL_ENTRY(EntryPointFunc_3d)
ZELFIN_NULL_ENTRY(EntryPointFunc_camera)
ZELFIN_NULL_ENTRY(EntryPointFunc_light)
ZELFIN_NULL_ENTRY(EntryPointFunc_bezier)
