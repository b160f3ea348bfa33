#include "ZelfinControl.h"

#include <new>

#include "Util/AEGP_SuiteHandler.h"
#include "Util/Smart_Utils.h"

namespace zelfin {

namespace {

constexpr const char* kNotice = "Keyframable rig controls. (c) 2026 ZelfinControls developers.";

// Name under which every effect registers with the host's plug-in services (kept on purpose:
// "Compatibility decisions" in docs/developer-guide.md).
constexpr const char* kRegistrationName = "Error!";

// Owns a freshly allocated global data handle until it is handed to the host: unlocks it if it
// is still locked and disposes of it on every other way out, a thrown error included.
class PendingHandle {
 public:
  PendingHandle(const PF_HandleSuite1* handlesP, PF_Handle handle)
      : handlesP_(handlesP), handle_(handle) {}
  // Also runs while a thrown error code unwinds, so nothing the host throws may leave it; an
  // unlock that throws does not keep the handle from being disposed of.
  ~PendingHandle() {
    if (handle_ == nullptr) {
      return;
    }
    if (locked_) {
      try {
        handlesP_->host_unlock_handle(handle_);
      } catch (...) {
      }
    }
    try {
      handlesP_->host_dispose_handle(handle_);
    } catch (...) {
    }
  }
  PendingHandle(const PendingHandle&) = delete;
  PendingHandle& operator=(const PendingHandle&) = delete;

  void* Lock() {
    void* blockP = handlesP_->host_lock_handle(handle_);
    locked_ = blockP != nullptr;
    return blockP;
  }
  void Unlock() {
    handlesP_->host_unlock_handle(handle_);
    locked_ = false;
  }
  // The host owns the handle from now on.
  PF_Handle HandOver() {
    PF_Handle handle = handle_;
    handle_ = nullptr;
    return handle;
  }

 private:
  const PF_HandleSuite1* handlesP_;
  PF_Handle handle_;
  bool locked_ = false;
};

}  // namespace

PF_Err DispatchCommand(const ZelfinCommandTable& table, PF_Cmd cmd, PF_InData* in_data,
                       PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output,
                       void* extra) noexcept {
  const EffectDescription& effect = kEffects[table.effect];
  // The records a handler reads. A host that leaves one of them out gets an error, not a crash.
  enum : unsigned { kIn = 1, kOut = 2, kParams = 4, kExtra = 8 };
  auto missing = [&](unsigned reads) {
    return ((reads & kIn) && in_data == nullptr) || ((reads & kOut) && out_data == nullptr) ||
           ((reads & kParams) && params == nullptr) || ((reads & kExtra) && extra == nullptr);
  };
  constexpr PF_Err kMissingRecord = PF_Err_BAD_CALLBACK_PARAM;
  try {
    switch (cmd) {
      case PF_Cmd_ABOUT:
        return missing(kIn | kOut) ? kMissingRecord : About(in_data, out_data, effect);
      case PF_Cmd_GLOBAL_SETUP:
        if (!table.globalSetup) return PF_Err_NONE;
        return missing(kIn | kOut) ? kMissingRecord : table.globalSetup(in_data, out_data, effect);
      case PF_Cmd_GLOBAL_SETDOWN:
        if (!table.globalSetdown) return PF_Err_NONE;
        return missing(kIn) ? kMissingRecord : table.globalSetdown(in_data);
      case PF_Cmd_PARAMS_SETUP:
        if (!table.paramsSetup) return PF_Err_NONE;
        return missing(kIn | kOut) ? kMissingRecord : table.paramsSetup(in_data, out_data);
      case PF_Cmd_UPDATE_PARAMS_UI:
        if (!table.updateParamsUI) return PF_Err_NONE;
        return missing(kIn | kOut | kParams) ? kMissingRecord
                                             : table.updateParamsUI(in_data, out_data, params);
      case PF_Cmd_EVENT:
        if (!table.event) return PF_Err_NONE;
        return missing(kIn | kOut | kParams | kExtra)
                   ? kMissingRecord
                   : table.event(in_data, out_data, params, output,
                                 static_cast<PF_EventExtra*>(extra));
      case PF_Cmd_SMART_PRE_RENDER:
        return missing(kIn | kExtra)
                   ? kMissingRecord
                   : PreRender(in_data, out_data, static_cast<PF_PreRenderExtra*>(extra));
      case PF_Cmd_SMART_RENDER:
        return missing(kIn | kExtra)
                   ? kMissingRecord
                   : SmartRender(in_data, out_data, static_cast<PF_SmartRenderExtra*>(extra));
      default:
        return PF_Err_NONE;
    }
  } catch (const PF_Err& err) {
    return err;
  } catch (const std::bad_alloc&) {
    return PF_Err_OUT_OF_MEMORY;
  } catch (...) {
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
}

PF_Err About(PF_InData* in_data, PF_OutData* out_data, const EffectDescription& effect) {
  in_data->utils->ansi.sprintf(out_data->return_msg, "%s, v%d.%d.%d\r%s", effect.name,
                               static_cast<int>(kVersionMajor),
                               static_cast<int>(kVersionMinor),
                               static_cast<int>(kVersionBugFix), kNotice);
  return PF_Err_NONE;
}

void DeclareVersionAndFlags(PF_OutData* out_data, const EffectDescription& effect) {
  out_data->my_version = kPluginVersion;
  out_data->out_flags |= effect.outFlags;
  out_data->out_flags2 |= effect.outFlags2;
}

PF_Err GlobalSetup(PF_InData* in_data, PF_OutData* out_data,
                   const EffectDescription& effect) {
  AEGP_SuiteHandler suites(in_data->pica_basicP);
  DeclareVersionAndFlags(out_data, effect);

  const PF_HandleSuite1* handlesP = suites.HandleSuite1();
  PF_Handle handle = handlesP->host_new_handle(sizeof(AEGP_PluginID));
  if (handle == nullptr) {
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
  // Declared after the suite handler, so it gives the handle back before the suites go.
  PendingHandle pending(handlesP, handle);
  // A handle that cannot be locked ends the setup with success and no global data (kept on
  // purpose: "Compatibility decisions" in docs/developer-guide.md).
  auto* pluginIdP = static_cast<AEGP_PluginID*>(pending.Lock());
  if (pluginIdP == nullptr) {
    return PF_Err_NONE;
  }
  const PF_Err err =
      suites.UtilitySuite3()->AEGP_RegisterWithAEGP(nullptr, kRegistrationName, pluginIdP);
  pending.Unlock();
  if (!err) {
    out_data->global_data = pending.HandOver();
  }
  return err;
}

PF_Err GlobalSetdown(PF_InData* in_data) {
  AEGP_SuiteHandler suites(in_data->pica_basicP);
  if (in_data->global_data != nullptr) {
    suites.HandleSuite1()->host_dispose_handle(in_data->global_data);
  }
  return PF_Err_NONE;
}

PF_Err PreRender(PF_InData* in_data, PF_OutData*, PF_PreRenderExtra* extra) {
  PF_RenderRequest request = extra->input->output_request;
  request.preserve_rgb_of_zero_alpha = true;
  PF_CheckoutResult checkout{};
  const PF_Err err =
      extra->cb->checkout_layer(in_data->effect_ref, 0, 0, &request, in_data->current_time,
                                in_data->time_step, in_data->time_scale, &checkout);
  UnionLRect(&checkout.result_rect, &extra->output->result_rect);
  UnionLRect(&checkout.max_result_rect, &extra->output->max_result_rect);
  return err;
}

PF_Err SmartRender(PF_InData* in_data, PF_OutData*, PF_SmartRenderExtra* extra) {
  PF_EffectWorld* inputP = nullptr;
  PF_EffectWorld* outputP = nullptr;
  PF_Err err = extra->cb->checkout_layer_pixels(in_data->effect_ref, 0, &inputP);
  if (!err) {
    err = extra->cb->checkout_output(in_data->effect_ref, &outputP);
  }
  // The host hands out no input world when the input covers nothing; then there is nothing
  // to copy.
  if (!err && inputP != nullptr && outputP != nullptr) {
    err = in_data->utils->copy(in_data->effect_ref, inputP, outputP, nullptr, nullptr);
  }
  return err;
}

}  // namespace zelfin
