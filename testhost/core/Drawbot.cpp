// The custom-UI and Drawbot suites: drawing references and objects that are recorded and counted,
// drawing into the target (the panel) the event came from.
#include "Internal.h"
#include "testhost/core/DrawingTarget.h"

namespace testhost {

using detail::Arg;
using detail::kNotProvided;
using Kind = DrawObjects::Kind;

namespace {

std::string Colour(const DRAWBOT_ColorRGBA* c) {
  if (!c) return "(null)";
  return "rgba(" + Arg(c->red) + ", " + Arg(c->green) + ", " + Arg(c->blue) + ", " + Arg(c->alpha) +
         ")";
}

// True when `ref` is a live object of `kind`; otherwise the call is refused.
bool Usable(HostCall& call, void* ref, Kind kind, const char* what) {
  const DrawObjects& objects = call.host()->drawObjects();
  if (objects.is(ref, kind) && objects.isLive(ref)) return true;
  call.refuse(HostRule::StaleDrawingReference,
              std::string(call.name()) + " with " + what + " that is unknown or released");
  return false;
}

// True when every object a drawing call uses is live; otherwise the call is refused.
bool Usable(HostCall& call, std::initializer_list<std::pair<void*, Kind>> objects) {
  for (const auto& [ref, kind] : objects) {
    if (!Usable(call, ref, kind, "a drawing object")) return false;
  }
  return true;
}

// A new object of `kind` into *out, made from `owner`, a live object of `ownerKind`; it draws
// into the owner's target. Null, with the call refused, on misuse.
DrawObjects::Object* Create(HostCall& call, void* owner, Kind ownerKind, Kind kind, void** out) {
  if (!out) {
    call.refuse(HostRule::NullArgument, std::string(call.name()) + " with a null result pointer");
    return nullptr;
  }
  if (!Usable(call, owner, ownerKind, "a reference")) return nullptr;
  DrawObjects& objects = call.host()->drawObjects();
  *out = objects.create(kind, objects.find(owner)->target);
  return objects.find(*out);
}

// Ends a call that made `object`: with success, or as Create refused it.
SPErr Created(HostCall& call, const DrawObjects::Object* object) {
  return object ? call.finish(PF_Err_NONE) : call.result<SPErr>();
}

ColorF ColourOf(const DRAWBOT_ColorRGBA& c) { return {c.red, c.green, c.blue, c.alpha}; }

// A target that cannot be drawn into yields no reference; a target that does not paint, or a
// context that no target stands behind, yields one that draws nowhere.
PF_Err GetDrawingReference(const PF_ContextH context, DRAWBOT_DrawRef* ref) {
  HostCall call(contracts::kGetDrawingReference,
                [&] { return CallArgs{Arg(static_cast<const void*>(context))}; });
  if (!call.proceeds()) return call.result<PF_Err>();
  if (!ref || !context) {
    return call.refuse(HostRule::NullArgument,
                       "PF_GetDrawingReference with a null context or result pointer");
  }
  DrawingTarget* target = DrawingTarget::fromContext(context);
  if (target && !target->drawable()) {
    *ref = nullptr;
  } else {
    DrawingTarget* paints = target && target->painting() ? target : nullptr;
    *ref = static_cast<DRAWBOT_DrawRef>(call.host()->drawObjects().create(Kind::DrawRef, paints));
  }
  return call.finish(PF_Err_NONE);
}

SPErr GetSupplier(DRAWBOT_DrawRef draw, DRAWBOT_SupplierRef* supplier) {
  HostCall call(contracts::kGetSupplier, [] { return CallArgs{}; });
  if (!call.proceeds()) return call.result<SPErr>();
  return Created(call, Create(call, draw, Kind::DrawRef, Kind::Supplier,
                              reinterpret_cast<void**>(supplier)));
}

SPErr GetSurface(DRAWBOT_DrawRef draw, DRAWBOT_SurfaceRef* surface) {
  HostCall call(contracts::kGetSurface, [] { return CallArgs{}; });
  if (!call.proceeds()) return call.result<SPErr>();
  return Created(call, Create(call, draw, Kind::DrawRef, Kind::Surface,
                              reinterpret_cast<void**>(surface)));
}

SPErr NewPen(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* colour, float width,
             DRAWBOT_PenRef* pen) {
  HostCall call(contracts::kNewPen, [&] { return CallArgs{Colour(colour), Arg(width)}; });
  if (!call.proceeds()) return call.result<SPErr>();
  if (!colour) return call.refuse(HostRule::NullArgument, "NewPen with a null colour");
  DrawObjects::Object* object =
      Create(call, supplier, Kind::Supplier, Kind::Pen, reinterpret_cast<void**>(pen));
  if (object) {
    object->colour = ColourOf(*colour);
    object->width = width;
  }
  return Created(call, object);
}

SPErr NewBrush(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA* colour,
               DRAWBOT_BrushRef* brush) {
  HostCall call(contracts::kNewBrush, [&] { return CallArgs{Colour(colour)}; });
  if (!call.proceeds()) return call.result<SPErr>();
  if (!colour) return call.refuse(HostRule::NullArgument, "NewBrush with a null colour");
  DrawObjects::Object* object =
      Create(call, supplier, Kind::Supplier, Kind::Brush, reinterpret_cast<void**>(brush));
  if (object) object->colour = ColourOf(*colour);
  return Created(call, object);
}

SPErr NewPath(DRAWBOT_SupplierRef supplier, DRAWBOT_PathRef* path) {
  HostCall call(contracts::kNewPath, [] { return CallArgs{}; });
  if (!call.proceeds()) return call.result<SPErr>();
  return Created(call, Create(call, supplier, Kind::Supplier, Kind::Path,
                              reinterpret_cast<void**>(path)));
}

SPErr ReleaseObject(DRAWBOT_ObjectRef object) {
  HostCall call(contracts::kReleaseObject,
                [&] { return CallArgs{Arg(static_cast<const void*>(object))}; });
  if (!call.proceeds()) return call.result<SPErr>();
  DrawObjects& objects = call.host()->drawObjects();
  if (!objects.is(object, Kind::Pen) && !objects.is(object, Kind::Brush) &&
      !objects.is(object, Kind::Path) && objects.find(object)) {
    return call.refuse(HostRule::ReleaseOfHostDrawingObject,
                       "ReleaseObject of a drawing reference, supplier or surface, which the "
                       "host owns");
  }
  if (!objects.release(object)) {
    return call.refuse(HostRule::StaleDrawingReference,
                       "ReleaseObject of a drawing object that is unknown or already released");
  }
  return call.finish(PF_Err_NONE);
}

SPErr MoveTo(DRAWBOT_PathRef path, float x, float y) {
  HostCall call(contracts::kMoveTo, [&] { return CallArgs{Arg(x), Arg(y)}; });
  if (!call.proceeds() || !Usable(call, {{path, Kind::Path}})) return call.result<SPErr>();
  call.host()->drawObjects().find(path)->figures.push_back({{x, y}});
  return call.finish(PF_Err_NONE);
}

SPErr LineTo(DRAWBOT_PathRef path, float x, float y) {
  HostCall call(contracts::kLineTo, [&] { return CallArgs{Arg(x), Arg(y)}; });
  if (!call.proceeds() || !Usable(call, {{path, Kind::Path}})) return call.result<SPErr>();
  // A line with no figure started begins one where it ends.
  auto& figures = call.host()->drawObjects().find(path)->figures;
  if (figures.empty()) figures.push_back({});
  figures.back().push_back({x, y});
  return call.finish(PF_Err_NONE);
}

SPErr ClosePath(DRAWBOT_PathRef path) {
  HostCall call(contracts::kClose, [] { return CallArgs{}; });
  if (!call.proceeds() || !Usable(call, {{path, Kind::Path}})) return call.result<SPErr>();
  return call.finish(PF_Err_NONE);
}

SPErr StrokePath(DRAWBOT_SurfaceRef surface, DRAWBOT_PenRef pen, DRAWBOT_PathRef path) {
  HostCall call(contracts::kStrokePath, [] { return CallArgs{}; });
  if (!call.proceeds() ||
      !Usable(call, {{surface, Kind::Surface}, {pen, Kind::Pen}, {path, Kind::Path}}))
    return call.result<SPErr>();
  DrawObjects& objects = call.host()->drawObjects();
  if (DrawingTarget* target = objects.find(surface)->target) {
    const DrawObjects::Object& p = *objects.find(pen);
    target->strokePolylines(objects.find(path)->figures, p.width, p.colour);
  }
  return call.finish(PF_Err_NONE);
}

SPErr FillPath(DRAWBOT_SurfaceRef surface, DRAWBOT_BrushRef brush, DRAWBOT_PathRef path,
               DRAWBOT_FillType fill) {
  HostCall call(contracts::kFillPath, [&] { return CallArgs{Arg(static_cast<long long>(fill))}; });
  if (!call.proceeds() ||
      !Usable(call, {{surface, Kind::Surface}, {brush, Kind::Brush}, {path, Kind::Path}}))
    return call.result<SPErr>();
  return call.finish(PF_Err_NONE);
}

SPErr PaintRect(DRAWBOT_SurfaceRef surface, const DRAWBOT_ColorRGBA* colour,
                const DRAWBOT_RectF32* rect) {
  HostCall call(contracts::kPaintRect, [&] {
    CallArgs args{Colour(colour)};
    if (rect) {
      for (float v : {rect->left, rect->top, rect->width, rect->height}) args.push_back(Arg(v));
    }
    return args;
  });
  if (!call.proceeds()) return call.result<SPErr>();
  if (!colour || !rect) {
    return call.refuse(HostRule::NullArgument, "PaintRect with a null colour or rectangle");
  }
  if (!Usable(call, {{surface, Kind::Surface}})) return call.result<SPErr>();
  if (DrawingTarget* target = call.host()->drawObjects().find(surface)->target) {
    target->paintRect(rect->left, rect->top, rect->width, rect->height, ColourOf(*colour));
  }
  return call.finish(PF_Err_NONE);
}

}  // namespace

namespace detail {

const std::vector<SuiteEntry>& DrawingSuites() {
  static constexpr PF_EffectCustomUISuite1 kCustomUI = {&GetDrawingReference};
  static constexpr DRAWBOT_DrawbotSuite1 kDraw = {&GetSupplier, &GetSurface};
  static constexpr DRAWBOT_SupplierSuite1 kSupplier = {
      &NewPen,
      &NewBrush,
      kNotProvided,  // SupportsText
      kNotProvided,  // GetDefaultFontSize
      kNotProvided,  // NewDefaultFont
      kNotProvided,  // NewImageFromBuffer
      &NewPath,
      kNotProvided,  // SupportsPixelLayoutBGRA
      kNotProvided,  // PrefersPixelLayoutBGRA
      kNotProvided,  // SupportsPixelLayoutARGB
      kNotProvided,  // PrefersPixelLayoutARGB
      kNotProvided,  // RetainObject
      &ReleaseObject,
  };
  static constexpr DRAWBOT_SurfaceSuite1 kSurface = {
      kNotProvided,  // PushStateStack
      kNotProvided,  // PopStateStack
      &PaintRect,
      &FillPath,
      &StrokePath,
      kNotProvided,  // Clip
      kNotProvided,  // GetClipBounds
      kNotProvided,  // IsWithinClipBounds
      kNotProvided,  // Transform
      kNotProvided,  // DrawString
      kNotProvided,  // DrawImage
      kNotProvided,  // SetInterpolationPolicy
      kNotProvided,  // GetInterpolationPolicy
      kNotProvided,  // SetAntiAliasPolicy
      kNotProvided,  // GetAntiAliasPolicy
      kNotProvided,  // Flush
  };
  static constexpr DRAWBOT_PathSuite1 kPath = {
      &MoveTo,
      &LineTo,
      kNotProvided,  // BezierTo
      kNotProvided,  // AddRect
      kNotProvided,  // AddArc
      &ClosePath,
  };
  static const std::vector<SuiteEntry> suites = {
      {kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1, &kCustomUI},
      {kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1, &kDraw},
      {kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1, &kSupplier},
      {kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version1, &kSurface},
      {kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1, &kPath},
  };
  return suites;
}

}  // namespace detail
}  // namespace testhost
