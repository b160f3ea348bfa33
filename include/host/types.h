// Basic types, small shared records, error codes and four-character codes of the host interface.
//
// Every integer has a fixed width: `long` is 32 bits on 64-bit Windows but 64 bits on 64-bit
// macOS, and both must see the same records.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "host/layout.h"

extern "C" {

typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef int16_t A_short;
typedef uint16_t A_u_short;
typedef char A_char;
typedef uint8_t A_u_char;
typedef uint8_t A_Boolean;
typedef double A_FpLong;
typedef float A_FpShort;
typedef intptr_t A_intptr_t;
typedef uint64_t A_u_longlong;
typedef A_long A_Err;
typedef A_u_longlong A_HandleSize;

typedef A_long PF_Fixed;  // 16.16 signed fixed point
typedef A_u_long PF_UFixed;
typedef A_long PF_ParamValue;
typedef A_long PF_Err;
typedef A_long PF_Cmd;
typedef A_long PF_ParamIndex;
typedef uint8_t PF_Boolean;
typedef double PF_FpLong;
typedef float PF_FpShort;

// Scalar types shared by several records.
typedef A_long PF_Quality;
typedef A_long PF_Field;
typedef A_long PF_WorldFlags;
typedef A_long PF_ChannelMask;

// A relocatable block owned by the host.
typedef void** PF_Handle;

// The host's reference to one effect instance; the first argument of every callback.
struct PF_ProgressInfo;
typedef PF_ProgressInfo* PF_ProgPtr;

// Records defined in host/effect.h that the callback tables refer to.
struct PF_InData;
struct PF_OutData;
struct PF_LayerDef;
struct PF_ParamDef;
typedef PF_LayerDef PF_EffectWorld;
typedef PF_ParamDef* PF_ParamDefPtr;

// Records the plug-in never looks into; only pointers to them pass through.
struct PF_FloatMatrix;

struct PF_Point {
  A_long h;
  A_long v;
};

struct PF_LRect {
  A_long left;
  A_long top;
  A_long right;
  A_long bottom;
};
typedef PF_LRect PF_Rect;

struct PF_RationalScale {
  A_long num;
  A_u_long den;
};

struct PF_FixedPoint {
  PF_Fixed x;
  PF_Fixed y;
};

// Channels in memory order alpha, red, green, blue at every depth.
struct PF_Pixel {
  A_u_char alpha;
  A_u_char red;
  A_u_char green;
  A_u_char blue;
};
typedef PF_Pixel PF_Pixel8;

struct PF_Pixel16 {
  A_u_short alpha;
  A_u_short red;
  A_u_short green;
  A_u_short blue;
};

struct PF_PixelFloat {
  PF_FpShort alpha;
  PF_FpShort red;
  PF_FpShort green;
  PF_FpShort blue;
};
typedef PF_PixelFloat PF_Pixel32;

typedef PF_Pixel* PF_PixelPtr;

ZELFIN_HOST_RECORD(PF_Point, 8, 4);
ZELFIN_HOST_MEMBER(PF_Point, h, 0, 4);
ZELFIN_HOST_MEMBER(PF_Point, v, 4, 4);
ZELFIN_HOST_RECORD(PF_LRect, 16, 4);
ZELFIN_HOST_MEMBER(PF_LRect, left, 0, 4);
ZELFIN_HOST_MEMBER(PF_LRect, top, 4, 4);
ZELFIN_HOST_MEMBER(PF_LRect, right, 8, 4);
ZELFIN_HOST_MEMBER(PF_LRect, bottom, 12, 4);
ZELFIN_HOST_RECORD(PF_RationalScale, 8, 4);
ZELFIN_HOST_MEMBER(PF_RationalScale, num, 0, 4);
ZELFIN_HOST_MEMBER(PF_RationalScale, den, 4, 4);
ZELFIN_HOST_RECORD(PF_Pixel, 4, 1);
ZELFIN_HOST_MEMBER(PF_Pixel, alpha, 0, 1);
ZELFIN_HOST_MEMBER(PF_Pixel, red, 1, 1);
ZELFIN_HOST_MEMBER(PF_Pixel, green, 2, 1);
ZELFIN_HOST_MEMBER(PF_Pixel, blue, 3, 1);
ZELFIN_HOST_RECORD(PF_FixedPoint, 8, 4);
ZELFIN_HOST_MEMBER(PF_FixedPoint, x, 0, 4);
ZELFIN_HOST_MEMBER(PF_FixedPoint, y, 4, 4);

ZELFIN_HOST_RECORD(PF_Pixel16, 8, 2);
ZELFIN_HOST_MEMBER(PF_Pixel16, alpha, 0, 2);
ZELFIN_HOST_MEMBER(PF_Pixel16, red, 2, 2);
ZELFIN_HOST_MEMBER(PF_Pixel16, green, 4, 2);
ZELFIN_HOST_MEMBER(PF_Pixel16, blue, 6, 2);

ZELFIN_HOST_RECORD(PF_PixelFloat, 16, 4);
ZELFIN_HOST_MEMBER(PF_PixelFloat, alpha, 0, 4);
ZELFIN_HOST_MEMBER(PF_PixelFloat, red, 4, 4);
ZELFIN_HOST_MEMBER(PF_PixelFloat, green, 8, 4);
ZELFIN_HOST_MEMBER(PF_PixelFloat, blue, 12, 4);

}  // extern "C"

static_assert(sizeof(A_long) == 4 && sizeof(A_u_long) == 4 && sizeof(A_short) == 2 &&
              sizeof(A_u_short) == 2 && sizeof(A_char) == 1 && sizeof(A_u_char) == 1 &&
              sizeof(A_Boolean) == 1 && sizeof(PF_Boolean) == 1 && sizeof(A_FpLong) == 8 &&
              sizeof(A_FpShort) == 4 && sizeof(A_u_longlong) == 8,
              "basic type widths differ from the host's");
static_assert(sizeof(void*) == 8 && sizeof(A_intptr_t) == 8,
              "the host interface is declared for 64-bit targets only");

// Error codes. The plug-in produces only the last three; any other non-zero code comes from a
// host callback and is passed on unchanged.
constexpr PF_Err PF_Err_NONE = 0;
constexpr PF_Err PF_Err_OUT_OF_MEMORY = 4;
constexpr PF_Err PF_Err_INTERNAL_STRUCT_DAMAGED = 512;
constexpr PF_Err PF_Err_UNRECOGNIZED_PARAM_TYPE = 514;
constexpr PF_Err PF_Err_BAD_CALLBACK_PARAM = 516;

// Largest channel values: 8-bit channels reach 255, 16-bit channels 32768 (not 65535).
constexpr A_long PF_MAX_CHAN8 = 255;
constexpr A_long PF_MAX_CHAN16 = 32768;

// A four-character code as a 32-bit word, first character in the most significant byte.
constexpr A_u_long PF_FourCharCode(const char (&code)[5]) {
  return (static_cast<A_u_long>(static_cast<A_u_char>(code[0])) << 24) |
         (static_cast<A_u_long>(static_cast<A_u_char>(code[1])) << 16) |
         (static_cast<A_u_long>(static_cast<A_u_char>(code[2])) << 8) |
         static_cast<A_u_long>(static_cast<A_u_char>(code[3]));
}

// Values of PF_InData::appl_id (signed, like the member) for the hosts the plug-in tells apart.
constexpr A_long PF_ApplId_FXTC = static_cast<A_long>(PF_FourCharCode("FXTC"));  // the effect host
constexpr A_long PF_ApplId_PRMR = static_cast<A_long>(PF_FourCharCode("PrMr"));
static_assert(PF_ApplId_FXTC == 0x46585443 && PF_ApplId_PRMR == 0x50724D72,
              "first character goes to the most significant byte");

// Version word of an effect: major in bits 19-21, minor 15-18, bug fix 11-14, stage 9-10,
// build 0-8. Each field must fit its bits.
constexpr A_long PF_Stage_RELEASE = 3;

constexpr A_u_long PF_VERSION(A_u_long major, A_u_long minor, A_u_long bugfix, A_u_long stage,
                              A_u_long build) {
  return (major << 19) | (minor << 15) | (bugfix << 11) | (stage << 9) | build;
}
static_assert(PF_VERSION(1, 1, 0, PF_Stage_RELEASE, 1) == 0x00088601, "version word layout");
