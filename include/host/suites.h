// Host suites acquired by name and version through the basic suite: handles, plug-in
// services, parameter UI updates and the C math and string functions. The contracts beside the
// suite functions read as include/host/README.md ("Reading the contracts") says.
#pragma once

#include "host/basic_suite.h"
#include "host/types.h"

extern "C" {

typedef A_long AEGP_PluginID;
typedef struct AEGP_GlobalRefconPrivate* AEGP_GlobalRefcon;
typedef A_long PF_KeyIndex;
typedef A_long PF_TimeDir;

// Types of functions the plug-in never calls.
struct AEGP_ErrReportState;
struct AEGP_ColorVal;
struct PF_State;
struct A_Time;
struct A_Ratio {
  A_long num;
  A_u_long den;
};

// "PF Handle Suite" version 2 (see basic_suite.h for why the numbers differ).
struct PF_HandleSuite1 {
  // [any command] A new zero-filled block. owns: the plug-in, which disposes it before the
  // command returns or, in PF_Cmd_GLOBAL_SETUP only, hands it to the host as
  // PF_OutData::global_data; the host gives it back in PF_InData::global_data of later commands
  // and the plug-in disposes it in PF_Cmd_GLOBAL_SETDOWN (a setdown that cannot, for want of
  // this suite, returns an error). null: out of memory.
  PF_Handle (*host_new_handle)(A_HandleSize size);
  // [any command] The block's address, valid until the matching unlock; locks nest. null: the
  // handle cannot be locked (or is not a live handle); do not unlock it.
  void* (*host_lock_handle)(PF_Handle pf_handle);
  // [any command] Ends one lock of a live handle, made by a host_lock_handle call that returned
  // the block's address; locks nest, and the block stays locked until its last unlock. owns:
  // nothing changes hands: the handle stays with its owner and still has to be disposed of or
  // handed over; the address the lock gave is not used after the lock ends. null/error: there is
  // no result; a null handle, one not locked or one already disposed of breaks the rule, and the
  // host then changes nothing.
  void (*host_unlock_handle)(PF_Handle pf_handle);
  // [any command] Frees a live handle the plug-in owns; it must not be used again.
  void (*host_dispose_handle)(PF_Handle pf_handle);
  // [any command] The size in bytes of a live handle's block. null/error: 0 for a handle that is
  // not live.
  A_HandleSize (*host_get_handle_size)(PF_Handle pf_handle);
  // [any command] Gives the live handle *handle_ptr a block of new_sizeL bytes, keeping the bytes
  // both sizes hold; the handle stays the same, an address a lock gave does not. error: nothing
  // changed (out of memory, or not a live handle).
  PF_Err (*host_resize_handle)(A_HandleSize new_sizeL, PF_Handle* handle_ptr);
};

// "AEGP Utility Suite" version 7 (see basic_suite.h for why the numbers differ).
struct AEGP_UtilitySuite3 {
  A_Err (*AEGP_ReportInfo)(AEGP_PluginID aegp_plugin_id, const A_char* info_string);
  A_Err (*AEGP_GetDriverPluginInitFuncVersion)(A_short* major_versionPS,
                                               A_short* minor_versionPS);
  A_Err (*AEGP_GetDriverImplementationVersion)(A_short* major_versionPS,
                                               A_short* minor_versionPS);
  A_Err (*AEGP_StartQuietErrors)(AEGP_ErrReportState* err_stateP);
  A_Err (*AEGP_EndQuietErrors)(A_Boolean report_quieted_errorsB,
                               AEGP_ErrReportState* err_stateP);
  A_Err (*AEGP_StartUndoGroup)(const A_char* undo_name);
  A_Err (*AEGP_EndUndoGroup)(void);
  // [PF_Cmd_GLOBAL_SETUP] Registers the effect with the host's plug-in services under
  // plugin_name (copied) and writes its plug-in id. error: no id was written.
  A_Err (*AEGP_RegisterWithAEGP)(AEGP_GlobalRefcon global_refcon, const A_char* plugin_name,
                                 AEGP_PluginID* plugin_id);
  A_Err (*AEGP_GetMainHWND)(void* main_hwnd);
  A_Err (*AEGP_ShowHideAllFloaters)(A_Boolean include_tool_palB);
  A_Err (*AEGP_PaintPalGetForeColor)(AEGP_ColorVal* fore_color);
  A_Err (*AEGP_PaintPalGetBackColor)(AEGP_ColorVal* back_color);
  A_Err (*AEGP_PaintPalSetForeColor)(const AEGP_ColorVal* fore_color);
  A_Err (*AEGP_PaintPalSetBackColor)(const AEGP_ColorVal* back_color);
  A_Err (*AEGP_CharPalGetFillColor)(A_Boolean* is_defined, AEGP_ColorVal* fill_color);
  A_Err (*AEGP_CharPalGetStrokeColor)(A_Boolean* is_defined, AEGP_ColorVal* stroke_color);
  A_Err (*AEGP_CharPalSetFillColor)(const AEGP_ColorVal* fill_color);
  A_Err (*AEGP_CharPalSetStrokeColor)(const AEGP_ColorVal* stroke_color);
  A_Err (*AEGP_CharPalIsFillColorUIFrontmost)(A_Boolean* is_fill_color_selected);
  A_Err (*AEGP_ConvertFpLongToHSFRatio)(A_FpLong numberF, A_Ratio* ratio);
  A_Err (*AEGP_ConvertHSFRatioToFpLong)(A_Ratio ratio, A_FpLong* numberF);
  A_Err (*AEGP_CauseIdleRoutinesToBeCalled)(void);
  A_Err (*AEGP_GetSuppressInteractiveUI)(A_Boolean* ui_is_suppressedB);
  A_Err (*AEGP_WriteToOSConsole)(const A_char* text);
  A_Err (*AEGP_WriteToDebugLog)(const A_char* subsystem, const A_char* event_type,
                                const A_char* info);
};

// "PF Param Utils Suite" version 2 (see basic_suite.h for why the numbers differ).
struct PF_ParamUtilsSuite1 {
  // [PF_Cmd_UPDATE_PARAMS_UI] Replaces the UI of parameter `param_index` (name, ui_flags) with
  // that of `param_def`, a record of the parameter's own type that the host copies; the plug-in
  // keeps it. error: the parameter's UI is unchanged.
  PF_Err (*PF_UpdateParamUI)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                             const PF_ParamDef* param_def);
  PF_Err (*PF_GetCurrentStateObsolete)(PF_ProgPtr effect_ref, PF_State* state);
  PF_Err (*PF_HasParamChangedObsolete)(PF_ProgPtr effect_ref, const PF_State* state,
                                       PF_ParamIndex param_index, PF_Boolean* changedPB);
  PF_Err (*PF_HaveInputsChangedOverTimeSpanObsolete)(PF_ProgPtr effect_ref,
                                                     const PF_State* state,
                                                     const A_Time* start, const A_Time* duration,
                                                     PF_Boolean* changedPB);
  PF_Err (*PF_IsIdenticalCheckout)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                   A_long what_time1, A_long time_step1, A_u_long time_scale1,
                                   A_long what_time2, A_long time_step2, A_u_long time_scale2,
                                   PF_Boolean* identicalPB);
  PF_Err (*PF_FindKeyframeTime)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                A_long what_time, A_u_long time_scale, PF_TimeDir time_dir,
                                PF_Boolean* foundPB, PF_KeyIndex* key_indexP0,
                                A_long* key_timeP0, A_u_long* key_timescaleP0);
  PF_Err (*PF_GetKeyframeCount)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                PF_KeyIndex* key_count);
  PF_Err (*PF_CheckoutKeyframe)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                PF_KeyIndex key_index, A_long* key_timeP0,
                                A_u_long* key_timescaleP0, PF_ParamDef* param);
  PF_Err (*PF_CheckinKeyframe)(PF_ProgPtr effect_ref, PF_ParamDef* param);
  PF_Err (*PF_KeyIndexToTime)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                              PF_KeyIndex key_index, A_long* key_time,
                              A_u_long* key_timescale);
};

// "PF ANSI Suite" version 1. The C functions of the same names, each tagged at the end of its
// line; the results are the host's own and are used as they come, whatever they are (see the
// developer's guide, "Compatibility decisions", for the hit test's use of fabs).
struct PF_ANSICallbacksSuite1 {
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
};

ZELFIN_HOST_RECORD(PF_HandleSuite1, 48, 8);
ZELFIN_HOST_MEMBER(PF_HandleSuite1, host_new_handle, 0, 8);
ZELFIN_HOST_MEMBER(PF_HandleSuite1, host_lock_handle, 8, 8);
ZELFIN_HOST_MEMBER(PF_HandleSuite1, host_unlock_handle, 16, 8);
ZELFIN_HOST_MEMBER(PF_HandleSuite1, host_dispose_handle, 24, 8);
ZELFIN_HOST_MEMBER(PF_HandleSuite1, host_get_handle_size, 32, 8);
ZELFIN_HOST_MEMBER(PF_HandleSuite1, host_resize_handle, 40, 8);
ZELFIN_HOST_RECORD(AEGP_UtilitySuite3, 200, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_ReportInfo, 0, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_GetDriverPluginInitFuncVersion, 8, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_GetDriverImplementationVersion, 16, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_StartQuietErrors, 24, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_EndQuietErrors, 32, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_StartUndoGroup, 40, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_EndUndoGroup, 48, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_RegisterWithAEGP, 56, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_GetMainHWND, 64, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_ShowHideAllFloaters, 72, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_PaintPalGetForeColor, 80, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_PaintPalGetBackColor, 88, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_PaintPalSetForeColor, 96, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_PaintPalSetBackColor, 104, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_CharPalGetFillColor, 112, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_CharPalGetStrokeColor, 120, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_CharPalSetFillColor, 128, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_CharPalSetStrokeColor, 136, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_CharPalIsFillColorUIFrontmost, 144, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_ConvertFpLongToHSFRatio, 152, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_ConvertHSFRatioToFpLong, 160, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_CauseIdleRoutinesToBeCalled, 168, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_GetSuppressInteractiveUI, 176, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_WriteToOSConsole, 184, 8);
ZELFIN_HOST_MEMBER(AEGP_UtilitySuite3, AEGP_WriteToDebugLog, 192, 8);
ZELFIN_HOST_RECORD(PF_ParamUtilsSuite1, 80, 8);
ZELFIN_HOST_MEMBER(PF_ParamUtilsSuite1, PF_UpdateParamUI, 0, 8);
ZELFIN_HOST_MEMBER(PF_ParamUtilsSuite1, PF_GetCurrentStateObsolete, 8, 8);
ZELFIN_HOST_MEMBER(PF_ParamUtilsSuite1, PF_HasParamChangedObsolete, 16, 8);
ZELFIN_HOST_MEMBER(PF_ParamUtilsSuite1, PF_HaveInputsChangedOverTimeSpanObsolete, 24, 8);
ZELFIN_HOST_MEMBER(PF_ParamUtilsSuite1, PF_IsIdenticalCheckout, 32, 8);
ZELFIN_HOST_MEMBER(PF_ParamUtilsSuite1, PF_FindKeyframeTime, 40, 8);
ZELFIN_HOST_MEMBER(PF_ParamUtilsSuite1, PF_GetKeyframeCount, 48, 8);
ZELFIN_HOST_MEMBER(PF_ParamUtilsSuite1, PF_CheckoutKeyframe, 56, 8);
ZELFIN_HOST_MEMBER(PF_ParamUtilsSuite1, PF_CheckinKeyframe, 64, 8);
ZELFIN_HOST_MEMBER(PF_ParamUtilsSuite1, PF_KeyIndexToTime, 72, 8);
ZELFIN_HOST_RECORD(PF_ANSICallbacksSuite1, 152, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, atan, 0, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, atan2, 8, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, ceil, 16, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, cos, 24, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, exp, 32, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, fabs, 40, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, floor, 48, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, fmod, 56, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, hypot, 64, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, log, 72, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, log10, 80, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, pow, 88, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, sin, 96, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, sqrt, 104, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, tan, 112, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, sprintf, 120, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, strcpy, 128, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, asin, 136, 8);
ZELFIN_HOST_MEMBER(PF_ANSICallbacksSuite1, acos, 144, 8);
}  // extern "C"

// Names and versions under which the basic suite hands out these tables.
constexpr const char* kPFHandleSuite = "PF Handle Suite";
constexpr int kPFHandleSuiteVersion2 = 2;
constexpr const char* kAEGPUtilitySuite = "AEGP Utility Suite";
constexpr int kAEGPUtilitySuiteVersion7 = 7;
constexpr const char* kPFParamUtilsSuite = "PF Param Utils Suite";
constexpr int kPFParamUtilsSuiteVersion2 = 2;
constexpr const char* kPFANSISuite = "PF ANSI Suite";
constexpr int kPFANSISuiteVersion1 = 1;
