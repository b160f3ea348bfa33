// The callback tables the host hands to every command: interaction callbacks (PF_InData::inter)
// and utility callbacks (PF_InData::utils). The contracts beside the callbacks read as
// include/host/README.md ("Reading the contracts") says.
#pragma once

#include "host/types.h"

extern "C" {

struct PF_CustomUIInfo;  // host/custom_ui.h

// Types of callbacks the plug-in never calls; only their slots must be in place.
struct PF_SampPB;
struct PF_CompositeMode;
struct PF_MaskWorld;
struct PF_LayerAudioPrivate;
typedef PF_LayerAudioPrivate* PF_LayerAudio;
typedef void* PF_SndSamplePtr;
typedef A_long PF_ModeFlags;
typedef A_long PF_XferMode;
typedef A_long PF_KernelFlags;
typedef A_long PF_NewWorldFlags;
typedef A_long PF_CallbackID;
typedef A_long PF_PlatDataID;
typedef PF_Err (*PF_CallbackFunc)(void);
typedef PF_Err (*PF_IteratePixel8Func)(void* refcon, A_long x, A_long y, PF_Pixel* in,
                                       PF_Pixel* out);
typedef PF_Err (*PF_IteratePixel16Func)(void* refcon, A_long x, A_long y, PF_Pixel16* in,
                                        PF_Pixel16* out);

struct PF_InteractCallbacks {
  // [any command] Copies parameter `index` of the effect's list, as it is at what_time, into
  // *param. owns: the plug-in, until it gives the copy back with checkin_param before the command
  // returns. error: nothing was copied; do not check it in.
  PF_Err (*checkout_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time,
                           A_long time_step, A_u_long time_scale, PF_ParamDef* param);
  // [any command] Gives back a copy checkout_param made; it is not used again. error: the
  // plug-in does not look at it.
  PF_Err (*checkin_param)(PF_ProgPtr effect_ref, PF_ParamDef* param);
  // [PF_Cmd_PARAMS_SETUP] Appends a copy of *def to the effect's list: index is -1 or the
  // list's current length. The plug-in keeps def. error: the parameter is not in the list; the
  // setup passes the code on and adds no more.
  PF_Err (*add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def);
  // [any command] Whether the user asked to stop: 0 to go on; otherwise the command stops and
  // returns the code.
  PF_Err (*abort)(PF_ProgPtr effect_ref);
  // [any command] Tells the host that `current` of `total` steps are done. error: as for abort,
  // the user asked to stop; the command stops and returns the code.
  PF_Err (*progress)(PF_ProgPtr effect_ref, A_long current, A_long total);
  // [PF_Cmd_PARAMS_SETUP] Asks for the custom UI events *cust_info names (the host copies it).
  // error: no events will come; the setup passes the code on.
  PF_Err (*register_ui)(PF_ProgPtr effect_ref, PF_CustomUIInfo* cust_info);
  PF_Err (*checkout_layer_audio)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long start_time,
                                 A_long duration, A_u_long time_scale, PF_UFixed rate,
                                 A_long bytes_per_sample, A_long num_channels, A_long fmt_signed,
                                 PF_LayerAudio* audio);
  PF_Err (*checkin_layer_audio)(PF_ProgPtr effect_ref, PF_LayerAudio audio);
  PF_Err (*get_audio_data)(PF_ProgPtr effect_ref, PF_LayerAudio audio, PF_SndSamplePtr* data,
                           A_long* num_samples, PF_UFixed* rate, A_long* bytes_per_sample,
                           A_long* num_channels, A_long* fmt_signed);
  void* reserved_str[3];
  void* reserved[10];
};

// The C functions of the same names, each tagged at the end of its line. The plug-in calls two:
// sprintf straight from this table (in_data->utils->ansi.sprintf) and strcpy through PF_STRCPY.
// Both write into a buffer the plug-in owns; sprintf's buffer is PF_OutData::return_msg and what
// it writes must fit there, terminator included. sprintf returns the characters written, negative
// on error; strcpy returns dest.
struct PF_ANSICallbacks {
  A_FpLong (*atan)(A_FpLong);                                 // [any command]
  A_FpLong (*atan2)(A_FpLong y, A_FpLong x);                  // [any command]
  A_FpLong (*ceil)(A_FpLong);                                 // [any command]
  A_FpLong (*cos)(A_FpLong);                                  // [any command]
  A_FpLong (*exp)(A_FpLong);                                  // [any command]
  A_FpLong (*fabs)(A_FpLong);                                 // [any command]
  A_FpLong (*floor)(A_FpLong);                                // [any command]
  A_FpLong (*fmod)(A_FpLong x, A_FpLong y);                   // [any command]
  A_FpLong (*hypot)(A_FpLong x, A_FpLong y);                  // [any command]
  A_FpLong (*log)(A_FpLong);                                  // [any command]
  A_FpLong (*log10)(A_FpLong);                                // [any command]
  A_FpLong (*pow)(A_FpLong x, A_FpLong y);                    // [any command]
  A_FpLong (*sin)(A_FpLong);                                  // [any command]
  A_FpLong (*sqrt)(A_FpLong);                                 // [any command]
  A_FpLong (*tan)(A_FpLong);                                  // [any command]
  int (*sprintf)(A_char* buffer, const A_char* format, ...);  // [any command]
  A_char* (*strcpy)(A_char* dest, const A_char* src);         // [any command]
  A_FpLong (*asin)(A_FpLong);                                 // [any command]
  A_FpLong (*acos)(A_FpLong);                                 // [any command]
  A_long ansi_procs[1];
};

struct PF_ColorCallbacks {
  PF_Err (*RGBtoHLS)(PF_ProgPtr effect_ref, PF_Pixel* rgb, PF_Fixed* hls);
  PF_Err (*HLStoRGB)(PF_ProgPtr effect_ref, PF_Fixed* hls, PF_Pixel* rgb);
  PF_Err (*RGBtoYIQ)(PF_ProgPtr effect_ref, PF_Pixel* rgb, PF_Fixed* yiq);
  PF_Err (*YIQtoRGB)(PF_ProgPtr effect_ref, PF_Fixed* yiq, PF_Pixel* rgb);
  PF_Err (*Luminance)(PF_ProgPtr effect_ref, PF_Pixel* rgb, A_long* lum100);
  PF_Err (*Hue)(PF_ProgPtr effect_ref, PF_Pixel* rgb, A_long* hue);
  PF_Err (*Lightness)(PF_ProgPtr effect_ref, PF_Pixel* rgb, A_long* lightness);
  PF_Err (*Saturation)(PF_ProgPtr effect_ref, PF_Pixel* rgb, A_long* saturation);
};

struct PF_UtilCallbacks {
  PF_Err (*begin_sampling)(PF_ProgPtr effect_ref, PF_Quality qual, PF_ModeFlags mf,
                           PF_SampPB* params);
  PF_Err (*subpixel_sample)(PF_ProgPtr effect_ref, PF_Fixed x, PF_Fixed y,
                            const PF_SampPB* params, PF_Pixel* dst_pixel);
  PF_Err (*area_sample)(PF_ProgPtr effect_ref, PF_Fixed x, PF_Fixed y, const PF_SampPB* params,
                        PF_Pixel* dst_pixel);
  void* get_batch_func_is_deprecated;
  PF_Err (*end_sampling)(PF_ProgPtr effect_ref, PF_Quality qual, PF_ModeFlags mf,
                         PF_SampPB* params);
  PF_Err (*composite_rect)(PF_ProgPtr effect_ref, PF_Rect* src_rect, A_long src_opacity,
                           PF_EffectWorld* source_wld, A_long dest_x, A_long dest_y,
                           PF_Field field_rdr, PF_XferMode xfer_mode, PF_EffectWorld* dest_wld);
  PF_Err (*blend)(PF_ProgPtr effect_ref, const PF_EffectWorld* src1, const PF_EffectWorld* src2,
                  PF_Fixed ratio, PF_EffectWorld* dst);
  PF_Err (*convolve)(PF_ProgPtr effect_ref, PF_EffectWorld* src, const PF_Rect* area,
                     PF_KernelFlags flags, A_long kernel_size, void* a_kernel, void* r_kernel,
                     void* g_kernel, void* b_kernel, PF_EffectWorld* dst);
  // [PF_Cmd_SMART_RENDER] Copies src into dst, two worlds of the same depth the host handed out:
  // checked out in this command (they stay the host's) or made by new_world. A null rectangle
  // stands for the whole buffer. error: the copy did not happen; the render passes the code on.
  PF_Err (*copy)(PF_ProgPtr effect_ref, PF_EffectWorld* src, PF_EffectWorld* dst,
                 PF_Rect* src_r, PF_Rect* dst_r);
  PF_Err (*fill)(PF_ProgPtr effect_ref, const PF_Pixel* color, const PF_Rect* dst_rect,
                 PF_EffectWorld* world);
  PF_Err (*gaussian_kernel)(PF_ProgPtr effect_ref, A_FpLong k_radius, PF_KernelFlags flags,
                            A_FpLong multiplier, A_long* diameter, void* kernel);
  PF_Err (*iterate)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                    PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                    PF_IteratePixel8Func pix_fn, PF_EffectWorld* dst);
  PF_Err (*premultiply)(PF_ProgPtr effect_ref, A_long forward, PF_EffectWorld* dst);
  PF_Err (*premultiply_color)(PF_ProgPtr effect_ref, PF_EffectWorld* src, const PF_Pixel* color,
                              A_long forward, PF_EffectWorld* dst);
  // [any command] Fills *world with a new world of width by height pixels: 16-bit when flags
  // holds PF_NewWorldFlag_DEEP_PIXELS (2), else 8-bit; all zero when it holds
  // PF_NewWorldFlag_CLEAR_PIXELS (1). owns: the plug-in, which gives it back with dispose_world
  // before the command returns. error: no world was made.
  PF_Err (*new_world)(PF_ProgPtr effect_ref, A_long width, A_long height, PF_NewWorldFlags flags,
                      PF_EffectWorld* world);
  // [any command] Frees a world new_world made; it is not used again. error: nothing was freed.
  PF_Err (*dispose_world)(PF_ProgPtr effect_ref, PF_EffectWorld* world);
  PF_Err (*iterate_origin)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                           PF_EffectWorld* src, const PF_Rect* area, const PF_Point* origin,
                           void* refcon, PF_IteratePixel8Func pix_fn, PF_EffectWorld* dst);
  PF_Err (*iterate_lut)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                        PF_EffectWorld* src, const PF_Rect* area, A_u_char* a_lut0,
                        A_u_char* r_lut0, A_u_char* g_lut0, A_u_char* b_lut0,
                        PF_EffectWorld* dst);
  PF_Err (*transfer_rect)(PF_ProgPtr effect_ref, PF_Quality quality, PF_ModeFlags m_flags,
                          PF_Field field, const PF_Rect* src_rec, const PF_EffectWorld* src_world,
                          const PF_CompositeMode* comp_mode, const PF_MaskWorld* mask_world0,
                          A_long dest_x, A_long dest_y, PF_EffectWorld* dst_world);
  PF_Err (*transform_world)(PF_ProgPtr effect_ref, PF_Quality quality, PF_ModeFlags m_flags,
                            PF_Field field, const PF_EffectWorld* src_world,
                            const PF_CompositeMode* comp_mode, const PF_MaskWorld* mask_world0,
                            const PF_FloatMatrix* matrices, A_long num_matrices,
                            PF_Boolean src2dst_matrix, const PF_Rect* dest_rect,
                            PF_EffectWorld* dst_world);
  // The four handle functions here and the two further down are those of "PF Handle Suite"
  // (host/suites.h), with the contracts written there.
  // [any command] A new zero-filled block; null: out of memory.
  PF_Handle (*host_new_handle)(A_u_longlong size);
  // [any command] The block's address, valid until the matching unlock.
  void* (*host_lock_handle)(PF_Handle pf_handle);
  // [any command] Ends one lock of a live handle.
  void (*host_unlock_handle)(PF_Handle pf_handle);
  // [any command] Frees a live handle the plug-in owns.
  void (*host_dispose_handle)(PF_Handle pf_handle);
  PF_Err (*get_callback_addr)(PF_ProgPtr effect_ref, PF_Quality quality, PF_ModeFlags mode_flags,
                              PF_CallbackID which_callback, PF_CallbackFunc* fn_ptr);
  PF_Err (*app)(PF_ProgPtr effect_ref, A_long selector, ...);
  PF_ANSICallbacks ansi;
  PF_ColorCallbacks colorCB;
  PF_Err (*get_platform_data)(PF_ProgPtr effect_ref, PF_PlatDataID which, void* data);
  // [any command] The size of a live handle's block.
  A_u_longlong (*host_get_handle_size)(PF_Handle pf_handle);
  PF_Err (*iterate_origin_non_clip_src)(PF_InData* in_data, A_long progress_base,
                                        A_long progress_final, PF_EffectWorld* src,
                                        const PF_Rect* area, const PF_Point* origin, void* refcon,
                                        PF_IteratePixel8Func pix_fn, PF_EffectWorld* dst);
  PF_Err (*iterate_generic)(A_long iterations, void* refcon,
                            PF_Err (*fn_func)(void* refcon, A_long thread_index, A_long i,
                                              A_long iterations));
  // [any command] Gives a live handle a block of new_size bytes.
  PF_Err (*host_resize_handle)(A_u_longlong new_size, PF_Handle* handle);
  PF_Err (*subpixel_sample16)(PF_ProgPtr effect_ref, PF_Fixed x, PF_Fixed y,
                              const PF_SampPB* params, PF_Pixel16* dst_pixel);
  PF_Err (*area_sample16)(PF_ProgPtr effect_ref, PF_Fixed x, PF_Fixed y, const PF_SampPB* params,
                          PF_Pixel16* dst_pixel);
  PF_Err (*fill16)(PF_ProgPtr effect_ref, const PF_Pixel16* color, const PF_Rect* dst_rect,
                   PF_EffectWorld* world);
  PF_Err (*premultiply_color16)(PF_ProgPtr effect_ref, PF_EffectWorld* src,
                                const PF_Pixel16* color, A_long forward, PF_EffectWorld* dst);
  PF_Err (*iterate16)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                      PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                      PF_IteratePixel16Func pix_fn, PF_EffectWorld* dst);
  PF_Err (*iterate_origin16)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                             PF_EffectWorld* src, const PF_Rect* area, const PF_Point* origin,
                             void* refcon, PF_IteratePixel16Func pix_fn, PF_EffectWorld* dst);
  PF_Err (*iterate_origin_non_clip_src16)(PF_InData* in_data, A_long progress_base,
                                          A_long progress_final, PF_EffectWorld* src,
                                          const PF_Rect* area, const PF_Point* origin,
                                          void* refcon, PF_IteratePixel16Func pix_fn,
                                          PF_EffectWorld* dst);
  PF_Err (*get_pixel_data8)(PF_EffectWorld* world, PF_PixelPtr pixels, PF_Pixel8** pixPP);
  PF_Err (*get_pixel_data16)(PF_EffectWorld* world, PF_PixelPtr pixels, PF_Pixel16** pixPP);
  A_long reserved[1];
};

ZELFIN_HOST_RECORD(PF_InteractCallbacks, 176, 8);
ZELFIN_HOST_MEMBER(PF_InteractCallbacks, checkout_param, 0, 8);
ZELFIN_HOST_MEMBER(PF_InteractCallbacks, checkin_param, 8, 8);
ZELFIN_HOST_MEMBER(PF_InteractCallbacks, add_param, 16, 8);
ZELFIN_HOST_MEMBER(PF_InteractCallbacks, abort, 24, 8);
ZELFIN_HOST_MEMBER(PF_InteractCallbacks, progress, 32, 8);
ZELFIN_HOST_MEMBER(PF_InteractCallbacks, register_ui, 40, 8);
ZELFIN_HOST_MEMBER(PF_InteractCallbacks, checkout_layer_audio, 48, 8);
ZELFIN_HOST_MEMBER(PF_InteractCallbacks, checkin_layer_audio, 56, 8);
ZELFIN_HOST_MEMBER(PF_InteractCallbacks, get_audio_data, 64, 8);
ZELFIN_HOST_MEMBER(PF_InteractCallbacks, reserved_str, 72, 24);
ZELFIN_HOST_MEMBER(PF_InteractCallbacks, reserved, 96, 80);

ZELFIN_HOST_RECORD(PF_ANSICallbacks, 160, 8);
ZELFIN_HOST_RECORD(PF_ColorCallbacks, 64, 8);

ZELFIN_HOST_RECORD(PF_UtilCallbacks, 552, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, begin_sampling, 0, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, subpixel_sample, 8, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, area_sample, 16, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, get_batch_func_is_deprecated, 24, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, end_sampling, 32, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, composite_rect, 40, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, blend, 48, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, convolve, 56, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, copy, 64, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, fill, 72, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, gaussian_kernel, 80, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, iterate, 88, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, premultiply, 96, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, premultiply_color, 104, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, new_world, 112, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, dispose_world, 120, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, iterate_origin, 128, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, iterate_lut, 136, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, transfer_rect, 144, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, transform_world, 152, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, host_new_handle, 160, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, host_lock_handle, 168, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, host_unlock_handle, 176, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, host_dispose_handle, 184, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, get_callback_addr, 192, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, app, 200, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi, 208, 160);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.atan, 208, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.atan2, 216, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.ceil, 224, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.cos, 232, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.exp, 240, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.fabs, 248, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.floor, 256, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.fmod, 264, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.hypot, 272, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.log, 280, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.log10, 288, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.pow, 296, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.sin, 304, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.sqrt, 312, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.tan, 320, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.sprintf, 328, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.strcpy, 336, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.asin, 344, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.acos, 352, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, ansi.ansi_procs, 360, 4);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, colorCB, 368, 64);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, colorCB.RGBtoHLS, 368, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, colorCB.HLStoRGB, 376, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, colorCB.RGBtoYIQ, 384, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, colorCB.YIQtoRGB, 392, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, colorCB.Luminance, 400, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, colorCB.Hue, 408, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, colorCB.Lightness, 416, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, colorCB.Saturation, 424, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, get_platform_data, 432, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, host_get_handle_size, 440, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, iterate_origin_non_clip_src, 448, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, iterate_generic, 456, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, host_resize_handle, 464, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, subpixel_sample16, 472, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, area_sample16, 480, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, fill16, 488, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, premultiply_color16, 496, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, iterate16, 504, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, iterate_origin16, 512, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, iterate_origin_non_clip_src16, 520, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, get_pixel_data8, 528, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, get_pixel_data16, 536, 8);
ZELFIN_HOST_MEMBER(PF_UtilCallbacks, reserved, 544, 4);
}  // extern "C"

// The string copy by the short name effects use; it expects `in_data` in scope.
#define PF_STRCPY (*in_data->utils->ansi.strcpy)
