// A plug-in that breaks the host's rules on purpose, one entry point per rule: Misbehave_ and the
// rule's identifier with underscores (Misbehave_no_such_param). Built as a library of its own and
// loaded by the stand-in host as the real plug-in is, it lets rules_test.cpp beside it show that
// the host reports each rule, and only that rule, for the misbehaviour named after it. Each entry
// point does nothing for the commands it does not misbehave in.
//
// Like the real plug-in it sees nothing of the stand-in host: only the host interface.
#include <cstring>

#include "host/host.h"

#if defined(_WIN32)
#define MISBEHAVING_ENTRY_POINT extern "C" __declspec(dllexport)
#else
#define MISBEHAVING_ENTRY_POINT extern "C" __attribute__((visibility("default")))
#endif

// An entry point, with the arguments every command gets.
#define MISBEHAVE(rule)                                                                    \
  MISBEHAVING_ENTRY_POINT PF_Err Misbehave_##rule(PF_Cmd cmd, PF_InData* in, PF_OutData* out, \
                                                  PF_ParamDef* params[], PF_LayerDef* output,  \
                                                  void* extra)
#define UNUSED_ARGUMENTS \
  (void)cmd;             \
  (void)in;              \
  (void)out;             \
  (void)params;          \
  (void)output;          \
  (void)extra

namespace {

// PF_NewWorldFlag_DEEP_PIXELS: new_world makes a 16-bit world.
constexpr PF_NewWorldFlags kDeepPixels = 1 << 1;

PF_ParamDef Checkbox() {
  PF_ParamDef def{};
  def.param_type = PF_Param_CHECKBOX;
  std::strcpy(def.name, "Misbehaving");
  return def;
}

template <typename Suite>
const Suite* Acquire(PF_InData* in, const char* name, int version) {
  const void* suite = nullptr;
  in->pica_basicP->AcquireSuite(name, version, &suite);
  return static_cast<const Suite*>(suite);
}

PF_EventExtra* Event(PF_Cmd cmd, void* extra) {
  return cmd == PF_Cmd_EVENT ? static_cast<PF_EventExtra*>(extra) : nullptr;
}

PF_SmartRenderExtra* Render(PF_Cmd cmd, void* extra) {
  return cmd == PF_Cmd_SMART_RENDER ? static_cast<PF_SmartRenderExtra*>(extra) : nullptr;
}

// The output world of a render, or null.
PF_EffectWorld* Output(PF_InData* in, PF_SmartRenderExtra* render) {
  PF_EffectWorld* world = nullptr;
  if (render->cb->checkout_output(in->effect_ref, &world) != PF_Err_NONE) return nullptr;
  return world;
}

// The render callbacks of an earlier render, kept past its command.
PF_SmartRenderCallbacks gKeptCallbacks{};

}  // namespace

// --- Calls and their arguments.

// add_param while the host shows the About box.
MISBEHAVE(called_outside_its_command) {
  UNUSED_ARGUMENTS;
  if (cmd != PF_Cmd_ABOUT) return PF_Err_NONE;
  PF_ParamDef def = Checkbox();
  return in->inter.add_param(in->effect_ref, -1, &def);
}

// A supplier asked for in a click, which is no draw event.
MISBEHAVE(drawing_outside_a_draw_event) {
  UNUSED_ARGUMENTS;
  if (!Event(cmd, extra)) return PF_Err_NONE;
  const auto* draw =
      Acquire<DRAWBOT_DrawbotSuite1>(in, kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1);
  if (!draw) return PF_Err_BAD_CALLBACK_PARAM;
  DRAWBOT_SupplierRef supplier = nullptr;
  draw->GetSupplier(nullptr, &supplier);
  return in->pica_basicP->ReleaseSuite(kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1);
}

// abort with an effect_ref of its own making.
MISBEHAVE(not_this_effects_reference) {
  UNUSED_ARGUMENTS;
  if (cmd != PF_Cmd_ABOUT) return PF_Err_NONE;
  static int notTheHosts = 0;
  in->inter.abort(reinterpret_cast<PF_ProgPtr>(&notTheHosts));
  return PF_Err_NONE;
}

// A conversion with a refcon that is not the one the event record carries.
MISBEHAVE(not_this_events_context) {
  UNUSED_ARGUMENTS;
  PF_EventExtra* event = Event(cmd, extra);
  if (!event) return PF_Err_NONE;
  PF_FixedPoint point{0, 0};
  event->cbs.source_to_frame(nullptr, event->contextH, &point);
  return PF_Err_NONE;
}

// add_param without a definition.
MISBEHAVE(null_argument) {
  UNUSED_ARGUMENTS;
  if (cmd != PF_Cmd_PARAMS_SETUP) return PF_Err_NONE;
  in->inter.add_param(in->effect_ref, -1, nullptr);
  return PF_Err_NONE;
}

// The utility callbacks' fill, which the stand-in host does not provide.
MISBEHAVE(unsupported_function) {
  UNUSED_ARGUMENTS;
  if (cmd != PF_Cmd_ABOUT) return PF_Err_NONE;
  in->utils->fill(in->effect_ref, nullptr, nullptr, nullptr);
  return PF_Err_NONE;
}

// --- Parameters.

// add_param at an index past the list's end.
MISBEHAVE(param_not_appended) {
  UNUSED_ARGUMENTS;
  if (cmd != PF_Cmd_PARAMS_SETUP) return PF_Err_NONE;
  PF_ParamDef def = Checkbox();
  in->inter.add_param(in->effect_ref, 5, &def);
  return PF_Err_NONE;
}

// checkout_param of an index the list does not have.
MISBEHAVE(no_such_param) {
  UNUSED_ARGUMENTS;
  if (cmd != PF_Cmd_ABOUT) return PF_Err_NONE;
  PF_ParamDef def{};
  in->inter.checkout_param(in->effect_ref, 99, in->current_time, in->time_step, in->time_scale,
                           &def);
  return PF_Err_NONE;
}

// The input layer's UI updated with a checkbox's definition.
MISBEHAVE(param_type_mismatch) {
  UNUSED_ARGUMENTS;
  if (cmd != PF_Cmd_UPDATE_PARAMS_UI) return PF_Err_NONE;
  const auto* utils =
      Acquire<PF_ParamUtilsSuite1>(in, kPFParamUtilsSuite, kPFParamUtilsSuiteVersion2);
  if (!utils) return PF_Err_BAD_CALLBACK_PARAM;
  PF_ParamDef def = Checkbox();
  utils->PF_UpdateParamUI(in->effect_ref, 0, &def);
  return in->pica_basicP->ReleaseSuite(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion2);
}

// checkout_layer of parameter 1, which is no layer (and here no parameter at all).
MISBEHAVE(not_a_layer_param) {
  UNUSED_ARGUMENTS;
  if (cmd != PF_Cmd_SMART_PRE_RENDER) return PF_Err_NONE;
  auto* pre = static_cast<PF_PreRenderExtra*>(extra);
  PF_CheckoutResult result{};
  pre->cb->checkout_layer(in->effect_ref, 1, 0, &pre->input->output_request, in->current_time,
                          in->time_step, in->time_scale, &result);
  return PF_Err_NONE;
}

// --- Rendering.

// A render with callbacks kept from an earlier render: sent by hand, with no frame set up, it
// asks for an output that does not exist.
MISBEHAVE(no_frame_set_up) {
  UNUSED_ARGUMENTS;
  PF_SmartRenderExtra* render = Render(cmd, extra);
  if (!render) return PF_Err_NONE;
  if (render->cb) {
    gKeptCallbacks = *render->cb;
    return PF_Err_NONE;
  }
  if (!gKeptCallbacks.checkout_output) return PF_Err_BAD_CALLBACK_PARAM;
  PF_EffectWorld* world = nullptr;
  gKeptCallbacks.checkout_output(in->effect_ref, &world);
  return PF_Err_NONE;
}

// The pixels of checkout 7 after a pre-render that checked out only 0.
MISBEHAVE(layer_not_checked_out) {
  UNUSED_ARGUMENTS;
  if (cmd == PF_Cmd_SMART_PRE_RENDER) {
    auto* pre = static_cast<PF_PreRenderExtra*>(extra);
    PF_CheckoutResult result{};
    return pre->cb->checkout_layer(in->effect_ref, 0, 0, &pre->input->output_request,
                                   in->current_time, in->time_step, in->time_scale, &result);
  }
  PF_SmartRenderExtra* render = Render(cmd, extra);
  if (!render) return PF_Err_NONE;
  PF_EffectWorld* pixels = nullptr;
  render->cb->checkout_layer_pixels(in->effect_ref, 7, &pixels);
  return PF_Err_NONE;
}

// PF_COPY from a buffer of the plug-in's own into the output.
MISBEHAVE(buffer_not_the_hosts) {
  UNUSED_ARGUMENTS;
  PF_SmartRenderExtra* render = Render(cmd, extra);
  if (!render) return PF_Err_NONE;
  PF_EffectWorld* dst = Output(in, render);
  if (!dst) return PF_Err_BAD_CALLBACK_PARAM;
  static PF_Pixel pixels[4] = {};
  PF_EffectWorld own{};
  own.data = pixels;
  own.rowbytes = sizeof pixels;
  own.width = 4;
  own.height = 1;
  in->utils->copy(in->effect_ref, &own, dst, nullptr, nullptr);
  return PF_Err_NONE;
}

// PF_COPY of the output onto a copy of its record one pixel narrower.
MISBEHAVE(buffer_record_changed) {
  UNUSED_ARGUMENTS;
  PF_SmartRenderExtra* render = Render(cmd, extra);
  if (!render) return PF_Err_NONE;
  PF_EffectWorld* dst = Output(in, render);
  if (!dst) return PF_Err_BAD_CALLBACK_PARAM;
  PF_EffectWorld narrower = *dst;
  narrower.width -= 1;
  in->utils->copy(in->effect_ref, dst, &narrower, nullptr, nullptr);
  return PF_Err_NONE;
}

// PF_COPY of the 8-bit output into a 16-bit world of its own.
MISBEHAVE(copy_between_depths) {
  UNUSED_ARGUMENTS;
  PF_SmartRenderExtra* render = Render(cmd, extra);
  if (!render) return PF_Err_NONE;
  PF_EffectWorld* output8 = Output(in, render);
  if (!output8) return PF_Err_BAD_CALLBACK_PARAM;
  PF_EffectWorld deep{};
  if (in->utils->new_world(in->effect_ref, output8->width, output8->height, kDeepPixels, &deep))
    return PF_Err_BAD_CALLBACK_PARAM;
  in->utils->copy(in->effect_ref, output8, &deep, nullptr, nullptr);
  return in->utils->dispose_world(in->effect_ref, &deep);
}

// A world from new_world, never disposed of.
MISBEHAVE(world_kept_beyond_command) {
  UNUSED_ARGUMENTS;
  if (cmd != PF_Cmd_ABOUT) return PF_Err_NONE;
  PF_EffectWorld world{};
  return in->utils->new_world(in->effect_ref, 4, 4, 0, &world);
}

// A message longer than return_msg holds.
MISBEHAVE(return_msg_overflow) {
  UNUSED_ARGUMENTS;
  if (cmd != PF_Cmd_ABOUT) return PF_Err_NONE;
  in->utils->ansi.sprintf(out->return_msg, "%300s", "");
  return PF_Err_NONE;
}

// A byte written just before the output's first pixel.
MISBEHAVE(guard_bytes_overwritten) {
  UNUSED_ARGUMENTS;
  PF_SmartRenderExtra* render = Render(cmd, extra);
  if (!render) return PF_Err_NONE;
  PF_EffectWorld* dst = Output(in, render);
  if (!dst) return PF_Err_BAD_CALLBACK_PARAM;
  reinterpret_cast<unsigned char*>(dst->data)[-1] = 0;
  return PF_Err_NONE;
}

// --- Handles.

// The disposal of a handle the host never made.
MISBEHAVE(unknown_handle) {
  UNUSED_ARGUMENTS;
  if (cmd != PF_Cmd_ABOUT) return PF_Err_NONE;
  static void* master = nullptr;
  in->utils->host_dispose_handle(&master);
  return PF_Err_NONE;
}

// A handle disposed of twice.
MISBEHAVE(disposed_handle) {
  UNUSED_ARGUMENTS;
  if (cmd != PF_Cmd_ABOUT) return PF_Err_NONE;
  PF_Handle handle = in->utils->host_new_handle(4);
  if (!handle) return PF_Err_OUT_OF_MEMORY;
  in->utils->host_dispose_handle(handle);
  in->utils->host_dispose_handle(handle);
  return PF_Err_NONE;
}

// An unlock of a handle never locked.
MISBEHAVE(unlock_without_lock) {
  UNUSED_ARGUMENTS;
  if (cmd != PF_Cmd_ABOUT) return PF_Err_NONE;
  PF_Handle handle = in->utils->host_new_handle(4);
  if (!handle) return PF_Err_OUT_OF_MEMORY;
  in->utils->host_unlock_handle(handle);
  in->utils->host_dispose_handle(handle);
  return PF_Err_NONE;
}

// A handle made and left.
MISBEHAVE(handle_kept_beyond_command) {
  UNUSED_ARGUMENTS;
  if (cmd != PF_Cmd_ABOUT) return PF_Err_NONE;
  return in->utils->host_new_handle(4) ? PF_Err_NONE : PF_Err_OUT_OF_MEMORY;
}

// Global data handed over in the setup and kept by a setdown that succeeds.
MISBEHAVE(global_data_not_disposed) {
  UNUSED_ARGUMENTS;
  if (cmd != PF_Cmd_GLOBAL_SETUP) return PF_Err_NONE;
  out->global_data = in->utils->host_new_handle(4);
  return out->global_data ? PF_Err_NONE : PF_Err_OUT_OF_MEMORY;
}

// --- Suites.

// A release of a suite never acquired.
MISBEHAVE(suite_not_acquired) {
  UNUSED_ARGUMENTS;
  if (cmd != PF_Cmd_ABOUT) return PF_Err_NONE;
  in->pica_basicP->ReleaseSuite(kPFANSISuite, kPFANSISuiteVersion1);
  return PF_Err_NONE;
}

// A suite acquired and never given back.
MISBEHAVE(suite_not_released) {
  UNUSED_ARGUMENTS;
  if (cmd != PF_Cmd_ABOUT) return PF_Err_NONE;
  return Acquire<PF_ANSICallbacksSuite1>(in, kPFANSISuite, kPFANSISuiteVersion1)
             ? PF_Err_NONE
             : PF_Err_BAD_CALLBACK_PARAM;
}

// --- Drawing, in a draw event.

// A path the host never made.
MISBEHAVE(stale_drawing_reference) {
  UNUSED_ARGUMENTS;
  if (!Event(cmd, extra)) return PF_Err_NONE;
  const auto* path =
      Acquire<DRAWBOT_PathSuite1>(in, kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1);
  if (!path) return PF_Err_BAD_CALLBACK_PARAM;
  static int notAPath = 0;
  path->MoveTo(reinterpret_cast<DRAWBOT_PathRef>(&notAPath), 1, 1);
  return in->pica_basicP->ReleaseSuite(kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1);
}

// ReleaseObject of the event's drawing reference, which is the host's.
MISBEHAVE(release_of_host_drawing_object) {
  UNUSED_ARGUMENTS;
  PF_EventExtra* event = Event(cmd, extra);
  if (!event) return PF_Err_NONE;
  const auto* ui = Acquire<PF_EffectCustomUISuite1>(in, kPFEffectCustomUISuite,
                                                    kPFEffectCustomUISuiteVersion1);
  const auto* supplier = Acquire<DRAWBOT_SupplierSuite1>(in, kDRAWBOT_SupplierSuite,
                                                         kDRAWBOT_SupplierSuite_Version1);
  if (ui && supplier) {
    DRAWBOT_DrawRef drawing = nullptr;
    ui->PF_GetDrawingReference(event->contextH, &drawing);
    supplier->ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(drawing));
  }
  if (ui) in->pica_basicP->ReleaseSuite(kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1);
  if (supplier)
    in->pica_basicP->ReleaseSuite(kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1);
  return PF_Err_NONE;
}

// A path made and never released.
MISBEHAVE(drawing_object_kept) {
  UNUSED_ARGUMENTS;
  PF_EventExtra* event = Event(cmd, extra);
  if (!event) return PF_Err_NONE;
  const auto* ui = Acquire<PF_EffectCustomUISuite1>(in, kPFEffectCustomUISuite,
                                                    kPFEffectCustomUISuiteVersion1);
  const auto* draw =
      Acquire<DRAWBOT_DrawbotSuite1>(in, kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1);
  const auto* supplier = Acquire<DRAWBOT_SupplierSuite1>(in, kDRAWBOT_SupplierSuite,
                                                         kDRAWBOT_SupplierSuite_Version1);
  if (ui && draw && supplier) {
    DRAWBOT_DrawRef drawing = nullptr;
    DRAWBOT_SupplierRef supplierRef = nullptr;
    DRAWBOT_PathRef path = nullptr;
    ui->PF_GetDrawingReference(event->contextH, &drawing);
    draw->GetSupplier(drawing, &supplierRef);
    supplier->NewPath(supplierRef, &path);
  }
  if (ui) in->pica_basicP->ReleaseSuite(kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1);
  if (draw) in->pica_basicP->ReleaseSuite(kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1);
  if (supplier)
    in->pica_basicP->ReleaseSuite(kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1);
  return PF_Err_NONE;
}
