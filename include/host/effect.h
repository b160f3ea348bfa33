// The effect command interface: selectors, the records the host passes with every command,
// parameter definitions, and the entry point's signature.
#pragma once

#include "host/basic_suite.h"
#include "host/callbacks.h"
#include "host/types.h"

extern "C" {

typedef A_long PF_ParamType;
typedef A_long PF_ParamFlags;
typedef A_long PF_ParamUIFlags;
typedef A_long PF_ChangeFlags;
typedef A_long PF_OutFlags;
typedef A_long PF_OutFlags2;
typedef A_long PF_InFlags;
typedef A_long PF_FSliderFlags;
typedef A_short PF_ValueDisplayFlags;
typedef A_long PF_PathID;
typedef A_short PF_SoundChannels;
typedef A_short PF_SoundFormat;
typedef A_short PF_SoundSampleSize;
typedef PF_Handle PF_ArbitraryH;

struct PF_SpecVersion {
  A_short major;
  A_short minor;
};

struct PF_SoundFormatInfo {
  PF_FpLong rateF;
  PF_SoundChannels num_channels;
  PF_SoundFormat format;
  PF_SoundSampleSize sample_size;
};

struct PF_SoundWorld {
  PF_SoundFormatInfo fi;
  A_long num_samples;
  void* dataP;
};

// An image buffer (also the value of a layer parameter). `data` holds `height` rows of
// `rowbytes` bytes; the pixel type follows from world_flags and the render's bit depth.
struct PF_LayerDef {
  void* reserved0;
  void* reserved1;
  PF_WorldFlags world_flags;
  PF_PixelPtr data;
  A_long rowbytes;
  A_long width;
  A_long height;
  PF_LRect extent_hint;
  void* platform_ref;
  A_long reserved_long1;
  void* reserved_long4;
  PF_RationalScale pix_aspect_ratio;
  void* reserved_long2;
  A_long origin_x;
  A_long origin_y;
  A_long reserved_long3;
  A_long dephault;
};

struct PF_SliderDef {
  PF_ParamValue value;
  A_char value_str[32];
  A_char value_desc[32];
  PF_ParamValue valid_min;
  PF_ParamValue valid_max;
  PF_ParamValue slider_min;
  PF_ParamValue slider_max;
  PF_ParamValue dephault;
};

struct PF_FixedSliderDef {
  PF_Fixed value;
  A_char value_str[32];
  A_char value_desc[32];
  PF_Fixed valid_min;
  PF_Fixed valid_max;
  PF_Fixed slider_min;
  PF_Fixed slider_max;
  PF_Fixed dephault;
  A_short precision;
  PF_ValueDisplayFlags display_flags;
};

struct PF_AngleDef {
  PF_Fixed value;
  PF_Fixed dephault;
  PF_Fixed valid_min;
  PF_Fixed valid_max;
};

struct PF_CheckBoxDef {
  PF_ParamValue value;
  PF_Boolean dephault;
  A_char reserved;
  A_short reserved1;
  union {
    const A_char* nameptr;  // text shown beside the box
  } u;
};

struct PF_ColorDef {
  PF_Pixel value;
  PF_Pixel dephault;
};

// Point values in the layer's pixels, 16.16 fixed point.
struct PF_PointDef {
  PF_Fixed x_value;
  PF_Fixed y_value;
  A_char reserved[3];
  PF_Boolean restrict_bounds;
  PF_Fixed x_dephault;
  PF_Fixed y_dephault;
};

struct PF_PopupDef {
  PF_ParamValue value;  // 1-based choice
  A_short num_choices;
  A_short dephault;
  union {
    const A_char* namesptr;  // choices separated by '|'
  } u;
};

struct PF_FloatSliderDef {
  PF_FpLong value;
  PF_FpLong phase;
  A_char value_desc[32];
  PF_FpShort valid_min;
  PF_FpShort valid_max;
  PF_FpShort slider_min;
  PF_FpShort slider_max;
  PF_FpShort dephault;
  A_short precision;
  PF_ValueDisplayFlags display_flags;
  PF_FSliderFlags fs_flags;
  PF_FpShort curve_tolerance;
  PF_Boolean useExponent;
  PF_FpShort exponent;
};

struct PF_Point3DDef {
  PF_FpLong x_value;
  PF_FpLong y_value;
  PF_FpLong z_value;
  PF_FpLong x_dephault;
  PF_FpLong y_dephault;
  PF_FpLong z_dephault;
  char reserved[16];
};

struct PF_ArbitraryDef {
  A_short id;
  A_short pad;
  PF_ArbitraryH dephault;
  PF_ArbitraryH value;
  void* refconPV;
};

struct PF_PathDef {
  PF_PathID path_id;
  A_long reserved0;
  A_long dephault;
};

struct PF_ButtonDef {
  PF_ParamValue value;
  union {
    const A_char* namesptr;
  } u;
};

union PF_ParamDefUnion {
  PF_LayerDef ld;
  PF_SliderDef sd;
  PF_FixedSliderDef fd;
  PF_AngleDef ad;
  PF_CheckBoxDef bd;
  PF_ColorDef cd;
  PF_PointDef td;
  PF_PopupDef pd;
  PF_FloatSliderDef fs_d;
  PF_ArbitraryDef arb_d;
  PF_PathDef path_d;
  PF_ButtonDef button_d;
  PF_Point3DDef point3d_d;
};

// One parameter: its definition at registration, its value when the host passes it in.
struct PF_ParamDef {
  union {
    A_long id;                    // at registration
    PF_ChangeFlags change_flags;  // when the plug-in changes a value in an event
  } uu;
  PF_ParamUIFlags ui_flags;
  A_short ui_width;
  A_short ui_height;
  PF_ParamType param_type;
  A_char name[32];
  PF_ParamFlags flags;
  A_long unused;
  PF_ParamDefUnion u;
};

struct PF_InData {
  PF_InteractCallbacks inter;
  PF_UtilCallbacks* utils;
  PF_ProgPtr effect_ref;
  PF_Quality quality;
  PF_SpecVersion version;
  A_long serial_num;
  A_long appl_id;
  A_long num_params;
  A_long reserved;
  A_long what_cpu;
  A_long what_fpu;
  A_long current_time;
  A_long time_step;
  A_long total_time;
  A_long local_time_step;
  A_u_long time_scale;
  PF_Field field;
  PF_Fixed shutter_angle;
  A_long width;
  A_long height;
  PF_LRect extent_hint;
  A_long output_origin_x;
  A_long output_origin_y;
  PF_RationalScale downsample_x;
  PF_RationalScale downsample_y;
  PF_RationalScale pixel_aspect_ratio;
  PF_InFlags in_flags;
  PF_Handle global_data;
  PF_Handle sequence_data;
  PF_Handle frame_data;
  A_long start_sampL;
  A_long dur_sampL;
  A_long total_sampL;
  PF_SoundWorld src_snd;
  SPBasicSuite* pica_basicP;
  A_long pre_effect_source_origin_x;
  A_long pre_effect_source_origin_y;
  PF_Fixed shutter_phase;
};

struct PF_OutData {
  A_u_long my_version;
  A_char name[32];
  PF_Handle global_data;
  A_long num_params;
  PF_Handle sequence_data;
  A_long flat_sdata_size;
  PF_Handle frame_data;
  A_long width;
  A_long height;
  PF_Point origin;
  PF_OutFlags out_flags;
  A_char return_msg[256];
  A_long start_sampL;
  A_long dur_sampL;
  PF_SoundWorld dest_snd;
  PF_OutFlags2 out_flags2;
};

// Signature of every exported effect entry point; `extra` depends on the command
// (PF_EventExtra*, PF_PreRenderExtra*, PF_SmartRenderExtra* or null).
typedef PF_Err (*PF_EntryFunc)(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                               PF_ParamDef* params[], PF_LayerDef* output, void* extra);

ZELFIN_HOST_RECORD(PF_SpecVersion, 4, 2);
ZELFIN_HOST_MEMBER(PF_SpecVersion, major, 0, 2);
ZELFIN_HOST_MEMBER(PF_SpecVersion, minor, 2, 2);

ZELFIN_HOST_RECORD(PF_SoundWorld, 32, 8);
ZELFIN_HOST_MEMBER(PF_SoundWorld, fi, 0, 16);
ZELFIN_HOST_MEMBER(PF_SoundWorld, fi.rateF, 0, 8);
ZELFIN_HOST_MEMBER(PF_SoundWorld, fi.num_channels, 8, 2);
ZELFIN_HOST_MEMBER(PF_SoundWorld, fi.format, 10, 2);
ZELFIN_HOST_MEMBER(PF_SoundWorld, fi.sample_size, 12, 2);
ZELFIN_HOST_MEMBER(PF_SoundWorld, num_samples, 16, 4);
ZELFIN_HOST_MEMBER(PF_SoundWorld, dataP, 24, 8);
ZELFIN_HOST_RECORD(PF_LayerDef, 120, 8);
ZELFIN_HOST_MEMBER(PF_LayerDef, reserved0, 0, 8);
ZELFIN_HOST_MEMBER(PF_LayerDef, reserved1, 8, 8);
ZELFIN_HOST_MEMBER(PF_LayerDef, world_flags, 16, 4);
ZELFIN_HOST_MEMBER(PF_LayerDef, data, 24, 8);
ZELFIN_HOST_MEMBER(PF_LayerDef, rowbytes, 32, 4);
ZELFIN_HOST_MEMBER(PF_LayerDef, width, 36, 4);
ZELFIN_HOST_MEMBER(PF_LayerDef, height, 40, 4);
ZELFIN_HOST_MEMBER(PF_LayerDef, extent_hint, 44, 16);
ZELFIN_HOST_MEMBER(PF_LayerDef, extent_hint.left, 44, 4);
ZELFIN_HOST_MEMBER(PF_LayerDef, extent_hint.top, 48, 4);
ZELFIN_HOST_MEMBER(PF_LayerDef, extent_hint.right, 52, 4);
ZELFIN_HOST_MEMBER(PF_LayerDef, extent_hint.bottom, 56, 4);
ZELFIN_HOST_MEMBER(PF_LayerDef, platform_ref, 64, 8);
ZELFIN_HOST_MEMBER(PF_LayerDef, reserved_long1, 72, 4);
ZELFIN_HOST_MEMBER(PF_LayerDef, reserved_long4, 80, 8);
ZELFIN_HOST_MEMBER(PF_LayerDef, pix_aspect_ratio, 88, 8);
ZELFIN_HOST_MEMBER(PF_LayerDef, pix_aspect_ratio.num, 88, 4);
ZELFIN_HOST_MEMBER(PF_LayerDef, pix_aspect_ratio.den, 92, 4);
ZELFIN_HOST_MEMBER(PF_LayerDef, reserved_long2, 96, 8);
ZELFIN_HOST_MEMBER(PF_LayerDef, origin_x, 104, 4);
ZELFIN_HOST_MEMBER(PF_LayerDef, origin_y, 108, 4);
ZELFIN_HOST_MEMBER(PF_LayerDef, reserved_long3, 112, 4);
ZELFIN_HOST_MEMBER(PF_LayerDef, dephault, 116, 4);
ZELFIN_HOST_RECORD(PF_SliderDef, 88, 4);
ZELFIN_HOST_MEMBER(PF_SliderDef, value, 0, 4);
ZELFIN_HOST_MEMBER(PF_SliderDef, value_str, 4, 32);
ZELFIN_HOST_MEMBER(PF_SliderDef, value_desc, 36, 32);
ZELFIN_HOST_MEMBER(PF_SliderDef, valid_min, 68, 4);
ZELFIN_HOST_MEMBER(PF_SliderDef, valid_max, 72, 4);
ZELFIN_HOST_MEMBER(PF_SliderDef, slider_min, 76, 4);
ZELFIN_HOST_MEMBER(PF_SliderDef, slider_max, 80, 4);
ZELFIN_HOST_MEMBER(PF_SliderDef, dephault, 84, 4);
ZELFIN_HOST_RECORD(PF_FixedSliderDef, 92, 4);
ZELFIN_HOST_MEMBER(PF_FixedSliderDef, value, 0, 4);
ZELFIN_HOST_MEMBER(PF_FixedSliderDef, value_str, 4, 32);
ZELFIN_HOST_MEMBER(PF_FixedSliderDef, value_desc, 36, 32);
ZELFIN_HOST_MEMBER(PF_FixedSliderDef, valid_min, 68, 4);
ZELFIN_HOST_MEMBER(PF_FixedSliderDef, valid_max, 72, 4);
ZELFIN_HOST_MEMBER(PF_FixedSliderDef, slider_min, 76, 4);
ZELFIN_HOST_MEMBER(PF_FixedSliderDef, slider_max, 80, 4);
ZELFIN_HOST_MEMBER(PF_FixedSliderDef, dephault, 84, 4);
ZELFIN_HOST_MEMBER(PF_FixedSliderDef, precision, 88, 2);
ZELFIN_HOST_MEMBER(PF_FixedSliderDef, display_flags, 90, 2);
ZELFIN_HOST_RECORD(PF_AngleDef, 16, 4);
ZELFIN_HOST_MEMBER(PF_AngleDef, value, 0, 4);
ZELFIN_HOST_MEMBER(PF_AngleDef, dephault, 4, 4);
ZELFIN_HOST_MEMBER(PF_AngleDef, valid_min, 8, 4);
ZELFIN_HOST_MEMBER(PF_AngleDef, valid_max, 12, 4);
ZELFIN_HOST_RECORD(PF_CheckBoxDef, 16, 8);
ZELFIN_HOST_MEMBER(PF_CheckBoxDef, value, 0, 4);
ZELFIN_HOST_MEMBER(PF_CheckBoxDef, dephault, 4, 1);
ZELFIN_HOST_MEMBER(PF_CheckBoxDef, reserved, 5, 1);
ZELFIN_HOST_MEMBER(PF_CheckBoxDef, reserved1, 6, 2);
ZELFIN_HOST_MEMBER(PF_CheckBoxDef, u, 8, 8);
ZELFIN_HOST_MEMBER(PF_CheckBoxDef, u.nameptr, 8, 8);
ZELFIN_HOST_RECORD(PF_ColorDef, 8, 1);
ZELFIN_HOST_MEMBER(PF_ColorDef, value, 0, 4);
ZELFIN_HOST_MEMBER(PF_ColorDef, value.alpha, 0, 1);
ZELFIN_HOST_MEMBER(PF_ColorDef, value.red, 1, 1);
ZELFIN_HOST_MEMBER(PF_ColorDef, value.green, 2, 1);
ZELFIN_HOST_MEMBER(PF_ColorDef, value.blue, 3, 1);
ZELFIN_HOST_MEMBER(PF_ColorDef, dephault, 4, 4);
ZELFIN_HOST_MEMBER(PF_ColorDef, dephault.alpha, 4, 1);
ZELFIN_HOST_MEMBER(PF_ColorDef, dephault.red, 5, 1);
ZELFIN_HOST_MEMBER(PF_ColorDef, dephault.green, 6, 1);
ZELFIN_HOST_MEMBER(PF_ColorDef, dephault.blue, 7, 1);
ZELFIN_HOST_RECORD(PF_PointDef, 20, 4);
ZELFIN_HOST_MEMBER(PF_PointDef, x_value, 0, 4);
ZELFIN_HOST_MEMBER(PF_PointDef, y_value, 4, 4);
ZELFIN_HOST_MEMBER(PF_PointDef, reserved, 8, 3);
ZELFIN_HOST_MEMBER(PF_PointDef, restrict_bounds, 11, 1);
ZELFIN_HOST_MEMBER(PF_PointDef, x_dephault, 12, 4);
ZELFIN_HOST_MEMBER(PF_PointDef, y_dephault, 16, 4);
ZELFIN_HOST_RECORD(PF_PopupDef, 16, 8);
ZELFIN_HOST_MEMBER(PF_PopupDef, value, 0, 4);
ZELFIN_HOST_MEMBER(PF_PopupDef, num_choices, 4, 2);
ZELFIN_HOST_MEMBER(PF_PopupDef, dephault, 6, 2);
ZELFIN_HOST_MEMBER(PF_PopupDef, u, 8, 8);
ZELFIN_HOST_MEMBER(PF_PopupDef, u.namesptr, 8, 8);
ZELFIN_HOST_RECORD(PF_FloatSliderDef, 88, 8);
ZELFIN_HOST_MEMBER(PF_FloatSliderDef, value, 0, 8);
ZELFIN_HOST_MEMBER(PF_FloatSliderDef, phase, 8, 8);
ZELFIN_HOST_MEMBER(PF_FloatSliderDef, value_desc, 16, 32);
ZELFIN_HOST_MEMBER(PF_FloatSliderDef, valid_min, 48, 4);
ZELFIN_HOST_MEMBER(PF_FloatSliderDef, valid_max, 52, 4);
ZELFIN_HOST_MEMBER(PF_FloatSliderDef, slider_min, 56, 4);
ZELFIN_HOST_MEMBER(PF_FloatSliderDef, slider_max, 60, 4);
ZELFIN_HOST_MEMBER(PF_FloatSliderDef, dephault, 64, 4);
ZELFIN_HOST_MEMBER(PF_FloatSliderDef, precision, 68, 2);
ZELFIN_HOST_MEMBER(PF_FloatSliderDef, display_flags, 70, 2);
ZELFIN_HOST_MEMBER(PF_FloatSliderDef, fs_flags, 72, 4);
ZELFIN_HOST_MEMBER(PF_FloatSliderDef, curve_tolerance, 76, 4);
ZELFIN_HOST_MEMBER(PF_FloatSliderDef, useExponent, 80, 1);
ZELFIN_HOST_MEMBER(PF_FloatSliderDef, exponent, 84, 4);
ZELFIN_HOST_RECORD(PF_Point3DDef, 64, 8);
ZELFIN_HOST_MEMBER(PF_Point3DDef, x_value, 0, 8);
ZELFIN_HOST_MEMBER(PF_Point3DDef, y_value, 8, 8);
ZELFIN_HOST_MEMBER(PF_Point3DDef, z_value, 16, 8);
ZELFIN_HOST_MEMBER(PF_Point3DDef, x_dephault, 24, 8);
ZELFIN_HOST_MEMBER(PF_Point3DDef, y_dephault, 32, 8);
ZELFIN_HOST_MEMBER(PF_Point3DDef, z_dephault, 40, 8);
ZELFIN_HOST_MEMBER(PF_Point3DDef, reserved, 48, 16);
ZELFIN_HOST_RECORD(PF_ArbitraryDef, 32, 8);
ZELFIN_HOST_MEMBER(PF_ArbitraryDef, id, 0, 2);
ZELFIN_HOST_MEMBER(PF_ArbitraryDef, pad, 2, 2);
ZELFIN_HOST_MEMBER(PF_ArbitraryDef, dephault, 8, 8);
ZELFIN_HOST_MEMBER(PF_ArbitraryDef, value, 16, 8);
ZELFIN_HOST_MEMBER(PF_ArbitraryDef, refconPV, 24, 8);
ZELFIN_HOST_RECORD(PF_PathDef, 12, 4);
ZELFIN_HOST_MEMBER(PF_PathDef, path_id, 0, 4);
ZELFIN_HOST_MEMBER(PF_PathDef, reserved0, 4, 4);
ZELFIN_HOST_MEMBER(PF_PathDef, dephault, 8, 4);
ZELFIN_HOST_RECORD(PF_ButtonDef, 16, 8);
ZELFIN_HOST_MEMBER(PF_ButtonDef, value, 0, 4);
ZELFIN_HOST_MEMBER(PF_ButtonDef, u, 8, 8);
ZELFIN_HOST_MEMBER(PF_ButtonDef, u.namesptr, 8, 8);
ZELFIN_HOST_RECORD(PF_ParamDefUnion, 120, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld, 0, 120);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.reserved0, 0, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.reserved1, 8, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.world_flags, 16, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.data, 24, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.rowbytes, 32, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.width, 36, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.height, 40, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.extent_hint, 44, 16);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.extent_hint.left, 44, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.extent_hint.top, 48, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.extent_hint.right, 52, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.extent_hint.bottom, 56, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.platform_ref, 64, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.reserved_long1, 72, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.reserved_long4, 80, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.pix_aspect_ratio, 88, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.pix_aspect_ratio.num, 88, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.pix_aspect_ratio.den, 92, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.reserved_long2, 96, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.origin_x, 104, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.origin_y, 108, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.reserved_long3, 112, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ld.dephault, 116, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, sd, 0, 88);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, sd.value, 0, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, sd.value_str, 4, 32);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, sd.value_desc, 36, 32);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, sd.valid_min, 68, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, sd.valid_max, 72, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, sd.slider_min, 76, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, sd.slider_max, 80, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, sd.dephault, 84, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fd, 0, 92);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fd.value, 0, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fd.value_str, 4, 32);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fd.value_desc, 36, 32);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fd.valid_min, 68, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fd.valid_max, 72, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fd.slider_min, 76, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fd.slider_max, 80, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fd.dephault, 84, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fd.precision, 88, 2);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fd.display_flags, 90, 2);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ad, 0, 16);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ad.value, 0, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ad.dephault, 4, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ad.valid_min, 8, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, ad.valid_max, 12, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, bd, 0, 16);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, bd.value, 0, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, bd.dephault, 4, 1);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, bd.reserved, 5, 1);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, bd.reserved1, 6, 2);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, bd.u, 8, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, bd.u.nameptr, 8, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, cd, 0, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, cd.value, 0, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, cd.value.alpha, 0, 1);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, cd.value.red, 1, 1);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, cd.value.green, 2, 1);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, cd.value.blue, 3, 1);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, cd.dephault, 4, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, cd.dephault.alpha, 4, 1);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, cd.dephault.red, 5, 1);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, cd.dephault.green, 6, 1);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, cd.dephault.blue, 7, 1);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, td, 0, 20);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, td.x_value, 0, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, td.y_value, 4, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, td.reserved, 8, 3);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, td.restrict_bounds, 11, 1);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, td.x_dephault, 12, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, td.y_dephault, 16, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, pd, 0, 16);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, pd.value, 0, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, pd.num_choices, 4, 2);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, pd.dephault, 6, 2);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, pd.u, 8, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, pd.u.namesptr, 8, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fs_d, 0, 88);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fs_d.value, 0, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fs_d.phase, 8, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fs_d.value_desc, 16, 32);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fs_d.valid_min, 48, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fs_d.valid_max, 52, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fs_d.slider_min, 56, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fs_d.slider_max, 60, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fs_d.dephault, 64, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fs_d.precision, 68, 2);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fs_d.display_flags, 70, 2);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fs_d.fs_flags, 72, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fs_d.curve_tolerance, 76, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fs_d.useExponent, 80, 1);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, fs_d.exponent, 84, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, arb_d, 0, 32);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, arb_d.id, 0, 2);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, arb_d.pad, 2, 2);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, arb_d.dephault, 8, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, arb_d.value, 16, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, arb_d.refconPV, 24, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, path_d, 0, 12);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, path_d.path_id, 0, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, path_d.reserved0, 4, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, path_d.dephault, 8, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, button_d, 0, 16);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, button_d.value, 0, 4);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, button_d.u, 8, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, button_d.u.namesptr, 8, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, point3d_d, 0, 64);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, point3d_d.x_value, 0, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, point3d_d.y_value, 8, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, point3d_d.z_value, 16, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, point3d_d.x_dephault, 24, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, point3d_d.y_dephault, 32, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, point3d_d.z_dephault, 40, 8);
ZELFIN_HOST_MEMBER(PF_ParamDefUnion, point3d_d.reserved, 48, 16);
ZELFIN_HOST_RECORD(PF_ParamDef, 176, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, uu, 0, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, uu.id, 0, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, uu.change_flags, 0, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, ui_flags, 4, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, ui_width, 8, 2);
ZELFIN_HOST_MEMBER(PF_ParamDef, ui_height, 10, 2);
ZELFIN_HOST_MEMBER(PF_ParamDef, param_type, 12, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, name, 16, 32);
ZELFIN_HOST_MEMBER(PF_ParamDef, flags, 48, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, unused, 52, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u, 56, 120);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld, 56, 120);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.reserved0, 56, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.reserved1, 64, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.world_flags, 72, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.data, 80, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.rowbytes, 88, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.width, 92, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.height, 96, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.extent_hint, 100, 16);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.extent_hint.left, 100, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.extent_hint.top, 104, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.extent_hint.right, 108, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.extent_hint.bottom, 112, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.platform_ref, 120, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.reserved_long1, 128, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.reserved_long4, 136, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.pix_aspect_ratio, 144, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.pix_aspect_ratio.num, 144, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.pix_aspect_ratio.den, 148, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.reserved_long2, 152, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.origin_x, 160, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.origin_y, 164, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.reserved_long3, 168, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ld.dephault, 172, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.sd, 56, 88);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.sd.value, 56, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.sd.value_str, 60, 32);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.sd.value_desc, 92, 32);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.sd.valid_min, 124, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.sd.valid_max, 128, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.sd.slider_min, 132, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.sd.slider_max, 136, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.sd.dephault, 140, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fd, 56, 92);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fd.value, 56, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fd.value_str, 60, 32);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fd.value_desc, 92, 32);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fd.valid_min, 124, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fd.valid_max, 128, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fd.slider_min, 132, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fd.slider_max, 136, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fd.dephault, 140, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fd.precision, 144, 2);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fd.display_flags, 146, 2);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ad, 56, 16);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ad.value, 56, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ad.dephault, 60, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ad.valid_min, 64, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.ad.valid_max, 68, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.bd, 56, 16);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.bd.value, 56, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.bd.dephault, 60, 1);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.bd.reserved, 61, 1);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.bd.reserved1, 62, 2);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.bd.u, 64, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.bd.u.nameptr, 64, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.cd, 56, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.cd.value, 56, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.cd.value.alpha, 56, 1);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.cd.value.red, 57, 1);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.cd.value.green, 58, 1);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.cd.value.blue, 59, 1);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.cd.dephault, 60, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.cd.dephault.alpha, 60, 1);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.cd.dephault.red, 61, 1);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.cd.dephault.green, 62, 1);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.cd.dephault.blue, 63, 1);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.td, 56, 20);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.td.x_value, 56, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.td.y_value, 60, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.td.reserved, 64, 3);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.td.restrict_bounds, 67, 1);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.td.x_dephault, 68, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.td.y_dephault, 72, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.pd, 56, 16);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.pd.value, 56, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.pd.num_choices, 60, 2);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.pd.dephault, 62, 2);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.pd.u, 64, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.pd.u.namesptr, 64, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fs_d, 56, 88);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fs_d.value, 56, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fs_d.phase, 64, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fs_d.value_desc, 72, 32);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fs_d.valid_min, 104, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fs_d.valid_max, 108, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fs_d.slider_min, 112, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fs_d.slider_max, 116, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fs_d.dephault, 120, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fs_d.precision, 124, 2);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fs_d.display_flags, 126, 2);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fs_d.fs_flags, 128, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fs_d.curve_tolerance, 132, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fs_d.useExponent, 136, 1);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.fs_d.exponent, 140, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.arb_d, 56, 32);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.arb_d.id, 56, 2);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.arb_d.pad, 58, 2);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.arb_d.dephault, 64, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.arb_d.value, 72, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.arb_d.refconPV, 80, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.path_d, 56, 12);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.path_d.path_id, 56, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.path_d.reserved0, 60, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.path_d.dephault, 64, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.button_d, 56, 16);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.button_d.value, 56, 4);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.button_d.u, 64, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.button_d.u.namesptr, 64, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.point3d_d, 56, 64);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.point3d_d.x_value, 56, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.point3d_d.y_value, 64, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.point3d_d.z_value, 72, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.point3d_d.x_dephault, 80, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.point3d_d.y_dephault, 88, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.point3d_d.z_dephault, 96, 8);
ZELFIN_HOST_MEMBER(PF_ParamDef, u.point3d_d.reserved, 104, 16);
ZELFIN_HOST_RECORD(PF_InData, 408, 8);
ZELFIN_HOST_MEMBER(PF_InData, inter, 0, 176);
ZELFIN_HOST_MEMBER(PF_InData, inter.checkout_param, 0, 8);
ZELFIN_HOST_MEMBER(PF_InData, inter.checkin_param, 8, 8);
ZELFIN_HOST_MEMBER(PF_InData, inter.add_param, 16, 8);
ZELFIN_HOST_MEMBER(PF_InData, inter.abort, 24, 8);
ZELFIN_HOST_MEMBER(PF_InData, inter.progress, 32, 8);
ZELFIN_HOST_MEMBER(PF_InData, inter.register_ui, 40, 8);
ZELFIN_HOST_MEMBER(PF_InData, inter.checkout_layer_audio, 48, 8);
ZELFIN_HOST_MEMBER(PF_InData, inter.checkin_layer_audio, 56, 8);
ZELFIN_HOST_MEMBER(PF_InData, inter.get_audio_data, 64, 8);
ZELFIN_HOST_MEMBER(PF_InData, inter.reserved_str, 72, 24);
ZELFIN_HOST_MEMBER(PF_InData, inter.reserved, 96, 80);
ZELFIN_HOST_MEMBER(PF_InData, utils, 176, 8);
ZELFIN_HOST_MEMBER(PF_InData, effect_ref, 184, 8);
ZELFIN_HOST_MEMBER(PF_InData, quality, 192, 4);
ZELFIN_HOST_MEMBER(PF_InData, version, 196, 4);
ZELFIN_HOST_MEMBER(PF_InData, version.major, 196, 2);
ZELFIN_HOST_MEMBER(PF_InData, version.minor, 198, 2);
ZELFIN_HOST_MEMBER(PF_InData, serial_num, 200, 4);
ZELFIN_HOST_MEMBER(PF_InData, appl_id, 204, 4);
ZELFIN_HOST_MEMBER(PF_InData, num_params, 208, 4);
ZELFIN_HOST_MEMBER(PF_InData, reserved, 212, 4);
ZELFIN_HOST_MEMBER(PF_InData, what_cpu, 216, 4);
ZELFIN_HOST_MEMBER(PF_InData, what_fpu, 220, 4);
ZELFIN_HOST_MEMBER(PF_InData, current_time, 224, 4);
ZELFIN_HOST_MEMBER(PF_InData, time_step, 228, 4);
ZELFIN_HOST_MEMBER(PF_InData, total_time, 232, 4);
ZELFIN_HOST_MEMBER(PF_InData, local_time_step, 236, 4);
ZELFIN_HOST_MEMBER(PF_InData, time_scale, 240, 4);
ZELFIN_HOST_MEMBER(PF_InData, field, 244, 4);
ZELFIN_HOST_MEMBER(PF_InData, shutter_angle, 248, 4);
ZELFIN_HOST_MEMBER(PF_InData, width, 252, 4);
ZELFIN_HOST_MEMBER(PF_InData, height, 256, 4);
ZELFIN_HOST_MEMBER(PF_InData, extent_hint, 260, 16);
ZELFIN_HOST_MEMBER(PF_InData, extent_hint.left, 260, 4);
ZELFIN_HOST_MEMBER(PF_InData, extent_hint.top, 264, 4);
ZELFIN_HOST_MEMBER(PF_InData, extent_hint.right, 268, 4);
ZELFIN_HOST_MEMBER(PF_InData, extent_hint.bottom, 272, 4);
ZELFIN_HOST_MEMBER(PF_InData, output_origin_x, 276, 4);
ZELFIN_HOST_MEMBER(PF_InData, output_origin_y, 280, 4);
ZELFIN_HOST_MEMBER(PF_InData, downsample_x, 284, 8);
ZELFIN_HOST_MEMBER(PF_InData, downsample_x.num, 284, 4);
ZELFIN_HOST_MEMBER(PF_InData, downsample_x.den, 288, 4);
ZELFIN_HOST_MEMBER(PF_InData, downsample_y, 292, 8);
ZELFIN_HOST_MEMBER(PF_InData, downsample_y.num, 292, 4);
ZELFIN_HOST_MEMBER(PF_InData, downsample_y.den, 296, 4);
ZELFIN_HOST_MEMBER(PF_InData, pixel_aspect_ratio, 300, 8);
ZELFIN_HOST_MEMBER(PF_InData, pixel_aspect_ratio.num, 300, 4);
ZELFIN_HOST_MEMBER(PF_InData, pixel_aspect_ratio.den, 304, 4);
ZELFIN_HOST_MEMBER(PF_InData, in_flags, 308, 4);
ZELFIN_HOST_MEMBER(PF_InData, global_data, 312, 8);
ZELFIN_HOST_MEMBER(PF_InData, sequence_data, 320, 8);
ZELFIN_HOST_MEMBER(PF_InData, frame_data, 328, 8);
ZELFIN_HOST_MEMBER(PF_InData, start_sampL, 336, 4);
ZELFIN_HOST_MEMBER(PF_InData, dur_sampL, 340, 4);
ZELFIN_HOST_MEMBER(PF_InData, total_sampL, 344, 4);
ZELFIN_HOST_MEMBER(PF_InData, src_snd, 352, 32);
ZELFIN_HOST_MEMBER(PF_InData, src_snd.fi, 352, 16);
ZELFIN_HOST_MEMBER(PF_InData, src_snd.fi.rateF, 352, 8);
ZELFIN_HOST_MEMBER(PF_InData, src_snd.fi.num_channels, 360, 2);
ZELFIN_HOST_MEMBER(PF_InData, src_snd.fi.format, 362, 2);
ZELFIN_HOST_MEMBER(PF_InData, src_snd.fi.sample_size, 364, 2);
ZELFIN_HOST_MEMBER(PF_InData, src_snd.num_samples, 368, 4);
ZELFIN_HOST_MEMBER(PF_InData, src_snd.dataP, 376, 8);
ZELFIN_HOST_MEMBER(PF_InData, pica_basicP, 384, 8);
ZELFIN_HOST_MEMBER(PF_InData, pre_effect_source_origin_x, 392, 4);
ZELFIN_HOST_MEMBER(PF_InData, pre_effect_source_origin_y, 396, 4);
ZELFIN_HOST_MEMBER(PF_InData, shutter_phase, 400, 4);
ZELFIN_HOST_RECORD(PF_OutData, 408, 8);
ZELFIN_HOST_MEMBER(PF_OutData, my_version, 0, 4);
ZELFIN_HOST_MEMBER(PF_OutData, name, 4, 32);
ZELFIN_HOST_MEMBER(PF_OutData, global_data, 40, 8);
ZELFIN_HOST_MEMBER(PF_OutData, num_params, 48, 4);
ZELFIN_HOST_MEMBER(PF_OutData, sequence_data, 56, 8);
ZELFIN_HOST_MEMBER(PF_OutData, flat_sdata_size, 64, 4);
ZELFIN_HOST_MEMBER(PF_OutData, frame_data, 72, 8);
ZELFIN_HOST_MEMBER(PF_OutData, width, 80, 4);
ZELFIN_HOST_MEMBER(PF_OutData, height, 84, 4);
ZELFIN_HOST_MEMBER(PF_OutData, origin, 88, 8);
ZELFIN_HOST_MEMBER(PF_OutData, origin.h, 88, 4);
ZELFIN_HOST_MEMBER(PF_OutData, origin.v, 92, 4);
ZELFIN_HOST_MEMBER(PF_OutData, out_flags, 96, 4);
ZELFIN_HOST_MEMBER(PF_OutData, return_msg, 100, 256);
ZELFIN_HOST_MEMBER(PF_OutData, start_sampL, 356, 4);
ZELFIN_HOST_MEMBER(PF_OutData, dur_sampL, 360, 4);
ZELFIN_HOST_MEMBER(PF_OutData, dest_snd, 368, 32);
ZELFIN_HOST_MEMBER(PF_OutData, dest_snd.fi, 368, 16);
ZELFIN_HOST_MEMBER(PF_OutData, dest_snd.fi.rateF, 368, 8);
ZELFIN_HOST_MEMBER(PF_OutData, dest_snd.fi.num_channels, 376, 2);
ZELFIN_HOST_MEMBER(PF_OutData, dest_snd.fi.format, 378, 2);
ZELFIN_HOST_MEMBER(PF_OutData, dest_snd.fi.sample_size, 380, 2);
ZELFIN_HOST_MEMBER(PF_OutData, dest_snd.num_samples, 384, 4);
ZELFIN_HOST_MEMBER(PF_OutData, dest_snd.dataP, 392, 8);
ZELFIN_HOST_MEMBER(PF_OutData, out_flags2, 400, 4);
}  // extern "C"

// Command selectors the effects answer.
constexpr PF_Cmd PF_Cmd_ABOUT = 0;
constexpr PF_Cmd PF_Cmd_GLOBAL_SETUP = 1;
constexpr PF_Cmd PF_Cmd_GLOBAL_SETDOWN = 3;
constexpr PF_Cmd PF_Cmd_PARAMS_SETUP = 4;
constexpr PF_Cmd PF_Cmd_UPDATE_PARAMS_UI = 14;
constexpr PF_Cmd PF_Cmd_EVENT = 15;
constexpr PF_Cmd PF_Cmd_SMART_PRE_RENDER = 23;
constexpr PF_Cmd PF_Cmd_SMART_RENDER = 24;

constexpr PF_ParamType PF_Param_LAYER = 0;
constexpr PF_ParamType PF_Param_SLIDER = 1;
constexpr PF_ParamType PF_Param_FIX_SLIDER = 2;
constexpr PF_ParamType PF_Param_ANGLE = 3;
constexpr PF_ParamType PF_Param_CHECKBOX = 4;
constexpr PF_ParamType PF_Param_COLOR = 5;
constexpr PF_ParamType PF_Param_POINT = 6;
constexpr PF_ParamType PF_Param_POPUP = 7;
constexpr PF_ParamType PF_Param_FLOAT_SLIDER = 10;
constexpr PF_ParamType PF_Param_GROUP_START = 13;
constexpr PF_ParamType PF_Param_GROUP_END = 14;
constexpr PF_ParamType PF_Param_POINT_3D = 18;

constexpr PF_ParamFlags PF_ParamFlag_CANNOT_TIME_VARY = 0x2;
constexpr PF_ParamFlags PF_ParamFlag_START_COLLAPSED = 0x20;
constexpr PF_ParamFlags PF_ParamFlag_COLLAPSE_TWIRLY = PF_ParamFlag_START_COLLAPSED;
constexpr PF_ParamFlags PF_ParamFlag_SUPERVISE = 0x40;

constexpr PF_ParamUIFlags PF_PUI_DISABLED = 0x20;
constexpr PF_ParamUIFlags PF_PUI_INVISIBLE = 0x200;

constexpr PF_ChangeFlags PF_ChangeFlag_CHANGED_VALUE = 0x1;

constexpr PF_ValueDisplayFlags PF_ValueDisplayFlag_PERCENT = 1;

constexpr PF_OutFlags PF_OutFlag_DISPLAY_ERROR_MESSAGE = 0x100;
constexpr PF_OutFlags PF_OutFlag_CUSTOM_UI = 0x8000;
constexpr PF_OutFlags PF_OutFlag_REFRESH_UI = 0x20000;
constexpr PF_OutFlags PF_OutFlag_DEEP_COLOR_AWARE = 0x2000000;
constexpr PF_OutFlags PF_OutFlag_SEND_UPDATE_PARAMS_UI = 0x4000000;

constexpr PF_OutFlags2 PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG = 0x8;
constexpr PF_OutFlags2 PF_OutFlag2_SUPPORTS_SMART_RENDER = 0x400;
constexpr PF_OutFlags2 PF_OutFlag2_FLOAT_COLOR_AWARE = 0x1000;

// world_flags: DEEP marks 16 bits per channel.
constexpr PF_WorldFlags PF_WorldFlag_DEEP = 0x1;
constexpr PF_WorldFlags PF_WorldFlag_WRITEABLE = 0x2;

// Curve tolerance carried by float sliders.
constexpr PF_FpShort AEFX_AUDIO_DEFAULT_CURVE_TOLERANCE = 0.05f;
