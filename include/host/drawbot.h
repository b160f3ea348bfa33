// The host's drawing services: a drawing reference gives a supplier (which makes pens, brushes
// and paths) and a surface (which draws them in panel pixels). The contracts beside the suite
// functions read as include/host/README.md ("Reading the contracts") says.
#pragma once

#include <stdint.h>

#include "host/basic_suite.h"
#include "host/layout.h"

extern "C" {

typedef uint8_t DRAWBOT_Boolean;
typedef uint16_t DRAWBOT_UTF16Char;

// Opaque references to host objects. Pens, brushes and paths made by the supplier are freed
// with its ReleaseObject, which takes any of them as a DRAWBOT_ObjectRef.
typedef struct _DRAWBOT_DrawRef* DRAWBOT_DrawRef;
typedef struct _DRAWBOT_SupplierRef* DRAWBOT_SupplierRef;
typedef struct _DRAWBOT_SurfaceRef* DRAWBOT_SurfaceRef;
typedef struct _DRAWBOT_PenRef* DRAWBOT_PenRef;
typedef struct _DRAWBOT_BrushRef* DRAWBOT_BrushRef;
typedef struct _DRAWBOT_PathRef* DRAWBOT_PathRef;
typedef struct _DRAWBOT_ImageRef* DRAWBOT_ImageRef;
typedef struct _DRAWBOT_FontRef* DRAWBOT_FontRef;
typedef struct _DRAWBOT_ObjectRef* DRAWBOT_ObjectRef;

// Parameter types of functions the plug-in never calls.
typedef int32_t DRAWBOT_PixelLayout;
typedef int32_t DRAWBOT_FillType;
typedef int32_t DRAWBOT_TextAlignment;
typedef int32_t DRAWBOT_TextTruncation;
typedef int32_t DRAWBOT_InterpolationPolicy;
typedef int32_t DRAWBOT_AntiAliasPolicy;
struct DRAWBOT_Rect32;
struct DRAWBOT_MatrixF32;

// Components from 0 to 1.
struct DRAWBOT_ColorRGBA {
  float red;
  float green;
  float blue;
  float alpha;
};

struct DRAWBOT_RectF32 {
  float left;
  float top;
  float width;
  float height;
};

struct DRAWBOT_PointF32 {
  float x;
  float y;
};

// "DRAWBOT Draw Suite" version 1.
struct DRAWBOT_DrawbotSuite1 {
  // [PF_Cmd_EVENT, a draw event] The supplier of the event's drawing reference. owns: the host,
  // valid until the event returns, never released. error: no supplier was written; the plug-in
  // draws nothing.
  SPErr (*GetSupplier)(DRAWBOT_DrawRef in_drawbot_ref, DRAWBOT_SupplierRef* out_supplierP);
  // [PF_Cmd_EVENT, a draw event] The surface of the event's drawing reference, in panel pixels.
  // owns: the host, valid until the event returns, never released. error: no surface was
  // written; the plug-in draws nothing.
  SPErr (*GetSurface)(DRAWBOT_DrawRef in_drawbot_ref, DRAWBOT_SurfaceRef* out_surfaceP);
};

// "DRAWBOT Supplier Suite" version 1.
struct DRAWBOT_SupplierSuite1 {
  // [PF_Cmd_EVENT, a draw event] A new pen of the colour and line width, from the event's
  // supplier. owns: the plug-in, until its ReleaseObject before the event returns. error: no pen
  // was written; the plug-in stops drawing and releases what it made.
  SPErr (*NewPen)(DRAWBOT_SupplierRef in_supplier_ref, const DRAWBOT_ColorRGBA* in_colorP,
                  float in_size, DRAWBOT_PenRef* out_penP);
  // [PF_Cmd_EVENT, a draw event] A new brush of the colour, from the event's supplier. owns: the
  // plug-in, until its ReleaseObject before the event returns. error: no brush was written; the
  // plug-in stops drawing and releases what it made.
  SPErr (*NewBrush)(DRAWBOT_SupplierRef in_supplier_ref, const DRAWBOT_ColorRGBA* in_colorP,
                    DRAWBOT_BrushRef* out_brushP);
  SPErr (*SupportsText)(DRAWBOT_SupplierRef in_supplier_ref, DRAWBOT_Boolean* out_supports_textB);
  SPErr (*GetDefaultFontSize)(DRAWBOT_SupplierRef in_supplier_ref, float* out_font_sizeF);
  SPErr (*NewDefaultFont)(DRAWBOT_SupplierRef in_supplier_ref, float in_font_sizeF,
                          DRAWBOT_FontRef* out_fontP);
  SPErr (*NewImageFromBuffer)(DRAWBOT_SupplierRef in_supplier_ref, int in_width, int in_height,
                              int in_row_bytes, DRAWBOT_PixelLayout in_pl, const void* in_dataP,
                              DRAWBOT_ImageRef* out_imageP);
  // [PF_Cmd_EVENT, a draw event] A new empty path, from the event's supplier. owns: the plug-in,
  // until its ReleaseObject before the event returns. error: no path was written; the plug-in
  // stops drawing and releases what it made.
  SPErr (*NewPath)(DRAWBOT_SupplierRef in_supplier_ref, DRAWBOT_PathRef* out_pathP);
  SPErr (*SupportsPixelLayoutBGRA)(DRAWBOT_SupplierRef in_supplier_ref,
                                   DRAWBOT_Boolean* out_supports_bgraPB);
  SPErr (*PrefersPixelLayoutBGRA)(DRAWBOT_SupplierRef in_supplier_ref,
                                  DRAWBOT_Boolean* out_prefers_bgraPB);
  SPErr (*SupportsPixelLayoutARGB)(DRAWBOT_SupplierRef in_supplier_ref,
                                   DRAWBOT_Boolean* out_supports_argbPB);
  SPErr (*PrefersPixelLayoutARGB)(DRAWBOT_SupplierRef in_supplier_ref,
                                  DRAWBOT_Boolean* out_prefers_argbPB);
  SPErr (*RetainObject)(DRAWBOT_ObjectRef in_obj_ref);
  // [PF_Cmd_EVENT, a draw event] Frees a pen, brush or path the plug-in made in this event; never
  // a drawing reference, supplier or surface, which are the host's. owns: the object is gone and
  // must not be used again. error: nothing was freed; the plug-in stops drawing.
  SPErr (*ReleaseObject)(DRAWBOT_ObjectRef in_obj_ref);
};

// "DRAWBOT Surface Suite" version 1.
struct DRAWBOT_SurfaceSuite1 {
  SPErr (*PushStateStack)(DRAWBOT_SurfaceRef in_surface_ref);
  SPErr (*PopStateStack)(DRAWBOT_SurfaceRef in_surface_ref);
  // [PF_Cmd_EVENT, a draw event] Fills the rectangle on the event's surface, blending by the
  // colour's alpha; visible in the panel after the event. error: nothing was painted; the
  // plug-in stops drawing.
  SPErr (*PaintRect)(DRAWBOT_SurfaceRef in_surface_ref, const DRAWBOT_ColorRGBA* in_colorP,
                     const DRAWBOT_RectF32* in_rectPR);
  // [PF_Cmd_EVENT, a draw event] Fills a path with a brush, both made in this event, on the
  // event's surface by the fill rule in_fill_type. error: nothing was filled; the plug-in stops
  // drawing.
  SPErr (*FillPath)(DRAWBOT_SurfaceRef in_surface_ref, DRAWBOT_BrushRef in_brush_ref,
                    DRAWBOT_PathRef in_path_ref, DRAWBOT_FillType in_fill_type);
  // [PF_Cmd_EVENT, a draw event] Draws the outline of a path with a pen, both made in this event,
  // on the event's surface; visible in the panel after the event. error: nothing was drawn; the
  // plug-in stops drawing.
  SPErr (*StrokePath)(DRAWBOT_SurfaceRef in_surface_ref, DRAWBOT_PenRef in_pen_ref,
                      DRAWBOT_PathRef in_path_ref);
  SPErr (*Clip)(DRAWBOT_SurfaceRef in_surface_ref, DRAWBOT_SupplierRef in_supplier_ref,
                const DRAWBOT_Rect32* in_rectPR);
  SPErr (*GetClipBounds)(DRAWBOT_SurfaceRef in_surface_ref, DRAWBOT_Rect32* out_rectPR);
  SPErr (*IsWithinClipBounds)(DRAWBOT_SurfaceRef in_surface_ref, const DRAWBOT_Rect32* in_rectPR,
                              DRAWBOT_Boolean* out_withinPB);
  SPErr (*Transform)(DRAWBOT_SurfaceRef in_surface_ref, const DRAWBOT_MatrixF32* in_matrixP);
  SPErr (*DrawString)(DRAWBOT_SurfaceRef in_surface_ref, DRAWBOT_BrushRef in_brush_ref,
                      DRAWBOT_FontRef in_font_ref, const DRAWBOT_UTF16Char* in_stringP,
                      const DRAWBOT_PointF32* in_originP, DRAWBOT_TextAlignment in_alignment_style,
                      DRAWBOT_TextTruncation in_truncation_style, float in_truncation_width);
  SPErr (*DrawImage)(DRAWBOT_SurfaceRef in_surface_ref, DRAWBOT_ImageRef in_image_ref,
                     const DRAWBOT_PointF32* in_originP, float in_alpha);
  SPErr (*SetInterpolationPolicy)(DRAWBOT_SurfaceRef in_surface_ref,
                                  DRAWBOT_InterpolationPolicy in_interp);
  SPErr (*GetInterpolationPolicy)(DRAWBOT_SurfaceRef in_surface_ref,
                                  DRAWBOT_InterpolationPolicy* out_interpP);
  SPErr (*SetAntiAliasPolicy)(DRAWBOT_SurfaceRef in_surface_ref,
                              DRAWBOT_AntiAliasPolicy in_policy);
  SPErr (*GetAntiAliasPolicy)(DRAWBOT_SurfaceRef in_surface_ref,
                              DRAWBOT_AntiAliasPolicy* out_policyP);
  SPErr (*Flush)(DRAWBOT_SurfaceRef in_surface_ref);
};

// "DRAWBOT Path Suite" version 1.
struct DRAWBOT_PathSuite1 {
  // [PF_Cmd_EVENT, a draw event] Starts a new figure of a path made in this event at x, y (panel
  // pixels). error: the path is unchanged; the plug-in stops drawing.
  SPErr (*MoveTo)(DRAWBOT_PathRef in_path_ref, float in_x, float in_y);
  // [PF_Cmd_EVENT, a draw event] Adds a straight segment from the figure's last point to x, y.
  // error: the path is unchanged; the plug-in stops drawing.
  SPErr (*LineTo)(DRAWBOT_PathRef in_path_ref, float in_x, float in_y);
  SPErr (*BezierTo)(DRAWBOT_PathRef in_path_ref, const DRAWBOT_PointF32* in_pt1P,
                    const DRAWBOT_PointF32* in_pt2P, const DRAWBOT_PointF32* in_pt3P);
  SPErr (*AddRect)(DRAWBOT_PathRef in_path_ref, const DRAWBOT_RectF32* in_rectPR);
  SPErr (*AddArc)(DRAWBOT_PathRef in_path_ref, const DRAWBOT_PointF32* in_centerP,
                  float in_radius, float in_start_angle, float in_sweep);
  // [PF_Cmd_EVENT, a draw event] Closes the path's last figure with a segment back to its first
  // point. error: the path is unchanged; the plug-in stops drawing.
  SPErr (*Close)(DRAWBOT_PathRef in_path_ref);
};

ZELFIN_HOST_RECORD(DRAWBOT_ColorRGBA, 16, 4);
ZELFIN_HOST_MEMBER(DRAWBOT_ColorRGBA, red, 0, 4);
ZELFIN_HOST_MEMBER(DRAWBOT_ColorRGBA, green, 4, 4);
ZELFIN_HOST_MEMBER(DRAWBOT_ColorRGBA, blue, 8, 4);
ZELFIN_HOST_MEMBER(DRAWBOT_ColorRGBA, alpha, 12, 4);
ZELFIN_HOST_RECORD(DRAWBOT_RectF32, 16, 4);
ZELFIN_HOST_MEMBER(DRAWBOT_RectF32, left, 0, 4);
ZELFIN_HOST_MEMBER(DRAWBOT_RectF32, top, 4, 4);
ZELFIN_HOST_MEMBER(DRAWBOT_RectF32, width, 8, 4);
ZELFIN_HOST_MEMBER(DRAWBOT_RectF32, height, 12, 4);
ZELFIN_HOST_RECORD(DRAWBOT_PointF32, 8, 4);
ZELFIN_HOST_MEMBER(DRAWBOT_PointF32, x, 0, 4);
ZELFIN_HOST_MEMBER(DRAWBOT_PointF32, y, 4, 4);

ZELFIN_HOST_RECORD(DRAWBOT_DrawbotSuite1, 16, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_DrawbotSuite1, GetSupplier, 0, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_DrawbotSuite1, GetSurface, 8, 8);
ZELFIN_HOST_RECORD(DRAWBOT_SupplierSuite1, 104, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SupplierSuite1, NewPen, 0, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SupplierSuite1, NewBrush, 8, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SupplierSuite1, SupportsText, 16, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SupplierSuite1, GetDefaultFontSize, 24, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SupplierSuite1, NewDefaultFont, 32, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SupplierSuite1, NewImageFromBuffer, 40, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SupplierSuite1, NewPath, 48, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SupplierSuite1, SupportsPixelLayoutBGRA, 56, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SupplierSuite1, PrefersPixelLayoutBGRA, 64, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SupplierSuite1, SupportsPixelLayoutARGB, 72, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SupplierSuite1, PrefersPixelLayoutARGB, 80, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SupplierSuite1, RetainObject, 88, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SupplierSuite1, ReleaseObject, 96, 8);
ZELFIN_HOST_RECORD(DRAWBOT_SurfaceSuite1, 128, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SurfaceSuite1, PushStateStack, 0, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SurfaceSuite1, PopStateStack, 8, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SurfaceSuite1, PaintRect, 16, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SurfaceSuite1, FillPath, 24, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SurfaceSuite1, StrokePath, 32, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SurfaceSuite1, Clip, 40, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SurfaceSuite1, GetClipBounds, 48, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SurfaceSuite1, IsWithinClipBounds, 56, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SurfaceSuite1, Transform, 64, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SurfaceSuite1, DrawString, 72, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SurfaceSuite1, DrawImage, 80, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SurfaceSuite1, SetInterpolationPolicy, 88, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SurfaceSuite1, GetInterpolationPolicy, 96, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SurfaceSuite1, SetAntiAliasPolicy, 104, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SurfaceSuite1, GetAntiAliasPolicy, 112, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_SurfaceSuite1, Flush, 120, 8);
ZELFIN_HOST_RECORD(DRAWBOT_PathSuite1, 48, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_PathSuite1, MoveTo, 0, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_PathSuite1, LineTo, 8, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_PathSuite1, BezierTo, 16, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_PathSuite1, AddRect, 24, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_PathSuite1, AddArc, 32, 8);
ZELFIN_HOST_MEMBER(DRAWBOT_PathSuite1, Close, 40, 8);
}  // extern "C"

static_assert(sizeof(DRAWBOT_Boolean) == 1, "DRAWBOT_Boolean is one byte");

constexpr const char* kDRAWBOT_DrawSuite = "DRAWBOT Draw Suite";
constexpr int kDRAWBOT_DrawSuite_Version1 = 1;
constexpr const char* kDRAWBOT_SupplierSuite = "DRAWBOT Supplier Suite";
constexpr int kDRAWBOT_SupplierSuite_Version1 = 1;
constexpr const char* kDRAWBOT_SurfaceSuite = "DRAWBOT Surface Suite";
constexpr int kDRAWBOT_SurfaceSuite_Version1 = 1;
constexpr const char* kDRAWBOT_PathSuite = "DRAWBOT Path Suite";
constexpr int kDRAWBOT_PathSuite_Version1 = 1;
