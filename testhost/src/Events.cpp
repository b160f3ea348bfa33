// The event callbacks of PF_EventExtra: point conversions of the host's panel view.
#include "Internal.h"

namespace testhost {

using detail::Arg;

struct HostEvents {
  using Map = void (*)(const PanelView&, double&, double&);

  // Records the conversion, checks refcon and context, then converts the point in place.
  static PF_Err Convert(const char* name, void* refcon, PF_ContextH context, PF_FixedPoint* pt,
                        Map map) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    if (auto f = h->enter(name, {Arg(pt)}, Returns::Error)) {
      h->leave(f->code);
      return f->code;
    }
    if (refcon != &h->token_ || context != &h->contextPtr_ || !pt) {
      h->violation(std::string(name) + " with a refcon, context or point that is not the host's");
      h->leave(PF_Err_BAD_CALLBACK_PARAM);
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    double x = FromFixed(pt->x);
    double y = FromFixed(pt->y);
    map(h->view_, x, y);
    pt->x = ToFixed(x);
    pt->y = ToFixed(y);
    h->log().back().args.push_back(Arg(pt));
    h->leave(PF_Err_NONE);
    return PF_Err_NONE;
  }

  static PF_Err LayerToComp(void* refcon, PF_ContextH context, A_long, A_long, PF_FixedPoint* pt) {
    return Convert("layer_to_comp", refcon, context, pt,
                   [](const PanelView& v, double& x, double& y) {
                     x += v.layerX;
                     y += v.layerY;
                   });
  }

  static PF_Err CompToLayer(void* refcon, PF_ContextH context, A_long, A_long, PF_FixedPoint* pt) {
    return Convert("comp_to_layer", refcon, context, pt,
                   [](const PanelView& v, double& x, double& y) {
                     x -= v.layerX;
                     y -= v.layerY;
                   });
  }

  static PF_Err SourceToFrame(void* refcon, PF_ContextH context, PF_FixedPoint* pt) {
    return Convert("source_to_frame", refcon, context, pt,
                   [](const PanelView& v, double& x, double& y) {
                     x = x * v.zoom + v.scrollX;
                     y = y * v.zoom + v.scrollY;
                   });
  }

  static PF_Err FrameToSource(void* refcon, PF_ContextH context, PF_FixedPoint* pt) {
    return Convert("frame_to_source", refcon, context, pt,
                   [](const PanelView& v, double& x, double& y) {
                     x = (x - v.scrollX) / v.zoom;
                     y = (y - v.scrollY) / v.zoom;
                   });
  }
};

namespace detail {

void InstallEventCallbacks(PF_EventCallbacks& cbs) {
  cbs.layer_to_comp = &HostEvents::LayerToComp;
  cbs.comp_to_layer = &HostEvents::CompToLayer;
  Stub(cbs.get_comp2layer_xform);
  Stub(cbs.get_layer2comp_xform);
  cbs.source_to_frame = &HostEvents::SourceToFrame;
  cbs.frame_to_source = &HostEvents::FrameToSource;
  Stub(cbs.info_draw_color);
  Stub(cbs.info_draw_text);
}

}  // namespace detail
}  // namespace testhost
