// Custom user interface in the Composition and Layer panels: registration, the event record
// the host sends with PF_Cmd_EVENT, and the suite that yields a drawing reference. The contracts
// beside the callbacks and suite functions read as include/host/README.md ("Reading the
// contracts") says.
#pragma once

#include "host/drawbot.h"
#include "host/types.h"

extern "C" {

typedef A_long PF_EventType;
typedef A_long PF_WindowType;
typedef A_long PF_Modifiers;
typedef A_long PF_EventInFlags;
typedef A_long PF_EventOutFlags;
typedef A_long PF_CustomEventFlags;
typedef A_long PF_UIAlignment;
typedef A_long PF_EffectArea;
typedef A_long PF_KeyCode;
typedef A_long PF_CursorType;
typedef void* PF_ContextRefcon;

struct PF_Context {
  A_u_long magic;
  PF_WindowType w_type;  // the panel the event belongs to
  PF_ContextRefcon reserved_flt;
  A_intptr_t plugin_state[4];
  DRAWBOT_DrawRef reserved_drawref;
  void* reserved_paneP;
};
// A handle to the window context: the panel is (*contextH)->w_type.
typedef PF_Context** PF_ContextH;

struct PF_DoClickEventInfo {
  A_u_long when;
  PF_Point screen_point;  // panel ("frame") pixels
  A_long num_clicks;
  PF_Modifiers modifiers;
  // Handed back unchanged with every later event of the same drag.
  A_intptr_t continue_refcon[4];
  PF_Boolean send_drag;  // set by the plug-in to receive the drag's events
  PF_Boolean last_time;  // set by the host on the event that ends the drag
};

struct PF_DrawEventInfo {
  PF_LRect update_rect;
  A_long depth;
};

struct PF_KeyDownEvent {
  A_u_long when;
  PF_Point screen_point;
  PF_KeyCode keycode;
  PF_Modifiers modifiers;
};

struct PF_AdjustCursorEventInfo {
  PF_Point screen_point;
  PF_Modifiers modifiers;
  PF_CursorType set_cursor;
};

union PF_EventUnion {
  PF_DoClickEventInfo do_click;
  PF_DrawEventInfo draw;
  PF_KeyDownEvent key_down;
  PF_AdjustCursorEventInfo adjust_cursor;
};

struct PF_EffectWindowInfo {
  PF_ParamIndex index;
  PF_EffectArea area;
  PF_LRect current_frame;
  PF_LRect param_title_frame;
  A_long horiz_offset;
};

// Conversions between the panel's spaces; each converts the point in place. "Source" is the
// layer in the Layer panel and the composition in the Composition panel; "frame" is the
// panel's pixels: frame = source * zoom - scroll, the scroll being how far the view has moved
// over the zoomed source. Each belongs to the event that carries it, of whatever kind, and takes
// this record's refcon and the event's contextH; layer_to_comp and comp_to_layer also the time
// and time scale of PF_InData. error: the point may be unchanged; the plug-in uses it as the
// callback left it.
struct PF_EventCallbacks {
  void* refcon;  // first argument of every callback below
  // [PF_Cmd_EVENT] From the layer's pixels to the composition's.
  PF_Err (*layer_to_comp)(void* refcon, PF_ContextH context, A_long curr_time, A_long time_scale,
                          PF_FixedPoint* pt);
  // [PF_Cmd_EVENT] From the composition's pixels to the layer's.
  PF_Err (*comp_to_layer)(void* refcon, PF_ContextH context, A_long curr_time, A_long time_scale,
                          PF_FixedPoint* pt);
  PF_Err (*get_comp2layer_xform)(void* refcon, PF_ContextH context, A_long curr_time,
                                 A_long time_scale, A_long* exists, PF_FloatMatrix* comp2layer);
  PF_Err (*get_layer2comp_xform)(void* refcon, PF_ContextH context, A_long curr_time,
                                 A_long time_scale, PF_FloatMatrix* layer2comp);
  // [PF_Cmd_EVENT] From the panel's source to its frame.
  PF_Err (*source_to_frame)(void* refcon, PF_ContextH context, PF_FixedPoint* pt);
  // [PF_Cmd_EVENT] From the panel's frame to its source.
  PF_Err (*frame_to_source)(void* refcon, PF_ContextH context, PF_FixedPoint* pt);
  PF_Err (*info_draw_color)(void* refcon, PF_Pixel color);
  PF_Err (*info_draw_text)(void* refcon, const A_char* text1, const A_char* text2);
};

// The extra argument of PF_Cmd_EVENT.
struct PF_EventExtra {
  PF_ContextH contextH;
  PF_EventType e_type;
  PF_EventUnion u;
  PF_EffectWindowInfo effect_win;
  PF_EventCallbacks cbs;
  PF_EventInFlags evt_in_flags;
  PF_EventOutFlags evt_out_flags;
};

// What register_ui announces: the events wanted and in which panels.
struct PF_CustomUIInfo {
  A_long reserved;
  PF_CustomEventFlags events;
  A_long comp_ui_width;
  A_long comp_ui_height;
  PF_UIAlignment comp_ui_alignment;
  A_long layer_ui_width;
  A_long layer_ui_height;
  PF_UIAlignment layer_ui_alignment;
  A_long preview_ui_width;
  A_long preview_ui_height;
  PF_UIAlignment preview_ui_alignment;
};

// "PF Effect Custom UI Suite" version 1.
struct PF_EffectCustomUISuite1 {
  // [PF_Cmd_EVENT] The drawing reference of the event's context. owns: the host, valid until
  // the event returns, never released by the plug-in. null with 0: the panel cannot be drawn
  // into; draw nothing.
  PF_Err (*PF_GetDrawingReference)(const PF_ContextH effect_contextH,
                                   DRAWBOT_DrawRef* referenceP0);
};

ZELFIN_HOST_RECORD(PF_Context, 64, 8);
ZELFIN_HOST_MEMBER(PF_Context, magic, 0, 4);
ZELFIN_HOST_MEMBER(PF_Context, w_type, 4, 4);
ZELFIN_HOST_MEMBER(PF_Context, reserved_flt, 8, 8);
ZELFIN_HOST_MEMBER(PF_Context, plugin_state, 16, 32);
ZELFIN_HOST_MEMBER(PF_Context, reserved_drawref, 48, 8);
ZELFIN_HOST_MEMBER(PF_Context, reserved_paneP, 56, 8);
ZELFIN_HOST_RECORD(PF_DoClickEventInfo, 64, 8);
ZELFIN_HOST_RECORD(PF_DrawEventInfo, 20, 4);
ZELFIN_HOST_RECORD(PF_KeyDownEvent, 20, 4);
ZELFIN_HOST_RECORD(PF_AdjustCursorEventInfo, 16, 4);
ZELFIN_HOST_RECORD(PF_EffectWindowInfo, 44, 4);

ZELFIN_HOST_RECORD(PF_EventUnion, 64, 8);
ZELFIN_HOST_MEMBER(PF_EventUnion, do_click, 0, 64);
ZELFIN_HOST_MEMBER(PF_EventUnion, do_click.when, 0, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, do_click.screen_point, 4, 8);
ZELFIN_HOST_MEMBER(PF_EventUnion, do_click.screen_point.h, 4, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, do_click.screen_point.v, 8, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, do_click.num_clicks, 12, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, do_click.modifiers, 16, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, do_click.continue_refcon, 24, 32);
ZELFIN_HOST_MEMBER(PF_EventUnion, do_click.send_drag, 56, 1);
ZELFIN_HOST_MEMBER(PF_EventUnion, do_click.last_time, 57, 1);
ZELFIN_HOST_MEMBER(PF_EventUnion, draw, 0, 20);
ZELFIN_HOST_MEMBER(PF_EventUnion, draw.update_rect, 0, 16);
ZELFIN_HOST_MEMBER(PF_EventUnion, draw.update_rect.left, 0, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, draw.update_rect.top, 4, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, draw.update_rect.right, 8, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, draw.update_rect.bottom, 12, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, draw.depth, 16, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, key_down, 0, 20);
ZELFIN_HOST_MEMBER(PF_EventUnion, key_down.when, 0, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, key_down.screen_point, 4, 8);
ZELFIN_HOST_MEMBER(PF_EventUnion, key_down.screen_point.h, 4, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, key_down.screen_point.v, 8, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, key_down.keycode, 12, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, key_down.modifiers, 16, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, adjust_cursor, 0, 16);
ZELFIN_HOST_MEMBER(PF_EventUnion, adjust_cursor.screen_point, 0, 8);
ZELFIN_HOST_MEMBER(PF_EventUnion, adjust_cursor.screen_point.h, 0, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, adjust_cursor.screen_point.v, 4, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, adjust_cursor.modifiers, 8, 4);
ZELFIN_HOST_MEMBER(PF_EventUnion, adjust_cursor.set_cursor, 12, 4);
ZELFIN_HOST_RECORD(PF_EventCallbacks, 72, 8);
ZELFIN_HOST_MEMBER(PF_EventCallbacks, refcon, 0, 8);
ZELFIN_HOST_MEMBER(PF_EventCallbacks, layer_to_comp, 8, 8);
ZELFIN_HOST_MEMBER(PF_EventCallbacks, comp_to_layer, 16, 8);
ZELFIN_HOST_MEMBER(PF_EventCallbacks, get_comp2layer_xform, 24, 8);
ZELFIN_HOST_MEMBER(PF_EventCallbacks, get_layer2comp_xform, 32, 8);
ZELFIN_HOST_MEMBER(PF_EventCallbacks, source_to_frame, 40, 8);
ZELFIN_HOST_MEMBER(PF_EventCallbacks, frame_to_source, 48, 8);
ZELFIN_HOST_MEMBER(PF_EventCallbacks, info_draw_color, 56, 8);
ZELFIN_HOST_MEMBER(PF_EventCallbacks, info_draw_text, 64, 8);
ZELFIN_HOST_RECORD(PF_EventExtra, 208, 8);
ZELFIN_HOST_MEMBER(PF_EventExtra, contextH, 0, 8);
ZELFIN_HOST_MEMBER(PF_EventExtra, e_type, 8, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u, 16, 64);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.do_click, 16, 64);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.do_click.when, 16, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.do_click.screen_point, 20, 8);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.do_click.screen_point.h, 20, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.do_click.screen_point.v, 24, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.do_click.num_clicks, 28, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.do_click.modifiers, 32, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.do_click.continue_refcon, 40, 32);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.do_click.send_drag, 72, 1);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.do_click.last_time, 73, 1);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.draw, 16, 20);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.draw.update_rect, 16, 16);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.draw.update_rect.left, 16, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.draw.update_rect.top, 20, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.draw.update_rect.right, 24, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.draw.update_rect.bottom, 28, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.draw.depth, 32, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.key_down, 16, 20);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.key_down.when, 16, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.key_down.screen_point, 20, 8);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.key_down.screen_point.h, 20, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.key_down.screen_point.v, 24, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.key_down.keycode, 28, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.key_down.modifiers, 32, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.adjust_cursor, 16, 16);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.adjust_cursor.screen_point, 16, 8);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.adjust_cursor.screen_point.h, 16, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.adjust_cursor.screen_point.v, 20, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.adjust_cursor.modifiers, 24, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, u.adjust_cursor.set_cursor, 28, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, effect_win, 80, 44);
ZELFIN_HOST_MEMBER(PF_EventExtra, effect_win.index, 80, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, effect_win.area, 84, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, effect_win.current_frame, 88, 16);
ZELFIN_HOST_MEMBER(PF_EventExtra, effect_win.current_frame.left, 88, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, effect_win.current_frame.top, 92, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, effect_win.current_frame.right, 96, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, effect_win.current_frame.bottom, 100, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, effect_win.param_title_frame, 104, 16);
ZELFIN_HOST_MEMBER(PF_EventExtra, effect_win.param_title_frame.left, 104, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, effect_win.param_title_frame.top, 108, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, effect_win.param_title_frame.right, 112, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, effect_win.param_title_frame.bottom, 116, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, effect_win.horiz_offset, 120, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, cbs, 128, 72);
ZELFIN_HOST_MEMBER(PF_EventExtra, cbs.refcon, 128, 8);
ZELFIN_HOST_MEMBER(PF_EventExtra, cbs.layer_to_comp, 136, 8);
ZELFIN_HOST_MEMBER(PF_EventExtra, cbs.comp_to_layer, 144, 8);
ZELFIN_HOST_MEMBER(PF_EventExtra, cbs.get_comp2layer_xform, 152, 8);
ZELFIN_HOST_MEMBER(PF_EventExtra, cbs.get_layer2comp_xform, 160, 8);
ZELFIN_HOST_MEMBER(PF_EventExtra, cbs.source_to_frame, 168, 8);
ZELFIN_HOST_MEMBER(PF_EventExtra, cbs.frame_to_source, 176, 8);
ZELFIN_HOST_MEMBER(PF_EventExtra, cbs.info_draw_color, 184, 8);
ZELFIN_HOST_MEMBER(PF_EventExtra, cbs.info_draw_text, 192, 8);
ZELFIN_HOST_MEMBER(PF_EventExtra, evt_in_flags, 200, 4);
ZELFIN_HOST_MEMBER(PF_EventExtra, evt_out_flags, 204, 4);
ZELFIN_HOST_RECORD(PF_CustomUIInfo, 44, 4);
ZELFIN_HOST_MEMBER(PF_CustomUIInfo, reserved, 0, 4);
ZELFIN_HOST_MEMBER(PF_CustomUIInfo, events, 4, 4);
ZELFIN_HOST_MEMBER(PF_CustomUIInfo, comp_ui_width, 8, 4);
ZELFIN_HOST_MEMBER(PF_CustomUIInfo, comp_ui_height, 12, 4);
ZELFIN_HOST_MEMBER(PF_CustomUIInfo, comp_ui_alignment, 16, 4);
ZELFIN_HOST_MEMBER(PF_CustomUIInfo, layer_ui_width, 20, 4);
ZELFIN_HOST_MEMBER(PF_CustomUIInfo, layer_ui_height, 24, 4);
ZELFIN_HOST_MEMBER(PF_CustomUIInfo, layer_ui_alignment, 28, 4);
ZELFIN_HOST_MEMBER(PF_CustomUIInfo, preview_ui_width, 32, 4);
ZELFIN_HOST_MEMBER(PF_CustomUIInfo, preview_ui_height, 36, 4);
ZELFIN_HOST_MEMBER(PF_CustomUIInfo, preview_ui_alignment, 40, 4);
ZELFIN_HOST_RECORD(PF_EffectCustomUISuite1, 8, 8);
ZELFIN_HOST_MEMBER(PF_EffectCustomUISuite1, PF_GetDrawingReference, 0, 8);
}  // extern "C"

constexpr PF_EventType PF_Event_NEW_CONTEXT = 0;
constexpr PF_EventType PF_Event_ACTIVATE = 1;
constexpr PF_EventType PF_Event_DO_CLICK = 2;
constexpr PF_EventType PF_Event_DRAG = 3;
constexpr PF_EventType PF_Event_DRAW = 4;
constexpr PF_EventType PF_Event_DEACTIVATE = 5;
constexpr PF_EventType PF_Event_CLOSE_CONTEXT = 6;
constexpr PF_EventType PF_Event_IDLE = 7;
constexpr PF_EventType PF_Event_ADJUST_CURSOR = 9;
constexpr PF_EventType PF_Event_KEYDOWN = 10;
constexpr PF_EventType PF_Event_MOUSE_EXITED = 11;

constexpr PF_WindowType PF_Window_COMP = 0;
constexpr PF_WindowType PF_Window_LAYER = 1;
constexpr PF_WindowType PF_Window_EFFECT = 2;

constexpr PF_Modifiers PF_Mod_SHIFT_KEY = 0x200;

constexpr PF_EventOutFlags PF_EO_HANDLED_EVENT = 1;

constexpr PF_CustomEventFlags PF_CustomEFlag_COMP = 1;
constexpr PF_CustomEventFlags PF_CustomEFlag_LAYER = 2;
constexpr PF_CustomEventFlags PF_CustomEFlag_EFFECT = 4;

constexpr const char* kPFEffectCustomUISuite = "PF Effect Custom UI Suite";
constexpr int kPFEffectCustomUISuiteVersion1 = 1;
