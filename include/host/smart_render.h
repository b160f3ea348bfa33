// Records of the two-pass render: the pre-render pass asks for input areas and reports the
// output area, the render pass checks out the pixels. The contracts beside the callbacks read as
// include/host/README.md ("Reading the contracts") says.
#pragma once

#include "host/types.h"

extern "C" {

typedef A_short PF_RenderOutputFlags;

// Frees pre_render_data when the host is done with it.
typedef void (*PF_DeletePreRenderDataFunc)(void* pre_render_data);

struct PF_RenderRequest {
  PF_LRect rect;
  PF_Field field;
  PF_ChannelMask channel_mask;
  PF_Boolean preserve_rgb_of_zero_alpha;
  char unused[3];
  A_long reserved[4];
};

struct PF_CheckoutResult {
  PF_LRect result_rect;
  PF_LRect max_result_rect;
  PF_RationalScale par;
  PF_Boolean solid;
  PF_Boolean reservedB[3];
  A_long ref_width;
  A_long ref_height;
  A_long reserved[6];
};

struct PF_PreRenderInput {
  PF_RenderRequest output_request;
  short bitdepth;  // bits per channel of the render: 8, 16 or 32
};

struct PF_PreRenderOutput {
  PF_LRect result_rect;
  PF_LRect max_result_rect;
  PF_Boolean solid;
  PF_Boolean reserved;
  PF_RenderOutputFlags flags;
  void* pre_render_data;
  PF_DeletePreRenderDataFunc delete_pre_render_data_func;
};

struct PF_PreRenderCallbacks {
  // [PF_Cmd_SMART_PRE_RENDER] Asks for the input layer (index 0) as *req describes;
  // checkout_idL names the checkout so that the render pass can ask for the same pixels. The
  // host fills *checkout_result, which the plug-in owns. error: nothing is checked out; the
  // pre-render passes the code on.
  PF_Err (*checkout_layer)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long checkout_idL,
                           const PF_RenderRequest* req, A_long what_time, A_long time_step,
                           A_u_long time_scale, PF_CheckoutResult* checkout_result);
};

struct PF_PreRenderExtra {
  PF_PreRenderInput* input;
  PF_PreRenderOutput* output;
  PF_PreRenderCallbacks* cb;
};

struct PF_SmartRenderInput {
  PF_RenderRequest output_request;
  short bitdepth;
  void* pre_render_data;
};

struct PF_SmartRenderCallbacks {
  // [PF_Cmd_SMART_RENDER] The pixels of a checkout the pre-render declared. owns: the host,
  // valid until the command returns (checkin_layer_pixels gives them back earlier). null with 0:
  // the input covers nothing; error: no pixels, the render passes the code on.
  PF_Err (*checkout_layer_pixels)(PF_ProgPtr effect_ref, A_long checkout_idL,
                                  PF_EffectWorld** pixels);
  // [any command] Gives back the pixels of checkout checkout_idL before the command returns; they
  // are not used again. error: the plug-in does not look at it.
  PF_Err (*checkin_layer_pixels)(PF_ProgPtr effect_ref, A_long checkout_idL);
  // [PF_Cmd_SMART_RENDER] The world to render into. owns: the host, valid until the command
  // returns. error: no world, the render passes the code on.
  PF_Err (*checkout_output)(PF_ProgPtr effect_ref, PF_EffectWorld** output);
};

struct PF_SmartRenderExtra {
  PF_SmartRenderInput* input;
  PF_SmartRenderCallbacks* cb;
};

ZELFIN_HOST_RECORD(PF_RenderRequest, 44, 4);
ZELFIN_HOST_MEMBER(PF_RenderRequest, rect, 0, 16);
ZELFIN_HOST_MEMBER(PF_RenderRequest, rect.left, 0, 4);
ZELFIN_HOST_MEMBER(PF_RenderRequest, rect.top, 4, 4);
ZELFIN_HOST_MEMBER(PF_RenderRequest, rect.right, 8, 4);
ZELFIN_HOST_MEMBER(PF_RenderRequest, rect.bottom, 12, 4);
ZELFIN_HOST_MEMBER(PF_RenderRequest, field, 16, 4);
ZELFIN_HOST_MEMBER(PF_RenderRequest, channel_mask, 20, 4);
ZELFIN_HOST_MEMBER(PF_RenderRequest, preserve_rgb_of_zero_alpha, 24, 1);
ZELFIN_HOST_MEMBER(PF_RenderRequest, unused, 25, 3);
ZELFIN_HOST_MEMBER(PF_RenderRequest, reserved, 28, 16);
ZELFIN_HOST_RECORD(PF_CheckoutResult, 76, 4);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, result_rect, 0, 16);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, result_rect.left, 0, 4);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, result_rect.top, 4, 4);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, result_rect.right, 8, 4);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, result_rect.bottom, 12, 4);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, max_result_rect, 16, 16);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, max_result_rect.left, 16, 4);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, max_result_rect.top, 20, 4);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, max_result_rect.right, 24, 4);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, max_result_rect.bottom, 28, 4);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, par, 32, 8);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, par.num, 32, 4);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, par.den, 36, 4);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, solid, 40, 1);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, reservedB, 41, 3);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, ref_width, 44, 4);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, ref_height, 48, 4);
ZELFIN_HOST_MEMBER(PF_CheckoutResult, reserved, 52, 24);
ZELFIN_HOST_RECORD(PF_PreRenderInput, 48, 4);
ZELFIN_HOST_MEMBER(PF_PreRenderInput, output_request, 0, 44);
ZELFIN_HOST_MEMBER(PF_PreRenderInput, output_request.rect, 0, 16);
ZELFIN_HOST_MEMBER(PF_PreRenderInput, output_request.rect.left, 0, 4);
ZELFIN_HOST_MEMBER(PF_PreRenderInput, output_request.rect.top, 4, 4);
ZELFIN_HOST_MEMBER(PF_PreRenderInput, output_request.rect.right, 8, 4);
ZELFIN_HOST_MEMBER(PF_PreRenderInput, output_request.rect.bottom, 12, 4);
ZELFIN_HOST_MEMBER(PF_PreRenderInput, output_request.field, 16, 4);
ZELFIN_HOST_MEMBER(PF_PreRenderInput, output_request.channel_mask, 20, 4);
ZELFIN_HOST_MEMBER(PF_PreRenderInput, output_request.preserve_rgb_of_zero_alpha, 24, 1);
ZELFIN_HOST_MEMBER(PF_PreRenderInput, output_request.unused, 25, 3);
ZELFIN_HOST_MEMBER(PF_PreRenderInput, output_request.reserved, 28, 16);
ZELFIN_HOST_MEMBER(PF_PreRenderInput, bitdepth, 44, 2);
ZELFIN_HOST_RECORD(PF_PreRenderOutput, 56, 8);
ZELFIN_HOST_MEMBER(PF_PreRenderOutput, result_rect, 0, 16);
ZELFIN_HOST_MEMBER(PF_PreRenderOutput, result_rect.left, 0, 4);
ZELFIN_HOST_MEMBER(PF_PreRenderOutput, result_rect.top, 4, 4);
ZELFIN_HOST_MEMBER(PF_PreRenderOutput, result_rect.right, 8, 4);
ZELFIN_HOST_MEMBER(PF_PreRenderOutput, result_rect.bottom, 12, 4);
ZELFIN_HOST_MEMBER(PF_PreRenderOutput, max_result_rect, 16, 16);
ZELFIN_HOST_MEMBER(PF_PreRenderOutput, max_result_rect.left, 16, 4);
ZELFIN_HOST_MEMBER(PF_PreRenderOutput, max_result_rect.top, 20, 4);
ZELFIN_HOST_MEMBER(PF_PreRenderOutput, max_result_rect.right, 24, 4);
ZELFIN_HOST_MEMBER(PF_PreRenderOutput, max_result_rect.bottom, 28, 4);
ZELFIN_HOST_MEMBER(PF_PreRenderOutput, solid, 32, 1);
ZELFIN_HOST_MEMBER(PF_PreRenderOutput, reserved, 33, 1);
ZELFIN_HOST_MEMBER(PF_PreRenderOutput, flags, 34, 2);
ZELFIN_HOST_MEMBER(PF_PreRenderOutput, pre_render_data, 40, 8);
ZELFIN_HOST_MEMBER(PF_PreRenderOutput, delete_pre_render_data_func, 48, 8);
ZELFIN_HOST_RECORD(PF_PreRenderCallbacks, 8, 8);
ZELFIN_HOST_MEMBER(PF_PreRenderCallbacks, checkout_layer, 0, 8);
ZELFIN_HOST_RECORD(PF_PreRenderExtra, 24, 8);
ZELFIN_HOST_MEMBER(PF_PreRenderExtra, input, 0, 8);
ZELFIN_HOST_MEMBER(PF_PreRenderExtra, output, 8, 8);
ZELFIN_HOST_MEMBER(PF_PreRenderExtra, cb, 16, 8);
ZELFIN_HOST_RECORD(PF_SmartRenderInput, 56, 8);
ZELFIN_HOST_MEMBER(PF_SmartRenderInput, output_request, 0, 44);
ZELFIN_HOST_MEMBER(PF_SmartRenderInput, output_request.rect, 0, 16);
ZELFIN_HOST_MEMBER(PF_SmartRenderInput, output_request.rect.left, 0, 4);
ZELFIN_HOST_MEMBER(PF_SmartRenderInput, output_request.rect.top, 4, 4);
ZELFIN_HOST_MEMBER(PF_SmartRenderInput, output_request.rect.right, 8, 4);
ZELFIN_HOST_MEMBER(PF_SmartRenderInput, output_request.rect.bottom, 12, 4);
ZELFIN_HOST_MEMBER(PF_SmartRenderInput, output_request.field, 16, 4);
ZELFIN_HOST_MEMBER(PF_SmartRenderInput, output_request.channel_mask, 20, 4);
ZELFIN_HOST_MEMBER(PF_SmartRenderInput, output_request.preserve_rgb_of_zero_alpha, 24, 1);
ZELFIN_HOST_MEMBER(PF_SmartRenderInput, output_request.unused, 25, 3);
ZELFIN_HOST_MEMBER(PF_SmartRenderInput, output_request.reserved, 28, 16);
ZELFIN_HOST_MEMBER(PF_SmartRenderInput, bitdepth, 44, 2);
ZELFIN_HOST_MEMBER(PF_SmartRenderInput, pre_render_data, 48, 8);
ZELFIN_HOST_RECORD(PF_SmartRenderCallbacks, 24, 8);
ZELFIN_HOST_MEMBER(PF_SmartRenderCallbacks, checkout_layer_pixels, 0, 8);
ZELFIN_HOST_MEMBER(PF_SmartRenderCallbacks, checkin_layer_pixels, 8, 8);
ZELFIN_HOST_MEMBER(PF_SmartRenderCallbacks, checkout_output, 16, 8);
ZELFIN_HOST_RECORD(PF_SmartRenderExtra, 16, 8);
ZELFIN_HOST_MEMBER(PF_SmartRenderExtra, input, 0, 8);
ZELFIN_HOST_MEMBER(PF_SmartRenderExtra, cb, 8, 8);
}  // extern "C"
