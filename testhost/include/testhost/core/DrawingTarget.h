// What the host's drawing references draw into. The host core knows no panel: whatever hands out
// event records (a Composition or Layer panel) implements DrawingTarget and stands behind the
// context of those records, so that PF_GetDrawingReference can find it.
#pragma once

#include <vector>

#include "host/host.h"

namespace testhost {

// A colour with components from 0 to 1, as drawing calls pass it.
struct ColorF {
  float r = 0, g = 0, b = 0, a = 0;
};

struct PointF {
  double x = 0, y = 0;
};

class DrawingTarget {
 public:
  // Marks a context record as a drawing target's.
  static constexpr A_u_long kContextMagic = 0x50414E4C;  // "PANL"

  // Makes `context` stand for this target: its magic and pane pointer.
  void standBehind(PF_Context& context) {
    context.magic = kContextMagic;
    context.reserved_paneP = this;
  }
  // The target behind a context, or null for one that no target stands behind.
  static DrawingTarget* fromContext(PF_ContextH context) {
    if (!context || !*context || (*context)->magic != kContextMagic) return nullptr;
    return static_cast<DrawingTarget*>((*context)->reserved_paneP);
  }

  // When not drawable, PF_GetDrawingReference yields a null reference. When not painting, every
  // drawing call is recorded and checked but no pixel is painted.
  virtual bool drawable() const = 0;
  virtual bool painting() const = 0;
  // Pixel (x, y) covers [x, x + 1) x [y, y + 1); a shape covers the pixels whose centres lie in
  // it, each blended once by the colour's alpha.
  virtual void paintRect(double left, double top, double width, double height,
                         const ColorF& colour) = 0;
  // The outline of open polylines, `width` wide with round ends and joins.
  virtual void strokePolylines(const std::vector<std::vector<PointF>>& polylines, double width,
                               const ColorF& colour) = 0;

 protected:
  ~DrawingTarget() = default;
};

}  // namespace testhost
